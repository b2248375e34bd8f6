// The search session's rules, without a window: what a Find sends or refuses, what a send code and
// a reply mean in each state, paging, Back, reset, tabs, boxes and the Add rule.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "RecordBuilders.h"
#include "SearchSession.h"
#include "SearchStrings.h"

namespace {
using Kind = OutgoingQuery::Kind;
namespace text = search_text;

class FakeHost : public SearchSessionHost {
public:
    std::vector<OutgoingQuery> sent;
    QZP::ConnectionError code = QZP::CE_OK;
    int renewals = 0;
    int posts = 0;
    std::function<void()> onRenew;

    QZP::ConnectionError Send(const OutgoingQuery& query) override {
        sent.push_back(query);
        return code;
    }
    void RenewCommand() override {
        ++renewals;
        if (onRenew)
            onRenew();
    }
    void PostReply() override { ++posts; }
    void ReportStoppedException() override { ++mergeFailures; }
    int mergeFailures = 0;
};

// Allocation fails on demand: once g_allocationsLeft allocations have succeeded, the next throws.
// It stands in for a batch too large for the client's memory.
std::atomic<int> g_allocationsLeft{-1};
}  // namespace

void* operator new(std::size_t size) {
    if (g_allocationsLeft.load() >= 0 && g_allocationsLeft.fetch_sub(1) == 0)
        throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

SearchCriteria ByNick(std::wstring nick) {
    SearchCriteria c;
    c.Choose(SearchBy::Nick, std::move(nick));
    return c;
}

// A session as the window holds it: open, reset to the users tab.
struct Session {
    FakeHost host;
    SearchSession session{host, {L"金融", L"制造"}};

    Session() {
        session.OpenMailbox();
        session.Reset(SearchTab::Users);
    }
    std::optional<SearchBox> Reply(bool ok, const UserInfoSet& batch) {
        session.ReceiveUsers(ok, batch);
        return session.TakeReply();
    }
    SearchViewState View() const { return session.View(); }
    std::wstring FirstRow() const {
        const auto rows = session.PageRows(session.Front());
        return rows.empty() ? L"" : rows.front().columns[0];
    }
};

const wchar_t* BoxText(const std::optional<SearchBox>& box) { return box ? box->text : L""; }
}  // namespace

