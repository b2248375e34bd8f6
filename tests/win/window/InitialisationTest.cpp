// The window as initialisation leaves it: every control's place, font, texts and groups, the
// lists' columns, the tabs, the industry box, edit limits, skin keys, icons and the window size.
//
// Every figure is the design's at 96 DPI, scaled by the window's DPI: the tests of the layout run
// at 96 with the others, and again on desktops of other DPIs (DpiTest.cpp).
#include <cstring>
#include <string>

#include "LayoutFigures.h"
#include "SearchWindowFixture.h"

namespace {
using layout::kPlacements;
using layout::Placement;
using layout::Scaled;

std::wstring HeaderText(HWND list, int column, int* width) {
    wchar_t buffer[64] = {};
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = buffer;
    col.cchTextMax = 64;
    ::SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
    *width = col.cx;
    EXPECT_EQ(col.iSubItem, column) << "column index equals subitem index";
    return buffer;
}

std::wstring ComboItem(HWND combo, int index) {
    const LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    ::SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    return text;
}

std::vector<int> SkinKeyOf(HWND control) {
    std::vector<int> fields;
    const int count = static_cast<int>(reinterpret_cast<INT_PTR>(::GetPropW(control, L"SkinKeyCount")));
    for (int i = 0; i < count; ++i) {
        const std::wstring name = L"SkinKey" + std::to_wstring(i);
        fields.push_back(static_cast<int>(reinterpret_cast<INT_PTR>(::GetPropW(control, name.c_str()))));
    }
    return fields;
}
}  // namespace

TEST_F(SearchWindowTest, EveryControlSitsAtItsPixelRectangle) {
    Start();
    const UINT dpi = windriver::WindowDpi(Dialog());
    for (const Placement& p : kPlacements) {
        const RECT actual = ClientRect(p.id);
        const RECT expected = Scaled(p.rect, dpi);
        EXPECT_TRUE(std::memcmp(&actual, &expected, sizeof(RECT)) == 0)
            << "control " << p.id << " at " << dpi << " DPI: expected (" << expected.left << ","
            << expected.top << "," << expected.right << "," << expected.bottom << ") got ("
            << actual.left << "," << actual.top << "," << actual.right << "," << actual.bottom << ")";
    }
    // The industry box's height includes its drop-down list, so only its top row is measured.
    const RECT combo = ClientRect(ids::ComboIndustry);
    EXPECT_EQ(combo.left, Scaled(190, dpi));
    EXPECT_EQ(combo.top, Scaled(158, dpi));
    EXPECT_EQ(combo.right - combo.left, Scaled(137, dpi));
    RECT dropped = {};
    ::SendMessageW(Control(ids::ComboIndustry), CB_GETDROPPEDCONTROLRECT, 0,
                   reinterpret_cast<LPARAM>(&dropped));
    // The list's share of the 121 pixels differs between platforms; it must be there at all.
    EXPECT_GT(dropped.bottom - dropped.top, 3 * (combo.bottom - combo.top))
        << "the box was given room for its drop-down list";
}

TEST_F(SearchWindowTest, WindowKeepsItsCornerAndMeasures400By300) {
    Start();
    const UINT dpi = windriver::WindowDpi(Dialog());
    RECT rc = {};
    ASSERT_TRUE(::GetWindowRect(Dialog(), &rc));
    EXPECT_EQ(rc.right - rc.left, Scaled(400, dpi)) << "at " << dpi << " DPI";
    EXPECT_EQ(rc.bottom - rc.top, Scaled(300, dpi)) << "at " << dpi << " DPI";

    // A fresh window from the same template starts at the same corner: only the size changed.
    Stop();
    Start();
    RECT again = {};
    ::GetWindowRect(Dialog(), &again);
    EXPECT_EQ(again.left, rc.left);
    EXPECT_EQ(again.top, rc.top);
}

TEST_F(SearchWindowTest, TabControlSitsBehindEveryOtherControl) {
    Start();
    EXPECT_EQ(::GetWindow(Control(ids::Tab), GW_HWNDNEXT), nullptr) << "tab control is last in Z order";
}

