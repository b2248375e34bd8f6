// Message-map walk without windows: order, chaining to the base map, ranges, codes, runtime classes.
#include <gtest/gtest.h>

#include "TestDialogs.h"

namespace {

struct CommandCase {
    const char* name;
    WPARAM wParam;
    LPARAM lParam;
    bool handled;
    const wchar_t* logged;  // null when nothing is logged
};

TEST(MessageMap, CommandsMatchIdRangeAndCodeDerivedFirst) {
    const LPARAM control = 0x1234;  // any non-null control handle; the map only reads it as "a control"
    const CommandCase cases[] = {
        {"derived entry wins over the base entry", MAKEWPARAM(IDC_FIND, BN_CLICKED), control, true,
         L"derived:find"},
        {"posted command without a control is a click", IDC_FIND, 0, true, L"derived:find"},
        {"accelerator (code 1, no control) is a plain command", MAKEWPARAM(IDC_FIND, 1), 0, true,
         L"derived:find"},
        {"another code from a control does not match", MAKEWPARAM(IDC_FIND, BN_SETFOCUS), control,
         false, nullptr},
        {"base entry reached through the chain", MAKEWPARAM(IDC_EDIT_SECOND, 0), control, true,
         L"base:second"},
        {"range: first ID", MAKEWPARAM(IDC_RADIO_A, BN_CLICKED), control, true, L"radio:311"},
        {"range: last ID", MAKEWPARAM(IDC_RADIO_C, BN_CLICKED), control, true, L"radio:313"},
        {"range: one past the end", MAKEWPARAM(IDC_RADIO_C + 1, BN_CLICKED), control, false, nullptr},
        {"range: one before the start", MAKEWPARAM(IDC_RADIO_A - 1, BN_CLICKED), control, false,
         nullptr},
        {"CDialog's IDCANCEL entry reaches the virtual OnCancel", IDCANCEL, 0, true, nullptr},
    };
    for (const CommandCase& c : cases) {
        CRecordingDialog dlg;
        LRESULT result = -1;
        const bool handled = dlg.DispatchMessageMap(WM_COMMAND, c.wParam, c.lParam, &result);
        EXPECT_EQ(c.handled, handled) << c.name;
        if (c.logged) {
            ASSERT_EQ(1u, dlg.log.size()) << c.name;
            EXPECT_EQ(std::wstring(c.logged), dlg.log[0]) << c.name;
            EXPECT_EQ(0, result) << c.name;
        } else {
            EXPECT_TRUE(dlg.log.empty()) << c.name;
        }
        if (c.wParam == IDCANCEL) {
            EXPECT_EQ(1, dlg.cancelCalls) << c.name;
        }
    }
}

TEST(MessageMap, NotifyMatchesIdFromAndCode) {
    struct Case {
        const char* name;
        UINT_PTR idFrom;
        UINT code;
        bool handled;
    } cases[] = {
        {"changing from the tab", IDC_TAB, static_cast<UINT>(TCN_SELCHANGING), true},
        {"change from the tab", IDC_TAB, static_cast<UINT>(TCN_SELCHANGE), true},
        {"same code, other control", IDC_FIND, static_cast<UINT>(TCN_SELCHANGE), false},
        {"other code, same control", IDC_TAB, static_cast<UINT>(NM_CLICK), false},
    };
    for (const Case& c : cases) {
        CRecordingDialog dlg;
        dlg.notifyResult = 7;
        NMHDR header = {nullptr, c.idFrom, c.code};
        LRESULT result = -1;
        EXPECT_EQ(c.handled, dlg.DispatchMessageMap(WM_NOTIFY, c.idFrom, reinterpret_cast<LPARAM>(&header),
                                                    &result))
            << c.name;
        if (c.handled && c.code == static_cast<UINT>(TCN_SELCHANGING)) {
            EXPECT_EQ(7, result) << c.name;
        }
    }
    CRecordingDialog dlg;
    EXPECT_FALSE(dlg.DispatchMessageMap(WM_NOTIFY, 0, 0, nullptr)) << "a notification without header";
}

TEST(MessageMap, MessageEntriesAndMapsWithoutEntries) {
    CRecordingDialog dlg;
    LRESULT result = 0;
    ASSERT_TRUE(dlg.DispatchMessageMap(WM_TEST_PRIVATE, 3, 4, &result));
    EXPECT_EQ(304, result);
    EXPECT_FALSE(dlg.DispatchMessageMap(WM_TEST_PRIVATE + 100, 0, 0, &result));

    CStubbornDialog stubborn;
    EXPECT_TRUE(stubborn.DispatchMessageMap(WM_CLOSE, 0, 0, &result));
    EXPECT_EQ(1, stubborn.closeCalls);

    CWnd plain;
    EXPECT_FALSE(plain.DispatchMessageMap(WM_COMMAND, IDOK, 0, &result))
        << "a plain window has no OK handling";
}

TEST(RuntimeClass, DialogRecordAndKinds) {
    const CRuntimeClass* dialog = RUNTIME_CLASS(CDialog);
    EXPECT_STREQ("CDialog", dialog->m_lpszClassName);
    EXPECT_EQ(static_cast<int>(sizeof(CDialog)), dialog->m_nObjectSize);
    EXPECT_EQ(0xFFFFu, dialog->m_wSchema);
    EXPECT_EQ(nullptr, dialog->m_pfnCreateObject);

    struct Case {
        const CRuntimeClass* cls;
        const CRuntimeClass* base;
        bool derived;
    } cases[] = {
        {RUNTIME_CLASS(CDialog), RUNTIME_CLASS(CDialog), true},
        {RUNTIME_CLASS(CDialog), RUNTIME_CLASS(CWnd), true},
        {RUNTIME_CLASS(CDialog), RUNTIME_CLASS(CCmdTarget), true},
        {RUNTIME_CLASS(CDialog), RUNTIME_CLASS(CObject), true},
        {RUNTIME_CLASS(CWnd), RUNTIME_CLASS(CDialog), false},
        {RUNTIME_CLASS(CObject), RUNTIME_CLASS(CWnd), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.derived, c.cls->IsDerivedFrom(c.base))
            << c.cls->m_lpszClassName << " from " << c.base->m_lpszClassName;
    }
    // A class without a record of its own reports its nearest base's.
    CRecordingDialog dlg;
    EXPECT_EQ(RUNTIME_CLASS(CDialog), dlg.GetRuntimeClass());
    EXPECT_TRUE(dlg.IsKindOf(RUNTIME_CLASS(CWnd)));
    CWnd wnd;
    EXPECT_FALSE(wnd.IsKindOf(RUNTIME_CLASS(CDialog)));
    EXPECT_FALSE(wnd.IsKindOf(nullptr));
}

TEST(CStringFormat, WideFormats) {
    CString s;
    s.Format(L"\x7B2C%d\x9875", 12);
    EXPECT_EQ(std::wstring(L"\x7B2C" L"12" L"\x9875"), s.str());
    s.Format(L"%s-%d", L"abc", -3);
    EXPECT_EQ(std::wstring(L"abc--3"), s.str());
    std::wstring longText(1000, L'x');
    s.Format(L"%s!", longText.c_str());
    EXPECT_EQ(1001, s.GetLength());
}

}  // namespace
