#include "SearchSession.h"

#include <cwchar>

#include "IdentifierText.h"
#include "SearchStrings.h"

SearchSession::SearchSession(SearchSessionHost& host, std::vector<std::wstring> industries)
    : m_host(host), m_industries(std::move(industries)) {
    m_users.SetShown(true);
}

template <class Fn>
decltype(auto) SearchSession::WithResults(SearchTab tab, Fn fn) {
    if (tab == SearchTab::Users)
        return fn(m_users);
    return fn(m_zones);
}

template <class Fn>
decltype(auto) SearchSession::WithResults(SearchTab tab, Fn fn) const {
    if (tab == SearchTab::Users)
        return fn(m_users);
    return fn(m_zones);
}

// ---- protocol thread ---------------------------------------------------------------------------

void SearchSession::ReceiveUsers(bool ok, const UserInfoSet& batch) { Receive(SearchTab::Users, m_users, ok, batch); }

void SearchSession::ReceiveZones(bool ok, const ZoneInfoSet& batch) { Receive(SearchTab::Zones, m_zones, ok, batch); }

// Nothing here may wait for the window thread: it can be waiting for this thread (it replaces the
// command on Back, on a reset and on the way out), so the reply is only left and posted.
template <class Set>
void SearchSession::Receive(SearchTab tab, TabResults<Set>& results, bool ok, const Set& batch) {
    if (!m_replies.IsOpen())
        return;  // no window (yet, or any more): nothing will show these records
    PostedReply posted;
    posted.tab = tab;
    posted.reply = results.Receive(ok, batch);
    if (posted.reply.mergeFailed)
        m_host.ReportStoppedException();
    // Under the mailbox's lock: the window cannot go between leaving the reply and the post. Nothing
    // is thrown at the protocol library's thread: a reply that cannot be left is reported and lost.
    try {
        m_replies.Leave(posted, [this](const PostedReply&) { m_host.PostReply(); });
    } catch (...) {
        m_host.ReportStoppedException();
    }
}

// ---- window thread -----------------------------------------------------------------------------

void SearchSession::OpenMailbox() { m_replies.Open(); }

void SearchSession::CloseMailbox() { m_replies.Close(); }

bool SearchSession::QueryInFlight() const { return m_users.QueryInFlight() || m_zones.QueryInFlight(); }

bool SearchSession::RepliesWaiting() const { return m_replies.Waiting() > 0; }

void SearchSession::CancelQueries() {
    m_users.CancelQuery();
    m_zones.CancelQuery();
}

void SearchSession::EndQueries() {
    if (!QueryInFlight())
        return;
    CancelQueries();
    RenewCommand();
    FollowTakeBack(SearchTab::Users);
    FollowTakeBack(SearchTab::Zones);
}

void SearchSession::SetFront(SearchTab tab) {
    m_front = tab;
    // Batches for the tab behind are not merged.
    m_users.SetShown(tab == SearchTab::Users);
    m_zones.SetShown(tab == SearchTab::Zones);
}

void SearchSession::RowsChanged(SearchTab tab) {
    TabState& state = StateOf(tab);
    ++state.rowsVersion;
    state.takeBacksShown = WithResults(tab, [](const auto& results) { return results.TakeBacks(); });
    // A list filled anew has no selection.
    state.selectedRow = -1;
    state.addAllowed = false;
}

bool SearchSession::TakenBack(SearchTab tab) const {
    return WithResults(tab, [](const auto& results) { return results.TakeBacks(); }) !=
           StateOf(tab).takeBacksShown;
}

void SearchSession::FollowTakeBack(SearchTab tab) {
    if (!TakenBack(tab))
        return;
    TabState& state = StateOf(tab);
    state.rowsShown = WithResults(tab, [](const auto& results) { return results.RowsOnPage(); });
    RowsChanged(tab);
}

void SearchSession::RenewCommand() {
    // A command that never sent a query has no reply to come: it can stay.
    if (!m_sentSinceRenewal)
        return;
    m_host.RenewCommand();
    m_sentSinceRenewal = false;
}

