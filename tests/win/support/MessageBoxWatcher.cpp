#include <algorithm>

#include "WinTestSupport.h"

namespace wintest {

namespace {

// The innermost watcher of this thread; the hook procedure has no other way to find it.
thread_local MessageBoxWatcher* t_watcher = nullptr;

bool IsDialogClass(HWND hWnd) {
    wchar_t name[16] = {};
    GetClassNameW(hWnd, name, 16);
    return wcscmp(name, L"#32770") == 0;
}

struct TextSearch {
    std::wstring text;
};

// The box's message is its static text control that is not the icon.
BOOL CALLBACK FindMessageText(HWND child, LPARAM param) {
    wchar_t name[16] = {};
    GetClassNameW(child, name, 16);
    if (_wcsicmp(name, L"Static") != 0) return TRUE;
    const LONG_PTR kind = GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK;
    if (kind == SS_ICON || kind == SS_BITMAP) return TRUE;
    std::wstring text = WindowText(child);
    if (text.empty()) return TRUE;
    reinterpret_cast<TextSearch*>(param)->text = std::move(text);
    return FALSE;
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher(int button) : m_button(button), m_previous(t_watcher) {
    t_watcher = this;
    m_hook = SetWindowsHookExW(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
}

MessageBoxWatcher::~MessageBoxWatcher() {
    if (m_hook) UnhookWindowsHookEx(m_hook);
    t_watcher = m_previous;
}

LRESULT CALLBACK MessageBoxWatcher::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    // Only boxes made while watching: a dialog that was already there (the one that asked, say)
    // is a "#32770" too, and it is activated again when the box goes.
    if (code == HCBT_CREATEWND && t_watcher && IsDialogClass(reinterpret_cast<HWND>(wParam)))
        t_watcher->m_created.push_back(reinterpret_cast<HWND>(wParam));
    // The box is activated once its dialog procedure has filled in its texts.
    if (code == HCBT_ACTIVATE && t_watcher) t_watcher->OnActivate(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void MessageBoxWatcher::OnActivate(HWND box) {
    if (std::find(m_created.begin(), m_created.end(), box) == m_created.end()) return;
    if (std::find(m_closed.begin(), m_closed.end(), box) != m_closed.end()) return;
    SeenMessageBox seen;
    seen.caption = WindowText(box);
    seen.owner = GetWindow(box, GW_OWNER);
    // 0xFFFF is the message text's control ID in the system's box; search if it is not there.
    HWND text = GetDlgItem(box, 0xFFFF);
    if (text) {
        seen.text = WindowText(text);
    } else {
        TextSearch search;
        EnumChildWindows(box, FindMessageText, reinterpret_cast<LPARAM>(&search));
        seen.text = search.text;
    }
    m_seen.push_back(seen);
    m_closed.push_back(box);
    // Posted: the box's own loop takes it, after the activation this hook is part of.
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(m_button, BN_CLICKED), 0);
}

}  // namespace wintest
