#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "RecordBuilders.h"
#include "SearchRecords.h"
#include "TabResults.h"

namespace {

using Ids = std::vector<std::uint64_t>;

Ids Range(std::uint64_t first, int count) {
    Ids ids;
    for (int i = 0; i < count; ++i) {
        ids.push_back(first + static_cast<std::uint64_t>(i));
    }
    return ids;
}

// Drives one tab's results as the window does: a query is sent, its reply received and taken, and
// the page shown is re-derived from the rows the list held before.
class Tab {
public:
    Tab() { results.SetShown(true); }

    // A query sent and answered with `batch` (or a failure), then shown.
    TabReply Answer(const UserInfoSet& batch, bool ok = true) {
        results.BeginQuery();
        const TabReply reply = results.Receive(ok, batch);
        EXPECT_EQ(results.Take(reply), ReplyFate::Answer);
        if (reply.kind == ReplyKind::Merged) {
            Show();
        }
        return reply;
    }
    void Show() {
        results.AdvanceFrom(rowsShown);
        Redraw();
    }
    void Redraw() { rowsShown = static_cast<int>(results.PageRecords().size()); }
    // Next page as the window does it; false when it would ask the server.
    bool NextFromCache() {
        if (results.Next() != NextStep::FromCache) {
            return false;
        }
        Show();
        return true;
    }
    void Previous() {
        results.PreviousPage();
        rowsShown = 0;
        Show();
    }

