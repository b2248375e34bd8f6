// The window's controls as one table, and the walks over it: binding, fonts, placement, names for
// screen readers, and which controls each view shows, enables and captions. A control is one row;
// nothing else in the window lists them.
//
// Every rectangle is given for 96 DPI and scaled by the window's DPI: at 96 each one comes out
// exactly as given, and at 144 (150 %) every control is half as large again.
#include "AccessibleName.h"
#include "SearchDlg.h"
#include "SearchStrings.h"
#include "resource.h"

namespace {
struct Rect96 {
    int x, y, width, height;
};
// Criteria form: three rows 40 apart from y 80; radios at x 60, inputs at x 190 two pixels higher.
constexpr int kFormRowPitch = 40;
constexpr int RowY(int row) { return 80 + row * kFormRowPitch; }
constexpr Rect96 RadioAt(int row, int x = 60) { return {x, RowY(row), 112, 18}; }
constexpr Rect96 InputAt(int row, int height = 21) { return {190, RowY(row) - 2, 137, height}; }
// Result view: the list, the pager row 10 below it, the command row 35 below that.
constexpr Rect96 kList = {20, 35, 350, 160};
constexpr int kPagerY = kList.y + kList.height + 10;
constexpr int kCommandY = kPagerY + 35;
constexpr Rect96 PagerAt(int slot) { return {160 + slot * 70, kPagerY, 60, 20}; }
constexpr Rect96 CommandAt(int slot) { return {93 + slot * 90, kCommandY, 80, 23}; }
// A control the layout leaves where the template put it.
constexpr Rect96 kUnplaced = {0, 0, 0, 0};

// The views a control is shown in; it is hidden in every other. Always: Render leaves it alone.
// Never: hidden for good when it is placed.
enum class ShownIn { Always, Never, UsersForm, ZonesForm, Form, UsersResults, ZonesResults, Results };

bool IsShownIn(ShownIn shown, SearchTab front, TabView view) {
    const bool users = front == SearchTab::Users;
    const bool form = view == TabView::Form;
    switch (shown) {
    case ShownIn::UsersForm: return users && form;
    case ShownIn::ZonesForm: return !users && form;
    case ShownIn::Form: return form;
    case ShownIn::UsersResults: return users && !form;
    case ShownIn::ZonesResults: return !users && !form;
    case ShownIn::Results: return !form;
    case ShownIn::Always:
    case ShownIn::Never: break;
    }
    return false;
}

// The dialog font made at the window's DPI; the template's font (the dialog manager's, or a copy
// of it at a later DPI); or none, for a control that draws no text.
enum class FontOf { Dialog, Template, None };

// What a screen reader hears a control called. The system names buttons, radios and labels by their
// captions, but an input after whatever static text stands before it in the Z order (a
// placeholder, the separator's bitmap number, or nothing): each input is named here instead, an
// edit by its radio's caption, anything else by a text of its own (empty: no name, decoration).
enum class NameFrom { System, Radio, Text };

// Each of these leaves a control that already is as asked alone, so drawing the same view twice
// changes nothing. Visibility is the control's own style bit: IsWindowVisible also answers false
// for every control of a hidden window.
//
// A control is shown or hidden by its position's flag rather than by ShowWindow, which also sends
// it WM_SHOWWINDOW and looks for a focus to move (these controls want neither) and costs several
// times as much. While the window itself is hidden nothing needs to be redrawn. A control that
// holds the focus is still hidden by ShowWindow, which hands the focus back to the window.
void Show(CWnd& control, bool bShow) {
    const HWND hWnd = control.GetSafeHwnd();
    const bool shown = (::GetWindowLongW(hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown == bShow)
        return;
    const HWND hFocus = ::GetFocus();
    if (!bShow && hFocus && (hFocus == hWnd || ::IsChild(hWnd, hFocus))) {
        control.ShowWindow(SW_HIDE);
        return;
    }
    UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    flags |= bShow ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
    if (!::IsWindowVisible(::GetParent(hWnd)))
        flags |= SWP_NOREDRAW;
    ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, flags);
}

// Setting a caption repaints the control even when the text is the same.
void SetText(CWnd& control, const wchar_t* text) {
    CString current;
    control.GetWindowText(current);
    if (current.str() != text)
        control.SetWindowText(text);
}
}  // namespace

