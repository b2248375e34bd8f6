// Inside of the transport, shared by QZTransmit, SearchRequest and QZCommandSearch.
//
// Lifetimes: QZTransmit owns a shared Core; each command keeps its own reference, so a command that
// outlives its transport still has something safe to talk to (a closed Core). Requests hold the
// Core only weakly: a service that keeps a request never keeps a transport alive. The worker thread
// holds a reference for as long as it runs.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "QZTransmit.h"

namespace QZP {
namespace detail {

// One command as the transport sees it. Every field is guarded by Core::mutex.
struct CommandState {
    explicit CommandState(QZCommandSearchHandler* h) : handler(h) {}

    QZCommandSearchHandler* handler;
    bool alive = true;  // false once the command's destructor has begun

    // Cursor: the last query sent and the round its next identical send gets.
    bool hasLast = false;
    SearchQuery last;
    std::size_t nextRound = 0;

    // Requests sent and maybe not yet answered, for OnTimedout.
    std::vector<std::pair<PacketSerialNumber, std::weak_ptr<SearchRequest>>> outstanding;
};

struct Delivery {
    std::shared_ptr<CommandState> command;
    std::function<void(QZCommandSearchHandler&)> call;
};

class Core : public std::enable_shared_from_this<Core> {
public:
    using Clock = std::chrono::steady_clock;

    Core(SearchService& service, const TransportSettings& settings);
    ~Core();

    void Start();
    // Stops the worker and drops what is queued; waits for a running callback and for queries
    // being handed to the service, unless called on the worker itself.
    void Shutdown();

    ConnectionError Send(const std::shared_ptr<CommandState>& command, const SearchQuery& query);
    // A command's destructor: no callback of it starts after this, and one that is running has
    // finished when this returns (unless we are that callback).
    void Unregister(const std::shared_ptr<CommandState>& command);
    // A command was built on this transport; Unregister ends its count.
    void Register();
    std::size_t LiveCommands() const;
    bool CallbackRunning() const;

    // Called by a request with its answer already turned into a delivery: once, and again for a
    // further answer (moveCursor false: the command's next round stays as the first answer left it).
    bool Deliver(const std::shared_ptr<CommandState>& command, const SearchQuery& query,
                 std::size_t round, bool ok, bool empty, bool moveCursor, std::chrono::milliseconds latency,
                 std::function<void(QZCommandSearchHandler&)> call);

    TransportSettings GetSettings() const;
    void SetSettings(const TransportSettings& settings);
    void SetSignedIn(bool signedIn);
    void SetSelfID(std::uint64_t selfId);
    std::uint64_t SelfID() const;

    bool IsWorkerThread() const;
    std::size_t QueuedAnswers() const;
    bool WaitIdle(std::chrono::milliseconds timeout) const;

    // The command's requests still waiting for an answer: the one with this serial, or all.
    std::vector<std::shared_ptr<SearchRequest>> Outstanding(CommandState& command,
                                                            PacketSerialNumber serial, bool all);

private:
    void Run();
    bool DrawFailure();  // mutex held

    SearchService& m_service;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;         // worker: something queued, or stop
    mutable std::condition_variable m_settled;  // a callback ended, a send returned, a drop

    TransportSettings m_settings;
    std::uint64_t m_draws = 0;  // failure draws since the seed was set
    PacketSerialNumber m_nextSerial = 1;
    bool m_closed = false;
    int m_sendsInFlight = 0;
    std::size_t m_liveCommands = 0;

    // Ordered by due time, then by the order of answering, so equal latencies keep FIFO order.
    std::map<std::pair<Clock::time_point, std::uint64_t>, Delivery> m_queue;
    std::uint64_t m_sequence = 0;
    const CommandState* m_running = nullptr;

    std::thread m_worker;
    std::thread::id m_workerId;
};

}  // namespace detail

struct QZTransmit::Impl {
    std::shared_ptr<detail::Core> core;
};

// How the command reaches the Core behind a QZTransmit it was given.
struct TransmitAccess {
    static std::shared_ptr<detail::Core> CoreOf(QZTransmit* transmit) {
        return transmit ? transmit->m_pImpl->core : nullptr;
    }
};

struct SearchRequest::Impl {
    std::weak_ptr<detail::Core> core;
    std::shared_ptr<detail::CommandState> command;
    SearchQuery query;
    std::size_t round = 0;
    TransportSettings settings;
    PacketSerialNumber serial = 0;
    bool failureInjected = false;
    std::mutex answerMutex;  // one answer, even when two threads race to give it
    bool answered = false;
};

}  // namespace QZP
