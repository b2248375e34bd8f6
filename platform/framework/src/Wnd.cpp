// Window wrappers: the handle maps, binding, the framework's window procedure and pre-translation.
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <unordered_map>

#include "Internal.h"

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

namespace {

// The window's own procedure is also kept on the window, so that our procedure can still pass
// messages on after its wrapper let go while someone else's subclass sat on top of ours.
const wchar_t kSuperProp[] = L"SearchFramework.SuperProc";

struct HandleMaps {
    std::mutex lock;
    std::unordered_map<HWND, CWnd*> permanent;
    std::unordered_map<HWND, std::unique_ptr<CWnd>> temporary;
};

HandleMaps& Maps() {
    static HandleMaps maps;
    return maps;
}

// Per thread: the WH_GETMESSAGE hook and the framework dialogs that keep it installed.
struct ThreadHook {
    HHOOK hook = nullptr;
    std::set<HWND> dialogs;
};

struct HookRegistry {
    std::mutex lock;
    std::map<DWORD, ThreadHook> threads;
};

HookRegistry& Hooks() {
    static HookRegistry registry;
    return registry;
}

thread_local std::exception_ptr t_wndProcException;
thread_local int t_preTranslateDepth = 0;
// The last message the hook pre-translated, so that a host that also calls
// AfxPreTranslateMessage for it does not run the walk twice.
thread_local MSG t_lastHooked = {};
thread_local bool t_hasLastHooked = false;

bool SameMsg(const MSG& a, const MSG& b) {
    return a.hwnd == b.hwnd && a.message == b.message && a.wParam == b.wParam &&
           a.lParam == b.lParam && a.time == b.time && a.pt.x == b.pt.x && a.pt.y == b.pt.y;
}

LRESULT CALLBACK PreTranslateHook(int code, WPARAM wParam, LPARAM lParam) {
    // Only messages a loop takes off the queue; a PM_NOREMOVE peek would see them again.
    if (code == HC_ACTION && wParam == PM_REMOVE && lParam) {
        MSG* msg = reinterpret_cast<MSG*>(lParam);
        // A message box's loop running inside one of our handlers calls the hook again: its
        // messages are its own business, not our dialogs'.
        if (t_preTranslateDepth == 0 && msg->hwnd) {
            ++t_preTranslateDepth;
            BOOL consumed = FALSE;
            try {
                consumed = afx_internal::PreTranslateChain(msg);
            } catch (...) {
                afx_internal::KeepWndProcException();
            }
            --t_preTranslateDepth;
            if (consumed) msg->message = WM_NULL;
            t_lastHooked = *msg;
            t_hasLastHooked = true;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void RegisterDialog(HWND hWnd) {
    const DWORD thread = GetWindowThreadProcessId(hWnd, nullptr);
    HookRegistry& r = Hooks();
    std::lock_guard<std::mutex> guard(r.lock);
    ThreadHook& t = r.threads[thread];
    t.dialogs.insert(hWnd);
    // A thread hook can only be set for the calling thread's own messages when the procedure
    // lives in this process: dialogs are created on their window's thread, so this is that thread.
    if (!t.hook && thread == GetCurrentThreadId())
        t.hook = SetWindowsHookExW(WH_GETMESSAGE, PreTranslateHook, nullptr, thread);
}

void UnregisterDialog(HWND hWnd) {
    HookRegistry& r = Hooks();
    std::lock_guard<std::mutex> guard(r.lock);
    for (auto it = r.threads.begin(); it != r.threads.end(); ++it) {
        if (it->second.dialogs.erase(hWnd) == 0) continue;
        if (it->second.dialogs.empty()) {
            if (it->second.hook) UnhookWindowsHookEx(it->second.hook);
            r.threads.erase(it);
        }
        return;
    }
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (!pWnd) {
        WNDPROC super = reinterpret_cast<WNDPROC>(GetPropW(hWnd, kSuperProp));
        if (message == WM_NCDESTROY) RemovePropW(hWnd, kSuperProp);
        return super ? CallWindowProcW(super, hWnd, message, wParam, lParam)
                     : DefWindowProcW(hWnd, message, wParam, lParam);
    }

    LRESULT result = 0;
    try {
        result = CWndAccess::WindowProc(pWnd, message, wParam, lParam);
    } catch (...) {
        // Unwinding through the system's dispatch code is undefined: stop here, keep it.
        afx_internal::KeepWndProcException();
        result = message == WM_CREATE ? -1 : 0;
    }

    // The last message: the wrapper lets go, then hears about it. A handler may already have
    // let go (or deleted the wrapper), so look again rather than trusting pWnd.
    if (message == WM_NCDESTROY && CWnd::FromHandlePermanent(hWnd) == pWnd) {
        afx_internal::UnbindWindow(pWnd);
        try {
            CWndAccess::PostNcDestroy(pWnd);
        } catch (...) {
            afx_internal::KeepWndProcException();
        }
    }
    return result;
}

}  // namespace

namespace afx_internal {

bool BindWindow(CWnd* pWnd, HWND hWnd, bool bDialog) {
    if (!pWnd || pWnd->m_hWnd || !hWnd || !IsWindow(hWnd)) return false;
    {
        HandleMaps& m = Maps();
        std::lock_guard<std::mutex> guard(m.lock);
        if (!m.permanent.emplace(hWnd, pWnd).second) return false;
    }
    pWnd->m_hWnd = hWnd;
    SetLastError(0);
    LONG_PTR previous = SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc));
    if (previous == 0 && GetLastError() != 0) {
        std::lock_guard<std::mutex> guard(Maps().lock);
        Maps().permanent.erase(hWnd);
        pWnd->m_hWnd = nullptr;
        return false;
    }
    CWndAccess::Super(pWnd) = reinterpret_cast<WNDPROC>(previous);
    SetPropW(hWnd, kSuperProp, reinterpret_cast<HANDLE>(previous));
    if (bDialog) RegisterDialog(hWnd);
    return true;
}

HWND UnbindWindow(CWnd* pWnd) {
    HWND hWnd = pWnd->m_hWnd;
    if (!hWnd) return nullptr;
    WNDPROC super = CWndAccess::Super(pWnd);
    if (IsWindow(hWnd) &&
        GetWindowLongPtrW(hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&AfxWndProc)) {
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super));
        RemovePropW(hWnd, kSuperProp);
    }
    {
        HandleMaps& m = Maps();
        std::lock_guard<std::mutex> guard(m.lock);
        auto it = m.permanent.find(hWnd);
        if (it != m.permanent.end() && it->second == pWnd) m.permanent.erase(it);
    }
    UnregisterDialog(hWnd);
    pWnd->m_hWnd = nullptr;
    CWndAccess::Super(pWnd) = nullptr;
    return hWnd;
}

