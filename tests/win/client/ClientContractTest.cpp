// A client's side of the contract, as any client may keep it, and as clients slip: every call the
// window makes into the client, with a handler that throws, stops the search, starts it, stops
// and starts it, or deletes its Search; a Search stopped or started from another thread; an owner
// minimised; a plugin on the runtime DLLs that throws; the module freed under its window; and no
// memory. Built twice on each architecture: with the runtime linked statically and with it in
// DLLs, as most MinGW clients link.
#include <atomic>
#include <cstdlib>
#include <cwchar>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "ImportSlot.h"
#include "SearchStrings.h"
#include "SearchWindowFixture.h"
#include "Watchdog.h"

namespace {

// What the client's handler does when the window calls it.
enum class Does { Throw, Stop, Start, StopAndStart, Delete };
const char* NameOf(Does does) {
    static const char* const names[] = {"throws", "stops", "starts", "stops and starts", "deletes its Search"};
    return names[static_cast<int>(does)];
}

// A client that does `does` once, in the call named `op`, after answering it as usual.
class ActingHandler : public RecordingHandler {
public:
    std::string op;
    Does does = Does::Throw;
    std::unique_ptr<Search>* search = nullptr;
    QZP::QZTransmit* transmit = nullptr;
    bool userTab = true;
    std::size_t commandsAfterStop = ~std::size_t{0};  // the transport's, as the stop returned

    // Each call answers as the recording client does, then acts.
    void AddFriend(std::uint64_t id, const std::wstring& a) override { RecordingHandler::AddFriend(id, a); Act("AddFriend"); }
    void ViewUserInfo(std::uint64_t id, const std::wstring& a) override { RecordingHandler::ViewUserInfo(id, a); Act("ViewUserInfo"); }
    void JoinZone(std::uint64_t id) override { RecordingHandler::JoinZone(id); Act("JoinZone"); }
    void ViewZoneInfo(std::uint64_t id) override { RecordingHandler::ViewZoneInfo(id); Act("ViewZoneInfo"); }
    std::vector<std::wstring> GetIndustryList() override { return Acting(RecordingHandler::GetIndustryList(), "GetIndustryList"); }
    bool IsFriend(std::uint64_t id) override { return Acting(RecordingHandler::IsFriend(id), "IsFriend"); }
    bool IsZoneMember(std::uint64_t id) override { return Acting(RecordingHandler::IsZoneMember(id), "IsZoneMember"); }

private:
    template <class Answer>
    Answer Acting(Answer answer, const char* call) {
        Act(call);
        return answer;
    }
    void Act(const std::string& call) {
        if (call != op)
            return;
        op.clear();  // once: a window started from here asks again
        switch (does) {
        case Does::Throw:
            throw std::runtime_error(call + ": the client's lookup failed");
        case Does::Stop:
            (*search)->StopSearch();
            commandsAfterStop = transmit->LiveCommands();
            break;
        case Does::Start:
            (*search)->StartSearch(nullptr, userTab);
            break;
        case Does::StopAndStart:
            (*search)->StopSearch();
            commandsAfterStop = transmit->LiveCommands();
            (*search)->StartSearch(nullptr, userTab);
            break;
        case Does::Delete:
            // Signed out: a client may free its transport right after its Search.
            search->reset();
            commandsAfterStop = transmit->LiveCommands();
            break;
        }
    }
};

// A 32-bit client linked statically cannot throw through Search.dll's frames: its unwinder does
// not know them, and the process ends (the README says so to client teams).
constexpr bool kClientCanThrow = sizeof(void*) == 8 || SEARCH_TEST_SHARED_RUNTIME;

// Search.dll's allocations on this thread of at least minBytes fail while one lives, as when the
// process is out of memory; other threads and modules allocate as usual.
class FailingAllocations {
public:
    explicit FailingAllocations(std::size_t minBytes) { s_minBytes = minBytes, s_thread = ::GetCurrentThreadId(); }
    bool On() const { return m_patch.On(); }

private:
    using Malloc = void*(__cdecl*)(std::size_t);
    static void* __cdecl Fail(std::size_t size) {
        return ::GetCurrentThreadId() == s_thread && size >= s_minBytes ? nullptr : s_malloc(size);
    }
    static inline Malloc s_malloc = nullptr;
    static inline std::size_t s_minBytes = 0;
    static inline std::atomic<DWORD> s_thread{0};
    // Other threads never fail, and this one allocates nothing in the module until the body is done.
    wintest::ImportPatch<Malloc> m_patch{::GetModuleHandleW(L"Search.dll"), "msvcrt.dll", "malloc", &Fail, s_malloc};
};

// What Search.dll tells a debugger (OutputDebugStringW) while one lives: the lines that report an
// exception stopped, counted. A stopped exception is otherwise invisible to a client's developer.
class DebugReports {
public:
    DebugReports() { s_stopped = 0; }
    // Exceptions reported stopped since the last call.
    int TakeStopped() { return std::exchange(s_stopped, 0); }
    // The last such report.
    std::string Last() const { return windriver::Utf8(s_last); }

private:
    using Output = void(WINAPI*)(LPCWSTR);
    static void WINAPI Record(LPCWSTR line) {
        if (line && std::wcsstr(line, L"threw; the exception was stopped there")) {
            ++s_stopped;
            s_last = line;
        }
        s_original(line);
    }
    static inline Output s_original = nullptr;
    static inline int s_stopped = 0;
    static inline std::wstring s_last;
    wintest::ImportPatch<Output> m_patch{::GetModuleHandleW(L"Search.dll"), "kernel32.dll", "OutputDebugStringW",
                                         &Record, s_original};
};

// The client's main window, on this thread.
struct OwnerWindow {
    HWND hWnd = ::CreateWindowExW(0, L"STATIC", L"client", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                  nullptr, nullptr, nullptr, nullptr);
    ~OwnerWindow() { ::DestroyWindow(hWnd); }
    operator HWND() const { return hWnd; }
};

template <class Fn>
Fn Exported(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

BOOL CALLBACK CountSearchWindow(HWND hWnd, LPARAM param) {
    wchar_t caption[32] = {};
    ::GetWindowTextW(hWnd, caption, 32);
    if (std::wstring(caption) == L"查询用户/商圈")
        ++*reinterpret_cast<int*>(param);
    return TRUE;
}

}  // namespace

class ClientContractTest : public SearchWindowTest {
protected:
    ClientContractTest() {
        m_search = std::make_unique<Search>(m_transmit.get(), &m_client);
        m_client.search = &m_search;
        m_client.transmit = m_transmit.get();
        m_client.industries = {L"金融", L"制造"};
    }

