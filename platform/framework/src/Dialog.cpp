// Modeless dialogs from templates.
#include "Internal.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

// IDOK and IDCANCEL reach the virtual OnOK and OnCancel unless a derived map took them first.
BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

namespace {

// A template may hold list views, tab controls and the like: their window classes exist only once
// the common-controls library has registered them, and the client may never have asked for that.
void RegisterCommonControlClasses() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        return ::InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)registered;
}

// The dialog whose window the current Create on this thread is making, and the hook that waits
// for that window.
thread_local CDialog* t_creating = nullptr;
thread_local HHOOK t_creationHook = nullptr;

void BindCreating(HWND hWnd) {
    CDialog* pDlg = t_creating;
    t_creating = nullptr;
    afx_internal::BindWindow(pDlg, hWnd, true);
}

// The dialog window is the first window its creation makes. Binding it here, before the dialog
// manager sends it anything, lets every message of the window (WM_NCCREATE, WM_SETFONT,
// WM_INITDIALOG) pass through the object. The hook has then done its work: the controls that
// follow are made without it.
LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    const LRESULT next = CallNextHookEx(nullptr, code, wParam, lParam);
    if (code == HCBT_CREATEWND && t_creating) {
        BindCreating(reinterpret_cast<HWND>(wParam));
        if (t_creationHook) UnhookWindowsHookEx(t_creationHook);
        t_creationHook = nullptr;
    }
    return next;
}

// The dialog procedure under our window procedure: DefDlgProc calls it for what the message map
// left to the default. It only turns WM_INITDIALOG into OnInitDialog.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM) {
    // Should the creation hook not have seen the window, bind on the first message we do see.
    if (t_creating && !CWnd::FromHandlePermanent(hWnd)) BindCreating(hWnd);
    if (message != WM_INITDIALOG) return FALSE;
    CDialog* pDlg = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(hWnd));
    if (!pDlg) return TRUE;
    try {
        return pDlg->OnInitDialog();
    } catch (...) {
        afx_internal::KeepWndProcException();
        return FALSE;
    }
}

class CreationScope {
public:
    explicit CreationScope(CDialog* pDlg) : m_previous(t_creating), m_previousHook(t_creationHook) {
        t_creating = pDlg;
        t_creationHook = SetWindowsHookExW(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
    }
    ~CreationScope() {
        if (t_creationHook) UnhookWindowsHookEx(t_creationHook);
        t_creating = m_previous;
        t_creationHook = m_previousHook;
    }
    CreationScope(const CreationScope&) = delete;
    CreationScope& operator=(const CreationScope&) = delete;

private:
    CDialog* m_previous;
    HHOOK m_previousHook;
};

}  // namespace

CDialog::CDialog() : m_nIDTemplate(0), m_pParentWnd(nullptr) {}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

// The dialog made its window, so it takes it down; but it lets go first, so that none of the
// window's last messages reaches a virtual of a derived class that is already destroyed.
CDialog::~CDialog() {
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
        HWND hWnd = afx_internal::UnbindWindow(this);
        ::DestroyWindow(hWnd);
    }
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    if (m_hWnd) return FALSE;
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;

    const wchar_t* name = MAKEINTRESOURCEW(nIDTemplate);
    HINSTANCE hInst = AfxFindResourceHandle(name, RT_DIALOG);
    if (!hInst) return FALSE;
    HRSRC hRes = FindResourceW(hInst, name, RT_DIALOG);
    HGLOBAL hData = hRes ? LoadResource(hInst, hRes) : nullptr;
    auto* pTemplate = hData ? static_cast<const DLGTEMPLATE*>(LockResource(hData)) : nullptr;
    if (!pTemplate) return FALSE;

    RegisterCommonControlClasses();
    HWND hParent = pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr;
    {
        CreationScope scope(this);
        ::CreateDialogIndirectParamW(hInst, pTemplate, hParent, AfxDlgProc,
                                     reinterpret_cast<LPARAM>(this));
    }
    // OnInitDialog may have destroyed the window again; m_hWnd says what is left.
    return m_hWnd ? TRUE : FALSE;
}

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

// There is no modal loop to end here: a modeless dialog is hidden, and its window, object and
// state stay for the next show. (::EndDialog is meant for modal loops.)
void CDialog::EndDialog(int) {
    if (m_hWnd) ::ShowWindow(m_hWnd, SW_HIDE);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    // Keys only: IsDialogMessage dispatches whatever else it is given itself, which would run
    // paints and timers from inside the caller's pre-translation.
    if (!m_hWnd || !pMsg || pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST) return FALSE;
    return ::IsDialogMessageW(m_hWnd, pMsg);
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl) {
    if (!m_hWnd || !pWndCtrl || !pWndCtrl->m_hWnd) return;
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pWndCtrl->m_hWnd), TRUE);
}

void CDialog::GotoDlgCtrlWhenActive(CWnd* pWndCtrl) {
    if (!m_hWnd || !pWndCtrl || !pWndCtrl->m_hWnd) return;
    if (::IsWindowVisible(m_hWnd) && ::GetActiveWindow() == m_hWnd) {
        m_hWndFocusOnActivate = nullptr;
        GotoDlgCtrl(pWndCtrl);
    } else {
        m_hWndFocusOnActivate = pWndCtrl->m_hWnd;
    }
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (DispatchMessageMap(message, wParam, lParam, &result)) {
        if (m_hWnd) SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return result;
    }
    result = DefWindowProc(message, wParam, lParam);
    // After the dialog manager has given the focus back to the control that had it: the control
    // asked for meanwhile takes it instead.
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam) &&
        m_hWndFocusOnActivate) {
        HWND hWndCtrl = m_hWndFocusOnActivate;
        m_hWndFocusOnActivate = nullptr;
        if (m_hWnd && ::IsChild(m_hWnd, hWndCtrl) && ::IsWindowVisible(hWndCtrl) &&
            ::IsWindowEnabled(hWndCtrl))
            SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hWndCtrl), TRUE);
    }
    return result;
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_hWnd) return 0;
    return CWnd::DefWindowProc(message, wParam, lParam);
}