void KeepWndProcException() noexcept {
    if (!t_wndProcException) t_wndProcException = std::current_exception();
    OutputDebugStringW(L"search framework: a message handler threw; the exception was stopped "
                       L"at the window procedure\n");
}

BOOL PreTranslateChain(MSG* pMsg) {
    for (HWND h = pMsg->hwnd; h;) {
        if (CWnd* pWnd = CWnd::FromHandlePermanent(h)) {
            if (pWnd->PreTranslateMessage(pMsg)) return TRUE;
        }
        // A handler may have destroyed the window; and the walk ends at the top-level window:
        // an owned window's "parent" is its owner, whose keys are not this window's keys.
        if (!IsWindow(h) || !(GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD)) break;
        h = ::GetParent(h);
    }
    return FALSE;
}

}  // namespace afx_internal

std::exception_ptr AfxTakeWndProcException() {
    std::exception_ptr e = t_wndProcException;
    t_wndProcException = nullptr;
    return e;
}

BOOL AfxPreTranslateMessage(MSG* pMsg) {
    if (!pMsg || !pMsg->hwnd) return FALSE;
    if (t_hasLastHooked && SameMsg(*pMsg, t_lastHooked)) {
        t_hasLastHooked = false;
        return FALSE;  // the hook has already run the walk (and emptied the message if it took it)
    }
    ++t_preTranslateDepth;
    BOOL consumed = FALSE;
    try {
        consumed = afx_internal::PreTranslateChain(pMsg);
    } catch (...) {
        --t_preTranslateDepth;
        throw;
    }
    --t_preTranslateDepth;
    return consumed;
}

