// Drawing the session's view: the controls each view shows, enables and captions, the forms, the
// rows of both lists and where the keyboard starts.
#include "SearchDlg.h"

CListCtrl& CSearchDlg::ListOf(SearchTab tab) { return tab == SearchTab::Users ? m_listUser : m_listZone; }

void CSearchDlg::Render() {
    if (!GetSafeHwnd())
        return;
    const SearchViewState view = m_session.View();

    for (SearchTab tab : {SearchTab::Users, SearchTab::Zones}) {
        const int t = static_cast<int>(tab);
        if (m_renderedRows[t] != view.rowsVersion[t]) {
            m_renderedRows[t] = view.rowsVersion[t];
            FillList(tab);
        }
    }
    const bool reset = m_renderedFormsReset != view.formsReset;
    if (reset) {
        m_renderedFormsReset = view.formsReset;
        ResetForms(view);
    }
    if (reset || m_renderedChecked != view.checked) {
        m_renderedChecked = view.checked;
        EnableFormInputs(view);
    }

    if (m_tab.GetCurSel() != static_cast<int>(view.front))
        m_tab.SetCurSel(static_cast<int>(view.front));
    ShowControlsOf(view);

    // Not before the window is active: the focus must not pull a hidden window, or one behind the
    // client's, in front of the user.
    if (m_renderedFocusMoves != view.focusMoves) {
        m_renderedFocusMoves = view.focusMoves;
        if (CWnd* pFocus = FocusControl(view.focus))
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

CWnd* CSearchDlg::FocusControl(const ViewFocus& focus) {
    switch (focus.on) {
    case ViewFocus::On::List:
        return &ListOf(m_session.Front());
    case ViewFocus::On::Edit:
        for (const FormRow& form : kForms) {
            if (form.by == focus.edit && form.edit)
                return &(this->*form.edit);
        }
        break;
    case ViewFocus::On::Nothing:
        break;
    }
    return nullptr;
}