// How the table reaches a member control: as a window, and to bind it with its own type's binding
// (a skinned control publishes its skin record when it binds).
struct ControlMember {
    CWnd& (*get)(CSearchDlg&);
    BOOL (*bind)(CSearchDlg&, UINT);
};
template <auto Member>
constexpr ControlMember kMember = {
    [](CSearchDlg& dlg) -> CWnd& { return dlg.*Member; },
    [](CSearchDlg& dlg, UINT nID) { return (dlg.*Member).SubclassDlgItem(nID, &dlg); },
};

struct CSearchDlg::ControlRow {
    UINT id;
    const ControlMember* member;
    ShownIn shown;
    FontOf font;
    Rect96 place;
    NameFrom name;
    const wchar_t* nameText;  // NameFrom::Text
    // What the view state enables it by, and captions it with (null: nothing).
    bool SearchViewState::*enabled;
    const wchar_t* SearchViewState::*caption;
};

// Short names for the table's columns.
#define MEMBER(m) &kMember<&CSearchDlg::m>
using V = SearchViewState;
using S = ShownIn;
using F = FontOf;
using N = NameFrom;
const CSearchDlg::ControlRow CSearchDlg::kControls[] = {
    // id                   member                    shown in         font         place at 96 DPI            name                          enabled by            caption
    {IDC_STATIC_CRITERIA,    MEMBER(m_staticCriteria),  S::Form,         F::Template, {40, 50, 70, 18},   N::System, nullptr,                 nullptr,              nullptr},
    {IDC_SEPARATOR,          MEMBER(m_separator),       S::Form,         F::None,     {100, 59, 250, 1},  N::Text,   L"",                     nullptr,              nullptr},
    {IDC_RADIO_ONLINE,       MEMBER(m_radioOnline),     S::Never,        F::Dialog,   kUnplaced,          N::System, nullptr,                 nullptr,              nullptr},
    {IDC_RADIO_COMPANY,      MEMBER(m_radioCompany),    S::UsersForm,    F::Template, RadioAt(0),         N::System, nullptr,                 nullptr,              nullptr},
    {IDC_RADIO_NICK,         MEMBER(m_radioNick),       S::UsersForm,    F::Dialog,   RadioAt(1),         N::System, nullptr,                 nullptr,              nullptr},
    {IDC_RADIO_ACCOUNT,      MEMBER(m_radioAccount),    S::UsersForm,    F::Dialog,   RadioAt(2),         N::System, nullptr,                 nullptr,              nullptr},
    {IDC_EDIT_COMPANY,       MEMBER(m_editCompany),     S::UsersForm,    F::Template, InputAt(0),         N::Radio,  nullptr,                 nullptr,              nullptr},
    {IDC_EDIT_NICK,          MEMBER(m_editNick),        S::UsersForm,    F::Dialog,   InputAt(1),         N::Radio,  nullptr,                 nullptr,              nullptr},
    {IDC_EDIT_ACCOUNT,       MEMBER(m_editAccount),     S::UsersForm,    F::Dialog,   InputAt(2),         N::Radio,  nullptr,                 nullptr,              nullptr},
    {IDC_GROUP_EXACT,        MEMBER(m_groupExact),      S::Never,        F::Template, {50, 90, 300, 110}, N::System, nullptr,                 nullptr,              nullptr},
    {IDC_RADIO_ZONE_BY_ID,   MEMBER(m_radioZoneById),   S::ZonesForm,    F::Dialog,   RadioAt(0),         N::System, nullptr,                 nullptr,              nullptr},
    {IDC_RADIO_ZONE_BY_NAME, MEMBER(m_radioZoneByName), S::ZonesForm,    F::Dialog,   RadioAt(1),         N::System, nullptr,                 nullptr,              nullptr},
    {IDC_STATIC_INDUSTRY,    MEMBER(m_staticIndustry),  S::ZonesForm,    F::Dialog,   RadioAt(2, 79),     N::System, nullptr,                 nullptr,              nullptr},
    {IDC_EDIT_ZONE_ID,       MEMBER(m_editZoneId),      S::ZonesForm,    F::Dialog,   InputAt(0),         N::Radio,  nullptr,                 nullptr,              nullptr},
    {IDC_EDIT_ZONE_NAME,     MEMBER(m_editZoneName),    S::ZonesForm,    F::Dialog,   InputAt(1),         N::Radio,  nullptr,                 nullptr,              nullptr},
    // The industry box's height includes its drop-down list.
    {IDC_COMBO_INDUSTRY,     MEMBER(m_comboIndustry),   S::ZonesForm,    F::Dialog,   InputAt(2, 121),    N::Text,   search_text::kByIndustry, nullptr,             nullptr},
    {IDC_LIST_USER,          MEMBER(m_listUser),        S::UsersResults, F::Dialog,   kList,              N::Text,   search_text::kTabUsers,  nullptr,              nullptr},
    {IDC_LIST_ZONE,          MEMBER(m_listZone),        S::ZonesResults, F::Dialog,   kList,              N::Text,   search_text::kTabZones,  nullptr,              nullptr},
    // The page label's caption is the view state's page text (ShowControlsOf).
    {IDC_STATIC_PAGE,        MEMBER(m_staticPage),      S::Results,      F::Dialog,   {20, kPagerY, 40, 18}, N::System, nullptr,              nullptr,              nullptr},
    {IDC_BTN_VIEW,           MEMBER(m_btnView),         S::Results,      F::Dialog,   PagerAt(0),         N::System, nullptr,                 &V::viewEnabled,      nullptr},
    {IDC_BTN_PREV_PAGE,      MEMBER(m_btnPrevPage),     S::Results,      F::Dialog,   PagerAt(1),         N::System, nullptr,                 &V::previousEnabled,  nullptr},
    {IDC_BTN_NEXT_PAGE,      MEMBER(m_btnNextPage),     S::Results,      F::Dialog,   PagerAt(2),         N::System, nullptr,                 &V::nextEnabled,      &V::nextCaption},
    {IDC_BTN_BACK,           MEMBER(m_btnBack),         S::Results,      F::Dialog,   CommandAt(0),       N::System, nullptr,                 &V::backEnabled,      nullptr},
    // Add shares Find's place; the two are never shown together.
    {IDC_BTN_FIND,           MEMBER(m_btnFind),         S::Form,         F::Dialog,   CommandAt(1),       N::System, nullptr,                 &V::findEnabled,      &V::findCaption},
    {IDC_BTN_ADD,            MEMBER(m_btnAdd),          S::Results,      F::Dialog,   CommandAt(1),       N::System, nullptr,                 &V::addEnabled,       &V::addCaption},
    {IDC_BTN_CLOSE,          MEMBER(m_btnClose),        S::Always,       F::Dialog,   CommandAt(2),       N::System, nullptr,                 nullptr,              nullptr},
    // Placed last and then put behind everything else, so the tab's body never covers the
    // controls drawn on it.
    {IDC_TAB,                MEMBER(m_tab),             S::Always,       F::Dialog,   {10, 5, 370, 225},  N::System, nullptr,                 &V::tabsEnabled,      nullptr},
};
#undef MEMBER

