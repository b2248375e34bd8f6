// A crash in the field is read from its addresses and the PDB shipped beside Search.dll. Here the
// stack is captured where a client's own code runs inside the window's work, as a crash handler
// would capture it: in the client's IsFriend when a row is selected, and in the client's transport
// when Find sends a query. The frames that lie in Search.dll are then read back through dbghelp,
// as a debugger or a crash service reads them: each expected function by name, in a source file of
// this tree, at the line that makes the call the stack went on through.
#include <windows.h>
#include <dbghelp.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "SearchWindowFixture.h"

namespace {

std::vector<void*> CaptureStack() {
    void* frames[62];
    const USHORT count = ::RtlCaptureStackBackTrace(0, 62, frames, nullptr);
    return std::vector<void*>(frames, frames + count);
}

// The client's transport, capturing the stack of every query before the scripted service takes it.
class CapturingService : public QZP::SearchService {
public:
    explicit CapturingService(QZP::SearchService& next) : m_next(next) {}
    void OnQuery(const QZP::SearchRequestPtr& request) override {
        stack = CaptureStack();
        m_next.OnQuery(request);
    }
    std::vector<void*> stack;

private:
    QZP::SearchService& m_next;
};

class CapturingHandler : public RecordingHandler {
public:
    bool IsFriend(std::uint64_t id) override {
        stack = CaptureStack();
        return RecordingHandler::IsFriend(id);
    }
    std::vector<void*> stack;
};

struct Frame {
    std::string function;
    std::string file;  // as the PDB names it
    DWORD line = 0;
};

void PrintTo(const Frame& frame, std::ostream* os) {
    *os << frame.function << " at " << frame.file << ":" << frame.line;
}

// dbghelp over one loaded module, with the folder it was loaded from as the symbol path: the PDB
// the DLL names must be the one beside it.
class ModuleSymbols {
public:
    explicit ModuleSymbols(HMODULE module) : m_base(reinterpret_cast<DWORD64>(module)) {
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(module, path, MAX_PATH);
        std::wstring folder(path);
        folder.resize(folder.find_last_of(L"\\/"));
        ::SymSetOptions(SYMOPT_UNDNAME | SYMOPT_LOAD_LINES | SYMOPT_FAIL_CRITICAL_ERRORS);
        if (!::SymInitializeW(m_process, folder.c_str(), FALSE))
            return;
        m_initialised = true;
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            reinterpret_cast<const BYTE*>(module) + dos->e_lfanew);
        m_size = nt->OptionalHeader.SizeOfImage;
        if (!::SymLoadModuleExW(m_process, nullptr, path, nullptr, m_base, m_size, nullptr, 0))
            return;
        m_info.SizeOfStruct = sizeof m_info;
        ::SymGetModuleInfoW64(m_process, m_base, &m_info);
    }
    ~ModuleSymbols() {
        if (m_initialised) ::SymCleanup(m_process);
    }
    ModuleSymbols(const ModuleSymbols&) = delete;
    ModuleSymbols& operator=(const ModuleSymbols&) = delete;

    // Where the symbols came from: SymPdb when dbghelp read the PDB.
    SYM_TYPE Type() const { return m_info.SymType; }
    std::wstring PdbName() const { return m_info.LoadedPdbName; }

    // The frames of a captured stack that lie in the module. A return address is past its call,
    // and may be past the function's end: the call is looked up one byte before it.
    std::vector<Frame> Read(const std::vector<void*>& stack) const {
        std::vector<Frame> frames;
        for (void* address : stack) {
            const DWORD64 at = reinterpret_cast<DWORD64>(address) - 1;
            if (at < m_base || at >= m_base + m_size) continue;
            Frame frame;
            alignas(SYMBOL_INFO) char buffer[sizeof(SYMBOL_INFO) + MAX_SYM_NAME] = {};
            auto* symbol = reinterpret_cast<SYMBOL_INFO*>(buffer);
            symbol->SizeOfStruct = sizeof(SYMBOL_INFO);
            symbol->MaxNameLen = MAX_SYM_NAME;
            DWORD64 offset = 0;
            if (::SymFromAddr(m_process, at, &offset, symbol)) frame.function = symbol->Name;
            IMAGEHLP_LINE64 line = {};
            line.SizeOfStruct = sizeof line;
            DWORD column = 0;
            if (::SymGetLineFromAddr64(m_process, at, &column, &line)) {
                frame.file = line.FileName;
                frame.line = line.LineNumber;
            }
            frames.push_back(frame);
        }
        return frames;
    }

private:
    HANDLE m_process = ::GetCurrentProcess();
    DWORD64 m_base;
    DWORD m_size = 0;
    bool m_initialised = false;
    IMAGEHLP_MODULEW64 m_info = {};
};

