// A client of Search.dll: one window with two buttons that open the search window on either tab,
// over a small directory served by the protocol library's in-process transport. Whatever the
// search window hands back is printed.
//
//   SearchConsumer.exe          the window, until it is closed
//   SearchConsumer.exe --check  acts as a user: clicks "查找用户", checks that the search window
//                               opened over this window with its two tabs; types a zone ID that
//                               is no number and checks the box that refuses it; finds users and
//                               views one while this client's handlers throw, then checks that
//                               the window still searches; closes it and exits: 0 when all of it
//                               held, 1 when something did not
//
// Built with the runtime linked statically or as DLLs (SEARCH_CONSUMER_RUNTIME in CMakeLists.txt).
// A 32-bit client linked statically must not let an exception out of a handler: its unwinder
// cannot see the frames of Search.dll that called it, and the process ends (see the README).
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <stdexcept>
#include <string>
#include <vector>

#include "QZTransmit.h"
#include "Search.h"

namespace {

constexpr int kFindUsers = 100;
constexpr int kFindZones = 101;

std::string Utf8(const std::wstring& text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n,
                          nullptr, nullptr);
    return out;
}

class PrintingHandler : public SearchResultHandler {
public:
    // A client's lookup that fails: IsFriend and ViewUserInfo throw while this is set.
    bool failing = false;
    int thrown = 0;

    void AddFriend(std::uint64_t userId, const std::wstring& account) override {
        std::printf("add friend %llu %s\n", static_cast<unsigned long long>(userId),
                    Utf8(account).c_str());
    }
    void ViewUserInfo(std::uint64_t userId, const std::wstring& account) override {
        Fail("ViewUserInfo");
        std::printf("view user %llu %s\n", static_cast<unsigned long long>(userId),
                    Utf8(account).c_str());
    }
    void JoinZone(std::uint64_t zoneId) override {
        std::printf("join zone %llu\n", static_cast<unsigned long long>(zoneId));
    }
    void ViewZoneInfo(std::uint64_t zoneId) override {
        std::printf("view zone %llu\n", static_cast<unsigned long long>(zoneId));
    }
    std::vector<std::wstring> GetIndustryList() override { return {L"软件", L"金融", L"制造"}; }
    bool IsFriend(std::uint64_t) override {
        Fail("IsFriend");
        return false;
    }

private:
    void Fail(const char* what) {
        if (!failing)
            return;
        ++thrown;
        throw std::runtime_error(std::string(what) + ": the client's directory is not available");
    }
    bool IsZoneMember(std::uint64_t) override { return false; }
};

void FillDirectory(QZP::DirectoryService& directory) {
    const struct { std::uint64_t id; const wchar_t* account; const wchar_t* nick; const wchar_t* company; } users[] = {
        {10001, L"zhangwei", L"张伟", L"华东软件"},
        {10002, L"lina", L"李娜", L"华东软件"},
        {10003, L"wangfang", L"王芳", L"北方金融"},
    };
    for (const auto& u : users) {
        UserInfo user;
        user.id = u.id;
        user.account = u.account;
        user.nickname = u.nick;
        user.company = u.company;
        user.state = 4;
        directory.AddUser(user);
    }
    ZoneInfo zone;
    zone.id = 501;
    zone.name = L"软件同行";
    zone.industry = 0;
    directory.AddZone(zone);
}

