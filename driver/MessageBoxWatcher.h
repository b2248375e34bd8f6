// Message boxes shown while a window is driven: each one is read, looked at once it is on screen
// (a picture, say), and closed, so the call that showed it returns.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace windriver {

struct SeenMessageBox {
    std::wstring text;
    std::wstring caption;
    HWND owner = nullptr;
    std::vector<std::wstring> buttons;  // the captions of its buttons, in order
};

// While it lives, every message box that this thread shows (a "#32770" window made after the
// watcher) is recorded and closed by its `button` (IDOK by default, which an MB_OK box answers),
// once it has been activated and painted. A box is modal: all of this happens inside the box's own
// loop, before the call that showed it returns. Watchers nest; the innermost one sees the boxes.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(int button = IDOK);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    bool Installed() const { return m_hook != nullptr; }
    // Called with each box as it shows on screen, before it is closed.
    void OnShown(std::function<void(HWND box)> look) { m_look = std::move(look); }
    const std::vector<SeenMessageBox>& Seen() const { return m_seen; }

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK OnShownTimer(HWND, UINT, UINT_PTR id, DWORD);
    void Close(HWND box);

    HHOOK m_hook = nullptr;
    int m_button;
    MessageBoxWatcher* m_previous = nullptr;
    std::function<void(HWND)> m_look;
    std::vector<SeenMessageBox> m_seen;
    std::vector<HWND> m_created;
    std::vector<HWND> m_handled;
    HWND m_waiting = nullptr;  // activated, to be read once it has painted
};

}  // namespace windriver
