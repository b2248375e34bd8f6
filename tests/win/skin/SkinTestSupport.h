// What the skin tests share: a dialog holding one skinned control of each kind, a bounded message
// pump, and a watcher that reads and closes real message boxes.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "SkinControls.h"
#include "SkinTestIds.h"

namespace skin_test {

// Dispatches queued messages until none is left or the timeout passes; false on timeout.
bool PumpUntilIdle(std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));

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
    std::function<void()> m_onAppMessage;  // what WM_APP does
    int* m_pDestroyed = nullptr;           // counts destructor runs

protected:
    void OnButton() { ++m_buttonClicks; }
    LRESULT OnAppMessage(WPARAM, LPARAM) {
        if (m_onAppMessage) m_onAppMessage();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

struct SeenMessageBox {
    std::wstring text;
    std::wstring caption;
    HWND owner = nullptr;
    bool ownerEnabled = true;  // while the box was up
};

// While it lives, every message box this thread activates is recorded and closed with `button`.
// A box still up after the deadline is closed too, and counted in timedOut.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(int button = IDOK,
                               std::chrono::milliseconds deadline = std::chrono::milliseconds(5000));
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    std::vector<SeenMessageBox> seen;
    int timedOut = 0;

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK OnDeadline(HWND, UINT, UINT_PTR, DWORD);

    HHOOK m_hook;
    UINT_PTR m_timer;
    int m_button;
};

}  // namespace skin_test