TEST(FindDecision, EachFormGivesItsQueryOrItsRefusal) {
    using Set = std::function<void(SearchCriteria&)>;
    const struct {
        const char* name;
        SearchTab tab;
        Set set;
        std::optional<OutgoingQuery> query;
        const wchar_t* refusal;
    } cases[] = {
        {"nickname", SearchTab::Users, [](auto& c) { c.Choose(SearchBy::Nick, L"王"); }, OutgoingQuery{Kind::UsersByNick, L"王"}, nullptr},
        {"empty nickname", SearchTab::Users, [](auto& c) { c.Choose(SearchBy::Nick); }, std::nullopt, text::kNeedNickname},
        {"account kept with its blanks", SearchTab::Users, [](auto& c) { c.Choose(SearchBy::Account, L" a1 "); }, OutgoingQuery{Kind::UsersByAccount, L" a1 "}, nullptr},
        {"empty account", SearchTab::Users, [](auto& c) { c.Choose(SearchBy::Account); }, std::nullopt, text::kNeedAccount},
        {"empty company", SearchTab::Users, [](auto& c) { c.Choose(SearchBy::Company); }, std::nullopt, text::kNeedCompany},
        {"nickname before account and company", SearchTab::Users,
         [](auto& c) { c.Choose(SearchBy::Nick, L"n").Choose(SearchBy::Account, L"a").Choose(SearchBy::Company); },
         OutgoingQuery{Kind::UsersByNick, L"n"}, nullptr},
        {"account before company and online", SearchTab::Users,
         [](auto& c) { c.Choose(SearchBy::Online).Choose(SearchBy::Account, L"a").Choose(SearchBy::Company, L"c"); },
         OutgoingQuery{Kind::UsersByAccount, L"a"}, nullptr},
        {"online users", SearchTab::Users, [](auto& c) { c.Choose(SearchBy::Online); }, OutgoingQuery{Kind::OnlineUsers, L""}, nullptr},
        {"no radio checked", SearchTab::Users, [](auto&) {}, std::nullopt, nullptr},
        {"zone ID", SearchTab::Zones, [](auto& c) { c.Choose(SearchBy::ZoneId, L"123"); }, OutgoingQuery{Kind::ZoneById, L"", 123}, nullptr},
        {"zone ID not a number", SearchTab::Zones, [](auto& c) { c.Choose(SearchBy::ZoneId, L"12a"); }, std::nullopt, text::kNeedCriteria},
        {"empty zone ID", SearchTab::Zones, [](auto& c) { c.Choose(SearchBy::ZoneId); }, std::nullopt, text::kNeedCriteria},
        {"name, any industry", SearchTab::Zones, [](auto& c) { c.Choose(SearchBy::ZoneName, L"abc"); }, OutgoingQuery{Kind::Zone, L"abc", 0, 65535}, nullptr},
        {"industry alone", SearchTab::Zones, [](auto& c) { c.Choose(SearchBy::ZoneName).industryItem = 2; }, OutgoingQuery{Kind::Zone, L"", 0, 1}, nullptr},
        {"neither name nor industry", SearchTab::Zones, [](auto& c) { c.Choose(SearchBy::ZoneName); }, std::nullopt, text::kNeedCriteria},
        {"no industry selected reads as any", SearchTab::Zones, [](auto& c) { c.Choose(SearchBy::ZoneName).industryItem = -1; }, std::nullopt, text::kNeedCriteria},
        {"name ignored without its radio", SearchTab::Zones, [](auto& c) { c.text[static_cast<int>(SearchBy::ZoneName)] = L"abc", c.industryItem = 1; }, OutgoingQuery{Kind::Zone, L"", 0, 0}, nullptr},
    };
    for (const auto& c : cases) {
        SearchCriteria criteria;
        c.set(criteria);
        const FindDecision decision = DecideFind(c.tab, criteria);
        EXPECT_EQ(decision.query, c.query) << c.name;
        EXPECT_EQ(decision.refusal.has_value(), c.refusal != nullptr) << c.name;
        if (c.refusal && decision.refusal) {
            EXPECT_EQ(*decision.refusal, (SearchBox{c.refusal, text::kCaptionQueryError})) << c.name;
        }
    }
}

// Queries and boxes are equal only when every field is; a box compares its texts, not where they are.
TEST(FindDecision, QueriesAndBoxesCompareEveryField) {
    const OutgoingQuery query{Kind::Zone, L"abc", 7, 3};
    EXPECT_EQ(query, (OutgoingQuery{Kind::Zone, L"abc", 7, 3}));
    for (const OutgoingQuery& other : {OutgoingQuery{Kind::ZoneById, L"abc", 7, 3}, OutgoingQuery{Kind::Zone, L"ab", 7, 3},
                                       OutgoingQuery{Kind::Zone, L"abc", 8, 3}, OutgoingQuery{Kind::Zone, L"abc", 7, 4}})
        EXPECT_FALSE(query == other) << static_cast<int>(other.kind) << other.zoneId << other.industry;
    const std::wstring copy = text::kNeedNickname;
    const SearchBox box{text::kNeedNickname, text::kCaptionQueryError};
    EXPECT_EQ(box, (SearchBox{copy.c_str(), text::kCaptionQueryError}));
    EXPECT_EQ(SearchBox(), SearchBox());
    EXPECT_TRUE((ViewFocus{ViewFocus::On::List, SearchBy::Nick}) == ViewFocus{ViewFocus::On::List}) << "a list has no edit";
    EXPECT_FALSE(ViewFocus{ViewFocus::On::List} == (ViewFocus{ViewFocus::On::Edit, SearchBy::Company}));
    EXPECT_FALSE((ViewFocus{ViewFocus::On::Edit, SearchBy::Nick}) == (ViewFocus{ViewFocus::On::Edit, SearchBy::Company}));
    for (const SearchBox& other : {SearchBox{text::kNeedAccount, text::kCaptionQueryError}, SearchBox{nullptr, text::kCaptionQueryError},
                                   SearchBox{text::kNeedNickname, text::kCaptionQueryFailed}, SearchBox{text::kNeedNickname, nullptr}}) {
        EXPECT_FALSE(box == other) << BoxText(other);
        EXPECT_FALSE(other == box) << BoxText(other);
    }
}

