// Dialogs from templates and wrappers bound to real windows.
#include <gtest/gtest.h>

#include <stdexcept>

#include "TestDialogs.h"
#include "MessageBoxWatcher.h"
#include "WindowDriver.h"
#include "WindowPicture.h"

namespace {

using windriver::FindControl;
using windriver::PumpUntilIdle;
using windriver::WindowText;

TEST(Dialog, CreateFromTemplateBindsBeforeInitDialog) {
    struct Case {
        const char* name;
        BOOL initReturn;
    } cases[] = {
        {"TRUE: the dialog manager may set the focus", TRUE},
        {"FALSE: OnInitDialog set the focus itself", FALSE},
    };
    for (const Case& c : cases) {
        CRecordingDialog dlg;
        dlg.initReturn = c.initReturn;
        ASSERT_TRUE(dlg.Create(IDD_FORM, nullptr)) << c.name;
        PumpUntilIdle();
        EXPECT_EQ(1, dlg.initCalls) << c.name;
        EXPECT_EQ(static_cast<UINT>(IDD_FORM), dlg.GetTemplateID()) << c.name;
        EXPECT_EQ(&dlg, CWnd::FromHandlePermanent(dlg.m_hWnd)) << c.name;
        EXPECT_EQ(std::wstring(L"Form"), WindowText(dlg.m_hWnd)) << c.name;
        EXPECT_TRUE(IsWindowVisible(dlg.m_hWnd)) << c.name;
        // What the dialog manager reads from WM_INITDIALOG is OnInitDialog's own answer.
        EXPECT_EQ(c.initReturn, SendMessageW(dlg.m_hWnd, WM_INITDIALOG, 0, 0)) << c.name;
        EXPECT_EQ(2, dlg.initCalls) << c.name;
        EXPECT_FALSE(dlg.Create(IDD_FORM, nullptr)) << c.name << ": a second window for one object";
        dlg.DestroyWindow();
    }
}

TEST(Dialog, CreateFailsForATemplateNoModuleHas) {
    CRecordingDialog dlg;
    EXPECT_FALSE(dlg.Create(IDD_NOT_ANYWHERE, nullptr));
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    EXPECT_EQ(0, dlg.initCalls);
}

TEST(Dialog, ParentBecomesOwner) {
    CRecordingDialog owner;
    ASSERT_TRUE(owner.Create(IDD_FORM, nullptr));
    CStubbornDialog owned;
    ASSERT_TRUE(owned.Create(IDD_PLAIN, &owner));
    EXPECT_EQ(owner.m_hWnd, GetWindow(owned.m_hWnd, GW_OWNER));
    owned.DestroyWindow();
    owner.DestroyWindow();
}

TEST(Dialog, CommandsFromControlsAndPostsReachTheMap) {
    CRecordingDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_FORM, nullptr));
    SendMessageW(FindControl(dlg.m_hWnd, IDC_FIND), BM_CLICK, 0, 0);
    PostMessageW(dlg.m_hWnd, WM_COMMAND, IDC_FIND, 0);  // as an Enter key filter posts Find
    SendMessageW(FindControl(dlg.m_hWnd, IDC_RADIO_B), BM_CLICK, 0, 0);
    PumpUntilIdle();
    const std::vector<std::wstring> expected = {L"derived:find", L"radio:312", L"derived:find"};
    EXPECT_EQ(expected, dlg.log);
    dlg.DestroyWindow();
}

