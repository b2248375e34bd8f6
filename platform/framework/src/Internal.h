// Shared by the framework's sources: the window binding and the per-thread pre-translation hook.
#pragma once

#include "Framework.h"

namespace afx_internal {

// Binds a wrapper to a window and routes the window's messages through it. bDialog counts the
// window towards its thread's pre-translation hook.
bool BindWindow(CWnd* pWnd, HWND hWnd, bool bDialog);
// Lets go of the window: restores its procedure where ours is still the one installed, forgets the
// handle and, for a dialog, releases its share of the hook. Returns the handle it held.
HWND UnbindWindow(CWnd* pWnd);

// Records the exception a handler threw at the Win32 boundary.
void KeepWndProcException() noexcept;

// The walk from the message's window up to its top-level window, innermost first.
BOOL PreTranslateChain(MSG* pMsg);

}  // namespace afx_internal

// Reaches CWnd's protected virtuals from the framework's procedures.
struct CWndAccess {
    static LRESULT WindowProc(CWnd* w, UINT m, WPARAM wp, LPARAM lp) { return w->WindowProc(m, wp, lp); }
    static void PostNcDestroy(CWnd* w) { w->PostNcDestroy(); }
    static WNDPROC& Super(CWnd* w) { return w->m_pfnSuper; }
};
