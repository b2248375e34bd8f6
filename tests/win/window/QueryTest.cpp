// Find: validation messages, the query each form sends, and what the returned code does.
#include "SearchWindowFixture.h"

using Kind = QZP::SearchQuery::Kind;


TEST_F(SearchWindowTest, EmptyCriteriaGiveTheirMessageAndSendNothing) {
    m_handler.industries = {L"金融"};
    const struct { bool userTab; int radio; const wchar_t* text; } cases[] = {
        {true, ids::RadioNick, L"请指定昵称"},
        {true, ids::RadioAccount, L"请指定帐号"},
        {true, ids::RadioCompany, L"请指定公司名称"},
        {false, ids::RadioZoneById, L"请输入查询条件"},
        {false, ids::RadioZoneByName, L"请输入查询条件"},
    };
    for (const auto& c : cases) {
        Start(c.userTab);
        RecordedBoxes().clear();
        Click(c.radio);
        Click(ids::Find);
        ASSERT_EQ(RecordedBoxes().size(), 1u) << "radio " << c.radio;
        EXPECT_EQ(RecordedBoxes()[0].text, c.text);
        EXPECT_EQ(RecordedBoxes()[0].caption, L"查询错误");
        EXPECT_EQ(RecordedBoxes()[0].type, 0u);
        EXPECT_EQ(RecordedBoxes()[0].owner, Dialog()) << "the box belongs to the search window";
        EXPECT_TRUE(Enabled(ids::Find));
        EXPECT_EQ(Text(ids::Find), L"查找");
        Click(ids::Close);
    }
    EXPECT_EQ(m_service.QueryCount(), 0u);
}

