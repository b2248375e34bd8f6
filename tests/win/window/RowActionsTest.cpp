// What a user does with a found row beside the buttons: double-click, Enter, the row's context
// menu, and copying the row to the clipboard.
#include <functional>
#include <initializer_list>
#include <thread>

#include "SearchWindowFixture.h"


class RowActionsTest : public SearchWindowTest {
protected:
    // A page of three rows on either tab: users 41..43 (42 is the signed-in user), or zones 7..9.
    void ShowRows(bool users) {
        Start(users);
        if (users) {
            SearchByNick(L"王", Users(41, 3));
        } else {
            Type(ids::EditZoneId, L"7");
            Click(ids::Find);
            AnswerZones(Zones(7, 3));
        }
        m_list = users ? ids::ListUser : ids::ListZone;
    }
    POINT RowPoint(int row, bool screen) {
        RECT rc = {};
        rc.left = LVIR_BOUNDS;
        ::SendMessageW(Control(m_list), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rc));
        POINT pt = {rc.left + 20, (rc.top + rc.bottom) / 2};
        if (screen)
            ::ClientToScreen(Control(m_list), &pt);
        return pt;
    }
    void DoubleClick(POINT pt) {
        const LPARAM at = MAKELPARAM(pt.x, pt.y);
        for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            ::SendMessageW(Control(m_list), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
        Pump();
    }
    // Opens the row menu (a right-click at a point, or the keyboard at -1, -1); true when a menu
    // came up, with inside() run in it.
    bool OpenMenu(LPARAM at, const std::function<void(HWND, HMENU)>& inside) {
        const bool opened = windriver::WithPopupMenu(
            [&] { ::SendMessageW(Control(m_list), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Control(m_list)), at); },
            inside);
        Pump();
        return opened;
    }
    LPARAM ScreenAt(int row) {
        const POINT pt = RowPoint(row, true);
        return MAKELPARAM(pt.x, pt.y);
    }
    // C in the list with these keys held.
    void PressC(std::initializer_list<BYTE> held) {
        BYTE keys[256];
        ::GetKeyboardState(keys);
        for (BYTE key : held)
            keys[key] = 0x80;
        ::SetKeyboardState(keys);
        PressKey(m_list, 'C');
        for (BYTE key : held)
            keys[key] = 0;
        ::SetKeyboardState(keys);
    }
    void PressCtrlC() { PressC({VK_CONTROL}); }
    int m_list = 0;
};

TEST_F(RowActionsTest, DoubleClickAndEnterViewTheirRow) {
    for (bool users : {true, false}) {
        ShowRows(users);
        DoubleClick(RowPoint(1, false));
        PressKey(m_list, VK_RETURN);  // on the row the double-click selected
        const HandlerCall view = users ? HandlerCall{"ViewUserInfo", 42, L"acc42"} : HandlerCall{"ViewZoneInfo", 8, L""};
        std::vector<HandlerCall> views;
        for (const HandlerCall& call : m_handler.calls)
            if (call.op.rfind("View", 0) == 0)
                views.push_back(call);
        EXPECT_EQ(views, (std::vector<HandlerCall>{view, view})) << users;

        m_handler.calls.clear();
        DoubleClick(POINT{RowPoint(2, false).x, RowPoint(2, false).y + 60});  // below the last row
        EXPECT_TRUE(m_handler.calls.empty()) << "empty space does nothing";
        Stop();
    }
}

