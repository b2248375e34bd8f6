#include "SkinControls.h"

#include "SkinCurrentDialog.h"

namespace {
// The innermost scope's dialog; each scope keeps the one it hid, so the chain of scopes on the
// stack is the stack of dialogs.
thread_local CSkinDialog* t_pCurrentDialog = nullptr;
}  // namespace

CSkinDialogScope::CSkinDialogScope(CSkinDialog* dialog) : m_pPrevious(t_pCurrentDialog) {
    t_pCurrentDialog = dialog;
}

CSkinDialogScope::~CSkinDialogScope() { t_pCurrentDialog = m_pPrevious; }

HWND GetCurrentSkinDialogWindow() {
    // The handle is null once the dialog's window has gone (its last message clears it).
    HWND hWnd = t_pCurrentDialog ? t_pCurrentDialog->GetSafeHwnd() : nullptr;
    return hWnd && ::IsWindow(hWnd) ? hWnd : nullptr;
}

CSkinDialog::CSkinDialog(UINT nIDTemplate, CWnd* pParent) : CDialog(nIDTemplate, pParent) {}

CSkinDialog::~CSkinDialog() = default;

BOOL CSkinDialog::OnInitDialog() { return CDialog::OnInitDialog(); }

void CSkinDialog::UpdateUI() {
    if (!m_hWnd) return;
    ::RedrawWindow(m_hWnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// Written out rather than through BEGIN_MESSAGE_MAP: an empty map would leave the macro's
// ThisClass alias unused.
const AFX_MSGMAP* CSkinDialog::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP messageMap = {&CDialog::GetThisMessageMap, &entries[0]};
    return &messageMap;
}

const AFX_MSGMAP* CSkinDialog::GetMessageMap() const { return GetThisMessageMap(); }

LRESULT CSkinDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    CSkinDialogScope scope(this);
    switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        // The message map has the first word; a label nobody else colours gets its page, and so
        // does a push button drawn by a visual style, in the corners it rounds off.
        LRESULT result = 0;
        if (DispatchMessageMap(message, wParam, lParam, &result)) return result;
        HDC hdc = reinterpret_cast<HDC>(wParam);
        if (HBRUSH hBrush = m_tabPageBrush.ForLabel(m_hWnd, reinterpret_cast<HWND>(lParam), hdc)) {
            ::SetTextColor(hdc, ::GetSysColor(COLOR_WINDOWTEXT));
            ::SetBkMode(hdc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(hBrush);
        }
        break;
    }
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
    case WM_DESTROY:
        m_tabPageBrush.Reset();
        break;
    case WM_SHOWWINDOW:
    case WM_DPICHANGED: {
        // The dialog lays its controls out in its own handler: whatever lies where is decided
        // again afterwards.
        if (message == WM_DPICHANGED)
            m_tabPageBrush.Reset();
        const LRESULT result = CDialog::WindowProc(message, wParam, lParam);
        m_tabPageBrush.ForgetLayout();
        return result;
    }
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

namespace {
bool HasClass(HWND hWnd, const wchar_t* name) {
    wchar_t actual[32] = {};
    ::GetClassNameW(hWnd, actual, 32);
    return _wcsicmp(actual, name) == 0;
}

// Static texts and buttons: those that ask for WM_CTLCOLORSTATIC (radio buttons, check boxes, group
// boxes), and push buttons, which ask for WM_CTLCOLORBTN. A disabled or read-only edit asks too,
// and must keep the dialog's grey.
bool IsLabel(HWND hWnd) { return HasClass(hWnd, L"Static") || HasClass(hWnd, L"Button"); }

struct TabSearch {
    HWND hWndDlg;
    RECT label;  // screen coordinates
    HWND found;
};

BOOL CALLBACK FindTabUnder(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<TabSearch*>(lParam);
    if (::GetParent(hWnd) != search->hWndDlg || !::IsWindowVisible(hWnd) ||
        !HasClass(hWnd, WC_TABCONTROLW))
        return TRUE;
    RECT tab = {};
    ::GetWindowRect(hWnd, &tab);
    RECT both = {};
    ::IntersectRect(&both, &tab, &search->label);
    if (!::EqualRect(&both, &search->label)) return TRUE;
    search->found = hWnd;
    return FALSE;
}
}  // namespace

HBRUSH CSkinDialog::CTabPageBrush::ForLabel(HWND hWndDlg, HWND hWndLabel, HDC hdc) {
    if (!hWndDlg || !hWndLabel || ::GetParent(hWndLabel) != hWndDlg) return nullptr;
    const HWND hWndTab = TabUnder(hWndDlg, hWndLabel);
    if (!hWndTab || !Paint(hWndTab)) return nullptr;
    // The pattern starts at the tab control's corner, wherever the label is.
    POINT origin = {0, 0};
    ::MapWindowPoints(hWndTab, hWndLabel, &origin, 1);
    ::SetBrushOrgEx(hdc, origin.x, origin.y, nullptr);
    return m_hBrush;
}

HWND CSkinDialog::CTabPageBrush::TabUnder(HWND hWndDlg, HWND hWndLabel) {
    for (const auto& known : m_tabOfLabel) {
        if (known.first == hWndLabel) return known.second;
    }
    TabSearch search = {hWndDlg, {}, nullptr};
    if (IsLabel(hWndLabel)) {
        ::GetWindowRect(hWndLabel, &search.label);
        ::EnumChildWindows(hWndDlg, &FindTabUnder, reinterpret_cast<LPARAM>(&search));
    }
    m_tabOfLabel.emplace_back(hWndLabel, search.found);
    return search.found;
}

// Paints the tab control into a bitmap, unless the picture of it already there is still true: the
// same control, size and selected item (the theme and colours reset it).
bool CSkinDialog::CTabPageBrush::Paint(HWND hWndTab) {
    RECT client = {};
    ::GetClientRect(hWndTab, &client);
    const SIZE size = {client.right, client.bottom};
    const int selected = static_cast<int>(::SendMessageW(hWndTab, TCM_GETCURSEL, 0, 0));
    if (m_hBrush && hWndTab == m_hWndTab && size.cx == m_size.cx && size.cy == m_size.cy &&
        selected == m_nSelected)
        return true;
    Reset();
    if (size.cx <= 0 || size.cy <= 0) return false;

    HDC hdcWindow = ::GetDC(hWndTab);
    HDC hdc = ::CreateCompatibleDC(hdcWindow);
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hdcWindow, size.cx, size.cy);
    ::ReleaseDC(hWndTab, hdcWindow);
    if (!hdc || !hBitmap) {
        if (hBitmap) ::DeleteObject(hBitmap);
        if (hdc) ::DeleteDC(hdc);
        return false;
    }
    HGDIOBJ old = ::SelectObject(hdc, hBitmap);
    // What the control leaves unpainted is the dialog's own face.
    ::FillRect(hdc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    ::SendMessageW(hWndTab, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
    ::SendMessageW(hWndTab, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(hdc), PRF_CLIENT | PRF_ERASEBKGND);
    ::SelectObject(hdc, old);
    ::DeleteDC(hdc);

    m_hBrush = ::CreatePatternBrush(hBitmap);
    if (!m_hBrush) {
        ::DeleteObject(hBitmap);
        return false;
    }
    m_hBitmap = hBitmap;
    m_hWndTab = hWndTab;
    m_size = size;
    m_nSelected = selected;
    return true;
}

void CSkinDialog::CTabPageBrush::Reset() {
    if (m_hBrush) ::DeleteObject(m_hBrush);
    if (m_hBitmap) ::DeleteObject(m_hBitmap);
    m_hBrush = nullptr;
    m_hBitmap = nullptr;
    m_hWndTab = nullptr;
    m_size = {0, 0};
    m_nSelected = -1;
    m_tabOfLabel.clear();
}

CCommonSkinDialog::CCommonSkinDialog(UINT nIDTemplate, CWnd* pParent)
    : CSkinDialog(nIDTemplate, pParent) {}

CCommonSkinDialog::~CCommonSkinDialog() = default;
