// The exported Search: opens, re-opens and closes the search window for the client.
#include "Search.h"

#include "SearchDlg.h"
#include "resource.h"

namespace {
// The window's owner: the client's window, or the desktop when it gave none that exists.
CWnd* OwnerOf(HWND hParent) {
    return CWnd::FromHandle((hParent && ::IsWindow(hParent)) ? hParent : ::GetDesktopWindow());
}

// A window of this process that another thread runs.
bool OfAnotherThread(HWND hWnd) {
    DWORD process = 0;
    const DWORD thread = hWnd ? ::GetWindowThreadProcessId(hWnd, &process) : 0;
    return thread && process == ::GetCurrentProcessId() && thread != ::GetCurrentThreadId();
}

// Window procedures, the keyboard hook and the protocol command's callbacks point into this
// module, and a client may free a library that brought it in while a window of it is open. From
// the first window on, the module stays loaded until the process ends.
void KeepModuleLoaded() {
    static const bool pinned = [] {
        HMODULE self = nullptr;
        return ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                    reinterpret_cast<LPCWSTR>(&KeepModuleLoaded), &self) != FALSE;
    }();
    (void)pinned;
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
    CSearchDlg* pDlg = m_pSearchDlg;
    // The window belongs to the thread that made it, and a new one needs a thread whose message
    // loop runs it (the owner's): from any other thread, nothing is made or changed.
    if ((pDlg && pDlg->WindowThread() != ::GetCurrentThreadId()) || OfAnotherThread(hParent)) {
        ::OutputDebugStringW(L"search window: StartSearch was called on a thread that is not the window's; "
                             L"nothing was done (call it on the client's user-interface thread)\n");
        return;
    }
    if (pDlg && pDlg->BeingMade()) {
        // Called again from inside the client's GetIndustryList: the window being made opens on
        // this tab, and there stays one.
        pDlg->ResetWhenFirstShown(bUserTab);
        return;
    }
    KeepModuleLoaded();
    // The window went with its owner (a client destroys its main window when it signs out or
    // switches accounts): its object goes as StopSearch sends it, and a new window is made.
    if (pDlg && !pDlg->GetSafeHwnd()) {
        StopSearch();
        pDlg = nullptr;
    }
    // Whatever fails from here (an allocation, as a rule; the client's protocol library refusing a
    // command) leaves no window and no command behind, and nothing is thrown at the client: on
    // 32-bit no exception could cross into its frames.
    PrepareForClientCode();
    try {
        if (!pDlg) {
            pDlg = new CSearchDlg(m_pTransmit, m_pResultHandler, OwnerOf(hParent));
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
        // Shown: brought to the top as it stands. Hidden with its owner (minimised, and the search
        // opened from the tray): shown as it stands. Closed by the user, or not shown yet: shown
        // afresh on the tab asked for.
        const bool visible = ::IsWindowVisible(pDlg->GetSafeHwnd()) != FALSE;
        pDlg->ResetSearch(!visible && pDlg->IsClosed(), bUserTab);
        if (visible)
            ::BringWindowToTop(pDlg->GetSafeHwnd());
        else
            pDlg->ShowWindow(SW_SHOW);
    } catch (...) {
        ForgiveForeignException();
        StopSearch();
        ::OutputDebugStringW(L"search window: StartSearch failed (out of memory, as a rule); "
                             L"no window was left and nothing was thrown\n");
    }
}

void Search::StopSearch() {
    // Taken in one step: a client's network thread may stop the search while its user-interface
    // thread is in here too, and only one of them may dispose of the window.
    auto* pDlg = static_cast<CSearchDlg*>(
        ::InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&m_pSearchDlg), nullptr));
    if (!pDlg)
        return;
    // From inside one of the window's own handlers (in a message loop under one of our boxes, or
    // in a call we made into the client) the object outlives this call until that handler has
    // returned; from another thread, until the window's thread has taken the request. The command
    // is gone before this returns on the window's thread.
    pDlg->Dispose();
}
