// Result batches arriving on the protocol thread, the pages they fill, re-queries past the cache
// and the failure boxes.
#include "SearchWindowFixture.h"

namespace {
std::vector<std::wstring> Accounts(std::uint64_t first, int count) {
    std::vector<std::wstring> accounts;
    for (int i = 0; i < count; ++i)
        accounts.push_back(L"acc" + std::to_wstring(first + i));
    return accounts;
}

UserInfoSet Concat(const UserInfoSet& a, const UserInfoSet& b) {
    UserInfoSet all = a;
    for (const UserInfo& u : b)
        all.push_back(u);
    return all;
}
}  // namespace

TEST_F(SearchWindowTest, UserRowsShowAccountNicknameStateAndCompany) {
    Start(true);
    UserInfoSet batch;
    const int states[] = {2, 3, 4, 0, -1};
    const wchar_t* texts[] = {L"离开", L"忙碌", L"在线", L"离线", L"离线"};
    for (int i = 0; i < 5; ++i)
        batch.push_back(MakeUser(100 + i, states[i]));
    SearchByNick(L"昵称", batch);
    ASSERT_EQ(RowCount(ids::ListUser), 5);
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(Cell(ids::ListUser, r, 0), L"acc" + std::to_wstring(100 + r));
        EXPECT_EQ(Cell(ids::ListUser, r, 1), L"昵称" + std::to_wstring(100 + r));
        EXPECT_EQ(Cell(ids::ListUser, r, 2), texts[r]);
        EXPECT_EQ(Cell(ids::ListUser, r, 3), L"公司" + std::to_wstring(100 + r));
    }
    SelectRow(2);
    Snapshot(L"users-results");
}

TEST_F(SearchWindowTest, ZoneRowsNameTheirIndustryOrUnknown) {
    m_handler.industries = {L"金融", L"制造", L"零售"};
    Start(false);
    Click(ids::RadioZoneByName);
    Type(ids::EditZoneName, L"商圈");
    Click(ids::Find);
    ZoneInfoSet batch;
    batch.push_back(MakeZone(18446744073709551615ull, 2));
    batch.push_back(MakeZone(1234567, 3));
    batch.push_back(MakeZone(0, 0));
    AnswerZones(batch);
    ASSERT_EQ(RowCount(ids::ListZone), 3);
    EXPECT_EQ(Cell(ids::ListZone, 0, 0), L"18446744073709551615");
    EXPECT_EQ(Cell(ids::ListZone, 0, 2), L"零售");
    EXPECT_EQ(Cell(ids::ListZone, 1, 0), L"1234567");
    EXPECT_EQ(Cell(ids::ListZone, 1, 2), L"未知") << "code 3 is past a list of three";
    EXPECT_EQ(Cell(ids::ListZone, 2, 0), L"0");
    EXPECT_EQ(Cell(ids::ListZone, 2, 1), L"商圈0");
    EXPECT_EQ(Cell(ids::ListZone, 2, 2), L"金融");
    Snapshot(L"zones-results");
}

TEST_F(SearchWindowTest, ShortFirstBatchThenReQueryFillsThePageBeforeAdvancing) {
    Start(true);
    SearchByNick(L"王", Users(1, 3));
    EXPECT_EQ(FirstColumn(ids::ListUser), Accounts(1, 3));
    ASSERT_TRUE(Enabled(ids::NextPage)) << "the last batch brought new records";

    Click(ids::NextPage);  // nothing cached past this page: the same query again
    ASSERT_EQ(m_service.QueryCount(), 2u);
    EXPECT_TRUE(m_service.Queries()[1] == m_service.Queries()[0]);
    AnswerUsers(Concat(Users(1, 3), Users(4, 12)));  // 15 records, 12 new
    EXPECT_EQ(Text(ids::PageLabel), L"第1页") << "a short page is filled up, not left";
    EXPECT_EQ(FirstColumn(ids::ListUser), Accounts(1, 10));

    Click(ids::NextPage);  // (0 + 1) * 10 < 15: from the cache
    EXPECT_EQ(m_service.QueryCount(), 2u);
    EXPECT_EQ(Text(ids::PageLabel), L"第2页");
    EXPECT_EQ(FirstColumn(ids::ListUser), Accounts(11, 5));
}

TEST_F(SearchWindowTest, FullPageReQueryAdvancesToTheNewRecords) {
    Start(true);
    SearchByNick(L"王", Users(1, 10));
    Click(ids::NextPage);
    ASSERT_EQ(m_service.QueryCount(), 2u) << "10 < 10 is false: ask again";
    EXPECT_EQ(Text(ids::NextPage), L"正在查找");
    AnswerUsers(Users(11, 10));
    EXPECT_EQ(Text(ids::PageLabel), L"第2页");
    EXPECT_EQ(FirstColumn(ids::ListUser), Accounts(11, 10));
    EXPECT_EQ(Text(ids::NextPage), L"下一页");
    EXPECT_EQ(Text(ids::Find), L"查找");
    EXPECT_TRUE(Enabled(ids::Tab));

    Click(ids::PrevPage);
    EXPECT_EQ(Text(ids::PageLabel), L"第1页");
    EXPECT_EQ(FirstColumn(ids::ListUser), Accounts(1, 10));
    EXPECT_FALSE(Enabled(ids::PrevPage));
}

