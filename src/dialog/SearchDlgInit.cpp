// OnInitDialog: binding, skin keys, font, lists, tabs, the industry box and the pixel layout; and
// the same layout again when the window's DPI changes.
//
// Every figure of the layout is given for 96 DPI and scaled by the window's DPI: at 144 (150 %) the
// window, its font, its controls and its columns are all half as large again, as everything else
// on such a desktop is.
#include "ModuleLookup.h"
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

// The lists' columns in the order they are inserted, each at position 0, so that they read left to
// right in the opposite order and column index equals subitem index.
struct ListColumn {
    SearchTab tab;
    const wchar_t* heading;
    int width;
    int subItem;
};
constexpr ListColumn kColumns[] = {
    {SearchTab::Users, search_text::kColCompany, 80, 3},   {SearchTab::Users, search_text::kColState, 80, 2},
    {SearchTab::Users, search_text::kColNickname, 80, 1},  {SearchTab::Users, search_text::kColAccount, 100, 0},
    {SearchTab::Zones, search_text::kColIndustry, 80, 2},  {SearchTab::Zones, search_text::kColZoneName, 80, 1},
    {SearchTab::Zones, search_text::kColZoneId, 180, 0},
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

BOOL CSearchDlg::OnInitDialog() {
    CSkinDialog::OnInitDialog();
    m_nTemplateFontDpi = WindowDpi(m_hWnd);
    const UINT nDpi = m_nTemplateFontDpi;

    CreateDialogFont(nDpi);
    SetWindowIcons();
    BindControls();
    SetSkinKeys();
    SizeTabItems(nDpi);
    LimitEdits();
    ApplyDialogFont();
    BuildListColumns(nDpi);
    BuildTabItems();
    FillIndustries();
    PlaceControls(nDpi);
    SizeWindow(nDpi);
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
    const UINT nDpi = LOWORD(wParam);  // the same across as down
    // The controls let go of the old font before it is deleted.
    const HFONT hOldFont = m_font.Detach();
    CreateDialogFont(nDpi);
    ApplyDialogFont();
    if (hOldFont)
        ::DeleteObject(hOldFont);
    ApplyTemplateFont(nDpi);
    SizeTabItems(nDpi);
    SizeListColumns(nDpi);
    PlaceControls(nDpi);
    DrawSeparatorForScheme();
    if (const RECT* suggested = reinterpret_cast<const RECT*>(lParam)) {
        SetWindowPos(nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return 0;
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

void CSearchDlg::CreateDialogFont(UINT nDpi) {
    m_font.Attach(::CreateFontW(ScaleTo(kFontHeight, nDpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                ANSI_CHARSET, 0, 0, 0, FF_SWISS | DEFAULT_PITCH, L"宋体"));
}

void CSearchDlg::SetWindowIcons() {
    // The module's own file, found by address: a client may load it from anywhere, under any name.
    HICON hIcon = ::LoadIconW(ThisModule(), MAKEINTRESOURCEW(IDI_SEARCH));
    SetIcon(hIcon, FALSE);
    SetIcon(hIcon, TRUE);
}

void CSearchDlg::SetSkinKeys() {
    CSkinTabCtrl::SkinTabCtrlInfo tabSkin;
    tabSkin.nBackground = 10000035;
    tabSkin.nItemNormal = 20000012;
    tabSkin.nItemSelected = 20000013;
    tabSkin.nBorder = 10000036;
    m_tab.SetSkinKey(tabSkin);

    CSkinStatic::SkinStaticInfo pageSkin;
    pageSkin.nBackground = 10000035;
    pageSkin.nText = 10000035;
    m_staticPage.SetSkinKey(pageSkin);

    CSkinComboBox::SkinComboBoxInfo comboSkin;
    comboSkin.nFrame = 123456;
    comboSkin.nButton = 10000099;
    comboSkin.nList = 10000046;
    m_comboIndustry.SetSkinKey(comboSkin);

    CSkinGroupBox::SkinGroupBoxInfo groupSkin;
    groupSkin.nTitle = 10000037;
    groupSkin.nTopLeft = 10000038;
    groupSkin.nTopRight = 10000042;
    groupSkin.nBottomLeft = 10000041;
    groupSkin.nBottomRight = 10000040;
    groupSkin.nEdge = 10000039;
    m_groupExact.SetSkinKey(groupSkin);
}

void CSearchDlg::LimitEdits() {
    for (const FormRow& form : kForms) {
        if (form.edit)
            (this->*form.edit).LimitText(FormOf(form.by).maxLength);
    }
}

void CSearchDlg::SizeTabItems(UINT nDpi) {
    m_tab.SetItemSize(ScaleTo(kTabItemWidth, nDpi), ScaleTo(kTabItemHeight, nDpi));
    m_tab.SetMinTabWidth(ScaleTo(kTabItemWidth, nDpi));
}

void CSearchDlg::BuildListColumns(UINT nDpi) {
    for (const ListColumn& column : kColumns)
        ListOf(column.tab).InsertColumn(0, column.heading, LVCFMT_LEFT, ScaleTo(column.width, nDpi), column.subItem);
    // Label tips: a cell cut off by its column shows its whole text when pointed at.
    for (CListCtrl* pList : {&m_listUser, &m_listZone})
        pList->SetExtendedStyle(pList->GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
}

void CSearchDlg::SizeListColumns(UINT nDpi) {
    for (const ListColumn& column : kColumns)
        ListOf(column.tab).SendMessage(LVM_SETCOLUMNWIDTH, column.subItem, ScaleTo(column.width, nDpi));
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

void CSearchDlg::SizeWindow(UINT nDpi) {
    RECT rc;
    GetWindowRect(&rc);
    MoveWindow(rc.left, rc.top, ScaleTo(kWindowWidth, nDpi), ScaleTo(kWindowHeight, nDpi), TRUE);
}
