// A client's side of the contract, as any client may keep it: every call the window makes into the
// client, with a handler that throws, stops the search, starts it, stops and starts it, or deletes
// its Search; and a batch the client's memory cannot hold. Built twice on each architecture: with
// the runtime linked statically and with it in DLLs, as most MinGW clients link.
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "SearchStrings.h"
#include "SearchWindowFixture.h"

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
    bool userTab = true;

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
            break;
        case Does::Start:
            (*search)->StartSearch(nullptr, userTab);
            break;
        case Does::StopAndStart:
            (*search)->StopSearch();
            (*search)->StartSearch(nullptr, userTab);
            break;
        case Does::Delete:
            search->reset();
            break;
        }
    }
};

// A 32-bit client linked statically cannot throw through Search.dll's frames: its unwinder does
// not know them, and the process ends (the README says so to client teams).
constexpr bool kClientCanThrow = sizeof(void*) == 8 || SEARCH_TEST_SHARED_RUNTIME;

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
        m_client.industries = {L"金融", L"制造"};
    }

    int SearchWindows() const {
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
