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
// Criteria form: three rows 40 apart; radios at x 60, inputs at x 190 two pixels higher.
constexpr int kFormRowTop = 80;
constexpr int kFormRowPitch = 40;
constexpr int kRadioX = 60;
constexpr int kRadioWidth = 112;
constexpr int kRadioHeight = 18;
constexpr int kIndustryLabelX = kRadioX + 19;
constexpr int kInputX = 190;
constexpr int kInputWidth = 137;
constexpr int kEditHeight = 21;
constexpr int kComboHeight = 121;  // includes the drop-down list

// Result view: the list, the pager row 10 below it, the command row 35 below that.
constexpr int kListX = 20;
constexpr int kListY = 35;
constexpr int kListWidth = 350;
constexpr int kListHeight = 160;
constexpr int kPagerY = kListY + kListHeight + 10;
constexpr int kPageLabelWidth = 40;
constexpr int kPageLabelHeight = 18;
constexpr int kPagerButtonWidth = 60;
constexpr int kPagerButtonHeight = 20;
constexpr int kPagerStride = 70;
constexpr int kViewButtonX = 160;
constexpr int kCommandY = kPagerY + 35;
constexpr int kCommandWidth = 80;
constexpr int kCommandHeight = 23;
constexpr int kCommandStride = 90;
constexpr int kBackX = 93;

constexpr int RowY(int row) { return kFormRowTop + row * kFormRowPitch; }

struct Rect96 {
    int x, y, width, height;
};
constexpr Rect96 RadioAt(int row) { return {kRadioX, RowY(row), kRadioWidth, kRadioHeight}; }
constexpr Rect96 EditAt(int row) { return {kInputX, RowY(row) - 2, kInputWidth, kEditHeight}; }
constexpr Rect96 PagerAt(int slot) {
    return {kViewButtonX + slot * kPagerStride, kPagerY, kPagerButtonWidth, kPagerButtonHeight};
}
constexpr Rect96 CommandAt(int slot) { return {kBackX + slot * kCommandStride, kCommandY, kCommandWidth, kCommandHeight}; }
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