// Lines `line` to `line + count - 1` of a source file as the PDB names it (SEARCH_SOURCE_PREFIX
// standing for this source tree), joined; empty when the file is not one of the tree's. Wine's
// dbghelp hands the PDB's "/src/..." back as the DOS name of that Unix path, Z:\src\....
std::string SourceLines(std::string file, DWORD line, DWORD count) {
    for (char& c : file)
        if (c == '\\') c = '/';
    if (file.compare(0, 2, "Z:") == 0) file.erase(0, 2);
    const std::string prefix = SEARCH_SOURCE_PREFIX "/";
    if (file.compare(0, prefix.size(), prefix) != 0) return {};
    std::ifstream source("Z:" SEARCH_SOURCE_DIR "/" + file.substr(prefix.size()));
    std::string text, lines;
    for (DWORD n = 1; n < line + count && std::getline(source, text); ++n)
        if (n >= line) lines += text + "\n";
    return lines;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A function that must be on the stack, and the name of what its frame calls. A frame's line is
// where the statement that makes the call starts (an inlined helper's call counts as its
// caller's), so the name may stand on one of the two lines after it.
struct ExpectedFrame {
    const char* function;
    const char* call;
};

void ExpectFrames(const char* capture, const std::vector<Frame>& frames,
                  std::initializer_list<ExpectedFrame> expected) {
    // What a crash report would show, in the test's log.
    std::cout << capture << ":\n";
    for (const Frame& frame : frames) std::cout << "  " << ::testing::PrintToString(frame) << "\n";
    for (const ExpectedFrame& row : expected) {
        SCOPED_TRACE(std::string(capture) + ": " + row.function);
        // By the end of the name: a message-map thunk names its handler in its template arguments.
        const auto found = std::find_if(frames.begin(), frames.end(), [&](const Frame& frame) {
            return EndsWith(frame.function, row.function);
        });
        ASSERT_NE(found, frames.end()) << "not on the stack";
        const std::string text = SourceLines(found->file, found->line, 3);
        EXPECT_NE(text.find(row.call), std::string::npos)
            << ::testing::PrintToString(*found) << " reads:\n" << text;
    }
}

class CrashStackTest : public SearchWindowTest {
protected:
    CrashStackTest() : m_capturingService(m_service) {
        // The fixture's window and scripted service, with the capturing client code in between.
        const QZP::TransportSettings settings = m_transmit->GetSettings();
        m_search.reset();
        m_transmit = std::make_unique<QZP::QZTransmit>(m_capturingService, settings);
        m_search = std::make_unique<Search>(m_transmit.get(), &m_capturingHandler);
    }
    ~CrashStackTest() override {
        // Gone before the capturing objects they use.
        m_search.reset();
        m_transmit.reset();
    }

    CapturingService m_capturingService;
    CapturingHandler m_capturingHandler;
};

}  // namespace

TEST_F(CrashStackTest, FramesInSearchDllReadBackFromTheShippedPdb) {
    Start();
    SearchByNick(L"王", Users(41, 3));
    SelectRow(1);
    ASSERT_FALSE(m_capturingService.stack.empty());
    ASSERT_FALSE(m_capturingHandler.stack.empty());

    const ModuleSymbols symbols(::GetModuleHandleW(L"Search.dll"));
    ASSERT_EQ(symbols.Type(), SymPdb) << "symbols of Search.dll not read from a PDB";
    EXPECT_NE(symbols.PdbName().find(L"Search.pdb"), std::wstring::npos);

    // The window and the session on the way to the client's transport (the window's host for the
    // session ends in a tail call to the command, so it leaves no frame on 64-bit); the window
    // alone on the way to IsFriend, which it calls through an inlined helper.
    ExpectFrames("Find", symbols.Read(m_capturingService.stack),
                 {{"CSearchDlg::OnFind", "Find("},
                  {"SearchSession::Find", "Send("},
                  {"SearchSession::Send", "Send("}});
    ExpectFrames("row selected", symbols.Read(m_capturingHandler.stack),
                 {{"CSearchDlg::OnResultItemChanged", "IsFriend("}});
}
