#include "MessageBoxWatcher.h"

#include <algorithm>

#include "WindowDriver.h"

namespace windriver {

namespace {

// The innermost watcher of this thread; the hook and timer procedures have no other way to find it.
thread_local MessageBoxWatcher* t_watcher = nullptr;

bool HasClass(HWND hWnd, const wchar_t* name) {
    wchar_t actual[32] = {};
    ::GetClassNameW(hWnd, actual, 32);
    return _wcsicmp(actual, name) == 0;
}

struct BoxContents {
    std::wstring text;
    std::vector<std::wstring> buttons;
};

// The message is the box's static text that is not its icon.
BOOL CALLBACK ReadBox(HWND child, LPARAM param) {
    auto* contents = reinterpret_cast<BoxContents*>(param);
    const LONG_PTR style = ::GetWindowLongPtrW(child, GWL_STYLE);
    if (HasClass(child, L"Button")) {
        contents->buttons.push_back(WindowText(child));
    } else if (HasClass(child, L"Static") && contents->text.empty()) {
        const LONG_PTR kind = style & SS_TYPEMASK;
        if (kind != SS_ICON && kind != SS_BITMAP) contents->text = WindowText(child);
    }
    return TRUE;
}

// A message box is a dialog with its message in static 0xFFFF and at least one button; the
// search window, made while a watcher lives, is a "#32770" too and must be left alone.
bool IsMessageBox(HWND hWnd) {
    if (!HasClass(hWnd, L"#32770") || !::GetDlgItem(hWnd, 0xFFFF)) return false;
    BoxContents contents;
    ::EnumChildWindows(hWnd, &ReadBox, reinterpret_cast<LPARAM>(&contents));
    return !contents.buttons.empty();
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher(int button) : m_button(button), m_previous(t_watcher) {
    t_watcher = this;
    m_hook = ::SetWindowsHookExW(WH_CBT, &MessageBoxWatcher::CbtProc, nullptr, ::GetCurrentThreadId());
}

MessageBoxWatcher::~MessageBoxWatcher() {
    if (m_hook) ::UnhookWindowsHookEx(m_hook);
    t_watcher = m_previous;
}

LRESULT CALLBACK MessageBoxWatcher::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    if (MessageBoxWatcher* self = t_watcher) {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        // Only boxes made while watching: the window that asked is activated again when its box
        // goes, and it could look like a box.
        if (code == HCBT_CREATEWND && HasClass(hWnd, L"#32770")) self->m_created.push_back(hWnd);
        // Activated once its dialog procedure has filled it in; it paints right after. A timer
        // message comes after every paint that is due, so the box is read on screen as it shows.
        if (code == HCBT_ACTIVATE && !self->m_waiting &&
            std::count(self->m_created.begin(), self->m_created.end(), hWnd) &&
            !std::count(self->m_handled.begin(), self->m_handled.end(), hWnd) && IsMessageBox(hWnd)) {
            self->m_waiting = hWnd;
            ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &MessageBoxWatcher::OnShownTimer);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK MessageBoxWatcher::OnShownTimer(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    MessageBoxWatcher* self = t_watcher;
    if (!self || !self->m_waiting) return;
    HWND box = self->m_waiting;
    self->m_waiting = nullptr;
    if (::IsWindow(box)) self->Close(box);
}

void MessageBoxWatcher::Close(HWND box) {
    m_handled.push_back(box);
    SeenMessageBox seen;
    seen.caption = WindowText(box);
    seen.owner = ::GetWindow(box, GW_OWNER);
    BoxContents contents;
    ::EnumChildWindows(box, &ReadBox, reinterpret_cast<LPARAM>(&contents));
    // 0xFFFF is the message text's ID in the system's box.
    if (HWND text = ::GetDlgItem(box, 0xFFFF)) contents.text = WindowText(text);
    seen.text = contents.text;
    seen.buttons = contents.buttons;
    m_seen.push_back(seen);
    if (m_look) m_look(box);
    // Posted, as the button's click: the box's loop takes it and the box returns that button.
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(m_button, BN_CLICKED), 0);
}

}  // namespace windriver
