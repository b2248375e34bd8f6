// The version resource of every shipped file, read back the way the Details page of a file's
// properties reads it: the fixed numbers, the language of the string table and its texts; and
// which files carry a manifest.
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "ShippedTexts.h"
#include "WindowDriver.h"

namespace {

using windriver::Utf8;

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

class VersionResource {
public:
    explicit VersionResource(const std::wstring& path) {
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
        if (size == 0) return;
        m_data.resize(size);
        if (!::GetFileVersionInfoW(path.c_str(), 0, size, m_data.data())) m_data.clear();
    }

    bool Present() const { return !m_data.empty(); }

    const VS_FIXEDFILEINFO* Fixed() const {
        return static_cast<const VS_FIXEDFILEINFO*>(Query(L"\\"));
    }

    // (language, code page) pairs of the string tables.
    std::vector<std::pair<WORD, WORD>> Translations() const {
        std::vector<std::pair<WORD, WORD>> result;
        UINT length = 0;
        const void* block = Query(L"\\VarFileInfo\\Translation", &length);
        const WORD* words = static_cast<const WORD*>(block);
        for (UINT i = 0; words && i + 1 < length / sizeof(WORD); i += 2)
            result.emplace_back(words[i], words[i + 1]);
        return result;
    }

    // One text of the Simplified Chinese, UTF-16 table; "<missing>" when there is none.
    std::wstring Text(const wchar_t* key) const {
        UINT length = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\080404b0\\") + key;
        const auto* text = static_cast<const wchar_t*>(Query(path.c_str(), &length));
        if (!text) return L"<missing>";
        // The length counts the terminating null when the table stores one.
        std::wstring value(text, length);
        while (!value.empty() && value.back() == L'\0') value.pop_back();
        return value;
    }

private:
    const void* Query(const wchar_t* path, UINT* length = nullptr) const {
        if (m_data.empty()) return nullptr;
        void* value = nullptr;
        UINT n = 0;
        // VerQueryValueW takes a non-const block but does not change it.
        if (!::VerQueryValueW(const_cast<BYTE*>(m_data.data()), path, &value, &n)) return nullptr;
        if (length) *length = n;
        return value;
    }

    std::vector<BYTE> m_data;
};

// Whether the file carries a manifest (at 1, a program's own, or 2, a DLL's). The module carries
// none: its window takes the look of the client's activation context.
bool HasManifest(const std::wstring& path) {
    HMODULE file = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    const bool found = ::FindResourceW(file, MAKEINTRESOURCEW(1), RT_MANIFEST) ||
                       ::FindResourceW(file, MAKEINTRESOURCEW(2), RT_MANIFEST);
    ::FreeLibrary(file);
    return found;
}

bool HasChinese(const std::wstring& text) {
    return std::any_of(text.begin(), text.end(),
                       [](wchar_t c) { return c >= 0x4E00 && c <= 0x9FFF; });
}

}  // namespace

TEST(VersionResourceTest, EveryShippedFileCarriesTheProjectVersionItsCommitAndItsTexts) {
    const struct {
        const wchar_t* file;
        DWORD type;
        const wchar_t* description;
        bool manifest;
    } files[] = {
        {L"Search.dll", VFT_DLL, SEARCH_EXPECTED_DESCRIPTION_SEARCH, false},
        {L"QZProtocol.dll", VFT_DLL, SEARCH_EXPECTED_DESCRIPTION_PROTOCOL, false},
        {L"SearchDemo.exe", VFT_APP, SEARCH_EXPECTED_DESCRIPTION_DEMO, true},
    };
    const DWORD versionMS = MAKELONG(SEARCH_EXPECTED_MINOR, SEARCH_EXPECTED_MAJOR);
    // The fourth field is the build number: an installer that compares file versions replaces
    // the file of an older commit.
    const DWORD versionLS = MAKELONG(SEARCH_EXPECTED_BUILD, SEARCH_EXPECTED_PATCH);
    const std::wstring fileVersion =
        std::wstring(SEARCH_EXPECTED_VERSION) + L"." + std::to_wstring(SEARCH_EXPECTED_BUILD);

    for (const auto& f : files) {
        SCOPED_TRACE(Utf8(f.file));
        const VersionResource version(ProgramFolder() + f.file);
        ASSERT_TRUE(version.Present());

        const VS_FIXEDFILEINFO* fixed = version.Fixed();
        ASSERT_NE(fixed, nullptr);
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, versionMS);
        EXPECT_EQ(fixed->dwFileVersionLS, versionLS);
        EXPECT_EQ(fixed->dwProductVersionMS, versionMS);
        EXPECT_EQ(fixed->dwProductVersionLS, versionLS);
        EXPECT_EQ(fixed->dwFileType, f.type);
        EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
        EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);

        const std::vector<std::pair<WORD, WORD>> chineseUtf16{{0x0804, 1200}};
        EXPECT_EQ(version.Translations(), chineseUtf16);

        EXPECT_EQ(Utf8(version.Text(L"FileDescription")), Utf8(f.description));
        EXPECT_TRUE(HasChinese(version.Text(L"FileDescription")));
        EXPECT_EQ(Utf8(version.Text(L"CompanyName")), Utf8(SEARCH_EXPECTED_COMPANY));
        EXPECT_EQ(Utf8(version.Text(L"LegalCopyright")), Utf8(SEARCH_EXPECTED_COPYRIGHT));
        EXPECT_EQ(Utf8(version.Text(L"ProductName")), Utf8(SEARCH_EXPECTED_PRODUCT));
        EXPECT_EQ(Utf8(version.Text(L"FileVersion")), Utf8(fileVersion));
        EXPECT_EQ(Utf8(version.Text(L"ProductVersion")), Utf8(SEARCH_EXPECTED_VERSION_FULL));
        EXPECT_EQ(Utf8(version.Text(L"Commit")), Utf8(SEARCH_EXPECTED_COMMIT));
        EXPECT_EQ(Utf8(version.Text(L"OriginalFilename")), Utf8(f.file));
        EXPECT_EQ(HasManifest(ProgramFolder() + f.file), f.manifest);
    }
}