const CSearchDlg::FormRow CSearchDlg::kForms[kSearchByCount] = {
    {SearchBy::Company, &CSearchDlg::m_radioCompany, &CSearchDlg::m_editCompany},
    {SearchBy::Online, &CSearchDlg::m_radioOnline, nullptr},
    {SearchBy::Nick, &CSearchDlg::m_radioNick, &CSearchDlg::m_editNick},
    {SearchBy::Account, &CSearchDlg::m_radioAccount, &CSearchDlg::m_editAccount},
    {SearchBy::ZoneId, &CSearchDlg::m_radioZoneById, &CSearchDlg::m_editZoneId},
    {SearchBy::ZoneName, &CSearchDlg::m_radioZoneByName, &CSearchDlg::m_editZoneName},
};

void CSearchDlg::Enable(CWnd& control, bool bEnable) {
    if ((control.IsWindowEnabled() != FALSE) != bEnable)
        control.EnableWindow(bEnable);
}

void CSearchDlg::BindControls() {
    for (const ControlRow& row : kControls)
        row.member->bind(*this, row.id);
}

void CSearchDlg::ApplyDialogFont() {
    // Before the window is first shown nothing needs redrawing.
    const BOOL bRedraw = IsWindowVisible();
    for (const ControlRow& row : kControls) {
        if (row.font == FontOf::Dialog)
            row.member->get(*this).SetFont(&m_font, bRedraw);
    }
}

