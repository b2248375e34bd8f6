#include "WindowDriver.h"

#include <commctrl.h>

#include <algorithm>

namespace windriver {

void Require(const Result& result) {
    if (!result) throw StepFailed(result.Why());
}

// ---------------------------------------------------------------------------------------------
// Messages

void PumpPending() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool PumpUntilIdle(DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
        if (::GetTickCount64() >= deadline) return false;
    }
    return true;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        PumpPending();
        if (done()) return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return done();
        const DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 10));
        ::MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

// ---------------------------------------------------------------------------------------------
// Windows and texts

std::wstring WindowText(HWND hWnd) {
    if (!hWnd) return std::wstring();
    const int length = ::GetWindowTextLengthW(hWnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(hWnd, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size,
                          nullptr, nullptr);
    return out;
}

namespace {
struct ChildSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindChild(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<ChildSearch*>(param);
    if (::GetDlgCtrlID(child) != search->id) return TRUE;
    search->found = child;
    return FALSE;
}

struct CaptionSearch {
    const std::wstring* caption;
    HWND found;
};

BOOL CALLBACK FindByCaption(HWND hWnd, LPARAM param) {
    auto* search = reinterpret_cast<CaptionSearch*>(param);
    if (WindowText(hWnd) != *search->caption) return TRUE;
    search->found = hWnd;
    return FALSE;
}
}  // namespace

HWND FindControl(HWND parent, int id) {
    if (!parent) return nullptr;
    if (HWND direct = ::GetDlgItem(parent, id)) return direct;
    ChildSearch search{id, nullptr};
    ::EnumChildWindows(parent, &FindChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindThreadWindow(const std::wstring& caption) {
    CaptionSearch search{&caption, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindByCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring TabItemText(HWND tab, int index) {
    wchar_t text[128] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 128;
    ::SendMessageW(tab, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

std::wstring ListCellText(HWND list, int row, int column) {
    // LVM_GETITEMTEXT reports only how much it copied: a full buffer may mean a longer text.
    for (size_t size = 256;; size *= 4) {
        std::wstring buffer(size, L'\0');
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = &buffer[0];
        item.cchTextMax = static_cast<int>(size);
        const LRESULT copied = ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                              reinterpret_cast<LPARAM>(&item));
        if (copied < static_cast<LRESULT>(size) - 1 || size >= (1u << 16)) {
            buffer.resize(static_cast<size_t>(copied > 0 ? copied : 0));
            return buffer;
        }
    }
}

RECT RectIn(HWND hWnd, HWND reference, bool client) {
    RECT rc = {};
    ::GetWindowRect(hWnd, &rc);
    if (client) {
        ::MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&rc), 2);
    } else {
        RECT outer = {};
        ::GetWindowRect(reference, &outer);
        ::OffsetRect(&rc, -outer.left, -outer.top);
    }
    return rc;
}

void BecomeDpiAware() { ::SetProcessDPIAware(); }

UINT WindowDpi(HWND hWnd) {
    // Windows 10 and Wine answer per window; older systems have one DPI, the screen's.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && hWnd) {
        if (const UINT dpi = getDpiForWindow(hWnd)) return dpi;
    }
    HDC hdc = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(hdc, LOGPIXELSY);
    ::ReleaseDC(nullptr, hdc);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

// ---------------------------------------------------------------------------------------------
// Keys

void PostKey(HWND target, UINT vk) {
    const UINT scan = ::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    // Repeat count 1 and the scan code; the key-up adds "was down" (bit 30) and "released" (bit 31).
    const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    const LPARAM up = down | (LPARAM{1} << 30) | (LPARAM{1} << 31);
    ::PostMessageW(target, WM_KEYDOWN, vk, down);
    ::PostMessageW(target, WM_KEYUP, vk, up);
}

void PostChars(HWND target, const std::wstring& text) {
    for (wchar_t ch : text) ::PostMessageW(target, WM_CHAR, ch, 1);
}

void SetCheckAlone(HWND radio, bool checked) {
    const LONG_PTR style = ::GetWindowLongPtrW(radio, GWL_STYLE);
    ::SendMessageW(radio, BM_SETSTYLE, (style & ~BS_TYPEMASK) | BS_RADIOBUTTON, FALSE);
    ::SendMessageW(radio, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SendMessageW(radio, BM_SETSTYLE, style, FALSE);
}

bool ClickTabItem(HWND tab, int index) {
    RECT item = {};
    if (!::SendMessageW(tab, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
        return false;
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    ::SendMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(tab, WM_LBUTTONUP, 0, at);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Popup menus

std::vector<MenuItem> MenuItems(HMENU menu) {
    std::vector<MenuItem> items;
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        const UINT state = ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        items.push_back({text, (state & (MF_GRAYED | MF_DISABLED)) == 0});
    }
    return items;
}

namespace {
// The probe of the menu being waited for. A timer is the one thing that reaches us inside the
// menu's loop; it carries no data, so the probe of this thread stands in a thread-local.
struct MenuProbe {
    const std::function<void(HWND, HMENU)>* inside = nullptr;
    bool ran = false;
    int ticks = 0;
};
thread_local MenuProbe* t_menuProbe = nullptr;

void CALLBACK MenuProbeTick(HWND, UINT, UINT_PTR, DWORD) {
    MenuProbe* probe = t_menuProbe;
    if (!probe)
        return;
    HWND menuWindow = ::FindWindowW(L"#32768", nullptr);
    if (!probe->ran && menuWindow && ::IsWindowVisible(menuWindow)) {
        probe->ran = true;
        (*probe->inside)(menuWindow, reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0)));
    } else if (++probe->ticks > 250) {
        ::EndMenu();
    }
}
}  // namespace

bool WithPopupMenu(const std::function<void()>& open, const std::function<void(HWND, HMENU)>& inside) {
    MenuProbe probe;
    probe.inside = &inside;
    MenuProbe* const outer = t_menuProbe;
    t_menuProbe = &probe;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &MenuProbeTick);
    open();
    ::KillTimer(nullptr, timer);
    t_menuProbe = outer;
    return probe.ran;
}

void ChooseMenuItem(HWND menuWindow, HMENU menu, int index) {
    // Down from no item selected: the first press selects the first item, separators are skipped.
    int presses = 0;
    for (int i = 0; i <= index; ++i)
        if (::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR)
            continue;
        else
            ++presses;
    for (int i = 0; i < presses; ++i)
        ::PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
}

// ---------------------------------------------------------------------------------------------
// DialogDriver

namespace {
std::string Named(int id) { return "control " + std::to_string(id); }
}  // namespace

DialogDriver::DialogDriver(std::function<HWND()> findDialog, std::function<void()> settle)
    : m_findDialog(std::move(findDialog)), m_settle(std::move(settle)) {}

HWND DialogDriver::Dialog() const { return m_findDialog ? m_findDialog() : nullptr; }
HWND DialogDriver::Control(int id) const { return ::GetDlgItem(Dialog(), id); }

void DialogDriver::Settle() const {
    if (m_settle)
        m_settle();
    else
        PumpPending();
}

bool DialogDriver::Shown(int id) const { return ::IsWindowVisible(Control(id)) != FALSE; }
bool DialogDriver::Enabled(int id) const { return ::IsWindowEnabled(Control(id)) != FALSE; }

bool DialogDriver::Checked(int id) const {
    return ::SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::wstring DialogDriver::Text(int id) const { return WindowText(Control(id)); }

int DialogDriver::RowCount(int listId) const {
    return static_cast<int>(::SendMessageW(Control(listId), LVM_GETITEMCOUNT, 0, 0));
}

std::wstring DialogDriver::Cell(int listId, int row, int column) const {
    return ListCellText(Control(listId), row, column);
}

std::vector<std::wstring> DialogDriver::FirstColumn(int listId) const {
    std::vector<std::wstring> cells;
    for (int r = 0; r < RowCount(listId); ++r) cells.push_back(Cell(listId, r, 0));
    return cells;
}

int DialogDriver::SelectedRow(int listId) const {
    return static_cast<int>(::SendMessageW(Control(listId), LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                           MAKELPARAM(LVNI_SELECTED, 0)));
}

int DialogDriver::SelectedTab(int tabId) const {
    return static_cast<int>(::SendMessageW(Control(tabId), TCM_GETCURSEL, 0, 0));
}

std::wstring DialogDriver::TabText(int tabId, int index) const { return TabItemText(Control(tabId), index); }

int DialogDriver::ComboCount(int comboId) const {
    return static_cast<int>(::SendMessageW(Control(comboId), CB_GETCOUNT, 0, 0));
}

int DialogDriver::ComboSelection(int comboId) const {
    return static_cast<int>(::SendMessageW(Control(comboId), CB_GETCURSEL, 0, 0));
}

std::wstring DialogDriver::ComboItem(int comboId, int index) const {
    HWND combo = Control(comboId);
    const LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                          reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied == CB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

RECT DialogDriver::ClientRect(int id) const { return RectIn(Control(id), Dialog(), true); }

int DialogDriver::FocusedId() const {
    HWND dialog = Dialog();
    HWND focus = ::GetFocus();
    if (!dialog || !focus || !::IsChild(dialog, focus)) return 0;
    // A control's own children (a list's header, a box's edit) count as the control.
    while (::GetParent(focus) != dialog) focus = ::GetParent(focus);
    return ::GetDlgCtrlID(focus);
}

Result DialogDriver::Click(int id) { return Click(Control(id), Named(id)); }

Result DialogDriver::Click(HWND button, const std::string& what) {
    // BM_CLICK works on hidden and disabled buttons too; a user could not press those.
    if (!button) return Result::Failed("there is no " + what + " to click");
    if (!::IsWindowVisible(button)) return Result::Failed(what + " is hidden: it cannot be clicked");
    if (!::IsWindowEnabled(button)) return Result::Failed(what + " is disabled: it cannot be clicked");
    ::SendMessageW(button, BM_CLICK, 0, 0);
    Settle();
    return Result::Ok();
}

Result DialogDriver::Type(int id, const std::wstring& text) {
    if (!Shown(id)) return Result::Failed("edit " + std::to_string(id) + " is hidden: nothing can be typed");
    if (!Enabled(id)) return Result::Failed("edit " + std::to_string(id) + " is disabled: nothing can be typed");
    ::SendMessageW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Settle();
    return Result::Ok();
}

Result DialogDriver::Choose(int comboId, int item) {
    if (!Usable(comboId)) return Result::Failed("box " + std::to_string(comboId) + " is hidden or disabled");
    const LRESULT chosen = ::SendMessageW(Control(comboId), CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    Settle();
    return Result::Check(chosen == item, "box " + std::to_string(comboId) + " has no item " + std::to_string(item));
}

Result DialogDriver::SelectRow(int listId, int row) {
    if (!Usable(listId)) return Result::Failed("list " + std::to_string(listId) + " is hidden or disabled");
    if (row < 0 || row >= RowCount(listId))
        return Result::Failed("list " + std::to_string(listId) + " has no row " + std::to_string(row) +
                              " (it has " + std::to_string(RowCount(listId)) + ")");
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(Control(listId), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    Settle();
    return Result::Ok();
}

Result DialogDriver::ClickTab(int tabId, int index) {
    if (!Usable(tabId)) return Result::Failed("the tab control is hidden or disabled");
    if (!ClickTabItem(Control(tabId), index)) return Result::Failed("there is no tab " + std::to_string(index));
    Settle();
    return Result::Ok();
}

Result DialogDriver::PressKeyIn(int id, UINT vk) {
    HWND target = Control(id);
    if (!target) return Result::Failed("there is no " + Named(id) + " to press a key in");
    ::SetFocus(target);
    // Through the queue, as a real key arrives, so the thread's message filters see it.
    PostKey(target, vk);
    Settle();
    return Result::Ok();
}

Result DialogDriver::FocusInDialog(HWND* focus) const {
    HWND dialog = Dialog();
    *focus = ::GetFocus();
    if (!dialog) return Result::Failed("there is no window to type into");
    if (!*focus) return Result::Failed("no control has the keyboard focus");
    if (*focus != dialog && !::IsChild(dialog, *focus))
        return Result::Failed("the keyboard focus is outside the window (in \"" + Utf8(WindowText(*focus)) + "\")");
    return Result::Ok();
}

Result DialogDriver::PressKey(UINT vk) {
    HWND focus = nullptr;
    Result where = FocusInDialog(&focus);
    if (!where) return where;
    PostKey(focus, vk);
    Settle();
    return Result::Ok();
}

Result DialogDriver::TypeKeys(const std::wstring& text) {
    HWND focus = nullptr;
    Result where = FocusInDialog(&focus);
    if (!where) return where;
    PostChars(focus, text);
    Settle();
    return Result::Ok();
}

}  // namespace windriver
