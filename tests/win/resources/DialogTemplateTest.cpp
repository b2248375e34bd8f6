// The two dialog templates as compiled into the module: header fields and every control, bit for
// bit. Positions are not checked; the dialog code places the controls itself.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "ResourceReader.h"
#include "resource.h"

using namespace restest;

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kEdit = kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kList = kChild | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                        LVS_SHOWSELALWAYS | LVS_ALIGNLEFT;
constexpr DWORD kPush = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kUserRadio = kChild | BS_AUTORADIOBUTTON | BS_NOTIFY;
constexpr DWORD kLabel = kChild | WS_GROUP | SS_LEFT;
constexpr DWORD kCombo = kChild | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST;
constexpr DWORD kPlainRadio = kChild | BS_AUTORADIOBUTTON;  // no BS_NOTIFY

struct ExpectedControl {
    DWORD id;
    const wchar_t* windowClass;
    const wchar_t* caption;  // nullptr: the caption is the resource ordinal below
    WORD captionOrdinal;
    DWORD style;
    DWORD exStyle;
};

// Template order is creation order and decides the radio groups, so the rows must stay in it.
const ExpectedControl kSearchControls[] = {
    {IDC_TAB, L"SysTabControl32", L"", 0, kChild, 0},
    {IDC_RADIO_ONLINE, L"button", L"查询在线用户", 0, kUserRadio, 0},
    {IDC_RADIO_NICK, L"button", L"按用户昵称查询", 0, kUserRadio, 0},
    {IDC_RADIO_ACCOUNT, L"button", L"按用户账号查询", 0, kUserRadio, 0},
    {IDC_EDIT_NICK, L"edit", L"", 0, kEdit, 0},
    {IDC_EDIT_ACCOUNT, L"edit", L"", 0, kEdit, 0},
    {IDC_LIST_USER, L"SysListView32", L"", 0, kList, 0},
    {IDC_BTN_BACK, L"button", L"上一步", 0, kPush, 0},
    {IDC_BTN_FIND, L"button", L"查找", 0, kPush, 0},
    {IDC_BTN_CLOSE, L"button", L"关闭", 0, kPush, 0},
    {IDC_BTN_PREV_PAGE, L"button", L"上一页", 0, kPush, 0},
    {IDC_BTN_NEXT_PAGE, L"button", L"下一页", 0, kPush, 0},
    {IDC_BTN_ADD, L"button", L"加为好友", 0, kPush, 0},
    {IDC_BTN_VIEW, L"button", L"查看资料", 0, kPush, 0},
    {IDC_STATIC_PAGE, L"static", L"静态", 0, kLabel, WS_EX_TRANSPARENT},
    {IDC_EDIT_ZONE_ID, L"edit", L"", 0, kEdit | ES_NUMBER, 0},
    {IDC_EDIT_ZONE_NAME, L"edit", L"", 0, kEdit, 0},
    {IDC_COMBO_INDUSTRY, L"combobox", L"", 0, kCombo, 0},
    {IDC_LIST_ZONE, L"SysListView32", L"", 0, kList, 0},
    {IDC_RADIO_ZONE_BY_ID, L"button", L"按ID查找商圈", 0, kPlainRadio | WS_GROUP, 0},
    {IDC_RADIO_ZONE_BY_NAME, L"button", L"按名称查找商圈", 0, kPlainRadio, 0},
    {IDC_STATIC_INDUSTRY, L"static", L"按行业查找商圈", 0, kLabel, 0},
    {IDC_STATIC_CRITERIA, L"static", L"查询条件", 0, kLabel, 0},
    {IDC_SEPARATOR, L"static", nullptr, IDB_SEPARATOR, kChild | SS_BITMAP, 0},
    {IDC_GROUP_EXACT, L"button", L"精确查找", 0, kChild | BS_GROUPBOX, 0},
    {IDC_RADIO_COMPANY, L"button", L"按公司查询", 0, kPlainRadio | WS_GROUP, 0},
    {IDC_EDIT_COMPANY, L"edit", L"", 0, kEdit, 0},
};

const ExpectedControl kSearchingControls[] = {
    {static_cast<DWORD>(-1), L"static", L"正在为您查找...", 0, 0x50020000, 0},
};

struct ExpectedDialog {
    const char* name;
    WORD id;
    DWORD style;
    DWORD exStyle;
    short cx, cy;  // 0: not fixed
    const wchar_t* caption;
    WORD pointSize;
    const ExpectedControl* controls;
    size_t controlCount;
};

