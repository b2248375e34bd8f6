// Drives real windows as a user does, for the window tests and the demo's tour: pumping the
// thread's messages, finding controls, reading what they show, and acting on them only the way a
// person could (a hidden or disabled control cannot be clicked, keys go where the focus is).
//
// Everything here runs on the thread that owns the windows it drives. Nothing sleeps: waiting is a
// pump with a time limit, and the limit only bounds a wait for something that must happen.
#pragma once

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace windriver {

// ---------------------------------------------------------------------------------------------
// Steps report what went wrong

// The outcome of one step. A failed step says why, in words a reader of the log understands.
class [[nodiscard]] Result {
public:
    static Result Ok() { return Result(true, std::string()); }
    static Result Failed(std::string why) { return Result(false, std::move(why)); }
    // Ok when `ok`, else Failed(why).
    static Result Check(bool ok, std::string why) { return ok ? Ok() : Failed(std::move(why)); }

    explicit operator bool() const { return m_ok; }
    const std::string& Why() const { return m_why; }

private:
    Result(bool ok, std::string why) : m_ok(ok), m_why(std::move(why)) {}
    bool m_ok;
    std::string m_why;
};

// A step that failed, carried out of the sequence of steps that depended on it.
class StepFailed : public std::runtime_error {
public:
    explicit StepFailed(const std::string& why) : std::runtime_error(why) {}
};

// Throws StepFailed when the step failed: what comes after it cannot mean anything.
void Require(const Result& result);

// ---------------------------------------------------------------------------------------------
// Messages

// Dispatches this thread's messages (posted, sent, paints, timers) until the queue is empty.
void PumpPending();
// The same, but gives up after timeoutMs (false) when something keeps the queue busy.
bool PumpUntilIdle(DWORD timeoutMs = 2000);
// Pumps until done() holds (checked before each wait and after each batch of messages) or
// timeoutMs passes; returns done()'s last answer. Waits on the queue, so a message posted from
// another thread wakes it at once; a condition with no message behind it is rechecked every 10 ms.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 2000);

// ---------------------------------------------------------------------------------------------
// Windows and texts

// The window's text (WM_GETTEXT), empty for a null window.
std::wstring WindowText(HWND hWnd);
// UTF-8, for logs and test messages.
std::string Utf8(const std::wstring& text);
// The control with this ID among the window's descendants (GetDlgItem first, then deeper), or null.
HWND FindControl(HWND parent, int id);
// A top-level window of this thread with exactly this caption, or null.
HWND FindThreadWindow(const std::wstring& caption);
// The text of a tab control's item.
std::wstring TabItemText(HWND tab, int index);
// The text of a list view's cell (column 0 is the item itself).
std::wstring ListCellText(HWND list, int row, int column);
// The window's rectangle relative to another window's top-left corner (its client area's when
// `client` is set), in pixels.
RECT RectIn(HWND hWnd, HWND reference, bool client);

// Lets this process draw at the desktop's DPI, as a client that is DPI-aware does. Call it before
// any window is made.
void BecomeDpiAware();
// The DPI a window is drawn at (96 for a process that is not DPI-aware).
UINT WindowDpi(HWND hWnd);

// ---------------------------------------------------------------------------------------------
// Keys, queued as the keyboard queues them; pump to deliver them (through the thread's hooks)

// WM_KEYDOWN then WM_KEYUP for the virtual key.
void PostKey(HWND target, UINT vk);
// One WM_CHAR per character, as typing them does.
void PostChars(HWND target, const std::wstring& text);

// Clicks tab item `index` with the mouse: WM_LBUTTONDOWN/UP at the centre of its rectangle, so the
// tab control notifies its parent as for a real click (TCM_SETCURSEL would not). False when the
// item has no rectangle. A disabled tab control still switches: check that it is usable first.
bool ClickTabItem(HWND tab, int index);

// Checks or clears one radio button alone, leaving the rest of its group as they are: a state no
// click makes. An automatic radio button of common-controls 6 clears its group when checked, as a
// click does, so for the time of the check it is made a plain one.
void SetCheckAlone(HWND radio, bool checked);

// ---------------------------------------------------------------------------------------------
// Popup menus, which run a loop of their own

struct MenuItem {
    std::wstring text;  // empty for a separator
    bool enabled = true;
};
std::vector<MenuItem> MenuItems(HMENU menu);

// Runs open() (which opens a popup menu and returns when it closes) and, from inside the menu's
// own loop, inside() once with the menu's window and handle; inside() may read the menu, take a
// picture, choose an item (ChooseMenuItem) or close it (EndMenu). A menu still open after a few
// seconds is closed. False when no menu opened.
bool WithPopupMenu(const std::function<void()>& open, const std::function<void(HWND, HMENU)>& inside);
// Chooses item `index` (separators count) of an open menu with the keyboard, as a user does.
void ChooseMenuItem(HWND menuWindow, HMENU menu, int index);

// ---------------------------------------------------------------------------------------------
// A dialog, worked as a user works it

class DialogDriver {
public:
    // findDialog: the dialog, or null while there is none. settle: run after each action to let its
    // consequences happen (by default PumpPending).
    explicit DialogDriver(std::function<HWND()> findDialog, std::function<void()> settle = {});

    HWND Dialog() const;
    HWND Control(int id) const;

    // What is shown
    bool Shown(int id) const;
    bool Enabled(int id) const;
    bool Usable(int id) const { return Shown(id) && Enabled(id); }
    bool Checked(int id) const;
    std::wstring Text(int id) const;
    int RowCount(int listId) const;
    std::wstring Cell(int listId, int row, int column) const;
    std::vector<std::wstring> FirstColumn(int listId) const;
    int SelectedRow(int listId) const;  // -1 when none
    int SelectedTab(int tabId) const;
    std::wstring TabText(int tabId, int index) const;
    int ComboCount(int comboId) const;
    int ComboSelection(int comboId) const;  // -1 when none
    std::wstring ComboItem(int comboId, int index) const;
    RECT ClientRect(int id) const;  // in the dialog's client coordinates
    // The ID of the dialog's control that has the keyboard focus; 0 when the focus is elsewhere
    // (or nowhere).
    int FocusedId() const;

    // Actions, as a user would take them: each fails, saying why, when the control is hidden or
    // disabled, and runs the settle step after acting.
    Result Click(int id);
    Result Click(HWND button, const std::string& what);  // a button of any window
    Result Type(int id, const std::wstring& text);       // replaces the edit's text
    Result Choose(int comboId, int item);
    Result SelectRow(int listId, int row);
    Result ClickTab(int tabId, int index);
    // The focus put on a control, then the key pressed there.
    Result PressKeyIn(int id, UINT vk);
    // The keyboard alone: keys and characters go to the control that has the focus, which must be
    // one of the dialog's.
    Result PressKey(UINT vk);
    Result TypeKeys(const std::wstring& text);

    void Settle() const;

private:
    Result FocusInDialog(HWND* focus) const;

    std::function<HWND()> m_findDialog;
    std::function<void()> m_settle;
};

}  // namespace windriver
