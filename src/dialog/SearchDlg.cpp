// Construction, destruction and message routing of the search window.
#include "SearchDlg.h"

#include <new>

#include "ModuleLookup.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CSearchDlg, CCommonSkinDialog)
    // Display settings: a new DPI lays the window out again, a new scheme recolours it (and while a
    // high-contrast scheme is on, the window's colour messages answer with its colours).
    ON_MESSAGE(WM_DPICHANGED, &CSearchDlg::OnDpiChanged)
    ON_MESSAGE(WM_SYSCOLORCHANGE, &CSearchDlg::OnSysColorChange)
    ON_MESSAGE(WM_SETTINGCHANGE, &CSearchDlg::OnSettingChange)
    ON_MESSAGE(WM_DESTROY, &CSearchDlg::OnDestroyWindow)
    ON_MESSAGE(WM_SHOWWINDOW, &CSearchDlg::OnShowWindow)
    {WM_CTLCOLORDLG, 0, 0, 0, &CSearchDlg::HighContrastColour},
    {WM_CTLCOLORSTATIC, 0, 0, 0, &CSearchDlg::HighContrastColour},
    {WM_CTLCOLORBTN, 0, 0, 0, &CSearchDlg::HighContrastColour},
    {WM_CTLCOLOREDIT, 0, 0, 0, &CSearchDlg::HighContrastColour},
    {WM_CTLCOLORLISTBOX, 0, 0, 0, &CSearchDlg::HighContrastColour},

    ON_BN_CLICKED(IDC_BTN_FIND, &CSearchDlg::OnFind)
    ON_BN_CLICKED(IDC_BTN_BACK, &CSearchDlg::OnBack)
    ON_BN_CLICKED(IDC_BTN_CLOSE, &CSearchDlg::OnCloseButton)
    ON_NOTIFY(TCN_SELCHANGE, IDC_TAB, &CSearchDlg::OnTabSelChange)
    ON_MESSAGE(WM_SEARCH_RESULT, &CSearchDlg::OnSearchResult)
    ON_MESSAGE(WM_SEARCH_KEPT_BOX, &CSearchDlg::OnKeptBox)
    ON_MESSAGE(WM_SEARCH_VIEW_ENTERED, &CSearchDlg::OnViewEntered)
    ON_BN_CLICKED(IDC_BTN_ADD, &CSearchDlg::OnAddFriend)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_LIST_USER, &CSearchDlg::OnResultItemChanged)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_LIST_ZONE, &CSearchDlg::OnResultItemChanged)
    ON_BN_CLICKED(IDC_BTN_VIEW, &CSearchDlg::OnViewInfo)
    ON_BN_CLICKED(IDC_BTN_PREV_PAGE, &CSearchDlg::OnPrevPage)
    ON_BN_CLICKED(IDC_BTN_NEXT_PAGE, &CSearchDlg::OnNextPage)
    ON_COMMAND_RANGE(IDC_RADIO_ZONE_BY_ID, IDC_STATIC_INDUSTRY, &CSearchDlg::OnZoneRadio)
    ON_COMMAND_RANGE(IDC_RADIO_COMPANY, IDC_RADIO_ACCOUNT, &CSearchDlg::OnUserRadio)
    // What a user does with a found row beside the buttons: double-click, a context menu, copy.
    ON_NOTIFY(NM_DBLCLK, IDC_LIST_USER, &CSearchDlg::OnResultDblClk)
    ON_NOTIFY(NM_DBLCLK, IDC_LIST_ZONE, &CSearchDlg::OnResultDblClk)
    ON_NOTIFY(LVN_KEYDOWN, IDC_LIST_USER, &CSearchDlg::OnResultKeyDown)
    ON_NOTIFY(LVN_KEYDOWN, IDC_LIST_ZONE, &CSearchDlg::OnResultKeyDown)
    ON_MESSAGE(WM_CONTEXTMENU, &CSearchDlg::OnContextMenu)
    ON_COMMAND(ID_ROW_COPY, &CSearchDlg::OnCopyRow)
END_MESSAGE_MAP()

CSearchDlg::CSearchDlg(QZP::QZTransmit* pTransmit, SearchResultHandler* pHandler, CWnd* pParent)
    : CCommonSkinDialog(IDD_SEARCH_DIALOG, pParent),
      m_pSearchCmd(nullptr),
      m_pTransmit(pTransmit),
      m_pResultHandler(pHandler),
      m_searchingDlg(nullptr),
      m_sessionHost(*this),
      m_session(m_sessionHost, {}),
      m_nWindowThread(::GetCurrentThreadId()) {
    m_hWndStopBox = CreateStopBox();
    try {
        m_pSearchCmd = new QZP::QZCommandSearch(m_pTransmit, this);
    } catch (...) {
        ::DestroyWindow(m_hWndStopBox);
        throw;
    }
}

namespace {
// Another thread's Dispose, handed to the window's thread.
constexpr UINT WM_SEARCH_DISPOSE = WM_USER + 1;
constexpr wchar_t kStopBoxClass[] = L"SearchDlgStopBox";
}  // namespace

HWND CSearchDlg::CreateStopBox() {
    static const bool registered = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &CSearchDlg::StopBoxProc;
        windowClass.hInstance = ModuleAt(kStopBoxClass);
        windowClass.lpszClassName = kStopBoxClass;
        return ::RegisterClassW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    HWND hWnd = registered ? ::CreateWindowExW(0, kStopBoxClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                               ModuleAt(kStopBoxClass), nullptr)
                           : nullptr;
    if (!hWnd)
        throw std::bad_alloc();
    ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return hWnd;
}

