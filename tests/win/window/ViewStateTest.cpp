// Which controls each tab and view shows and enables, the pager, reset, tabs, Back, the radio
// buttons and the Enter/Escape keys.
#include <algorithm>
#include <functional>
#include <iterator>

#include "SearchWindowFixture.h"

TEST_F(SearchWindowTest, ResetLeavesBothFormsInTheirDefaultState) {
    m_handler.industries = {L"金融", L"制造"};
    Start(true);
    Type(ids::EditCompany, L"星光");
    Click(ids::RadioNick);
    Type(ids::EditNick, L"小王");
    ClickTab(1);
    Click(ids::RadioZoneByName);
    Type(ids::EditZoneName, L"茶");
    ChooseIndustry(2);
    Click(ids::Close);
    Start(true);

    EXPECT_TRUE(Checked(ids::RadioCompany));
    EXPECT_FALSE(Checked(ids::RadioNick));
    EXPECT_FALSE(Checked(ids::RadioAccount));
    EXPECT_FALSE(Checked(ids::RadioOnline));
    EXPECT_TRUE(Enabled(ids::EditCompany));
    EXPECT_FALSE(Enabled(ids::EditNick));
    EXPECT_FALSE(Enabled(ids::EditAccount));
    EXPECT_EQ(Text(ids::EditCompany), L"星光") << "the company edit keeps its text";
    EXPECT_EQ(Text(ids::EditNick), L"");
    EXPECT_EQ(Text(ids::EditAccount), L"");
    EXPECT_TRUE(Enabled(ids::Find));
    EXPECT_FALSE(Enabled(ids::Back));

    ClickTab(1);
    EXPECT_TRUE(Checked(ids::RadioZoneById));
    EXPECT_FALSE(Checked(ids::RadioZoneByName));
    EXPECT_TRUE(Enabled(ids::EditZoneId));
    EXPECT_FALSE(Enabled(ids::EditZoneName));
    EXPECT_FALSE(Enabled(ids::ComboIndustry));
    EXPECT_EQ(Text(ids::EditZoneId), L"");
    EXPECT_EQ(Text(ids::EditZoneName), L"");
    EXPECT_EQ(::SendMessageW(Control(ids::ComboIndustry), CB_GETCURSEL, 0, 0), 0);
    Click(ids::RadioZoneByName);
    Snapshot(L"zones-form");
}

TEST_F(SearchWindowTest, RadioButtonsEnableTheirOwnInputs) {
    Start(true);
    const struct { int radio; int enabled; } userCases[] = {
        {ids::RadioNick, ids::EditNick},
        {ids::RadioAccount, ids::EditAccount},
        {ids::RadioCompany, ids::EditCompany},
    };
    for (const auto& c : userCases) {
        Click(c.radio);
        for (int edit : {ids::EditNick, ids::EditAccount, ids::EditCompany})
            EXPECT_EQ(Enabled(edit), edit == c.enabled) << "radio " << c.radio << ", edit " << edit;
    }
    ClickTab(1);
    Click(ids::RadioZoneByName);
    EXPECT_FALSE(Enabled(ids::EditZoneId));
    EXPECT_TRUE(Enabled(ids::EditZoneName));
    EXPECT_TRUE(Enabled(ids::ComboIndustry));
    Click(ids::RadioZoneById);
    EXPECT_TRUE(Enabled(ids::EditZoneId));
    EXPECT_FALSE(Enabled(ids::EditZoneName));
    EXPECT_FALSE(Enabled(ids::ComboIndustry));
}

