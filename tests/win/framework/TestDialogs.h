// Dialog classes the framework tests drive: a skinned-base stand-in that declares its own map
// (as the skin library's dialog base does) and a dialog that records what reached it.
#pragma once

#include <string>
#include <vector>

#include "Framework.h"
#include "FrameworkTestIds.h"

inline constexpr UINT WM_TEST_PRIVATE = WM_APP + 5;
inline constexpr UINT WM_TEST_THROW = WM_APP + 6;

// A base with a second interface and its own map, like a skinned dialog base.
class CTestUI {
public:
    virtual ~CTestUI() = default;
    virtual void UpdateUI() {}
};

class CBaseLikeDialog : public CDialog, public CTestUI {
public:
    explicit CBaseLikeDialog(UINT nIDTemplate) : CDialog(nIDTemplate) {}

    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;

    std::vector<std::wstring> log;

protected:
    void OnBaseFind() { log.push_back(L"base:find"); }
    void OnBaseOnly() { log.push_back(L"base:second"); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        return CDialog::WindowProc(message, wParam, lParam);
    }
};

class CRecordingDialog : public CBaseLikeDialog {
public:
    CRecordingDialog() : CBaseLikeDialog(IDD_FORM) {}

    bool swallowEscape = false;
    bool initReturn = TRUE;
    int initCalls = 0;
    int cancelCalls = 0;
    int postNcDestroyCalls = 0;
    LRESULT notifyResult = 0;
    std::vector<UINT> preTranslatedMessages;
    std::vector<std::wstring>* order = nullptr;

    BOOL OnInitDialog() override {
        ++initCalls;
        CBaseLikeDialog::OnInitDialog();
        return initReturn;
    }
    void OnCancel() override {
        ++cancelCalls;
        CBaseLikeDialog::OnCancel();
    }
    BOOL PreTranslateMessage(MSG* pMsg) override {
        preTranslatedMessages.push_back(pMsg->message);
        if (order) order->push_back(L"dialog");
        if (swallowEscape && pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) return TRUE;
        return CBaseLikeDialog::PreTranslateMessage(pMsg);
    }

protected:
    void PostNcDestroy() override { ++postNcDestroyCalls; }

    // Protected handlers: the map reaches them as a member of the class.
    void OnFind() { log.push_back(L"derived:find"); }
    void OnRadio(UINT id) { log.push_back(L"radio:" + std::to_wstring(id)); }
    void OnTabSelChanging(NMHDR* header, LRESULT* result) {
        log.push_back(L"tab:changing:" + std::to_wstring(header->idFrom));
        *result = notifyResult;
    }
    void OnTabSelChange(NMHDR*, LRESULT* result) {
        log.push_back(L"tab:change");
        *result = 0;
    }
    LRESULT OnPrivate(WPARAM wParam, LPARAM lParam) {
        log.push_back(L"private");
        return static_cast<LRESULT>(wParam * 100 + lParam);
    }
    LRESULT OnThrow(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()
};

// A dialog whose close box does nothing.
class CStubbornDialog : public CDialog {
public:
    CStubbornDialog() : CDialog(IDD_PLAIN) {}
    int closeCalls = 0;

private:
    void OnClose() { ++closeCalls; }
    DECLARE_MESSAGE_MAP()
};

// A control wrapper that counts its pre-translation and its last message.
class CCountingWnd : public CWnd {
public:
    int preTranslateCalls = 0;
    int postNcDestroyCalls = 0;
    std::vector<std::wstring>* order = nullptr;
    BOOL PreTranslateMessage(MSG*) override {
        ++preTranslateCalls;
        if (order) order->push_back(L"control");
        return FALSE;
    }

protected:
    void PostNcDestroy() override { ++postNcDestroyCalls; }
};