LRESULT CALLBACK CSearchDlg::StopBoxProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_SEARCH_DISPOSE)
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    // This window goes with the object, maybe right here: nothing of it is touched afterwards.
    if (auto* pDlg = reinterpret_cast<CSearchDlg*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA)))
        pDlg->Dispose();
    return 0;
}

bool CSearchDlg::AskForIndustries() {
    std::vector<std::wstring> industries;
    // Counted as a handler of ours: whatever the client does meanwhile, this object outlives the
    // call, and a StopSearch from inside only marks it for deletion.
    m_bAskingIndustries = true;
    const bool alive = RunAsHandler(
        [&] {
            if (m_pResultHandler)
                industries = m_pResultHandler->GetIndustryList();
        },
        L"the client's GetIndustryList (the window opens without industries)");
    if (!alive)
        return false;
    m_bAskingIndustries = false;
    m_session.SetIndustries(std::move(industries));
    return true;
}

void CSearchDlg::ReportStopped(const wchar_t* where) noexcept { ReportStoppedException(where); }

CSearchDlg::~CSearchDlg() {
    m_font.DeleteObject();
    ReleaseCommand();
    ::SetWindowLongPtrW(m_hWndStopBox, GWLP_USERDATA, 0);
    ::DestroyWindow(m_hWndStopBox);
}

void CSearchDlg::ReleaseCommand() {
    // The command goes first: once its destructor returns no callback can touch the session. A
    // merge it is running stops at its next slice once its query is cancelled.
    m_session.CancelQueries();
    delete m_pSearchCmd;
    m_pSearchCmd = nullptr;
}

void CSearchDlg::Dispose() {
    if (::GetCurrentThreadId() != m_nWindowThread) {
        // Nothing of the object is touched here but what never changes: the window's thread owns
        // the rest, and deletes it when it takes this message.
        if (!::PostMessageW(m_hWndStopBox, WM_SEARCH_DISPOSE, 0, 0))
            ::OutputDebugStringW(L"search window: stopped from another thread, but the window's thread "
                                 L"could not be reached; the window is left as it is\n");
        return;
    }
    if (GetSafeHwnd())
        ShowWindow(SW_HIDE);
    DestroyWindow();
    // The client may free its transport as soon as its call returns: a command of it must not
    // wait for our handlers to end.
    ReleaseCommand();
    if (m_nHandlerDepth > 0)
        m_bDisposed = true;  // RunAsHandler deletes us on the way out
    else
        delete this;
}

LRESULT CSearchDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    // Above this frame are the framework's and the system's, the client's own: nothing may unwind
    // into them. A handler that throws just ends there, and the window goes on.
    RunAsHandler([&] { result = CCommonSkinDialog::WindowProc(message, wParam, lParam); }, L"a message handler");
    return result;
}

void CSearchDlg::PostNcDestroy() {
    m_session.CloseMailbox();
    CCommonSkinDialog::PostNcDestroy();
}

QZP::ConnectionError CSearchDlg::CSessionHost::Send(const OutgoingQuery& query) {
    if (!m_dlg.m_pSearchCmd)
        return QZP::CE_NO_TRANSPORT;  // released: the window is going
    QZP::QZCommandSearch& command = *m_dlg.m_pSearchCmd;
    switch (query.kind) {
    case OutgoingQuery::Kind::OnlineUsers:
        return command.SearchOnlineUsers();
    case OutgoingQuery::Kind::UsersByCompany:
        return command.SearchUsersByCompany(query.text);
    case OutgoingQuery::Kind::UsersByAccount:
        return command.SearchUsersByEID(query.text);
    case OutgoingQuery::Kind::UsersByNick:
        return command.SearchUsersByNick(query.text);
    case OutgoingQuery::Kind::ZoneById:
        return command.SearchZoneByID(query.zoneId);
    case OutgoingQuery::Kind::Zone:
        return command.SearchZone(query.text, query.industry);
    }
    return QZP::CE_NO_TRANSPORT;
}

void CSearchDlg::CSessionHost::RenewCommand() {
    // The fresh command is built first, so a failure to build it leaves the old one working. The
    // old one's destructor waits for a callback of it that is running (which never waits for this
    // thread: it only takes a tab's lock and posts) and cancels the rest, so once it returns every
    // reply of the old searches is either in the mailbox or will never come.
    if (!m_dlg.m_pSearchCmd)
        return;  // released: the window is going, and the transport may be gone
    QZP::QZCommandSearch* pFresh = new QZP::QZCommandSearch(m_dlg.m_pTransmit, &m_dlg);
    delete m_dlg.m_pSearchCmd;
    m_dlg.m_pSearchCmd = pFresh;
}

// Protocol thread, under the mailbox's lock.
void CSearchDlg::CSessionHost::PostReply() { ::PostMessageW(m_dlg.m_hWndResults, WM_SEARCH_RESULT, 0, 0); }

// Protocol thread.
void CSearchDlg::CSessionHost::ReportStoppedException() { ReportStopped(L"receiving a batch of results"); }

void CSearchDlg::OnCloseButton() { OnCancel(); }

// An IDOK from outside (another program's WM_COMMAND) closes as Close does.
void CSearchDlg::OnOK() { OnCancel(); }

// Close and the caption's close come here (Escape is swallowed). A modeless dialog's cancel only
// hides it: the results survive until the next StartSearch resets them. A query that was out is
// abandoned: no reply of it, and no box about it, reaches a window the user dismissed.
void CSearchDlg::OnCancel() {
    m_bClosed = true;
    m_keptBox.reset();
    m_postponed.reset();
    CCommonSkinDialog::OnCancel();
    m_session.EndQueries();
    Render();
}