// ---------------------------------------------------------------------------------------------

CWnd::CWnd() : m_hWnd(nullptr), m_pfnSuper(nullptr) {}

namespace {
// A wrapper of a pseudo-handle (HWND_TOP, HWND_BOTTOM): never bound, and it lets go of the value
// before ~CWnd could take it for a window.
class CWndPlace : public CWnd {
public:
    explicit CWndPlace(HWND hWndPlace) { m_hWnd = hWndPlace; }
    ~CWndPlace() override { m_hWnd = nullptr; }
};
const CWndPlace g_wndTop(HWND_TOP);
const CWndPlace g_wndBottom(HWND_BOTTOM);
}  // namespace

const CWnd& CWnd::wndTop = g_wndTop;
const CWnd& CWnd::wndBottom = g_wndBottom;

// A wrapper still bound when it goes lets go of the window and leaves it alive: a control bound
// by ID belongs to its dialog, and destroying it would break the dialog. (A dialog destroys the
// window it created itself: see ~CDialog.)
CWnd::~CWnd() {
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) afx_internal::UnbindWindow(this);
    m_hWnd = nullptr;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    if (!hWnd) return nullptr;
    HandleMaps& m = Maps();
    std::lock_guard<std::mutex> guard(m.lock);
    auto it = m.permanent.find(hWnd);
    return it == m.permanent.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (!hWnd) return nullptr;
    HandleMaps& m = Maps();
    std::lock_guard<std::mutex> guard(m.lock);
    auto perm = m.permanent.find(hWnd);
    if (perm != m.permanent.end()) return perm->second;
    // Temporaries of windows that are gone are dropped here; a live window's temporary stays, so
    // a pointer handed out lives at least as long as its window.
    for (auto it = m.temporary.begin(); it != m.temporary.end();) {
        if (!IsWindow(it->first)) {
            it->second->m_hWnd = nullptr;
            it = m.temporary.erase(it);
        } else {
            ++it;
        }
    }
    if (!IsWindow(hWnd)) return nullptr;
    std::unique_ptr<CWnd>& temp = m.temporary[hWnd];
    if (!temp) {
        temp = std::make_unique<CWnd>();
        temp->m_hWnd = hWnd;
    }
    return temp.get();
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    if (!pParent || !pParent->m_hWnd) return FALSE;
    return SubclassWindow(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)));
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    return afx_internal::BindWindow(this, hWnd, false) ? TRUE : FALSE;
}

HWND CWnd::UnsubclassWindow() {
    if (!m_hWnd || FromHandlePermanent(m_hWnd) != this) return nullptr;
    return afx_internal::UnbindWindow(this);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (DispatchMessageMap(message, wParam, lParam, &result)) return result;
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_hWnd) return 0;
    if (m_pfnSuper) return CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

void CWnd::PostNcDestroy() {}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
BOOL CWnd::EnableWindow(BOOL bEnable) { return ::EnableWindow(m_hWnd, bEnable); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
    return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : nullptr, x, y, cx, cy,
                          nFlags);
}

void CWnd::GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
void CWnd::GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
void CWnd::SetWindowText(const wchar_t* lpszString) { ::SetWindowTextW(m_hWnd, lpszString); }

void CWnd::GetWindowText(CString& rString) const {
    const int length = ::GetWindowTextLengthW(m_hWnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(m_hWnd, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    rString = CString(std::move(text));
}

int CWnd::GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::BringWindowToTop() { return ::BringWindowToTop(m_hWnd); }

CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }

void CWnd::SetFont(CFont* pFont, BOOL bRedraw) {
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(pFont ? pFont->GetSafeHandle() : nullptr),
                MAKELPARAM(bRedraw, 0));
}

HFONT CWnd::GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
