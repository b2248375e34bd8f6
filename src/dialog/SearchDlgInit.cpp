// OnInitDialog: binding, skin keys, font, lists, tabs, the industry box and the pixel layout; and
// the same layout again when the window's DPI changes.
//
// Every figure of the layout is given for 96 DPI and scaled by the window's DPI: at 96 each one
// comes out exactly as given, and at 144 (150 %) the window, its font, its controls and its
// columns are all half as large again, as everything else on such a desktop is.
#include "SearchDlg.h"
#include "SearchStrings.h"
#include "resource.h"

namespace {
// The window's fixed outer size, whatever the template's dialog units give.
constexpr int kWindowWidth = 400;
constexpr int kWindowHeight = 300;

constexpr int kFontHeight = 12;  // cell height of the dialog font
constexpr int kTabItemWidth = 68;
constexpr int kTabItemHeight = 25;

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

// The lists' columns in the order they are inserted, each at position 0, so that they read left to
// right in the opposite order and column index equals subitem index.
struct ListColumn {
    const wchar_t* heading;
    int width;
    int subItem;
};
constexpr ListColumn kUserColumns[] = {
    {search_text::kColCompany, 80, 3},
    {search_text::kColState, 80, 2},
    {search_text::kColNickname, 80, 1},
    {search_text::kColAccount, 100, 0},
};
constexpr ListColumn kZoneColumns[] = {
    {search_text::kColIndustry, 80, 2},
    {search_text::kColZoneName, 80, 1},
    {search_text::kColZoneId, 180, 0},
};

// The window's DPI: what a DPI-aware client's window is drawn at, and 96 in a client that is not
// (the system then stretches the whole window itself). Systems before Windows 10 have no
// per-window DPI; their one DPI is the screen's.
UINT WindowDpi(HWND hWnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(hWnd))
            return dpi;
    }
    HDC hdc = ::GetDC(hWnd);
    const int dpi = hdc ? ::GetDeviceCaps(hdc, LOGPIXELSY) : 0;
    if (hdc)
        ::ReleaseDC(hWnd, hdc);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}
}  // namespace

CSearchDlg::LayoutScale::LayoutScale(UINT nDpi) : m_nDpi(static_cast<int>(nDpi)) {}

int CSearchDlg::LayoutScale::operator()(int nPixelsAt96) const {
    return ::MulDiv(nPixelsAt96, m_nDpi, USER_DEFAULT_SCREEN_DPI);
}

BOOL CSearchDlg::OnInitDialog() {
    CSkinDialog::OnInitDialog();
    m_nTemplateFontDpi = WindowDpi(m_hWnd);
    const LayoutScale scale(m_nTemplateFontDpi);

    CreateDialogFont(scale);
    SetWindowIcons();
    BindTab();
    // The page label gets its skin before it is bound; the control keeps it until then.
    m_staticPage.SetSkinKey(PageLabelSkin());
    SizeTabItems(scale);
    BindControls();
    m_comboIndustry.SetSkinKey(IndustryBoxSkin());
    m_groupExact.SetSkinKey(GroupBoxSkin());
    LimitEdits();
    ApplyDialogFont();
    BuildListColumns(scale);
    BuildTabItems();
    FillIndustries();
    PlaceControls(scale);
    SizeWindow(scale);
    KeepLayoutOnDpiChange();
    NameControls();
    FollowContrastScheme();

    m_hWndResults = m_hWnd;
    m_session.OpenMailbox();
    // The dialog manager leaves the focus alone; the view decides where it goes (UpdateControls).
    return FALSE;
}

// A display of another DPI (the window moved to it, or the user changed its scale): the same
// steps as OnInitDialog lay the window out at the new DPI, and it takes the rectangle the system
// suggests for it.
LRESULT CSearchDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    const UINT dpi = LOWORD(wParam);  // the same across as down
    const LayoutScale scale(dpi);
    // The controls let go of the old font before it is deleted.
    const HFONT hOldFont = m_font.Detach();
    CreateDialogFont(scale);
    ApplyDialogFont();
    if (hOldFont)
        ::DeleteObject(hOldFont);
    ApplyTemplateFont(dpi);
    SizeTabItems(scale);
    SizeListColumns(scale);
    PlaceControls(scale);
    DrawSeparatorForScheme();
    if (const RECT* suggested = reinterpret_cast<const RECT*>(lParam)) {
        SetWindowPos(nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return 0;
}

// The company radio and edit, the criteria heading and the group box draw with the template's
// font, which the dialog manager made at the DPI the window was created at. At another DPI they
// get a copy of it at that DPI; back at the first, the template's own font again.
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
    for (CWnd* pControl : {static_cast<CWnd*>(&m_radioCompany), static_cast<CWnd*>(&m_editCompany),
                           static_cast<CWnd*>(&m_staticCriteria), static_cast<CWnd*>(&m_groupExact)})
        pControl->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), TRUE);
    // The copy the controls had before is theirs no longer.
    m_templateFont.DeleteObject();
    m_templateFont.Attach(scaled.Detach());
}

