#include "DemoClient.h"

#include <commctrl.h>

namespace {

const wchar_t kClassName[] = L"SearchDemoClient";
const wchar_t kTitle[] = L"演示客户端";

constexpr int kMargin = 12;
constexpr int kClientWidth = 600;
constexpr int kClientHeight = 420;
constexpr int kButtonHeight = 26;

}  // namespace

DemoClient::DemoClient(const DemoDirectory& directory, QZP::QZTransmit& transmit)
    : m_directory(directory),
      m_transmit(transmit),
      m_search(std::make_unique<Search>(&transmit, this)),
      m_friends(directory.InitialFriends().begin(), directory.InitialFriends().end()),
      m_zones(directory.InitialZones().begin(), directory.InitialZones().end()) {}

DemoClient::~DemoClient() {
    Close();
    m_search.reset();
    if (m_font) DeleteObject(m_font);
}

bool DemoClient::Create(int nCmdShow) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &DemoClient::WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    // A second client in the same process finds the class registered already; that is fine.
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    m_hWnd = CreateWindowExW(0, kClassName, kTitle, style, 8, 8, frame.right - frame.left,
                             frame.bottom - frame.top, nullptr, nullptr, instance, this);
    if (!m_hWnd) return false;
    ShowWindow(m_hWnd, nCmdShow);
    UpdateWindow(m_hWnd);
    return true;
}

void DemoClient::Close() {
    // The search window is owned by ours: take it down through the module first, so the module
    // never holds a window that Windows destroyed behind its back.
    if (m_search) m_search->StopSearch();
    if (m_hWnd) DestroyWindow(m_hWnd);
}

bool DemoClient::IsSignedIn() const { return m_transmit.GetSettings().signedIn; }

std::vector<std::wstring> DemoClient::LogLines() const {
    std::vector<std::wstring> lines;
    HWND log = Control(demo_ids::Log);
    const int count = static_cast<int>(SendMessageW(log, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(log, LB_GETTEXTLEN, i, 0);
        if (length == LB_ERR) continue;
        std::wstring line(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(log, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&line[0]));
        line.resize(static_cast<size_t>(length));
        lines.push_back(line);
    }
    return lines;
}

LRESULT CALLBACK DemoClient::WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<DemoClient*>(create->lpCreateParams);
        self->m_hWnd = hWnd;
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<DemoClient*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hWnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        return DefWindowProcW(hWnd, msg, wParam, lParam);
    }
    return self->OnMessage(msg, wParam, lParam);
}

LRESULT DemoClient::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(m_hWnd, msg, wParam, lParam);
    }
}

void DemoClient::OnCreate() {
    // Height 12 in the Song face: what a Simplified Chinese desktop draws its dialogs with.
    m_font = CreateFontW(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_DONTCARE, L"宋体");
    HINSTANCE instance = GetModuleHandleW(nullptr);
    auto make = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h,
                    int id, DWORD exStyle = 0) {
        HWND child = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                                     m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                     instance, nullptr);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
        return child;
    };

    const int width = kClientWidth - 2 * kMargin;
    make(L"STATIC", L"", SS_LEFT, kMargin, kMargin, width, 16, demo_ids::Account);
    make(L"STATIC", L"", SS_LEFT, kMargin, kMargin + 20, width, 16, demo_ids::Status);
    const int buttonsY = kMargin + 46;
    make(L"BUTTON", L"查找用户", BS_PUSHBUTTON | WS_TABSTOP, kMargin, buttonsY, 100, kButtonHeight,
         demo_ids::FindUsers);
    make(L"BUTTON", L"查找商圈", BS_PUSHBUTTON | WS_TABSTOP, kMargin + 110, buttonsY, 100,
         kButtonHeight, demo_ids::FindZones);
    make(L"BUTTON", L"注销", BS_PUSHBUTTON | WS_TABSTOP, kClientWidth - kMargin - 80, buttonsY, 80,
         kButtonHeight, demo_ids::SignInOut);
    const int logY = buttonsY + kButtonHeight + 16;
    make(L"STATIC", L"消息记录：", SS_LEFT, kMargin, logY, width, 16, demo_ids::LogHeading);
    make(L"LISTBOX", L"", WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL, kMargin,
         logY + 20, width, kClientHeight - logY - 20 - kMargin, demo_ids::Log, WS_EX_CLIENTEDGE);
    UpdateStatus();
    AddLog(L"已登录。点击“查找用户”或“查找商圈”开始查找。");
}

