// Actions on the selected row: add friend / join zone, view profile, and what the client says
// about the row selected.
#include "SearchDlg.h"

// The client gets its own copy of the account: it may run a message loop inside the call, and
// the results may be cleared under it meanwhile.
void CSearchDlg::ActOnSelection(UserAction userAction, ZoneAction zoneAction) {
    const SearchTab tab = m_session.Front();
    const std::optional<RowRecord> record =
        m_session.RecordAtRow(ListOf(tab).GetNextItem(-1, LVNI_SELECTED));
    if (!record || !m_pResultHandler)
        return;
    const bool alive = tab == SearchTab::Users
                           ? RunModal([&] { (m_pResultHandler->*userAction)(record->id, record->account); })
                           : RunModal([&] { (m_pResultHandler->*zoneAction)(record->id); });
    if (alive)
        Render();
}

void CSearchDlg::OnAddFriend() {
    ActOnSelection(&SearchResultHandler::AddFriend, &SearchResultHandler::JoinZone);
}

void CSearchDlg::OnViewInfo() {
    ActOnSelection(&SearchResultHandler::ViewUserInfo, &SearchResultHandler::ViewZoneInfo);
}

void CSearchDlg::OnResultItemChanged(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    if (m_nFilling > 0)
        return;  // our own filling of a list, not a selection
    // Whichever list reported the change, the list in front is the one that counts.
    const SearchTab tab = m_session.Front();
    const std::optional<RowRecord> record = m_session.SelectRow(ListOf(tab).GetNextItem(-1, LVNI_SELECTED));
    Render();
    if (!record || !m_pResultHandler)
        return;
    // The client's answer may take a message loop of its own.
    bool known = false;
    if (!RunModal([&] {
            known = tab == SearchTab::Users ? m_pResultHandler->IsFriend(record->id)
                                            : m_pResultHandler->IsZoneMember(record->id);
        }))
        return;
    const std::uint64_t self = tab == SearchTab::Users ? m_pSearchCmd->GetSelfID() : 0;
    m_session.DecideAdd(*record, known, self);
    Render();
}