TEST(SearchSession, SendCodeMeansBusyOrABox) {
    const struct {
        QZP::ConnectionError code;
        bool busy;
        const wchar_t* box;
        const wchar_t* nick = L"王";
    } cases[] = {
        {QZP::CE_OK, true, L""},
        {QZP::CE_NOT_SIGNED_IN, false, text::kSignInFirst},
        {QZP::CE_NO_TRANSPORT, false, text::kCannotConnect},
        {QZP::CE_DISCONNECTED, false, text::kCannotConnect},
        {QZP::CE_OK, false, text::kNeedNickname, L""},  // refused: nothing sent
    };
    for (const auto& c : cases) {
        Session s;
        s.host.code = c.code;
        EXPECT_STREQ(BoxText(s.session.Find(ByNick(c.nick))), c.box) << c.code;
        const SearchViewState view = s.View();
        EXPECT_EQ(view.busy, c.busy) << c.code;
        EXPECT_EQ(view.findEnabled, !c.busy) << c.code;
        EXPECT_EQ(view.tabsEnabled, !c.busy) << c.code;
        EXPECT_STREQ(view.findCaption, c.busy ? text::kSearching : text::kFind) << c.code;
        EXPECT_STREQ(view.nextCaption, c.busy ? text::kSearching : text::kNextPage) << c.code;
    }
}

// Each kind of reply in each state the window can be in when it is taken.
TEST(SearchSession, ReplyByStateAndKind) {
    enum State { FromForm, ReQuery, Extra, AfterBack, FindAgain };
    enum Reply { Batch, Failure, Empty, Unmergeable };
    const struct {
        State state;
        Reply reply;
        const wchar_t* box;
        TabView view;
        const wchar_t* label;
        bool next;
        const wchar_t* firstRow;
    } cases[] = {
        {FromForm, Batch, L"", TabView::Results, L"第1页", true, L"acc11"},
        {FromForm, Failure, text::kServerTimeout, TabView::Form, L"没有记录", false, L""},
        {FromForm, Empty, text::kNothingFound, TabView::Form, L"没有记录", false, L""},
        {ReQuery, Batch, L"", TabView::Results, L"第2页", true, L"acc11"},
        {ReQuery, Failure, text::kServerTimeout, TabView::Results, L"第1页", true, L"acc1"},
        {ReQuery, Empty, text::kNothingFound, TabView::Results, L"第1页", false, L"acc1"},
        // Copying the batch runs out of memory: taken back, and answered as a failed query.
        {FromForm, Unmergeable, text::kServerTimeout, TabView::Form, L"没有记录", false, L""},
        {ReQuery, Unmergeable, text::kServerTimeout, TabView::Results, L"第1页", true, L"acc1"},
        {Extra, Batch, L"", TabView::Results, L"第1页", true, L"acc1"},
        {Extra, Failure, L"", TabView::Results, L"第1页", true, L"acc1"},
        {Extra, Empty, L"", TabView::Results, L"第1页", false, L"acc1"},
        {AfterBack, Batch, L"", TabView::Form, L"没有记录", false, L""},
        {AfterBack, Failure, L"", TabView::Form, L"没有记录", false, L""},
        {FindAgain, Batch, L"", TabView::Results, L"第1页", true, L"acc11"},
    };
    for (const auto& c : cases) {
        Session s;
        ASSERT_FALSE(s.session.Find(ByNick(L"王")));
        if (c.state != FromForm && c.state != FindAgain) {
            s.Reply(true, Users(1, c.state == Extra ? 3 : 10));
            if (c.state != Extra)
                s.session.NextPage(ByNick(L"王"));  // past the cache: the same query again
        }
        const UserInfoSet batch = c.reply == Batch || c.reply == Unmergeable ? Users(11, 5) : UserInfoSet();
        if (c.reply == Unmergeable)
            g_allocationsLeft = 3;  // a few records in
        s.session.ReceiveUsers(c.reply != Failure, batch);
        g_allocationsLeft = -1;
        if (c.state == AfterBack)
            s.session.Back();
        if (c.state == FindAgain)
            s.session.Find(ByNick(L"王"));  // Enter again before the answer is taken: one query at a time
        const std::string name = "state " + std::to_string(c.state) + ", reply " + std::to_string(c.reply);
        EXPECT_STREQ(BoxText(s.session.TakeReply()), c.box) << name;
        const SearchViewState view = s.View();
        EXPECT_FALSE(view.busy) << name;
        EXPECT_EQ(view.view, c.view) << name;
        EXPECT_EQ(view.pageLabel, c.label) << name;
        EXPECT_EQ(view.nextEnabled, c.next) << name;
        EXPECT_EQ(view.findEnabled, c.view == TabView::Form) << name;
        EXPECT_EQ(view.backEnabled, c.view == TabView::Results) << name;
        EXPECT_EQ(s.FirstRow(), c.firstRow) << name;
        EXPECT_EQ(s.host.mergeFailures, c.reply == Unmergeable ? 1 : 0) << name;
    }
}