    TabResults<UserInfoSet> results;
    int rowsShown = 0;
};

TEST(TabResults, PagerFollowsTheCacheAndTheLastBatch) {
    const struct {
        const char* name;
        std::vector<UserInfoSet> answers;  // each answer shown as it comes
        int pagesForward;                  // then Next from the cache this many times
        int page;
        bool hasRecords, previous, next;
        NextStep step;
    } cases[] = {
        {"nothing cached", {}, 0, 0, false, false, false, NextStep::FromServer},
        {"3 cached, new ones", {Users(1, 3)}, 0, 0, true, false, true, NextStep::FromServer},
        {"25 cached, page 2: more in the cache", {Users(1, 25)}, 1, 1, true, true, true,
         NextStep::FromCache},
        {"25 cached, page 3 of 5 rows", {Users(1, 25)}, 2, 2, true, true, true, NextStep::FromServer},
        {"20 cached, page 2, the last batch added 10", {Users(1, 10), Users(11, 10)}, 0, 1, true,
         true, true, NextStep::FromServer},
        {"20 cached, page 2, the last batch added nothing", {Users(1, 10), Users(11, 10), Users(1, 10)},
         0, 1, true, true, false, NextStep::FromServer},
        {"25 cached, page 2, the last batch added nothing: more in the cache", {Users(1, 25), Users(1, 5)},
         0, 1, true, true, true, NextStep::FromCache},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Tab tab;
        for (const UserInfoSet& answer : c.answers) {
            tab.Answer(answer);
        }
        for (int i = 0; i < c.pagesForward; ++i) {
            ASSERT_TRUE(tab.NextFromCache());
        }
        const PagerState pager = tab.results.Pager();
        EXPECT_EQ(tab.results.Page(), c.page);
        EXPECT_EQ(pager.hasRecords, c.hasRecords);
        EXPECT_EQ(pager.pageNumber, c.page + 1);
        EXPECT_EQ(pager.previous, c.previous);
        EXPECT_EQ(pager.next, c.next);
        EXPECT_EQ(tab.results.Next(), c.step);
    }
}

TEST(TabResults, ReQueriesFillAShortPageAndAdvanceOnlyOntoNewRecords) {
    // A short first page is filled up by the next batch; Next then pages from the cache.
    Tab a;
    a.Answer(Users(1, 3));
    EXPECT_EQ(a.results.NewCount(), 3);
    EXPECT_EQ(IdsOf(a.results.PageRecords()), Range(1, 3));
    ASSERT_EQ(a.results.Next(), NextStep::FromServer);
    UserInfoSet second = Users(1, 3);
    for (const UserInfo& u : Users(4, 12)) second.push_back(u);
    a.Answer(second);
    EXPECT_EQ(a.results.NewCount(), 12);
    EXPECT_EQ(a.results.Page(), 0) << "the list held 3 rows";
    EXPECT_EQ(IdsOf(a.results.PageRecords()), Range(1, 10));
    ASSERT_TRUE(a.NextFromCache());
    EXPECT_EQ(a.results.Page(), 1);
    EXPECT_EQ(IdsOf(a.results.PageRecords()), Range(11, 5));

    // A full page advances onto the records a re-query brought.
    Tab b;
    b.Answer(Users(1, 10));
    ASSERT_EQ(b.results.Next(), NextStep::FromServer) << "10 < 10 is false";
    b.Answer(Users(11, 10));
    EXPECT_EQ(b.results.Page(), 1);
    EXPECT_EQ(IdsOf(b.results.PageRecords()), Range(11, 10));

    // A re-query from a full page that brings nothing new stays on that page, and ends paging.
    b.Answer(Users(5, 10));
    EXPECT_EQ(b.results.Page(), 1);
    EXPECT_EQ(IdsOf(b.results.PageRecords()), Range(11, 10));
    EXPECT_EQ(b.results.NewCount(), 0);
    EXPECT_FALSE(b.results.Pager().next);
    EXPECT_TRUE(b.results.Pager().previous);

    // Previous from a short last page shows the full page before it.
    Tab c;
    c.Answer(Users(1, 25));
    ASSERT_TRUE(c.NextFromCache());
    ASSERT_TRUE(c.NextFromCache());
    EXPECT_EQ(IdsOf(c.results.PageRecords()), Range(21, 5));
    c.Previous();
    EXPECT_EQ(c.results.Page(), 1);
    EXPECT_EQ(IdsOf(c.results.PageRecords()), Range(11, 10));
    c.Previous();
    c.Previous();
    EXPECT_EQ(c.results.Page(), 0) << "never below the first page";
}

TEST(TabResults, FailedAndEmptyRepliesKeepThePageAndTellWhetherMoreMayCome) {
    Tab tab;
    tab.Answer(Users(1, 10));
    tab.Answer(Users(11, 10));
    ASSERT_EQ(tab.results.Page(), 1);

    EXPECT_EQ(tab.Answer(UserInfoSet(), false).kind, ReplyKind::Failed);
    EXPECT_EQ(tab.results.NewCount(), 10) << "a failure says nothing about the server's records";
    EXPECT_EQ(tab.results.Page(), 1);
    EXPECT_TRUE(tab.results.Pager().next) << "the user may try again";

    EXPECT_EQ(tab.Answer(UserInfoSet()).kind, ReplyKind::NothingFound);
    EXPECT_EQ(tab.results.NewCount(), 0) << "the server has nothing more";
    EXPECT_EQ(tab.results.Page(), 1);
    EXPECT_EQ(IdsOf(tab.results.PageRecords()), Range(11, 10));
    EXPECT_FALSE(tab.results.Pager().next);
    EXPECT_TRUE(tab.results.Pager().previous);
}

TEST(TabResults, RowsMapToTheRecordsOfThePageShown) {
    Tab tab;
    tab.Answer(Users(1, 13));
    EXPECT_FALSE(tab.results.RecordAtRow(10)) << "a row of the next page";
    ASSERT_TRUE(tab.NextFromCache());
    EXPECT_EQ(tab.results.RecordAtRow(0)->id, 11u);
    EXPECT_EQ(tab.results.RecordAtRow(2)->id, 13u);
    EXPECT_FALSE(tab.results.RecordAtRow(3)) << "past the last record";
    EXPECT_FALSE(tab.results.RecordAtRow(5));
    EXPECT_FALSE(tab.results.RecordAtRow(-1));
    EXPECT_FALSE(tab.results.RecordAtRow(10));
}

TEST(TabResults, ZonePagesWalkArrivalOrderNotIdentifierOrder) {
    TabResults<ZoneInfoSet> zones;
    zones.SetShown(true);
    ZoneInfoSet batch;
    for (std::uint64_t id : {50, 40, 30, 20, 10, 60, 70, 80, 90, 100, 5, 1}) {
        batch.push_back(MakeZone(id));
    }
    zones.BeginQuery();
    ASSERT_EQ(zones.Take(zones.Receive(true, batch)), ReplyFate::Answer);
    EXPECT_EQ(IdsOf(zones.PageRecords()), (Ids{50, 40, 30, 20, 10, 60, 70, 80, 90, 100}));
    ASSERT_EQ(zones.Next(), NextStep::FromCache);
    ASSERT_TRUE(zones.AdvanceFrom(TabResults<ZoneInfoSet>::kPageSize));
    EXPECT_EQ(IdsOf(zones.PageRecords()), (Ids{5, 1}));
    EXPECT_FALSE(zones.AdvanceFrom(TabResults<ZoneInfoSet>::kPageSize)) << "nothing beyond";
    EXPECT_EQ(zones.RecordAtRow(1)->id, 1u);
}

TEST(TabResults, BatchForATabBehindIsDroppedUnmerged) {
    Tab tab;
    tab.results.SetShown(false);
    tab.results.BeginQuery();
    const TabReply reply = tab.results.Receive(true, Users(1, 5));
    EXPECT_EQ(reply.kind, ReplyKind::Dropped);
    EXPECT_EQ(tab.results.Take(reply), ReplyFate::Answer) << "the query is over all the same";
    EXPECT_EQ(tab.results.Size(), 0u);
    EXPECT_EQ(tab.results.NewCount(), 0);
    EXPECT_EQ(tab.results.Receive(true, UserInfoSet()).kind, ReplyKind::NothingFound) << "whichever tab is in front";
}

TEST(TabResults, AbandonedRepliesAreStaleWhereverTheyWere) {
    // Merged and posted, then Back from page 2: the post is recognised, and the records are gone.
    Tab tab;
    tab.Answer(Users(1, 10));
    tab.Answer(Users(11, 10));
    ASSERT_EQ(tab.results.Page(), 1);
    tab.results.BeginQuery();
    EXPECT_TRUE(tab.results.Pager().inFlight);
    const TabReply merged = tab.results.Receive(true, Users(21, 10));
    const TabReply failed = tab.results.Receive(false, UserInfoSet());
    tab.results.Abandon();
    EXPECT_EQ(tab.results.Take(merged), ReplyFate::Stale);
    EXPECT_EQ(tab.results.Take(failed), ReplyFate::Stale);
    EXPECT_EQ(tab.results.Size(), 0u);
    EXPECT_EQ(tab.results.Page(), 0);
    EXPECT_EQ(tab.results.NewCount(), 0);
    EXPECT_FALSE(tab.results.QueryInFlight()) << "not busy any more";
    EXPECT_FALSE(tab.results.Pager().inFlight);
    EXPECT_FALSE(tab.results.Pager().hasRecords);

    // A new search starts from page 0, and the store's position of page 0 follows the records.
    tab.rowsShown = 0;
    tab.Answer(Users(100, 4));
    EXPECT_EQ(IdsOf(tab.results.PageRecords()), Range(100, 4));

    // CancelQuery (the other tab's Back): replies go stale but the records stay.
    tab.results.BeginQuery();
    const TabReply late = tab.results.Receive(true, Users(200, 2));
    tab.results.CancelQuery();
    EXPECT_EQ(tab.results.Take(late), ReplyFate::Stale);
    EXPECT_FALSE(tab.results.QueryInFlight());
    EXPECT_EQ(tab.results.Size(), 6u);
}

TEST(TabResults, ASecondReplyToOneQueryIsExtra) {
    Tab tab;
    tab.results.BeginQuery();
    const TabReply first = tab.results.Receive(true, Users(1, 3));
    const TabReply second = tab.results.Receive(true, Users(3, 3));
    EXPECT_EQ(tab.results.Take(first), ReplyFate::Answer);
    EXPECT_EQ(tab.results.Take(second), ReplyFate::Extra);
    EXPECT_EQ(IdsOf(tab.results.PageRecords()), Range(1, 5));
}

// A merge is cut into slices, so that the window thread can read and cancel between them; a merge
// cancelled part-way leaves nothing of its batch, whichever slice it had reached.
TEST(TabResultsThreads, MergeCancelledPartWayLeavesNoneOfItsBatch) {
    const UserInfoSet batch = Users(1000, 50000);
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        Tab tab;
        tab.Answer(Users(1, 5));
        std::atomic<bool> started{false};
        TabReply reply;
        std::thread protocol([&] {
            started = true;
            reply = tab.results.Receive(true, batch);
        });
        while (!started.load()) {
            std::this_thread::yield();
        }
        // Reads between the slices see the records in arrival order: the old ones, then as much
        // of the batch as has been merged.
        while (tab.results.Size() == 5) {
            std::this_thread::yield();
        }
        const Ids page = IdsOf(tab.results.PageRecords());
        ASSERT_EQ(page.size(), 10u);
        EXPECT_EQ(Ids(page.begin(), page.begin() + 5), Range(1, 5));
        EXPECT_EQ(Ids(page.begin() + 5, page.end()), Range(1000, 5));
        tab.results.CancelQuery();
        protocol.join();
        EXPECT_EQ(reply.kind, ReplyKind::Merged);
        EXPECT_EQ(tab.results.Take(reply), ReplyFate::Stale);
        const std::size_t size = tab.results.Size();
        EXPECT_TRUE(size == 5 || size == 50005) << "a part of the batch stayed: " << size;
        EXPECT_EQ(tab.results.NewCount(), size == 5 ? 5 : 50000);
    }
}

}  // namespace
