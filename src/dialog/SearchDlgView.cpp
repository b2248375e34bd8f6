// View states: which controls of the two tabs and their two views are shown and enabled, the
// pager, reset, tab switching, Back, the radio buttons and the Enter/Escape filter.
#include "SearchDlg.h"
#include "SearchStrings.h"
#include "resource.h"

namespace {
void Show(CWnd& control, bool bShow) { control.ShowWindow(bShow ? SW_SHOW : SW_HIDE); }
}  // namespace

void CSearchDlg::UpdateControls() {
    const int mode = m_nViewMode[m_nCurTab];
    const bool userForm = m_nCurTab == 0 && m_nViewMode[0] == 0;
    const bool zoneForm = m_nCurTab == 1 && m_nViewMode[1] == 0;

    CWnd* const userFormControls[] = {&m_radioCompany, &m_radioNick, &m_radioAccount,
                                      &m_editNick, &m_editAccount, &m_editCompany};
    CWnd* const zoneFormControls[] = {&m_radioZoneById, &m_radioZoneByName, &m_staticIndustry,
                                      &m_editZoneId, &m_editZoneName, &m_comboIndustry};
    CWnd* const formControls[] = {&m_btnFind, &m_staticCriteria, &m_separator};
    CWnd* const resultControls[] = {&m_btnBack, &m_btnNextPage, &m_btnPrevPage,
                                    &m_btnAdd, &m_btnView, &m_staticPage};

    for (CWnd* pControl : userFormControls)
        Show(*pControl, userForm);
    for (CWnd* pControl : zoneFormControls)
        Show(*pControl, zoneForm);
    Show(m_listUser, m_nCurTab == 0 && m_nViewMode[0] == 1);
    Show(m_listZone, m_nCurTab == 1 && m_nViewMode[1] == 1);
    for (CWnd* pControl : formControls)
        Show(*pControl, mode == 0);
    for (CWnd* pControl : resultControls)
        Show(*pControl, mode == 1);
    m_btnFind.EnableWindow(mode == 0);
    m_btnBack.EnableWindow(mode != 0);

    // Whenever a view is decided (opening, reset, Back, a tab switch, a page shown) the keyboard
    // starts where that view is worked from. Not before the window is active: the focus must not
    // pull a hidden window, or one behind the client's, in front of the user.
    if (CWnd* pFocus = ViewFocusControl())
        GotoDlgCtrlWhenActive(pFocus);
}

CWnd* CSearchDlg::ViewFocusControl() {
    if (m_nViewMode[m_nCurTab] == 1)
        return m_pList[m_nCurTab];
    if (m_nCurTab == 0) {
        if (m_radioCompany.GetCheck() == BST_CHECKED)
            return &m_editCompany;
        if (m_radioNick.GetCheck() == BST_CHECKED)
            return &m_editNick;
        if (m_radioAccount.GetCheck() == BST_CHECKED)
            return &m_editAccount;
        return nullptr;  // the online-users radio has no edit
    }
    if (m_radioZoneById.GetCheck() == BST_CHECKED)
        return &m_editZoneId;
    if (m_radioZoneByName.GetCheck() == BST_CHECKED)
        return &m_editZoneName;
    return nullptr;
}

void CSearchDlg::UpdatePageControls() {
    const int t = m_nCurTab;
    const PagerState pager = WithResults(t, [](auto& results) { return results.Pager(); });

    if (!pager.hasRecords) {
        m_btnPrevPage.EnableWindow(FALSE);
        m_staticPage.SetWindowText(search_text::kNoRecords);
    } else {
        m_btnPrevPage.EnableWindow(pager.previous);
        CString label;
        label.Format(search_text::kPageFormat, pager.pageNumber);
        m_staticPage.SetWindowText(label);
    }

    const bool selected = m_pList[t]->GetSelectedCount() != 0;
    m_btnAdd.EnableWindow(selected);
    m_btnView.EnableWindow(selected);

    m_btnNextPage.EnableWindow(pager.next);

    m_btnAdd.SetWindowText(t == 0 ? search_text::kAddFriend : search_text::kJoinZone);

    // An account names one user: there is never a next page.
    if (t == 0 && m_radioAccount.GetCheck() == BST_CHECKED)
        m_btnNextPage.EnableWindow(FALSE);
}

