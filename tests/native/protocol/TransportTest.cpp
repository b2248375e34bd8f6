#include <algorithm>

#include "ProtocolTestSupport.h"

using namespace protocol_test;
using Kind = QZP::SearchQuery::Kind;

TEST(Command, SendsEachQueryWithItsArgumentsUnchanged) {
    QZP::ScriptedService service;
    QZP::QZTransmit transport(service);
    Recorder recorder(&transport);
    QZP::QZCommandSearch command(&transport, &recorder);

    EXPECT_EQ(command.SearchOnlineUsers(), QZP::CE_OK);
    EXPECT_EQ(command.SearchUsersByCompany(L"北京科技"), QZP::CE_OK);
    EXPECT_EQ(command.SearchUsersByEID(L" zhang "), QZP::CE_OK);
    EXPECT_EQ(command.SearchUsersByNick(L"张三"), QZP::CE_OK);
    EXPECT_EQ(command.SearchZoneByID(18446744073709551615ull), QZP::CE_OK);
    EXPECT_EQ(command.SearchZone(L"abc", 65535), QZP::CE_OK);
    EXPECT_EQ(command.SearchZone(L"", 1), QZP::CE_OK);

    const auto queries = service.Queries();
    ASSERT_EQ(queries.size(), 7u);
    const struct { Kind kind; std::wstring text; std::uint64_t zoneId; std::uint16_t industry; } expected[] = {
        {Kind::OnlineUsers, L"", 0, 0xFFFF},
        {Kind::UsersByCompany, L"北京科技", 0, 0xFFFF},
        {Kind::UsersByEID, L" zhang ", 0, 0xFFFF},
        {Kind::UsersByNick, L"张三", 0, 0xFFFF},
        {Kind::ZoneByID, L"", 18446744073709551615ull, 0xFFFF},
        {Kind::Zone, L"abc", 0, 65535},
        {Kind::Zone, L"", 0, 1},
    };
    for (std::size_t i = 0; i < queries.size(); ++i) {
        EXPECT_EQ(queries[i].kind, expected[i].kind) << i;
        EXPECT_TRUE(queries[i].text == expected[i].text) << i;
        EXPECT_EQ(queries[i].zoneId, expected[i].zoneId) << i;
        EXPECT_EQ(queries[i].industry, expected[i].industry) << i;
        EXPECT_EQ(queries[i].IsUserQuery(), i < 4) << i;
    }
    EXPECT_EQ(service.PendingCount(), 7u);
}

// Round = identical sends just before, counted per command; a failed round is sent again and a
// query that ran past its end starts over.
TEST(Command, CountsRoundsPerCommandAndQuery) {
    enum Answer { None, Batch, Empty, Failed };
    const struct {
        const char* name;
        std::vector<std::pair<int, Answer>> sends;  // (query: 0 nick A, 1 nick B, 2 zone A) and its answer
        std::vector<std::size_t> rounds;
    } cases[] = {
        {"repeat", {{0, Batch}, {0, Batch}, {0, Batch}}, {0, 1, 2}},
        {"other query resets", {{0, Batch}, {0, Batch}, {1, Batch}, {0, Batch}, {0, Batch}}, {0, 1, 0, 0, 1}},
        {"same text, other kind", {{0, Batch}, {2, Batch}, {0, Batch}}, {0, 0, 0}},
        {"failure is retried", {{0, Batch}, {0, Failed}, {0, Batch}, {0, Batch}}, {0, 1, 1, 2}},
        {"past the end starts over", {{0, Batch}, {0, Empty}, {0, Batch}}, {0, 1, 0}},
        {"unanswered still counts", {{0, None}, {0, None}, {0, None}}, {0, 1, 2}},
    };
    for (const auto& c : cases) {
        QZP::ScriptedService service;
        QZP::QZTransmit transport(service);
        Recorder recorder(&transport);
        QZP::QZCommandSearch command(&transport, &recorder);
        for (std::size_t i = 0; i < c.sends.size(); ++i) {
            const int query = c.sends[i].first;
            const auto code = query == 0   ? command.SearchUsersByNick(L"A")
                              : query == 1 ? command.SearchUsersByNick(L"B")
                                           : command.SearchZone(L"A", 0xFFFF);
            ASSERT_EQ(code, QZP::CE_OK);
            auto request = service.Request(i);
            ASSERT_TRUE(request);
            EXPECT_EQ(request->Round(), c.rounds[i]) << c.name << " send " << i;
            const bool users = request->Query().IsUserQuery();
            switch (c.sends[i].second) {
            case None: break;
            case Batch: EXPECT_TRUE(users ? request->AnswerUsers(true, Users({1})) : request->AnswerZones(true, Zones({1}))); break;
            case Empty: EXPECT_TRUE(users ? request->AnswerUsers(true, {}) : request->AnswerZones(true, {})); break;
            case Failed: EXPECT_TRUE(request->Fail()); break;
            }
        }
    }
}