TEST_F(SearchWindowTest, ResultViewShowsListPagerAndCommandRowOnly) {
    Start(true);
    SearchByNick(L"王", Users(1, 3));
    const int shown[] = {ids::ListUser, ids::Back, ids::NextPage, ids::PrevPage, ids::Add,
                         ids::View, ids::PageLabel, ids::Tab, ids::Close};
    const int hidden[] = {ids::RadioCompany, ids::RadioNick, ids::RadioAccount, ids::EditNick,
                          ids::EditAccount, ids::EditCompany, ids::Find, ids::StaticCriteria,
                          ids::Separator, ids::ListZone, ids::RadioZoneById};
    for (int id : shown)
        EXPECT_TRUE(Shown(id)) << "control " << id;
    for (int id : hidden)
        EXPECT_FALSE(Shown(id)) << "control " << id;
    EXPECT_TRUE(Enabled(ids::Back));
    EXPECT_FALSE(Enabled(ids::Add)) << "no row is selected after a page fill";
    EXPECT_FALSE(Enabled(ids::View));
    EXPECT_FALSE(Enabled(ids::PrevPage));
    EXPECT_EQ(Text(ids::PageLabel), L"第1页");
    EXPECT_EQ(Text(ids::Add), L"加为好友");
}

TEST_F(SearchWindowTest, NextPageFollowsTheCacheAndTheLastBatch) {
    Start(true);
    // 25 cached, page 2 shown: more rows in the cache.
    SearchByNick(L"王", Users(1, 25));
    Click(ids::NextPage);
    EXPECT_EQ(Text(ids::PageLabel), L"第2页");
    EXPECT_TRUE(Enabled(ids::NextPage)) << "25 > 20";
    EXPECT_TRUE(Enabled(ids::PrevPage));
    Click(ids::Back);

    // 20 cached on page 2 after a batch that brought 10 new records: the server may have more.
    SearchByNick(L"王", Users(100, 10));
    Click(ids::NextPage);
    AnswerUsers(Users(110, 10));
    EXPECT_EQ(Text(ids::PageLabel), L"第2页");
    EXPECT_TRUE(Enabled(ids::NextPage)) << "20 > 10 and the last batch added records";

    // A batch of nothing new from a full page: the page stays as it was and the paging ends,
    // without a box (the server answered; it just had nothing more).
    Click(ids::NextPage);
    AnswerUsers(Users(100, 10));
    EXPECT_EQ(Text(ids::PageLabel), L"第2页");
    EXPECT_EQ(FirstColumn(ids::ListUser).front(), L"acc110");
    EXPECT_EQ(RowCount(ids::ListUser), 10);
    EXPECT_FALSE(Enabled(ids::NextPage));
    EXPECT_TRUE(Enabled(ids::PrevPage));
    EXPECT_TRUE(Enabled(ids::Back));
    EXPECT_TRUE(RecordedBoxes().empty());
}

TEST_F(SearchWindowTest, AccountSearchNeverOffersANextPage) {
    Start(true);
    Click(ids::RadioAccount);
    Type(ids::EditAccount, L"acc1");
    Click(ids::Find);
    AnswerUsers(Users(1, 15));
    EXPECT_EQ(RowCount(ids::ListUser), 10);
    EXPECT_FALSE(Enabled(ids::NextPage));
}

TEST_F(SearchWindowTest, TabsKeepTheirOwnViewsAndBackTouchesOnlyTheCurrentOne) {
    m_handler.industries = {L"金融"};
    Start(true);
    SearchByNick(L"王", Users(1, 12));
    Click(ids::NextPage);
    ClickTab(1);
    EXPECT_TRUE(Shown(ids::RadioZoneById)) << "the zones tab shows its form";
    EXPECT_FALSE(Shown(ids::ListUser));
    EXPECT_EQ(Text(ids::Add), L"加为好友") << "a form tab does not refresh the pager";

    Type(ids::EditZoneId, L"7");
    Click(ids::Find);
    AnswerZones(Zones(7, 1));
    EXPECT_TRUE(Shown(ids::ListZone));
    EXPECT_EQ(Text(ids::Add), L"加入商圈");
    Click(ids::Back);
    EXPECT_TRUE(Shown(ids::RadioZoneById));
    EXPECT_EQ(Text(ids::EditZoneId), L"7") << "Back returns to the form as it was";
    EXPECT_EQ(RowCount(ids::ListZone), 0);

    ClickTab(0);
    EXPECT_TRUE(Shown(ids::ListUser)) << "the users tab kept its results";
    EXPECT_EQ(Text(ids::PageLabel), L"第2页");
    EXPECT_EQ(Text(ids::Add), L"加为好友") << "a result tab refreshes the pager";
    EXPECT_EQ(FirstColumn(ids::ListUser), (std::vector<std::wstring>{L"acc11", L"acc12"}));
}