    static int SearchWindows() {
        int count = 0;
        ::EnumThreadWindows(::GetCurrentThreadId(), &CountSearchWindow, reinterpret_cast<LPARAM>(&count));
        return count;
    }

    // The tab's search, answered with three rows.
    void Search3(bool users) {
        if (users) {
            SearchByNick(L"王", Users(1, 3));
        } else {
            Click(ids::RadioZoneByName);
            Type(ids::EditZoneName, L"商圈");
            Click(ids::Find);
            AnswerZones(Zones(1, 3));
        }
    }

    // What is left once the handler has done its deed: as many windows and commands as it should,
    // and a window that still searches, draws what comes back and can be stopped.
    void ExpectOutcome(Does does, bool users, const std::string& name) {
        const bool kept = does == Does::Throw || does == Does::Start || does == Does::StopAndStart;
        EXPECT_EQ(SearchWindows(), kept ? 1 : 0) << name;
        EXPECT_EQ(m_transmit->LiveCommands(), kept ? 1u : 0u) << name;
        if (does == Does::Stop || does == Does::StopAndStart || does == Does::Delete) {
            EXPECT_EQ(m_client.commandsAfterStop, 0u) << name << ": the command went before the stop returned";
        }
        m_client.commandsAfterStop = ~std::size_t{0};
        // The client's runtime threw and the module's caught: the client's count of exceptions in
        // flight is back where it was. (A client linked -static has no runtime to reach.)
        if (does == Does::Throw && SEARCH_TEST_SHARED_RUNTIME) {
            EXPECT_EQ(std::uncaught_exceptions(), 0) << name;
        }
        EXPECT_EQ(m_reports.TakeStopped(), does == Does::Throw ? 1 : 0) << name << ": reported to the debugger";
        if (does == Does::Throw) {  // by its type and what it says
            EXPECT_NE(m_reports.Last().find("stopped there: std::runtime_error: " + name.substr(0, name.find(' ')) +
                                            ": the client's lookup failed"),
                      std::string::npos)
                << m_reports.Last();
        }
        if (!kept || !m_search)
            return;
        if (Shown(ids::Back))
            Click(ids::Back);
        if (users != Shown(ids::RadioNick))
            ClickTab(users ? 0 : 1);
        Search3(users);
        EXPECT_EQ(RowCount(users ? ids::ListUser : ids::ListZone), 3) << name << ": searches and draws again";
        Stop();
        EXPECT_EQ(SearchWindows(), 0) << name;
        EXPECT_EQ(m_transmit->LiveCommands(), 0u) << name << ": the command went with the window";
    }