TEST(SearchSession, PagesFollowTheRowsLastShownNotAList) {
    Session s;
    s.session.Find(ByNick(L"王"));
    s.Reply(true, Users(1, 3));
    s.session.NextPage(ByNick(L"王"));
    ASSERT_EQ(s.host.sent.size(), 2u) << "three rows shown: Next asks for more";
    s.Reply(true, Users(1, 25));  // 22 new: the short page fills up and stays
    EXPECT_EQ(s.View().pageLabel, L"第1页");
    EXPECT_EQ(s.session.PageRows(SearchTab::Users).size(), 10u);
    s.session.NextPage(ByNick(L"王"));
    EXPECT_EQ(s.host.sent.size(), 2u) << "from the cache";
    EXPECT_EQ(s.View().pageLabel, L"第2页");
    EXPECT_EQ(s.FirstRow(), L"acc11");
    EXPECT_TRUE(s.View().previousEnabled);
    s.session.PreviousPage();
    EXPECT_EQ(s.FirstRow(), L"acc1") << "back from a full page, not on again";
    EXPECT_FALSE(s.View().previousEnabled);
    s.session.NextPage(ByNick(L"王"));
    EXPECT_EQ(s.View().pageLabel, L"第2页") << "the page shown again is full: Next moves on";
    s.session.NextPage(ByNick(L"王"));
    s.session.PreviousPage();  // from a short last page
    s.session.NextPage(ByNick(L"王"));
    EXPECT_EQ(s.View().pageLabel, L"第3页") << "the page before was shown full";
}

// What each step puts in front of the user (the focus moves to it), and whether it fills the list
// anew (which ends its selection). Each starts on page 1 of 15 users, the first row selected and
// addable, after `before`.
TEST(SearchSession, WhatEachStepPutsInFrontAndRefills) {
    using Step = std::function<void(Session&)>;
    const Step next = [](Session& s) { s.session.NextPage(ByNick(L"王")); };
    const Step back = [](Session& s) { s.session.Back(); };
    const struct {
        const char* name;
        Step before, step;
        bool focusMoves, refills, selected;
    } cases[] = {
        {"next page from the cache", nullptr, next, true, true, false},
        {"previous page", next, [](Session& s) { s.session.PreviousPage(); }, true, true, false},
        {"previous page from the last page", [&](Session& s) { next(s), next(s), s.Reply(true, UserInfoSet()); },
         [](Session& s) { s.session.PreviousPage(); }, true, true, false},
        {"back", nullptr, back, true, true, false},
        {"reset", nullptr, [](Session& s) { s.session.Reset(SearchTab::Users); }, true, true, false},
        {"presented again", nullptr, [](Session& s) { s.session.Present(); }, true, false, true},
        {"a switch there and back", nullptr,
         [](Session& s) { s.session.SwitchTab(SearchTab::Zones), s.session.SwitchTab(SearchTab::Users); }, true, false, true},
        {"an extra batch", nullptr, [](Session& s) { s.Reply(true, Users(16, 2)); }, false, true, false},
        {"an extra failure", nullptr, [](Session& s) { s.Reply(false, UserInfoSet()); }, false, false, true},
        {"a batch taken after its query was cancelled", nullptr,
         [](Session& s) { s.session.ReceiveUsers(true, Users(16, 2)), s.session.CancelQueries(), s.session.TakeReply(); }, false, false, true},
        {"a stray reply message", nullptr, [](Session& s) { s.session.TakeReply(); }, false, false, true},
        {"a Find from the result view sends nothing", nullptr,
         [](Session& s) { s.session.Find(ByNick(L"王")), s.Reply(true, Users(16, 2)); }, false, true, false},
        {"a search on the other tab", nullptr,
         [](Session& s) {
             s.session.SwitchTab(SearchTab::Zones), s.session.Find(SearchCriteria().Choose(SearchBy::ZoneId, L"1"));
             s.session.ReceiveZones(true, Zones(1, 1)), s.session.TakeReply(), s.session.SwitchTab(SearchTab::Users);
         }, true, false, true},
        {"a re-query answered", next, [&](Session& s) { next(s), s.Reply(true, Users(16, 2)); }, true, true, false},
        {"a re-query failed", next, [&](Session& s) { next(s), s.Reply(false, UserInfoSet()); }, true, false, true},
        {"a Find from the form failed", back,
         [](Session& s) { s.session.Find(ByNick(L"王")), s.Reply(false, UserInfoSet()); }, false, true, false},
        {"a Find from the form answered", back,
         [](Session& s) { s.session.Find(ByNick(L"王")), s.Reply(true, Users(1, 3)); }, true, true, false},
    };
    for (const auto& c : cases) {
        Session s;
        s.session.Find(ByNick(L"王"));
        s.Reply(true, Users(1, 15));
        if (c.before)
            c.before(s);
        if (const std::optional<RowRecord> record = s.session.SelectRow(0))
            s.session.DecideAdd(*record, false, 0);
        const SearchViewState before = s.View();
        c.step(s);
        const SearchViewState view = s.View();
        EXPECT_EQ(view.focusMoves != before.focusMoves, c.focusMoves) << c.name;
        EXPECT_EQ(view.rowsVersion[0] != before.rowsVersion[0], c.refills) << c.name;
        EXPECT_EQ(view.viewEnabled, c.selected) << c.name;
        EXPECT_EQ(view.addEnabled, c.selected) << c.name;
    }
}

