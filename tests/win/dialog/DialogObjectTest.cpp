// The dialog objects themselves, where a client cannot reach: the waiting dialog, and a search
// dialog whose window never came to be.
#include <windows.h>

#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "QZTransmit.h"
#include "SearchDlg.h"
#include "SearchingDlg.h"
#include "WindowDriver.h"

namespace {
void PressKey(HWND target, UINT vk) {
    windriver::PostKey(target, vk);
    windriver::PumpPending();
}

class CountingHandler : public SearchResultHandler {
public:
    int industryRequests = 0;
    void AddFriend(std::uint64_t, const std::wstring&) override {}
    void ViewUserInfo(std::uint64_t, const std::wstring&) override {}
    void JoinZone(std::uint64_t) override {}
    void ViewZoneInfo(std::uint64_t) override {}
    std::vector<std::wstring> GetIndustryList() override {
        ++industryRequests;
        return {L"金融", L"金融"};
    }
    bool IsFriend(std::uint64_t) override { return false; }
    bool IsZoneMember(std::uint64_t) override { return false; }
};
}  // namespace

TEST(SearchingDlg, ReportsItselfAsAPlainDialog) {
    const CRuntimeClass* rc = RUNTIME_CLASS(CSearchingDlg);
    EXPECT_STREQ(rc->m_lpszClassName, "CSearchingDlg");
    EXPECT_EQ(rc->m_wSchema, 0xFFFFu);
    EXPECT_EQ(rc->m_pfnCreateObject, nullptr);
    EXPECT_EQ(rc->m_pBaseClass, RUNTIME_CLASS(CDialog));
    EXPECT_EQ(rc->m_nObjectSize, static_cast<int>(sizeof(CSearchingDlg)));
    EXPECT_EQ(sizeof(CSearchingDlg), sizeof(CCommonSkinDialog));
    CSearchingDlg dlg;
    EXPECT_EQ(dlg.GetRuntimeClass(), rc);
    EXPECT_TRUE(dlg.IsKindOf(RUNTIME_CLASS(CDialog)));
}

TEST(SearchingDlg, CannotBeClosedByEnterEscapeOrTheCloseCommand) {
    // The icon comes from the module that carries the dialog's code, found by address whatever its
    // file is called: here this program, which links the dialog and its resources, not a
    // Search.dll that the process may also hold.
    HMODULE module = ::GetModuleHandleW(nullptr);
    HMODULE other = ::LoadLibraryW(L"Search.dll");
    ASSERT_NE(other, nullptr);
    {
        CSearchingDlg dlg;
        ASSERT_TRUE(dlg.Create(130, nullptr));
        dlg.ShowWindow(SW_SHOW);
        HWND hWnd = dlg.GetSafeHwnd();
        wchar_t caption[32] = {};
        ::GetWindowTextW(hWnd, caption, 32);
        EXPECT_EQ(std::wstring(caption), L"请稍候...");

        const HICON icon = ::LoadIconW(module, MAKEINTRESOURCEW(128));
        EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(hWnd, WM_GETICON, ICON_SMALL, 0)), icon);
        EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(hWnd, WM_GETICON, ICON_BIG, 0)), icon);

        HWND text = ::GetWindow(hWnd, GW_CHILD);
        ASSERT_NE(text, nullptr);
        for (WPARAM key : {WPARAM(VK_RETURN), WPARAM(VK_ESCAPE)}) {
            PressKey(text, static_cast<UINT>(key));
            EXPECT_TRUE(::IsWindowVisible(hWnd)) << "key " << key;
        }
        ::SendMessageW(hWnd, WM_CLOSE, 0, 0);
        ::SendMessageW(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        windriver::PumpPending();
        EXPECT_TRUE(::IsWindowVisible(hWnd));
        dlg.DestroyWindow();
        EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
    }
    ::FreeLibrary(other);
}

// The industries are asked for once the object is its Search's (the client may call the Search back
// from inside), not by the constructor.
TEST(SearchDlg, FreshObjectAsksForIndustriesWhenToldAndDestroysWithoutAWindow) {
    QZP::ScriptedService service;
    QZP::QZTransmit transmit(service);
    CountingHandler handler;
    for (int round = 0; round < 3; ++round) {
        handler.industryRequests = 0;
        auto* dlg = new CSearchDlg(&transmit, &handler, nullptr);
        EXPECT_EQ(handler.industryRequests, 0);
        ASSERT_TRUE(dlg->AskForIndustries());
        EXPECT_EQ(handler.industryRequests, 1);
        EXPECT_EQ(transmit.LiveCommands(), 1u) << "the dialog's command is live";
        EXPECT_EQ(dlg->GetSafeHwnd(), nullptr);
        // Results before the window exists have nothing to show them, and post nothing.
        UserInfoSet batch;
        batch.push_back(UserInfo());
        dlg->OnSearchUserResult(true, batch);
        dlg->OnSearchZoneResult(false, ZoneInfoSet());
        MSG msg;
        EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_USER, 0x7FFF, PM_NOREMOVE));
        // Deleting through the handler interface takes the whole object down.
        QZP::QZCommandSearchHandler* asHandler = dlg;
        delete asHandler;
        EXPECT_EQ(transmit.LiveCommands(), 0u);
    }
    EXPECT_TRUE(transmit.WaitIdle(std::chrono::seconds(5)));
}

TEST(SearchDlg, InitialisationLeavesEveryControlShownButTheTwoHiddenForGood) {
    QZP::ScriptedService service;
    QZP::QZTransmit transmit(service);
    CountingHandler handler;
    CSearchDlg dlg(&transmit, &handler, nullptr);
    ASSERT_TRUE(dlg.Create(129, nullptr));
    windriver::PumpPending();
    // Before any view state is applied, the window holds the controls of both tabs and views.
    const int hiddenForGood[] = {1002, 1030};
    int shown = 0;
    for (HWND child = ::GetWindow(dlg.GetSafeHwnd(), GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int id = ::GetDlgCtrlID(child);
        const bool hidden = id == hiddenForGood[0] || id == hiddenForGood[1];
        EXPECT_EQ(::IsWindowVisible(child) != FALSE, !hidden) << "control " << id;
        shown += hidden ? 0 : 1;
    }
    EXPECT_EQ(shown, 25);
    EXPECT_NE(::SendMessageW(dlg.GetDlgItem(1008)->GetSafeHwnd(), WM_GETFONT, 0, 0), 0) << "the dialog font";
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
}
