// Keys of a modeless dialog reach PreTranslateMessage whatever loop the host runs.
#include <gtest/gtest.h>

#include "TestDialogs.h"
#include "MessageBoxWatcher.h"
#include "WindowDriver.h"
#include "WindowPicture.h"

namespace {

using windriver::FindControl;
using windriver::PostKey;
using windriver::PumpUntilIdle;

// The loop a host runs, with no pre-translation of its own: GetMessage, TranslateMessage,
// DispatchMessage, until a message posted to the thread after everything queued so far comes
// back, or a timer ends it. True when it stopped on the marker.
bool RunHostLoop(UINT timeoutMs = 3000) {
    const UINT kStop = WM_APP + 50;
    PostThreadMessageW(GetCurrentThreadId(), kStop, 0, 0);
    const UINT_PTR timer = SetTimer(nullptr, 0, timeoutMs, nullptr);
    bool stopped = false;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!msg.hwnd && msg.message == kStop) {
            stopped = true;
            break;
        }
        if (!msg.hwnd && msg.message == WM_TIMER && msg.wParam == timer) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    KillTimer(nullptr, timer);
    return stopped;
}

TEST(PreTranslate, EscapeInAnEditUnderTheHostsLoop) {
    struct Case {
        const char* name;
        bool swallowEscape;
        bool visibleAfter;
        int cancelCalls;
    } cases[] = {
        {"the override swallows Escape", true, true, 0},
        {"IsDialogMessage turns Escape into IDCANCEL: hidden, kept", false, false, 1},
    };
    for (const Case& c : cases) {
        CRecordingDialog dlg;
        dlg.swallowEscape = c.swallowEscape;
        ASSERT_TRUE(dlg.Create(IDD_FORM, nullptr)) << c.name;
        PumpUntilIdle();
        HWND edit = FindControl(dlg.m_hWnd, IDC_EDIT_FIRST);
        SetWindowTextW(edit, L"typed");
        HWND window = dlg.m_hWnd;
        dlg.preTranslatedMessages.clear();

        PostKey(edit, VK_ESCAPE);
        ASSERT_TRUE(RunHostLoop()) << c.name;
        EXPECT_EQ((std::vector<UINT>{WM_KEYDOWN, WM_KEYUP}), dlg.preTranslatedMessages) << c.name;
        EXPECT_EQ(c.cancelCalls, dlg.cancelCalls) << c.name;
        EXPECT_EQ(c.visibleAfter, IsWindowVisible(window) != FALSE) << c.name;
        EXPECT_EQ(window, dlg.m_hWnd) << c.name << ": the window survives";
        EXPECT_EQ(std::wstring(L"typed"), windriver::WindowText(edit)) << c.name;
        dlg.DestroyWindow();
    }
}

TEST(PreTranslate, TabMovesTheFocusThroughIsDialogMessage) {
    CRecordingDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_FORM, nullptr));
    PumpUntilIdle();
    HWND first = FindControl(dlg.m_hWnd, IDC_EDIT_FIRST);
    HWND second = FindControl(dlg.m_hWnd, IDC_EDIT_SECOND);
    SetFocus(first);
    ASSERT_EQ(first, GetFocus());
    PostKey(first, VK_TAB);
    ASSERT_TRUE(RunHostLoop());
    EXPECT_EQ(second, GetFocus());
    EXPECT_EQ(std::wstring(), windriver::WindowText(first)) << "no tab character typed";
    dlg.DestroyWindow();
}

TEST(PreTranslate, InnermostWindowFirstThenItsDialog) {
    CRecordingDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_FORM, nullptr));
    std::vector<std::wstring> order;
    CCountingWnd edit;
    edit.order = &order;
    dlg.order = &order;
    ASSERT_TRUE(edit.SubclassDlgItem(IDC_EDIT_FIRST, &dlg));
    PumpUntilIdle();
    order.clear();
    PostMessageW(edit.m_hWnd, WM_KEYDOWN, 'A', 1);
    ASSERT_TRUE(RunHostLoop());
    EXPECT_EQ((std::vector<std::wstring>{L"control", L"dialog"}), order);

    // A host that pre-translates itself gets the same walk, once.
    order.clear();
    dlg.swallowEscape = true;
    MSG msg = {edit.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1, static_cast<DWORD>(GetMessageTime()), {0, 0}};
    EXPECT_TRUE(AfxPreTranslateMessage(&msg));
    EXPECT_EQ((std::vector<std::wstring>{L"control", L"dialog"}), order);
    dlg.DestroyWindow();
}

TEST(PreTranslate, HookLivesFromTheFirstDialogToTheLast) {
    // A framework window outside any dialog: its pre-translation runs only through the hook.
    HWND popup = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CCountingWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(popup));
    auto keyReaches = [&] {
        const int before = wnd.preTranslateCalls;
        PostMessageW(popup, WM_KEYDOWN, 'A', 1);
        PumpUntilIdle();
        return wnd.preTranslateCalls > before;
    };

    EXPECT_FALSE(keyReaches()) << "no dialog yet";
    auto* first = new CRecordingDialog;
    auto* second = new CStubbornDialog;
    ASSERT_TRUE(first->Create(IDD_FORM, nullptr));
    ASSERT_TRUE(second->Create(IDD_PLAIN, nullptr));
    EXPECT_TRUE(keyReaches()) << "two dialogs";
    first->DestroyWindow();
    EXPECT_TRUE(keyReaches()) << "one dialog left";
    delete second;  // its destructor takes the window down
    EXPECT_FALSE(keyReaches()) << "after the last dialog";
    delete first;
    DestroyWindow(popup);
}

// A message box inside a handler runs its own loop; its keys are not the dialog's.
class CAskingDialog : public CRecordingDialog {
public:
    int answer = 0;
    LRESULT Ask() {
        answer = MessageBoxW(m_hWnd, L"question", L"caption", MB_OK);
        return 0;
    }
};

TEST(PreTranslate, MessageBoxLoopInsideAHandler) {
    CAskingDialog dlg;
    dlg.swallowEscape = true;
    ASSERT_TRUE(dlg.Create(IDD_FORM, nullptr));
    PumpUntilIdle();
    windriver::MessageBoxWatcher watcher;
    dlg.preTranslatedMessages.clear();
    dlg.Ask();
    ASSERT_EQ(1u, watcher.Seen().size());
    EXPECT_EQ(std::wstring(L"question"), watcher.Seen()[0].text);
    EXPECT_EQ(std::wstring(L"caption"), watcher.Seen()[0].caption);
    EXPECT_EQ(dlg.m_hWnd, watcher.Seen()[0].owner);
    EXPECT_EQ(IDOK, dlg.answer);
    for (UINT m : dlg.preTranslatedMessages) {
        EXPECT_FALSE(m >= WM_KEYFIRST && m <= WM_KEYLAST) << "the box's keys went to the dialog";
    }
    dlg.DestroyWindow();
}

}  // namespace
