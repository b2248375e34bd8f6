// Result arrival and paging: the callbacks hand batches to the tab's results on the protocol
// thread and leave the outcome for the window thread, which shows the store ten rows a page.
#include "IdentifierText.h"
#include "SearchDlg.h"
#include "SearchStrings.h"

namespace {
constexpr LPARAM kBatchMerged = 0;
constexpr LPARAM kQueryFailed = -1;
constexpr LPARAM kNothingFound = -2;

LPARAM ResultCode(ReplyKind kind) {
    switch (kind) {
    case ReplyKind::Failed:
        return kQueryFailed;
    case ReplyKind::NothingFound:
        return kNothingFound;
    default:
        return kBatchMerged;
    }
}
}  // namespace

void CSearchDlg::OnSearchUserResult(bool ok, const UserInfoSet& batch) {
    ReceiveResults(0, m_userResults, ok, batch);
}

void CSearchDlg::OnSearchZoneResult(bool ok, const ZoneInfoSet& batch) {
    ReceiveResults(1, m_zoneResults, ok, batch);
}

// Protocol thread. Nothing here may send a message to a window: the window thread can be waiting
// for this thread (it deletes the command on Back, on a reset and on the way out), so the
// callback only posts.
template <class Set>
void CSearchDlg::ReceiveResults(int nTab, TabResults<Set>& results, bool ok, const Set& batch) {
    if (!m_replies.IsOpen())
        return;  // no window (yet, or any more): nothing will show these records
    PostedReply posted;
    posted.tab = nTab;
    posted.reply = results.Receive(ok, batch);
    // Under the mailbox's lock: the window cannot go between the check and the post.
    m_replies.Leave(posted, [this](const PostedReply& reply) {
        if (reply.reply.kind == ReplyKind::Dropped)
            ::PostMessageW(m_hWndResults, WM_SEARCH_BATCH_DROPPED, 0, 0);
        else
            ::PostMessageW(m_hWndResults, WM_SEARCH_RESULT, 0, ResultCode(reply.reply.kind));
    });
}

// The message only says that a reply is waiting; what it was is in the mailbox.
LRESULT CSearchDlg::OnSearchResult(WPARAM, LPARAM) {
    HandleNextReply();
    return 0;
}

LRESULT CSearchDlg::OnBatchDropped(WPARAM, LPARAM) {
    HandleNextReply();
    return 0;
}

void CSearchDlg::HandleNextReply() {
    // Under a box or a client call the reply waits: the page must not change beneath them.
    if (m_nModalDepth > 0)
        return;
    const std::optional<PostedReply> posted = m_replies.TakeOldest();
    if (!posted)
        return;  // a stray message, or its reply was taken by one
    const int t = posted->tab;
    const ReplyFate fate = WithResults(t, [&](auto& results) { return results.Take(posted->reply); });
    if (fate == ReplyFate::Stale)
        return;  // its search was abandoned by Back or a reset

    if (fate == ReplyFate::Answer)
        EndBusyState();
    switch (posted->reply.kind) {
    case ReplyKind::Merged:
        m_btnBack.EnableWindow(TRUE);
        if (fate == ReplyFate::Answer) {
            ShowPageOf(t);
        } else if (m_nViewMode[t] == 1) {
            // More records for the page shown: it fills up, and Next may have something to show.
            FillList(t);
            if (t == m_nCurTab)
                UpdatePageControls();
        }
        break;
    case ReplyKind::Dropped:
        if (fate == ReplyFate::Answer) {
            m_btnBack.EnableWindow(TRUE);
            m_tab.EnableWindow(TRUE);
        }
        break;
    case ReplyKind::Failed:
        if (fate == ReplyFate::Answer)
            ShowFailure(t, search_text::kServerTimeout);
        break;
    case ReplyKind::NothingFound:
        if (fate == ReplyFate::Answer)
            ShowFailure(t, search_text::kNothingFound);
        break;
    }
}

// A failed or empty answer. From the form, the form comes back ready for another Find. From the
// result view (a re-query for the next page) the page shown stays usable: Back, Previous and Next
// as the results allow; after an empty answer Next is off, since the new-record count is 0.
void CSearchDlg::ShowFailure(int nTab, const wchar_t* text) {
    if (!ShowBox(text, search_text::kCaptionQueryFailed))
        return;
    if (nTab == m_nCurTab && m_nViewMode[nTab] == 1) {
        UpdateControls();
        UpdatePageControls();
        return;
    }
    m_btnFind.EnableWindow(TRUE);
    m_btnBack.EnableWindow(FALSE);
}

void CSearchDlg::HandleWaitingReplies() {
    while (m_nModalDepth == 0 && GetSafeHwnd() && m_replies.Waiting() > 0)
        HandleNextReply();
}

void CSearchDlg::EndBusyState() {
    m_btnFind.SetWindowText(search_text::kFind);
    m_btnNextPage.SetWindowText(search_text::kNextPage);
    m_tab.EnableWindow(TRUE);
}

std::vector<CSearchDlg::RowTexts> CSearchDlg::ReadPage(int nTab) {
    std::vector<RowTexts> rows;
    if (nTab == 0) {
        for (const UserInfo& user : m_userResults.PageRecords())
            rows.push_back({{user.account, user.nickname, user.GetStateText(), user.company}});
    } else {
        for (const ZoneInfo& zone : m_zoneResults.PageRecords()) {
            // Codes are indices into the client's list; anything beyond it is unknown.
            const std::wstring industry = zone.industry < m_industries.size()
                                              ? m_industries[zone.industry]
                                              : std::wstring(search_text::kUnknownIndustry);
            rows.push_back({{IdentifierToText(zone.id), zone.name, industry, std::wstring()}});
        }
    }
    return rows;
}

void CSearchDlg::FillList(int nTab) {
    CListCtrl& list = *m_pList[nTab];
    list.DeleteAllItems();
    // The rows are copied out of the results first: filling the list sends notifications that
    // come back into this object.
    const std::vector<RowTexts> rows = ReadPage(nTab);
    const int columns = nTab == 0 ? 4 : 3;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        list.InsertItem(r, rows[r].columns[0].c_str());
        for (int c = 1; c < columns; ++c)
            list.SetItemText(r, c, rows[r].columns[c].c_str());
    }
}

void CSearchDlg::ShowPage() { ShowPageOf(m_nCurTab); }

void CSearchDlg::ShowPageOf(int nTab) {
    // Advance only from a full page, and only onto records: a re-query from a short last page
    // fills that page up, and one that brought nothing new stays where it is.
    const int rowsShown = m_pList[nTab]->GetItemCount();
    WithResults(nTab, [rowsShown](auto& results) { results.AdvanceFrom(rowsShown); });
    FillList(nTab);

    m_nViewMode[nTab] = 1;
    // A tab behind shows its page when it comes to the front.
    if (nTab == m_nCurTab) {
        UpdateControls();
        UpdatePageControls();
    }
}

void CSearchDlg::OnPrevPage() {
    // Both page buttons are disabled while a query is out: its answer decides the page.
    if (QueryInFlight())
        return;
    const int t = m_nCurTab;
    // The button is only enabled above page 0; PreviousPage never goes below it either.
    WithResults(t, [](auto& results) { results.PreviousPage(); });
    m_pList[t]->DeleteAllItems();
    ShowPage();
}

void CSearchDlg::OnNextPage() {
    if (QueryInFlight())
        return;
    const int t = m_nCurTab;
    if (WithResults(t, [](auto& results) { return results.Next(); }) == NextStep::FromCache)
        ShowPage();
    else
        DoSearch();
}