TEST(Command, EachCommandHasItsOwnCursor) {
    QZP::ScriptedService service;
    QZP::QZTransmit transport(service);
    Recorder recorder;
    QZP::QZCommandSearch first(&transport, &recorder), second(&transport, &recorder);
    first.SearchOnlineUsers();
    first.SearchOnlineUsers();
    second.SearchOnlineUsers();
    // A failure of an older send does not move the cursor back past a newer identical send.
    service.Request(0)->Fail();
    first.SearchOnlineUsers();
    std::vector<std::size_t> rounds;
    for (const auto& request : service.Requests()) rounds.push_back(request->Round());
    EXPECT_EQ(rounds, (std::vector<std::size_t>{0, 1, 0, 2}));
}

TEST(Command, NotSignedInReturns3AndSendsNothing) {
    QZP::ScriptedService service;
    QZP::TransportSettings settings;
    settings.signedIn = false;
    QZP::QZTransmit transport(service, settings);
    Recorder recorder(&transport);
    QZP::QZCommandSearch command(&transport, &recorder);
    EXPECT_EQ(command.SearchOnlineUsers(), QZP::CE_NOT_SIGNED_IN);
    EXPECT_EQ(command.SearchUsersByCompany(L"c"), QZP::CE_NOT_SIGNED_IN);
    EXPECT_EQ(command.SearchUsersByEID(L"e"), QZP::CE_NOT_SIGNED_IN);
    EXPECT_EQ(command.SearchUsersByNick(L"n"), QZP::CE_NOT_SIGNED_IN);
    EXPECT_EQ(command.SearchZoneByID(1), QZP::CE_NOT_SIGNED_IN);
    EXPECT_EQ(command.SearchZone(L"z", 2), QZP::CE_NOT_SIGNED_IN);
    EXPECT_EQ(service.QueryCount(), 0u);

    transport.SetSignedIn(true);
    EXPECT_EQ(command.SearchUsersByNick(L"n"), QZP::CE_OK);
    ASSERT_EQ(service.QueryCount(), 1u);
    EXPECT_EQ(service.Request(0)->Round(), 0u);  // the refused sends did not count
    EXPECT_TRUE(transport.WaitIdle(kWait));
    EXPECT_EQ(recorder.Count(), 0u);
}

TEST(Command, WithoutTransportReturns1) {
    Recorder recorder;
    QZP::QZCommandSearch command(nullptr, &recorder);
    EXPECT_EQ(command.SearchOnlineUsers(), QZP::CE_NO_TRANSPORT);
    EXPECT_EQ(command.SearchZone(L"x", 0), QZP::CE_NO_TRANSPORT);
    EXPECT_EQ(command.GetSelfID(), 0u);
}

TEST(Command, SelfIdComesFromTheTransportSettings) {
    QZP::ScriptedService service;
    QZP::TransportSettings settings;
    settings.selfId = 42;
    QZP::QZTransmit transport(service, settings);
    QZP::QZCommandSearch command(&transport, nullptr);
    EXPECT_EQ(command.GetSelfID(), 42u);
    transport.SetSelfID(18446744073709551615ull);
    EXPECT_EQ(command.GetSelfID(), 18446744073709551615ull);
    EXPECT_EQ(transport.GetSettings().selfId, 18446744073709551615ull);
}

