// The window with the keyboard alone, as a new user tries it: the test only types characters and
// presses Enter, the arrows, Tab and Space, each going where the focus is. Wherever the window
// decides what is shown (opening, reset, Back, a tab switch, a page of results), the focus is
// where that view is worked from: the edit of the checked radio, or the list.
#include "SearchWindowFixture.h"

namespace {
std::string Name(int id) { return "control " + std::to_string(id); }
}  // namespace

class KeyboardTest : public SearchWindowTest {
protected:
    // The key pressed, and pressed again, until the focus is on the control; a walk that never
    // gets there fails.
    void PressUntilFocusOn(WPARAM vk, int id) {
        for (int presses = 0; presses < 12 && FocusedId() != id; ++presses) PressKey(vk);
        windriver::Require(windriver::Result::Check(
            FocusedId() == id, "key " + std::to_string(vk) + " never took the focus to " + Name(id)));
    }
    void TabTo(int id) { PressUntilFocusOn(VK_TAB, id); }
    void ArrowTo(WPARAM vk, int id) { PressUntilFocusOn(vk, id); }
};

TEST_F(KeyboardTest, OpeningPutsTheFocusInTheCompanyEditAndASearchRunsFromThere) {
    Start(true);
    EXPECT_EQ(FocusedId(), ids::EditCompany) << "no Tab needed to start typing";
    TypeKeys(L"星光");
    PressKey(VK_RETURN);
    ASSERT_EQ(m_service.QueryCount(), 1u);
    EXPECT_EQ(m_service.Queries()[0].kind, QZP::SearchQuery::Kind::UsersByCompany);
    EXPECT_EQ(m_service.Queries()[0].text, L"星光");

    AnswerUsers(Users(1, 12));
    EXPECT_EQ(FocusedId(), ids::ListUser) << "a page of results is worked from its list";
    PressKey(VK_DOWN);
    EXPECT_EQ(m_driver.SelectedRow(ids::ListUser), 0);
    ASSERT_TRUE(Enabled(ids::Add));
    TabTo(ids::Add);
    PressKey(VK_SPACE);
    ASSERT_FALSE(m_handler.calls.empty());
    EXPECT_EQ(m_handler.calls.back(), (HandlerCall{"AddFriend", 1, L"acc1"}));

    TabTo(ids::Back);
    PressKey(VK_SPACE);
    EXPECT_TRUE(Shown(ids::RadioCompany)) << "Back brought the form";
    EXPECT_EQ(FocusedId(), ids::EditCompany) << "the edit of the checked radio";
    EXPECT_EQ(Text(ids::EditCompany), L"星光");
}

TEST_F(KeyboardTest, ArrowsChooseTheNicknameSearchAndBackReturnsToItsEdit) {
    Start(true);
    TabTo(ids::Find);
    ArrowTo(VK_UP, ids::RadioNick);  // the arrows check each radio they pass
    EXPECT_TRUE(Checked(ids::RadioNick));
    EXPECT_TRUE(Enabled(ids::EditNick));
    TabTo(ids::EditNick);
    TypeKeys(L"王");
    PressKey(VK_RETURN);
    ASSERT_EQ(m_service.QueryCount(), 1u);
    EXPECT_EQ(m_service.Queries()[0].kind, QZP::SearchQuery::Kind::UsersByNick);

    AnswerUsers(Users(1, 25));
    EXPECT_EQ(FocusedId(), ids::ListUser);
    TabTo(ids::NextPage);
    PressKey(VK_SPACE);
    EXPECT_EQ(Text(ids::PageLabel), L"第2页");
    EXPECT_EQ(FocusedId(), ids::ListUser) << "the next page is worked from the list again";

    TabTo(ids::Back);
    PressKey(VK_SPACE);
    EXPECT_EQ(FocusedId(), ids::EditNick) << "the form comes back with its nickname search";
    EXPECT_EQ(Text(ids::EditNick), L"王");
}

TEST_F(KeyboardTest, ATabSwitchPutsTheFocusWhereTheShownViewIsWorkedFrom) {
    m_handler.industries = {L"金融", L"制造"};
    Start(true);
    TabTo(ids::Find);
    ArrowTo(VK_UP, ids::Tab);  // the tab control lies in the radios' group
    PressKey(VK_RIGHT);
    ASSERT_EQ(m_driver.SelectedTab(ids::Tab), 1);
    EXPECT_EQ(FocusedId(), ids::EditZoneId) << "the zones form, by ID";

    // By name, then a search whose results come back to the list.
    TabTo(ids::RadioZoneById);
    PressKey(VK_DOWN);
    ASSERT_TRUE(Checked(ids::RadioZoneByName));
    TabTo(ids::EditZoneName);
    TypeKeys(L"茶");
    PressKey(VK_RETURN);
    ASSERT_EQ(m_service.QueryCount(), 1u);
    EXPECT_EQ(m_service.Queries()[0].kind, QZP::SearchQuery::Kind::Zone);
    EXPECT_EQ(m_service.Queries()[0].text, L"茶");
    AnswerZones(Zones(7, 3));
    EXPECT_EQ(FocusedId(), ids::ListZone);

    // Back to the users tab: its form is shown, with the edit of the radio the arrows checked on
    // their way to the tab control.
    TabTo(ids::Back);
    ArrowTo(VK_UP, ids::Tab);
    PressKey(VK_LEFT);
    ASSERT_EQ(m_driver.SelectedTab(ids::Tab), 0);
    EXPECT_EQ(FocusedId(), ids::EditNick);

    // And to the zones tab again: it still shows its results, worked from the list.
    TabTo(ids::RadioNick);
    ArrowTo(VK_UP, ids::Tab);
    PressKey(VK_RIGHT);
    EXPECT_TRUE(Shown(ids::ListZone));
    EXPECT_EQ(FocusedId(), ids::ListZone);
    TabTo(ids::Back);
    PressKey(VK_SPACE);
    EXPECT_EQ(FocusedId(), ids::EditZoneName) << "a search by name comes back to the name";
}

TEST_F(KeyboardTest, ReopeningResetsTheFocusToTheCompanyEdit) {
    Start(true);
    TabTo(ids::Find);
    ArrowTo(VK_UP, ids::RadioNick);
    TabTo(ids::EditNick);
    TabTo(ids::Close);
    PressKey(VK_SPACE);
    ASSERT_FALSE(::IsWindowVisible(Dialog()));

    Start(false);
    EXPECT_EQ(FocusedId(), ids::EditZoneId) << "the zones tab, reset to a search by ID";
    Stop();
    Start(true);
    EXPECT_EQ(FocusedId(), ids::EditCompany);
}
