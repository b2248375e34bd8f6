// Acting on a selected row: Add and View enabled by the selection and the client's answers, and
// the records handed back to the client.
#include "SearchWindowFixture.h"

namespace {
std::vector<HandlerCall> Without(const std::vector<HandlerCall>& calls, const std::string& op) {
    std::vector<HandlerCall> kept;
    for (const HandlerCall& c : calls)
        if (c.op != op)
            kept.push_back(c);
    return kept;
}
}  // namespace

TEST_F(SearchWindowTest, NoSelectionDisablesBothButtonsAndClicksDoNothing) {
    Start(true);
    SearchByNick(L"王", Users(1, 3));
    SelectRow(1);
    ASSERT_TRUE(Enabled(ids::View));
    LVITEMW clear = {};
    clear.stateMask = LVIS_SELECTED;
    ::SendMessageW(Control(ids::ListUser), LVM_SETITEMSTATE, -1, reinterpret_cast<LPARAM>(&clear));
    Pump();
    EXPECT_FALSE(Enabled(ids::View));
    EXPECT_FALSE(Enabled(ids::Add));
    m_handler.calls.clear();
    ::SendMessageW(Control(ids::Add), BM_CLICK, 0, 0);
    ::SendMessageW(Control(ids::View), BM_CLICK, 0, 0);
    Pump();
    EXPECT_TRUE(m_handler.calls.empty());
}

TEST_F(SearchWindowTest, AddIsOfferedOnlyForStrangersWhoAreNotTheUser) {
    m_handler.friends = {2};
    Start(true);
    UserInfoSet batch = Users(1, 3);
    batch.push_back(MakeUser(42));  // the signed-in user (the transport's self ID)
    SearchByNick(L"王", batch);
    const struct { int row; std::uint64_t id; bool add; } cases[] = {
        {0, 1, true},    // a stranger
        {1, 2, false},   // already a friend
        {3, 42, false},  // the user's own row
    };
    for (const auto& c : cases) {
        m_handler.calls.clear();
        SelectRow(c.row);
        EXPECT_TRUE(Enabled(ids::View)) << "row " << c.row;
        EXPECT_EQ(Enabled(ids::Add), c.add) << "row " << c.row;
        std::size_t asked = 0;
        for (const HandlerCall& call : m_handler.calls)
            if (call.op == "IsFriend") {
                EXPECT_EQ(call.id, c.id);
                ++asked;
            }
        EXPECT_GE(asked, 1u) << "IsFriend is asked even for the user's own row";
    }
}

TEST_F(SearchWindowTest, UserActionsPassTheRecordsIdAndAccount) {
    Start(true);
    SearchByNick(L"王", Users(1, 25));
    Click(ids::NextPage);
    SelectRow(3);  // page 2, row 3: record 13 of the arrival order, id 14
    m_handler.calls.clear();
    Click(ids::Add);
    Click(ids::View);
    const std::vector<HandlerCall> expected = {
        {"AddFriend", 14, L"acc14"},
        {"ViewUserInfo", 14, L"acc14"},
    };
    EXPECT_EQ(Without(m_handler.calls, "IsFriend"), expected);
}

TEST_F(SearchWindowTest, ZoneActionsPassOnlyTheZoneId) {
    m_handler.industries = {L"金融"};
    m_handler.memberships = {502};
    Start(false);
    Click(ids::RadioZoneByName);
    Type(ids::EditZoneName, L"茶");
    Click(ids::Find);
    AnswerZones(Zones(501, 2));
    EXPECT_EQ(Text(ids::Add), L"加入商圈");

    SelectRow(1);
    EXPECT_TRUE(Enabled(ids::View));
    EXPECT_FALSE(Enabled(ids::Add)) << "already a member";
    SelectRow(0);
    EXPECT_TRUE(Enabled(ids::Add));
    m_handler.calls.clear();
    Click(ids::Add);
    Click(ids::View);
    const std::vector<HandlerCall> expected = {{"JoinZone", 501, L""}, {"ViewZoneInfo", 501, L""}};
    EXPECT_EQ(Without(m_handler.calls, "IsZoneMember"), expected);
}

TEST_F(SearchWindowTest, ClientAnswersAreAskedAfreshAtEverySelection) {
    Start(true);
    SearchByNick(L"王", Users(1, 2));
    SelectRow(0);
    ASSERT_TRUE(Enabled(ids::Add));
    Click(ids::Add);
    m_handler.friends.push_back(1);  // the client completed the addition
    SelectRow(1);
    SelectRow(0);
    EXPECT_FALSE(Enabled(ids::Add));
}

TEST_F(SearchWindowTest, ChangeReportedByTheOtherListIsJudgedOnTheCurrentOne) {
    m_handler.industries = {L"金融"};
    Start(false);
    Type(ids::EditZoneId, L"7");
    Click(ids::Find);
    AnswerZones(Zones(7, 1));
    ClickTab(0);
    SearchByNick(L"王", Users(1, 2));
    // The zone list, hidden now, reports a selection: the user list has none.
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    ::SendMessageW(Control(ids::ListZone), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
    Pump();
    EXPECT_FALSE(Enabled(ids::View));
    EXPECT_FALSE(Enabled(ids::Add));
}
