// The search session behind the search window: both tabs' results, the tab in front, each tab's
// view, the query in flight, the row selected; and every decision the window used to make for
// itself. The window reads its forms into SearchCriteria, hands each user action and each posted
// reply to the session, and then draws View(): it decides nothing of its own.
//
// Threads. Receive runs on the protocol library's thread and touches only a tab's TabResults (its
// own lock) and the reply mailbox (its own lock). Everything else runs on the window thread.
//
// Boxes and client calls. The window holds replies around them (HoldReplies, ReleaseReplies):
// meanwhile replies wait in the mailbox and no query is sent: the page must not change under a box, and a message
// dispatched by a box's own loop (Enter's posted Find, say) must not start anything.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "QZProtocol.h"
#include "ReplyMailbox.h"
#include "SearchCriteria.h"
#include "SearchRecords.h"
#include "TabResults.h"

enum class TabView { Form, Results };

// What the session needs from the window that owns the search command.
class SearchSessionHost {
public:
    // Window thread: sends one query through the command.
    virtual QZP::ConnectionError Send(const OutgoingQuery& query) = 0;
    // Window thread: replaces the command, so that no reply of a query sent before can arrive
    // once this returns (the old command's destructor waits for a running callback and cancels
    // the rest).
    virtual void RenewCommand() = 0;
    // Protocol thread, under the mailbox's lock: a reply waits. Must only post, never send or
    // wait for the window thread.
    virtual void PostReply() = 0;
    // Protocol thread, for the developer's log only: receiving a reply threw and the exception was
    // stopped (a batch whose copy failed is taken back and its query answered as failed).
    virtual void ReportStoppedException() = 0;

protected:
    ~SearchSessionHost() = default;
};

// The texts of one row of a result list, column by column (zones have three).
struct ResultRow {
    std::wstring columns[4];
};

// The record behind a row: what an action on it hands the client, and what copying it puts on
// the clipboard (a user's account, a zone's ID as the list shows it).
struct RowRecord {
    std::uint64_t id = 0;
    std::wstring account;  // users only
    std::wstring copyText;
};

// Where the keyboard starts in the view in front: the edit of the radio checked in a form, the list
// of a result view; nowhere when the checked radio has no edit (or none is checked).
struct ViewFocus {
    enum class On { Nothing, Edit, List };
    On on = On::Nothing;
    SearchBy edit = SearchBy::Company;  // On::Edit: the edit of this radio

    bool operator==(const ViewFocus& o) const { return on == o.on && (on != On::Edit || edit == o.edit); }
};

// What Enter does in the view in front: Find in a form; in a result view, on the list, what View
// does. Elsewhere it does nothing.
enum class EnterKey { Find, ViewRow };

// Everything the window shows, derived from the session.
struct SearchViewState {
    SearchTab front = SearchTab::Users;
    TabView view = TabView::Form;  // of the tab in front
    bool busy = false;             // a query is out: Find and Next read "正在查找", the tabs are locked

    bool tabsEnabled = true;
    bool findEnabled = true;
    bool backEnabled = false;
    bool previousEnabled = false;
    bool nextEnabled = false;
    bool addEnabled = false;
    bool viewEnabled = false;
    const wchar_t* findCaption = nullptr;
    const wchar_t* nextCaption = nullptr;
    const wchar_t* addCaption = nullptr;
    std::wstring pageLabel;
    // A row's context menu: Add (enabled as the button is), View, and the copy item.
    const wchar_t* rowAddCaption = nullptr;
    const wchar_t* copyCaption = nullptr;

    // The forms: the radio checked on each tab's form (none: another program unchecked them all),
    // whose edit alone takes input; and a count that changes at each reset, when the forms go back
    // to their defaults (kSearchForms: the radios checked, the texts cleared or kept, any industry).
    std::array<std::optional<SearchBy>, 2> checked{};
    std::uint64_t formsReset = 0;
    ViewFocus focus;
    EnterKey enter = EnterKey::Find;

    // Changes whenever a tab's rows may have changed: its list is filled again from PageRows.
    std::array<std::uint64_t, 2> rowsVersion{};
    // Changes whenever a view is put in front of the user (opening, reset, Back, a tab switch, a
    // page shown): the keyboard focus then moves to `focus`.
    std::uint64_t focusMoves = 0;
};

class SearchSession {
public:
    // industries: the client's industry names, by industry code.
    SearchSession(SearchSessionHost& host, std::vector<std::wstring> industries);
    SearchSession(const SearchSession&) = delete;
    SearchSession& operator=(const SearchSession&) = delete;

    // ---- protocol thread -------------------------------------------------------------------
    // A batch that cannot be merged is answered as a failed query; nothing is thrown at the
    // protocol library's thread.
    void ReceiveUsers(bool ok, const UserInfoSet& batch);
    void ReceiveZones(bool ok, const ZoneInfoSet& batch);

    // ---- window thread ---------------------------------------------------------------------

    // Replies are taken while the window exists; before and after, they are dropped on arrival.
    void OpenMailbox();
    void CloseMailbox();

