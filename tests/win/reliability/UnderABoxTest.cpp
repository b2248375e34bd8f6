// Real modal boxes: ours, and the client's own inside a call we make into it. Replies that arrive
// under a box wait until it closes; keys go to the box; and the client may stop the search, or
// delete it, from a message it handles while a box of ours is up.
#include <functional>
#include <memory>
#include <string>

#include "SearchWindowFixture.h"

namespace {

// Runs `work` once from inside the first modal loop that starts on this thread, and gives up
// (closing every box) if nothing else has closed it after a while.
class InsideTheLoop {
public:
    explicit InsideTheLoop(std::function<void()> work) : m_work(std::move(work)) {
        s_current = this;
        m_timer = ::SetTimer(nullptr, 0, 30, &Tick);
    }
    ~InsideTheLoop() {
        ::KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }
    bool Ran() const { return m_ran; }
    bool GaveUp() const { return m_gaveUp; }

    // The message box of this thread that is up, if any.
    static HWND Box() {
        HWND found = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(&found));
        return found;
    }

private:
    // A named CALLBACK function, not a lambda: on 32-bit Windows the enumeration calls its
    // procedure with the stdcall convention, and a lambda converts only to a cdecl pointer.
    static BOOL CALLBACK FindBox(HWND hWnd, LPARAM param) {
        wchar_t cls[16] = {};
        ::GetClassNameW(hWnd, cls, 16);
        wchar_t caption[64] = {};
        ::GetWindowTextW(hWnd, caption, 64);
        if (std::wstring(cls) == L"#32770" && ::IsWindowVisible(hWnd) &&
            std::wstring(caption) != L"查询用户/商圈") {
            *reinterpret_cast<HWND*>(param) = hWnd;
            return FALSE;
        }
        return TRUE;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        InsideTheLoop* self = s_current;
        if (!self)
            return;
        ++self->m_ticks;
        if (!self->m_ran && Box()) {
            self->m_ran = true;
            self->m_work();
        } else if (self->m_ticks > 100) {
            self->m_gaveUp = true;
            if (HWND box = Box())
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
    }

    static inline InsideTheLoop* s_current = nullptr;
    std::function<void()> m_work;
    UINT_PTR m_timer = 0;
    int m_ticks = 0;
    bool m_ran = false;
    bool m_gaveUp = false;
};

// A client whose AddFriend shows a box of its own, owned by the search window.
class BoxingHandler : public RecordingHandler {
public:
    void AddFriend(std::uint64_t id, const std::wstring& account) override {
        RecordingHandler::AddFriend(id, account);
        ::MessageBoxW(::GetActiveWindow(), L"加为好友？", L"客户端", MB_OK);
    }
};

}  // namespace

class UnderABoxTest : public SearchWindowTest {
protected:
    UnderABoxTest() { SetSkinMessageBoxPresenter(nullptr); }  // the real box
};

TEST_F(UnderABoxTest, ReplyArrivingUnderTheClientsBoxIsShownWhenItCloses) {
    BoxingHandler client;
    Search search(m_transmit.get(), &client);
    search.StartSearch(nullptr, true);
    Pump();
    SearchByNick(L"王", Users(1, 10));
    SelectRow(3);
    Click(ids::NextPage);  // a re-query is out; Add stays usable
    std::wstring labelUnderTheBox;
    int rowsUnderTheBox = -1;
    {
        InsideTheLoop inside([&] {
            ASSERT_TRUE(m_service.AnswerUsers(true, Users(11, 10)));
            ASSERT_TRUE(m_transmit->WaitIdle(std::chrono::seconds(10)));
            // What a real box's loop does: everything queued is dispatched.
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageW(&msg);
            labelUnderTheBox = Text(ids::PageLabel);
            rowsUnderTheBox = RowCount(ids::ListUser);
            ::PostMessageW(InsideTheLoop::Box(), WM_COMMAND, IDOK, 0);
        });
        ::SendMessageW(Control(ids::Add), BM_CLICK, 0, 0);  // returns when the box is closed
        ASSERT_TRUE(inside.Ran());
        EXPECT_FALSE(inside.GaveUp());
    }
    EXPECT_EQ(labelUnderTheBox, L"第1页") << "the page must not change beneath the box";
    EXPECT_EQ(rowsUnderTheBox, 10);
    Pump();
    EXPECT_EQ(Text(ids::PageLabel), L"第2页") << "shown once the box closed";
    EXPECT_EQ(FirstColumn(ids::ListUser).front(), L"acc11");
    EXPECT_EQ(Text(ids::Find), L"查找");
    EXPECT_TRUE(Enabled(ids::Tab));
    search.StopSearch();
    Pump();
}

