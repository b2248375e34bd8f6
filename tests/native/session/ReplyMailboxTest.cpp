// The hand-over from the protocol thread to the window thread: the reply mailbox alone, and with
// one tab's results under real threads racing Back, reset and page reads.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "RecordBuilders.h"
#include "ReplyMailbox.h"
#include "SearchRecords.h"

namespace {

TEST(ReplyMailbox, HoldsRepliesOnlyWhileOpenAndHandsThemOutOldestFirst) {
    ReplyMailbox mailbox;
    int posts = 0;
    auto post = [&](const PostedReply&) { ++posts; };
    EXPECT_FALSE(mailbox.Leave({SearchTab::Users, {1, ReplyKind::Merged}}, post)) << "no window yet";
    EXPECT_EQ(posts, 0);

    mailbox.Open();
    EXPECT_TRUE(mailbox.Leave({SearchTab::Users, {1, ReplyKind::Merged}}, post));
    EXPECT_TRUE(mailbox.Leave({SearchTab::Zones, {7, ReplyKind::Failed}}, post));
    EXPECT_EQ(posts, 2);
    EXPECT_EQ(mailbox.TakeOldest()->tab, SearchTab::Users);
    const auto second = mailbox.TakeOldest();
    EXPECT_EQ(second->tab, SearchTab::Zones);
    EXPECT_EQ(second->reply.generation, 7u);
    EXPECT_EQ(second->reply.kind, ReplyKind::Failed);
    EXPECT_FALSE(mailbox.TakeOldest()) << "a stray post finds nothing";

    mailbox.Leave({SearchTab::Users, {1, ReplyKind::Merged}}, post);
    mailbox.Close();
    EXPECT_EQ(mailbox.Waiting(), 0u);
    EXPECT_FALSE(mailbox.Leave({SearchTab::Users, {1, ReplyKind::Merged}}, post));
}

// The window's protocol, with real threads: the protocol thread answers queries, merging under the
// tab's lock and leaving the reply in the mailbox; the window thread sends, pages, takes replies and
// goes Back, replacing the command first (cancel what is queued, wait for a running callback) and
// abandoning after. Records carry the number of the search they were answered for, so a reply
// of an abandoned search that reached the store would show.
TEST(TabResultsThreads, RepliesRacingBackResetAndPageReadsNeverLeakIntoANewSearch) {
    TabResults<UserInfoSet> results;
    results.SetShown(true);
    ReplyMailbox mailbox;
    mailbox.Open();

    struct Query {
        std::uint64_t command;
        std::uint64_t search;
    };
    std::mutex commandMutex;  // a running callback; held by Back while it replaces the command
    std::uint64_t liveCommand = 1;    // under commandMutex
    std::mutex queueMutex;
    std::deque<Query> queries;        // under queueMutex
    std::atomic<bool> stop{false};
    std::atomic<int> answered{0};
    std::atomic<int> posted{0};

    std::thread protocol([&] {
        std::mt19937 rng(7);
        std::uint64_t next = 1;
        while (!stop.load()) {
            Query query{};
            {
                std::lock_guard<std::mutex> lock(queueMutex);
                if (queries.empty()) {
                    std::this_thread::yield();
                    continue;
                }
                query = queries.front();
                queries.pop_front();
            }
            std::lock_guard<std::mutex> running(commandMutex);
            if (query.command != liveCommand) {
                continue;  // cancelled with its command
            }
            const unsigned roll = rng() % 10;
            UserInfoSet batch;
            if (roll > 1) {
                const int count = static_cast<int>(rng() % 15) + 1;
                // Each batch repeats up to three records of the one before; new ids only grow.
                batch = Users((query.search << 32) + next, count);
                next += static_cast<std::uint64_t>(count - std::min(count - 1, 3));
            }
            const TabReply reply = results.Receive(roll != 0, batch);
            mailbox.Leave({SearchTab::Users, reply}, [&](const PostedReply&) { ++posted; });
            ++answered;
        }
    });

    std::uint64_t search = 1;
    int rowsShown = 0;
    int taken = 0;
    std::mt19937 rng(12345);
    auto send = [&] {
        if (results.QueryInFlight()) {
            return;
        }
        results.BeginQuery();
        std::lock_guard<std::mutex> lock(queueMutex);
        std::lock_guard<std::mutex> command(commandMutex);
        queries.push_back({liveCommand, search});
    };
    auto back = [&] {
        results.CancelQuery();  // a merge running stops at its next slice
        {
            std::lock_guard<std::mutex> command(commandMutex);  // waits for a running callback
            ++liveCommand;
        }
        results.Abandon();
        ++search;
        rowsShown = 0;
    };
    // The window thread's 20000 steps take a few milliseconds; on a busy machine (or under Wine)
    // the protocol thread may not even have been scheduled by then. The race goes on until both
    // sides have taken part as the checks below expect, within a bound.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    const auto bothTookPart = [&] { return answered.load() > 200 && taken > 100; };
    for (int step = 0; !::testing::Test::HasFailure() &&
                       (step < 20000 ||
                        (!bothTookPart() && std::chrono::steady_clock::now() < deadline));
         ++step) {
        switch (rng() % 8) {
        case 0:
        case 1:
            send();
            break;
        case 2:
            back();
            break;
        case 3:
            if (results.Next() == NextStep::FromCache) {
                results.AdvanceFrom(rowsShown);
                rowsShown = static_cast<int>(results.PageRecords().size());
            } else {
                send();
            }
            break;
        case 4:
            results.PreviousPage();
            rowsShown = static_cast<int>(results.PageRecords().size());
            break;
        default:
            if (mailbox.Waiting() == 0) {
                std::this_thread::yield();  // give the protocol thread a turn
            }
            while (const auto reply = mailbox.TakeOldest()) {
                const ReplyFate fate = results.Take(reply->reply);
                if (fate == ReplyFate::Stale) {
                    continue;
                }
                ++taken;
                if (reply->reply.kind == ReplyKind::Merged) {
                    if (fate == ReplyFate::Answer) {
                        results.AdvanceFrom(rowsShown);
                    }
                    rowsShown = static_cast<int>(results.PageRecords().size());
                }
            }
            break;
        }
        // Only records of the search in front, each once, in arrival order; the page shown holds
        // records whenever the store does.
        std::set<std::uint64_t> seen;
        std::uint64_t last = 0;
        results.ForEachRecord([&](const UserInfo& user) {
            EXPECT_EQ(user.id >> 32, search) << "a record of an abandoned search, step " << step;
            EXPECT_TRUE(seen.insert(user.id).second) << "id twice, step " << step;
            EXPECT_GT(user.id, last) << "out of arrival order, step " << step;
            last = user.id;
        });
        if (results.Size() > 0) {
            EXPECT_FALSE(results.PageRecords().empty()) << "an empty page, step " << step;
        }
    }
    stop = true;
    protocol.join();
    EXPECT_GT(answered.load(), 200) << "the protocol thread took part";
    EXPECT_GT(taken, 100);
    EXPECT_EQ(posted.load(), answered.load()) << "every reply left was posted";
}
}  // namespace
