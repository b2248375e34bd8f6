// The exported Search: opens, re-opens and closes the search window for the client.
#include "Search.h"

#include "SearchDlg.h"
#include "resource.h"

namespace {
// The window's owner: the client's window, or the desktop when it gave none that exists.
CWnd* OwnerOf(HWND hParent) {
    return CWnd::FromHandle((hParent && ::IsWindow(hParent)) ? hParent : ::GetDesktopWindow());
}
}  // namespace

Search::Search(QZP::QZTransmit* pTransmit, SearchResultHandler* pHandler)
    : m_pSearchDlg(nullptr), m_pTransmit(pTransmit), m_pResultHandler(pHandler) {}

Search::~Search() { StopSearch(); }

Search& Search::operator=(const Search& other) {
    m_pSearchDlg = other.m_pSearchDlg;
    m_pTransmit = other.m_pTransmit;
    m_pResultHandler = other.m_pResultHandler;
    return *this;
}

void Search::StartSearch(HWND hParent, bool bUserTab) {
    if (m_pSearchDlg && m_pSearchDlg->BeingMade()) {
        // Called again from inside the client's GetIndustryList: the window being made opens on
        // this tab, and there stays one.
        m_pSearchDlg->ResetWhenFirstShown(bUserTab);
        return;
    }
    // The window went with its owner (a client destroys its main window when it signs out or
    // switches accounts): its object goes as StopSearch sends it, and a new window is made.
    if (m_pSearchDlg && !m_pSearchDlg->GetSafeHwnd())
        StopSearch();
    // Whatever fails from here (an allocation, as a rule) leaves no window and no command behind.
    try {
        if (!m_pSearchDlg) {
            CSearchDlg* pDlg = new CSearchDlg(m_pTransmit, m_pResultHandler, OwnerOf(hParent));
            m_pSearchDlg = pDlg;
            // A new window is reset when it is first shown, before anyone sees it: shown by its
            // creation, it needs nothing more.
            pDlg->ResetWhenFirstShown(bUserTab);
            // The client may run a message loop while it answers and stop the search or delete
            // this object from there: then nothing of either may be touched any more.
            if (!pDlg->AskForIndustries())
                return;
            // The owner is looked at again: the client's loop may have destroyed it.
            if (pDlg->Create(IDD_SEARCH_DIALOG, OwnerOf(hParent)) && ::IsWindowVisible(pDlg->GetSafeHwnd()))
                return;
        }
        if (::IsWindowVisible(m_pSearchDlg->GetSafeHwnd())) {
            // Already in front of the user: keep the tab, criteria and results.
            m_pSearchDlg->ResetSearch(false, bUserTab);
            ::BringWindowToTop(m_pSearchDlg->GetSafeHwnd());
        } else {
            m_pSearchDlg->ResetSearch(true, bUserTab);
            m_pSearchDlg->ShowWindow(SW_SHOW);
        }
    } catch (...) {
        StopSearch();
        throw;
    }
}

void Search::StopSearch() {
    if (!m_pSearchDlg)
        return;
    CSearchDlg* pDlg = m_pSearchDlg;
    m_pSearchDlg = nullptr;
    if (pDlg->GetSafeHwnd())
        pDlg->ShowWindow(SW_HIDE);
    // The client may be stopping us from inside one of the window's own handlers (in a message
    // loop under one of our boxes, or in a call we made into it): the object then outlives this
    // call until that handler has returned.
    pDlg->Dispose();
}