void CSearchDlg::ResetSearch(bool bReset, bool bUserTab) {
    if (bReset) {
        m_nCurTab = bUserTab ? 0 : 1;
        // Every query in flight is abandoned with the results: its reply, wherever it is, changes
        // nothing, and the window is not busy any more.
        AbandonAllSearches();
        m_userResults.SetShown(m_nCurTab == 0);
        m_zoneResults.SetShown(m_nCurTab == 1);
        m_listUser.DeleteAllItems();
        m_listZone.DeleteAllItems();
        m_nViewMode[0] = m_nViewMode[1] = 0;
        m_tab.SetCurSel(m_nCurTab);

        m_btnFind.EnableWindow(TRUE);
        m_btnBack.EnableWindow(FALSE);
        EndBusyState();

        m_radioCompany.SetCheck(BST_CHECKED);
        m_radioOnline.SetCheck(BST_UNCHECKED);
        m_radioNick.SetCheck(BST_UNCHECKED);
        m_radioAccount.SetCheck(BST_UNCHECKED);
        m_editNick.SetWindowTextW(L"");
        m_editAccount.SetWindowTextW(L"");

        m_editZoneId.EnableEdit(TRUE);
        m_editZoneName.EnableEdit(FALSE);
        m_comboIndustry.EnableWindow(FALSE);
        m_editCompany.EnableEdit(TRUE);
        m_editNick.EnableEdit(FALSE);
        m_editAccount.EnableEdit(FALSE);

        m_radioZoneById.SetCheck(BST_CHECKED);
        m_radioZoneByName.SetCheck(BST_UNCHECKED);
        m_editZoneId.SetWindowTextW(L"");
        m_editZoneName.SetWindowTextW(L"");
        if (m_comboIndustry.GetCount() > 0)
            m_comboIndustry.SetCurSel(0);
    }
    UpdateControls();
}

void CSearchDlg::OnBack() {
    const int t = m_nCurTab;
    // Back belongs to the result view; in a form it is hidden and disabled, and a stray command
    // must not abandon a search that was just sent from that form.
    if (m_nViewMode[t] == 0)
        return;
    m_nViewMode[t] = 0;
    // Back may come while a re-query is out: the search ends here, whatever it still sends.
    AbandonSearch(t);
    m_btnFind.EnableWindow(TRUE);
    m_btnBack.EnableWindow(FALSE);
    m_pList[t]->DeleteAllItems();
    UpdateControls();
    EndBusyState();
}

void CSearchDlg::OnTabSelChange(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    if (QueryInFlight()) {
        // The tab control is disabled while a query is out; a switch forced past that (or a
        // notification nobody's click made) puts the selection back: the answer belongs in front.
        m_tab.SetCurSel(m_nCurTab);
        return;
    }
    const int tab = m_tab.GetCurSel();
    // A tab control with no selection answers -1; stay on a real tab.
    m_nCurTab = tab == 1 ? 1 : 0;
    m_userResults.SetShown(m_nCurTab == 0);
    m_zoneResults.SetShown(m_nCurTab == 1);
    UpdateControls();
    if (m_nViewMode[m_nCurTab] == 1)
        UpdatePageControls();
}

void CSearchDlg::OnUserRadio(UINT) {
    m_editNick.EnableEdit(m_radioNick.GetCheck());
    m_editAccount.EnableEdit(m_radioAccount.GetCheck());
    m_editCompany.EnableEdit(m_radioCompany.GetCheck());
}

void CSearchDlg::OnZoneRadio(UINT) {
    m_editZoneId.EnableEdit(m_radioZoneById.GetCheck());
    m_editZoneName.EnableEdit(m_radioZoneByName.GetCheck());
    m_comboIndustry.EnableWindow(m_radioZoneByName.GetCheck());
}

BOOL CSearchDlg::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE)
        return TRUE;  // Escape never closes the window
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN) {
        // Enter in a form runs Find (which does nothing while a query is out); in a result view
        // it does nothing.
        if (m_nViewMode[m_nCurTab] == 0)
            PostMessage(WM_COMMAND, IDC_BTN_FIND, 0);
        return TRUE;
    }
    return CCommonSkinDialog::PreTranslateMessage(pMsg);
}
