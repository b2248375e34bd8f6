// Text nobody meant to type, and messages a client or a stray program may send. Each case says
// what must come of it: the exact query sent, the box shown, or nothing at all.
#include <cstring>
#include <string>
#include <vector>

#include "SearchWindowFixture.h"

namespace {
using Kind = QZP::SearchQuery::Kind;

constexpr UINT kSearchResult = WM_USER + 100;
constexpr UINT kBatchDropped = WM_USER + 101;

// What a Find from the form must do with the text: send this query, or show this box.
struct Expect {
    bool sends;
    Kind kind = Kind::UsersByNick;
    std::wstring text;
    std::uint64_t zoneId = 0;
    std::uint16_t industry = 0xFFFF;
    std::wstring box;
};
Expect Sends(Kind kind, std::wstring text) { return {true, kind, std::move(text), 0, 0xFFFF, L""}; }
Expect SendsZone(std::uint64_t id) { return {true, Kind::ZoneByID, L"", id, 0xFFFF, L""}; }
Expect Refused() { return {false, Kind::ZoneByID, L"", 0, 0xFFFF, L"请输入查询条件"}; }

}  // namespace

class HostileInputTest : public SearchWindowTest {
protected:
    void SendNotify(int id, UINT code) {
        NMHDR header = {Control(id), static_cast<UINT_PTR>(id), code};
        ::SendMessageW(Dialog(), WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header));
        Pump();
    }
    void Command(int id) {
        ::SendMessageW(Dialog(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        Pump();
    }
    void Post(UINT message, WPARAM wParam, LPARAM lParam) {
        ::PostMessageW(Dialog(), message, wParam, lParam);
        Pump();
    }
    bool Busy() const { return Text(ids::Find) == L"正在查找"; }
    // Page 2 of a nickname search shown, idle.
    void OnPageTwo() {
        Start(true);
        SearchByNick(L"王", Users(1, 10));
        Click(ids::NextPage);
        AnswerUsers(Users(11, 10));
        ASSERT_EQ(Text(ids::PageLabel), L"第2页");
    }
};

TEST_F(HostileInputTest, TextInEveryEditIsSentAsItStandsOrRefusedWithTheMessage) {
    m_handler.industries = {L"金融", L"制造"};
    const std::wstring longHan(10000, L'王');
    const std::wstring longLatin(10000, L'a');
    const std::wstring longDigits(10000, L'9');
    const struct {
        const char* name;
        int radio;
        int edit;
        std::wstring text;
        Expect expect;
    } cases[] = {
        {"10,000 characters of nickname", ids::RadioNick, ids::EditNick, longHan,
         Sends(Kind::UsersByNick, longHan)},
        {"10,000 characters of company", ids::RadioCompany, ids::EditCompany, longLatin,
         Sends(Kind::UsersByCompany, longLatin)},
        {"10,000 characters of account", ids::RadioAccount, ids::EditAccount, longLatin,
         Sends(Kind::UsersByEID, longLatin)},
        {"10,000 characters of zone name", ids::RadioZoneByName, ids::EditZoneName, longHan,
         Sends(Kind::Zone, longHan)},
        {"10,000 digits of zone ID", ids::RadioZoneById, ids::EditZoneId, longDigits, Refused()},
        {"full-width digits", ids::RadioZoneById, ids::EditZoneId, L"１２３", Refused()},
        {"a plus sign", ids::RadioZoneById, ids::EditZoneId, L"+5", SendsZone(5)},
        {"a minus sign", ids::RadioZoneById, ids::EditZoneId, L"-5", Refused()},
        {"minus zero", ids::RadioZoneById, ids::EditZoneId, L"-0", Refused()},
        {"a blank before", ids::RadioZoneById, ids::EditZoneId, L" 5", Refused()},
        {"a blank after", ids::RadioZoneById, ids::EditZoneId, L"5 ", Refused()},
        {"a tab before", ids::RadioZoneById, ids::EditZoneId, L"\t5", Refused()},
        {"one past the largest ID", ids::RadioZoneById, ids::EditZoneId, L"18446744073709551616",
         Refused()},
        {"the largest ID", ids::RadioZoneById, ids::EditZoneId, L"18446744073709551615",
         SendsZone(18446744073709551615ull)},
        {"leading zeros past the edit's limit", ids::RadioZoneById, ids::EditZoneId,
         L"0000000000000000000000000042", SendsZone(42)},
        {"a surrogate pair", ids::RadioNick, ids::EditNick, L"\U0001F600王",
         Sends(Kind::UsersByNick, L"\U0001F600王")},
        {"a lone surrogate", ids::RadioNick, ids::EditNick, std::wstring(1, wchar_t(0xD83D)),
         Sends(Kind::UsersByNick, std::wstring(1, wchar_t(0xD83D)))},
        {"right-to-left override", ids::RadioNick, ids::EditNick, L"\x202E" L"abc\x202C",
         Sends(Kind::UsersByNick, L"\x202E" L"abc\x202C")},
        {"control characters", ids::RadioNick, ids::EditNick, L"a\tb\r\nc\x01\x07",
         Sends(Kind::UsersByNick, L"a\tb\r\nc\x01\x07")},
        {"an embedded NUL ends the text", ids::RadioNick, ids::EditNick, std::wstring(L"ab\0cd", 5),
         Sends(Kind::UsersByNick, L"ab")},
        {"blanks only are not empty", ids::RadioCompany, ids::EditCompany, L"   ",
         Sends(Kind::UsersByCompany, L"   ")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordedBoxes().clear();
        const bool users = c.radio == ids::RadioNick || c.radio == ids::RadioCompany ||
                           c.radio == ids::RadioAccount;
        Start(users);
        Click(c.radio);
        ::SendMessageW(Control(c.edit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.text.c_str()));
        const std::size_t before = m_service.QueryCount();
        Click(ids::Find);
        if (!c.expect.sends) {
            EXPECT_EQ(m_service.QueryCount(), before);
            ASSERT_EQ(RecordedBoxes().size(), 1u);
            EXPECT_EQ(RecordedBoxes()[0].text, c.expect.box);
            EXPECT_EQ(RecordedBoxes()[0].caption, L"查询错误");
            EXPECT_FALSE(Busy());
        } else {
            ASSERT_EQ(m_service.QueryCount(), before + 1);
            const QZP::SearchQuery query = m_service.Queries().back();
            EXPECT_EQ(query.kind, c.expect.kind);
            EXPECT_EQ(query.text, c.expect.text);
            EXPECT_EQ(query.zoneId, c.expect.zoneId);
            if (c.expect.kind == Kind::Zone) {
                EXPECT_EQ(query.industry, c.expect.industry);
            }
            EXPECT_TRUE(RecordedBoxes().empty());
            EXPECT_TRUE(Busy());
            ASSERT_TRUE(m_service.FailOldest());
            Pump();
        }
        Click(ids::Close);
    }
}

TEST_F(HostileInputTest, PastedTextInTheZoneIdIsReadAsANumberOrRefused) {
    const struct {
        const char* name;
        std::wstring clip;
        Expect expect;
    } cases[] = {
        // Whatever of it the digits-only style lets in, it is not one number.
        {"letters", L"12ab", Refused()},
        {"full-width digits", L"４２", Refused()},
        {"digits", L"42", SendsZone(42)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordedBoxes().clear();
        Start(false);
        PutOnClipboard(c.clip);
        ::SendMessageW(Control(ids::EditZoneId), WM_PASTE, 0, 0);
        const std::size_t before = m_service.QueryCount();
        Click(ids::Find);
        if (c.expect.sends) {
            ASSERT_EQ(m_service.QueryCount(), before + 1);
            EXPECT_EQ(m_service.Queries().back().zoneId, c.expect.zoneId);
            ASSERT_TRUE(m_service.FailOldest());
            Pump();
        } else {
            EXPECT_EQ(m_service.QueryCount(), before) << "the edit holds '" << testing::PrintToString(Text(ids::EditZoneId)) << "'";
            ASSERT_EQ(RecordedBoxes().size(), 1u);
            EXPECT_EQ(RecordedBoxes()[0].text, L"请输入查询条件");
        }
        Click(ids::Close);
    }
}

TEST_F(HostileInputTest, IndustryWithoutASelectionMeansAnyIndustry) {
    m_handler.industries = {L"金融", L"制造"};
    Start(false);
    Click(ids::RadioZoneByName);
    // -1 removes the selection. (An index past the end does too on Windows; Wine keeps item 0.)
    for (WPARAM index : {WPARAM(-1), WPARAM(99)}) {
        SCOPED_TRACE(testing::Message() << "CB_SETCURSEL " << static_cast<int>(index));
        RecordedBoxes().clear();
        ::SendMessageW(Control(ids::EditZoneName), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        ::SendMessageW(Control(ids::ComboIndustry), CB_SETCURSEL, index, 0);
        const std::size_t before = m_service.QueryCount();
        Click(ids::Find);
        ASSERT_EQ(RecordedBoxes().size(), 1u) << "no name and no industry";
        EXPECT_EQ(RecordedBoxes()[0].text, L"请输入查询条件");
        EXPECT_EQ(m_service.QueryCount(), before);

        Type(ids::EditZoneName, L"abc");
        Click(ids::Find);
        ASSERT_EQ(m_service.QueryCount(), before + 1);
        EXPECT_EQ(m_service.Queries().back().industry, 0xFFFF) << "any industry, not 65534";
        ASSERT_TRUE(m_service.FailOldest());
        Pump();
    }
}

TEST_F(HostileInputTest, ResultMessagesWithNoReplyBehindThemChangeNothing) {
    const struct {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } strays[] = {
        {kSearchResult, 0, 0}, {kSearchResult, 0, -1}, {kSearchResult, 0, -2},
        {kSearchResult, 7, 12345}, {kSearchResult, WPARAM(-1), -1}, {kBatchDropped, 0, 0},
    };
    // Idle in the form: no box, no result view.
    Start(true);
    for (const auto& m : strays)
        Post(m.message, m.wParam, m.lParam);
    EXPECT_TRUE(RecordedBoxes().empty());
    EXPECT_TRUE(Shown(ids::RadioCompany));
    EXPECT_FALSE(Shown(ids::ListUser));

    // Busy: still waiting, and the real answer is still the one that shows.
    SendNickSearch(L"王");
    for (const auto& m : strays)
        Post(m.message, m.wParam, m.lParam);
    EXPECT_TRUE(Busy());
    EXPECT_TRUE(RecordedBoxes().empty());
    AnswerUsers(Users(1, 12));
    EXPECT_EQ(FirstColumn(ids::ListUser).front(), L"acc1");

    // Idle on a page: the page stays as it is.
    for (const auto& m : strays)
        Post(m.message, m.wParam, m.lParam);
    EXPECT_EQ(Text(ids::PageLabel), L"第1页");
    EXPECT_EQ(RowCount(ids::ListUser), 10);
    EXPECT_TRUE(Enabled(ids::NextPage));
    EXPECT_TRUE(RecordedBoxes().empty());
}

TEST_F(HostileInputTest, CommandsForEveryControlWhileBusySendNothingMore) {
    // A re-query out from page 2: the page and the busy state must survive every command but
    // Back, Close and the dialog's own OK and Cancel.
    OnPageTwo();
    Click(ids::NextPage);
    ASSERT_TRUE(Busy());
    const std::size_t sent = m_service.QueryCount();
    for (int id = 1000; id <= 1031; ++id) {
        if (id == ids::Back || id == ids::Close)
            continue;
        Command(id);
        ASSERT_EQ(m_service.QueryCount(), sent) << "command " << id;
        EXPECT_TRUE(Busy()) << "command " << id;
        EXPECT_EQ(Text(ids::PageLabel), L"第2页") << "command " << id;
        EXPECT_FALSE(Enabled(ids::NextPage)) << "command " << id;
        EXPECT_FALSE(Enabled(ids::PrevPage)) << "command " << id;
    }
    EXPECT_TRUE(RecordedBoxes().empty());
    AnswerUsers(Users(21, 3));
    EXPECT_EQ(Text(ids::PageLabel), L"第3页") << "the answer lands where it was asked for";

    // Back is usable during a re-query; from a form it is not, and a stray one changes nothing.
    Click(ids::NextPage);
    Command(ids::Back);
    EXPECT_FALSE(Busy());
    EXPECT_TRUE(Shown(ids::RadioNick));
    Click(ids::Find);
    ASSERT_TRUE(Busy());
    Command(ids::Back);
    EXPECT_TRUE(Busy()) << "a stray Back in the form abandons nothing";
    // The abandoned re-query is still the service's oldest; answer the new one.
    ASSERT_TRUE(m_service.Request(m_service.QueryCount() - 1)->AnswerUsers(true, Users(1, 3)));
    Pump();
    EXPECT_EQ(RowCount(ids::ListUser), 3);

    // OK and Cancel from elsewhere close the window as the Close button does: the next start is
    // afresh, on the tab it asks for.
    for (int id : {IDOK, IDCANCEL}) {
        Start(true);
        Command(id);
        EXPECT_FALSE(::IsWindowVisible(Dialog())) << "command " << id;
        Start(false);
        EXPECT_EQ(::SendMessageW(Control(ids::Tab), TCM_GETCURSEL, 0, 0), 1) << "command " << id;
    }
}

TEST_F(HostileInputTest, TabNotificationWithNoChangeKeepsTheViewAndTheBusyState) {
    OnPageTwo();
    SendNotify(ids::Tab, TCN_SELCHANGE);
    EXPECT_EQ(Text(ids::PageLabel), L"第2页");
    EXPECT_EQ(FirstColumn(ids::ListUser).front(), L"acc11");
    EXPECT_TRUE(Enabled(ids::PrevPage));

    Click(ids::NextPage);
    SendNotify(ids::Tab, TCN_SELCHANGE);
    EXPECT_TRUE(Busy());
    EXPECT_FALSE(Enabled(ids::NextPage)) << "the pager is not re-derived under a query";
    EXPECT_FALSE(Enabled(ids::PrevPage));
    EXPECT_FALSE(Enabled(ids::Tab));
}

TEST_F(HostileInputTest, SelectionNoticesWithoutARowActOnNothing) {
    Start(true);
    SearchByNick(L"王", Users(1, 3));
    // A selection notice for a row that is not there, as a stray program may send it.
    LVITEMW item = {};
    item.stateMask = item.state = LVIS_SELECTED;
    ::SendMessageW(Control(ids::ListUser), LVM_SETITEMSTATE, 7, reinterpret_cast<LPARAM>(&item));
    SendNotify(ids::ListUser, LVN_ITEMCHANGED);
    SendNotify(ids::ListZone, LVN_ITEMCHANGED);
    EXPECT_FALSE(Enabled(ids::Add));
    EXPECT_FALSE(Enabled(ids::View));
    Command(ids::Add);
    Command(ids::View);
    EXPECT_TRUE(m_handler.calls.empty());
}