void DemoClient::OnCommand(int id) {
    switch (id) {
    case demo_ids::FindUsers: m_search->StartSearch(m_hWnd, true); break;
    case demo_ids::FindZones: m_search->StartSearch(m_hWnd, false); break;
    case demo_ids::SignInOut: ToggleSignIn(); break;
    default: break;
    }
}

void DemoClient::ToggleSignIn() {
    const bool signedIn = !IsSignedIn();
    m_transmit.SetSignedIn(signedIn);
    UpdateStatus();
    AddLog(signedIn ? L"已登录。" : L"已注销，查找需要先登录。");
}

void DemoClient::UpdateStatus() {
    if (!m_hWnd) return;
    const UserInfo* self = m_directory.FindUser(m_transmit.GetSettings().selfId);
    std::wstring account = L"当前用户：";
    if (self) account += self->nickname + L"（" + self->account + L"，ID " + std::to_wstring(self->id) + L"）";
    SetWindowTextW(Control(demo_ids::Account), account.c_str());
    const bool signedIn = IsSignedIn();
    const std::wstring status = std::wstring(L"状态：") + (signedIn ? L"已登录" : L"未登录") +
                                L"　好友 " + std::to_wstring(m_friends.size()) + L" 人，已加入商圈 " +
                                std::to_wstring(m_zones.size()) + L" 个";
    SetWindowTextW(Control(demo_ids::Status), status.c_str());
    SetWindowTextW(Control(demo_ids::SignInOut), signedIn ? L"注销" : L"登录");
}

void DemoClient::AddLog(const std::wstring& line) {
    HWND log = Control(demo_ids::Log);
    if (!log) return;
    const LRESULT index = SendMessageW(log, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (index != LB_ERR && index != LB_ERRSPACE) SendMessageW(log, LB_SETTOPINDEX, index, 0);
    // A list box scrolls sideways only as far as it is told to.
    HDC dc = GetDC(log);
    HGDIOBJ old = SelectObject(dc, m_font);
    SIZE extent = {};
    GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(log, dc);
    const LRESULT widest = SendMessageW(log, LB_GETHORIZONTALEXTENT, 0, 0);
    if (extent.cx + 8 > widest) SendMessageW(log, LB_SETHORIZONTALEXTENT, extent.cx + 8, 0);
}

std::wstring DemoClient::UserName(std::uint64_t userId, const std::wstring& account) const {
    const UserInfo* user = m_directory.FindUser(userId);
    const std::wstring nick = user ? user->nickname : L"（未知用户）";
    return nick + L"（" + account + L"，ID " + std::to_wstring(userId) + L"）";
}

void DemoClient::AddFriend(std::uint64_t userId, const std::wstring& account) {
    const bool added = m_friends.insert(userId).second;
    AddLog((added ? L"加为好友：" : L"已是好友：") + UserName(userId, account));
    UpdateStatus();
}

void DemoClient::ViewUserInfo(std::uint64_t userId, const std::wstring& account) {
    std::wstring line = L"查看资料：" + UserName(userId, account);
    if (const UserInfo* user = m_directory.FindUser(userId))
        line += L"，" + user->GetStateText() + L"，" + user->company + L" " + user->department +
                user->title;
    AddLog(line);
}

void DemoClient::JoinZone(std::uint64_t zoneId) {
    const bool joined = m_zones.insert(zoneId).second;
    const ZoneInfo* zone = m_directory.FindZone(zoneId);
    AddLog(std::wstring(joined ? L"加入商圈：" : L"已在商圈：") + (zone ? zone->name : L"（未知商圈）") +
           L"（ID " + std::to_wstring(zoneId) + L"）");
    UpdateStatus();
}

void DemoClient::ViewZoneInfo(std::uint64_t zoneId) {
    const ZoneInfo* zone = m_directory.FindZone(zoneId);
    std::wstring line = L"查看商圈资料：";
    if (zone) {
        const auto& industries = m_directory.Industries();
        const std::wstring industry = zone->industry < industries.size() ? industries[zone->industry] : L"未知";
        line += zone->name + L"（ID " + std::to_wstring(zoneId) + L"），" + industry + L"，成员 " +
                std::to_wstring(zone->memberCount) + L" 人";
    } else {
        line += L"（未知商圈，ID " + std::to_wstring(zoneId) + L"）";
    }
    AddLog(line);
}

std::vector<std::wstring> DemoClient::GetIndustryList() { return m_directory.Industries(); }

bool DemoClient::IsFriend(std::uint64_t userId) { return m_friends.count(userId) != 0; }

bool DemoClient::IsZoneMember(std::uint64_t zoneId) { return m_zones.count(zoneId) != 0; }