TEST(Dialog, NotifyResultIsReturnedAndLeftInMsgResult) {
    struct Case {
        const char* name;
        LRESULT changingResult;
        int selectedAfterClick;
    } cases[] = {
        {"0 lets the tab change", 0, 1},
        {"TRUE vetoes the change", TRUE, 0},
    };
    for (const Case& c : cases) {
        CRecordingDialog dlg;
        dlg.notifyResult = c.changingResult;
        ASSERT_TRUE(dlg.Create(IDD_FORM, nullptr));
        HWND tab = FindControl(dlg.m_hWnd, IDC_TAB);
        CTabCtrl tabs;
        ASSERT_TRUE(tabs.SubclassWindow(tab));
        tabs.InsertItem(TCIF_TEXT, 0, L"one", 0, 0);
        tabs.InsertItem(TCIF_TEXT, 1, L"two", 0, 0);
        ASSERT_EQ(2, tabs.GetItemCount());
        ASSERT_TRUE(windriver::ClickTabItem(tab, 1)) << c.name;
        PumpUntilIdle();
        EXPECT_EQ(c.selectedAfterClick, tabs.GetCurSel()) << c.name;
        ASSERT_FALSE(dlg.log.empty()) << c.name;
        EXPECT_EQ(std::wstring(L"tab:changing:304"), dlg.log[0]) << c.name;
        EXPECT_EQ(c.selectedAfterClick == 1, dlg.log.back() == L"tab:change") << c.name;

        NMHDR header = {tab, IDC_TAB, static_cast<UINT>(TCN_SELCHANGING)};
        SetWindowLongPtrW(dlg.m_hWnd, DWLP_MSGRESULT, 12345);
        EXPECT_EQ(c.changingResult,
                  SendMessageW(dlg.m_hWnd, WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&header)))
            << c.name;
        EXPECT_EQ(c.changingResult, GetWindowLongPtrW(dlg.m_hWnd, DWLP_MSGRESULT)) << c.name;
        dlg.DestroyWindow();
    }
}

TEST(Dialog, PrivateMessageReturnsTheHandlersValue) {
    CRecordingDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_FORM, nullptr));
    EXPECT_EQ(507, SendMessageW(dlg.m_hWnd, WM_TEST_PRIVATE, 5, 7));
    EXPECT_EQ(507, GetWindowLongPtrW(dlg.m_hWnd, DWLP_MSGRESULT));
    dlg.DestroyWindow();
}

TEST(Dialog, CloseIsCancelUnlessTheMapTakesIt) {
    // Without an entry the dialog manager turns WM_CLOSE into IDCANCEL: hidden, not destroyed.
    CRecordingDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_FORM, nullptr));
    SetWindowTextW(FindControl(dlg.m_hWnd, IDC_EDIT_FIRST), L"kept");
    HWND before = dlg.m_hWnd;
    SendMessageW(dlg.m_hWnd, WM_CLOSE, 0, 0);
    PumpUntilIdle();
    EXPECT_EQ(1, dlg.cancelCalls);
    EXPECT_EQ(before, dlg.m_hWnd);
    EXPECT_TRUE(IsWindow(before));
    EXPECT_FALSE(IsWindowVisible(before));
    EXPECT_EQ(std::wstring(L"kept"), WindowText(FindControl(before, IDC_EDIT_FIRST)));
    dlg.ShowWindow(SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(before)) << "shown again, same window";
    dlg.DestroyWindow();

    CStubbornDialog stubborn;
    ASSERT_TRUE(stubborn.Create(IDD_PLAIN, nullptr));
    stubborn.ShowWindow(SW_SHOW);
    SendMessageW(stubborn.m_hWnd, WM_CLOSE, 0, 0);
    SendMessageW(stubborn.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpUntilIdle();
    EXPECT_EQ(2, stubborn.closeCalls);
    EXPECT_TRUE(IsWindowVisible(stubborn.m_hWnd));
    stubborn.DestroyWindow();
}

TEST(Dialog, NcDestroyClearsDialogAndSubclassedControl) {
    CRecordingDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_FORM, nullptr));
    HWND dialogWindow = dlg.m_hWnd;
    HWND editWindow = FindControl(dialogWindow, IDC_EDIT_FIRST);
    CCountingWnd edit;
    ASSERT_TRUE(edit.SubclassDlgItem(IDC_EDIT_FIRST, &dlg));
    EXPECT_EQ(editWindow, edit.m_hWnd) << "the control keeps the template's window";
    edit.SetWindowText(L"through the subclass");
    CString text;
    edit.GetWindowText(text);
    EXPECT_EQ(std::wstring(L"through the subclass"), text.str());

    EXPECT_TRUE(dlg.DestroyWindow());
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    EXPECT_EQ(nullptr, edit.m_hWnd);
    EXPECT_EQ(1, dlg.postNcDestroyCalls);
    EXPECT_EQ(1, edit.postNcDestroyCalls);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(dialogWindow));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(editWindow));
    EXPECT_FALSE(dlg.DestroyWindow()) << "no window left";
}