// Under the per-monitor DPI awareness of later systems the dialog manager would also scale the
// window, its fonts and its controls on a DPI change; this window lays itself out.
void CSearchDlg::KeepLayoutOnDpiChange() {
    using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
    static const auto setDialogDpiChangeBehavior = reinterpret_cast<SetDialogDpiChangeBehaviorFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetDialogDpiChangeBehavior")));
    constexpr int kDisableAll = 1;  // DDC_DISABLE_ALL
    if (setDialogDpiChangeBehavior)
        setDialogDpiChangeBehavior(m_hWnd, kDisableAll, kDisableAll);
}

void CSearchDlg::CreateDialogFont(const LayoutScale& scale) {
    m_font.Attach(::CreateFontW(scale(kFontHeight), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                ANSI_CHARSET, 0, 0, 0, FF_SWISS | DEFAULT_PITCH, L"宋体"));
}

void CSearchDlg::SetWindowIcons() {
    // The module's own file, found by name: a client may load it from anywhere.
    HICON hIcon = ::LoadIconW(::GetModuleHandleW(L"Search.dll"), MAKEINTRESOURCEW(IDI_SEARCH));
    SetIcon(hIcon, FALSE);
    SetIcon(hIcon, TRUE);
}

void CSearchDlg::BindTab() {
    m_tab.SubclassDlgItem(IDC_TAB, this);
    CSkinTabCtrl::SkinTabCtrlInfo tabSkin;
    tabSkin.nBackground = 10000035;
    tabSkin.nItemNormal = 20000012;
    tabSkin.nItemSelected = 20000013;
    tabSkin.nBorder = 10000036;
    m_tab.SetSkinKey(tabSkin);
}

CSkinStatic::SkinStaticInfo CSearchDlg::PageLabelSkin() {
    CSkinStatic::SkinStaticInfo pageSkin;
    pageSkin.nBackground = 10000035;
    pageSkin.nText = 10000035;
    return pageSkin;
}

void CSearchDlg::BindControls() {
    m_listUser.SubclassDlgItem(IDC_LIST_USER, this);
    m_listZone.SubclassDlgItem(IDC_LIST_ZONE, this);
    m_staticPage.SubclassDlgItem(IDC_STATIC_PAGE, this);
    m_btnPrevPage.SubclassDlgItem(IDC_BTN_PREV_PAGE, this);
    m_btnNextPage.SubclassDlgItem(IDC_BTN_NEXT_PAGE, this);
    m_btnAdd.SubclassDlgItem(IDC_BTN_ADD, this);
    m_btnView.SubclassDlgItem(IDC_BTN_VIEW, this);
    m_btnBack.SubclassDlgItem(IDC_BTN_BACK, this);
    m_btnFind.SubclassDlgItem(IDC_BTN_FIND, this);
    m_btnClose.SubclassDlgItem(IDC_BTN_CLOSE, this);
    m_radioCompany.SubclassDlgItem(IDC_RADIO_COMPANY, this);
    m_radioOnline.SubclassDlgItem(IDC_RADIO_ONLINE, this);
    m_radioNick.SubclassDlgItem(IDC_RADIO_NICK, this);
    m_radioAccount.SubclassDlgItem(IDC_RADIO_ACCOUNT, this);
    m_editCompany.SubclassDlgItem(IDC_EDIT_COMPANY, this);
    m_editNick.SubclassDlgItem(IDC_EDIT_NICK, this);
    m_editAccount.SubclassDlgItem(IDC_EDIT_ACCOUNT, this);
    m_radioZoneById.SubclassDlgItem(IDC_RADIO_ZONE_BY_ID, this);
    m_radioZoneByName.SubclassDlgItem(IDC_RADIO_ZONE_BY_NAME, this);
    m_staticIndustry.SubclassDlgItem(IDC_STATIC_INDUSTRY, this);
    m_editZoneId.SubclassDlgItem(IDC_EDIT_ZONE_ID, this);
    m_editZoneName.SubclassDlgItem(IDC_EDIT_ZONE_NAME, this);
    m_comboIndustry.SubclassDlgItem(IDC_COMBO_INDUSTRY, this);
    m_staticCriteria.SubclassDlgItem(IDC_STATIC_CRITERIA, this);
    m_separator.SubclassDlgItem(IDC_SEPARATOR, this);
    m_groupExact.SubclassDlgItem(IDC_GROUP_EXACT, this);
}