TEST(Transport, FailureRateOneFailsEveryQueryOfBothKinds) {
    QZP::DirectoryService directory({MakeUser(1, L"a", L"n", L"c", 4)}, {MakeZone(2, L"z", 0)});
    QZP::TransportSettings settings;
    settings.failureRate = 1.0;
    QZP::QZTransmit transport(directory, settings);
    Recorder recorder(&transport);
    QZP::QZCommandSearch command(&transport, &recorder);
    ASSERT_EQ(command.SearchUsersByNick(L"n"), QZP::CE_OK);
    ASSERT_EQ(command.SearchZone(L"z", 0xFFFF), QZP::CE_OK);
    ASSERT_TRUE(recorder.WaitFor(2));
    const auto calls = recorder.Calls();
    EXPECT_TRUE(calls[0].user);
    EXPECT_FALSE(calls[1].user);
    for (const auto& call : calls) {
        EXPECT_FALSE(call.ok);
        EXPECT_TRUE(call.ids.empty());
    }
}

TEST(Transport, FailuresAreDrawnFromTheSeed) {
    auto pattern = [](std::uint32_t seed, double rate) {
        QZP::ScriptedService service;
        QZP::TransportSettings settings;
        settings.seed = seed;
        settings.failureRate = rate;
        QZP::QZTransmit transport(service, settings);
        QZP::QZCommandSearch command(&transport, nullptr);
        std::vector<bool> failed;
        for (int i = 0; i < 200; ++i) {
            command.SearchUsersByNick(std::to_wstring(i));
            failed.push_back(service.Request(i)->FailureInjected());
        }
        return failed;
    };
    const auto a = pattern(7, 0.5);
    EXPECT_EQ(a, pattern(7, 0.5));
    EXPECT_NE(a, pattern(8, 0.5));
    const auto failures = std::count(a.begin(), a.end(), true);
    EXPECT_GT(failures, 60);
    EXPECT_LT(failures, 140);
    const auto none = pattern(7, 0.0);
    EXPECT_EQ(std::count(none.begin(), none.end(), true), 0);
}

TEST(Transport, AFailureDrawnOverridesTheServiceAnswer) {
    QZP::ScriptedService service;
    QZP::TransportSettings settings;
    settings.failureRate = 1.0;
    QZP::QZTransmit transport(service, settings);
    Recorder recorder(&transport);
    QZP::QZCommandSearch command(&transport, &recorder);
    command.SearchUsersByNick(L"x");
    ASSERT_TRUE(service.AnswerUsers(true, Users({1, 2})));
    ASSERT_TRUE(recorder.WaitFor(1));
    EXPECT_FALSE(recorder.Calls()[0].ok);
    EXPECT_TRUE(recorder.Calls()[0].ids.empty());
}

TEST(Transport, DeliversAnswersAfterTheLatency) {
    QZP::DirectoryService directory({MakeUser(1, L"a", L"n", L"c", 4)}, {});
    QZP::TransportSettings settings;
    settings.latency = std::chrono::milliseconds(150);
    QZP::QZTransmit transport(directory, settings);
    Recorder recorder(&transport);
    QZP::QZCommandSearch command(&transport, &recorder);
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_EQ(command.SearchOnlineUsers(), QZP::CE_OK);
    ASSERT_TRUE(recorder.WaitFor(1));
    EXPECT_GE(recorder.Calls()[0].at - sent, std::chrono::milliseconds(150));
}

