// The skinned controls: their skin records on the window, and platform behaviour once bound.
#include <gtest/gtest.h>

#include <memory>

#include "SkinTestSupport.h"

using skin_test::CTestSkinDialog;
using skin_test::HasSkinKeyProps;
using skin_test::ReadSkinKeys;
using Keys = std::vector<std::int32_t>;

namespace {

struct SkinKeyCase {
    const char* control;
    UINT id;
    Keys keys;
    std::function<void(CTestSkinDialog&, const Keys&)> setKey;  // on the dialog's member
    std::function<BOOL(CTestSkinDialog&)> bind;                 // the dialog's member
    // A control object of its own, given the keys and then bound to the dialog's control.
    std::function<std::unique_ptr<CWnd>(CTestSkinDialog&, const Keys&)> bindOwn;
};

template <class Control, class Info>
SkinKeyCase MakeCase(const char* name, UINT id, Keys keys, Control CTestSkinDialog::*member,
                     void (*fill)(Info&, const Keys&)) {
    auto setKey = [fill](Control& control, const Keys& k) {
        Info info;  // default-constructed, then every field assigned, as a caller does
        fill(info, k);
        control.SetSkinKey(info);
    };
    return {name, id, std::move(keys),
            [=](CTestSkinDialog& d, const Keys& k) { setKey(d.*member, k); },
            [=](CTestSkinDialog& d) { return (d.*member).SubclassDlgItem(id, &d); },
            [=](CTestSkinDialog& d, const Keys& k) {
                auto control = std::make_unique<Control>();
                setKey(*control, k);
                EXPECT_TRUE(control->SubclassDlgItem(id, &d));
                return std::unique_ptr<CWnd>(std::move(control));
            }};
}

std::vector<SkinKeyCase> SkinKeyCases() {
    return {
        MakeCase("tab", IDC_TEST_TAB, {10000035, 20000012, 20000013, 10000036},
                 &CTestSkinDialog::m_tab, +[](CSkinTabCtrl::SkinTabCtrlInfo& i, const Keys& k) {
                     i.nBackground = k[0], i.nItemNormal = k[1], i.nItemSelected = k[2], i.nBorder = k[3];
                 }),
        MakeCase("static", IDC_TEST_STATIC, {10000035, 20000001}, &CTestSkinDialog::m_static,
                 +[](CSkinStatic::SkinStaticInfo& i, const Keys& k) {
                     i.nBackground = k[0], i.nText = k[1];
                 }),
        MakeCase("combo", IDC_TEST_COMBO, {123456, 10000099, 10000046}, &CTestSkinDialog::m_combo,
                 +[](CSkinComboBox::SkinComboBoxInfo& i, const Keys& k) {
                     i.nFrame = k[0], i.nButton = k[1], i.nList = k[2];
                 }),
        MakeCase("group", IDC_TEST_GROUP, {10000037, 10000038, 10000042, 10000041, 10000040, 10000039},
                 &CTestSkinDialog::m_group, +[](CSkinGroupBox::SkinGroupBoxInfo& i, const Keys& k) {
                     i.nTitle = k[0], i.nTopLeft = k[1], i.nTopRight = k[2], i.nBottomLeft = k[3],
                     i.nBottomRight = k[4], i.nEdge = k[5];
                 }),
    };
}

// Records, from beneath every other procedure of a control, whether its skin keys were still on
// the window when its last message arrived.
WNDPROC g_innerProc = nullptr;
bool g_keysLeftAtNcDestroy = false;
int g_ncDestroySeen = 0;

LRESULT CALLBACK InnerProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC next = g_innerProc;
    if (message == WM_NCDESTROY) {
        ++g_ncDestroySeen;
        g_keysLeftAtNcDestroy |= HasSkinKeyProps(hWnd);
    }
    return ::CallWindowProcW(next, hWnd, message, wParam, lParam);
}

}  // namespace

TEST(SkinRecords, DefaultConstructionSelectsTheSkinsOwnImages) {
    const CSkinTabCtrl::SkinTabCtrlInfo tab;
    EXPECT_EQ(Keys({tab.nBackground, tab.nItemNormal, tab.nItemSelected, tab.nBorder}), Keys(4, -1));
    const CSkinStatic::SkinStaticInfo label;
    EXPECT_EQ(Keys({label.nBackground, label.nText}), Keys(2, -1));
    const CSkinComboBox::SkinComboBoxInfo combo;
    EXPECT_EQ(Keys({combo.nFrame, combo.nButton, combo.nList}), Keys(3, -1));
    const CSkinGroupBox::SkinGroupBoxInfo group;
    EXPECT_EQ(Keys({group.nTitle, group.nTopLeft, group.nTopRight, group.nBottomLeft,
                    group.nBottomRight, group.nEdge}),
              Keys(6, -1));
}

TEST(SkinKeys, PublishedInFieldOrderWhetherSetBeforeOrAfterBinding) {
    for (const SkinKeyCase& c : SkinKeyCases()) {
        for (bool before : {true, false}) {
            SCOPED_TRACE(std::string(c.control) + (before ? ", set before binding" : ", set after binding"));
            CTestSkinDialog dlg;
            ASSERT_TRUE(dlg.CreateWindowFromTemplate());
            HWND hCtrl = ::GetDlgItem(dlg, static_cast<int>(c.id));
            if (before) {
                c.setKey(dlg, c.keys);
                EXPECT_FALSE(HasSkinKeyProps(hCtrl)) << "published before the control had its window";
                ASSERT_TRUE(c.bind(dlg));
            } else {
                ASSERT_TRUE(c.bind(dlg));
                EXPECT_FALSE(HasSkinKeyProps(hCtrl)) << "published without a record";
                c.setKey(dlg, c.keys);
            }
            EXPECT_EQ(ReadSkinKeys(hCtrl), c.keys);
            EXPECT_EQ(::GetPropW(hCtrl, (L"SkinKey" + std::to_wstring(c.keys.size())).c_str()), nullptr);

            // A later record replaces the earlier one.
            const Keys next(c.keys.size(), 7);
            c.setKey(dlg, next);
            EXPECT_EQ(ReadSkinKeys(hCtrl), next);
            dlg.DestroyWindow();
        }
    }
}