TEST_F(SearchWindowTest, FontGoesToTwentyTwoControlsAndTheRestKeepTheTemplateFont) {
    Start();
    const HFONT dialogFont = reinterpret_cast<HFONT>(::SendMessageW(Dialog(), WM_GETFONT, 0, 0));
    const HFONT moduleFont = reinterpret_cast<HFONT>(::SendMessageW(Control(ids::ListUser), WM_GETFONT, 0, 0));
    ASSERT_NE(moduleFont, nullptr);
    ASSERT_NE(moduleFont, dialogFont);

    LOGFONTW lf = {};
    ASSERT_EQ(::GetObjectW(moduleFont, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
    EXPECT_EQ(lf.lfHeight, Scaled(12, windriver::WindowDpi(Dialog())));
    EXPECT_EQ(lf.lfWidth, 0);
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    EXPECT_EQ(lf.lfCharSet, ANSI_CHARSET);
    EXPECT_EQ(lf.lfPitchAndFamily, FF_SWISS | DEFAULT_PITCH);
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"宋体");

    const int fonted[] = {ids::ListUser, ids::ListZone, ids::RadioOnline, ids::RadioNick,
                          ids::RadioAccount, ids::EditNick, ids::EditAccount, ids::Tab, ids::Back,
                          ids::Find, ids::Close, ids::PageLabel, ids::PrevPage, ids::NextPage,
                          ids::Add, ids::View, ids::RadioZoneById, ids::RadioZoneByName,
                          ids::StaticIndustry, ids::EditZoneId, ids::EditZoneName,
                          ids::ComboIndustry};
    for (int id : fonted)
        EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(Control(id), WM_GETFONT, 0, 0)), moduleFont)
            << "control " << id;
    const int templateFonted[] = {ids::RadioCompany, ids::EditCompany, ids::StaticCriteria,
                                  ids::GroupExact};
    for (int id : templateFonted)
        EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(Control(id), WM_GETFONT, 0, 0)), dialogFont)
            << "control " << id;
    // A bitmap static keeps no font of its own to report; it must not have been given ours.
    EXPECT_NE(reinterpret_cast<HFONT>(::SendMessageW(Control(ids::Separator), WM_GETFONT, 0, 0)),
              moduleFont);
}

TEST_F(SearchWindowTest, ListsReadLeftToRightWithTheirWidthsAndFullRowSelect) {
    Start();
    const UINT dpi = windriver::WindowDpi(Dialog());
    const struct { int list; std::vector<std::pair<std::wstring, int>> columns; } cases[] = {
        {ids::ListUser, {{L"账号", 100}, {L"昵称", 80}, {L"状态", 80}, {L"公司", 80}}},
        {ids::ListZone, {{L"ID", 180}, {L"名字", 80}, {L"行业", 80}}},
    };
    for (const auto& c : cases) {
        HWND list = Control(c.list);
        HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
        EXPECT_EQ(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), static_cast<LRESULT>(c.columns.size()));
        for (std::size_t i = 0; i < c.columns.size(); ++i) {
            int width = 0;
            EXPECT_EQ(HeaderText(list, static_cast<int>(i), &width), c.columns[i].first)
                << "list " << c.list << " column " << i;
            EXPECT_EQ(width, Scaled(c.columns[i].second, dpi))
                << "list " << c.list << " column " << i << " at " << dpi << " DPI";
        }
        const LRESULT ex = ::SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
        EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT) << "list " << c.list;
    }
}

TEST_F(SearchWindowTest, TabsAndTheirSize) {
    Start();
    const UINT dpi = windriver::WindowDpi(Dialog());
    HWND tab = Control(ids::Tab);
    ASSERT_EQ(::SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 2);
    const wchar_t* names[] = {L"查找用户", L"查找商圈"};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(windriver::TabItemText(tab, i), names[i]);
        RECT rc = {};
        ::SendMessageW(tab, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rc));
        EXPECT_EQ(rc.bottom - rc.top, Scaled(25, dpi)) << "tab " << i << " at " << dpi << " DPI";
        EXPECT_GE(rc.right - rc.left, Scaled(68, dpi)) << "tab " << i << " at " << dpi << " DPI";
    }
}

TEST_F(SearchWindowTest, IndustryBoxListsTheClientsIndustriesVerbatimAfterAnyIndustry) {
    const std::vector<std::vector<std::wstring>> lists = {
        {}, {L"制造", L"金融", L"制造", L"零售"},
    };
    for (const auto& list : lists) {
        m_handler.industries = list;
        m_handler.industryRequests = 0;
        Start();
        HWND combo = Control(ids::ComboIndustry);
        ASSERT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(list.size() + 1));
        EXPECT_EQ(ComboItem(combo, 0), L"----不限行业----");
        for (std::size_t i = 0; i < list.size(); ++i)
            EXPECT_EQ(ComboItem(combo, static_cast<int>(i + 1)), list[i]) << "item " << i + 1;
        EXPECT_EQ(::SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(m_handler.industryRequests, 1) << "the list is asked for once per window";
        Stop();
    }
}

