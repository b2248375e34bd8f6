// The extension-module chain: templates are found in registered modules, most recent first, then
// in the program itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestDialogs.h"

namespace {

// A copy of this test program, loaded as a data file: a module the program itself is not.
// With `addPlain`, the copy also holds IDD_PLAIN's template again as IDD_ADDED, which the program
// does not have.
class ModuleCopy {
public:
    ModuleCopy(const wchar_t* name, bool addPlain) {
        wchar_t exe[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        wchar_t dir[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, dir);
        m_path = std::wstring(dir) + name;
        if (!CopyFileW(exe, m_path.c_str(), FALSE)) return;
        if (addPlain) {
            HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(IDD_PLAIN), RT_DIALOG);
            const void* data = LockResource(LoadResource(nullptr, res));
            const DWORD size = SizeofResource(nullptr, res);
            std::vector<char> bytes(static_cast<const char*>(data), static_cast<const char*>(data) + size);
            HANDLE update = BeginUpdateResourceW(m_path.c_str(), FALSE);
            if (!update) return;
            UpdateResourceW(update, RT_DIALOG, MAKEINTRESOURCEW(IDD_ADDED),
                            MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), bytes.data(), size);
            if (!EndUpdateResourceW(update, FALSE)) return;
        }
        m_module = LoadLibraryExW(m_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    ~ModuleCopy() {
        if (m_module) FreeLibrary(m_module);
        DeleteFileW(m_path.c_str());
    }
    HMODULE Module() const { return m_module; }

private:
    std::wstring m_path;
    HMODULE m_module = nullptr;
};

HINSTANCE Find(UINT id) { return AfxFindResourceHandle(MAKEINTRESOURCEW(id), RT_DIALOG); }

TEST(ExtensionModule, TemplatesFoundInRegisteredModulesOnly) {
    ModuleCopy withAdded(L"framework-module-a.dll", true);
    ModuleCopy plainCopy(L"framework-module-b.dll", false);
    ASSERT_NE(nullptr, withAdded.Module());
    ASSERT_NE(nullptr, plainCopy.Module());
    const HMODULE exe = GetModuleHandleW(nullptr);

    AFX_EXTENSION_MODULE none;
    EXPECT_FALSE(AfxInitExtensionModule(none, nullptr)) << "a null module is refused";

    EXPECT_EQ(nullptr, Find(IDD_ADDED)) << "not registered yet";
    {
        CStubbornDialog dlg;
        EXPECT_FALSE(dlg.Create(IDD_ADDED, nullptr));
    }

    AFX_EXTENSION_MODULE a, b;
    ASSERT_TRUE(AfxInitExtensionModule(a, withAdded.Module()));
    new CDynLinkLibrary(a);
    ASSERT_TRUE(AfxInitExtensionModule(b, plainCopy.Module()));
    new CDynLinkLibrary(b);

    struct Case {
        const char* name;
        UINT id;
        HMODULE expected;
    } registered[] = {
        {"in both: the most recent registration wins", IDD_FORM, plainCopy.Module()},
        {"only in the earlier one", IDD_ADDED, withAdded.Module()},
        {"in none", IDD_NOT_ANYWHERE, nullptr},
    };
    for (const Case& c : registered) EXPECT_EQ(c.expected, Find(c.id)) << c.name;
    {
        CStubbornDialog dlg;
        ASSERT_TRUE(dlg.Create(IDD_ADDED, nullptr)) << "a template of a registered module";
        wchar_t caption[32] = {};
        GetWindowTextW(dlg.m_hWnd, caption, 32);
        EXPECT_EQ(std::wstring(L"Plain"), caption);
        dlg.DestroyWindow();
    }

    AfxTermExtensionModule(b);
    EXPECT_FALSE(b.bInitialized);
    EXPECT_EQ(withAdded.Module(), Find(IDD_FORM)) << "after the later one left";
    AfxTermExtensionModule(a);
    EXPECT_EQ(exe, Find(IDD_FORM)) << "the program's own template is the last resort";
    EXPECT_EQ(nullptr, Find(IDD_ADDED)) << "gone with its module";
}

}  // namespace
