#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <iterator>
#include <new>
#include <string>
#include <tuple>
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

// Every record a tab holds, in arrival order.
template <class Set>
Ids StoredIds(const TabResults<Set>& results) {
    Ids ids;
    results.ForEachRecord([&](const auto& record) { ids.push_back(record.id); });
    return ids;
}

// A tab in front holding `records`, as one batch would have brought them.
template <class Set>
void Fill(TabResults<Set>& results, const Set& records) {
    results.SetShown(true);
    results.Receive(true, records);
}

TEST(Receive, AppendsNewRecordsInBatchOrderAndCountsThem) {
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
        {"the store again", {2, 8, 5}, {2, 8, 5}, 0, {2, 8, 5}},
        {"none repeated", {7}, {8, 6}, 2, {7, 8, 6}},
    };
    for (const auto& c : cases) {
        TabResults<UserInfoSet> users;
        Fill(users, UsersWithIds(c.store));
        // An empty batch is the server's "nothing more": it adds nothing either way.
        const ReplyKind kind = c.batch.empty() ? ReplyKind::NothingFound : ReplyKind::Merged;
        EXPECT_EQ(users.Receive(true, UsersWithIds(c.batch)).kind, kind) << c.name;
        EXPECT_EQ(users.NewCount(), c.added) << c.name;
        EXPECT_EQ(StoredIds(users), c.after) << c.name;

        TabResults<ZoneInfoSet> zones;
        Fill(zones, ZonesWithIds(c.store));
        EXPECT_EQ(zones.Receive(true, ZonesWithIds(c.batch)).kind, kind) << c.name;
        EXPECT_EQ(zones.NewCount(), c.added) << c.name;
        EXPECT_EQ(StoredIds(zones), c.after) << c.name;
    }
}

// A merge hands over a slice at a time: a repeated record counts toward the limit, and the merge
// goes on from where the slice stopped.
TEST(AppendRecords, StopsAtItsLimitAndSaysWhere) {
    const UserInfoSet batch = UsersWithIds({1, 2, 3, 4});
    UserInfoSet store = UsersWithIds({2});
    std::size_t added = 0;
    EXPECT_EQ(AppendRecords(store, batch.begin(), batch.end(), 3, added), std::prev(batch.end()));
    EXPECT_EQ(IdsOf(store), (Ids{2, 1, 3}));
    EXPECT_EQ(added, 2u);
}

TEST(Receive, RepeatedIdKeepsTheFirstArrivedFields) {
    UserInfoSet first;
    UserInfo original = MakeUser(3, 4, L"张伟");
    original.company.clear();
    first.push_back(original);
    TabResults<UserInfoSet> results;
    Fill(results, first);

    UserInfoSet batch;
    UserInfo again = MakeUser(3, 2, L"王芳");
    again.company = L"上海浦东软件园";
    batch.push_back(again);
    batch.push_back(MakeUser(4, 2, L"赵敏"));

    results.Receive(true, batch);
    EXPECT_EQ(results.NewCount(), 1);
    const std::vector<UserInfo> rows = results.PageRecords();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows.front().nickname, L"张伟");
    EXPECT_EQ(rows.front().state, 4);
    EXPECT_TRUE(rows.front().company.empty());
    EXPECT_EQ(rows.back().nickname, L"赵敏");
}

// A record whose copy fails on demand, once, standing in for an allocation failure while a batch
// is copied into a store.
int g_copiesBeforeFailure = -1;
// Runs at the failing copy: outside the store's lock, as the window thread would between slices.
std::function<void()> g_atFailure;

struct FragileRecord {
    std::uint64_t id = 0;
    std::wstring text;

