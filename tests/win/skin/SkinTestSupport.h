// What the skin tests share: a dialog holding one skinned control of each kind, and the skin keys
// a control published on its window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "SkinControls.h"
#include "SkinTestIds.h"

namespace skin_test {

// The record a skinned control published on its window: "SkinKey0".."SkinKeyN-1" for the
// "SkinKeyCount" N. Empty when nothing is published.
std::vector<std::int32_t> ReadSkinKeys(HWND hWnd);
// Whether any skin-key property is left on the window, also one past the published count.
bool HasSkinKeyProps(HWND hWnd, int upTo = 8);

class CTestSkinDialog : public CCommonSkinDialog {
public:
    CTestSkinDialog() : CCommonSkinDialog(IDD_SKIN_TEST, nullptr) {}
    ~CTestSkinDialog() override;

    // Creates the (hidden) window from the test template.
    bool CreateWindowFromTemplate() { return Create(IDD_SKIN_TEST, nullptr) && m_hWnd; }
    // Binds every control member to its template control.
    bool BindAll();
    // The dialog's own routing, as the window procedure calls it.
    LRESULT RouteMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        return WindowProc(message, wParam, lParam);
    }

    BOOL OnInitDialog() override;

    CSkinTabCtrl m_tab;
    CSkinListCtrl m_list;
    CSkinRadio m_radio[3];
    CSkinEdit m_edit;
    CSkinOwnerDrawButton m_button;
    CSkinStatic m_static;
    CSkinComboBox m_combo;
    CSkinGroupBox m_group;

    BOOL m_baseInitResult = FALSE;
    int m_buttonClicks = 0;
    std::function<void(WPARAM)> m_onAppMessage;  // what WM_APP does
    int* m_pDestroyed = nullptr;           // counts destructor runs

protected:
    void OnButton() { ++m_buttonClicks; }
    LRESULT OnAppMessage(WPARAM wParam, LPARAM) {
        if (m_onAppMessage) m_onAppMessage(wParam);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

}  // namespace skin_test