    // Both searches end and both tabs show their forms, at their defaults, `front` in front.
    void Reset(SearchTab front);
    // The radio checked on `tab`'s form, as the window read it after the user clicked one.
    void Choose(SearchTab tab, std::optional<SearchBy> checked);
    // The window was brought to the user again: the view is presented as it stands.
    void Present();
    // Find on the form in front. Returns the box to show, if any.
    std::optional<SearchBox> Find(const SearchCriteria& criteria);
    // Next page from the cache, or past it the same query again (which may be refused).
    std::optional<SearchBox> NextPage(const SearchCriteria& criteria);
    // Whether NextPage would turn the page from the cache, without a query.
    bool NextFromCache() const;
    void PreviousPage();
    // The search of the tab in front ends and its form comes back; the other tab keeps its results.
    void Back();
    // False when the switch is refused (a query is out): the tab in front stays.
    bool SwitchTab(SearchTab tab);

    // The oldest waiting reply, decided; nothing while a box or a client call is up. Returns the
    // box to show, if any.
    std::optional<SearchBox> TakeReply();
    bool RepliesWaiting() const;

    // Around a box or a call into the client, which may run a message loop and re-enter.
    void HoldReplies() { ++m_holdDepth; }
    void ReleaseReplies() { --m_holdDepth; }
    bool RepliesHeld() const { return m_holdDepth > 0; }

    // The user selected `row` of the list in front (-1: none). Returns the record behind it,
    // which the window asks the client about before it calls DecideAdd.
    std::optional<RowRecord> SelectRow(int row);
    // Add for the selected row: not for a friend or a zone already joined, nor for the user
    // themself. `record` is what SelectRow returned; a selection changed meanwhile is left alone.
    void DecideAdd(const RowRecord& record, bool known, std::uint64_t selfId);
    // The record behind row `row` of the page shown in front, if there is one.
    std::optional<RowRecord> RecordAtRow(int row) const;

    SearchViewState View() const;
    std::vector<ResultRow> PageRows(SearchTab tab) const;
    // The client's industry names, by industry code, as asked once when the window was made.
    const std::vector<std::wstring>& Industries() const { return m_industries; }
    // Window thread, before the window is made: the names the client gave.
    void SetIndustries(std::vector<std::wstring> industries) { m_industries = std::move(industries); }
    SearchTab Front() const { return m_front; }
    TabView FrontView() const { return StateOf(m_front).view; }
    bool QueryInFlight() const;
    // The window goes: a merge running now stops at its next slice, and no reply of the queries
    // out is taken.
    void CancelQueries();
    // The user closed the window: the queries out are abandoned, with a new command so that no
    // answer to them can come, and nothing of them is shown; the results stay.
    void EndQueries();

private:
    struct TabState {
        TabView view = TabView::Form;
        int rowsShown = 0;  // records on the page as it was last shown
        std::uint64_t rowsVersion = 0;
        bool byAccount = false;  // the last query sent was for one account: no next page
        int selectedRow = -1;
        std::uint64_t selectedId = 0;
        bool addAllowed = false;
        std::uint64_t takeBacksShown = 0;  // the results' TakeBacks() when the rows were last drawn
    };

    template <class Fn>
    decltype(auto) WithResults(SearchTab tab, Fn fn);
    template <class Fn>
    decltype(auto) WithResults(SearchTab tab, Fn fn) const;
    TabState& StateOf(SearchTab tab) { return m_tabs[static_cast<int>(tab)]; }
    const TabState& StateOf(SearchTab tab) const { return m_tabs[static_cast<int>(tab)]; }

    template <class Set>
    void Receive(SearchTab tab, TabResults<Set>& results, bool ok, const Set& batch);
    std::optional<SearchBox> Send(const SearchCriteria& criteria);
    // The page of `tab` drawn anew: after an answer it moves on from a full page onto records
    // beyond it; otherwise the page shown is filled up with what came.
    void ShowPage(SearchTab tab, bool advance);
    void RowsChanged(SearchTab tab);
    // Records of `tab` were taken back since its rows were drawn (the page may have moved too).
    bool TakenBack(SearchTab tab) const;
    // Draws `tab`'s page anew when records were taken back from it.
    void FollowTakeBack(SearchTab tab);
    // Has the host replace the command, if this one sent anything.
    void RenewCommand();
    void AbandonSearch(SearchTab tab);
    void AbandonAllSearches();
    void SetFront(SearchTab tab);

    SearchSessionHost& m_host;
    std::vector<std::wstring> m_industries;
    TabResults<UserInfoSet> m_users;
    TabResults<ZoneInfoSet> m_zones;
    ReplyMailbox m_replies;
    TabState m_tabs[2];
    SearchTab m_front = SearchTab::Users;
    // Whose actions Add offers: the tab whose result view was last put in front. A form hides the
    // button and leaves its caption as it was.
    SearchTab m_actionsTab = SearchTab::Users;
    std::optional<SearchBy> m_checked[2];
    std::uint64_t m_formsReset = 0;
    int m_holdDepth = 0;
    bool m_sentSinceRenewal = false;
    std::uint64_t m_focusMoves = 0;
};
