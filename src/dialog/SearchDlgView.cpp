// Drawing the session's view: which controls of the two tabs and their two views are shown and
// enabled, captions, the pager, the rows and the focus; and the forms: reset, radio buttons,
// reading the criteria, the Enter/Escape filter, tab switching and Back.
#include "SearchDlg.h"
#include "SearchStrings.h"
#include "resource.h"

namespace {
// Each of these leaves a control that already is as asked alone, so drawing the same view twice
// changes nothing. Visibility is the control's own style bit: IsWindowVisible also answers false
// for every control of a hidden window.
//
// A control is shown or hidden by its position's flag rather than by ShowWindow, which also sends
// it WM_SHOWWINDOW and looks for a focus to move (these controls want neither) and costs several
// times as much. While the window itself is hidden nothing needs to be redrawn. A control that
// holds the focus is still hidden by ShowWindow, which hands the focus back to the window.
void Show(CWnd& control, bool bShow) {
    const HWND hWnd = control.GetSafeHwnd();
    const bool shown = (::GetWindowLongW(hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown == bShow)
        return;
    const HWND hFocus = ::GetFocus();
    if (!bShow && hFocus && (hFocus == hWnd || ::IsChild(hWnd, hFocus))) {
        control.ShowWindow(SW_HIDE);
        return;
    }
    UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    flags |= bShow ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
    if (!::IsWindowVisible(::GetParent(hWnd)))
        flags |= SWP_NOREDRAW;
    ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, flags);
}

void Enable(CWnd& control, bool bEnable) {
    if ((control.IsWindowEnabled() != FALSE) != bEnable)
        control.EnableWindow(bEnable);
}

// Setting a caption repaints the control even when the text is the same.
void SetText(CWnd& control, const wchar_t* text) {
    CString current;
    control.GetWindowText(current);
    if (current.str() != text)
        control.SetWindowText(text);
}

bool IsChecked(const CButton& radio) { return radio.GetCheck() == BST_CHECKED; }

std::wstring TextOf(const CWnd& edit) {
    CString text;
    edit.GetWindowText(text);
    return text.str();
}
}  // namespace

CListCtrl& CSearchDlg::ListOf(SearchTab tab) { return tab == SearchTab::Users ? m_listUser : m_listZone; }

void CSearchDlg::Render() {
    if (!GetSafeHwnd())
        return;
    const SearchViewState view = m_session.View();
    const bool users = view.front == SearchTab::Users;
    const bool form = view.view == TabView::Form;

    for (SearchTab tab : {SearchTab::Users, SearchTab::Zones}) {
        const int t = static_cast<int>(tab);
        if (m_renderedRows[t] != view.rowsVersion[t]) {
            m_renderedRows[t] = view.rowsVersion[t];
            FillList(tab);
        }
    }

    if (m_tab.GetCurSel() != static_cast<int>(view.front))
        m_tab.SetCurSel(static_cast<int>(view.front));
    Enable(m_tab, view.tabsEnabled);

    CWnd* const userFormControls[] = {&m_radioCompany, &m_radioNick, &m_radioAccount,
                                      &m_editNick, &m_editAccount, &m_editCompany};
    CWnd* const zoneFormControls[] = {&m_radioZoneById, &m_radioZoneByName, &m_staticIndustry,
                                      &m_editZoneId, &m_editZoneName, &m_comboIndustry};
    CWnd* const formControls[] = {&m_btnFind, &m_staticCriteria, &m_separator};
    CWnd* const resultControls[] = {&m_btnBack, &m_btnNextPage, &m_btnPrevPage,
                                    &m_btnAdd, &m_btnView, &m_staticPage};
    for (CWnd* pControl : userFormControls)
        Show(*pControl, users && form);
    for (CWnd* pControl : zoneFormControls)
        Show(*pControl, !users && form);
    Show(m_listUser, users && !form);
    Show(m_listZone, !users && !form);
    for (CWnd* pControl : formControls)
        Show(*pControl, form);
    for (CWnd* pControl : resultControls)
        Show(*pControl, !form);

    Enable(m_btnFind, view.findEnabled);
    Enable(m_btnBack, view.backEnabled);
    Enable(m_btnPrevPage, view.previousEnabled);
    Enable(m_btnNextPage, view.nextEnabled);
    Enable(m_btnAdd, view.addEnabled);
    Enable(m_btnView, view.viewEnabled);
    SetText(m_btnFind, view.findCaption);
    SetText(m_btnNextPage, view.nextCaption);
    SetText(m_btnAdd, view.addCaption);
    SetText(m_staticPage, view.pageLabel.c_str());

    // Whenever a view is put in front (opening, reset, Back, a tab switch, a page shown) the
    // keyboard starts where that view is worked from. Not before the window is active: the focus
    // must not pull a hidden window, or one behind the client's, in front of the user.
    if (m_renderedPresentation != view.presentation) {
        m_renderedPresentation = view.presentation;
        if (CWnd* pFocus = ViewFocusControl())
            GotoDlgCtrlWhenActive(pFocus);
    }
}