CSkinComboBox::SkinComboBoxInfo CSearchDlg::IndustryBoxSkin() {
    CSkinComboBox::SkinComboBoxInfo comboSkin;
    comboSkin.nFrame = 123456;
    comboSkin.nButton = 10000099;
    comboSkin.nList = 10000046;
    return comboSkin;
}

CSkinGroupBox::SkinGroupBoxInfo CSearchDlg::GroupBoxSkin() {
    CSkinGroupBox::SkinGroupBoxInfo groupSkin;
    groupSkin.nTitle = 10000037;
    groupSkin.nTopLeft = 10000038;
    groupSkin.nTopRight = 10000042;
    groupSkin.nBottomLeft = 10000041;
    groupSkin.nBottomRight = 10000040;
    groupSkin.nEdge = 10000039;
    return groupSkin;
}

void CSearchDlg::LimitEdits() {
    m_editZoneName.LimitText(26);
    m_editNick.LimitText(13);
    m_editCompany.LimitText(10);
    m_editZoneId.LimitText(25);
    m_editAccount.LimitText(25);
}

void CSearchDlg::ApplyDialogFont() {
    // The company radio and edit, the criteria heading, the separator and the group box keep
    // the template's font.
    CWnd* const fontedControls[] = {
        &m_listUser,    &m_listZone,    &m_radioOnline,  &m_radioNick,       &m_radioAccount,
        &m_editNick,    &m_editAccount, &m_tab,          &m_btnBack,         &m_btnFind,
        &m_btnClose,    &m_staticPage,  &m_btnPrevPage,  &m_btnNextPage,     &m_btnAdd,
        &m_btnView,     &m_radioZoneById, &m_radioZoneByName, &m_staticIndustry, &m_editZoneId,
        &m_editZoneName, &m_comboIndustry,
    };
    // Before the window is first shown nothing needs redrawing.
    const BOOL bRedraw = IsWindowVisible();
    for (CWnd* pControl : fontedControls)
        pControl->SetFont(&m_font, bRedraw);
}

void CSearchDlg::SizeTabItems(const LayoutScale& scale) {
    m_tab.SetItemSize(scale(kTabItemWidth), scale(kTabItemHeight));
    m_tab.SetMinTabWidth(scale(kTabItemWidth));
}