TEST(Wnd, UnbindingRestoresTheControlsProcedureAndLeavesItAlive) {
    CRecordingDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_FORM, nullptr));
    HWND editWindow = FindControl(dlg.m_hWnd, IDC_EDIT_FIRST);
    const LONG_PTR original = GetWindowLongPtrW(editWindow, GWLP_WNDPROC);
    {
        CEdit edit;
        ASSERT_TRUE(edit.SubclassWindow(editWindow));
        EXPECT_NE(original, GetWindowLongPtrW(editWindow, GWLP_WNDPROC));
        CEdit second;
        EXPECT_FALSE(second.SubclassWindow(editWindow)) << "one permanent wrapper per window";
        edit.LimitText(5);
        EXPECT_EQ(5u, edit.GetLimitText());
    }
    EXPECT_EQ(original, GetWindowLongPtrW(editWindow, GWLP_WNDPROC)) << "destructor unsubclasses";
    EXPECT_TRUE(IsWindow(editWindow)) << "and does not destroy a control it does not own";
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(editWindow));

    CEdit again;
    ASSERT_TRUE(again.SubclassWindow(editWindow));
    EXPECT_EQ(editWindow, again.UnsubclassWindow());
    EXPECT_EQ(nullptr, again.m_hWnd);
    EXPECT_EQ(original, GetWindowLongPtrW(editWindow, GWLP_WNDPROC));
    dlg.DestroyWindow();
}

TEST(Wnd, FromHandlePermanentAndTemporary) {
    CRecordingDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_FORM, nullptr));
    HWND editWindow = FindControl(dlg.m_hWnd, IDC_EDIT_FIRST);

    EXPECT_EQ(nullptr, CWnd::FromHandle(nullptr));
    EXPECT_EQ(&dlg, CWnd::FromHandle(dlg.m_hWnd));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(editWindow));
    CWnd* temp = CWnd::FromHandle(editWindow);
    ASSERT_NE(nullptr, temp);
    EXPECT_EQ(editWindow, temp->m_hWnd);
    EXPECT_EQ(temp, CWnd::FromHandle(editWindow)) << "one temporary per live window";
    EXPECT_EQ(temp, dlg.GetDlgItem(IDC_EDIT_FIRST));
    EXPECT_EQ(&dlg, temp->GetParent());
    EXPECT_NE(nullptr, CWnd::FromHandle(GetDesktopWindow()));

    dlg.DestroyWindow();
    EXPECT_EQ(nullptr, CWnd::FromHandle(editWindow)) << "no wrapper for a window that is gone";
}

TEST(Wnd, ObjectsWithoutAWindow) {
    CRecordingDialog dlg;
    EXPECT_FALSE(dlg.DestroyWindow());
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    EXPECT_EQ(0, dlg.postNcDestroyCalls);
    CWnd wnd;
    EXPECT_FALSE(wnd.DestroyWindow());
    EXPECT_EQ(nullptr, wnd.UnsubclassWindow());
    CEdit edit;
    EXPECT_FALSE(edit.SubclassDlgItem(IDC_EDIT_FIRST, &dlg)) << "parent without a window";
    // Deleting them touches no window: nothing to check but that it returns.
    auto* heap = new CRecordingDialog;
    delete heap;
}

TEST(Wnd, DestroyingABoundDialogObjectTakesItsWindowDown) {
    auto* dlg = new CRecordingDialog;
    ASSERT_TRUE(dlg->Create(IDD_FORM, nullptr));
    HWND window = dlg->m_hWnd;
    delete dlg;
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(window));
}

