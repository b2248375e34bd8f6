// Result arrival: the callbacks hand batches to the session on the protocol thread; the window
// thread takes each reply when its post arrives, draws what the session made of it and shows its
// box.
#include "SearchDlg.h"

// Nothing is thrown at the protocol library's thread: a batch that cannot be merged is answered
// as a failed query by the session, and whatever else fails here is stopped.
void CSearchDlg::OnSearchUserResult(bool ok, const UserInfoSet& batch) {
    try {
        m_session.ReceiveUsers(ok, batch);
    } catch (...) {
        ReportStopped(L"a result callback");
    }
}

void CSearchDlg::OnSearchZoneResult(bool ok, const ZoneInfoSet& batch) {
    try {
        m_session.ReceiveZones(ok, batch);
    } catch (...) {
        ReportStopped(L"a result callback");
    }
}

// The message only says that a reply is waiting; what it was is in the session's mailbox.
LRESULT CSearchDlg::OnSearchResult(WPARAM, LPARAM) {
    HandleNextReply();
    return 0;
}

void CSearchDlg::HandleNextReply() {
    const std::optional<SearchBox> box = m_session.TakeReply();
    Render();
    if (ShowBox(box))
        Render();
}

void CSearchDlg::HandleWaitingReplies() {
    while (!m_session.RepliesHeld() && GetSafeHwnd() && m_session.RepliesWaiting())
        HandleNextReply();
}