void CSearchDlg::BuildListColumns(const LayoutScale& scale) {
    for (const ListColumn& column : kUserColumns)
        m_listUser.InsertColumn(0, column.heading, LVCFMT_LEFT, scale(column.width), column.subItem);
    for (const ListColumn& column : kZoneColumns)
        m_listZone.InsertColumn(0, column.heading, LVCFMT_LEFT, scale(column.width), column.subItem);
    // Label tips: a cell cut off by its column shows its whole text when pointed at.
    for (CListCtrl* pList : {&m_listUser, &m_listZone})
        pList->SetExtendedStyle(pList->GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
}

void CSearchDlg::SizeListColumns(const LayoutScale& scale) {
    // Column index equals subitem index.
    for (const ListColumn& column : kUserColumns)
        m_listUser.SendMessage(LVM_SETCOLUMNWIDTH, column.subItem, scale(column.width));
    for (const ListColumn& column : kZoneColumns)
        m_listZone.SendMessage(LVM_SETCOLUMNWIDTH, column.subItem, scale(column.width));
}

void CSearchDlg::BuildTabItems() {
    m_tab.InsertItem(TCIF_TEXT, 0, search_text::kTabUsers, 0, 0);
    m_tab.InsertItem(TCIF_TEXT, 1, search_text::kTabZones, 0, 0);
}

void CSearchDlg::FillIndustries() {
    // Unsorted: item 0 is "any industry", item i is industry code i - 1.
    m_comboIndustry.AddString(search_text::kAnyIndustry);
    for (const std::wstring& industry : m_session.Industries())
        m_comboIndustry.AddString(industry.c_str());
}

void CSearchDlg::PlaceControls(const LayoutScale& scale) {
    // Before the window is first shown nothing needs redrawing.
    const UINT redraw = IsWindowVisible() ? 0 : SWP_NOREDRAW;
    const auto placeShown = [&scale, redraw](CWnd& control, int x, int y, int width, int height,
                                             UINT show) {
        ::SetWindowPos(control.GetSafeHwnd(), nullptr, scale(x), scale(y), scale(width), scale(height),
                       SWP_NOZORDER | SWP_NOACTIVATE | redraw | show);
    };
    const auto place = [&placeShown](CWnd& control, int x, int y, int width, int height) {
        placeShown(control, x, y, width, height, 0);
    };
    place(m_staticCriteria, 40, 50, 70, 18);
    place(m_separator, 100, 59, 250, 1);
    // The online-users radio and the group box are hidden for good.
    placeShown(m_radioOnline, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE);
    place(m_radioCompany, kRadioX, RowY(0), kRadioWidth, kRadioHeight);
    place(m_radioNick, kRadioX, RowY(1), kRadioWidth, kRadioHeight);
    place(m_radioAccount, kRadioX, RowY(2), kRadioWidth, kRadioHeight);
    // Bottom row first, stepping up: account, nickname, company.
    CSkinEdit* const userEdits[] = {&m_editAccount, &m_editNick, &m_editCompany};
    for (int i = 0; i < 3; ++i)
        place(*userEdits[i], kInputX, RowY(2 - i) - 2, kInputWidth, kEditHeight);
    placeShown(m_groupExact, 50, 90, 300, 110, SWP_HIDEWINDOW);
    place(m_radioZoneById, kRadioX, RowY(0), kRadioWidth, kRadioHeight);
    place(m_radioZoneByName, kRadioX, RowY(1), kRadioWidth, kRadioHeight);
    place(m_staticIndustry, kIndustryLabelX, RowY(2), kRadioWidth, kRadioHeight);
    place(m_comboIndustry, kInputX, RowY(2) - 2, kInputWidth, kComboHeight);
    place(m_editZoneName, kInputX, RowY(1) - 2, kInputWidth, kEditHeight);
    place(m_editZoneId, kInputX, RowY(0) - 2, kInputWidth, kEditHeight);
    place(m_listUser, kListX, kListY, kListWidth, kListHeight);
    place(m_listZone, kListX, kListY, kListWidth, kListHeight);
    place(m_staticPage, kListX, kPagerY, kPageLabelWidth, kPageLabelHeight);
    place(m_btnView, kViewButtonX, kPagerY, kPagerButtonWidth, kPagerButtonHeight);
    place(m_btnPrevPage, kViewButtonX + kPagerStride, kPagerY, kPagerButtonWidth, kPagerButtonHeight);
    place(m_btnNextPage, kViewButtonX + 2 * kPagerStride, kPagerY, kPagerButtonWidth,
          kPagerButtonHeight);
    place(m_btnBack, kBackX, kCommandY, kCommandWidth, kCommandHeight);
    place(m_btnFind, kBackX + kCommandStride, kCommandY, kCommandWidth, kCommandHeight);
    // Add shares Find's place; the two are never shown together.
    place(m_btnAdd, kBackX + kCommandStride, kCommandY, kCommandWidth, kCommandHeight);
    place(m_btnClose, kBackX + 2 * kCommandStride, kCommandY, kCommandWidth, kCommandHeight);
    place(m_tab, 10, 5, 370, 225);
    // Behind everything else, so the tab's body never covers the controls drawn on it.
    m_tab.SetWindowPos(&CWnd::wndBottom, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CSearchDlg::SizeWindow(const LayoutScale& scale) {
    RECT rc;
    GetWindowRect(&rc);
    MoveWindow(rc.left, rc.top, scale(kWindowWidth), scale(kWindowHeight), TRUE);
}