void SearchSession::AbandonSearch(SearchTab tab) {
    // First a new generation, so that a merge running on the protocol thread stops at its next
    // slice and the command's destructor does not wait for all of it; then the command; and only
    // after the old command is gone the final Abandon, so that a reply it delivered meanwhile is
    // stamped with a generation that ends here. The other tab keeps its records.
    CancelQueries();
    RenewCommand();
    WithResults(tab, [](auto& results) { results.Abandon(); });
    const SearchTab other = tab == SearchTab::Users ? SearchTab::Zones : SearchTab::Users;
    WithResults(other, [](auto& results) { results.CancelQuery(); });
    StateOf(tab).rowsShown = 0;
    RowsChanged(tab);
    // A merge of the other tab that was cancelled took its records back.
    FollowTakeBack(other);
}

void SearchSession::AbandonAllSearches() {
    CancelQueries();
    RenewCommand();
    for (SearchTab tab : {SearchTab::Users, SearchTab::Zones}) {
        WithResults(tab, [](auto& results) { results.Abandon(); });
        StateOf(tab).rowsShown = 0;
        RowsChanged(tab);
    }
}

void SearchSession::Reset(SearchTab front) {
    // Every query in flight is abandoned with the results: its reply, wherever it is, changes
    // nothing, and the window is not busy any more.
    AbandonAllSearches();
    SetFront(front);
    for (TabState& state : m_tabs) {
        state.view = TabView::Form;
        state.byAccount = false;
    }
    for (const SearchForm& form : kSearchForms) {
        if (form.checkedAfterReset)
            m_checked[static_cast<int>(form.tab)] = form.by;
    }
    ++m_formsReset;
    ++m_focusMoves;
}

void SearchSession::Choose(SearchTab tab, std::optional<SearchBy> checked) {
    // Only a radio of that tab's own form.
    if (checked && FormOf(*checked).tab != tab)
        return;
    m_checked[static_cast<int>(tab)] = checked;
}

void SearchSession::Present() { ++m_focusMoves; }

std::optional<SearchBox> SearchSession::Find(const SearchCriteria& criteria) {
    // Find belongs to the form in front. The Find that Enter posts can arrive after the view has
    // changed: the answer it raced was handled first, and a Find from the result view would ask
    // the server for more of a search the user did not ask to continue.
    if (FrontView() != TabView::Form)
        return std::nullopt;
    return Send(criteria);
}

std::optional<SearchBox> SearchSession::Send(const SearchCriteria& criteria) {
    // One query at a time: the library takes the same query sent again as a request for more, so
    // a second one (Enter in a busy form, say) would skip a batch of the first.
    if (QueryInFlight())
        return std::nullopt;
    // Nor under a box or a client call: only a queued message can get here then, and the view
    // after the box must be the one the box's own handler leaves.
    if (RepliesHeld())
        return std::nullopt;
    TabState& state = StateOf(m_front);
    // A search from the form starts afresh: whatever a server still sends for an earlier one (a
    // second answer to a query that failed, say) must not run into this one's pages. Only a new
    // command makes sure of that: the library tells no answer from another but by its command.
    if (state.view == TabView::Form)
        AbandonSearch(m_front);

    const FindDecision decision = DecideFind(m_front, criteria);
    if (!decision.query)
        return decision.refusal;
    // Whatever the code says, the command may have taken the query.
    m_sentSinceRenewal = true;
    switch (m_host.Send(*decision.query)) {
    case QZP::CE_OK:
        WithResults(m_front, [](auto& results) { results.BeginQuery(); });
        state.byAccount = decision.query->kind == OutgoingQuery::Kind::UsersByAccount;
        return std::nullopt;
    case QZP::CE_NOT_SIGNED_IN:
        return SearchBox{search_text::kSignInFirst, search_text::kCaptionQueryFailed};
    default:
        // Not sent at all: no answer will come, so the user must hear it now.
        return SearchBox{search_text::kCannotConnect, search_text::kCaptionQueryFailed};
    }
}

std::optional<SearchBox> SearchSession::NextPage(const SearchCriteria& criteria) {
    // Only what the button offers: no page turn while a query decides the page, none on an
    // account's single user, none from a form.
    if (!View().nextEnabled)
        return std::nullopt;
    if (WithResults(m_front, [](auto& results) { return results.Next(); }) == NextStep::FromCache) {
        ShowPage(m_front, true);
        ++m_focusMoves;
        return std::nullopt;
    }
    return Send(criteria);
}

bool SearchSession::NextFromCache() const {
    return View().nextEnabled &&
           WithResults(m_front, [](const auto& results) { return results.Next(); }) == NextStep::FromCache;
}

