// The window under a high-contrast scheme. The skin draws with colours of its own; a user who
// chose a high-contrast scheme gets the scheme's instead: the dialog's face and every label on it,
// the inputs, the lists and the separator line.
#include "SearchDlg.h"

#include <uxtheme.h>

namespace {
bool HighContrastIsOn() {
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof(contrast);
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

// A control's place in its parent's client area.
RECT PlaceOf(const CWnd& control) {
    RECT rc = {};
    control.GetWindowRect(&rc);
    ::MapWindowPoints(nullptr, ::GetParent(control.GetSafeHwnd()), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// A bitmap of one system colour, w by h.
HBITMAP SolidBitmap(int w, int h, int nColour) {
    if (w <= 0 || h <= 0)
        return nullptr;
    HDC hdcScreen = ::GetDC(nullptr);
    HDC hdc = ::CreateCompatibleDC(hdcScreen);
    HBITMAP hBitmap = hdc ? ::CreateCompatibleBitmap(hdcScreen, w, h) : nullptr;
    ::ReleaseDC(nullptr, hdcScreen);
    if (hBitmap) {
        HGDIOBJ old = ::SelectObject(hdc, hBitmap);
        const RECT all = {0, 0, w, h};
        ::FillRect(hdc, &all, ::GetSysColorBrush(nColour));
        ::SelectObject(hdc, old);
    }
    if (hdc)
        ::DeleteDC(hdc);
    return hBitmap;
}
}  // namespace

// A colour message of the window's controls, answered with the scheme's colours while a
// high-contrast scheme is on; otherwise declined, and the skin colours the control.
bool CSearchDlg::HighContrastColour(CCmdTarget* pTarget, const AFX_MSGMAP_ENTRY& entry, WPARAM wParam,
                                    LPARAM lParam, LRESULT* pResult) {
    auto* self = static_cast<CSearchDlg*>(pTarget);
    if (!self->m_bHighContrast)
        return false;
    const bool input = entry.nMessage == WM_CTLCOLOREDIT || entry.nMessage == WM_CTLCOLORLISTBOX;
    int text = input ? COLOR_WINDOWTEXT : COLOR_BTNTEXT;
    int background = input ? COLOR_WINDOW : COLOR_BTNFACE;
    // A bitmap static fills what its bitmap leaves uncovered (at some DPIs the line is taller than
    // one row): the line's colour.
    if (reinterpret_cast<HWND>(lParam) == self->m_separator.GetSafeHwnd())
        background = text;
    HDC hdc = reinterpret_cast<HDC>(wParam);
    ::SetTextColor(hdc, ::GetSysColor(text));
    ::SetBkColor(hdc, ::GetSysColor(background));
    *pResult = reinterpret_cast<LRESULT>(::GetSysColorBrush(background));
    return true;
}

LRESULT CSearchDlg::OnSysColorChange(WPARAM wParam, LPARAM lParam) {
    PassSysColorChange();
    FollowContrastScheme();
    UpdateUI();
    return DefWindowProc(WM_SYSCOLORCHANGE, wParam, lParam);
}

LRESULT CSearchDlg::OnSettingChange(WPARAM wParam, LPARAM lParam) {
    if (wParam == SPI_SETHIGHCONTRAST) {
        FollowContrastScheme();
        UpdateUI();
    }
    return DefWindowProc(WM_SETTINGCHANGE, wParam, lParam);
}

LRESULT CSearchDlg::OnDestroyWindow(WPARAM wParam, LPARAM lParam) {
    // The separator gets its own bitmap back before it goes, so that it leaves as it came.
    m_bHighContrast = false;
    DrawSeparatorForScheme();
    return DefWindowProc(WM_DESTROY, wParam, lParam);
}

// Only top-level windows hear of new system colours; the common controls (the tab control, the
// lists) keep painting with the ones they took when they last heard, until their parent passes the
// news on.
void CSearchDlg::PassSysColorChange() {
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
        ::SendMessageW(hChild, WM_SYSCOLORCHANGE, 0, 0);
}

// Reads the scheme and colours the lists and the separator by it. The lists take the scheme's
// colours while it is on. When it goes they get back the skin's, where the skin had set its own;
// otherwise the system's, set again at each later change of the system's colours (a list, once
// given colours, no longer follows the system's by itself).
void CSearchDlg::FollowContrastScheme() {
    const bool on = HighContrastIsOn();
    CListCtrl* const lists[] = {&m_listUser, &m_listZone};
    const auto isSystem = [](COLORREF colour, int nSystem) { return colour == CLR_DEFAULT || colour == ::GetSysColor(nSystem); };
    const ListColours system = {::GetSysColor(COLOR_WINDOW), ::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_WINDOW),
                                true};
    for (int i = 0; i < 2; ++i) {
        CListCtrl& list = *lists[i];
        ListColours& skin = m_skinListColours[i];
        if (on && !m_bHighContrast) {
            // A window opened under the scheme reads the scheme's here: the skin set none.
            skin.background = static_cast<COLORREF>(list.SendMessage(LVM_GETBKCOLOR));
            skin.text = static_cast<COLORREF>(list.SendMessage(LVM_GETTEXTCOLOR));
            skin.textBackground = static_cast<COLORREF>(list.SendMessage(LVM_GETTEXTBKCOLOR));
            skin.system = isSystem(skin.background, COLOR_WINDOW) && isSystem(skin.text, COLOR_WINDOWTEXT) &&
                          isSystem(skin.textBackground, COLOR_WINDOW);
        }
        if (on || m_bHighContrast || skin.system) {
            const ListColours colours = on || skin.system ? system : skin;
            list.SendMessage(LVM_SETBKCOLOR, 0, colours.background);
            list.SendMessage(LVM_SETTEXTCOLOR, 0, colours.text);
            list.SendMessage(LVM_SETTEXTBKCOLOR, 0, colours.textBackground);
        }
    }
    // A visual style draws every control it knows in colours of its own, as a skin does: in a
    // client with common-controls 6 the buttons, radio marks, edit borders and the combo box too,
    // besides the tab control and the lists' headings. Without one they draw with the system's.
    // Windows itself drops visual styles under a high-contrast scheme, not every system does,
    // and not always for every control. L" " matches no style (an empty string does not work
    // everywhere); null gives the style back.
    if (on != m_bHighContrast) {
        // A window opened under the scheme: the common controls may still hold the colours of
        // before it, when no window of theirs was there to hear of the change.
        PassSysColorChange();
        const auto style = [on](HWND hWnd) { ::SetWindowTheme(hWnd, on ? L" " : nullptr, on ? L" " : nullptr); };
        for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
            style(hChild);
        style(reinterpret_cast<HWND>(m_listUser.SendMessage(LVM_GETHEADER)));
        style(reinterpret_cast<HWND>(m_listZone.SendMessage(LVM_GETHEADER)));
    }
    m_bHighContrast = on;
    DrawSeparatorForScheme();
}

// The separator is a bitmap of the skin's grey. Under a high-contrast scheme a line of the
// scheme's text colour, of the separator's size, stands in for it; the separator's own bitmap is
// kept and given back when the scheme goes. A bitmap static sizes itself to each new bitmap, so
// the separator is put back in its place every time.
void CSearchDlg::DrawSeparatorForScheme() {
    if (!m_bHighContrast && !m_bSeparatorLine)
        return;
    const RECT place = PlaceOf(m_separator);
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    if (m_bHighContrast) {
        HBITMAP hLine = SolidBitmap(width, height, COLOR_BTNTEXT);
        if (!hLine)
            return;
        HBITMAP hPrevious = m_separator.SetBitmap(hLine);
        if (m_bSeparatorLine)
            ::DeleteObject(hPrevious);  // the line of an earlier scheme or size
        else
            m_hSeparatorBitmap = hPrevious;  // the separator's own, kept for later
        m_bSeparatorLine = true;
    } else {
        ::DeleteObject(m_separator.SetBitmap(m_hSeparatorBitmap));
        m_hSeparatorBitmap = nullptr;
        m_bSeparatorLine = false;
    }
    m_separator.MoveWindow(place.left, place.top, width, height);
}
