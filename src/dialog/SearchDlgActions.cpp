// Actions on the selected row: add friend / join zone, view profile, and keeping the two buttons
// in step with the selection.
#include "SearchDlg.h"

bool CSearchDlg::FindSelectedRecord(SelectedRecord& record) {
    const int t = m_nCurTab;
    const int row = m_pList[t]->GetNextItem(-1, LVNI_SELECTED);
    if (row < 0)
        return false;
    // Whatever the list claims, a row without a record on the page shown has no record.
    if (t == 0) {
        const std::optional<UserInfo> user = m_userResults.RecordAtRow(row);
        if (!user)
            return false;
        record.id = user->id;
        record.account = user->account;
    } else {
        const std::optional<ZoneInfo> zone = m_zoneResults.RecordAtRow(row);
        if (!zone)
            return false;
        record.id = zone->id;
    }
    return true;
}

// The client gets its own copy of the account: it may run a message loop inside the call, and
// the store may be cleared under it meanwhile.
void CSearchDlg::ActOnSelection(UserAction userAction, ZoneAction zoneAction) {
    SelectedRecord record;
    if (!FindSelectedRecord(record) || !m_pResultHandler)
        return;
    if (m_nCurTab == 0)
        RunModal([&] { (m_pResultHandler->*userAction)(record.id, record.account); });
    else
        RunModal([&] { (m_pResultHandler->*zoneAction)(record.id); });
}

void CSearchDlg::OnAddFriend() {
    ActOnSelection(&SearchResultHandler::AddFriend, &SearchResultHandler::JoinZone);
}

void CSearchDlg::OnViewInfo() {
    ActOnSelection(&SearchResultHandler::ViewUserInfo, &SearchResultHandler::ViewZoneInfo);
}

void CSearchDlg::OnResultItemChanged(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    // Whichever list reported the change, the current tab's list is the one that counts.
    CListCtrl* pList = m_pList[m_nCurTab];
    if (!pList)
        return;
    const bool selected = pList->GetSelectedCount() != 0;
    m_btnView.EnableWindow(selected);
    if (!selected) {
        m_btnAdd.EnableWindow(FALSE);
        return;
    }
    SelectedRecord record;
    if (!FindSelectedRecord(record) || !m_pResultHandler) {
        m_btnAdd.EnableWindow(FALSE);
        return;
    }
    // The client's answer may take a message loop of its own.
    bool known = false;
    const int t = m_nCurTab;
    if (!RunModal([&] {
            known = t == 0 ? m_pResultHandler->IsFriend(record.id)
                           : m_pResultHandler->IsZoneMember(record.id);
        }))
        return;
    if (t == 0) {
        // Asked even for the signed-in user's own row, before the comparison.
        const bool isSelf = record.id == m_pSearchCmd->GetSelfID();
        m_btnAdd.EnableWindow(!isSelf && !known);
    } else {
        m_btnAdd.EnableWindow(!known);
    }
}
