#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include <boost/multi_index/member.hpp>
#include <boost/multi_index/ordered_index.hpp>
#include <boost/multi_index/sequenced_index.hpp>
#include <boost/multi_index_container.hpp>

#include "RecordBuilders.h"
#include "ResultStore.h"
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

// Arrival order deliberately differs from identifier order, so a walk through the wrong index
// shows up.
UserInfoSet StoreOf(std::size_t size) {
    UserInfoSet store;
    for (std::size_t i = 0; i < size; ++i) {
        store.push_back(MakeUser(1000 - i * 7));
    }
    return store;
}

std::uint64_t IdAtArrival(std::size_t n) { return 1000 - n * 7; }

TEST(PositionAt, ReachesEveryPositionAndStopsAtEnd) {
    constexpr std::size_t kHuge = std::numeric_limits<std::size_t>::max();
    const struct {
        std::size_t size, n;
    } cases[] = {
        {0, 0}, {0, 1}, {0, kHuge},
        {1, 0}, {1, 1},
        {25, 0}, {25, 12}, {25, 13}, {25, 24}, {25, 25}, {25, 26}, {25, kHuge},
    };
    for (const auto& c : cases) {
        const UserInfoSet store = StoreOf(c.size);
        const auto it = PositionAt(store, c.n);
        if (c.n >= c.size) {
            EXPECT_EQ(it, store.end()) << "size " << c.size << " n " << c.n;
        } else {
            ASSERT_NE(it, store.end()) << "size " << c.size << " n " << c.n;
            EXPECT_EQ(it->id, IdAtArrival(c.n)) << "size " << c.size << " n " << c.n;
            EXPECT_EQ(static_cast<std::size_t>(std::distance(store.begin(), it)), c.n);
        }
    }
}

TEST(PageRange, GivesTenRowsAPageAndAnEmptyRangePastTheLast) {
    // Multiplied by ten this wraps round to a small number on 64 and 32 bits alike.
    constexpr std::size_t kWrapping = std::numeric_limits<std::size_t>::max() / 10 + 1;
    const struct {
        std::size_t size, page;
        std::size_t pages, rows;
    } cases[] = {
        {0, 0, 0, 0},   {0, 1, 0, 0},
        {1, 0, 1, 1},   {1, 1, 1, 0},
        {10, 0, 1, 10}, {10, 1, 1, 0},
        {11, 1, 2, 1},
        {25, 0, 3, 10}, {25, 1, 3, 10}, {25, 2, 3, 5}, {25, 3, 3, 0},
        {30, 2, 3, 10}, {30, 3, 3, 0},
        {25, kWrapping, 3, 0},
    };
    for (const auto& c : cases) {
        const UserInfoSet store = StoreOf(c.size);
        EXPECT_EQ(PageCount(store), c.pages) << "size " << c.size;

        const auto [first, last] = PageRange(store, c.page);
        const std::size_t rows = static_cast<std::size_t>(std::distance(first, last));
        EXPECT_EQ(rows, c.rows) << "size " << c.size << " page " << c.page;
        if (c.rows == 0) {
            EXPECT_EQ(first, store.end()) << "size " << c.size << " page " << c.page;
            continue;
        }
        std::size_t row = 0;
        for (auto it = first; it != last; ++it, ++row) {
            EXPECT_EQ(it->id, IdAtArrival(c.page * kResultRowsPerPage + row))
                << "size " << c.size << " page " << c.page << " row " << row;
        }
    }
}

TEST(PageRange, WorksOnZoneStoresToo) {
    const ZoneInfoSet zones = ZonesWithIds({50, 40, 30, 20, 10, 60, 70, 80, 90, 100, 5, 1});
    const auto [first, last] = PageRange(zones, 1);
    EXPECT_EQ(IdsOf(std::vector<ZoneInfo>(first, last)), (Ids{5, 1}));
    EXPECT_EQ(PositionAt(zones, 11)->id, 1u);
}

}  // namespace