TEST(Wnd, HandlerExceptionStopsAtTheWindowProcedure) {
    CRecordingDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_FORM, nullptr));
    EXPECT_EQ(nullptr, AfxTakeWndProcException());
    EXPECT_EQ(0, SendMessageW(dlg.m_hWnd, WM_TEST_THROW, 0, 0));
    std::exception_ptr e = AfxTakeWndProcException();
    ASSERT_NE(nullptr, e);
    EXPECT_THROW(std::rethrow_exception(e), std::runtime_error);
    EXPECT_EQ(nullptr, AfxTakeWndProcException()) << "taken once";
    EXPECT_TRUE(IsWindow(dlg.m_hWnd)) << "the window lives on";
    dlg.DestroyWindow();
}

TEST(Dialog, GotoDlgCtrlWhenActiveNeverActivatesAndWaitsForTheNextActivation) {
    CRecordingDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_FORM, nullptr));
    PumpUntilIdle();
    ASSERT_EQ(dlg.m_hWnd, GetActiveWindow());
    CWnd first, second;
    ASSERT_TRUE(first.SubclassDlgItem(IDC_EDIT_FIRST, &dlg));
    ASSERT_TRUE(second.SubclassDlgItem(IDC_EDIT_SECOND, &dlg));

    dlg.GotoDlgCtrlWhenActive(&second);
    EXPECT_EQ(second.m_hWnd, GetFocus()) << "the active dialog moves the focus at once";

    // Another window of the thread in front: the dialog stays behind, and takes the control
    // asked for when it is activated again.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr,
                                 nullptr, nullptr, nullptr);
    SetActiveWindow(other);
    PumpUntilIdle();
    dlg.GotoDlgCtrlWhenActive(&first);
    PumpUntilIdle();
    EXPECT_EQ(other, GetActiveWindow());
    SetActiveWindow(dlg.m_hWnd);
    PumpUntilIdle();
    EXPECT_EQ(first.m_hWnd, GetFocus());

    // Hidden: shown again, it comes back with that control.
    dlg.ShowWindow(SW_HIDE);
    SetActiveWindow(other);
    dlg.GotoDlgCtrlWhenActive(&second);
    EXPECT_FALSE(IsWindowVisible(dlg.m_hWnd)) << "nothing showed it";
    dlg.ShowWindow(SW_SHOW);
    PumpUntilIdle();
    EXPECT_EQ(second.m_hWnd, GetFocus());

    DestroyWindow(other);
    dlg.DestroyWindow();
}

TEST(Controls, TabItemsZOrderFocusAndFont) {
    CRecordingDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_FORM, nullptr));
    CTabCtrl tab;
    ASSERT_TRUE(tab.SubclassDlgItem(IDC_TAB, &dlg));
    tab.InsertItem(TCIF_TEXT, 0, L"one", 0, 0);
    tab.SetItemSize(70, 30);
    tab.SetMinTabWidth(90);
    RECT item = {};
    ASSERT_TRUE(tab.GetItemRect(0, &item));
    EXPECT_EQ(30, item.bottom - item.top);
    EXPECT_GE(item.right - item.left, 90) << "no narrower than the minimum";

    tab.SetWindowPos(&CWnd::wndBottom, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(nullptr, GetWindow(tab.m_hWnd, GW_HWNDNEXT)) << "last in Z order";
    tab.SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(nullptr, GetWindow(tab.m_hWnd, GW_HWNDPREV)) << "first in Z order";

    CWnd edit;
    ASSERT_TRUE(edit.SubclassDlgItem(IDC_EDIT_SECOND, &dlg));
    edit.SetFocus();
    EXPECT_EQ(&edit, CWnd::GetFocus());
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(dlg.m_hWnd, WM_GETFONT, 0, 0)), edit.GetFont())
        << "the template's font";
    dlg.DestroyWindow();
}

