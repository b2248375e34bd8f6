#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include <boost/multi_index/member.hpp>
#include <boost/multi_index/ordered_index.hpp>
#include <boost/multi_index/sequenced_index.hpp>
#include <boost/multi_index_container.hpp>

#include "RecordBuilders.h"
#include "ResultStore.h"
#include "TabResults.h"
#include "SearchRecords.h"

namespace {

using Ids = std::vector<std::uint64_t>;

UserInfoSet UsersWithIds(const Ids& ids) {
    UserInfoSet set;
    for (auto id : ids) {
        set.push_back(MakeUser(id));
    }
    return set;
}

ZoneInfoSet ZonesWithIds(const Ids& ids) {
    ZoneInfoSet set;
    for (auto id : ids) {
        set.push_back(MakeZone(id));
    }
    return set;
}

TEST(MergeBatch, AppendsNewRecordsInBatchOrderAndCountsThem) {
    const struct {
        const char* name;
        Ids store, batch;
        int added;
        Ids after;
    } cases[] = {
        {"into empty", {}, {5, 3, 9}, 3, {5, 3, 9}},
        {"empty batch", {4, 1}, {}, 0, {4, 1}},
        {"both empty", {}, {}, 0, {}},
        {"some repeated", {5, 3, 9}, {9, 1, 5, 2}, 2, {5, 3, 9, 1, 2}},
        {"all repeated", {1, 2, 3}, {3, 1, 2}, 0, {1, 2, 3}},
        {"none repeated", {7}, {8, 6}, 2, {7, 8, 6}},
    };
    for (const auto& c : cases) {
        UserInfoSet users = UsersWithIds(c.store);
        EXPECT_EQ(MergeBatch(users, UsersWithIds(c.batch)), c.added) << c.name;
        EXPECT_EQ(IdsOf(users), c.after) << c.name;
        EXPECT_EQ(users.get<search_index::ByStateThenId>().size(), c.after.size()) << c.name;

        ZoneInfoSet zones = ZonesWithIds(c.store);
        EXPECT_EQ(MergeBatch(zones, ZonesWithIds(c.batch)), c.added) << c.name;
        EXPECT_EQ(IdsOf(zones), c.after) << c.name;
        EXPECT_EQ(zones.get<search_index::BySortKey>().size(), c.after.size()) << c.name;
    }
}

TEST(MergeBatch, RepeatedIdKeepsTheFirstArrivedFields) {
    UserInfoSet store;
    store.push_back(MakeUser(3, 4, L"张伟"));

    UserInfoSet batch;
    UserInfo again = MakeUser(3, 2, L"王芳");
    again.company = L"上海浦东软件园";
    batch.push_back(again);
    batch.push_back(MakeUser(4, 2, L"赵敏"));

    EXPECT_EQ(MergeBatch(store, batch), 1);
    ASSERT_EQ(store.size(), 2u);
    EXPECT_EQ(store.front().nickname, L"张伟");
    EXPECT_EQ(store.front().state, 4);
    EXPECT_TRUE(store.front().company.empty());
    EXPECT_EQ(store.back().nickname, L"赵敏");
}

TEST(MergeBatch, MergingAStoreIntoItselfAddsNothing) {
    UserInfoSet store = UsersWithIds({2, 8, 5});
    EXPECT_EQ(MergeBatch(store, store), 0);
    EXPECT_EQ(IdsOf(store), (Ids{2, 8, 5}));
}

// A record whose copy fails on demand, standing in for an allocation failure while a batch is
// copied into a store.
int g_copiesBeforeFailure = -1;

struct FragileRecord {
    std::uint64_t id = 0;
    std::wstring text;

    FragileRecord(std::uint64_t i, std::wstring t) : id(i), text(std::move(t)) {}
    FragileRecord(const FragileRecord& other) : id(other.id), text(other.text) {
        if (g_copiesBeforeFailure == 0) {
            throw std::bad_alloc();
        }
        if (g_copiesBeforeFailure > 0) {
            --g_copiesBeforeFailure;
        }
    }
    FragileRecord& operator=(const FragileRecord&) = delete;
};

using FragileSet = boost::multi_index_container<
    FragileRecord,
    boost::multi_index::indexed_by<
        boost::multi_index::sequenced<>,
        boost::multi_index::ordered_unique<
            boost::multi_index::member<FragileRecord, std::uint64_t, &FragileRecord::id>>>>;

FragileSet FragileWithIds(const Ids& ids) {
    FragileSet set;
    for (auto id : ids) {
        set.push_back(FragileRecord(id, L"记录" + std::to_wstring(id)));
    }
    return set;
}

TEST(MergeBatch, FailedCopyLeavesTheStoreAsItWas) {
    const struct {
        int copiesBeforeFailure;
        const char* name;
    } cases[] = {{0, "first new record fails"}, {1, "second new record fails"}, {2, "last new record fails"}};
    for (const auto& c : cases) {
        FragileSet store = FragileWithIds({1, 2});
        const FragileSet batch = FragileWithIds({3, 1, 4, 5});

        g_copiesBeforeFailure = c.copiesBeforeFailure;
        EXPECT_THROW(MergeBatch(store, batch), std::bad_alloc) << c.name;
        g_copiesBeforeFailure = -1;

        EXPECT_EQ(IdsOf(store), (Ids{1, 2})) << c.name;
        EXPECT_EQ(IdsOf(store.get<1>()), (Ids{1, 2})) << c.name;

        // Nothing half-merged lingers to make the retry see duplicates.
        EXPECT_EQ(MergeBatch(store, batch), 3) << c.name;
        EXPECT_EQ(IdsOf(store), (Ids{1, 2, 3, 4, 5})) << c.name;
    }
}

// The tab's merge goes a slice at a time; a copy that fails in a later slice takes back the
// earlier slices too.
TEST(TabResults, FailedCopyInALaterSliceTakesTheWholeBatchBack) {
    Ids ids;
    for (std::uint64_t id = 100; id < 700; ++id) {
        ids.push_back(id);
    }
    const FragileSet batch = FragileWithIds(ids);
    TabResults<FragileSet> results;
    results.SetShown(true);
    results.Receive(true, FragileWithIds({1, 2}));
    ASSERT_EQ(results.Size(), 2u);

    g_copiesBeforeFailure = 450;
    EXPECT_THROW(results.Receive(true, batch), std::bad_alloc);
    g_copiesBeforeFailure = -1;
    EXPECT_EQ(results.Size(), 2u);
    EXPECT_EQ(results.NewCount(), 2) << "the count of the batch that did arrive";

    results.Receive(true, batch);
    EXPECT_EQ(results.Size(), 602u);
    EXPECT_EQ(results.NewCount(), 600);
}

}  // namespace
