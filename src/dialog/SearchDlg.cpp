// Construction, destruction and message routing of the search window.
#include "SearchDlg.h"

#include "resource.h"

BEGIN_MESSAGE_MAP(CSearchDlg, CSkinDialog)
    ON_BN_CLICKED(IDC_BTN_FIND, &CSearchDlg::OnFind)
    ON_BN_CLICKED(IDC_BTN_BACK, &CSearchDlg::OnBack)
    ON_BN_CLICKED(IDC_BTN_CLOSE, &CSearchDlg::OnCloseButton)
    ON_NOTIFY(TCN_SELCHANGE, IDC_TAB, &CSearchDlg::OnTabSelChange)
    ON_MESSAGE(WM_SEARCH_RESULT, &CSearchDlg::OnSearchResult)
    ON_BN_CLICKED(IDC_BTN_ADD, &CSearchDlg::OnAddFriend)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_LIST_USER, &CSearchDlg::OnResultItemChanged)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_LIST_ZONE, &CSearchDlg::OnResultItemChanged)
    ON_BN_CLICKED(IDC_BTN_VIEW, &CSearchDlg::OnViewInfo)
    ON_BN_CLICKED(IDC_BTN_PREV_PAGE, &CSearchDlg::OnPrevPage)
    ON_BN_CLICKED(IDC_BTN_NEXT_PAGE, &CSearchDlg::OnNextPage)
    ON_COMMAND_RANGE(IDC_RADIO_ZONE_BY_ID, IDC_STATIC_INDUSTRY, &CSearchDlg::OnZoneRadio)
    ON_COMMAND_RANGE(IDC_RADIO_COMPANY, IDC_RADIO_ACCOUNT, &CSearchDlg::OnUserRadio)
    // The hand-over of a dropped batch (see OnSearchUserResult) rides behind the design's map.
    ON_MESSAGE(WM_SEARCH_BATCH_DROPPED, &CSearchDlg::OnBatchDropped)
END_MESSAGE_MAP()

namespace {
std::vector<std::wstring> AskIndustries(SearchResultHandler* pHandler) {
    return pHandler ? pHandler->GetIndustryList() : std::vector<std::wstring>();
}
}  // namespace

CSearchDlg::CSearchDlg(QZP::QZTransmit* pTransmit, SearchResultHandler* pHandler, CWnd* pParent)
    : CCommonSkinDialog(IDD_SEARCH_DIALOG, pParent),
      m_pList{nullptr, nullptr},
      m_pSearchCmd(nullptr),
      m_pTransmit(pTransmit),
      m_pResultHandler(pHandler),
      m_industries(AskIndustries(pHandler)),
      m_searchingDlg(nullptr) {
    m_pSearchCmd = new QZP::QZCommandSearch(m_pTransmit, this);
    m_nCurTab = 0;
    m_nCurPage[0] = m_nCurPage[1] = 0;
    m_nNewCount[0] = m_nNewCount[1] = 0;
    m_nViewMode[0] = m_nViewMode[1] = 0;
}

CSearchDlg::~CSearchDlg() {
    m_font.DeleteObject();
    // The command goes first: once its destructor returns no callback can touch the stores.
    delete m_pSearchCmd;
    m_pSearchCmd = nullptr;
}

void CSearchDlg::PostNcDestroy() {
    {
        std::lock_guard<std::mutex> lock(m_storeLock);
        m_hWndResults = nullptr;
    }
    CCommonSkinDialog::PostNcDestroy();
}

void CSearchDlg::OnCloseButton() {
    // A modeless dialog's cancel only hides it: stores, pages and criteria survive until the
    // next StartSearch resets them.
    OnCancel();
}