TEST(Controls, ThinWrappersOverRealControls) {
    CRecordingDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_FORM, nullptr));
    CButton radio;
    ASSERT_TRUE(radio.SubclassDlgItem(IDC_RADIO_A, &dlg));
    radio.SetCheck(BST_CHECKED);
    EXPECT_EQ(BST_CHECKED, radio.GetCheck());

    CFont font;
    ASSERT_TRUE(font.CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    EXPECT_FALSE(font.Attach(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)))) << "already holds one";
    radio.SetFont(&font);
    EXPECT_EQ(reinterpret_cast<WPARAM>(font.GetSafeHandle()),
              static_cast<WPARAM>(radio.SendMessage(WM_GETFONT)));
    EXPECT_TRUE(font.DeleteObject());
    EXPECT_EQ(nullptr, font.GetSafeHandle());
    EXPECT_FALSE(font.DeleteObject());
    dlg.DestroyWindow();

    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    HWND listWindow = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 280, 150, parent,
                                      nullptr, nullptr, nullptr);
    HWND comboWindow = CreateWindowExW(0, WC_COMBOBOXW, L"", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 100,
                                       parent, nullptr, nullptr, nullptr);
    CListCtrl list;
    ASSERT_TRUE(list.SubclassWindow(listWindow));
    EXPECT_EQ(0, list.InsertColumn(0, L"a", LVCFMT_LEFT, 50));
    EXPECT_EQ(1, list.InsertColumn(1, L"b", LVCFMT_LEFT, 50));
    EXPECT_EQ(0, list.InsertItem(0, L"row"));
    std::wstring longText(300, L'z');
    EXPECT_TRUE(list.SetItemText(0, 1, longText.c_str()));
    EXPECT_EQ(std::wstring(L"row"), list.GetItemText(0, 0).str());
    EXPECT_EQ(longText, list.GetItemText(0, 1).str()) << "longer than a first buffer";
    EXPECT_EQ(0u, list.GetSelectedCount());
    EXPECT_EQ(-1, list.GetNextItem(-1, LVNI_SELECTED)) << "-1 when none";
    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(1u, list.GetSelectedCount());
    EXPECT_EQ(0, list.GetNextItem(-1, LVNI_SELECTED));
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    EXPECT_EQ(static_cast<DWORD>(LVS_EX_FULLROWSELECT), list.GetExtendedStyle());
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(0, list.GetItemCount());

    CComboBox combo;
    ASSERT_TRUE(combo.SubclassWindow(comboWindow));
    EXPECT_EQ(CB_ERR, combo.GetCurSel()) << "nothing selected";
    combo.AddString(L"first");
    combo.AddString(L"second");
    EXPECT_EQ(2, combo.GetCount());
    combo.SetCurSel(1);
    CString item;
    combo.GetLBText(combo.GetCurSel(), item);
    EXPECT_EQ(std::wstring(L"second"), item.str());
    combo.GetLBText(7, item);
    EXPECT_TRUE(item.IsEmpty()) << "no such item";
    DestroyWindow(parent);
    EXPECT_EQ(nullptr, list.m_hWnd);
    EXPECT_EQ(nullptr, combo.m_hWnd);
}

TEST(Support, CaptureWritesAPng) {
    CRecordingDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_FORM, nullptr));
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"framework-capture.png";
    ASSERT_TRUE(windriver::SaveWindowPng(dlg.m_hWnd, path));
    FILE* f = _wfopen(path.c_str(), L"rb");
    ASSERT_NE(nullptr, f);
    unsigned char signature[8] = {};
    EXPECT_EQ(8u, fread(signature, 1, 8, f));
    fclose(f);
    DeleteFileW(path.c_str());
    const unsigned char png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_EQ(0, memcmp(png, signature, 8));
    dlg.ShowWindow(SW_HIDE);
    EXPECT_FALSE(windriver::SaveWindowPng(dlg.m_hWnd, path)) << "a hidden window shows nothing";
    dlg.DestroyWindow();
}

}  // namespace