TEST_F(RowActionsTest, MenuOffersTheRowsActionsAsTheButtonsDo) {
    m_handler.friends = {43};
    m_handler.memberships = {8};
    const struct {
        bool users;
        int row;
        const wchar_t* add;
        bool addEnabled;
        const wchar_t* copy;
    } cases[] = {
        {true, 0, L"加为好友", true, L"复制账号"},    // a stranger
        {true, 1, L"加为好友", false, L"复制账号"},   // the user themself
        {true, 2, L"加为好友", false, L"复制账号"},   // a friend
        {false, 1, L"加入商圈", false, L"复制商圈ID"},  // a member
        {false, 2, L"加入商圈", true, L"复制商圈ID"},
    };
    for (const auto& c : cases) {
        ShowRows(c.users);
        std::vector<windriver::MenuItem> items;
        const bool opened = OpenMenu(ScreenAt(c.row), [&](HWND, HMENU menu) {  // a right-click on the row
            items = windriver::MenuItems(menu);
            ::EndMenu();
        });
        ASSERT_TRUE(opened && items.size() == 4) << "row " << c.row;
        std::vector<std::wstring> texts;
        for (const auto& item : items)
            texts.push_back(item.text);
        EXPECT_EQ(m_driver.SelectedRow(m_list), c.row) << "the right-click selected its row";
        EXPECT_EQ(texts, (std::vector<std::wstring>{c.add, L"查看资料", L"", c.copy})) << c.row;
        EXPECT_EQ(items[0].enabled, c.addEnabled) << "row " << c.row;
        EXPECT_EQ(items[0].enabled, Enabled(ids::Add)) << "the menu's Add is the button's";
        EXPECT_TRUE(items[1].enabled && items[3].enabled) << "row " << c.row;
        Stop();
    }
    // The keyboard opens it at the selected row, and only there; empty space opens nothing.
    ShowRows(true);
    for (int step = 0; step < 3; ++step) {
        if (step == 1)
            SelectRow(0);
        const LPARAM at = step == 2 ? MAKELPARAM(RowPoint(2, true).x, RowPoint(2, true).y + 60) : MAKELPARAM(-1, -1);
        EXPECT_EQ(OpenMenu(at, [](HWND, HMENU) { ::EndMenu(); }), step == 1) << "step " << step;
    }
    EXPECT_TRUE(RecordedBoxes().empty());
}

TEST_F(RowActionsTest, CopyPutsTheAccountOrTheZoneIdOnTheClipboard) {
    for (bool users : {true, false}) {
        ShowRows(users);
        PutOnClipboard(L"before");
        PressCtrlC();
        EXPECT_EQ(ClipboardText(), L"before") << "no row selected";

        OpenMenu(ScreenAt(2), [](HWND menuWindow, HMENU menu) { windriver::ChooseMenuItem(menuWindow, menu, 3); });
        EXPECT_EQ(ClipboardText(), users ? L"acc43" : L"9") << "by the menu";
        SelectRow(0);
        // C alone is typing, and Ctrl+Alt+C (AltGr+C) types a character on some keyboards.
        PressC({});
        PressC({VK_CONTROL, VK_MENU});
        EXPECT_EQ(ClipboardText(), users ? L"acc43" : L"9") << "by C without Ctrl, or with Alt too";
        PressCtrlC();
        EXPECT_EQ(ClipboardText(), users ? L"acc41" : L"7") << "by Ctrl+C";

        // Another program holds the clipboard: nothing is copied, nothing breaks.
        PutOnClipboard(L"theirs");
        HANDLE opened = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::thread other([&] {
            ::OpenClipboard(nullptr);
            ::SetEvent(opened);
            ::WaitForSingleObject(release, 10000);
            ::CloseClipboard();
        });
        ::WaitForSingleObject(opened, 10000);
        PressCtrlC();
        ::SetEvent(release);
        other.join();
        ::CloseHandle(opened);
        ::CloseHandle(release);
        EXPECT_EQ(ClipboardText(), L"theirs");
        EXPECT_TRUE(::IsWindowVisible(Dialog()));
        Stop();
    }
}

TEST_F(RowActionsTest, CutOffCellsShowTheirWholeTextInATip) {
    ShowRows(true);
    for (int list : {ids::ListUser, ids::ListZone}) {
        const LRESULT style = ::SendMessageW(Control(list), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
        EXPECT_TRUE(style & LVS_EX_LABELTIP) << "list " << list;
        EXPECT_TRUE(style & LVS_EX_FULLROWSELECT) << "list " << list;
    }
}
