// A client of Search.dll: one window with two buttons that open the search window on either tab,
// over a small directory served by the protocol library's in-process transport. Whatever the
// search window hands back is printed.
//
//   SearchConsumer.exe          the window, until it is closed
//   SearchConsumer.exe --check  clicks "查找用户" itself, checks that the search window opened
//                               over this window with its two tabs, closes it and exits: 0 when
//                               it opened, 1 when it did not
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
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
    void AddFriend(std::uint64_t userId, const std::wstring& account) override {
        std::printf("add friend %llu %s\n", static_cast<unsigned long long>(userId),
                    Utf8(account).c_str());
    }
    void ViewUserInfo(std::uint64_t userId, const std::wstring& account) override {
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
    bool IsFriend(std::uint64_t) override { return false; }
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

int Check(HWND client, Search& search) {
    // As a user's click: the button notifies its parent, which opens the search window.
    ::SendMessageW(::GetDlgItem(client, kFindUsers), BM_CLICK, 0, 0);
    HWND window = WaitForOwnedWindow(client, 10000);
    if (!window) {
        std::printf("FAIL: no search window opened over the client's window\n");
        return 1;
    }
    wchar_t caption[256] = {};
    ::GetWindowTextW(window, caption, 256);
    HWND tabs = ::FindWindowExW(window, nullptr, WC_TABCONTROLW, nullptr);
    const LRESULT tabCount = tabs ? ::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0) : 0;
    std::printf("search window \"%s\" opened with %d tabs\n", Utf8(caption).c_str(),
                static_cast<int>(tabCount));
    search.StopSearch();
    const bool closed = !::IsWindow(window);
    std::printf("search window %s\n", closed ? "closed" : "still there after StopSearch");
    return tabCount == 2 && closed ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool check = argc > 1 && std::wcscmp(argv[1], L"--check") == 0;

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
        status = Check(client, search);
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
