// OnInitDialog: binding, skin keys, font, lists, tabs, the industry box and the pixel layout.
#include "SearchDlg.h"
#include "SearchStrings.h"
#include "resource.h"

namespace {
// The window's fixed outer size, whatever the template's dialog units give.
constexpr int kWindowWidth = 400;
constexpr int kWindowHeight = 300;

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
}  // namespace

BOOL CSearchDlg::OnInitDialog() {
    CSkinDialog::OnInitDialog();

    m_font.Attach(::CreateFontW(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0,
                                FF_SWISS | DEFAULT_PITCH, L"宋体"));

    HICON hIcon = ::LoadIconW(::GetModuleHandleW(L"Search.dll"), MAKEINTRESOURCEW(IDI_SEARCH));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hIcon));
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(hIcon));

    m_tab.SubclassDlgItem(IDC_TAB, this);
    CSkinTabCtrl::SkinTabCtrlInfo tabSkin;
    tabSkin.nBackground = 10000035;
    tabSkin.nItemNormal = 20000012;
    tabSkin.nItemSelected = 20000013;
    tabSkin.nBorder = 10000036;
    m_tab.SetSkinKey(tabSkin);

    // The page label gets its skin before it is bound; the control keeps it until then.
    CSkinStatic::SkinStaticInfo pageSkin;
    pageSkin.nBackground = 10000035;
    pageSkin.nText = 10000035;
    m_staticPage.SetSkinKey(pageSkin);

    m_tab.SendMessage(TCM_SETITEMSIZE, 0, MAKELPARAM(68, 25));
    m_tab.SendMessage(TCM_SETMINTABWIDTH, 0, 68);

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

    m_editZoneName.SendMessage(EM_LIMITTEXT, 26);
    m_editNick.SendMessage(EM_LIMITTEXT, 13);
    m_editCompany.SendMessage(EM_LIMITTEXT, 10);
    m_editZoneId.SendMessage(EM_LIMITTEXT, 25);
    m_editAccount.SendMessage(EM_LIMITTEXT, 25);

    // The company radio and edit, the criteria heading, the separator and the group box keep
    // the template's font.
    CWnd* const fontedControls[] = {
        &m_listUser,    &m_listZone,    &m_radioOnline,  &m_radioNick,       &m_radioAccount,
        &m_editNick,    &m_editAccount, &m_tab,          &m_btnBack,         &m_btnFind,
        &m_btnClose,    &m_staticPage,  &m_btnPrevPage,  &m_btnNextPage,     &m_btnAdd,
        &m_btnView,     &m_radioZoneById, &m_radioZoneByName, &m_staticIndustry, &m_editZoneId,
        &m_editZoneName, &m_comboIndustry,
    };
    for (CWnd* pControl : fontedControls)
        pControl->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.GetSafeHandle()), TRUE);

    // Every column goes in at position 0, so they read left to right in the opposite order and
    // column index equals subitem index.
    m_pList[0] = &m_listUser;
    m_listUser.InsertColumn(0, search_text::kColCompany, LVCFMT_LEFT, 80, 3);
    m_listUser.InsertColumn(0, search_text::kColState, LVCFMT_LEFT, 80, 2);
    m_listUser.InsertColumn(0, search_text::kColNickname, LVCFMT_LEFT, 80, 1);
    m_listUser.InsertColumn(0, search_text::kColAccount, LVCFMT_LEFT, 100, 0);
    m_pList[1] = &m_listZone;
    m_listZone.InsertColumn(0, search_text::kColIndustry, LVCFMT_LEFT, 80, 2);
    m_listZone.InsertColumn(0, search_text::kColZoneName, LVCFMT_LEFT, 80, 1);
    m_listZone.InsertColumn(0, search_text::kColZoneId, LVCFMT_LEFT, 180, 0);
    for (CListCtrl* pList : m_pList) {
        const LRESULT style = pList->SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE);
        pList->SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style | LVS_EX_FULLROWSELECT);
    }

    m_tab.InsertItem(TCIF_TEXT, 0, search_text::kTabUsers, 0, 0);
    m_tab.InsertItem(TCIF_TEXT, 1, search_text::kTabZones, 0, 0);

    // Unsorted: item 0 is "any industry", item i is industry code i - 1.
    m_comboIndustry.AddString(search_text::kAnyIndustry);
    for (const std::wstring& industry : m_industries)
        m_comboIndustry.AddString(industry.c_str());

    PlaceControls();

    RECT rc;
    GetWindowRect(&rc);
    MoveWindow(rc.left, rc.top, kWindowWidth, kWindowHeight, TRUE);

    m_hWndResults = m_hWnd;
    m_replies.Open();
    return FALSE;
}