TEST_F(SearchWindowTest, EnterInAFormRunsFindFromAnyControl) {
    m_handler.industries = {L"金融"};
    Start(true);
    Click(ids::RadioNick);
    Type(ids::EditNick, L"王");
    const int users[] = {ids::EditNick, ids::RadioNick, ids::RadioCompany};
    std::size_t sent = 0;
    for (int id : users) {
        PressKey(id, VK_RETURN);
        ++sent;
        ASSERT_EQ(m_service.QueryCount(), sent) << "Enter in control " << id;
        AnswerUsers(Users(1, 2));
        Click(ids::Back);
    }
    ClickTab(1);
    Click(ids::RadioZoneByName);
    ChooseIndustry(1);
    PressKey(ids::ComboIndustry, VK_RETURN);
    EXPECT_EQ(m_service.QueryCount(), sent + 1);
}

TEST_F(SearchWindowTest, EnterInABusyFormDoesNothing) {
    Start(true);
    Click(ids::RadioNick);
    Type(ids::EditNick, L"王");
    PressKey(ids::EditNick, VK_RETURN);
    ASSERT_EQ(m_service.QueryCount(), 1u);
    ASSERT_FALSE(Enabled(ids::Find));
    PressKey(ids::EditNick, VK_RETURN);
    PressKey(ids::RadioNick, VK_RETURN);
    EXPECT_EQ(m_service.QueryCount(), 1u) << "as the disabled Find button would";

    // So a failure is reported once, and the next Enter searches again.
    ASSERT_TRUE(m_service.FailOldest());
    Pump();
    EXPECT_EQ(RecordedBoxes().size(), 1u);
    PressKey(ids::EditNick, VK_RETURN);
    EXPECT_EQ(m_service.QueryCount(), 2u);
    AnswerUsers(Users(1, 12));
    EXPECT_EQ(FirstColumn(ids::ListUser).front(), L"acc1") << "page 1 of the search, not page 2";
}

// Enter posts Find; when the answer's post is already queued ahead of it, the answer shows the
// results first, and the Find that arrives after it must not ask for more of the search.
TEST_F(SearchWindowTest, EnterRacingTheAnswerSendsNothingMore) {
    Start(true);
    SendNickSearch(L"王");
    ASSERT_EQ(m_service.QueryCount(), 1u);
    ASSERT_TRUE(m_service.AnswerUsers(true, Users(1, 12)));
    ASSERT_TRUE(m_transmit->WaitIdle(std::chrono::seconds(20)));  // merged and posted, not handled
    ::PostMessageW(Dialog(), WM_COMMAND, ids::Find, 0);            // what Enter in the form posts
    Pump();
    EXPECT_EQ(m_service.QueryCount(), 1u);
    EXPECT_EQ(Text(ids::PageLabel), L"第1页");
    EXPECT_EQ(Text(ids::NextPage), L"下一页");
    EXPECT_TRUE(Enabled(ids::NextPage));
    EXPECT_EQ(FirstColumn(ids::ListUser).front(), L"acc1");
}