// A query that failed may still be answered: the form stays, and the next Find starts afresh.
TEST(SearchSession, AFormKeepsOutWhatAFailedQueryStillSends) {
    Session s;
    s.session.Find(ByNick(L"王"));
    EXPECT_STREQ(BoxText(s.Reply(false, UserInfoSet())), text::kServerTimeout);
    EXPECT_FALSE(s.Reply(true, Users(50, 12)));
    if (const std::optional<RowRecord> record = s.session.SelectRow(0))
        s.session.DecideAdd(*record, false, 0);
    EXPECT_EQ(s.View().view, TabView::Form);
    EXPECT_FALSE(s.View().nextEnabled);
    EXPECT_FALSE(s.View().viewEnabled) << "no row actions in a form";
    EXPECT_FALSE(s.View().addEnabled);
    s.session.Find(ByNick(L"王"));
    s.Reply(true, Users(1, 3));
    EXPECT_EQ(s.FirstRow(), L"acc1");
    EXPECT_EQ(s.session.PageRows(SearchTab::Users).size(), 3u);
}

TEST(SearchSession, AnAccountNeverHasANextPage) {
    for (bool byAccount : {false, true}) {
        Session s;
        SearchCriteria criteria = byAccount ? SearchCriteria().Choose(SearchBy::Account, L"acc1") : ByNick(L"王");
        s.session.Find(criteria);
        s.Reply(true, Users(1, 15));
        EXPECT_EQ(s.View().nextEnabled, !byAccount) << byAccount;
        s.session.NextPage(criteria);
        EXPECT_EQ(s.View().pageLabel, byAccount ? L"第1页" : L"第2页") << byAccount;
        s.session.SwitchTab(SearchTab::Zones);  // a zone search meanwhile leaves it so
        s.session.Find(SearchCriteria().Choose(SearchBy::ZoneId, L"1"));
        s.session.ReceiveZones(true, Zones(1, 1)), s.session.TakeReply(), s.session.SwitchTab(SearchTab::Users);
        EXPECT_EQ(s.View().nextEnabled, !byAccount) << byAccount;
    }
}