TEST(Transport, CallbacksRunOnTheWorkerThreadInAnswerOrder) {
    QZP::ScriptedService service;
    QZP::QZTransmit transport(service);
    Recorder recorder(&transport);
    QZP::QZCommandSearch command(&transport, &recorder);
    EXPECT_FALSE(transport.IsWorkerThread());
    command.SearchUsersByNick(L"a");
    command.SearchZoneByID(5);
    command.SearchUsersByCompany(L"c");
    // Answered out of sending order, one of them from a thread of its own.
    EXPECT_TRUE(service.Request(2)->AnswerUsers(true, Users({3})));
    std::thread answerer([&] { EXPECT_TRUE(service.Request(0)->AnswerUsers(true, Users({1}))); });
    answerer.join();
    EXPECT_TRUE(service.Request(1)->AnswerZones(true, Zones({2})));
    ASSERT_TRUE(recorder.WaitFor(3));
    const auto calls = recorder.Calls();
    std::vector<std::uint64_t> order;
    for (const auto& call : calls) {
        order.push_back(call.ids.at(0));
        EXPECT_TRUE(call.onWorker);
        EXPECT_NE(call.thread, std::this_thread::get_id());
        EXPECT_EQ(call.thread, calls[0].thread);
    }
    EXPECT_EQ(order, (std::vector<std::uint64_t>{3, 1, 2}));
}

TEST(ScriptedService, HoldsAnswersUntilTheTestReleasesThem) {
    QZP::ScriptedService service;
    QZP::QZTransmit transport(service);
    Recorder recorder(&transport);
    QZP::QZCommandSearch command(&transport, &recorder);
    std::thread sender([&] {
        command.SearchUsersByNick(L"a");
        command.SearchZone(L"b", 3);
    });
    ASSERT_TRUE(service.WaitForQueries(2, kWait));
    sender.join();
    EXPECT_FALSE(service.WaitForQueries(3, std::chrono::milliseconds(1)));
    EXPECT_TRUE(transport.WaitIdle(kWait));
    EXPECT_EQ(recorder.Count(), 0u);
    EXPECT_EQ(service.PendingCount(), 2u);

    EXPECT_FALSE(service.AnswerZones(true, Zones({9})));  // the oldest is a user query
    EXPECT_EQ(service.PendingCount(), 2u);
    EXPECT_TRUE(service.AnswerUsers(true, Users({4, 5})));
    EXPECT_FALSE(service.Request(0)->AnswerUsers(true, Users({6})));  // answered already
    EXPECT_TRUE(service.FailOldest());
    EXPECT_FALSE(service.FailOldest());  // nothing left
    ASSERT_TRUE(recorder.WaitFor(2));
    const auto calls = recorder.Calls();
    EXPECT_TRUE(calls[0].user && calls[0].ok);
    EXPECT_EQ(calls[0].ids, (std::vector<std::uint64_t>{4, 5}));
    EXPECT_TRUE(!calls[1].user && !calls[1].ok);
}

namespace {
struct ForgetfulService : QZP::SearchService {
    void OnQuery(const QZP::SearchRequestPtr&) override {}
};
}  // namespace

TEST(Transport, AQueryNobodyAnswersOrThatTimesOutFails) {
    ForgetfulService forgetful;
    QZP::QZTransmit dropping(forgetful);
    Recorder dropped(&dropping);
    QZP::QZCommandSearch command(&dropping, &dropped);
    command.SearchZoneByID(1);
    ASSERT_TRUE(dropped.WaitFor(1));
    EXPECT_FALSE(dropped.Calls()[0].ok);
    EXPECT_FALSE(dropped.Calls()[0].user);

    QZP::ScriptedService service;
    QZP::QZTransmit transport(service);
    Recorder recorder(&transport);
    QZP::QZCommandSearch timed(&transport, &recorder);
    timed.SearchUsersByNick(L"a");
    timed.SearchUsersByNick(L"b");
    timed.OnTimedout(service.Request(1)->Serial());
    ASSERT_TRUE(recorder.WaitFor(1));
    EXPECT_FALSE(recorder.Calls()[0].ok);
    EXPECT_TRUE(service.Request(1)->IsAnswered());
    EXPECT_FALSE(service.Request(0)->IsAnswered());
    QZP::CommandType type = QZP::CMD_NONE;
    timed.TransferCmd(&type);
    EXPECT_EQ(type, QZP::CMD_SEARCH_USER);
}
