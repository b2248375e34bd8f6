// Search as the client sees it: opening, re-opening, closing and destroying the window.
#include "SearchWindowFixture.h"

namespace {
HWND MakeClientWindow() {
    return ::CreateWindowExW(0, L"STATIC", L"client", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                             nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

// True when `upper` lies above `lower` in the Z order.
bool Above(HWND upper, HWND lower) {
    for (HWND hWnd = ::GetWindow(lower, GW_HWNDPREV); hWnd; hWnd = ::GetWindow(hWnd, GW_HWNDPREV))
        if (hWnd == upper) return true;
    return false;
}

// Watches this thread's windows: the controls shown or hidden while their top-level window was
// already visible.
class VisibilityWatch {
public:
    VisibilityWatch() {
        s_changed.clear();
        s_seen = nullptr;
        m_hook = ::SetWindowsHookExW(WH_CALLWNDPROCRET, &Record, nullptr, ::GetCurrentThreadId());
    }
    ~VisibilityWatch() { ::UnhookWindowsHookEx(m_hook); }
    const std::vector<int>& ChangedWhileSeen() const { return s_changed; }

private:
    static LRESULT CALLBACK Record(int code, WPARAM wParam, LPARAM lParam) {
        const auto* msg = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && msg->message == WM_WINDOWPOSCHANGED) {
            const UINT flags = reinterpret_cast<const WINDOWPOS*>(msg->lParam)->flags;
            const bool child = (::GetWindowLongW(msg->hwnd, GWL_STYLE) & WS_CHILD) != 0;
            if (!child && (flags & SWP_SHOWWINDOW))
                s_seen = msg->hwnd;
            else if (!child && (flags & SWP_HIDEWINDOW) && msg->hwnd == s_seen)
                s_seen = nullptr;
            else if (child && (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) && s_seen &&
                     ::GetParent(msg->hwnd) == s_seen)
                s_changed.push_back(::GetDlgCtrlID(msg->hwnd));
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline HWND s_seen = nullptr;
    static inline std::vector<int> s_changed;
    HHOOK m_hook;
};
}  // namespace

TEST_F(SearchWindowTest, ClientAllocatesExactlyThreePointers) {
    EXPECT_EQ(sizeof(Search), 3 * sizeof(void*));
}

TEST_F(SearchWindowTest, FirstStartOpensTheRequestedTabsEmptyForm) {
    const struct { bool userTab; int formRadio; int hiddenRadio; } cases[] = {
        {true, ids::RadioCompany, ids::RadioZoneById},
        {false, ids::RadioZoneById, ids::RadioCompany},
    };
    for (const auto& c : cases) {
        Start(c.userTab);
        ASSERT_NE(Dialog(), nullptr);
        EXPECT_TRUE(::IsWindowVisible(Dialog()));
        EXPECT_EQ(::SendMessageW(Control(ids::Tab), TCM_GETCURSEL, 0, 0), c.userTab ? 0 : 1);
        EXPECT_TRUE(Shown(c.formRadio));
        EXPECT_FALSE(Shown(c.hiddenRadio));
        EXPECT_EQ(RowCount(ids::ListUser), 0);
        EXPECT_EQ(RowCount(ids::ListZone), 0);
        Stop();
        EXPECT_EQ(Dialog(), nullptr);
    }
}

TEST_F(SearchWindowTest, ParentIsTheClientsWindowOrTheDesktop) {
    HWND client = MakeClientWindow();
    ASSERT_NE(client, nullptr);
    Start(true, client);
    EXPECT_EQ(::GetWindow(Dialog(), GW_OWNER), client);
    Stop();

    HWND gone = MakeClientWindow();
    ::DestroyWindow(gone);
    Start(true, gone);  // not a window any more: the desktop stands in
    ASSERT_NE(Dialog(), nullptr);
    EXPECT_EQ(::GetWindow(Dialog(), GW_OWNER), nullptr);
    Stop();
    ::DestroyWindow(client);
}

TEST_F(SearchWindowTest, StartWhileShownKeepsTabCriteriaResultsAndPage) {
    Start(true);
    SearchByNick(L"张", Users(1, 25));
    Click(ids::NextPage);
    ASSERT_EQ(Text(ids::PageLabel), L"第2页");
    HWND other = MakeClientWindow();  // another window of the client's, in front of it
    ::SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ASSERT_TRUE(Above(other, Dialog()));

    m_search->StartSearch(nullptr, false);  // asks for the zones tab, but the window is shown
    Pump();
    EXPECT_TRUE(Above(Dialog(), other)) << "brought to the top";
    ::DestroyWindow(other);
    EXPECT_EQ(::SendMessageW(Control(ids::Tab), TCM_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(Shown(ids::ListUser));
    EXPECT_EQ(Text(ids::PageLabel), L"第2页");
    EXPECT_EQ(Cell(ids::ListUser, 0, 0), L"acc11");
    EXPECT_TRUE(Checked(ids::RadioNick));
    EXPECT_EQ(Text(ids::EditNick), L"张");
}

// The client's "find" item clicked again while a query is out: the window stays busy as a whole,
// and the answer then lands as it would have.
TEST_F(SearchWindowTest, StartWhileAQueryIsOutKeepsTheWindowBusy) {
    for (bool reQuery : {false, true}) {
        Start(true);
        SendNickSearch(L"王");
        if (reQuery) {
            AnswerUsers(Users(1, 10));
            Click(ids::NextPage);
        }
        m_search->StartSearch(nullptr, false);
        Pump();
        const std::string name = reQuery ? "re-query" : "first query";
        EXPECT_EQ(Text(ids::Find), L"正在查找") << name;
        EXPECT_FALSE(Enabled(ids::Find)) << name;
        EXPECT_EQ(Text(ids::NextPage), L"正在查找") << name;
        EXPECT_FALSE(Enabled(ids::NextPage)) << name;
        EXPECT_FALSE(Enabled(ids::PrevPage)) << name;
        EXPECT_FALSE(Enabled(ids::Tab)) << name;
        EXPECT_EQ(Shown(ids::ListUser), reQuery) << name;
        EXPECT_EQ(Enabled(ids::Back), reQuery) << name;
        AnswerUsers(Users(11, 5));
        EXPECT_EQ(Text(ids::PageLabel), reQuery ? L"第2页" : L"第1页") << name;
        EXPECT_EQ(Cell(ids::ListUser, 0, 0), L"acc11") << name;
        EXPECT_TRUE(Enabled(ids::Tab)) << name;
        Stop();
    }
}

TEST_F(SearchWindowTest, CloseHidesAndTheNextStartResetsToTheRequestedTab) {
    Start(true);
    SearchByNick(L"张", Users(1, 5));
    Click(ids::Close);
    ASSERT_NE(Dialog(), nullptr) << "Close only hides the window";
    EXPECT_FALSE(::IsWindowVisible(Dialog()));
    EXPECT_EQ(RowCount(ids::ListUser), 5) << "results survive while hidden";

    Start(false);
    EXPECT_TRUE(::IsWindowVisible(Dialog()));
    EXPECT_EQ(::SendMessageW(Control(ids::Tab), TCM_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(Shown(ids::RadioZoneById));
    EXPECT_EQ(RowCount(ids::ListUser), 0);
    ClickTab(0);
    EXPECT_TRUE(Shown(ids::RadioCompany)) << "the users tab came back to its form";
    EXPECT_TRUE(Checked(ids::RadioCompany));
    EXPECT_EQ(Text(ids::EditNick), L"");
}

// What the user first sees is the view asked for: no control comes or goes once the window is
// visible, whether the window is new or shown again after Close from the other tab.
TEST_F(SearchWindowTest, OpeningChangesNoControlOnceTheWindowIsSeen) {
    for (bool userTab : {true, false}) {
        {
            VisibilityWatch watch;
            Start(userTab);
            EXPECT_EQ(watch.ChangedWhileSeen(), std::vector<int>{}) << "a new window, users tab " << userTab;
        }
        ClickTab(userTab ? 1 : 0);
        Click(ids::Close);
        {
            VisibilityWatch watch;
            Start(userTab);
            EXPECT_EQ(watch.ChangedWhileSeen(), std::vector<int>{}) << "shown again, users tab " << userTab;
        }
        EXPECT_TRUE(Shown(userTab ? ids::RadioCompany : ids::RadioZoneById));
        Stop();
    }
}

// Only StartSearch resets: the window hidden and shown again by anyone else (the client, or its
// owner minimised and restored) keeps its results.
TEST_F(SearchWindowTest, ShownAgainOtherwiseTheWindowKeepsItsResults) {
    Start(true);
    SearchByNick(L"张", Users(1, 5));
    ::ShowWindow(Dialog(), SW_HIDE);
    ::ShowWindow(Dialog(), SW_SHOW);
    Pump();
    EXPECT_TRUE(Shown(ids::ListUser));
    EXPECT_EQ(RowCount(ids::ListUser), 5);
}

TEST_F(SearchWindowTest, StopWithoutStartOrTwiceDoesNothing) {
    m_search->StopSearch();
    m_search->StopSearch();
    EXPECT_EQ(Dialog(), nullptr);
    Start();
    Stop();
    m_search->StopSearch();
    EXPECT_EQ(Dialog(), nullptr);
}

TEST_F(SearchWindowTest, StartAfterStopBuildsAFreshWindow) {
    m_handler.industries = {L"金融"};
    Start(true);
    Type(ids::EditCompany, L"旧公司");
    HWND first = Dialog();
    Stop();
    EXPECT_FALSE(::IsWindow(first));
    Start(true);
    ASSERT_NE(Dialog(), nullptr);
    EXPECT_EQ(Text(ids::EditCompany), L"") << "a new window starts with an empty company edit";
    EXPECT_EQ(m_handler.industryRequests, 2) << "each new window asks for the industries once";
}

TEST_F(SearchWindowTest, AssignmentSharesTheWindow) {
    Start(true);
    HWND window = Dialog();
    Search alias(nullptr, nullptr);
    alias = *m_search;
    alias.StartSearch(nullptr, true);  // the same, visible window: only brought to the top
    Pump();
    EXPECT_EQ(Dialog(), window);
    alias.StopSearch();
    Pump();
    EXPECT_FALSE(::IsWindow(window));
    // The original still points at the deleted window; let it forget rather than stop it twice.
    Search empty(m_transmit.get(), &m_handler);
    *m_search = empty;
}

TEST_F(SearchWindowTest, DestroyingSearchTakesTheWindowDown) {
    Start(true);
    HWND window = Dialog();
    Click(ids::RadioNick);
    Type(ids::EditNick, L"李");
    Click(ids::Find);  // a query stays outstanding
    m_search.reset();
    Pump();
    EXPECT_FALSE(::IsWindow(window));
    // The late answer finds no command and no window.
    m_service.AnswerUsers(true, Users(1, 3));
    Pump();
    EXPECT_EQ(Dialog(), nullptr);
}

// The client destroys its main window (signing out, switching accounts) and the system takes the
// search window with it. The next StartSearch, with no owner or a new one, makes a new window on
// the tab asked for, which asks for the industries again; the old window's query changes nothing.
TEST_F(SearchWindowTest, AWindowTakenWithItsOwnerIsMadeAnew) {
    for (bool newOwner : {false, true}) {
        const std::string name = newOwner ? "a new owner" : "no owner";
        m_handler.industryRequests = 0;
        HWND client = MakeClientWindow();
        Start(true, client);
        SendNickSearch(L"王");
        ::DestroyWindow(client);
        Pump();
        ASSERT_EQ(Dialog(), nullptr) << name;

        HWND next = newOwner ? MakeClientWindow() : nullptr;
        Start(false, next);
        ASSERT_NE(Dialog(), nullptr) << name;
        EXPECT_TRUE(::IsWindowVisible(Dialog())) << name;
        EXPECT_EQ(::GetWindow(Dialog(), GW_OWNER), next) << name;
        EXPECT_EQ(::SendMessageW(Control(ids::Tab), TCM_GETCURSEL, 0, 0), 1) << name;
        EXPECT_EQ(m_handler.industryRequests, 2) << name;
        EXPECT_EQ(m_transmit->LiveCommands(), 1u) << name << ": the old window's command went with it";
        m_service.AnswerUsers(true, Users(1, 3));  // the old window's query, if it still waits
        Pump();
        ClickTab(0);
        EXPECT_TRUE(Shown(ids::RadioCompany)) << name;
        EXPECT_EQ(RowCount(ids::ListUser), 0) << name;
        SearchByNick(L"李", Users(1, 3));
        EXPECT_EQ(RowCount(ids::ListUser), 3) << name;
        Stop();
        if (next)
            ::DestroyWindow(next);
    }
}
