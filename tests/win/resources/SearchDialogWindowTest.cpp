// Template 129 turned into a real window with a bare dialog procedure: what the template alone
// gives the dialog code to work with (radio groups, the separator bitmap).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "WindowDriver.h"
#include "resource.h"

namespace {

INT_PTR CALLBACK BareDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

// One window for the whole suite: without a window manager, Wine spends about two seconds
// waiting for each visible top-level window to be withdrawn when it is destroyed. Every test
// sets up the control state it relies on.
class SearchDialogWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        dlg_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SEARCH_DIALOG),
                                  nullptr, BareDialogProc, 0);
        createError_ = GetLastError();
    }
    static void TearDownTestSuite() {
        if (dlg_) DestroyWindow(dlg_);
        dlg_ = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(dlg_, nullptr) << "CreateDialogParamW failed, error " << createError_;
    }

    static HWND Item(int id) { return GetDlgItem(dlg_, id); }
    static bool Checked(int id) {
        return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }

    static inline HWND dlg_ = nullptr;
    static inline DWORD createError_ = 0;
};

const int kUserRadios[] = {IDC_RADIO_COMPANY, IDC_RADIO_ONLINE, IDC_RADIO_NICK, IDC_RADIO_ACCOUNT};
const int kZoneRadios[] = {IDC_RADIO_ZONE_BY_ID, IDC_RADIO_ZONE_BY_NAME};

// Every radio of both groups is checked first, so a click must uncheck each of its own group
// and must leave every radio of the other group as it was.
TEST_F(SearchDialogWindow, ClickingARadioUnchecksOnlyItsOwnGroup) {
    struct Case {
        int clicked;
        bool userGroup;
    };
    const Case cases[] = {
        {IDC_RADIO_COMPANY, true},     {IDC_RADIO_ONLINE, true},
        {IDC_RADIO_NICK, true},        {IDC_RADIO_ACCOUNT, true},
        {IDC_RADIO_ZONE_BY_ID, false}, {IDC_RADIO_ZONE_BY_NAME, false},
    };
    std::vector<int> all(std::begin(kUserRadios), std::end(kUserRadios));
    all.insert(all.end(), std::begin(kZoneRadios), std::end(kZoneRadios));

    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "clicked " << c.clicked);
        for (int id : all) windriver::SetCheckAlone(Item(id), true);

        SendMessageW(Item(c.clicked), BM_CLICK, 0, 0);

        for (int id : kUserRadios)
            EXPECT_EQ(Checked(id), !c.userGroup || id == c.clicked) << "radio " << id;
        for (int id : kZoneRadios)
            EXPECT_EQ(Checked(id), c.userGroup || id == c.clicked) << "radio " << id;
    }
}

// The company radio opens its group near the end of the template; the group wraps around to the
// first control and closes at the page label. Walking it shows which controls share it.
TEST_F(SearchDialogWindow, GroupsRunFromEachGroupStartToTheNext) {
    struct Case {
        int start;
        std::vector<int> cycle;  // the controls GetNextDlgGroupItem visits, back to start
    };
    const Case cases[] = {
        {IDC_RADIO_COMPANY,
         {IDC_EDIT_COMPANY, IDC_TAB, IDC_RADIO_ONLINE, IDC_RADIO_NICK, IDC_RADIO_ACCOUNT,
          IDC_EDIT_NICK, IDC_EDIT_ACCOUNT, IDC_LIST_USER, IDC_BTN_BACK, IDC_BTN_FIND,
          IDC_BTN_CLOSE, IDC_BTN_PREV_PAGE, IDC_BTN_NEXT_PAGE, IDC_BTN_ADD, IDC_BTN_VIEW,
          IDC_RADIO_COMPANY}},
        {IDC_RADIO_ZONE_BY_ID, {IDC_RADIO_ZONE_BY_NAME, IDC_RADIO_ZONE_BY_ID}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "group of " << c.start);
        std::vector<int> visited;
        HWND at = Item(c.start);
        do {
            at = GetNextDlgGroupItem(dlg_, at, FALSE);
            visited.push_back(at ? GetDlgCtrlID(at) : 0);
        } while (at && at != Item(c.start) && visited.size() <= 27);
        EXPECT_EQ(visited, c.cycle);
    }
}

TEST_F(SearchDialogWindow, SeparatorShowsBitmapFromTheModule) {
    const HWND separator = Item(IDC_SEPARATOR);
    const auto bitmap = reinterpret_cast<HBITMAP>(
        SendMessageW(separator, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(bitmap, nullptr) << "bitmap 131 was not loaded by the static";
    BITMAP info{};
    ASSERT_TRUE(GetObjectW(bitmap, sizeof info, &info));
    EXPECT_EQ(info.bmWidth, 300);
    EXPECT_EQ(info.bmHeight, 1);
}

}  // namespace