// Enter in the busy form just as the query fails: the failure's post is ahead of the Find that
// Enter posts, so the failure's box is up when the box's loop dispatches that Find. It must send
// nothing under the box, and the form after the box must be idle, its Find working.
TEST_F(UnderABoxTest, FindQueuedBehindAFailureSendsNothingUnderItsBox) {
    Start(true);
    SendNickSearch(L"王");
    ASSERT_EQ(m_service.QueryCount(), 1u);
    ASSERT_TRUE(m_service.FailOldest());
    ASSERT_TRUE(m_transmit->WaitIdle(std::chrono::seconds(20)));
    ::PostMessageW(Dialog(), WM_COMMAND, ids::Find, 0);

    std::size_t queriesUnderTheBox = 0;
    InsideTheLoop closeTheBox([&] {
        queriesUnderTheBox = m_service.QueryCount();
        ::PostMessageW(InsideTheLoop::Box(), WM_COMMAND, IDOK, 0);
    });
    Pump();
    ASSERT_TRUE(closeTheBox.Ran());
    EXPECT_FALSE(closeTheBox.GaveUp());
    EXPECT_EQ(queriesUnderTheBox, 1u);
    EXPECT_EQ(m_service.QueryCount(), 1u);
    EXPECT_TRUE(Shown(ids::EditNick));
    EXPECT_EQ(Text(ids::Find), L"查找");
    EXPECT_TRUE(Enabled(ids::Find));
    EXPECT_TRUE(Enabled(ids::Tab));

    PressKey(ids::EditNick, VK_RETURN);
    EXPECT_EQ(m_service.QueryCount(), 2u) << "the form searches again";
    EXPECT_EQ(Text(ids::Find), L"正在查找");
}

TEST_F(UnderABoxTest, EnterAndEscapeGoToTheBoxNotToTheWindow) {
    for (UINT key : {VK_RETURN, VK_ESCAPE}) {
        SCOPED_TRACE(key == VK_RETURN ? "Enter" : "Escape");
        Start(true);
        Click(ids::RadioNick);  // the nickname stays empty: Find shows "请指定昵称"
        int boxesSeen = 0;
        {
            InsideTheLoop inside([&] {
                HWND box = InsideTheLoop::Box();
                ++boxesSeen;
                HWND focus = ::GetFocus();
                HWND target = focus && ::IsChild(box, focus) ? focus : box;
                ::PostMessageW(target, WM_KEYDOWN, key, 1);
                ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
            });
            ::SendMessageW(Control(ids::Find), BM_CLICK, 0, 0);
            ASSERT_TRUE(inside.Ran());
            EXPECT_FALSE(inside.GaveUp()) << "the key did not close the box";
        }
        Pump();
        EXPECT_EQ(boxesSeen, 1);
        EXPECT_EQ(InsideTheLoop::Box(), nullptr) << "a second box: the key reached the window's Find";
        EXPECT_EQ(m_service.QueryCount(), 0u);
        EXPECT_TRUE(::IsWindowVisible(Dialog()));
        EXPECT_TRUE(Shown(ids::RadioNick));
    }
}

// The client stops the search from a message it handles while our failure box is up: the window
// and the box go, and our handler, still on the stack under the box, unwinds without its object.
TEST_F(UnderABoxTest, ClientStoppingTheSearchUnderOurBoxTakesTheWindowDownCleanly) {
    enum class How { Stop, DeleteSearch };
    for (How how : {How::Stop, How::DeleteSearch}) {
        SCOPED_TRACE(how == How::Stop ? "StopSearch" : "deleting Search");
        if (!m_search)
            m_search = std::make_unique<Search>(m_transmit.get(), &m_handler);
        Start(true);
        SearchByNick(L"王", Users(1, 10));
        Click(ids::NextPage);
        {
            InsideTheLoop inside([&] {
                if (how == How::Stop)
                    m_search->StopSearch();
                else
                    m_search.reset();
            });
            ASSERT_TRUE(m_service.FailOldest());  // the failure box comes up on the next pump
            Pump();
            ASSERT_TRUE(inside.Ran()) << "the failure box never came";
            EXPECT_FALSE(inside.GaveUp()) << "the box outlived its window";
        }
        Pump();
        EXPECT_EQ(Dialog(), nullptr);
        EXPECT_EQ(InsideTheLoop::Box(), nullptr);
        EXPECT_EQ(m_transmit->LiveCommands(), 0u) << "the object went once its handler returned";
    }
    // And the client can open a fresh window afterwards.
    m_search = std::make_unique<Search>(m_transmit.get(), &m_handler);
    Start(true);
    SearchByNick(L"王", Users(1, 3));
    EXPECT_EQ(RowCount(ids::ListUser), 3);
}

// The same from inside a call into the client, without any box.
TEST_F(UnderABoxTest, ClientStoppingTheSearchFromItsOwnCallbackIsSafe) {
    struct StoppingHandler : RecordingHandler {
        Search* search = nullptr;
        void ViewUserInfo(std::uint64_t id, const std::wstring& account) override {
            RecordingHandler::ViewUserInfo(id, account);
            search->StopSearch();
        }
    } client;
    Search search(m_transmit.get(), &client);
    client.search = &search;
    search.StartSearch(nullptr, true);
    Pump();
    SearchByNick(L"王", Users(1, 3));
    SelectRow(1);
    Click(ids::View);
    EXPECT_EQ(Dialog(), nullptr);
    EXPECT_EQ(m_transmit->LiveCommands(), 0u);
    ASSERT_FALSE(client.calls.empty());
    EXPECT_EQ(client.calls.back().op, "ViewUserInfo");
}