TEST_F(SearchWindowTest, ZoneIdMustBeOneDecimalNumber) {
    Start(false);
    // A pasted minus sign gets past the digits-only style; it must not wrap into a huge ID.
    const wchar_t* rejected[] = {L"", L"12a", L" 123", L"123 ", L"1.5", L"-1", L"-0"};
    for (const wchar_t* text : rejected) {
        RecordedBoxes().clear();
        ::SendMessageW(Control(ids::EditZoneId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        Click(ids::Find);
        ASSERT_EQ(RecordedBoxes().size(), 1u) << "text '" << testing::PrintToString(std::wstring(text)) << "'";
        EXPECT_EQ(RecordedBoxes()[0].text, L"请输入查询条件");
        EXPECT_EQ(RecordedBoxes()[0].caption, L"查询错误");
        EXPECT_TRUE(Enabled(ids::Find)) << "no busy state";
    }
    EXPECT_EQ(m_service.QueryCount(), 0u);

    Type(ids::EditZoneId, L"18446744073709551615");
    Click(ids::Find);
    ASSERT_EQ(m_service.QueryCount(), 1u);
    EXPECT_EQ(m_service.Queries()[0].kind, Kind::ZoneByID);
    EXPECT_EQ(m_service.Queries()[0].zoneId, 18446744073709551615ull);
}

TEST_F(SearchWindowTest, EachFormSendsItsQueryWithTheTextUnchanged) {
    m_handler.industries = {L"金融", L"制造", L"零售"};
    struct Case {
        bool userTab;
        int radio;
        int edit;
        std::wstring text;
        int industryItem;  // -1: leave as reset
        QZP::SearchQuery expected;
    };
    const Case cases[] = {
        {true, ids::RadioNick, ids::EditNick, L"王", -1, {Kind::UsersByNick, L"王"}},
        {true, ids::RadioAccount, ids::EditAccount, L" acc 1 ", -1, {Kind::UsersByEID, L" acc 1 "}},
        {true, ids::RadioCompany, ids::EditCompany, L"星光科技", -1, {Kind::UsersByCompany, L"星光科技"}},
        {false, ids::RadioZoneById, ids::EditZoneId, L"123", -1, {Kind::ZoneByID, L"", 123}},
        {false, ids::RadioZoneByName, ids::EditZoneName, L"", 2, {Kind::Zone, L"", 0, 1}},
        {false, ids::RadioZoneByName, ids::EditZoneName, L"abc", 0, {Kind::Zone, L"abc", 0, 0xFFFF}},
        {false, ids::RadioZoneByName, ids::EditZoneName, L"茶", 3, {Kind::Zone, L"茶", 0, 2}},
    };
    std::size_t sent = 0;
    for (const Case& c : cases) {
        Start(c.userTab);
        Click(c.radio);
        Type(c.edit, c.text);
        if (c.industryItem >= 0)
            ChooseIndustry(c.industryItem);
        Click(ids::Find);
        ASSERT_EQ(m_service.QueryCount(), ++sent) << "radio " << c.radio;
        const QZP::SearchQuery q = m_service.Queries().back();
        EXPECT_TRUE(q == c.expected) << "radio " << c.radio << " text "
                                     << testing::PrintToString(c.text) << ": got industry "
                                     << q.industry << ", id " << q.zoneId;
        EXPECT_TRUE(RecordedBoxes().empty());
        Click(ids::Close);
    }
}

TEST_F(SearchWindowTest, FirstCheckedRadioDecidesInNickAccountCompanyOnlineOrder) {
    Start(true);
    Type(ids::EditCompany, L"公司");
    // Two radios of the group read checked: the order of the tests decides, not the layout.
    windriver::SetCheckAlone(Control(ids::RadioAccount), true);
    windriver::SetCheckAlone(Control(ids::RadioCompany), true);
    ::SendMessageW(Control(ids::EditAccount), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"acc"));
    Click(ids::Find);
    ASSERT_EQ(m_service.QueryCount(), 1u);
    EXPECT_EQ(m_service.Queries()[0].kind, Kind::UsersByEID);
    m_service.AnswerUsers(true, UserInfoSet());
    Pump();

    // Only the hidden online radio checked: the online query still goes out.
    for (int id : {ids::RadioCompany, ids::RadioNick, ids::RadioAccount})
        windriver::SetCheckAlone(Control(id), false);
    windriver::SetCheckAlone(Control(ids::RadioOnline), true);
    Click(ids::Find);
    ASSERT_EQ(m_service.QueryCount(), 2u);
    EXPECT_EQ(m_service.Queries()[1].kind, Kind::OnlineUsers);
}

TEST_F(SearchWindowTest, NoCheckedRadioMeansFindDoesNothing) {
    Start(true);
    for (int id : {ids::RadioCompany, ids::RadioNick, ids::RadioAccount, ids::RadioOnline})
        windriver::SetCheckAlone(Control(id), false);
    Click(ids::Find);
    EXPECT_EQ(m_service.QueryCount(), 0u);
    EXPECT_TRUE(RecordedBoxes().empty());
    EXPECT_TRUE(Enabled(ids::Find));
    EXPECT_EQ(Text(ids::Find), L"查找");
}

TEST_F(SearchWindowTest, SentQueryPutsTheWindowInTheBusyState) {
    Start(true);
    SendNickSearch(L"王");
    EXPECT_FALSE(Enabled(ids::Find));
    EXPECT_FALSE(Enabled(ids::Tab));
    EXPECT_FALSE(Enabled(ids::NextPage));
    EXPECT_FALSE(Enabled(ids::PrevPage));
    EXPECT_EQ(Text(ids::Find), L"正在查找");
    EXPECT_EQ(Text(ids::NextPage), L"正在查找");
    EXPECT_FALSE(Enabled(ids::Back)) << "Back keeps its state";
}

TEST_F(SearchWindowTest, NotSignedInAsksToSignInAndChangesNothing) {
    m_transmit->SetSignedIn(false);
    Start(true);
    Type(ids::EditCompany, L"星光");
    Click(ids::Find);
    ASSERT_EQ(RecordedBoxes().size(), 1u);
    EXPECT_EQ(RecordedBoxes()[0].text, L"请先登录！");
    EXPECT_EQ(RecordedBoxes()[0].caption, L"查询失败");
    EXPECT_TRUE(Enabled(ids::Find));
    EXPECT_TRUE(Enabled(ids::Tab));
    EXPECT_EQ(Text(ids::Find), L"查找");
    EXPECT_EQ(m_service.QueryCount(), 0u);
}

TEST_F(SearchWindowTest, QueryThatCannotBeSentSaysSo) {
    // No transport: the command answers 1. A transport that went away: 2.
    Search noTransport(nullptr, &m_handler);
    noTransport.StartSearch(nullptr, true);
    Pump();
    Type(ids::EditCompany, L"星光");
    Click(ids::Find);
    ASSERT_EQ(RecordedBoxes().size(), 1u);
    EXPECT_EQ(RecordedBoxes()[0].text, L"查询失败，未能连接服务器！");
    EXPECT_EQ(RecordedBoxes()[0].caption, L"查询失败");
    EXPECT_TRUE(Enabled(ids::Find)) << "no busy state";
    EXPECT_TRUE(Enabled(ids::Tab));
    EXPECT_EQ(Text(ids::Find), L"查找");
    noTransport.StopSearch();
    Pump();

    Start(true);
    Type(ids::EditCompany, L"星光");
    m_transmit.reset();
    ::SendMessageW(Control(ids::Find), BM_CLICK, 0, 0);
    windriver::PumpPending();
    ASSERT_EQ(RecordedBoxes().size(), 2u);
    EXPECT_EQ(RecordedBoxes()[1].text, L"查询失败，未能连接服务器！");
    EXPECT_TRUE(Enabled(ids::Find));
    EXPECT_EQ(Text(ids::Find), L"查找");
    m_search.reset();  // before the fixture waits on the transport it no longer has
}