    ActingHandler m_client;
    DebugReports m_reports;
};

// Each call into the client by the way a user brings it about (selecting a row asks whether its
// user is a friend, or its zone joined), with each thing the client may do there.
TEST_F(ClientContractTest, EveryClientCallMayThrowStopStartOrDelete) {
    const struct {
        const char* op;
        bool users;
        int button;  // 0: selecting the row is the call
    } calls[] = {
        {"IsFriend", true, 0},     {"AddFriend", true, ids::Add},  {"ViewUserInfo", true, ids::View},
        {"IsZoneMember", false, 0}, {"JoinZone", false, ids::Add}, {"ViewZoneInfo", false, ids::View},
    };
    for (const auto& call : calls) {
        for (Does does : {Does::Throw, Does::Stop, Does::Start, Does::StopAndStart, Does::Delete}) {
            if (does == Does::Throw && !kClientCanThrow)
                continue;
            const std::string name = std::string(call.op) + " " + NameOf(does);
            if (!m_search)
                m_search = std::make_unique<Search>(m_transmit.get(), &m_client);
            Start(call.users);
            Search3(call.users);
            m_client.op = call.op;
            m_client.does = does;
            m_client.userTab = call.users;
            SelectRow(1);
            if (call.button)
                Click(call.button);
            Pump();
            EXPECT_TRUE(m_client.op.empty()) << name << ": the call was never made";
            ExpectOutcome(does, call.users, name);
        }
    }
}

// The industries are asked for while the window is being made; a client may run a message loop
// there and call its Search from it.
TEST_F(ClientContractTest, GetIndustryListMayThrowStopStartOrDelete) {
    for (Does does : {Does::Throw, Does::Stop, Does::Start, Does::StopAndStart, Does::Delete}) {
        if (does == Does::Throw && !kClientCanThrow)
            continue;
        const std::string name = std::string("GetIndustryList ") + NameOf(does);
        if (!m_search)
            m_search = std::make_unique<Search>(m_transmit.get(), &m_client);
        m_client.op = "GetIndustryList";
        m_client.does = does;
        m_client.userTab = false;  // a start from inside asks for the zones tab
        m_client.industryRequests = 0;
        Start(true);
        EXPECT_TRUE(m_client.op.empty()) << name;
        EXPECT_EQ(m_client.industryRequests, does == Does::StopAndStart ? 2 : 1) << name << ": once a window";
        if (does == Does::Start || does == Does::StopAndStart) {
            EXPECT_TRUE(Shown(ids::RadioZoneById)) << name << ": the tab the last start asked for";
        }
        if (does == Does::Throw || does == Does::Start) {
            const int items = static_cast<int>(::SendMessageW(Control(ids::ComboIndustry), CB_GETCOUNT, 0, 0));
            EXPECT_EQ(items, does == Does::Throw ? 1 : 3) << name << ": no industries beyond any";
        }
        ExpectOutcome(does, true, name);
    }
}

// A batch that the client's memory cannot hold a second copy of: it is taken back, the query is
// answered as failed, and the window goes on. Only a 32-bit process has an address space that a
// test can fill.
TEST_F(ClientContractTest, ABatchTooLargeToCopyFailsItsQuery) {
    if (sizeof(void*) != 4)
        GTEST_SKIP() << "a 64-bit address space cannot be filled";
    // The answer arrives a while after the protocol library took its copy of the batch: time to
    // fill every hole of 16 MB or more in the address space, so that the window's copy fails.
    QZP::TransportSettings slow = m_transmit->GetSettings();
    slow.latency = std::chrono::milliseconds(1500);
    m_transmit->SetSettings(slow);
    Start(true);
    SendNickSearch(L"王");
    constexpr std::uint32_t kSide = 3200;  // a picture of 40 MB
    UserInfoSet batch = Users(1, 3);
    batch.modify(batch.begin(), [](UserInfo& user) {
        user.picture = CustomPic(kSide, kSide, std::vector<std::uint32_t>(std::size_t{kSide} * kSide));
    });
    ASSERT_TRUE(m_service.AnswerUsers(true, batch));
    std::vector<void*> ballast;
    for (std::size_t size : {std::size_t{64} << 20, std::size_t{16} << 20})
        while (void* block = std::malloc(size))
            ballast.push_back(block);
    const bool delivered = m_transmit->WaitIdle(std::chrono::seconds(10));
    for (void* block : ballast)
        std::free(block);
    ASSERT_TRUE(delivered);
    Pump();
    ASSERT_EQ(RecordedBoxes().size(), 1u);
    EXPECT_EQ(RecordedBoxes().front().text, search_text::kServerTimeout);
    EXPECT_EQ(RecordedBoxes().front().caption, search_text::kCaptionQueryFailed);
    EXPECT_TRUE(Shown(ids::EditNick)) << "the form is back";
    Click(ids::Find);
    AnswerUsers(Users(1, 3));
    EXPECT_EQ(RowCount(ids::ListUser), 3);
}

// A thread other than the window's (a network thread, when the connection drops) that stops the
// search, deletes its Search or starts it, while the window's thread waits for it. The call returns
// at once; a stop takes the window and its command on the window's own thread, and the Search opens
// a new window afterwards; a start makes no window there and changes none here.
TEST_F(ClientContractTest, CalledFromAnotherThread) {
    enum Call { Stop, Delete, StartBesideTheWindow, StartOwnedByTheClient };
    const char* const names[] = {"stop", "delete", "start beside the window", "start owned"};
    wintest::Watchdog watchdog(30000);
    OwnerWindow owner;
    for (Call call : {Stop, Delete, StartBesideTheWindow, StartOwnedByTheClient}) {
        const std::string name = names[call];
        watchdog.Step(name);
        const bool open = call != StartOwnedByTheClient, stops = call <= Delete;
        if (open) {
            Start(true);
            Search3(true);
        }
        int madeThere = -1;
        std::thread([&] {
            if (call == Delete)
                m_search.reset();
            else if (stops)
                m_search->StopSearch();
            else
                m_search->StartSearch(call == StartOwnedByTheClient ? owner.hWnd : nullptr, false);
            madeThere = SearchWindows();
        }).join();
        EXPECT_EQ(madeThere, 0) << name;
        EXPECT_EQ(SearchWindows(), open ? 1 : 0) << name << ": a stop takes the window on its own thread";
        Pump();
        EXPECT_EQ(SearchWindows(), open && !stops ? 1 : 0) << name;
        EXPECT_EQ(m_transmit->LiveCommands(), open && !stops ? 1u : 0u) << name;
        if (call == StartBesideTheWindow) {
            EXPECT_EQ(RowCount(ids::ListUser), 3) << name << ": as it was";
        }
        if (!m_search)
            m_search = std::make_unique<Search>(m_transmit.get(), &m_client);
        Start(true);
        ExpectOutcome(Does::Start, true, name + ", then started");
    }
}

// Only the user closing the window makes the next StartSearch start afresh; a window hidden with
// its minimised owner (and the search then opened from the tray) is shown as it stands.
TEST_F(ClientContractTest, OnlyTheUserClosingTheWindowStartsItAfresh) {
    enum Hide { CloseButton, CaptionClose, OwnerMinimised };
    const char* const names[] = {"Close", "the caption's close", "its owner minimised"};
    for (Hide hide : {CloseButton, CaptionClose, OwnerMinimised}) {
        OwnerWindow owner;
        Start(true, owner);
        Search3(true);
        if (hide == CloseButton)
            Click(ids::Close);
        if (hide == CaptionClose)
            ::SendMessageW(Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
        if (hide == OwnerMinimised) {
            ::ShowWindow(owner, SW_MINIMIZE);
            ::ShowOwnedPopups(owner, FALSE);  // what Windows does on minimising, and Wine leaves undone
        }
        Pump();
        ASSERT_FALSE(::IsWindowVisible(Dialog())) << names[hide];
        Start(false, owner);
        EXPECT_TRUE(::IsWindowVisible(Dialog())) << names[hide];
        const bool afresh = hide != OwnerMinimised;
        EXPECT_EQ(Shown(ids::RadioZoneById), afresh) << names[hide] << ": the zones tab's form";
        EXPECT_EQ(Shown(ids::ListUser) ? RowCount(ids::ListUser) : 0, afresh ? 0 : 3) << names[hide];
        Stop();
    }
}

// No memory. For a window: StartSearch returns, leaving nothing behind and throwing nothing (on
// 32-bit no exception could cross into the client's frames). For a page's rows: its list is left
// empty, never showing another page under this one's row numbers (Add and View act on the row's
// record), and is drawn at the next showing.
TEST_F(ClientContractTest, WithoutMemoryNothingIsLeftOrThrownOrMisread) {
    {
        FailingAllocations windowObject(1024);  // what the runtime needs to throw is smaller
        ASSERT_TRUE(windowObject.On());
        EXPECT_NO_THROW(m_search->StartSearch(nullptr, true));
    }
    Pump();
    EXPECT_EQ(SearchWindows(), 0);
    EXPECT_EQ(m_transmit->LiveCommands(), 0u);
    Start(true);
    SearchByNick(L"王", Users(1, 13));
    {
        FailingAllocations rows(4096);
        Click(ids::NextPage);
    }
    EXPECT_EQ(Text(ids::PageLabel), L"第2页");
    for (int r = 0; r < RowCount(ids::ListUser); ++r) {
        SelectRow(r);
        Click(ids::View);
        EXPECT_EQ(m_client.calls.back().account, Cell(ids::ListUser, r, 0)) << "row " << r;
    }
    Start(true);
    EXPECT_EQ(FirstColumn(ids::ListUser), (std::vector<std::wstring>{L"acc11", L"acc12", L"acc13"}));
}

// A client that frees the library that brought Search.dll in while its window is open: the
// module stays loaded, and the window works on. (Wine never unloads a DLL that the program itself
// imports, so a copy of Search.dll under another name is loaded, used through its exports and freed.)
TEST_F(ClientContractTest, FreeingTheModuleUnderItsWindowLeavesItLoaded) {
#if defined(__i386__)
#  define SEARCH_THISCALL __thiscall
#else
#  define SEARCH_THISCALL
#endif
    using Make = void(SEARCH_THISCALL*)(void*, QZP::QZTransmit*, SearchResultHandler*);
    using Call = void(SEARCH_THISCALL*)(void*);
    using StartCall = void(SEARCH_THISCALL*)(void*, HWND, bool);
    wchar_t dll[MAX_PATH] = {}, folder[MAX_PATH] = {};
    ::GetModuleFileNameW(::GetModuleHandleW(L"Search.dll"), dll, MAX_PATH);
    ::GetTempPathW(MAX_PATH, folder);
    const std::wstring copy = std::wstring(folder) + L"SearchFreedByItsClient.dll";
    ASSERT_TRUE(::CopyFileW(dll, copy.c_str(), FALSE));
    HMODULE module = ::LoadLibraryW(copy.c_str());
    ASSERT_NE(module, nullptr);
    alignas(Search) unsigned char search[sizeof(Search)];
    const auto make = Exported<Make>(module, "_ZN6SearchC1EPN3QZP10QZTransmitEP19SearchResultHandler");
    make(search, m_transmit.get(), &m_client);
    Exported<StartCall>(module, "_ZN6Search11StartSearchEP6HWND__b")(search, nullptr, true);
    Pump();
    ::FreeLibrary(module);
    ASSERT_EQ(::GetModuleHandleW(copy.c_str()), module);
    Search3(true);
    EXPECT_EQ(RowCount(ids::ListUser), 3);
    Exported<Call>(module, "_ZN6SearchD1Ev")(search);
    Pump();
    EXPECT_EQ(SearchWindows(), 0);
}

// A plugin of the client's built on the runtime DLLs, loaded after Search.dll (by a client linked
// -static, too), whose handler throws through the window's frames: the exception is stopped like
// any handler's, and the runtime's count of exceptions in flight is back where it was.
TEST_F(ClientContractTest, APluginOnTheRuntimeDllsMayThrow) {
    Start(true);  // the window has called its client before the plugin comes
    HMODULE plugin = ::LoadLibraryW(L"client_plugin.dll");
    ASSERT_NE(plugin, nullptr);
    SearchResultHandler* handler = Exported<SearchResultHandler* (*)()>(plugin, "PluginHandler")();
    const auto uncaught = Exported<int (*)()>(plugin, "PluginUncaughtExceptions");
    m_search = std::make_unique<Search>(m_transmit.get(), handler);
    Start(true);
    Search3(true);
    SelectRow(1);
    EXPECT_FALSE(Enabled(ids::Add)) << "a lookup that threw said nothing";
    EXPECT_EQ(uncaught(), 0);
    Stop();
}