TEST_F(SearchWindowTest, RepeatedRecordKeepsItsFirstPlaceAndTexts) {
    Start(true);
    SearchByNick(L"王", Users(1, 3));
    Click(ids::NextPage);
    UserInfoSet again;
    UserInfo changed = MakeUser(2);
    changed.nickname = L"改名";
    again.push_back(MakeUser(9));
    again.push_back(changed);
    AnswerUsers(again);
    EXPECT_EQ(FirstColumn(ids::ListUser), (std::vector<std::wstring>{L"acc1", L"acc2", L"acc3", L"acc9"}));
    EXPECT_EQ(Cell(ids::ListUser, 1, 1), L"昵称2");
}

TEST_F(SearchWindowTest, FailedQueryReportsATimeoutAndReturnsToTheForm) {
    Start(true);
    SendNickSearch(L"王");
    AnswerUsers(UserInfoSet(), false);
    ASSERT_EQ(RecordedBoxes().size(), 1u);
    EXPECT_EQ(RecordedBoxes()[0].text, L"查询失败，服务器连接超时！");
    EXPECT_EQ(RecordedBoxes()[0].caption, L"查询失败");
    EXPECT_TRUE(Enabled(ids::Find));
    EXPECT_FALSE(Enabled(ids::Back));
    EXPECT_EQ(Text(ids::Find), L"查找");
    EXPECT_EQ(Text(ids::NextPage), L"下一页");
    EXPECT_TRUE(Enabled(ids::Tab));
    EXPECT_TRUE(Shown(ids::EditNick));
}

// After a re-query from the result view the page shown stays usable whatever the answer: a
// failure leaves Next on (the user may try again), an empty answer turns it off (the server has
// nothing more).
TEST_F(SearchWindowTest, FailedOrEmptyReQueryLeavesThePageUsable) {
    const struct {
        const char* name;
        bool ok;
        const wchar_t* box;
        bool nextAfter;
    } cases[] = {
        {"failed", false, L"查询失败，服务器连接超时！", true},
        {"empty", true, L"未找到匹配的记录！", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordedBoxes().clear();
        Start(true);
        SearchByNick(L"王", Users(1, 10));
        Click(ids::NextPage);
        AnswerUsers(Users(11, 10));
        ASSERT_EQ(Text(ids::PageLabel), L"第2页");
        Click(ids::NextPage);
        AnswerUsers(UserInfoSet(), c.ok);
        ASSERT_EQ(RecordedBoxes().size(), 1u);
        EXPECT_EQ(RecordedBoxes()[0].text, c.box);
        EXPECT_EQ(RecordedBoxes()[0].caption, L"查询失败");
        EXPECT_EQ(Text(ids::PageLabel), L"第2页");
        EXPECT_EQ(FirstColumn(ids::ListUser), Accounts(11, 10));
        EXPECT_TRUE(Shown(ids::ListUser));
        EXPECT_TRUE(Enabled(ids::Back));
        EXPECT_TRUE(Enabled(ids::PrevPage));
        EXPECT_EQ(Enabled(ids::NextPage), c.nextAfter);
        EXPECT_EQ(Text(ids::NextPage), L"下一页");
        EXPECT_EQ(Text(ids::Find), L"查找");
        EXPECT_TRUE(Enabled(ids::Tab));

        // A tab switch re-derives the same pager.
        ClickTab(1);
        ClickTab(0);
        EXPECT_EQ(Enabled(ids::NextPage), c.nextAfter);
        EXPECT_TRUE(Enabled(ids::PrevPage));
        if (c.nextAfter) {
            Click(ids::NextPage);  // trying again works
            AnswerUsers(Users(21, 4));
            EXPECT_EQ(Text(ids::PageLabel), L"第3页");
            EXPECT_EQ(FirstColumn(ids::ListUser), Accounts(21, 4));
        }
        Click(ids::Close);
    }
}

// Only a stray program can switch the tab while a query is out (the tab control is disabled): the
// switch is put back, and the answer shows on its own tab.
TEST_F(SearchWindowTest, TabSwitchForcedWhileAQueryIsOutIsPutBack) {
    Start(true);
    SendNickSearch(L"王");
    ASSERT_FALSE(Enabled(ids::Tab));
    windriver::ClickTabItem(Control(ids::Tab), 1);  // past the check a user's click would meet
    Pump();
    EXPECT_EQ(::SendMessageW(Control(ids::Tab), TCM_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(Shown(ids::RadioNick));
    EXPECT_FALSE(Shown(ids::RadioZoneById));
    EXPECT_FALSE(Enabled(ids::Find)) << "still busy";
    AnswerUsers(Users(1, 5));
    EXPECT_TRUE(RecordedBoxes().empty());
    EXPECT_TRUE(Enabled(ids::Tab));
    EXPECT_EQ(RowCount(ids::ListUser), 5);
}

// A query out when the user closes the window is abandoned: no answer of it comes (a failure
// would have shown a box with no window behind it).
TEST_F(SearchWindowTest, AQueryOutWhenTheWindowIsClosedIsAbandoned) {
    Start(true);
    SendNickSearch(L"王");
    const QZP::SearchRequestPtr request = m_service.Request(m_service.QueryCount() - 1);
    Click(ids::Close);
    EXPECT_FALSE(request->AnswerUsers(false, UserInfoSet())) << "its command is gone";
    Pump();
    EXPECT_FALSE(::IsWindowVisible(Dialog()));
    EXPECT_TRUE(RecordedBoxes().empty());
}
