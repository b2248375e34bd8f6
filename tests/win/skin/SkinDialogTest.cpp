// The skinned dialog base and the skinned message box.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "MessageBoxWatcher.h"
#include "SkinMessageBox.h"
#include "SkinTestSupport.h"
#include "WindowDriver.h"
#include "WindowLook.h"

using skin_test::CTestSkinDialog;
using windriver::MessageBoxWatcher;

namespace {

LRESULT CALLBACK CountPaints(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR counter) {
    if (message == WM_PAINT) ++*reinterpret_cast<int*>(counter);
    return ::DefSubclassProc(hWnd, message, wParam, lParam);
}

struct PresentedBox {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};
std::vector<PresentedBox> g_presented;

int RecordBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    g_presented.push_back({owner, text, caption, type});
    return IDYES;
}
int RecordBoxToo(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    RecordBox(owner, text, caption, type);
    return IDNO;
}

// Swaps in a presenter for one test and puts the real box back afterwards.
class RecordingPresenter {
public:
    RecordingPresenter() {
        g_presented.clear();
        SetSkinMessageBoxPresenter(&RecordBox);
    }
    ~RecordingPresenter() { SetSkinMessageBoxPresenter(nullptr); }
};

}  // namespace

TEST(SkinDialog, InitialisesAsThePlatformDialogAndRedrawsEverythingOnUpdateUI) {
    CTestSkinDialog dlg;
    dlg.UpdateUI();  // no window yet: nothing to redraw
    ASSERT_TRUE(dlg.CreateWindowFromTemplate());
    EXPECT_TRUE(dlg.m_baseInitResult);

    ::ShowWindow(dlg, SW_SHOWNA);
    ASSERT_TRUE(windriver::PumpUntilIdle());
    int dialogPaints = 0, editPaints = 0;
    HWND hEdit = ::GetDlgItem(dlg, IDC_TEST_EDIT);
    ::SetWindowSubclass(dlg, &CountPaints, 1, reinterpret_cast<DWORD_PTR>(&dialogPaints));
    ::SetWindowSubclass(hEdit, &CountPaints, 1, reinterpret_cast<DWORD_PTR>(&editPaints));
    dlg.UpdateUI();
    EXPECT_GE(dialogPaints, 1);
    EXPECT_GE(editPaints, 1);
    ::RemoveWindowSubclass(hEdit, &CountPaints, 1);
    ::RemoveWindowSubclass(dlg, &CountPaints, 1);
    dlg.DestroyWindow();
}

TEST(SkinDialog, DeletingThroughTheSkinInterfaceDestroysTheWholeObject) {
    for (bool withWindow : {false, true}) {
        SCOPED_TRACE(withWindow ? "window created and destroyed first" : "never had a window");
        int destroyed = 0;
        auto dlg = std::make_unique<CTestSkinDialog>();
        dlg->m_pDestroyed = &destroyed;
        if (withWindow) {
            ASSERT_TRUE(dlg->CreateWindowFromTemplate());
            ASSERT_TRUE(dlg->BindAll());
            dlg->DestroyWindow();
        }
        CSkinUI* ui = dlg.release();
        delete ui;
        EXPECT_EQ(destroyed, 1);
    }
}

TEST(SkinMessageBox, RealModalBoxOwnedByTheSkinnedDialogHandlingTheMessage) {
    SetSkinMessageBoxPresenter(nullptr);
    CTestSkinDialog dlg;
    ASSERT_TRUE(dlg.CreateWindowFromTemplate());
    int result = 0;
    bool boxUp = false;
    int seenWhileUp = 0;
    BOOL dialogEnabledWhileUp = TRUE;
    dlg.m_onAppMessage = [&](WPARAM step) {
        if (step == 1) {
            // Posted before the box: only a loop run by the box itself can deliver it meanwhile.
            seenWhileUp += boxUp;
            dialogEnabledWhileUp = ::IsWindowEnabled(dlg);
            return;
        }
        dlg.PostMessage(WM_APP, 1);
        boxUp = true;
        result = SkinMessageBox(L"请先登录！", L"查询失败", 0);
        boxUp = false;
    };

    MessageBoxWatcher watcher;
    dlg.SendMessage(WM_APP);
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].text, L"请先登录！");
    EXPECT_EQ(watcher.Seen()[0].caption, L"查询失败");
    EXPECT_EQ(watcher.Seen()[0].owner, dlg.GetSafeHwnd());
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seenWhileUp, 1);
    EXPECT_FALSE(dialogEnabledWhileUp) << "the box is not modal to its dialog";
    EXPECT_TRUE(::IsWindowEnabled(dlg));
    dlg.DestroyWindow();
}

