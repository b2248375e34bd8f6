// What the user asks of the window: a reset, Find, the page buttons, Back and the tabs. Each hands
// the forms or the request to the session, shows the box it answers with, and draws what follows.
#include "SearchDlg.h"
#include "SkinMessageBox.h"

void CSearchDlg::ResetWhenFirstShown(bool bUserTab) {
    m_resetWhenShown = bUserTab ? SearchTab::Users : SearchTab::Zones;
}

LRESULT CSearchDlg::OnShowWindow(WPARAM wParam, LPARAM lParam) {
    if (wParam)
        m_bClosed = false;
    // Sent before the window becomes visible: what is drawn now is what the user first sees.
    if (wParam && m_resetWhenShown)
        ResetSearch(true, *m_resetWhenShown == SearchTab::Users);  // once: ResetSearch clears it
    return DefWindowProc(WM_SHOWWINDOW, wParam, lParam);
}

void CSearchDlg::ResetSearch(bool bReset, bool bUserTab) {
    m_resetWhenShown.reset();
    if (bReset)
        m_session.Reset(bUserTab ? SearchTab::Users : SearchTab::Zones);
    else
        m_session.Present();
    Render();
}

void CSearchDlg::OnFind() {
    const std::optional<SearchBox> box = m_session.Find(ReadCriteria());
    Render();
    if (ShowBox(box))
        Render();
}

void CSearchDlg::OnNextPage() {
    // Past the cache the same query goes out again, read afresh from the hidden form.
    const std::optional<SearchBox> box = m_session.NextPage(ReadCriteria());
    Render();
    if (ShowBox(box))
        Render();
}

void CSearchDlg::OnPrevPage() {
    m_session.PreviousPage();
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

bool CSearchDlg::ShowBox(const std::optional<SearchBox>& box) {
    if (!box)
        return false;
    return CallHoldingReplies([&] { SkinMessageBox(box->text, box->caption, 0); });
}
