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
    // The box waits until the window stands on the screen.
    if (wParam && m_keptBox)
        PostMessage(WM_SEARCH_KEPT_BOX, 0, 0);
    return DefWindowProc(WM_SHOWWINDOW, wParam, lParam);
}

LRESULT CSearchDlg::OnKeptBox(WPARAM, LPARAM) {
    if (IsWindowVisible() && m_keptBox) {
        const std::optional<SearchBox> box = std::move(m_keptBox);
        m_keptBox.reset();
        ShowOutcome(box);
    }
    return 0;
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
    if (PostponeWhileClientCalls(Gesture::Find))
        return;
    ShowOutcome(m_session.Find(ReadCriteria()));
}

void CSearchDlg::OnNextPage() {
    // Within the cache the page turns at once; only a query waits for the client's call.
    if (!m_session.NextFromCache() && PostponeWhileClientCalls(Gesture::NextPage))
        return;
    // Past the cache the same query goes out again, read afresh from the hidden form.
    ShowOutcome(m_session.NextPage(ReadCriteria()));
}

void CSearchDlg::ShowOutcome(const std::optional<SearchBox>& box) {
    Render();
    if (ShowBox(box))
        Render();
}

// A client's call may run a loop of its own (a box owned by its main window, say) while this window
// stays usable. No query goes out under it, but the user's click is not lost: the last Find or page
// turn is kept with the form as it was, and carried out as soon as the call returns.
bool CSearchDlg::PostponeWhileClientCalls(Gesture gesture) {
    if (m_innermostLoop != Loop::Client)
        return false;
    m_postponed = PostponedGesture{gesture, ReadCriteria(), m_session.Front()};
    return true;
}

void CSearchDlg::RunPostponedGesture() {
    if (!m_postponed || m_session.RepliesHeld() || !GetSafeHwnd())
        return;
    const PostponedGesture postponed = std::move(*m_postponed);
    m_postponed.reset();
    // On another tab by now, the click was for a view no longer in front.
    if (m_session.Front() != postponed.tab)
        return;
    ShowOutcome(postponed.gesture == Gesture::Find ? m_session.Find(postponed.criteria)
                                                   : m_session.NextPage(postponed.criteria));
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
    // Hidden with its minimised owner: the box would stand alone on the screen. It waits, the
    // latest one only, until the window is shown again. A window the user closed has none: its
    // queries were abandoned with it.
    if (!IsWindowVisible()) {
        if (!m_bClosed)
            m_keptBox = box;
        return false;
    }
    return CallHoldingReplies([&] { SkinMessageBox(box->text, box->caption, 0); });
}
