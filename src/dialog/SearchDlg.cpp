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
    // The hand-over of a dropped batch rides behind the rest of the map.
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
    m_nViewMode[0] = m_nViewMode[1] = 0;
    m_userResults.SetShown(true);
}

CSearchDlg::~CSearchDlg() {
    m_font.DeleteObject();
    // The command goes first: once its destructor returns no callback can touch the stores. A
    // merge it is running stops at its next slice once its generation is over.
    m_userResults.CancelQuery();
    m_zoneResults.CancelQuery();
    delete m_pSearchCmd;
    m_pSearchCmd = nullptr;
}

void CSearchDlg::Dispose() {
    DestroyWindow();
    if (m_nHandlerDepth > 0)
        m_bDisposed = true;  // WindowProc deletes us on the way out
    else
        delete this;
}

LRESULT CSearchDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    ++m_nHandlerDepth;
    const LRESULT result = CCommonSkinDialog::WindowProc(message, wParam, lParam);
    if (--m_nHandlerDepth == 0 && m_bDisposed)
        delete this;  // nothing of ours is on the stack any more
    return result;
}

void CSearchDlg::PostNcDestroy() {
    m_replies.Close();
    CCommonSkinDialog::PostNcDestroy();
}

void CSearchDlg::RenewCommand() {
    // The fresh command is built first, so a failure to build it leaves the old one working. The
    // old one's destructor waits for a callback of it that is running (which never waits for this
    // thread: it only takes a tab's lock and posts) and cancels the rest, so once it returns every
    // reply of the old searches is either in m_replies or will never come.
    QZP::QZCommandSearch* pFresh = new QZP::QZCommandSearch(m_pTransmit, this);
    delete m_pSearchCmd;
    m_pSearchCmd = pFresh;
}

void CSearchDlg::AbandonSearch(int nTab) {
    // First a new generation, so that a merge running on the protocol thread stops at its next
    // slice and the command's destructor does not wait for all of it; then the command; and only
    // after the old command is gone the final Abandon, so that a reply it delivered meanwhile is
    // stamped with a generation that ends here.
    m_userResults.CancelQuery();
    m_zoneResults.CancelQuery();
    RenewCommand();
    if (nTab == 0) {
        m_userResults.Abandon();
        m_zoneResults.CancelQuery();
    } else {
        m_zoneResults.Abandon();
        m_userResults.CancelQuery();
    }
}

void CSearchDlg::AbandonAllSearches() {
    m_userResults.CancelQuery();
    m_zoneResults.CancelQuery();
    RenewCommand();
    m_userResults.Abandon();
    m_zoneResults.Abandon();
}

bool CSearchDlg::QueryInFlight() const {
    return m_userResults.QueryInFlight() || m_zoneResults.QueryInFlight();
}

void CSearchDlg::OnCloseButton() {
    // A modeless dialog's cancel only hides it: stores, pages and criteria survive until the
    // next StartSearch resets them.
    OnCancel();
}