std::wstring CaptionOf(const CWnd& control) {
    CString text;
    control.GetWindowText(text);
    return text.str();
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

using V = SearchViewState;
const CSearchDlg::ControlRow CSearchDlg::kControls[] = {
    // id                  member                           shown in                font                place                                  name
    {IDC_STATIC_CRITERIA, &kMember<&CSearchDlg::m_staticCriteria>, ShownIn::Form, FontOf::Template, {40, 50, 70, 18}, NameFrom::System, nullptr, nullptr, nullptr},
    {IDC_SEPARATOR, &kMember<&CSearchDlg::m_separator>, ShownIn::Form, FontOf::None, {100, 59, 250, 1}, NameFrom::Text, L"", nullptr, nullptr},
    {IDC_RADIO_ONLINE, &kMember<&CSearchDlg::m_radioOnline>, ShownIn::Never, FontOf::Dialog, kUnplaced, NameFrom::System, nullptr, nullptr, nullptr},
    {IDC_RADIO_COMPANY, &kMember<&CSearchDlg::m_radioCompany>, ShownIn::UsersForm, FontOf::Template, RadioAt(0), NameFrom::System, nullptr, nullptr, nullptr},
    {IDC_RADIO_NICK, &kMember<&CSearchDlg::m_radioNick>, ShownIn::UsersForm, FontOf::Dialog, RadioAt(1), NameFrom::System, nullptr, nullptr, nullptr},
    {IDC_RADIO_ACCOUNT, &kMember<&CSearchDlg::m_radioAccount>, ShownIn::UsersForm, FontOf::Dialog, RadioAt(2), NameFrom::System, nullptr, nullptr, nullptr},
    {IDC_EDIT_COMPANY, &kMember<&CSearchDlg::m_editCompany>, ShownIn::UsersForm, FontOf::Template, EditAt(0), NameFrom::Radio, nullptr, nullptr, nullptr},
    {IDC_EDIT_NICK, &kMember<&CSearchDlg::m_editNick>, ShownIn::UsersForm, FontOf::Dialog, EditAt(1), NameFrom::Radio, nullptr, nullptr, nullptr},
    {IDC_EDIT_ACCOUNT, &kMember<&CSearchDlg::m_editAccount>, ShownIn::UsersForm, FontOf::Dialog, EditAt(2), NameFrom::Radio, nullptr, nullptr, nullptr},
    {IDC_GROUP_EXACT, &kMember<&CSearchDlg::m_groupExact>, ShownIn::Never, FontOf::Template, {50, 90, 300, 110}, NameFrom::System, nullptr, nullptr, nullptr},
    {IDC_RADIO_ZONE_BY_ID, &kMember<&CSearchDlg::m_radioZoneById>, ShownIn::ZonesForm, FontOf::Dialog, RadioAt(0), NameFrom::System, nullptr, nullptr, nullptr},
    {IDC_RADIO_ZONE_BY_NAME, &kMember<&CSearchDlg::m_radioZoneByName>, ShownIn::ZonesForm, FontOf::Dialog, RadioAt(1), NameFrom::System, nullptr, nullptr, nullptr},
    {IDC_STATIC_INDUSTRY, &kMember<&CSearchDlg::m_staticIndustry>, ShownIn::ZonesForm, FontOf::Dialog, {kIndustryLabelX, RowY(2), kRadioWidth, kRadioHeight}, NameFrom::System, nullptr, nullptr, nullptr},
    {IDC_EDIT_ZONE_ID, &kMember<&CSearchDlg::m_editZoneId>, ShownIn::ZonesForm, FontOf::Dialog, EditAt(0), NameFrom::Radio, nullptr, nullptr, nullptr},
    {IDC_EDIT_ZONE_NAME, &kMember<&CSearchDlg::m_editZoneName>, ShownIn::ZonesForm, FontOf::Dialog, EditAt(1), NameFrom::Radio, nullptr, nullptr, nullptr},
    {IDC_COMBO_INDUSTRY, &kMember<&CSearchDlg::m_comboIndustry>, ShownIn::ZonesForm, FontOf::Dialog, {kInputX, RowY(2) - 2, kInputWidth, kComboHeight}, NameFrom::Text, search_text::kByIndustry, nullptr, nullptr},
    {IDC_LIST_USER, &kMember<&CSearchDlg::m_listUser>, ShownIn::UsersResults, FontOf::Dialog, {kListX, kListY, kListWidth, kListHeight}, NameFrom::Text, search_text::kTabUsers, nullptr, nullptr},
    {IDC_LIST_ZONE, &kMember<&CSearchDlg::m_listZone>, ShownIn::ZonesResults, FontOf::Dialog, {kListX, kListY, kListWidth, kListHeight}, NameFrom::Text, search_text::kTabZones, nullptr, nullptr},
    // The page label's caption is the view state's page text (Render).
    {IDC_STATIC_PAGE, &kMember<&CSearchDlg::m_staticPage>, ShownIn::Results, FontOf::Dialog, {kListX, kPagerY, kPageLabelWidth, kPageLabelHeight}, NameFrom::System, nullptr, nullptr, nullptr},
    {IDC_BTN_VIEW, &kMember<&CSearchDlg::m_btnView>, ShownIn::Results, FontOf::Dialog, PagerAt(0), NameFrom::System, nullptr, &V::viewEnabled, nullptr},
    {IDC_BTN_PREV_PAGE, &kMember<&CSearchDlg::m_btnPrevPage>, ShownIn::Results, FontOf::Dialog, PagerAt(1), NameFrom::System, nullptr, &V::previousEnabled, nullptr},
    {IDC_BTN_NEXT_PAGE, &kMember<&CSearchDlg::m_btnNextPage>, ShownIn::Results, FontOf::Dialog, PagerAt(2), NameFrom::System, nullptr, &V::nextEnabled, &V::nextCaption},
    {IDC_BTN_BACK, &kMember<&CSearchDlg::m_btnBack>, ShownIn::Results, FontOf::Dialog, CommandAt(0), NameFrom::System, nullptr, &V::backEnabled, nullptr},
    // Add shares Find's place; the two are never shown together.
    {IDC_BTN_FIND, &kMember<&CSearchDlg::m_btnFind>, ShownIn::Form, FontOf::Dialog, CommandAt(1), NameFrom::System, nullptr, &V::findEnabled, &V::findCaption},
    {IDC_BTN_ADD, &kMember<&CSearchDlg::m_btnAdd>, ShownIn::Results, FontOf::Dialog, CommandAt(1), NameFrom::System, nullptr, &V::addEnabled, &V::addCaption},
    {IDC_BTN_CLOSE, &kMember<&CSearchDlg::m_btnClose>, ShownIn::Always, FontOf::Dialog, CommandAt(2), NameFrom::System, nullptr, nullptr, nullptr},
    // Placed last and put behind everything else, so the tab's body never covers the controls
    // drawn on it.
    {IDC_TAB, &kMember<&CSearchDlg::m_tab>, ShownIn::Always, FontOf::Dialog, {10, 5, 370, 225}, NameFrom::System, nullptr, &V::tabsEnabled, nullptr},
};

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

CWnd* CSearchDlg::Control(UINT nID) {
    for (const ControlRow& row : kControls) {
        if (row.id == nID)
            return &row.member->get(*this);
    }
    return nullptr;
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

void CSearchDlg::PlaceControls(const LayoutScale& scale) {
    // Before the window is first shown nothing needs redrawing.
    const UINT redraw = IsWindowVisible() ? 0 : SWP_NOREDRAW;
    for (const ControlRow& row : kControls) {
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | redraw;
        if (row.shown == ShownIn::Never)
            flags |= SWP_HIDEWINDOW;
        const Rect96& at = row.place;
        if (at.width == 0 && at.height == 0)
            flags |= SWP_NOMOVE | SWP_NOSIZE;
        ::SetWindowPos(row.member->get(*this).GetSafeHwnd(), nullptr, scale(at.x), scale(at.y), scale(at.width),
                       scale(at.height), flags);
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
                    name = CaptionOf(this->*form.radio);
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
