#include <atomic>
#include <memory>

#include "ProtocolTestSupport.h"

using namespace protocol_test;

namespace {

// Holds the worker inside its callback until the gate opens.
struct BlockingHandler : QZP::QZCommandSearchHandler {
    Gate entered, release;
    std::atomic<bool> finished{false};
    void OnSearchUserResult(bool, const UserInfoSet&) override { Block(); }
    void OnSearchZoneResult(bool, const ZoneInfoSet&) override { Block(); }
    void Block() {
        entered.Open();
        release.Wait();
        finished = true;
    }
};

// Waits for a condition that another thread makes true; only a broken build reaches the deadline.
template <typename Predicate>
bool Eventually(Predicate predicate) {
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::yield();
    }
    return true;
}

// Occupies the worker with a callback of another command, so that answers queue up behind it.
struct BusyWorker {
    QZP::ScriptedService& service;
    BlockingHandler handler;
    QZP::QZCommandSearch command;
    BusyWorker(QZP::ScriptedService& s, QZP::QZTransmit& transport)
        : service(s), command(&transport, &handler) {
        command.SearchOnlineUsers();
        service.Requests().back()->AnswerUsers(true, Users({1}));
        handler.entered.Wait();
    }
};

}  // namespace

TEST(CommandLifetime, DeletingACommandCancelsItsQueuedAnswers) {
    QZP::ScriptedService service;
    QZP::QZTransmit transport(service);
    BusyWorker busy(service, transport);

    Recorder recorder(&transport);
    auto command = std::make_unique<QZP::QZCommandSearch>(&transport, &recorder);
    for (int i = 0; i < 3; ++i) command->SearchUsersByNick(L"a");
    command->SearchZoneByID(1);  // left unanswered
    for (std::size_t i = 1; i <= 3; ++i) EXPECT_TRUE(service.Request(i)->AnswerUsers(true, Users({i})));
    EXPECT_EQ(transport.QueuedAnswers(), 3u);

    // Returns at once although the worker is busy: only our own callbacks are waited for.
    command.reset();
    EXPECT_EQ(transport.QueuedAnswers(), 0u);
    EXPECT_FALSE(service.Request(4)->AnswerZones(true, Zones({1})));

    busy.handler.release.Open();
    EXPECT_TRUE(transport.WaitIdle(kWait));
    EXPECT_EQ(recorder.Count(), 0u);
}

TEST(CommandLifetime, DestructorWaitsForTheRunningCallback) {
    for (int iteration = 0; iteration < 20; ++iteration) {
        QZP::ScriptedService service;
        QZP::QZTransmit transport(service);
        BlockingHandler handler;
        auto* command = new QZP::QZCommandSearch(&transport, &handler);
        command->SearchOnlineUsers();
        command->SearchOnlineUsers();
        service.Request(0)->AnswerUsers(true, Users({1}));
        ASSERT_TRUE(handler.entered.Wait());
        service.Request(1)->AnswerUsers(true, Users({2}));
        ASSERT_EQ(transport.QueuedAnswers(), 1u);

        std::atomic<bool> finishedBeforeReturn{false};
        std::thread destroyer([&] {
            delete command;
            finishedBeforeReturn = handler.finished.load();
        });
        // The destructor has started once it has cancelled the queued answer; only then is the
        // callback let go, so a destructor that did not wait would be caught.
        ASSERT_TRUE(Eventually([&] { return transport.QueuedAnswers() == 0; }));
        handler.release.Open();
        destroyer.join();
        EXPECT_TRUE(finishedBeforeReturn) << "iteration " << iteration;
    }
}

namespace {
struct SelfDeletingHandler : QZP::QZCommandSearchHandler {
    QZP::QZCommandSearch* command = nullptr;
    std::atomic<int> calls{0};
    void OnSearchUserResult(bool, const UserInfoSet&) override {
        ++calls;
        delete command;  // on the worker, inside our own callback: must neither deadlock nor crash
        command = nullptr;
    }
    void OnSearchZoneResult(bool, const ZoneInfoSet&) override { ++calls; }
};
}  // namespace

TEST(CommandLifetime, ACommandDeletedInsideItsOwnCallback) {
    QZP::ScriptedService service;
    QZP::QZTransmit transport(service);
    BusyWorker busy(service, transport);

    SelfDeletingHandler handler;
    handler.command = new QZP::QZCommandSearch(&transport, &handler);
    for (int i = 0; i < 3; ++i) handler.command->SearchUsersByNick(L"x");
    for (std::size_t i = 1; i <= 3; ++i) service.Request(i)->AnswerUsers(true, Users({i}));
    busy.handler.release.Open();
    ASSERT_TRUE(transport.WaitIdle(kWait));
    EXPECT_EQ(handler.calls, 1);  // the two answers queued behind the first were cancelled

    // The worker lives on for the other commands.
    Recorder recorder(&transport);
    QZP::QZCommandSearch other(&transport, &recorder);
    other.SearchOnlineUsers();
    service.AnswerUsers(true, Users({7}));
    EXPECT_TRUE(recorder.WaitFor(1));
}

