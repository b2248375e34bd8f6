// Helpers for tests of real windows under Wine: a bounded message pump, controls by ID, window
// texts, keys through the thread's queue, tab clicks, a message-box watcher and PNG pictures.
//
// Everything here runs on the test's own thread, which must own the windows it drives. Nothing
// sleeps: waiting is a pump with a timeout.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace wintest {

// Dispatches this thread's messages (posted, sent, paints, timers) until the queue is empty.
// Returns false when it was still busy after timeoutMs.
bool PumpUntilIdle(DWORD timeoutMs = 2000);

// Pumps until done() holds (checked before each wait and after each batch of messages) or
// timeoutMs passes; returns done()'s last answer. Waits on the queue, so a message posted from
// another thread wakes it at once; a condition with no message behind it is rechecked every 10 ms.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 2000);

// The control with this ID among the window's descendants (GetDlgItem first, then deeper), or null.
HWND FindControl(HWND parent, int id);

// The window's text (WM_GETTEXT), empty for a null window.
std::wstring WindowText(HWND hWnd);

// Posts WM_KEYDOWN then WM_KEYUP for the virtual key to the window, as the keyboard would queue
// them. They are only queued: pump to deliver them (through whatever hooks the thread has).
void PostKey(HWND target, UINT vk);

// Clicks tab item `index` as a user does: WM_LBUTTONDOWN/UP at the centre of TCM_GETITEMRECT,
// so the tab control notifies its parent (TCN_SELCHANGING, TCN_SELCHANGE). False when the item
// has no rectangle. It does not check that the control is shown and enabled: a test acting as a
// user checks that first (a disabled tab control still switches under Wine).
bool ClickTab(HWND tab, int index);

// A message box seen by MessageBoxWatcher.
struct SeenMessageBox {
    std::wstring text;
    std::wstring caption;
    HWND owner = nullptr;
};

// While it lives, closes each message box (a "#32770" window created after the watcher) that this
// thread activates, after
// recording its text, caption and owner. The box is closed by posting WM_COMMAND with `button`
// (IDOK by default, which an MB_OK box answers), so its own loop ends and the call that showed it
// returns that button. Only boxes shown on the constructing thread are seen.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(int button = IDOK);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    const std::vector<SeenMessageBox>& Seen() const { return m_seen; }

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    void OnActivate(HWND box);

    HHOOK m_hook = nullptr;
    int m_button;
    MessageBoxWatcher* m_previous = nullptr;
    std::vector<SeenMessageBox> m_seen;
    std::vector<HWND> m_closed;
    std::vector<HWND> m_created;
};

// Writes a PNG of the window as shown on screen (after pumping its pending paints), frame and
// controls included. Under Wine PrintWindow paints only the background, so this copies from the
// screen: the window must be shown and not covered. False when the window is null or hidden or
// the file cannot be written.
bool CaptureWindowPng(HWND hWnd, const std::wstring& path);

}  // namespace wintest
