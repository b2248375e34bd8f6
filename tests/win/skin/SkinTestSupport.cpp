#include "SkinTestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace skin_test {

namespace {
// The test program holds the template; it joins the resource chain like a module would.
class SkinTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
        AfxInitExtensionModule(m_module, ::GetModuleHandleW(nullptr));
        new CDynLinkLibrary(m_module);
    }

private:
    AFX_EXTENSION_MODULE m_module;
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new SkinTestEnvironment);

MessageBoxWatcher* g_watcher = nullptr;  // one at a time, on the test thread

std::int32_t ReadProp(HWND hWnd, const std::wstring& name) {
    return static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(::GetPropW(hWnd, name.c_str())));
}

std::wstring ClassOf(HWND hWnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hWnd, name, 64);
    return name;
}

std::wstring TextOf(HWND hWnd) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(hWnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(hWnd, text.data(), static_cast<int>(text.size()))));
    return text;
}
}  // namespace

bool PumpUntilIdle(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    MSG msg;
    while (std::chrono::steady_clock::now() < deadline) {
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return true;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return false;
}

std::vector<std::int32_t> ReadSkinKeys(HWND hWnd) {
    std::vector<std::int32_t> keys;
    const int count = ReadProp(hWnd, L"SkinKeyCount");
    for (int i = 0; i < count; ++i) keys.push_back(ReadProp(hWnd, L"SkinKey" + std::to_wstring(i)));
    return keys;
}

bool HasSkinKeyProps(HWND hWnd, int upTo) {
    if (::GetPropW(hWnd, L"SkinKeyCount")) return true;
    for (int i = 0; i <= upTo; ++i)
        if (::GetPropW(hWnd, (L"SkinKey" + std::to_wstring(i)).c_str())) return true;
    return false;
}

// ---------------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CTestSkinDialog, CCommonSkinDialog)
    ON_BN_CLICKED(IDC_TEST_BUTTON, &CTestSkinDialog::OnButton)
    ON_MESSAGE(WM_APP, &CTestSkinDialog::OnAppMessage)
END_MESSAGE_MAP()

CTestSkinDialog::~CTestSkinDialog() {
    if (m_pDestroyed) ++*m_pDestroyed;
}

BOOL CTestSkinDialog::OnInitDialog() {
    m_baseInitResult = CCommonSkinDialog::OnInitDialog();
    return m_baseInitResult;
}

bool CTestSkinDialog::BindAll() {
    return m_tab.SubclassDlgItem(IDC_TEST_TAB, this) && m_list.SubclassDlgItem(IDC_TEST_LIST, this) &&
           m_radio[0].SubclassDlgItem(IDC_TEST_RADIO1, this) &&
           m_radio[1].SubclassDlgItem(IDC_TEST_RADIO2, this) &&
           m_radio[2].SubclassDlgItem(IDC_TEST_RADIO3, this) &&
           m_edit.SubclassDlgItem(IDC_TEST_EDIT, this) &&
           m_button.SubclassDlgItem(IDC_TEST_BUTTON, this) &&
           m_static.SubclassDlgItem(IDC_TEST_STATIC, this) &&
           m_combo.SubclassDlgItem(IDC_TEST_COMBO, this) &&
           m_group.SubclassDlgItem(IDC_TEST_GROUP, this);
}

// ---------------------------------------------------------------------------------------------

MessageBoxWatcher::MessageBoxWatcher(int button, std::chrono::milliseconds deadline)
    : m_hook(::SetWindowsHookExW(WH_CBT, &CbtProc, nullptr, ::GetCurrentThreadId())),
      m_timer(::SetTimer(nullptr, 0, static_cast<UINT>(deadline.count()), &OnDeadline)),
      m_button(button) {
    g_watcher = this;
}

MessageBoxWatcher::~MessageBoxWatcher() {
    g_watcher = nullptr;
    ::KillTimer(nullptr, m_timer);
    ::UnhookWindowsHookEx(m_hook);
}

LRESULT CALLBACK MessageBoxWatcher::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    HWND hWnd = reinterpret_cast<HWND>(wParam);
    // Activation comes after WM_INITDIALOG, so the box already shows its text.
    if (code == HCBT_ACTIVATE && g_watcher && ClassOf(hWnd) == L"#32770") {
        SeenMessageBox box;
        box.text = TextOf(::GetDlgItem(hWnd, 0xFFFF));  // the box's text control has ID 0xFFFF
        box.caption = TextOf(hWnd);
        box.owner = ::GetWindow(hWnd, GW_OWNER);
        box.ownerEnabled = box.owner && ::IsWindowEnabled(box.owner);
        g_watcher->seen.push_back(box);
        ::PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(g_watcher->m_button, BN_CLICKED), 0);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK MessageBoxWatcher::OnDeadline(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_watcher) return;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hWnd, LPARAM) -> BOOL {
            if (ClassOf(hWnd) == L"#32770" && ::IsWindowVisible(hWnd) && ::GetDlgItem(hWnd, 0xFFFF)) {
                ++g_watcher->timedOut;
                ::PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            }
            return TRUE;
        },
        0);
}

}  // namespace skin_test
