#include "SkinControls.h"

#include "SkinCurrentDialog.h"

namespace {
// The innermost scope's dialog; each scope keeps the one it hid, so the chain of scopes on the
// stack is the stack of dialogs.
thread_local CSkinDialog* t_pCurrentDialog = nullptr;
}  // namespace

CSkinDialogScope::CSkinDialogScope(CSkinDialog* dialog) : m_pPrevious(t_pCurrentDialog) {
    t_pCurrentDialog = dialog;
}

CSkinDialogScope::~CSkinDialogScope() { t_pCurrentDialog = m_pPrevious; }

HWND GetCurrentSkinDialogWindow() {
    // The handle is null once the dialog's window has gone (its last message clears it).
    HWND hWnd = t_pCurrentDialog ? t_pCurrentDialog->GetSafeHwnd() : nullptr;
    return hWnd && ::IsWindow(hWnd) ? hWnd : nullptr;
}

CSkinDialog::CSkinDialog(UINT nIDTemplate, CWnd* pParent) : CDialog(nIDTemplate, pParent) {}

CSkinDialog::~CSkinDialog() = default;

BOOL CSkinDialog::OnInitDialog() { return CDialog::OnInitDialog(); }

void CSkinDialog::UpdateUI() {
    if (!m_hWnd) return;
    ::RedrawWindow(m_hWnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// Written out rather than through BEGIN_MESSAGE_MAP: an empty map would leave the macro's
// ThisClass alias unused.
const AFX_MSGMAP* CSkinDialog::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP messageMap = {&CDialog::GetThisMessageMap, &entries[0]};
    return &messageMap;
}

const AFX_MSGMAP* CSkinDialog::GetMessageMap() const { return GetThisMessageMap(); }

LRESULT CSkinDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    CSkinDialogScope scope(this);
    return CDialog::WindowProc(message, wParam, lParam);
}

CCommonSkinDialog::CCommonSkinDialog(UINT nIDTemplate, CWnd* pParent)
    : CSkinDialog(nIDTemplate, pParent) {}

CCommonSkinDialog::~CCommonSkinDialog() = default;
