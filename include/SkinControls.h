// The client's skinned-controls library: the skinned dialog base and controls, and their skin-key
// records. A control behaves as the platform control of its kind; its skin keys select how the
// client's skin draws it.
#pragma once

#include <cstdint>

#include "Framework.h"

// The second interface every skinned dialog carries.
class CSkinUI {
public:
    virtual ~CSkinUI() = default;
    virtual void UpdateUI() = 0;
};

class CSkinDialog : public CDialog, public CSkinUI {
public:
    CSkinDialog(UINT nIDTemplate, CWnd* pParent);
    ~CSkinDialog() override;

    BOOL OnInitDialog() override;
    void UpdateUI() override;  // redraws the dialog and its controls

    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class CCommonSkinDialog : public CSkinDialog {
public:
    CCommonSkinDialog(UINT nIDTemplate, CWnd* pParent);
    ~CCommonSkinDialog() override;
};

// What a default-constructed skin record holds in every field: the skin's own image for that part.
constexpr std::int32_t SKIN_KEY_DEFAULT = -1;

// A control that keeps its skin record and publishes it on its window, once it has one, as the
// window properties "SkinKeyCount" and "SkinKey0", "SkinKey1", ... (each an int32 in a HANDLE).
// The properties leave the window with its last message (WM_NCDESTROY), or with the control object
// if that goes first.
class CSkinKeyHolder {
protected:
    void KeepSkinKey(CWnd& control, const std::int32_t* fields, int count);
    void PublishSkinKey(CWnd& control) const;
    static void WithdrawSkinKey(CWnd& control);

private:
    std::int32_t m_fields[8] = {};
    int m_count = 0;
};

class CSkinListCtrl : public CListCtrl {};

class CSkinRadio : public CButton {};

class CSkinEdit : public CEdit {
public:
    // Enables or disables the edit for input and draws it accordingly.
    virtual void EnableEdit(BOOL bEnable);
    void SetWindowTextW(const wchar_t* lpszString);
};

class CSkinTabCtrl : public CTabCtrl, public CSkinKeyHolder {
public:
    struct SkinTabCtrlInfo {
        SkinTabCtrlInfo();
        std::int32_t nBackground;
        std::int32_t nItemNormal;
        std::int32_t nItemSelected;
        std::int32_t nBorder;
    };
    ~CSkinTabCtrl() override;
    void SetSkinKey(SkinTabCtrlInfo info);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class CSkinOwnerDrawButton : public CButton {};

class CSkinStatic : public CStatic, public CSkinKeyHolder {
public:
    struct SkinStaticInfo {
        SkinStaticInfo();
        std::int32_t nBackground;
        std::int32_t nText;
    };
    ~CSkinStatic() override;
    void SetSkinKey(SkinStaticInfo info);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class CSkinComboBox : public CComboBox, public CSkinKeyHolder {
public:
    struct SkinComboBoxInfo {
        SkinComboBoxInfo();
        std::int32_t nFrame;
        std::int32_t nButton;
        std::int32_t nList;
    };
    ~CSkinComboBox() override;
    void SetSkinKey(SkinComboBoxInfo info);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class CSkinGroupBox : public CButton, public CSkinKeyHolder {
public:
    struct SkinGroupBoxInfo {
        SkinGroupBoxInfo();
        std::int32_t nTitle;
        std::int32_t nTopLeft;
        std::int32_t nTopRight;
        std::int32_t nBottomLeft;
        std::int32_t nBottomRight;
        std::int32_t nEdge;
    };
    ~CSkinGroupBox() override;
    void SetSkinKey(SkinGroupBoxInfo info);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
