#include "SearchWindowFixture.h"

#include <cstring>

#include <algorithm>
#include <ostream>

#include "WindowPicture.h"

using windriver::Require;
using windriver::Result;

namespace {
constexpr auto kWait = std::chrono::seconds(10);

int RecordBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    RecordedBoxes().push_back({owner, text ? text : L"", caption ? caption : L"", type});
    return IDOK;
}
}  // namespace

void PrintTo(const HandlerCall& call, std::ostream* os) {
    *os << call.op << "(" << call.id << ", account of " << call.account.size() << " chars)";
}

std::vector<ShownBox>& RecordedBoxes() {
    static std::vector<ShownBox> boxes;
    return boxes;
}

void RecordingHandler::Record(const HandlerCall& call) {
    calls.push_back(call);
    if (during)
        during(call);
}

void RecordingHandler::AddFriend(std::uint64_t id, const std::wstring& account) {
    Record({"AddFriend", id, account});
}
void RecordingHandler::ViewUserInfo(std::uint64_t id, const std::wstring& account) {
    Record({"ViewUserInfo", id, account});
}
void RecordingHandler::JoinZone(std::uint64_t id) { Record({"JoinZone", id, L""}); }
void RecordingHandler::ViewZoneInfo(std::uint64_t id) { Record({"ViewZoneInfo", id, L""}); }
std::vector<std::wstring> RecordingHandler::GetIndustryList() {
    ++industryRequests;
    return industries;
}
bool RecordingHandler::IsFriend(std::uint64_t id) {
    Record({"IsFriend", id, L""});
    return std::find(friends.begin(), friends.end(), id) != friends.end();
}
bool RecordingHandler::IsZoneMember(std::uint64_t id) {
    Record({"IsZoneMember", id, L""});
    return std::find(memberships.begin(), memberships.end(), id) != memberships.end();
}

std::wstring ClipboardText() {
    std::wstring text;
    if (!::OpenClipboard(nullptr))
        return L"(clipboard busy)";
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(::GlobalLock(data));
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return text;
}

void PutOnClipboard(const std::wstring& text) {
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(::GlobalLock(memory), text.c_str(), bytes);
    ::GlobalUnlock(memory);
    ::SetClipboardData(CF_UNICODETEXT, memory);
    ::CloseClipboard();
}

SearchWindowTest::SearchWindowTest()
    : m_driver(&windriver::FindSearchWindow, [this] { Pump(); }) {
    // A client drawn at the desktop's DPI: at 96 nothing changes, and a test started on a desktop
    // of another DPI sees the window as such a client does.
    windriver::BecomeDpiAware();
    QZP::TransportSettings settings;
    settings.selfId = 42;
    m_transmit = std::make_unique<QZP::QZTransmit>(m_service, settings);
    m_search = std::make_unique<Search>(m_transmit.get(), &m_handler);
    RecordedBoxes().clear();
    m_previousPresenter = SetSkinMessageBoxPresenter(&RecordBox);
}

SearchWindowTest::~SearchWindowTest() {
    m_search.reset();
    if (m_transmit) m_transmit->WaitIdle(std::chrono::duration_cast<std::chrono::milliseconds>(kWait));
    windriver::PumpUntilIdle(10000);
    SetSkinMessageBoxPresenter(m_previousPresenter);
    m_transmit.reset();
}

HWND SearchWindowTest::Dialog() const { return m_driver.Dialog(); }

HWND SearchWindowTest::Control(int id) const { return m_driver.Control(id); }

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
        Require(Result::Check(m_transmit->WaitIdle(std::chrono::duration_cast<std::chrono::milliseconds>(kWait)),
                              "the transport still had answers to deliver after 10 s"));
    }
    Require(Result::Check(windriver::PumpUntilIdle(10000), "the window was still busy after 10 s"));
}

void SearchWindowTest::AnswerUsers(const UserInfoSet& batch, bool ok) {
    Require(Result::Check(m_service.AnswerUsers(ok, batch), "no user query was waiting for an answer"));
    Pump();
}

void SearchWindowTest::AnswerZones(const ZoneInfoSet& batch, bool ok) {
    Require(Result::Check(m_service.AnswerZones(ok, batch), "no zone query was waiting for an answer"));
    Pump();
}

void SearchWindowTest::Click(int id) { Require(m_driver.Click(id)); }

void SearchWindowTest::Type(int id, const std::wstring& text) { Require(m_driver.Type(id, text)); }

void SearchWindowTest::ChooseIndustry(int item) { Require(m_driver.Choose(ids::ComboIndustry, item)); }

void SearchWindowTest::SelectRow(int row) {
    Require(m_driver.SelectRow(Shown(ids::ListUser) ? ids::ListUser : ids::ListZone, row));
}

void SearchWindowTest::ClickTab(int index) { Require(m_driver.ClickTab(ids::Tab, index)); }

void SearchWindowTest::PressKey(int id, WPARAM vk) {
    Require(m_driver.PressKeyIn(id, static_cast<UINT>(vk)));
}

void SearchWindowTest::PressKey(WPARAM vk) { Require(m_driver.PressKey(static_cast<UINT>(vk))); }

void SearchWindowTest::TypeKeys(const std::wstring& text) { Require(m_driver.TypeKeys(text)); }

void SearchWindowTest::SendNickSearch(const std::wstring& nick) {
    Click(ids::RadioNick);
    Type(ids::EditNick, nick);
    Click(ids::Find);
}

void SearchWindowTest::SearchByNick(const std::wstring& nick, const UserInfoSet& firstBatch) {
    SendNickSearch(nick);
    AnswerUsers(firstBatch);
}

void SearchWindowTest::Snapshot(const std::wstring& name) const {
    wchar_t folder[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(L"SEARCH_PICTURES", folder, MAX_PATH))
        return;
    ::CreateDirectoryW(folder, nullptr);
    windriver::PumpUntilIdle(2000);
    EXPECT_TRUE(windriver::SaveWindowPng(Dialog(), std::wstring(folder) + L"\\" + name + L".png"));
}
