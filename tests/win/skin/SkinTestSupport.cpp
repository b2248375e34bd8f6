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

std::int32_t ReadProp(HWND hWnd, const std::wstring& name) {
    return static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(::GetPropW(hWnd, name.c_str())));
}

}  // namespace

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

}  // namespace skin_test