const ExpectedDialog kDialogs[] = {
    {"search", IDD_SEARCH_DIALOG, 0x90C800C8, WS_EX_APPWINDOW, 0, 0, L"查询用户/商圈", 9,
     kSearchControls, std::size(kSearchControls)},
    {"searching", IDD_SEARCHING_DIALOG, 0x80C000C8, 0, 157, 34, L"请稍候...", 8,
     kSearchingControls, std::size(kSearchingControls)},
};

void PrintTo(const ExpectedDialog& dialog, std::ostream* os) { *os << dialog.name; }

class DialogTemplate : public ::testing::TestWithParam<ExpectedDialog> {};

TEST_P(DialogTemplate, HeaderAndFontAreAsDesigned) {
    const ExpectedDialog& want = GetParam();
    const DialogTemplateEx dlg = ParseDialogTemplateEx(FindChinese(RT_DIALOG, want.id));

    EXPECT_EQ(dlg.style, want.style) << std::hex;
    EXPECT_EQ(dlg.exStyle, want.exStyle) << std::hex;
    EXPECT_EQ(dlg.helpId, 0u);
    EXPECT_EQ(dlg.title, want.caption);
    EXPECT_TRUE(!dlg.menu.isOrdinal && dlg.menu.text.empty()) << "a menu is set";
    EXPECT_TRUE(!dlg.windowClass.isOrdinal && dlg.windowClass.text.empty()) << "a class is set";
    EXPECT_EQ(dlg.pointSize, want.pointSize);
    EXPECT_EQ(dlg.typeface, L"MS Shell Dlg");
    EXPECT_EQ(dlg.weight, FW_NORMAL);
    EXPECT_EQ(dlg.italic, 0);
    EXPECT_EQ(dlg.charset, DEFAULT_CHARSET);
    if (want.cx != 0) {
        EXPECT_EQ(dlg.x, 0);
        EXPECT_EQ(dlg.y, 0);
        EXPECT_EQ(dlg.cx, want.cx);
        EXPECT_EQ(dlg.cy, want.cy);
    }
}

TEST_P(DialogTemplate, ControlsInTemplateOrder) {
    const ExpectedDialog& want = GetParam();
    const DialogTemplateEx dlg = ParseDialogTemplateEx(FindChinese(RT_DIALOG, want.id));

    ASSERT_EQ(dlg.items.size(), want.controlCount);
    for (size_t i = 0; i < want.controlCount; ++i) {
        const ExpectedControl& expected = want.controls[i];
        const DialogItem& item = dlg.items[i];
        SCOPED_TRACE(::testing::Message() << "control #" << i + 1 << ", expected ID "
                                          << static_cast<int>(expected.id));
        EXPECT_EQ(item.id, expected.id);
        EXPECT_TRUE(SameClass(item.windowClass, expected.windowClass))
            << "class " << ::testing::PrintToString(ClassName(item.windowClass));
        if (expected.caption) {
            EXPECT_FALSE(item.title.isOrdinal);
            EXPECT_EQ(item.title.text, expected.caption);
        } else {
            EXPECT_TRUE(item.title.isOrdinal);
            EXPECT_EQ(item.title.ordinal, expected.captionOrdinal);
        }
        EXPECT_EQ(item.style, expected.style)
            << std::hex << "extra bits " << (item.style & ~expected.style) << ", missing bits "
            << (expected.style & ~item.style);
        EXPECT_EQ(item.exStyle, expected.exStyle) << std::hex;
        EXPECT_EQ(item.helpId, 0u);
        EXPECT_EQ(item.extraBytes, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Module, DialogTemplate, ::testing::ValuesIn(kDialogs),
                         [](const auto& info) { return std::string(info.param.name); });

// Each resource exists once, in Chinese (Simplified) only: a second language copy would be the
// one picked on some systems.
TEST(ModuleResources, EachExistsOnlyInChineseSimplified) {
    const struct {
        LPCWSTR type;
        WORD id;
    } resources[] = {
        {RT_DIALOG, IDD_SEARCH_DIALOG},
        {RT_DIALOG, IDD_SEARCHING_DIALOG},
        {RT_GROUP_ICON, IDI_SEARCH},
        {RT_BITMAP, IDB_SEPARATOR},
    };
    for (const auto& r : resources) {
        SCOPED_TRACE(::testing::Message() << "resource " << r.id);
        EXPECT_EQ(ResourceLanguages(r.type, r.id), std::vector<WORD>{2052});
    }
}

}  // namespace
