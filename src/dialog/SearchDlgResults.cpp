// Result arrival: the callbacks hand batches to the session on the protocol thread; the window
// thread takes each reply when its post arrives, draws what the session made of it and shows its
// box.
#include "SearchDlg.h"

// The session throws nothing at the protocol library's thread: a batch that cannot be merged is
// answered as a failed query.
void CSearchDlg::OnSearchUserResult(bool ok, const UserInfoSet& batch) { m_session.ReceiveUsers(ok, batch); }

void CSearchDlg::OnSearchZoneResult(bool ok, const ZoneInfoSet& batch) { m_session.ReceiveZones(ok, batch); }

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