TEST_F(SearchWindowTest, EnterInResultsAndEscapeAnywhereAreSwallowed) {
    Start(true);
    PressKey(ids::EditCompany, VK_ESCAPE);
    EXPECT_TRUE(::IsWindowVisible(Dialog())) << "Escape never closes the window";
    SearchByNick(L"王", Users(1, 3));
    const std::size_t before = m_service.QueryCount();
    PressKey(ids::ListUser, VK_RETURN);
    PressKey(ids::ListUser, VK_ESCAPE);
    EXPECT_EQ(m_service.QueryCount(), before);
    EXPECT_TRUE(::IsWindowVisible(Dialog()));
    EXPECT_TRUE(Shown(ids::ListUser));
}

TEST_F(SearchWindowTest, TabKeyMovesTheFocusThroughTheForm) {
    Start(true);
    ::SetFocus(Control(ids::EditCompany));
    PressKey(ids::EditCompany, VK_TAB);
    EXPECT_NE(::GetFocus(), Control(ids::EditCompany)) << "the dialog keyboard handles Tab";
}

TEST_F(SearchWindowTest, ResultsForAWindowInTheBackgroundDoNotTakeTheKeyboard) {
    Start(true);
    SendNickSearch(L"王");
    // The client's own window in front, as when the user goes on working there.
    HWND other = ::CreateWindowExW(0, L"STATIC", L"client", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                   nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    ::SetActiveWindow(other);
    Pump();
    ASSERT_EQ(::GetActiveWindow(), other);

    AnswerUsers(Users(1, 3));
    EXPECT_EQ(::GetActiveWindow(), other) << "the results did not pull the search window forward";
    ::DestroyWindow(other);
    Pump();
    ::SetActiveWindow(Dialog());
    Pump();
    EXPECT_EQ(FocusedId(), ids::ListUser) << "the list takes the focus when the window comes back";
}

// Every path ends in drawing the session's view; drawing it again, as a stray result message
// makes the window do, must change nothing a user could see.
TEST_F(SearchWindowTest, DrawingTheSameViewAgainChangesNothing) {
    const int controls[] = {ids::Tab, ids::RadioCompany, ids::RadioNick, ids::RadioAccount, ids::EditNick,
                            ids::EditAccount, ids::EditCompany, ids::ListUser, ids::ListZone, ids::Back,
                            ids::Find, ids::Close, ids::PrevPage, ids::NextPage, ids::Add, ids::View,
                            ids::PageLabel, ids::EditZoneId, ids::EditZoneName, ids::ComboIndustry,
                            ids::RadioZoneById, ids::RadioZoneByName};
    const auto look = [&] {
        std::wstring state = std::to_wstring(FocusedId());
        for (int id : controls)
            state += L"|" + std::to_wstring(Shown(id)) + std::to_wstring(Enabled(id)) + Text(id);
        for (const std::wstring& row : FirstColumn(ids::ListUser))
            state += L"|" + row;
        return state;
    };
    const auto strayResult = [&] {
        ::PostMessageW(Dialog(), WM_USER + 100, 0, 0);
        Pump();
    };
    Start(true);
    const std::function<void()> steps[] = {
        [] {},
        [&] { SendNickSearch(L"王"); },                 // busy from the form
        [&] { AnswerUsers(Users(1, 10)); },            // page 1
        [&] { Click(ids::NextPage); },                 // busy re-query
        [&] { AnswerUsers(Users(11, 3)); SelectRow(1); },  // page 2, a row selected
        [&] { ClickTab(1); },                          // the zones form
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        steps[i]();
        const std::wstring before = look();
        strayResult();
        EXPECT_EQ(look(), before) << "step " << i;
    }
}

// The wiring of every control to the view state: in each state, which controls are shown (all
// others hidden), which of those are disabled, and the captions the state sets.
TEST_F(SearchWindowTest, EachViewStateDrawsEveryControl) {
    const int all[] = {ids::Tab, ids::RadioCompany, ids::RadioOnline, ids::RadioNick, ids::RadioAccount,
                       ids::EditNick, ids::EditAccount, ids::ListUser, ids::Back, ids::Find, ids::Close,
                       ids::PrevPage, ids::NextPage, ids::Add, ids::View, ids::PageLabel, ids::ListZone,
                       ids::EditZoneId, ids::EditZoneName, ids::ComboIndustry, ids::RadioZoneById,
                       ids::RadioZoneByName, ids::StaticIndustry, ids::StaticCriteria, ids::Separator,
                       ids::GroupExact, ids::EditCompany};
    const std::vector<int> usersForm = {ids::Tab, ids::Close, ids::StaticCriteria, ids::Separator, ids::Find,
                                        ids::RadioCompany, ids::RadioNick, ids::RadioAccount,
                                        ids::EditCompany, ids::EditNick, ids::EditAccount};
    const std::vector<int> zonesForm = {ids::Tab, ids::Close, ids::StaticCriteria, ids::Separator, ids::Find,
                                        ids::RadioZoneById, ids::RadioZoneByName, ids::StaticIndustry,
                                        ids::EditZoneId, ids::EditZoneName, ids::ComboIndustry};
    const std::vector<int> pager = {ids::Tab, ids::Close, ids::PageLabel, ids::View, ids::PrevPage,
                                    ids::NextPage, ids::Back, ids::Add};
    auto with = [](std::vector<int> ids, int id) { return ids.push_back(id), ids; };
    using Step = std::function<void()>;
    const struct {
        const char* name;
        Step step;
        std::vector<int> shown;
        std::vector<int> disabled;
        std::vector<std::pair<int, const wchar_t*>> captions;
    } cases[] = {
        {"users form", [] {}, usersForm, {ids::EditNick, ids::EditAccount}, {{ids::Find, L"查找"}}},
        {"users form, nickname checked", [this] { Click(ids::RadioNick); }, usersForm,
         {ids::EditCompany, ids::EditAccount}, {{ids::Find, L"查找"}}},
        {"users form, busy", [this] { SendNickSearch(L"王"); }, usersForm,
         {ids::Tab, ids::Find, ids::EditCompany, ids::EditAccount}, {{ids::Find, L"正在查找"}}},
        {"users results", [this] { SearchByNick(L"王", Users(1, 13)); }, with(pager, ids::ListUser),
         {ids::View, ids::PrevPage, ids::Add}, {{ids::NextPage, L"下一页"}, {ids::Add, L"加为好友"}, {ids::PageLabel, L"第1页"}}},
        {"users results, re-query out", [this] { SearchByNick(L"王", Users(1, 10)), Click(ids::NextPage); },
         with(pager, ids::ListUser), {ids::Tab, ids::View, ids::PrevPage, ids::NextPage, ids::Add},
         {{ids::NextPage, L"正在查找"}, {ids::PageLabel, L"第1页"}}},
        {"zones form", [this] { ClickTab(1); }, zonesForm, {ids::EditZoneName, ids::ComboIndustry}, {{ids::Find, L"查找"}}},
        {"zones results, a joined zone's row selected",
         [this] { m_handler.memberships = {5}, ClickTab(1), Type(ids::EditZoneId, L"5"), Click(ids::Find), AnswerZones(Zones(5, 1)), SelectRow(0); },
         with(pager, ids::ListZone), {ids::PrevPage, ids::Add}, {{ids::Add, L"加入商圈"}, {ids::PageLabel, L"第1页"}}},
    };
    for (const auto& c : cases) {
        Start(true);
        c.step();
        const auto in = [](const std::vector<int>& ids, int id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); };
        for (int id : all) {
            EXPECT_EQ(Shown(id), in(c.shown, id)) << c.name << ": control " << id << " shown";
            if (in(c.shown, id)) {
                EXPECT_EQ(Enabled(id), !in(c.disabled, id)) << c.name << ": control " << id << " enabled";
            }
        }
        for (const auto& [id, caption] : c.captions)
            EXPECT_EQ(Text(id), caption) << c.name << ": control " << id;
        m_service.AnswerUsers(true, UserInfoSet());  // a query left out, so the next case's is the oldest
        Stop();
    }
}
