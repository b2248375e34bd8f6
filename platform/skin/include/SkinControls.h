// The client's skinned-controls library: the skinned dialog base and controls, and their skin-key
// records. A control behaves as the platform control of its kind; its skin keys select how the
// client's skin draws it.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "Framework.h"

// The second interface every skinned dialog carries.
class CSkinUI {
public:
    virtual ~CSkinUI() = default;
    virtual void UpdateUI() = 0;
};

// A skinned dialog draws every label (static text, radio button, check box, group box) on the
// background it sits on: a label over a tab control's page gets the page's own background, not the
// dialog's, whatever the desktop's theme paints there.
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

private:
    // A picture of a tab control as a pattern brush, for the labels and buttons that lie on its page.
    class CTabPageBrush {
    public:
        CTabPageBrush() = default;
        ~CTabPageBrush() { Reset(); }
        CTabPageBrush(const CTabPageBrush&) = delete;
        CTabPageBrush& operator=(const CTabPageBrush&) = delete;

        // The brush for a label of this dialog, lined up in hdc with the label's window; null when
        // the label does not lie on a tab control.
        HBRUSH ForLabel(HWND hWndDlg, HWND hWndLabel, HDC hdc);
        // Forgets the picture (the theme, the colours or the DPI changed) and which labels lie on a
        // tab control; ForgetLayout only the latter (the dialog is laid out or shown anew).
        void Reset();
        void ForgetLayout() { m_tabOfLabel.clear(); }

    private:
        HWND TabUnder(HWND hWndDlg, HWND hWndLabel);
        bool Paint(HWND hWndTab);

        // Which tab control each label that asked lies on (null: none). Labels only move when the
        // dialog is laid out again, so this is decided once per label and layout, not per paint:
        // buttons repaint on every selection that enables or disables them.
        std::vector<std::pair<HWND, HWND>> m_tabOfLabel;

        HWND m_hWndTab = nullptr;
        SIZE m_size = {0, 0};
        int m_nSelected = -1;
        HBITMAP m_hBitmap = nullptr;
        HBRUSH m_hBrush = nullptr;
    };
    CTabPageBrush m_tabPageBrush;
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
public:
    void Keep(CWnd& control, const std::int32_t* fields, int count);
    void Publish(CWnd& control) const;
    static void Withdraw(CWnd& control);

private:
    std::int32_t m_fields[8] = {};
    int m_count = 0;
};

// The platform control Base, with a skin record published on its window.
template <class Base>
class CSkinKeyedControl : public Base {
public:
    ~CSkinKeyedControl() override { CSkinKeyHolder::Withdraw(*this); }

    // A record set before binding is published as soon as the control has its window.
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent) {
        if (!Base::SubclassDlgItem(nID, pParent)) return FALSE;
        m_skinKey.Publish(*this);
        return TRUE;
    }

protected:
    void KeepSkinKey(const std::int32_t* fields, int count) { m_skinKey.Keep(*this, fields, count); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_NCDESTROY) CSkinKeyHolder::Withdraw(*this);
        return Base::WindowProc(message, wParam, lParam);
    }

private:
    CSkinKeyHolder m_skinKey;
};

class CSkinListCtrl : public CListCtrl {};

class CSkinRadio : public CButton {};

class CSkinEdit : public CEdit {
public:
    // Enables or disables the edit for input and draws it accordingly.
    virtual void EnableEdit(BOOL bEnable);
    void SetWindowTextW(const wchar_t* lpszString);
};

class CSkinTabCtrl : public CSkinKeyedControl<CTabCtrl> {
public:
    struct SkinTabCtrlInfo {
        SkinTabCtrlInfo();
        std::int32_t nBackground;
        std::int32_t nItemNormal;
        std::int32_t nItemSelected;
        std::int32_t nBorder;
    };
    void SetSkinKey(SkinTabCtrlInfo info);
};

class CSkinOwnerDrawButton : public CButton {};

class CSkinStatic : public CSkinKeyedControl<CStatic> {
public:
    struct SkinStaticInfo {
        SkinStaticInfo();
        std::int32_t nBackground;
        std::int32_t nText;
    };
    void SetSkinKey(SkinStaticInfo info);
};

class CSkinComboBox : public CSkinKeyedControl<CComboBox> {
public:
    struct SkinComboBoxInfo {
        SkinComboBoxInfo();
        std::int32_t nFrame;
        std::int32_t nButton;
        std::int32_t nList;
    };
    void SetSkinKey(SkinComboBoxInfo info);
};

class CSkinGroupBox : public CSkinKeyedControl<CButton> {
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
    void SetSkinKey(SkinGroupBoxInfo info);
};
