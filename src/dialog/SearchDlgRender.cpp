// Drawing the session's view: the controls each view shows, enables and captions, the forms, the
// rows of both lists and where the keyboard starts.
#include "SearchDlg.h"

#include <new>

CListCtrl& CSearchDlg::ListOf(SearchTab tab) { return tab == SearchTab::Users ? m_listUser : m_listZone; }

void CSearchDlg::Render() {
    if (!GetSafeHwnd())
        return;
    const SearchViewState view = m_session.View();

    for (SearchTab tab : {SearchTab::Users, SearchTab::Zones}) {
        const int t = static_cast<int>(tab);
        // A list that could not be filled is filled again at the next drawing.
        if (m_renderedRows[t] != view.rowsVersion[t] && FillList(tab))
            m_renderedRows[t] = view.rowsVersion[t];
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

bool CSearchDlg::FillList(SearchTab tab) {
    CListCtrl& list = ListOf(tab);
    // Filling the list sends notifications that come back into this object, and they are not the
    // user's selection.
    ++m_nFilling;
    struct Filled {
        int& filling;
        ~Filled() { --filling; }
    } filled{m_nFilling};
    // Row r of the list must be row r of the session's page, or Add and View would act on
    // another record than the one the user chose: a list that cannot be filled (no memory for
    // the rows, an item the control refused) is left empty rather than with another page.
    try {
        // The rows are copied out of the session first: the notifications may re-enter it.
        const std::vector<ResultRow> rows = m_session.PageRows(tab);
        if (rows.empty() && list.GetItemCount() == 0)
            return true;
        const int columns = tab == SearchTab::Users ? 4 : 3;
        list.DeleteAllItems();
        for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
            if (list.InsertItem(r, rows[r].columns[0].c_str()) != r)
                throw std::bad_alloc();
            for (int c = 1; c < columns; ++c)
                list.SetItemText(r, c, rows[r].columns[c].c_str());
        }
        return true;
    } catch (...) {
        list.DeleteAllItems();
        ReportStopped(L"filling a result list (it is left empty until the next drawing)");
        return false;
    }
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
