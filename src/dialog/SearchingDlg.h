// The small "please wait" dialog. The search window owns one; nothing creates its window today,
// but the class is complete and behaves as a waiting box whenever it is shown.
#pragma once

#include "SkinControls.h"

class CSearchingDlg : public CCommonSkinDialog {
    DECLARE_DYNAMIC(CSearchingDlg)
public:
    explicit CSearchingDlg(CWnd* pParent = nullptr);
    ~CSearchingDlg() override;

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnInitDialog() override;

protected:
    // Swallowed: the box cannot be closed from its title bar or the system close key.
    void OnClose();

    DECLARE_MESSAGE_MAP()
};