    FragileRecord(std::uint64_t i, std::wstring t) : id(i), text(std::move(t)) {}
    FragileRecord(const FragileRecord& other) : id(other.id), text(other.text) {
        if (g_copiesBeforeFailure == 0) {
            g_copiesBeforeFailure = -1;
            if (g_atFailure)
                g_atFailure();
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

// The reply of a batch whose copy threw: a failure, told apart from the server's.
bool FailedMerge(const TabReply& reply) { return reply.kind == ReplyKind::Failed && reply.mergeFailed; }

TEST(Receive, FailedCopyLeavesTheStoreAsItWas) {
    const struct {
        int copiesBeforeFailure;
        const char* name;
    } cases[] = {{0, "first new record fails"}, {1, "second new record fails"}, {2, "last new record fails"}};
    for (const auto& c : cases) {
        TabResults<FragileSet> results;
        Fill(results, FragileWithIds({1, 2}));
        const FragileSet batch = FragileWithIds({3, 1, 4, 5});

        g_copiesBeforeFailure = c.copiesBeforeFailure;
        EXPECT_TRUE(FailedMerge(results.Receive(true, batch))) << c.name;
        g_copiesBeforeFailure = -1;

        EXPECT_EQ(StoredIds(results), (Ids{1, 2})) << c.name;

        // Nothing half-merged lingers in the identifier index to make the retry see duplicates.
        results.Receive(true, batch);
        EXPECT_EQ(results.NewCount(), 3) << c.name;
        EXPECT_EQ(StoredIds(results), (Ids{1, 2, 3, 4, 5})) << c.name;
    }
}

// The tab's merge goes a slice at a time; a copy that fails in a later slice takes back the
// earlier slices too, whether it fails inserting the slice or copying it out of the batch (a slice
// of 256 costs 256 copies out of the batch and 256 into the store).
TEST(TabResults, FailedCopyInALaterSliceTakesTheWholeBatchBack) {
    Ids ids;
    for (std::uint64_t id = 100; id < 700; ++id) {
        ids.push_back(id);
    }
    const FragileSet batch = FragileWithIds(ids);
    const struct {
        int copiesBeforeFailure;
        Ids before;
    } cases[] = {{450, {1, 2}}, {600, {1, 2}}, {600, {}}, {600, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}}};
    for (const auto& c : cases) {
        TabResults<FragileSet> results;
        results.SetShown(true);
        results.Receive(true, FragileWithIds(c.before));

        g_copiesBeforeFailure = c.copiesBeforeFailure;
        EXPECT_TRUE(FailedMerge(results.Receive(true, batch)));
        g_copiesBeforeFailure = -1;
        EXPECT_EQ(StoredIds(results), c.before) << c.copiesBeforeFailure;
        EXPECT_EQ(results.Page(), 0) << "the first page was shown, and is still there";
        EXPECT_EQ(results.NewCount(), static_cast<int>(c.before.size())) << "the count of the batch that did arrive";

        results.Receive(true, batch);
        EXPECT_EQ(results.Size(), c.before.size() + 600);
        EXPECT_EQ(results.NewCount(), 600);
    }
}

// A page turned onto the first slice while the second is copied goes back to the last page left
// when the batch is taken back; a page of records that stay stays.
TEST(TabResults, APageOntoRecordsTakenBackGoesBackToTheLastPageLeft) {
    Ids ids;
    for (std::uint64_t id = 100; id < 700; ++id)
        ids.push_back(id);
    const FragileSet batch = FragileWithIds(ids);
    // The last batch before the failing one added nothing (the same records again): its count is 0.
    for (const auto& [before, pageTurned, again] : {std::tuple{20, true, false}, std::tuple{35, false, false},
                                                    std::tuple{20, true, true}}) {
        Ids first;
        for (int id = 1; id <= before; ++id)
            first.push_back(static_cast<std::uint64_t>(id));
        TabResults<FragileSet> results;
        results.SetShown(true);
        results.Receive(true, FragileWithIds(first));
        if (again)
            results.Receive(true, FragileWithIds(first));
        ASSERT_TRUE(results.AdvanceFrom(10));  // page 2
        g_copiesBeforeFailure = 600;
        if (pageTurned)
            g_atFailure = [&] { EXPECT_TRUE(results.AdvanceFrom(10)); };  // page 3, of the first slice
        EXPECT_TRUE(FailedMerge(results.Receive(true, batch)));
        g_atFailure = nullptr;
        EXPECT_EQ(results.Page(), 1) << before;
        EXPECT_EQ(IdsOf(results.PageRecords()).front(), 11u) << before;
    }
}

}  // namespace