TEST(SkinKeys, LeaveWithTheWindowOrWithTheControlObject) {
    for (const SkinKeyCase& c : SkinKeyCases()) {
        SCOPED_TRACE(c.control);
        {
            // The window goes first: gone by its last message.
            CTestSkinDialog dlg;
            ASSERT_TRUE(dlg.CreateWindowFromTemplate());
            HWND hCtrl = ::GetDlgItem(dlg, static_cast<int>(c.id));
            g_innerProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
                hCtrl, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&InnerProc)));
            g_keysLeftAtNcDestroy = false;
            g_ncDestroySeen = 0;
            c.setKey(dlg, c.keys);
            ASSERT_TRUE(c.bind(dlg));
            ASSERT_FALSE(ReadSkinKeys(hCtrl).empty());
            dlg.DestroyWindow();
            EXPECT_EQ(g_ncDestroySeen, 1);
            EXPECT_FALSE(g_keysLeftAtNcDestroy);
        }
        {
            // The control object goes first: its record leaves the window, which stays.
            CTestSkinDialog dlg;
            ASSERT_TRUE(dlg.CreateWindowFromTemplate());
            HWND hCtrl = ::GetDlgItem(dlg, static_cast<int>(c.id));
            auto control = c.bindOwn(dlg, c.keys);
            ASSERT_EQ(ReadSkinKeys(hCtrl), c.keys);
            control.reset();
            ASSERT_TRUE(::IsWindow(hCtrl));
            EXPECT_FALSE(HasSkinKeyProps(hCtrl));
            dlg.DestroyWindow();
        }
    }
}

TEST(SkinEdit, EnableEditSwitchesInputAndSetWindowTextWSetsTheText) {
    CTestSkinDialog dlg;
    ASSERT_TRUE(dlg.CreateWindowFromTemplate());
    ASSERT_TRUE(dlg.m_edit.SubclassDlgItem(IDC_TEST_EDIT, &dlg));
    HWND hEdit = ::GetDlgItem(dlg, IDC_TEST_EDIT);

    CSkinEdit& edit = dlg.m_edit;
    edit.EnableEdit(FALSE);
    EXPECT_FALSE(::IsWindowEnabled(hEdit));
    edit.EnableEdit(TRUE);
    EXPECT_TRUE(::IsWindowEnabled(hEdit));

    for (const wchar_t* text : {L"查找用户", L"", L"abc"}) {
        edit.SetWindowTextW(text);
        wchar_t read[32] = {L'?'};
        ::GetWindowTextW(hEdit, read, 32);
        EXPECT_STREQ(read, text);
    }
    edit.SetWindowTextW(nullptr);
    EXPECT_EQ(::GetWindowTextLengthW(hEdit), 0);
    dlg.DestroyWindow();
}

TEST(SkinControls, BoundControlsKeepTheTemplateWindowsAndBehaveAsPlatformControls) {
    CTestSkinDialog dlg;
    ASSERT_TRUE(dlg.CreateWindowFromTemplate());
    ASSERT_TRUE(dlg.BindAll());
    const std::pair<CWnd*, int> bound[] = {
        {&dlg.m_tab, IDC_TEST_TAB},       {&dlg.m_list, IDC_TEST_LIST},
        {&dlg.m_radio[0], IDC_TEST_RADIO1}, {&dlg.m_radio[1], IDC_TEST_RADIO2},
        {&dlg.m_radio[2], IDC_TEST_RADIO3}, {&dlg.m_edit, IDC_TEST_EDIT},
        {&dlg.m_button, IDC_TEST_BUTTON}, {&dlg.m_static, IDC_TEST_STATIC},
        {&dlg.m_combo, IDC_TEST_COMBO},   {&dlg.m_group, IDC_TEST_GROUP}};
    for (const auto& [control, id] : bound) {
        SCOPED_TRACE(id);
        EXPECT_EQ(control->GetSafeHwnd(), ::GetDlgItem(dlg, id));
        EXPECT_EQ(CWnd::FromHandlePermanent(::GetDlgItem(dlg, id)), control);
    }

    // Auto radio buttons still check one of their group at a time.
    auto checks = [&] {
        return std::vector<int>{dlg.m_radio[0].GetCheck(), dlg.m_radio[1].GetCheck(),
                                dlg.m_radio[2].GetCheck()};
    };
    dlg.m_radio[1].SendMessage(BM_CLICK);
    EXPECT_EQ(checks(), std::vector<int>({BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED}));
    dlg.m_radio[2].SendMessage(BM_CLICK);
    EXPECT_EQ(checks(), std::vector<int>({BST_UNCHECKED, BST_UNCHECKED, BST_CHECKED}));

    // The owner-draw button stays a push button whose click reaches the dialog's map.
    EXPECT_EQ(::GetWindowLongW(dlg.m_button, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    dlg.m_button.SendMessage(BM_CLICK);
    EXPECT_EQ(dlg.m_buttonClicks, 1);
    dlg.DestroyWindow();
}