LRESULT CALLBACK ClientProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    switch (message) {
    case WM_CREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        ::CreateWindowExW(0, L"BUTTON", L"查找用户", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 20,
                          120, 30, hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFindUsers)),
                          create->hInstance, nullptr);
        ::CreateWindowExW(0, L"BUTTON", L"查找商圈", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 160, 20,
                          120, 30, hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFindZones)),
                          create->hInstance, nullptr);
        return 0;
    }
    case WM_COMMAND:
        if (search && HIWORD(wParam) == BN_CLICKED &&
            (LOWORD(wParam) == kFindUsers || LOWORD(wParam) == kFindZones)) {
            search->StartSearch(hWnd, LOWORD(wParam) == kFindUsers);
            return 0;
        }
        break;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwnedWindow(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<OwnedSearch*>(lParam);
    if (::GetWindow(hWnd, GW_OWNER) == search->owner && ::IsWindowVisible(hWnd)) {
        search->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

// Pumps this thread's messages until a visible window owned by `owner` shows up, for at most
// timeoutMs; the search window belongs to this thread, so only this loop can make it appear.
HWND WaitForOwnedWindow(HWND owner, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    OwnedSearch search{owner, nullptr};
    while (::GetTickCount() - start < timeoutMs) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::EnumThreadWindows(::GetCurrentThreadId(), &FindOwnedWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return nullptr;
}

// The search window's controls, by the IDs of its dialog template.
enum : int {
    kTabs = 1000, kNickRadio = 1003, kNickEdit = 1005, kUserList = 1008, kBack = 1009, kFind = 1010,
    kClose = 1011, kView = 1015, kZoneIdEdit = 1019, kZoneIdRadio = 1025,
};

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Pumps until `done` holds, for at most timeoutMs.
template <class Done>
bool PumpUntil(Done done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        Pump();
        if (done())
            return true;
        if (::GetTickCount() - start >= timeoutMs)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

std::wstring TextOf(HWND hWnd) {
    wchar_t text[256] = {};
    ::GetWindowTextW(hWnd, text, 256);
    return text;
}

// While a message box of this thread is up, its text is read and the box closed with OK. The
// boxes are modal: this runs from a timer, inside their own message loop.
std::wstring g_boxText;
BOOL CALLBACK CloseBox(HWND hWnd, LPARAM) {
    wchar_t cls[16] = {};
    ::GetClassNameW(hWnd, cls, 16);
    if (std::wcscmp(cls, L"#32770") == 0 && ::IsWindowVisible(hWnd) && ::GetDlgItem(hWnd, 0xFFFF)) {
        g_boxText = TextOf(::GetDlgItem(hWnd, 0xFFFF));
        ::PostMessageW(hWnd, WM_COMMAND, IDOK, 0);
        return FALSE;
    }
    return TRUE;
}
void CALLBACK BoxTimer(HWND, UINT, UINT_PTR, DWORD) {
    ::EnumThreadWindows(::GetCurrentThreadId(), &CloseBox, 0);
}

void Click(HWND window, int id) { ::SendMessageW(::GetDlgItem(window, id), BM_CLICK, 0, 0); }

// A zone ID that is no number: the window refuses it with its box, and stays.
bool CheckZoneIdTypo(Search& search, HWND client, HWND window) {
    // Closed, then opened on the zones tab: reset to its form, as the client's button does.
    Click(window, kClose);
    search.StartSearch(client, false);
    Pump();
    Click(window, kZoneIdRadio);
    ::SetWindowTextW(::GetDlgItem(window, kZoneIdEdit), L"abc");
    g_boxText.clear();
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &BoxTimer);
    Click(window, kFind);  // returns once the box is closed
    ::KillTimer(nullptr, timer);
    Pump();
    std::printf("zone ID abc: box \"%s\"\n", Utf8(g_boxText).c_str());
    return g_boxText == L"请输入查询条件" && ::IsWindowVisible(window);
}

int Rows(HWND window) { return static_cast<int>(::SendMessageW(::GetDlgItem(window, kUserList), LVM_GETITEMCOUNT, 0, 0)); }

// A nickname search answered, then a row selected and viewed while this client's handlers throw:
// the window must go on searching and drawing what comes back.
bool CheckThrowingHandlers(Search& search, HWND client, HWND window, PrintingHandler& handler) {
    Click(window, kClose);
    search.StartSearch(client, true);
    Pump();
    Click(window, kNickRadio);
    ::SetWindowTextW(::GetDlgItem(window, kNickEdit), L"王");
    Click(window, kFind);
    if (!PumpUntil([&] { return Rows(window) > 0; }, 10000)) {
        std::printf("FAIL: the nickname search showed no rows\n");
        return false;
    }
    handler.failing = true;
    LVITEMW item{};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(::GetDlgItem(window, kUserList), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
    Pump();
    Click(window, kView);
    Pump();
    handler.failing = false;
    std::printf("the handlers threw %d times\n", handler.thrown);
    // Back to the form, and the same search again: sent, answered and drawn.
    Click(window, kBack);
    Pump();
    const bool formShown = ::IsWindowVisible(::GetDlgItem(window, kNickEdit)) != FALSE;
    Click(window, kFind);
    const bool found = PumpUntil([&] { return ::IsWindowVisible(::GetDlgItem(window, kUserList)) && Rows(window) > 0; }, 10000);
    std::printf("after the throws: form %s, search %s\n", formShown ? "shown" : "missing", found ? "answered" : "not answered");
    return handler.thrown == 2 && formShown && found;
}

int Check(HWND client, Search& search, PrintingHandler& handler) {
    // As a user's click: the button notifies its parent, which opens the search window.
    ::SendMessageW(::GetDlgItem(client, kFindUsers), BM_CLICK, 0, 0);
    HWND window = WaitForOwnedWindow(client, 10000);
    if (!window) {
        std::printf("FAIL: no search window opened over the client's window\n");
        return 1;
    }
    HWND tabs = ::GetDlgItem(window, kTabs);
    const LRESULT tabCount = tabs ? ::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0) : 0;
    std::printf("search window \"%s\" opened with %d tabs\n", Utf8(TextOf(window)).c_str(),
                static_cast<int>(tabCount));
    bool ok = tabCount == 2;
    if (!CheckZoneIdTypo(search, client, window)) {
        std::printf("FAIL: the zone ID abc was not refused with the box\n");
        ok = false;
    }
#if defined(__i386__) && defined(CONSUMER_STATIC_RUNTIME)
    (void)handler;
    std::printf("handlers that throw: not tried (a 32-bit client linked statically cannot throw through Search.dll)\n");
#else
    if (!CheckThrowingHandlers(search, client, window, handler)) {
        std::printf("FAIL: the window did not go on after the client's handlers threw\n");
        ok = false;
    }
#endif
    search.StopSearch();
    const bool closed = !::IsWindow(window);
    std::printf("search window %s\n", closed ? "closed" : "still there after StopSearch");
    return ok && closed ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool check = argc > 1 && std::wcscmp(argv[1], L"--check") == 0;
    if (check)
        std::setvbuf(stdout, nullptr, _IONBF, 0);  // every line out, even if the process ends

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    QZP::DirectoryService directory;
    FillDirectory(directory);
    QZP::TransportSettings settings;
    settings.batchSize = 13;
    settings.selfId = 10001;
    QZP::QZTransmit transport(directory, settings);
    PrintingHandler handler;
    Search search(&transport, &handler);

    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &ClientProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"SearchConsumerWindow";
    ::RegisterClassExW(&wc);
    HWND client = ::CreateWindowExW(0, wc.lpszClassName, L"查找窗口的客户", WS_OVERLAPPEDWINDOW,
                                    CW_USEDEFAULT, CW_USEDEFAULT, 320, 120, nullptr, nullptr,
                                    instance, &search);
    if (!client) {
        std::printf("FAIL: the client's window was not created\n");
        return 1;
    }
    ::ShowWindow(client, SW_SHOW);

    int status = 0;
    if (check) {
        status = Check(client, search, handler);
        ::DestroyWindow(client);
    } else {
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    // The window goes before the transport and the handler it borrows.
    search.StopSearch();
    return status;
}
