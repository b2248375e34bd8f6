// A thousand times over: open the window, query, and take the window or the search down while the
// reply is on its way — not yet answered, being delivered on the protocol thread, or posted and not
// yet handled. Nothing may crash or hang, exactly one command lives while the window exists and
// none after, and nothing of the module's windows, fonts or hooks is left behind.
#include <memory>
#include <string>

#include "HandleLedger.h"
#include "SearchWindowFixture.h"
#include "Watchdog.h"

namespace {
enum class Teardown { Close, CloseAndReopen, Back, Stop, DeleteSearch };
enum class ReplyAt { NotAnswered, BeingDelivered, Posted };

const char* Name(Teardown t) {
    switch (t) {
    case Teardown::Close: return "Close";
    case Teardown::CloseAndReopen: return "Close and reopen";
    case Teardown::Back: return "Back";
    case Teardown::Stop: return "StopSearch";
    default: return "deleting Search";
    }
}
const char* Name(ReplyAt at) {
    switch (at) {
    case ReplyAt::NotAnswered: return "not yet answered";
    case ReplyAt::BeingDelivered: return "being delivered";
    default: return "posted, not yet handled";
    }
}

constexpr int kCycles = 1000;
constexpr int kDeliveredRecords = 2000;  // a merge long enough to be caught running
}  // namespace

TEST_F(SearchWindowTest, ThousandTeardownsWithRepliesInFlight) {
    ASSERT_TRUE(ledger::Install(::GetModuleHandleW(L"Search.dll")));
    wintest::Watchdog watchdog(60000);
    const std::size_t windowsWithout = ledger::ThreadWindows();
    const ledger::Counts without = ledger::Live();
    std::size_t windowsWith = 0;
    ledger::Counts with;
    int caughtDelivering = 0;
    const UserInfoSet big = Users(11, kDeliveredRecords);

    for (int cycle = 0; cycle < kCycles && !HasFailure(); ++cycle) {
        const auto teardown = static_cast<Teardown>(cycle % 5);
        const auto at = static_cast<ReplyAt>((cycle / 5) % 3);
        const std::string step = "cycle " + std::to_string(cycle) + ": " + Name(teardown) +
                                 " while the reply is " + Name(at);
        watchdog.Step(step);
        SCOPED_TRACE(step);

        if (!m_search)
            m_search = std::make_unique<Search>(m_transmit.get(), &m_handler);
        Start(true);
        SendNickSearch(L"王");
        AnswerUsers(Users(1, 10));
        Click(ids::NextPage);  // the re-query is out
        const QZP::SearchRequestPtr request = m_service.Request(m_service.QueryCount() - 1);
        ASSERT_TRUE(request && !request->IsAnswered());

        if (at == ReplyAt::BeingDelivered) {
            ASSERT_TRUE(request->AnswerUsers(true, big));
            const ULONGLONG deadline = ::GetTickCount64() + 10000;
            while (!m_transmit->CallbackRunning() && m_transmit->QueuedAnswers() > 0 &&
                   ::GetTickCount64() < deadline)
                ::Sleep(0);
            caughtDelivering += m_transmit->CallbackRunning() ? 1 : 0;
        } else if (at == ReplyAt::Posted) {
            ASSERT_TRUE(request->AnswerUsers(true, Users(11, 10)));
            ASSERT_TRUE(m_transmit->WaitIdle(std::chrono::seconds(10)));
        }

        // No pumping between the reply and the teardown.
        switch (teardown) {
        case Teardown::Close:
            ::SendMessageW(Control(ids::Close), BM_CLICK, 0, 0);
            break;
        case Teardown::CloseAndReopen:
            ::SendMessageW(Control(ids::Close), BM_CLICK, 0, 0);
            m_search->StartSearch(nullptr, true);
            break;
        case Teardown::Back:
            ::SendMessageW(Control(ids::Back), BM_CLICK, 0, 0);
            break;
        case Teardown::Stop:
            m_search->StopSearch();
            break;
        case Teardown::DeleteSearch:
            m_search.reset();
            break;
        }
        if (at == ReplyAt::NotAnswered)
            request->AnswerUsers(true, Users(11, 10));  // refused when its command is gone
        Pump();

        const bool windowStays = teardown == Teardown::Close ||
                                 teardown == Teardown::CloseAndReopen || teardown == Teardown::Back;
        ASSERT_EQ(Dialog() != nullptr, windowStays);
        EXPECT_EQ(m_transmit->LiveCommands(), windowStays ? 1u : 0u);
        EXPECT_EQ(ledger::Probe(), L"");
        const ledger::Counts live = ledger::Live();
        if (windowStays) {
            if (windowsWith == 0) {
                windowsWith = ledger::ThreadWindows();
                with = live;
                EXPECT_EQ(with.dialogs, 1u);
                EXPECT_EQ(with.hooks, without.hooks + 1) << "the pre-translation hook";
            }
            EXPECT_EQ(ledger::ThreadWindows(), windowsWith);
            EXPECT_EQ(live, with);
        } else {
            EXPECT_EQ(ledger::ThreadWindows(), windowsWithout);
            EXPECT_EQ(live, without);
            EXPECT_EQ(live.dialogs, 0u);
        }

        // What each teardown leaves on screen.
        if (teardown == Teardown::Close) {
            EXPECT_FALSE(::IsWindowVisible(Dialog()));
            EXPECT_EQ(Text(ids::PageLabel), L"第1页") << "a closed window's query is abandoned, its page kept";
            EXPECT_EQ(Text(ids::NextPage), L"下一页") << "not busy";
        } else if (windowStays) {
            EXPECT_TRUE(Shown(ids::RadioNick) || Shown(ids::RadioCompany)) << "the form is back";
            EXPECT_EQ(RowCount(ids::ListUser), 0);
            EXPECT_EQ(Text(ids::Find), L"查找");
            EXPECT_TRUE(Enabled(ids::Tab));
        }
        EXPECT_TRUE(RecordedBoxes().empty());
    }
    EXPECT_GT(ledger::CallsSeen(), 0u) << "the ledger was in the module's path";
    EXPECT_GT(caughtDelivering, kCycles / 15 / 2)
        << "the teardown rarely met a delivery in progress";
    std::printf("teardown: %d cycles, %d caught mid-delivery, %zu ledger calls; with the window "
                "%zu windows, %zu fonts, %zu brushes, %zu bitmaps, %zu DCs, %zu hooks; "
                "without it %zu windows\n",
                kCycles, caughtDelivering, ledger::CallsSeen(), windowsWith, with.fonts, with.brushes,
                with.bitmaps, with.dcs, with.hooks, windowsWithout);
}

// The same ledger in a few cycles, for the quick runs: each window made and stopped, on either
// tab, leaves nothing of the module's behind.
TEST_F(SearchWindowTest, WindowsMadeAndStoppedLeaveNothingBehind) {
    ASSERT_TRUE(ledger::Install(::GetModuleHandleW(L"Search.dll")));
    const ledger::Counts without = ledger::Live();
    for (bool users : {true, false, true}) {
        Start(users);
        Stop();
        EXPECT_EQ(ledger::Live(), without) << (users ? "users" : "zones");
    }
    EXPECT_EQ(ledger::Probe(), L"");
}
