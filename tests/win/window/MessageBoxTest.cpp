// One box shown for real: a modal message box owned by the search window, closed by the test.
#include "SearchWindowFixture.h"

namespace {
struct Watch {
    HWND owner = nullptr;
    std::wstring text;
    std::wstring caption;
    bool seen = false;
};
Watch g_watch;

BOOL CALLBACK CloseBox(HWND hWnd, LPARAM) {
    wchar_t cls[32] = {};
    ::GetClassNameW(hWnd, cls, 32);
    if (std::wstring(cls) != L"#32770" || !::IsWindowVisible(hWnd))
        return TRUE;
    wchar_t caption[64] = {};
    ::GetWindowTextW(hWnd, caption, 64);
    if (std::wstring(caption) == L"查询用户/商圈")
        return TRUE;
    wchar_t text[256] = {};
    ::GetDlgItemTextW(hWnd, 0xFFFF, text, 256);  // a message box's text is static 0xFFFF
    g_watch = {::GetWindow(hWnd, GW_OWNER), text, caption, true};
    ::PostMessageW(hWnd, WM_COMMAND, IDOK, 0);
    return FALSE;
}

// Runs inside the box's own modal loop.
void CALLBACK PollForBox(HWND, UINT, UINT_PTR, DWORD) {
    ::EnumThreadWindows(::GetCurrentThreadId(), &CloseBox, 0);
}
}  // namespace

TEST_F(SearchWindowTest, RealBoxIsModalToTheSearchWindow) {
    Start(true);
    SetSkinMessageBoxPresenter(nullptr);  // the real box, not the recorder
    Click(ids::RadioNick);
    g_watch = Watch();
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &PollForBox);
    ::SendMessageW(Control(ids::Find), BM_CLICK, 0, 0);  // returns once the box is closed
    ::KillTimer(nullptr, timer);
    ASSERT_TRUE(g_watch.seen) << "no message box appeared";
    EXPECT_EQ(g_watch.text, L"请指定昵称");
    EXPECT_EQ(g_watch.caption, L"查询错误");
    EXPECT_EQ(g_watch.owner, Dialog());
    EXPECT_TRUE(::IsWindowVisible(Dialog()));
}
