// Batches no server should send but some will: huge, with huge fields, with codes and states
// outside their ranges, with the extreme identifiers, or the same one twice.
#include <limits>
#include <string>
#include <vector>

#include "SearchWindowFixture.h"

namespace {
// The text of a list cell, however long.
std::wstring LongCell(HWND list, int row, int column) {
    std::vector<wchar_t> buffer(20000);
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return buffer.data();
}
}  // namespace

TEST_F(SearchWindowTest, HundredThousandRecordsInOneBatchPageFromTheCache) {
    Start(true);
    SearchByNick(L"王", Users(1, 100000));
    EXPECT_EQ(Text(ids::PageLabel), L"第1页");
    EXPECT_EQ(FirstColumn(ids::ListUser).front(), L"acc1");
    for (int page = 2; page <= 4; ++page)
        Click(ids::NextPage);
    EXPECT_EQ(Text(ids::PageLabel), L"第4页");
    EXPECT_EQ(FirstColumn(ids::ListUser).front(), L"acc31");
    EXPECT_EQ(FirstColumn(ids::ListUser).back(), L"acc40");
    Click(ids::PrevPage);
    EXPECT_EQ(FirstColumn(ids::ListUser).front(), L"acc21");
    EXPECT_EQ(m_service.QueryCount(), 1u) << "all from the cache";
    EXPECT_TRUE(Enabled(ids::NextPage));
}

TEST_F(SearchWindowTest, TenThousandCharacterFieldsAreShownWhole) {
    Start(true);
    UserInfoSet batch;
    UserInfo user = MakeUser(1);
    user.account = std::wstring(10000, L'a');
    user.nickname = std::wstring(10000, L'王');
    user.company = std::wstring(10000, L'公');
    batch.push_back(user);
    SearchByNick(L"王", batch);
    HWND list = Control(ids::ListUser);
    EXPECT_EQ(LongCell(list, 0, 0), user.account);
    EXPECT_EQ(LongCell(list, 0, 1), user.nickname);
    EXPECT_EQ(LongCell(list, 0, 3), user.company);
    SelectRow(0);
    Click(ids::View);
    ASSERT_EQ(m_handler.calls.back().op, "ViewUserInfo");
    EXPECT_EQ(m_handler.calls.back().account, user.account) << "handed back whole";
}

TEST_F(SearchWindowTest, CodesAndStatesOutOfRangeReadAsUnknownAndOffline) {
    m_handler.industries = {L"金融", L"制造"};
    Start(false);
    Click(ids::RadioZoneByName);
    Type(ids::EditZoneName, L"商圈");
    Click(ids::Find);
    ZoneInfoSet zones;
    zones.push_back(MakeZone(1, 65535));
    zones.push_back(MakeZone(2, 2));
    zones.push_back(MakeZone(3, 1));
    AnswerZones(zones);
    EXPECT_EQ(Cell(ids::ListZone, 0, 2), L"未知");
    EXPECT_EQ(Cell(ids::ListZone, 1, 2), L"未知");
    EXPECT_EQ(Cell(ids::ListZone, 2, 2), L"制造");

    ClickTab(0);
    UserInfoSet users;
    const int states[] = {std::numeric_limits<int>::min(), -1, 0, 1, 5, std::numeric_limits<int>::max()};
    for (int i = 0; i < 6; ++i)
        users.push_back(MakeUser(10 + i, states[i]));
    SearchByNick(L"王", users);
    for (int r = 0; r < 6; ++r)
        EXPECT_EQ(Cell(ids::ListUser, r, 2), L"离线") << "state " << states[r];
}

TEST_F(SearchWindowTest, ExtremeIdentifiersAreShownAndHandedBackExactly) {
    Start(false);
    Type(ids::EditZoneId, L"0");
    Click(ids::Find);
    ZoneInfoSet zones;
    zones.push_back(MakeZone(0));
    zones.push_back(MakeZone(std::numeric_limits<std::uint64_t>::max()));
    AnswerZones(zones);
    EXPECT_EQ(Cell(ids::ListZone, 0, 0), L"0");
    EXPECT_EQ(Cell(ids::ListZone, 1, 0), L"18446744073709551615");
    SelectRow(1);
    Click(ids::Add);
    ASSERT_FALSE(m_handler.calls.empty());
    EXPECT_EQ(m_handler.calls.back().op, "JoinZone");
    EXPECT_EQ(m_handler.calls.back().id, std::numeric_limits<std::uint64_t>::max());

    ClickTab(0);
    UserInfoSet users;
    users.push_back(MakeUser(0));
    users.push_back(MakeUser(std::numeric_limits<std::uint64_t>::max()));
    SearchByNick(L"王", users);
    SelectRow(0);
    Click(ids::View);
    EXPECT_EQ(m_handler.calls.back().op, "ViewUserInfo");
    EXPECT_EQ(m_handler.calls.back().id, 0u);
}

TEST_F(SearchWindowTest, RepeatsWithinABatchAndAcrossBatchesShowOnce) {
    Start(true);
    // The container refuses the second record with an identifier it holds, so a batch built with
    // a repeat carries it once.
    UserInfoSet batch = Users(1, 5);
    UserInfo again = MakeUser(3);
    again.nickname = L"又来";
    batch.push_back(again);
    ASSERT_EQ(batch.size(), 5u);
    SearchByNick(L"王", batch);
    EXPECT_EQ(RowCount(ids::ListUser), 5);
    EXPECT_EQ(Cell(ids::ListUser, 2, 1), L"昵称3");

    // The same batch again in reply to Next: nothing new, the page stays, paging ends.
    Click(ids::NextPage);
    AnswerUsers(batch);
    EXPECT_EQ(RowCount(ids::ListUser), 5);
    EXPECT_EQ(Text(ids::PageLabel), L"第1页");
    EXPECT_FALSE(Enabled(ids::NextPage));
    EXPECT_TRUE(RecordedBoxes().empty());
}
