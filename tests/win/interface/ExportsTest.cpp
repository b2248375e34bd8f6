// Search.dll and QZProtocol.dll as a client's linker and loader see them: the Search object the
// client allocates itself, and the names each DLL exports. Each DLL exports its own classes only;
// an export switch that reached another library would show up here as foreign names.
#include <windows.h>

#include <cxxabi.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "QZTransmit.h"
#include "Search.h"

namespace {

// Every name in the module's export directory.
std::vector<std::string> ExportedNames(HMODULE module) {
    std::vector<std::string> names;
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (dir.VirtualAddress == 0) return names;
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    const auto* rvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        names.emplace_back(reinterpret_cast<const char*>(base + rvas[i]));
    return names;
}

// The C++ declaration behind an export name; the name itself when it is not a C++ name.
std::string Demangle(const std::string& name) {
    int status = 0;
    char* text = abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status);
    if (status != 0 || !text) return name;
    std::string result(text);
    std::free(text);
    return result;
}

std::set<std::string> Declarations(const wchar_t* dll) {
    std::set<std::string> result;
    HMODULE module = ::GetModuleHandleW(dll);
    for (const std::string& name : ExportedNames(module)) result.insert(Demangle(name));
    return result;
}

}  // namespace

// The client compiles against the declaration and allocates the object itself: three pointers,
// in the declared order, and no virtual table in front of them.
TEST(ExportsTest, SearchObjectIsThreePointersInDeclaredOrder) {
    EXPECT_FALSE(std::is_polymorphic_v<Search>);
    EXPECT_EQ(sizeof(Search), 3 * sizeof(void*));
    EXPECT_EQ(alignof(Search), alignof(void*));

    // Never dereferenced before StartSearch: any two distinct addresses will do.
    char borrowed[2];
    auto* transmit = reinterpret_cast<QZP::QZTransmit*>(&borrowed[0]);
    auto* handler = reinterpret_cast<SearchResultHandler*>(&borrowed[1]);
    const Search search(transmit, handler);
    void* words[3];
    std::memcpy(words, &search, sizeof words);
    EXPECT_EQ(words[0], nullptr);  // the window object, made by the first StartSearch
    EXPECT_EQ(words[1], static_cast<void*>(transmit));
    EXPECT_EQ(words[2], static_cast<void*>(handler));
}

TEST(ExportsTest, SearchDllExportsTheSearchOperationsAndNothingElse) {
    const std::set<std::string> expected = {
        "Search::Search(QZP::QZTransmit*, SearchResultHandler*)",
        "Search::~Search()",
        "Search::operator=(Search const&)",
        "Search::StartSearch(HWND__*, bool)",
        "Search::StopSearch()",
        // How the window's boxes are presented: declared in Search.h for a client (tests swap it).
        "SetSkinMessageBoxPresenter(int (*)(HWND__*, wchar_t const*, wchar_t const*, unsigned int))",
    };
    // A constructor and a destructor are each exported under two names (complete and base
    // object); one declaration stands for both.
    EXPECT_EQ(Declarations(L"Search.dll"), expected);
}

TEST(ExportsTest, ProtocolDllExportsOnlyItsOwnNamespace) {
    const std::set<std::string> found = Declarations(L"QZProtocol.dll");
    ASSERT_FALSE(found.empty()) << "QZProtocol.dll is not loaded or exports nothing";
    for (const char* needed : {"QZP::QZCommandSearch::QZCommandSearch(QZP::QZTransmit*, "
                               "QZP::QZCommandSearchHandler*)",
                               "QZP::QZTransmit::QZTransmit(QZP::SearchService&, "
                               "QZP::TransportSettings)",
                               "QZP::QZCommandSearch::GetSelfID() const"}) {
        EXPECT_EQ(found.count(needed), 1u) << needed;
    }
    for (const std::string& declaration : found) {
        EXPECT_NE(declaration.find("QZP::"), std::string::npos) << declaration;
    }
}