// The client opens the window it already shows while a query is out: the busy look stays whole.
TEST(SearchSession, PresentingABusyWindowKeepsItBusy) {
    for (bool reQuery : {false, true}) {
        Session s;
        s.session.Find(ByNick(L"王"));
        if (reQuery) {
            s.Reply(true, Users(1, 15));
            s.session.NextPage(ByNick(L"王"));  // page 2, from the cache
            s.session.NextPage(ByNick(L"王"));
        }
        const std::uint64_t before = s.View().focusMoves;
        s.session.Present();
        s.session.PreviousPage();  // refused: the query decides the page
        const SearchViewState view = s.View();
        EXPECT_NE(view.focusMoves, before);
        EXPECT_TRUE(view.busy);
        EXPECT_FALSE(view.findEnabled);
        EXPECT_STREQ(view.findCaption, text::kSearching);
        EXPECT_FALSE(view.nextEnabled);
        EXPECT_FALSE(view.previousEnabled);
        EXPECT_FALSE(view.tabsEnabled);
        EXPECT_EQ(view.backEnabled, reQuery);
        EXPECT_EQ(view.pageLabel, reQuery ? L"第2页" : L"没有记录");
        EXPECT_FALSE(s.Reply(true, Users(16, 5))) << "the answer lands as it would have";
        EXPECT_EQ(s.View().pageLabel, reQuery ? L"第2页" : L"第1页");
        EXPECT_TRUE(s.View().tabsEnabled);
    }
}

TEST(SearchSession, UnderABoxRepliesWaitAndNothingIsSent) {
    Session s;
    s.session.Find(ByNick(L"王"));
    s.session.HoldReplies();
    s.session.ReceiveUsers(true, Users(1, 3));
    EXPECT_EQ(s.host.posts, 1);
    EXPECT_FALSE(s.session.TakeReply());
    EXPECT_TRUE(s.View().busy) << "the page must not change beneath the box";
    s.session.ReleaseReplies();
    EXPECT_TRUE(s.session.RepliesWaiting());
    s.session.TakeReply();
    EXPECT_EQ(s.View().view, TabView::Results);
    s.session.Back();
    s.session.HoldReplies();
    EXPECT_FALSE(s.session.Find(ByNick(L"王")));
    s.session.ReleaseReplies();
    EXPECT_EQ(s.host.sent.size(), 1u) << "a Find dispatched by a box's loop sends nothing";
}

TEST(SearchSession, BackAndResetAbandonAfterTheCommandIsRenewed) {
    for (bool reset : {false, true}) {
        Session s;
        s.session.Back();
        EXPECT_EQ(s.host.renewals, 0) << "a command that sent nothing stays";
        s.session.Find(ByNick(L"王"));
        s.session.Back();
        EXPECT_TRUE(s.View().busy) << "Back belongs to the result view: the query just sent stays";
        s.Reply(true, Users(1, 10));
        s.session.NextPage(ByNick(L"王"));
        SearchViewState atRenewal;
        s.host.onRenew = [&] { atRenewal = s.View(); };
        s.session.ReceiveUsers(true, Users(11, 5));  // merged before, taken after
        if (reset)
            s.session.Reset(SearchTab::Users);
        else
            s.session.Back();
        EXPECT_EQ(s.host.renewals, 1) << reset;
        EXPECT_FALSE(atRenewal.busy) << "the query is cancelled before the command goes";
        EXPECT_EQ(atRenewal.pageLabel, L"第1页") << "and the records go only after it";
        EXPECT_FALSE(s.session.TakeReply());
        EXPECT_EQ(s.View().view, TabView::Form);
        EXPECT_EQ(s.View().pageLabel, L"没有记录");
        s.session.Find(ByNick(L""));  // refused: nothing sent
        s.session.Reset(SearchTab::Users);
        EXPECT_EQ(s.host.renewals, 1) << "nothing sent since";
    }
}