void CSearchDlg::PlaceControls() {
    m_staticCriteria.MoveWindow(40, 50, 70, 18);
    m_separator.MoveWindow(100, 59, 250, 1);
    m_radioOnline.ShowWindow(SW_HIDE);
    m_radioCompany.MoveWindow(kRadioX, RowY(0), kRadioWidth, kRadioHeight);
    m_radioNick.MoveWindow(kRadioX, RowY(1), kRadioWidth, kRadioHeight);
    m_radioAccount.MoveWindow(kRadioX, RowY(2), kRadioWidth, kRadioHeight);
    // Bottom row first, stepping up: account, nickname, company.
    CSkinEdit* const userEdits[] = {&m_editAccount, &m_editNick, &m_editCompany};
    for (int i = 0; i < 3; ++i)
        userEdits[i]->MoveWindow(kInputX, RowY(2 - i) - 2, kInputWidth, kEditHeight);
    m_groupExact.MoveWindow(50, 90, 300, 110);
    m_groupExact.ShowWindow(SW_HIDE);
    m_radioZoneById.MoveWindow(kRadioX, RowY(0), kRadioWidth, kRadioHeight);
    m_radioZoneByName.MoveWindow(kRadioX, RowY(1), kRadioWidth, kRadioHeight);
    m_staticIndustry.MoveWindow(kIndustryLabelX, RowY(2), kRadioWidth, kRadioHeight);
    m_comboIndustry.MoveWindow(kInputX, RowY(2) - 2, kInputWidth, kComboHeight);
    m_editZoneName.MoveWindow(kInputX, RowY(1) - 2, kInputWidth, kEditHeight);
    m_editZoneId.MoveWindow(kInputX, RowY(0) - 2, kInputWidth, kEditHeight);
    m_listUser.MoveWindow(kListX, kListY, kListWidth, kListHeight);
    m_listZone.MoveWindow(kListX, kListY, kListWidth, kListHeight);
    m_staticPage.MoveWindow(kListX, kPagerY, 40, 18);
    m_btnView.MoveWindow(kViewButtonX, kPagerY, kPagerButtonWidth, kPagerButtonHeight);
    m_btnPrevPage.MoveWindow(kViewButtonX + kPagerStride, kPagerY, kPagerButtonWidth,
                             kPagerButtonHeight);
    m_btnNextPage.MoveWindow(kViewButtonX + 2 * kPagerStride, kPagerY, kPagerButtonWidth,
                             kPagerButtonHeight);
    m_btnBack.MoveWindow(kBackX, kCommandY, kCommandWidth, kCommandHeight);
    m_btnFind.MoveWindow(kBackX + kCommandStride, kCommandY, kCommandWidth, kCommandHeight);
    // Add shares Find's place; the two are never shown together.
    m_btnAdd.MoveWindow(kBackX + kCommandStride, kCommandY, kCommandWidth, kCommandHeight);
    m_btnClose.MoveWindow(kBackX + 2 * kCommandStride, kCommandY, kCommandWidth, kCommandHeight);
    m_tab.MoveWindow(10, 5, 370, 225);
    // Behind everything else, so the tab's body never covers the controls drawn on it.
    ::SetWindowPos(m_tab.m_hWnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}