void SearchSession::PreviousPage() {
    if (!View().previousEnabled)
        return;
    WithResults(m_front, [](auto& results) { results.PreviousPage(); });
    ShowPage(m_front, false);
    ++m_focusMoves;
}

void SearchSession::Back() {
    // Back belongs to the result view; a stray command in a form must not abandon a search that
    // was just sent from that form. In the result view it may come while a re-query is out: the
    // search ends here, whatever it still sends.
    if (FrontView() != TabView::Results)
        return;
    StateOf(m_front).view = TabView::Form;
    AbandonSearch(m_front);
    ++m_focusMoves;
}

bool SearchSession::SwitchTab(SearchTab tab) {
    // The tabs are locked while a query is out: its answer belongs in front.
    if (QueryInFlight())
        return false;
    SetFront(tab);
    if (StateOf(tab).view == TabView::Results)
        m_actionsTab = tab;
    ++m_focusMoves;
    return true;
}

void SearchSession::ShowPage(SearchTab tab, bool advance) {
    TabState& state = StateOf(tab);
    // Advance only from a page that was shown full, and only onto records: a re-query from a short
    // last page fills that page up, and one that brought nothing new stays where it is.
    if (advance)
        WithResults(tab, [&state](auto& results) { results.AdvanceFrom(state.rowsShown); });
    state.rowsShown = WithResults(tab, [](auto& results) { return results.RowsOnPage(); });
    state.view = TabView::Results;
    if (tab == m_front)
        m_actionsTab = tab;
    RowsChanged(tab);
}

std::optional<SearchBox> SearchSession::TakeReply() {
    // Under a box or a client call the reply waits: the page must not change beneath them.
    if (RepliesHeld())
        return std::nullopt;
    // Every merge that took its records back (a batch that could not be copied, a merge cancelled)
    // posted a reply, stale or not: the page drawn follows here.
    FollowTakeBack(SearchTab::Users);
    FollowTakeBack(SearchTab::Zones);
    const std::optional<PostedReply> posted = m_replies.TakeOldest();
    if (!posted)
        return std::nullopt;  // a stray message, or its reply was taken by one
    const SearchTab tab = posted->tab;
    const ReplyFate fate = WithResults(tab, [&](auto& results) { return results.Take(posted->reply); });
    if (fate == ReplyFate::Stale)
        return std::nullopt;  // its search was abandoned by Back or a reset
    const bool answer = fate == ReplyFate::Answer;
    const bool inResults = StateOf(tab).view == TabView::Results;

    const wchar_t* failure = nullptr;
    switch (posted->reply.kind) {
    case ReplyKind::Merged:
        if (answer) {
            ShowPage(tab, true);
            if (tab == m_front)
                ++m_focusMoves;
        } else if (inResults) {
            // More records for the page shown: it fills up, and Next may have something to show.
            ShowPage(tab, false);
        }
        return std::nullopt;
    case ReplyKind::Dropped:
        return std::nullopt;  // taking the answer ended the busy state; nothing to show
    case ReplyKind::Failed:
        failure = search_text::kServerTimeout;
        break;
    case ReplyKind::NothingFound:
        failure = search_text::kNothingFound;
        break;
    }
    if (!answer)
        return std::nullopt;
    // From the form, the form comes back ready for another Find. From the result view (a re-query
    // for the next page) the page shown stays usable: Back, Previous and Next as the results
    // allow; after an empty answer Next is off, since the new-record count is 0.
    if (tab == m_front && inResults)
        ++m_focusMoves;
    return SearchBox{failure, search_text::kCaptionQueryFailed};
}

std::optional<RowRecord> SearchSession::SelectRow(int row) {
    TabState& state = StateOf(m_front);
    const std::optional<RowRecord> record = RecordAtRow(row);
    state.selectedRow = record ? row : -1;
    state.selectedId = record ? record->id : 0;
    state.addAllowed = false;
    return record;
}

void SearchSession::DecideAdd(const RowRecord& record, bool known, std::uint64_t selfId) {
    TabState& state = StateOf(m_front);
    if (state.selectedRow < 0 || state.selectedId != record.id)
        return;
    // The client's answer is asked even for the user's own row, before the comparison.
    const bool self = m_front == SearchTab::Users && record.id == selfId;
    state.addAllowed = !known && !self;
}