void CSearchDlg::FillList(SearchTab tab) {
    CListCtrl& list = ListOf(tab);
    // The rows are copied out of the session first: filling the list sends notifications that
    // come back into this object, and they are not the user's selection.
    const std::vector<ResultRow> rows = m_session.PageRows(tab);
    if (rows.empty() && list.GetItemCount() == 0)
        return;
    const int columns = tab == SearchTab::Users ? 4 : 3;
    ++m_nFilling;
    list.DeleteAllItems();
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        list.InsertItem(r, rows[r].columns[0].c_str());
        for (int c = 1; c < columns; ++c)
            list.SetItemText(r, c, rows[r].columns[c].c_str());
    }
    --m_nFilling;
}

CWnd* CSearchDlg::ViewFocusControl() {
    if (m_session.FrontView() == TabView::Results)
        return &ListOf(m_session.Front());
    if (m_session.Front() == SearchTab::Users) {
        if (IsChecked(m_radioCompany))
            return &m_editCompany;
        if (IsChecked(m_radioNick))
            return &m_editNick;
        if (IsChecked(m_radioAccount))
            return &m_editAccount;
        return nullptr;  // the online-users radio has no edit
    }
    if (IsChecked(m_radioZoneById))
        return &m_editZoneId;
    if (IsChecked(m_radioZoneByName))
        return &m_editZoneName;
    return nullptr;
}

SearchCriteria CSearchDlg::ReadCriteria() const {
    SearchCriteria criteria;
    criteria.byNick = IsChecked(m_radioNick);
    criteria.byAccount = IsChecked(m_radioAccount);
    criteria.byCompany = IsChecked(m_radioCompany);
    criteria.online = IsChecked(m_radioOnline);
    criteria.nick = TextOf(m_editNick);
    criteria.account = TextOf(m_editAccount);
    criteria.company = TextOf(m_editCompany);
    criteria.zoneById = IsChecked(m_radioZoneById);
    criteria.zoneByName = IsChecked(m_radioZoneByName);
    criteria.zoneIdText = TextOf(m_editZoneId);
    criteria.zoneName = TextOf(m_editZoneName);
    criteria.industryItem = m_comboIndustry.GetCurSel();
    return criteria;
}

void CSearchDlg::ResetForms() {
    // Like the view, checks, texts and the selection are only touched where they differ from the
    // defaults: a window that was just made holds most of them already.
    const auto check = [](CButton& radio, int state) {
        if (radio.GetCheck() != state)
            radio.SetCheck(state);
    };
    const auto clear = [](CSkinEdit& edit) {
        if (edit.GetWindowTextLength() != 0)
            edit.SetWindowTextW(L"");
    };
    check(m_radioCompany, BST_CHECKED);
    check(m_radioOnline, BST_UNCHECKED);
    check(m_radioNick, BST_UNCHECKED);
    check(m_radioAccount, BST_UNCHECKED);
    // The company edit keeps what was typed in it.
    clear(m_editNick);
    clear(m_editAccount);

    m_editZoneId.EnableEdit(TRUE);
    m_editZoneName.EnableEdit(FALSE);
    Enable(m_comboIndustry, false);
    m_editCompany.EnableEdit(TRUE);
    m_editNick.EnableEdit(FALSE);
    m_editAccount.EnableEdit(FALSE);

    check(m_radioZoneById, BST_CHECKED);
    check(m_radioZoneByName, BST_UNCHECKED);
    clear(m_editZoneId);
    clear(m_editZoneName);
    if (m_comboIndustry.GetCount() > 0 && m_comboIndustry.GetCurSel() != 0)
        m_comboIndustry.SetCurSel(0);
}

void CSearchDlg::ResetWhenFirstShown(bool bUserTab) {
    m_resetWhenShown = bUserTab ? SearchTab::Users : SearchTab::Zones;
}

LRESULT CSearchDlg::OnShowWindow(WPARAM wParam, LPARAM lParam) {
    // Sent before the window becomes visible: what is drawn now is what the user first sees.
    if (wParam && m_resetWhenShown)
        ResetSearch(true, *m_resetWhenShown == SearchTab::Users);  // once: ResetSearch clears it
    return DefWindowProc(WM_SHOWWINDOW, wParam, lParam);
}

void CSearchDlg::ResetSearch(bool bReset, bool bUserTab) {
    m_resetWhenShown.reset();
    if (bReset) {
        m_session.Reset(bUserTab ? SearchTab::Users : SearchTab::Zones);
        ResetForms();
    } else {
        m_session.Present();
    }
    Render();
}

void CSearchDlg::OnBack() {
    m_session.Back();
    Render();
}

void CSearchDlg::OnTabSelChange(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    // A tab control with no selection answers -1; stay on a real tab. A switch the session
    // refuses (a query is out) is put back by the render.
    const int tab = m_tab.GetCurSel();
    m_session.SwitchTab(tab == 1 ? SearchTab::Zones : SearchTab::Users);
    Render();
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
        // Enter in a form runs Find (which does nothing while a query is out); on the list of a
        // result view it views the selected row, as View does; anywhere else it does nothing.
        if (m_session.FrontView() == TabView::Form)
            PostMessage(WM_COMMAND, IDC_BTN_FIND, 0);
        else if (pMsg->hwnd == ListOf(m_session.Front()).GetSafeHwnd())
            PostMessage(WM_COMMAND, IDC_BTN_VIEW, 0);
        return TRUE;
    }
    return CCommonSkinDialog::PreTranslateMessage(pMsg);
}