TEST(SearchSession, TabsKeepTheirViewsAndAreLockedWhileAQueryIsOut) {
    Session s;
    s.session.Find(ByNick(L"王"));
    EXPECT_FALSE(s.session.SwitchTab(SearchTab::Zones));
    EXPECT_EQ(s.session.Front(), SearchTab::Users);
    s.Reply(true, Users(1, 3));
    ASSERT_TRUE(s.session.SwitchTab(SearchTab::Zones));
    EXPECT_EQ(s.View().view, TabView::Form);
    EXPECT_STREQ(s.View().addCaption, text::kAddFriend) << "a form leaves Add as it was";
    s.session.ReceiveUsers(true, Users(20, 2));  // for the tab behind: not merged
    s.session.TakeReply();
    s.session.Find(SearchCriteria().Choose(SearchBy::ZoneId, L"1"));
    EXPECT_FALSE(s.session.SwitchTab(SearchTab::Users)) << "a zone query locks them too";
    EXPECT_TRUE(s.View().busy);
    s.session.ReceiveZones(true, Zones(1, 1));
    s.session.TakeReply();
    EXPECT_STREQ(s.View().addCaption, text::kJoinZone);
    s.session.SwitchTab(SearchTab::Users);
    EXPECT_EQ(s.View().view, TabView::Results);
    EXPECT_STREQ(s.View().addCaption, text::kAddFriend) << "the results in front offer their Add";
    EXPECT_EQ(s.session.PageRows(SearchTab::Users).size(), 3u);
    s.session.ReceiveUsers(true, Users(30, 2));  // merged while in front, taken behind
    s.session.SwitchTab(SearchTab::Zones);
    s.session.TakeReply();
    EXPECT_STREQ(s.View().addCaption, text::kJoinZone) << "a page filled up behind leaves Add alone";
    s.session.SwitchTab(SearchTab::Users);
    s.session.Reset(SearchTab::Zones);
    EXPECT_EQ(s.session.Front(), SearchTab::Zones);
    EXPECT_EQ(s.View().front, SearchTab::Zones);
    s.session.SwitchTab(SearchTab::Users);
    EXPECT_EQ(s.View().view, TabView::Form) << "a reset returns both tabs to their forms";
}

TEST(SearchSession, RepliesWithoutAWindowAreDropped) {
    FakeHost host;
    SearchSession session(host, {});
    session.ReceiveUsers(true, Users(1, 3));
    EXPECT_TRUE(session.PageRows(SearchTab::Users).empty()) << "not even merged";
    session.OpenMailbox();
    session.Reset(SearchTab::Zones);
    session.Find(SearchCriteria().Choose(SearchBy::ZoneId, L"1"));
    session.CancelQueries();  // the window goes: its queries end with it
    EXPECT_FALSE(session.View().busy);
    session.CloseMailbox();
    session.ReceiveZones(false, ZoneInfoSet());
    EXPECT_EQ(host.posts, 0);
    EXPECT_FALSE(session.RepliesWaiting());
}

TEST(SearchSession, AddIsForStrangersOnlyAndViewForAnyRow) {
    const struct {
        SearchTab tab;
        bool known;
        std::uint64_t self;
        bool add;
    } cases[] = {
        {SearchTab::Users, false, 42, true}, {SearchTab::Users, true, 42, false},
        {SearchTab::Users, false, 1, false}, {SearchTab::Zones, false, 1, true},
        {SearchTab::Zones, true, 42, false},
    };
    for (const auto& c : cases) {
        Session s;
        s.session.Reset(c.tab);
        SearchCriteria criteria = ByNick(L"王");
        criteria.Choose(SearchBy::ZoneId, L"1");
        s.session.Find(criteria);
        const bool users = c.tab == SearchTab::Users;
        const std::uint64_t version = s.View().rowsVersion[static_cast<int>(c.tab)];
        if (users) {
            s.Reply(true, Users(1, 3));
        } else {
            s.session.ReceiveZones(true, Zones(1, 3, 2));
            s.session.TakeReply();
            EXPECT_EQ(s.session.PageRows(SearchTab::Zones)[0].columns[2], text::kUnknownIndustry) << "codes 0 and 1 only";
        }
        EXPECT_EQ(s.View().pageLabel, L"第1页");
        EXPECT_NE(s.View().rowsVersion[static_cast<int>(c.tab)], version) << "its list is filled anew";
        const ResultRow row = s.session.PageRows(c.tab)[0];
        EXPECT_EQ(std::vector<std::wstring>(row.columns, row.columns + 4),
                  (users ? std::vector<std::wstring>{L"acc1", L"昵称1", L"在线", L"公司1"}
                         : std::vector<std::wstring>{L"1", L"商圈1", text::kUnknownIndustry, L""}));
        EXPECT_STREQ(s.View().rowAddCaption, users ? text::kAddFriend : text::kJoinZone);
        EXPECT_STREQ(s.View().copyCaption, users ? text::kCopyAccount : text::kCopyZoneId);
        const std::optional<RowRecord> record = s.session.SelectRow(0);
        ASSERT_TRUE(record);
        EXPECT_EQ(record->id, 1u);
        EXPECT_EQ(record->account, users ? L"acc1" : L"");
        EXPECT_EQ(record->copyText, users ? L"acc1" : L"1");
        EXPECT_TRUE(s.View().viewEnabled);
        EXPECT_FALSE(s.View().addEnabled) << "not before the client has answered";
        s.session.DecideAdd(*record, c.known, c.self);
        EXPECT_EQ(s.View().addEnabled, c.add) << static_cast<int>(c.tab) << c.known << c.self;
        s.session.SelectRow(1);
        s.session.DecideAdd(*record, false, 0);  // the answer about the row selected before
        EXPECT_FALSE(s.View().addEnabled) << "an answer is for its own row only";
        s.session.SelectRow(-1);
        EXPECT_FALSE(s.View().viewEnabled);
    }
}

