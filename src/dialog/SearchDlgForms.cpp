// The two criteria forms: read as the user left them, put back to their defaults at a reset, the
// inputs of the radio checked enabled, and the keys a form answers.
#include "SearchDlg.h"
#include "resource.h"

namespace {
bool IsChecked(const CButton& radio) { return radio.GetCheck() == BST_CHECKED; }

std::wstring TextOf(const CWnd& edit) {
    CString text;
    edit.GetWindowText(text);
    return text.str();
}
}  // namespace

SearchCriteria CSearchDlg::ReadCriteria() const {
    SearchCriteria criteria;
    for (const FormRow& form : kForms) {
        const int by = static_cast<int>(form.by);
        criteria.checked[by] = IsChecked(this->*form.radio);
        if (form.edit)
            criteria.text[by] = TextOf(this->*form.edit);
    }
    criteria.industryItem = m_comboIndustry.GetCurSel();
    return criteria;
}

// Any notification of a radio: the session hears which radio of the tab reads checked now.
void CSearchDlg::OnUserRadio(UINT) { OnFormRadio(SearchTab::Users); }

void CSearchDlg::OnZoneRadio(UINT) { OnFormRadio(SearchTab::Zones); }

void CSearchDlg::OnFormRadio(SearchTab tab) {
    std::optional<SearchBy> checked;
    for (const FormRow& form : kForms) {
        if (!checked && FormOf(form.by).tab == tab && IsChecked(this->*form.radio))
            checked = form.by;
    }
    m_session.Choose(tab, checked);
    Render();
}

void CSearchDlg::ResetForms(const SearchViewState& view) {
    // Checks, texts and the selection are only touched where they differ from the defaults: a
    // window that was just made holds most of them already.
    for (const FormRow& form : kForms) {
        CButton& radio = this->*form.radio;
        const int check = view.checked[static_cast<int>(FormOf(form.by).tab)] == form.by ? BST_CHECKED : BST_UNCHECKED;
        if (radio.GetCheck() != check)
            radio.SetCheck(check);
        if (form.edit && !FormOf(form.by).keepsTextOnReset && (this->*form.edit).GetWindowTextLength() != 0)
            (this->*form.edit).SetWindowTextW(L"");
    }
    // Item 0: any industry.
    if (m_comboIndustry.GetCount() > 0 && m_comboIndustry.GetCurSel() != 0)
        m_comboIndustry.SetCurSel(0);
}

// Only the inputs of the radio checked take input; the industry box goes with the name's edit.
void CSearchDlg::EnableFormInputs(const SearchViewState& view) {
    for (const FormRow& form : kForms) {
        if (form.edit)
            (this->*form.edit).EnableEdit(view.checked[static_cast<int>(FormOf(form.by).tab)] == form.by);
    }
    Enable(m_comboIndustry, view.checked[static_cast<int>(SearchTab::Zones)] == SearchBy::ZoneName);
}

BOOL CSearchDlg::PreTranslateMessage(MSG* pMsg) {
    // The industry list, dropped, asks for Enter and Escape itself (they take the item or close the
    // list); the dialog manager hands them over.
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_ESCAPE || pMsg->wParam == VK_RETURN) &&
        m_comboIndustry.GetSafeHwnd() && m_comboIndustry.SendMessage(CB_GETDROPPEDSTATE) &&
        (pMsg->hwnd == m_comboIndustry.GetSafeHwnd() || ::IsChild(m_comboIndustry.GetSafeHwnd(), pMsg->hwnd)))
        return CCommonSkinDialog::PreTranslateMessage(pMsg);
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE)
        return TRUE;  // Escape never closes the window
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN) {
        // Find (which does nothing while a query is out), or View when the key comes to the list.
        const SearchViewState view = m_session.View();
        if (view.enter == EnterKey::Find)
            PostMessage(WM_COMMAND, IDC_BTN_FIND, 0);
        else if (pMsg->hwnd == ListOf(view.front).GetSafeHwnd())
            ViewWhenDispatched();
        return TRUE;
    }
    return CCommonSkinDialog::PreTranslateMessage(pMsg);
}
