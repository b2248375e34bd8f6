#include "SearchWindowFixture.h"

#include <algorithm>
#include <ostream>

#include "WinTestSupport.h"

namespace {
constexpr auto kWait = std::chrono::seconds(10);

int RecordBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    RecordedBoxes().push_back({owner, text ? text : L"", caption ? caption : L"", type});
    return IDOK;
}

struct FindDialog {
    HWND found = nullptr;
};

BOOL CALLBACK FindSearchWindow(HWND hWnd, LPARAM lParam) {
    wchar_t caption[64] = {};
    ::GetWindowTextW(hWnd, caption, 64);
    if (std::wstring(caption) == L"查询用户/商圈") {
        reinterpret_cast<FindDialog*>(lParam)->found = hWnd;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

void PrintTo(const HandlerCall& call, std::ostream* os) {
    *os << call.op << "(" << call.id << ", account of " << call.account.size() << " chars)";
}

std::vector<ShownBox>& RecordedBoxes() {
    static std::vector<ShownBox> boxes;
    return boxes;
}

void RecordingHandler::AddFriend(std::uint64_t id, const std::wstring& account) {
    calls.push_back({"AddFriend", id, account});
}
void RecordingHandler::ViewUserInfo(std::uint64_t id, const std::wstring& account) {
    calls.push_back({"ViewUserInfo", id, account});
}
void RecordingHandler::JoinZone(std::uint64_t id) { calls.push_back({"JoinZone", id, L""}); }
void RecordingHandler::ViewZoneInfo(std::uint64_t id) { calls.push_back({"ViewZoneInfo", id, L""}); }
std::vector<std::wstring> RecordingHandler::GetIndustryList() {
    ++industryRequests;
    return industries;
}
bool RecordingHandler::IsFriend(std::uint64_t id) {
    calls.push_back({"IsFriend", id, L""});
    return std::find(friends.begin(), friends.end(), id) != friends.end();
}
bool RecordingHandler::IsZoneMember(std::uint64_t id) {
    calls.push_back({"IsZoneMember", id, L""});
    return std::find(memberships.begin(), memberships.end(), id) != memberships.end();
}

UserInfo MakeUser(std::uint64_t id, int state) {
    UserInfo user;
    user.id = id;
    user.account = L"acc" + std::to_wstring(id);
    user.nickname = L"昵称" + std::to_wstring(id);
    user.company = L"公司" + std::to_wstring(id);
    user.state = state;
    return user;
}

ZoneInfo MakeZone(std::uint64_t id, std::uint16_t industry) {
    ZoneInfo zone;
    zone.id = id;
    zone.name = L"商圈" + std::to_wstring(id);
    zone.industry = industry;
    zone.sortKey = static_cast<std::int32_t>(id % 7);
    return zone;
}

UserInfoSet Users(std::uint64_t firstId, int count) {
    UserInfoSet set;
    for (int i = 0; i < count; ++i)
        set.push_back(MakeUser(firstId + i));
    return set;
}

ZoneInfoSet Zones(std::uint64_t firstId, int count, std::uint16_t industry) {
    ZoneInfoSet set;
    for (int i = 0; i < count; ++i)
        set.push_back(MakeZone(firstId + i, industry));
    return set;
}

SearchWindowTest::SearchWindowTest() {
    QZP::TransportSettings settings;
    settings.selfId = 42;
    m_transmit = std::make_unique<QZP::QZTransmit>(m_service, settings);
    m_search = std::make_unique<Search>(m_transmit.get(), &m_handler);
    RecordedBoxes().clear();
    m_previousPresenter = SetSkinMessageBoxPresenter(&RecordBox);
}

SearchWindowTest::~SearchWindowTest() {
    m_search.reset();
    Pump();
    SetSkinMessageBoxPresenter(m_previousPresenter);
    m_transmit.reset();
}

HWND SearchWindowTest::Dialog() const {
    FindDialog find;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindSearchWindow, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

HWND SearchWindowTest::Control(int id) const { return ::GetDlgItem(Dialog(), id); }

void SearchWindowTest::Start(bool bUserTab, HWND hParent) {
    m_search->StartSearch(hParent, bUserTab);
    Pump();
}

void SearchWindowTest::Stop() {
    m_search->StopSearch();
    Pump();
}

void SearchWindowTest::Pump() {
    // Callbacks that already ran have posted their messages; make sure none is half-way.
    if (m_transmit) {
        ASSERT_TRUE(m_transmit->WaitIdle(std::chrono::duration_cast<std::chrono::milliseconds>(kWait)));
    }
    MSG msg;
    for (int guard = 0; guard < 100000 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++guard) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void SearchWindowTest::AnswerUsers(const UserInfoSet& batch, bool ok) {
    ASSERT_TRUE(m_service.AnswerUsers(ok, batch)) << "no user query was waiting for an answer";
    Pump();
}

void SearchWindowTest::AnswerZones(const ZoneInfoSet& batch, bool ok) {
    ASSERT_TRUE(m_service.AnswerZones(ok, batch)) << "no zone query was waiting for an answer";
    Pump();
}

void SearchWindowTest::Click(int id) {
    ASSERT_TRUE(Shown(id)) << "control " << id << " is hidden";
    ASSERT_TRUE(Enabled(id)) << "control " << id << " is disabled";
    ::SendMessageW(Control(id), BM_CLICK, 0, 0);
    Pump();
}

void SearchWindowTest::Type(int id, const std::wstring& text) {
    ASSERT_TRUE(Shown(id)) << "edit " << id << " is hidden";
    ASSERT_TRUE(Enabled(id)) << "edit " << id << " is disabled";
    ::SendMessageW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Pump();
}

void SearchWindowTest::ChooseIndustry(int item) {
    ASSERT_TRUE(Shown(ids::ComboIndustry) && Enabled(ids::ComboIndustry));
    ::SendMessageW(Control(ids::ComboIndustry), CB_SETCURSEL, item, 0);
    Pump();
}

void SearchWindowTest::SelectRow(int row) {
    const int list = Shown(ids::ListUser) ? ids::ListUser : ids::ListZone;
    ASSERT_TRUE(Shown(list)) << "no result list is shown";
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(Control(list), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    Pump();
}

void SearchWindowTest::ClickTab(int index) {
    HWND tab = Control(ids::Tab);
    ASSERT_TRUE(::IsWindowVisible(tab) && ::IsWindowEnabled(tab)) << "the tab control is not usable";
    RECT rc = {};
    ASSERT_TRUE(::SendMessageW(tab, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc)));
    const LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    ::SendMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(tab, WM_LBUTTONUP, 0, at);
    Pump();
}

void SearchWindowTest::PressKey(int id, WPARAM vk) {
    HWND target = Control(id);
    ASSERT_NE(target, nullptr);
    ::SetFocus(target);
    // Through the queue, as a real key arrives, so the thread's message filters see it.
    ::PostMessageW(target, WM_KEYDOWN, vk, 1);
    ::PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
    Pump();
}

bool SearchWindowTest::Checked(int id) const {
    return ::SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::wstring SearchWindowTest::Text(int id) const {
    wchar_t buffer[256] = {};
    ::GetWindowTextW(Control(id), buffer, 256);
    return buffer;
}

int SearchWindowTest::RowCount(int listId) const {
    return static_cast<int>(::SendMessageW(Control(listId), LVM_GETITEMCOUNT, 0, 0));
}

std::wstring SearchWindowTest::Cell(int listId, int row, int column) const {
    wchar_t buffer[256] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 256;
    ::SendMessageW(Control(listId), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return buffer;
}

std::vector<std::wstring> SearchWindowTest::FirstColumn(int listId) const {
    std::vector<std::wstring> cells;
    for (int r = 0; r < RowCount(listId); ++r)
        cells.push_back(Cell(listId, r, 0));
    return cells;
}

RECT SearchWindowTest::ClientRect(int id) const {
    RECT rc = {};
    ::GetWindowRect(Control(id), &rc);
    ::MapWindowPoints(nullptr, Dialog(), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

void SearchWindowTest::SearchByNick(const std::wstring& nick, const UserInfoSet& firstBatch) {
    Click(ids::RadioNick);
    Type(ids::EditNick, nick);
    Click(ids::Find);
    AnswerUsers(firstBatch);
}

void SearchWindowTest::Snapshot(const std::wstring& name) const {
    wchar_t folder[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(L"SEARCH_PICTURES", folder, MAX_PATH))
        return;
    ::CreateDirectoryW(folder, nullptr);
    EXPECT_TRUE(wintest::CaptureWindowPng(Dialog(), std::wstring(folder) + L"\\" + name + L".png"));
}