// The forms and the keyboard: the radio each tab's form has checked, where the focus goes when a
// view is put in front, and what Enter does, after each step from a fresh reset.
TEST(SearchSession, FormsFocusAndEnterFollowTheViewInFront) {
    using On = ViewFocus::On;
    using Step = std::function<void(Session&)>;
    const std::optional<SearchBy> none;
    const struct {
        const char* name;
        Step step;
        std::optional<SearchBy> users, zones;
        ViewFocus focus;
        EnterKey enter;
        bool focusMoves;
    } cases[] = {
        {"reset", [](Session&) {}, SearchBy::Company, SearchBy::ZoneId, {On::Edit, SearchBy::Company}, EnterKey::Find, false},
        {"reset to zones", [](Session& s) { s.session.Reset(SearchTab::Zones); }, SearchBy::Company, SearchBy::ZoneId, {On::Edit, SearchBy::ZoneId}, EnterKey::Find, true},
        {"nickname checked", [](Session& s) { s.session.Choose(SearchTab::Users, SearchBy::Nick); }, SearchBy::Nick, SearchBy::ZoneId, {On::Edit, SearchBy::Nick}, EnterKey::Find, false},
        {"online checked: no edit", [](Session& s) { s.session.Choose(SearchTab::Users, SearchBy::Online); }, SearchBy::Online, SearchBy::ZoneId, {}, EnterKey::Find, false},
        {"none checked", [](Session& s) { s.session.Choose(SearchTab::Users, std::nullopt); }, none, SearchBy::ZoneId, {}, EnterKey::Find, false},
        {"another tab's radio changes nothing", [](Session& s) { s.session.Choose(SearchTab::Users, SearchBy::ZoneName); }, SearchBy::Company, SearchBy::ZoneId, {On::Edit, SearchBy::Company}, EnterKey::Find, false},
        {"name checked on the tab behind", [](Session& s) { s.session.Choose(SearchTab::Zones, SearchBy::ZoneName); }, SearchBy::Company, SearchBy::ZoneName, {On::Edit, SearchBy::Company}, EnterKey::Find, false},
        {"switch to a form", [](Session& s) { s.session.Choose(SearchTab::Zones, SearchBy::ZoneName), s.session.SwitchTab(SearchTab::Zones); }, SearchBy::Company, SearchBy::ZoneName, {On::Edit, SearchBy::ZoneName}, EnterKey::Find, true},
        {"results", [](Session& s) { s.session.Find(ByNick(L"王")), s.Reply(true, Users(1, 3)); }, SearchBy::Company, SearchBy::ZoneId, {On::List}, EnterKey::ViewRow, true},
        {"a reset forgets the choices", [](Session& s) { s.session.Choose(SearchTab::Users, SearchBy::Account), s.session.Reset(SearchTab::Users); }, SearchBy::Company, SearchBy::ZoneId, {On::Edit, SearchBy::Company}, EnterKey::Find, true},
    };
    for (const auto& c : cases) {
        Session s;
        const SearchViewState before = s.View();
        c.step(s);
        const SearchViewState view = s.View();
        EXPECT_EQ(view.checked[0], c.users) << c.name;
        EXPECT_EQ(view.checked[1], c.zones) << c.name;
        EXPECT_TRUE(view.focus == c.focus) << c.name;
        EXPECT_EQ(view.enter, c.enter) << c.name;
        EXPECT_EQ(view.focusMoves != before.focusMoves, c.focusMoves) << c.name;
    }
    Session s;
    const std::uint64_t reset = s.View().formsReset;
    s.session.Back();
    s.session.SwitchTab(SearchTab::Zones);
    EXPECT_EQ(s.View().formsReset, reset) << "only a reset puts the forms back";
    s.session.Reset(SearchTab::Users);
    EXPECT_NE(s.View().formsReset, reset);
}