// The controls of the template's font draw with the font the dialog manager made at the DPI the
// window was created at. At another DPI they get a copy of it at that DPI; back at the first, the
// template's own font again.
void CSearchDlg::ApplyTemplateFont(UINT nDpi) {
    HFONT hFont = GetFont();
    CFont scaled;
    LOGFONTW lf = {};
    if (hFont && nDpi != m_nTemplateFontDpi && ::GetObjectW(hFont, sizeof(lf), &lf) == sizeof(lf)) {
        lf.lfHeight = ::MulDiv(lf.lfHeight, static_cast<int>(nDpi), static_cast<int>(m_nTemplateFontDpi));
        scaled.Attach(::CreateFontIndirectW(&lf));
        if (scaled.GetSafeHandle())
            hFont = scaled.GetSafeHandle();
    }
    for (const ControlRow& row : kControls) {
        if (row.font == FontOf::Template)
            row.member->get(*this).SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), TRUE);
    }
    // The copy the controls had before is theirs no longer.
    m_templateFont.DeleteObject();
    m_templateFont.Attach(scaled.Detach());
}

void CSearchDlg::PlaceControls(UINT nDpi) {
    // Before the window is first shown nothing needs redrawing.
    const UINT redraw = IsWindowVisible() ? 0 : SWP_NOREDRAW;
    for (const ControlRow& row : kControls) {
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | redraw;
        if (row.shown == ShownIn::Never)
            flags |= SWP_HIDEWINDOW;
        const Rect96& at = row.place;
        if (at.width == 0 && at.height == 0)
            flags |= SWP_NOMOVE | SWP_NOSIZE;
        ::SetWindowPos(row.member->get(*this).GetSafeHwnd(), nullptr, ScaleTo(at.x, nDpi), ScaleTo(at.y, nDpi),
                       ScaleTo(at.width, nDpi), ScaleTo(at.height, nDpi), flags);
    }
    m_tab.SetWindowPos(&CWnd::wndBottom, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CSearchDlg::NameControls() {
    for (const ControlRow& row : kControls) {
        std::wstring name;
        switch (row.name) {
        case NameFrom::System:
            continue;
        case NameFrom::Text:
            name = row.nameText;
            break;
        case NameFrom::Radio:
            for (const FormRow& form : kForms) {
                if (form.edit && &(this->*form.edit) == &row.member->get(*this))
                    name = FormOf(form.by).caption;
            }
            break;
        }
        SetAccessibleName(row.member->get(*this).GetSafeHwnd(), name);
    }
}

void CSearchDlg::ShowControlsOf(const SearchViewState& view) {
    for (const ControlRow& row : kControls) {
        CWnd& control = row.member->get(*this);
        if (row.shown != ShownIn::Always && row.shown != ShownIn::Never)
            Show(control, IsShownIn(row.shown, view.front, view.view));
        if (row.enabled)
            Enable(control, view.*row.enabled);
        if (row.caption)
            SetText(control, view.*row.caption);
    }
    SetText(m_staticPage, view.pageLabel.c_str());
}