TEST(SkinMessageBox, OwnerIsTheInnermostHandlingDialogAndFallsBackToTheActiveWindow) {
    RecordingPresenter presenter;
    CTestSkinDialog outer, inner;
    ASSERT_TRUE(outer.CreateWindowFromTemplate());
    ASSERT_TRUE(inner.CreateWindowFromTemplate());
    inner.m_onAppMessage = [](WPARAM) { SkinMessageBox(L"inner", L"c", 0); };
    outer.m_onAppMessage = [&](WPARAM) {
        inner.SendMessage(WM_APP);
        SkinMessageBox(L"outer", L"c", 0);
    };
    outer.SendMessage(WM_APP);
    ASSERT_EQ(g_presented.size(), 2u);
    EXPECT_EQ(g_presented[0].owner, inner.GetSafeHwnd());
    EXPECT_EQ(g_presented[1].owner, outer.GetSafeHwnd());

    // A handler that throws still hands the thread back to whoever was current before.
    outer.m_onAppMessage = [](WPARAM) { throw std::runtime_error("handler failed"); };
    EXPECT_THROW(outer.RouteMessage(WM_APP, 0, 0), std::runtime_error);
    const HWND active = ::GetActiveWindow();
    ASSERT_NE(active, outer.GetSafeHwnd());
    SkinMessageBox(L"outside", L"c", 0);
    ASSERT_EQ(g_presented.size(), 3u);
    EXPECT_EQ(g_presented[2].owner, active);

    inner.DestroyWindow();
    outer.DestroyWindow();
}

TEST(SkinMessageBox, PresenterReplacementAndRestore) {
    g_presented.clear();
    EXPECT_EQ(SetSkinMessageBoxPresenter(&RecordBox), nullptr);
    EXPECT_EQ(SkinMessageBox(L"文本", L"标题", MB_YESNO), IDYES);
    ASSERT_EQ(g_presented.size(), 1u);
    EXPECT_EQ(g_presented[0].text, L"文本");
    EXPECT_EQ(g_presented[0].caption, L"标题");
    EXPECT_EQ(g_presented[0].type, static_cast<UINT>(MB_YESNO));

    EXPECT_EQ(SetSkinMessageBoxPresenter(&RecordBoxToo), &RecordBox);
    EXPECT_EQ(SkinMessageBox(L"again", L"c", 0), IDNO);
    EXPECT_EQ(SetSkinMessageBoxPresenter(nullptr), &RecordBoxToo);

    MessageBoxWatcher watcher;
    EXPECT_EQ(SkinMessageBox(L"real", L"box", 0), IDOK);
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].text, L"real");
    EXPECT_EQ(g_presented.size(), 2u);
}

namespace {
class CTabPageDialog : public CCommonSkinDialog {
public:
    CTabPageDialog() : CCommonSkinDialog(IDD_SKIN_TAB_PAGE, nullptr) {}
    BOOL OnInitDialog() override {
        CCommonSkinDialog::OnInitDialog();
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(L"Page");
        ::SendMessageW(::GetDlgItem(m_hWnd, IDC_PAGE_TAB), TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        // Behind the labels, as a page is.
        ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_PAGE_TAB), HWND_BOTTOM, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return TRUE;
    }
};

HBRUSH LabelBrush(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    HDC hdc = ::GetDC(control);
    const auto brush = reinterpret_cast<HBRUSH>(
        ::SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(control)));
    ::ReleaseDC(control, hdc);
    return brush;
}
}  // namespace

TEST(SkinDialog, LabelsOnATabPagePaintThePageAndEverythingElseKeepsTheDialogsFace) {
    CTabPageDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_SKIN_TAB_PAGE, nullptr));
    ASSERT_TRUE(windriver::PumpUntilIdle());
    const windriver::Result onPage =
        windriver::LabelsSitOnTheirBackground(dlg, {IDC_PAGE_STATIC, IDC_PAGE_RADIO, IDC_OFF_PAGE_STATIC});
    EXPECT_TRUE(onPage) << onPage.Why();

    // A disabled edit asks the same question; it keeps the dialog's answer, as does a label that
    // is not on the page.
    const HBRUSH pageBrush = LabelBrush(dlg, IDC_PAGE_STATIC);
    EXPECT_EQ(pageBrush, LabelBrush(dlg, IDC_PAGE_RADIO)) << "one picture of the page for all its labels";
    EXPECT_NE(pageBrush, LabelBrush(dlg, IDC_PAGE_EDIT));
    EXPECT_NE(pageBrush, LabelBrush(dlg, IDC_OFF_PAGE_STATIC));
    dlg.DestroyWindow();
}
