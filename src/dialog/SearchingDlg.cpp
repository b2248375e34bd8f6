#include "SearchingDlg.h"

#include "ModuleLookup.h"
#include "resource.h"

// Reports the platform dialog as its base, not the skinned one: callers only ever ask whether it
// is a dialog.
IMPLEMENT_DYNAMIC(CSearchingDlg, CDialog)

BEGIN_MESSAGE_MAP(CSearchingDlg, CCommonSkinDialog)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

CSearchingDlg::CSearchingDlg(CWnd* pParent) : CCommonSkinDialog(IDD_SEARCHING_DIALOG, pParent) {}

CSearchingDlg::~CSearchingDlg() = default;

BOOL CSearchingDlg::OnInitDialog() {
    CSkinDialog::OnInitDialog();
    // The icon lives in the module's own file, whichever module runs this code.
    HICON hIcon = ::LoadIconW(ThisModule(), MAKEINTRESOURCEW(IDI_SEARCH));
    SetIcon(hIcon, FALSE);
    SetIcon(hIcon, TRUE);
    return TRUE;
}

BOOL CSearchingDlg::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_ESCAPE || pMsg->wParam == VK_RETURN))
        return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}

void CSearchingDlg::OnClose() {}