std::optional<RowRecord> SearchSession::RecordAtRow(int row) const {
    // Records taken back since the page was drawn: row `row` on screen is not the store's.
    if (TakenBack(m_front))
        return std::nullopt;
    if (m_front == SearchTab::Users) {
        const std::optional<UserInfo> user = m_users.RecordAtRow(row);
        if (!user)
            return std::nullopt;
        return RowRecord{user->id, user->account, user->account};
    }
    const std::optional<ZoneInfo> zone = m_zones.RecordAtRow(row);
    if (!zone)
        return std::nullopt;
    return RowRecord{zone->id, std::wstring(), IdentifierToText(zone->id)};
}

std::vector<ResultRow> SearchSession::PageRows(SearchTab tab) const {
    std::vector<ResultRow> rows;
    if (tab == SearchTab::Users) {
        for (const UserInfo& user : m_users.PageRecords())
            rows.push_back({{user.account, user.nickname, user.GetStateText(), user.company}});
        return rows;
    }
    for (const ZoneInfo& zone : m_zones.PageRecords()) {
        // Codes are indices into the client's list; anything beyond it is unknown.
        const std::wstring industry = zone.industry < m_industries.size()
                                          ? m_industries[zone.industry]
                                          : std::wstring(search_text::kUnknownIndustry);
        rows.push_back({{IdentifierToText(zone.id), zone.name, industry, std::wstring()}});
    }
    return rows;
}

SearchViewState SearchSession::View() const {
    const TabState& state = StateOf(m_front);
    const PagerState pager = WithResults(m_front, [](const auto& results) { return results.Pager(); });
    const bool results = state.view == TabView::Results;

    SearchViewState view;
    view.front = m_front;
    view.view = state.view;
    const SearchTab behind = m_front == SearchTab::Users ? SearchTab::Zones : SearchTab::Users;
    view.busy = pager.inFlight || WithResults(behind, [](const auto& r) { return r.QueryInFlight(); });
    view.tabsEnabled = !view.busy;
    view.findEnabled = !results && !view.busy;
    // Back stays usable during a re-query: it abandons it.
    view.backEnabled = results;
    view.previousEnabled = results && !view.busy && pager.previous;
    // An account names one user: there is never a next page.
    const bool oneUser = m_front == SearchTab::Users && state.byAccount;
    view.nextEnabled = results && !view.busy && pager.next && !oneUser;
    // The row actions work on the rows shown, a re-query out or not.
    view.viewEnabled = results && state.selectedRow >= 0 && !TakenBack(m_front);
    view.addEnabled = view.viewEnabled && state.addAllowed;
    view.findCaption = view.busy ? search_text::kSearching : search_text::kFind;
    view.nextCaption = view.busy ? search_text::kSearching : search_text::kNextPage;
    view.addCaption = m_actionsTab == SearchTab::Users ? search_text::kAddFriend : search_text::kJoinZone;
    view.rowAddCaption = m_front == SearchTab::Users ? search_text::kAddFriend : search_text::kJoinZone;
    view.copyCaption = m_front == SearchTab::Users ? search_text::kCopyAccount : search_text::kCopyZoneId;
    if (pager.hasRecords) {
        wchar_t label[32];
        std::swprintf(label, sizeof label / sizeof label[0], search_text::kPageFormat, pager.pageNumber);
        view.pageLabel = label;
    } else {
        view.pageLabel = search_text::kNoRecords;
    }
    view.checked = {m_checked[0], m_checked[1]};
    view.formsReset = m_formsReset;
    const std::optional<SearchBy> checked = m_checked[static_cast<int>(m_front)];
    if (results)
        view.focus.on = ViewFocus::On::List;
    else if (checked && FormOf(*checked).HasEdit())
        view.focus = ViewFocus{ViewFocus::On::Edit, *checked};
    view.enter = results ? EnterKey::ViewRow : EnterKey::Find;
    // Both counts only grow: a list is filled again when either moved, so a page whose records
    // were taken back on the protocol thread is never drawn with the rows it had.
    view.rowsVersion = {m_tabs[0].rowsVersion + m_users.TakeBacks(), m_tabs[1].rowsVersion + m_zones.TakeBacks()};
    view.focusMoves = m_focusMoves;
    return view;
}