namespace {
// Counts callbacks that begin, or are still running, after its command's destructor returned.
struct CheckingHandler : QZP::QZCommandSearchHandler {
    std::atomic<bool> deleted{false};
    std::atomic<int>& violations;
    std::atomic<int>& calls;
    CheckingHandler(std::atomic<int>& v, std::atomic<int>& c) : violations(v), calls(c) {}
    template <typename Set>
    void Check(const Set& batch) {
        if (deleted) ++violations;
        std::uint64_t sum = 0;
        for (const auto& record : batch) sum += record.id;  // touch the batch while we run
        if (deleted || sum == 0) ++violations;
        ++calls;
    }
    void OnSearchUserResult(bool, const UserInfoSet& batch) override { Check(batch); }
    void OnSearchZoneResult(bool, const ZoneInfoSet& batch) override { Check(batch); }
};
}  // namespace

TEST(CommandLifetime, CommandsDeletedWhileCallbacksAreInFlight) {
    QZP::DirectoryService directory;
    for (std::uint64_t id = 1; id <= 40; ++id) {
        directory.AddUser(MakeUser(id, L"a" + std::to_wstring(id), L"昵称", L"公司", 4));
        directory.AddZone(MakeZone(id, L"商圈", 1));
    }
    QZP::TransportSettings settings;
    settings.batchSize = 4;
    QZP::QZTransmit transport(directory, settings);
    std::atomic<int> violations{0}, calls{0};

    for (int iteration = 0; iteration < 200; ++iteration) {
        // Immediate answers race the deletes on the worker; delayed ones are cancelled in the queue.
        settings.latency = std::chrono::milliseconds(iteration % 3 == 0 ? 1 : 0);
        transport.SetSettings(settings);
        std::vector<std::unique_ptr<CheckingHandler>> handlers;
        std::vector<QZP::QZCommandSearch*> commands;
        for (int c = 0; c < 3; ++c) {
            handlers.push_back(std::make_unique<CheckingHandler>(violations, calls));
            commands.push_back(new QZP::QZCommandSearch(&transport, handlers.back().get()));
            commands.back()->SearchUsersByNick(L"昵称");
            commands.back()->SearchZone(L"", 1);
            commands.back()->SearchUsersByNick(L"昵称");
        }
        auto destroy = [&](int c) {
            delete commands[c];
            handlers[c]->deleted = true;
        };
        destroy(0);
        std::thread other([&] { destroy(1); });
        destroy(2);
        other.join();
        // The handlers go now: a late callback would touch freed memory (caught under ASan).
    }
    EXPECT_TRUE(transport.WaitIdle(kWait));
    EXPECT_EQ(transport.QueuedAnswers(), 0u);
    EXPECT_EQ(violations, 0);
    EXPECT_GT(calls, 0);
}

TEST(CommandLifetime, CommandsOutliveTheirTransportSafely) {
    QZP::ScriptedService service;
    QZP::TransportSettings settings;
    settings.latency = std::chrono::minutes(10);
    settings.selfId = 99;
    auto transport = std::make_unique<QZP::QZTransmit>(service, settings);
    Recorder recorder;
    QZP::QZCommandSearch command(transport.get(), &recorder);
    command.SearchUsersByNick(L"a");
    command.SearchUsersByNick(L"b");
    command.SearchZoneByID(3);
    service.AnswerUsers(true, Users({1}));
    service.AnswerUsers(true, Users({2}));
    EXPECT_EQ(transport->QueuedAnswers(), 2u);

    transport.reset();  // drops the queued answers instead of waiting out their latency

    EXPECT_EQ(command.SearchOnlineUsers(), QZP::CE_DISCONNECTED);
    EXPECT_EQ(command.GetSelfID(), 99u);
    EXPECT_FALSE(service.AnswerZones(true, Zones({3})));
    EXPECT_EQ(service.QueryCount(), 3u);
    EXPECT_EQ(recorder.Count(), 0u);
}

namespace {
struct TransportDestroyingHandler : QZP::QZCommandSearchHandler {
    std::unique_ptr<QZP::QZTransmit> transport;
    Gate done;
    void OnSearchUserResult(bool, const UserInfoSet&) override {
        transport.reset();  // on the worker: must not join itself
        done.Open();
    }
    void OnSearchZoneResult(bool, const ZoneInfoSet&) override {}
};
}  // namespace

TEST(CommandLifetime, TheTransportDestroyedInsideACallback) {
    QZP::ScriptedService service;
    TransportDestroyingHandler handler;
    handler.transport = std::make_unique<QZP::QZTransmit>(service);
    QZP::QZCommandSearch command(handler.transport.get(), &handler);
    command.SearchUsersByNick(L"a");
    command.SearchUsersByNick(L"a");
    service.AnswerUsers(true, Users({1}));
    ASSERT_TRUE(handler.done.Wait());
    EXPECT_FALSE(service.AnswerUsers(true, Users({2})));
    EXPECT_EQ(command.SearchOnlineUsers(), QZP::CE_DISCONNECTED);
}
