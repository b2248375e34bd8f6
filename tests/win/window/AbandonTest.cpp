// Back and a reset end the search the user was looking at. Whatever its replies do afterwards, and
// wherever they are at that moment (not yet answered, being merged on the protocol thread, merged
// and posted but not yet handled), nothing of them shows; the window is idle at once; and the same
// criteria start the search anew.
#include "SearchWindowFixture.h"

namespace {
constexpr auto kWait = std::chrono::seconds(20);
}

class AbandonTest : public SearchWindowTest {
protected:
    // The users form as Back or a reset leaves it: not busy, nothing listed, no box.
    void ExpectIdleUsersForm() {
        EXPECT_TRUE(Shown(ids::RadioNick));
        EXPECT_FALSE(Shown(ids::ListUser));
        EXPECT_EQ(RowCount(ids::ListUser), 0);
        EXPECT_TRUE(Enabled(ids::Find));
        EXPECT_EQ(Text(ids::Find), L"查找");
        EXPECT_EQ(Text(ids::NextPage), L"下一页");
        EXPECT_TRUE(Enabled(ids::Tab));
        EXPECT_TRUE(RecordedBoxes().empty());
        EXPECT_EQ(m_transmit->LiveCommands(), 1u) << "exactly one live command";
    }

    // Page 1 of a nickname search, then Next asks the server again: a re-query is out.
    void ReQueryOut() {
        const std::size_t before = m_service.QueryCount();
        SearchByNick(L"王", Users(1, 10));
        Click(ids::NextPage);
        ASSERT_EQ(m_service.QueryCount(), before + 2);
        ASSERT_EQ(Text(ids::NextPage), L"正在查找");
        ASSERT_TRUE(Enabled(ids::Back)) << "Back stays usable during a re-query";
    }

    // Delivers the oldest pending request's answer and waits until its callback has merged and
    // posted, without handling the post.
    void AnswerWithoutPumping(const UserInfoSet& batch, bool ok) {
        ASSERT_TRUE(m_service.AnswerUsers(ok, batch));
        ASSERT_TRUE(m_transmit->WaitIdle(kWait));
    }
};

TEST_F(AbandonTest, BackBeforeTheReplyComesCancelsIt) {
    Start(true);
    ReQueryOut();
    const QZP::SearchRequestPtr request = m_service.Request(1);
    Click(ids::Back);
    ExpectIdleUsersForm();
    EXPECT_FALSE(request->AnswerUsers(true, Users(11, 10))) << "its command is gone";
    Pump();
    ExpectIdleUsersForm();
}

