// The exported Search: opens, re-opens and closes the search window for the client.
#include "Search.h"

#include "SearchDlg.h"
#include "resource.h"

Search::Search(QZP::QZTransmit* pTransmit, SearchResultHandler* pHandler)
    : m_pSearchDlg(nullptr), m_pTransmit(pTransmit), m_pResultHandler(pHandler) {}

Search::~Search() {
    if (m_pSearchDlg) {
        m_pSearchDlg->DestroyWindow();
        delete m_pSearchDlg;
        m_pSearchDlg = nullptr;
    }
}

Search& Search::operator=(const Search& other) {
    m_pSearchDlg = other.m_pSearchDlg;
    m_pTransmit = other.m_pTransmit;
    m_pResultHandler = other.m_pResultHandler;
    return *this;
}

void Search::StartSearch(HWND hParent, bool bUserTab) {
    if (!m_pSearchDlg) {
        HWND hOwner = (hParent && ::IsWindow(hParent)) ? hParent : ::GetDesktopWindow();
        CWnd* pParent = CWnd::FromHandle(hOwner);
        m_pSearchDlg = new CSearchDlg(m_pTransmit, m_pResultHandler, pParent);
        m_pSearchDlg->Create(IDD_SEARCH_DIALOG, pParent);
        m_pSearchDlg->ResetSearch(true, bUserTab);
    }
    if (::IsWindowVisible(m_pSearchDlg->GetSafeHwnd())) {
        // Already in front of the user: keep the tab, criteria and results.
        m_pSearchDlg->ResetSearch(false, bUserTab);
        ::BringWindowToTop(m_pSearchDlg->GetSafeHwnd());
    } else {
        m_pSearchDlg->ResetSearch(true, bUserTab);
        m_pSearchDlg->ShowWindow(SW_SHOW);
    }
}

void Search::StopSearch() {
    if (!m_pSearchDlg)
        return;
    m_pSearchDlg->ShowWindow(SW_HIDE);
    m_pSearchDlg->DestroyWindow();
    delete m_pSearchDlg;
    m_pSearchDlg = nullptr;
}