TEST_F(SearchWindowTest, EditsAreLimitedAndTheZoneIdTakesDigitsOnly) {
    Start();
    const struct { int id; int limit; } limits[] = {
        {ids::EditZoneName, 26}, {ids::EditNick, 13}, {ids::EditCompany, 10},
        {ids::EditZoneId, 25},   {ids::EditAccount, 25},
    };
    for (const auto& l : limits)
        EXPECT_EQ(::SendMessageW(Control(l.id), EM_GETLIMITTEXT, 0, 0), l.limit) << "edit " << l.id;

    // Typing goes through WM_CHAR, which is where both rules bite.
    HWND company = Control(ids::EditCompany);
    for (wchar_t ch : std::wstring(L"一二三四五六七八九十十一"))
        ::SendMessageW(company, WM_CHAR, ch, 1);
    EXPECT_EQ(Text(ids::EditCompany), L"一二三四五六七八九十");

    ::SendMessageW(Control(ids::EditZoneId), WM_CHAR, L'7', 1);
    ::SendMessageW(Control(ids::EditZoneId), WM_CHAR, L'a', 1);
    ::SendMessageW(Control(ids::EditZoneId), WM_CHAR, L'3', 1);
    EXPECT_EQ(Text(ids::EditZoneId), L"73");
}

TEST_F(SearchWindowTest, RadioButtonsFormTwoGroups) {
    Start(true);
    const int userRadios[] = {ids::RadioNick, ids::RadioAccount, ids::RadioCompany};
    for (int clicked : userRadios) {
        Click(clicked);
        for (int other : {ids::RadioCompany, ids::RadioOnline, ids::RadioNick, ids::RadioAccount})
            EXPECT_EQ(Checked(other), other == clicked) << "clicked " << clicked << ", radio " << other;
        EXPECT_TRUE(Checked(ids::RadioZoneById)) << "the zone group is not touched";
    }
    ClickTab(1);
    Click(ids::RadioZoneByName);
    EXPECT_TRUE(Checked(ids::RadioZoneByName));
    EXPECT_FALSE(Checked(ids::RadioZoneById));
    EXPECT_TRUE(Checked(ids::RadioCompany)) << "the user group is not touched";
}

TEST_F(SearchWindowTest, SkinKeysReachTheSkinLibraryUnchanged) {
    Start();
    EXPECT_EQ(SkinKeyOf(Control(ids::Tab)), (std::vector<int>{10000035, 20000012, 20000013, 10000036}));
    EXPECT_EQ(SkinKeyOf(Control(ids::PageLabel)), (std::vector<int>{10000035, 10000035}));
    EXPECT_EQ(SkinKeyOf(Control(ids::ComboIndustry)), (std::vector<int>{123456, 10000099, 10000046}));
    EXPECT_EQ(SkinKeyOf(Control(ids::GroupExact)),
              (std::vector<int>{10000037, 10000038, 10000042, 10000041, 10000040, 10000039}));
    EXPECT_TRUE(SkinKeyOf(Control(ids::Find)).empty()) << "no other control gets skin keys";
}

TEST_F(SearchWindowTest, BothIconsAreTheModulesIcon) {
    Start();
    const HICON big = reinterpret_cast<HICON>(::SendMessageW(Dialog(), WM_GETICON, ICON_BIG, 0));
    const HICON small = reinterpret_cast<HICON>(::SendMessageW(Dialog(), WM_GETICON, ICON_SMALL, 0));
    const HICON module = ::LoadIconW(::GetModuleHandleW(L"Search.dll"), MAKEINTRESOURCEW(128));
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(big, module);
    EXPECT_EQ(small, module);
}

TEST_F(SearchWindowTest, InitialisationLeavesTheUsersFormShown) {
    Start(true);
    const int shown[] = {ids::Tab, ids::Close, ids::RadioCompany, ids::RadioNick, ids::RadioAccount,
                         ids::EditCompany, ids::EditNick, ids::EditAccount, ids::Find,
                         ids::StaticCriteria, ids::Separator};
    const int hidden[] = {ids::RadioOnline, ids::GroupExact, ids::ListUser, ids::ListZone,
                          ids::Back, ids::NextPage, ids::PrevPage, ids::Add, ids::View,
                          ids::PageLabel, ids::RadioZoneById, ids::RadioZoneByName,
                          ids::StaticIndustry, ids::EditZoneId, ids::EditZoneName,
                          ids::ComboIndustry};
    for (int id : shown)
        EXPECT_TRUE(Shown(id)) << "control " << id;
    for (int id : hidden)
        EXPECT_FALSE(Shown(id)) << "control " << id;
    EXPECT_EQ(Text(ids::Add), L"加为好友");
    EXPECT_EQ(Text(ids::Find), L"查找");
    Snapshot(L"users-form");
}