TEST_F(AbandonTest, BackAfterTheReplyWasPostedShowsNothingOfIt) {
    const struct {
        const char* name;
        bool ok;
        UserInfoSet batch;
    } cases[] = {
        {"batch", true, Users(11, 10)},
        {"failure", false, UserInfoSet()},
        {"nothing found", true, UserInfoSet()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Start(true);
        ReQueryOut();
        AnswerWithoutPumping(c.batch, c.ok);
        ::SendMessageW(Control(ids::Back), BM_CLICK, 0, 0);
        Pump();  // the reply's post is handled only now
        ExpectIdleUsersForm();
        Click(ids::Close);
    }
}

// The old reply's post is still queued when the new search is already out: it must not pass for
// the new search's answer.
TEST_F(AbandonTest, OldPostHandledAfterTheNextSearchIsSentIsNotItsAnswer) {
    Start(true);
    ReQueryOut();
    AnswerWithoutPumping(Users(11, 10), true);
    ::SendMessageW(Control(ids::Back), BM_CLICK, 0, 0);
    ::SendMessageW(Control(ids::Find), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(Text(ids::Find), L"正在查找") << "still waiting for the new search's answer";
    EXPECT_FALSE(Enabled(ids::Tab));
    EXPECT_TRUE(Shown(ids::RadioNick));
    AnswerUsers(Users(1, 4));
    EXPECT_EQ(FirstColumn(ids::ListUser),
              (std::vector<std::wstring>{L"acc1", L"acc2", L"acc3", L"acc4"}));
    EXPECT_EQ(Text(ids::PageLabel), L"第1页");
}

TEST_F(AbandonTest, BackWhileTheReplyIsBeingMergedShowsNothingOfIt) {
    Start(true);
    ReQueryOut();
    // Big enough that its merge is still running when Back is clicked.
    ASSERT_TRUE(m_service.AnswerUsers(true, Users(1000, 100000)));
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (!m_transmit->CallbackRunning() && std::chrono::steady_clock::now() < deadline)
        ::Sleep(0);
    const bool merging = m_transmit->CallbackRunning();
    ::SendMessageW(Control(ids::Back), BM_CLICK, 0, 0);
    EXPECT_TRUE(merging) << "Back came after the merge, not during it";
    Pump();
    ExpectIdleUsersForm();
}

TEST_F(AbandonTest, BackThenTheSameCriteriaStartANewSearch) {
    Start(true);
    SearchByNick(L"王", Users(1, 10));
    Click(ids::Back);
    Click(ids::Find);  // the form kept its criteria
    ASSERT_EQ(m_service.QueryCount(), 2u);
    EXPECT_TRUE(m_service.Queries()[1] == m_service.Queries()[0]);
    EXPECT_EQ(m_service.Request(1)->Round(), 0u) << "a new search, not more of the old one";
    EXPECT_EQ(m_transmit->LiveCommands(), 1u);
    AnswerUsers(Users(1, 10));
    EXPECT_EQ(Text(ids::PageLabel), L"第1页");
    EXPECT_EQ(FirstColumn(ids::ListUser).front(), L"acc1");
}

// A reset comes with every StartSearch that shows a hidden window.
TEST_F(AbandonTest, ReopeningAbandonsTheQueryOutWhereverItsReplyIs) {
    enum class Where { NotAnswered, Posted };
    for (Where where : {Where::NotAnswered, Where::Posted}) {
        SCOPED_TRACE(where == Where::NotAnswered ? "not answered" : "posted");
        Start(true);
        Type(ids::EditCompany, L"星光");
        Click(ids::Find);
        const std::size_t sent = m_service.QueryCount();
        ASSERT_EQ(Text(ids::Find), L"正在查找");
        if (where == Where::Posted) {
            AnswerWithoutPumping(Users(1, 5), true);
            ::SendMessageW(Dialog(), WM_COMMAND, IDCANCEL, 0);  // Close, without handling the post
        } else {
            Click(ids::Close);
        }
        m_search->StartSearch(nullptr, true);
        Pump();
        ExpectIdleUsersForm();
        EXPECT_EQ(Text(ids::EditCompany), L"星光") << "the company text survives a reset";

        // The same company again is a new search, and only its answer shows.
        Click(ids::Find);
        ASSERT_EQ(m_service.QueryCount(), sent + 1);
        EXPECT_EQ(m_service.Request(sent)->Round(), 0u);
        if (where == Where::NotAnswered) {
            EXPECT_FALSE(m_service.Request(sent - 1)->AnswerUsers(true, Users(1, 5)));
        }
        AnswerUsers(Users(50, 3));
        EXPECT_EQ(FirstColumn(ids::ListUser),
                  (std::vector<std::wstring>{L"acc50", L"acc51", L"acc52"}));
        Click(ids::Close);
    }
}

TEST_F(AbandonTest, ReopeningOnTheOtherTabLeavesNoBusyStateBehind) {
    Start(true);
    SendNickSearch(L"王");
    ASSERT_FALSE(Enabled(ids::Tab));
    Click(ids::Close);
    Start(false);
    EXPECT_TRUE(Shown(ids::RadioZoneById));
    EXPECT_TRUE(Enabled(ids::Tab)) << "at once, not when the old reply comes";
    EXPECT_TRUE(Enabled(ids::Find));
    EXPECT_EQ(Text(ids::Find), L"查找");
    EXPECT_EQ(m_transmit->LiveCommands(), 1u);
    EXPECT_FALSE(m_service.Request(0)->AnswerUsers(true, Users(1, 5)));
    Pump();
    ClickTab(0);
    EXPECT_TRUE(Shown(ids::RadioCompany));
    EXPECT_EQ(RowCount(ids::ListUser), 0);
}

TEST_F(AbandonTest, StoppingWhileAQueryIsOutLeavesNoCommand) {
    Start(true);
    Type(ids::EditCompany, L"星光");
    Click(ids::Find);
    Stop();
    EXPECT_EQ(Dialog(), nullptr);
    EXPECT_EQ(m_transmit->LiveCommands(), 0u);
    EXPECT_FALSE(m_service.Request(0)->AnswerUsers(true, Users(1, 5)));
}
