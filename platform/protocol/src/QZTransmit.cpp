#include "TransportCore.h"

#include <algorithm>
#include <type_traits>

namespace QZP {
namespace detail {

namespace {

std::uint64_t SplitMix64(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Keeps a count balanced even when the service throws out of OnQuery.
class SendScope {
public:
    SendScope(std::mutex& mutex, std::condition_variable& settled, int& count)
        : m_mutex(mutex), m_settled(settled), m_count(count) {}
    ~SendScope() {
        std::lock_guard<std::mutex> lock(m_mutex);
        --m_count;
        m_settled.notify_all();
    }

private:
    std::mutex& m_mutex;
    std::condition_variable& m_settled;
    int& m_count;
};

}  // namespace

Core::Core(SearchService& service, const TransportSettings& settings)
    : m_service(service), m_settings(settings) {}

Core::~Core() {
    // Shutdown has joined or detached the worker; nothing is left to stop here.
}

void Core::Start() {
    std::shared_ptr<Core> self = shared_from_this();
    // The worker takes the mutex before reading anything, so the id below is written before it
    // could look at it.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_worker = std::thread([self] { self->Run(); });
    m_workerId = m_worker.get_id();
}

void Core::Shutdown() {
    decltype(m_queue) dropped;  // destroyed after the lock is released
    std::thread worker;
    bool onWorker = false;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_closed = true;
        dropped.swap(m_queue);
        m_wake.notify_all();
        m_settled.notify_all();
        onWorker = std::this_thread::get_id() == m_workerId;
        // The service may be destroyed right after the transport: no query may still be inside
        // OnQuery. (On the worker we cannot wait: a send there would be our own caller.)
        if (!onWorker) {
            m_settled.wait(lock, [this] { return m_sendsInFlight == 0; });
        }
        worker = std::move(m_worker);
    }
    if (worker.joinable()) {
        // Joining also waits for the callback that is running. From inside a callback the worker
        // finishes that callback, sees m_closed and ends on its own, holding its own reference.
        if (onWorker) {
            worker.detach();
        } else {
            worker.join();
        }
    }
}

bool Core::DrawFailure() {
    const std::uint64_t draw = m_draws++;
    const double rate = m_settings.failureRate;
    if (rate <= 0.0) return false;
    if (rate >= 1.0) return true;
    const std::uint64_t bits =
        SplitMix64((static_cast<std::uint64_t>(m_settings.seed) << 32) ^ SplitMix64(draw));
    const double u = static_cast<double>(bits >> 11) * (1.0 / 9007199254740992.0);  // [0, 1)
    return u < rate;
}

ConnectionError Core::Send(const std::shared_ptr<CommandState>& command, const SearchQuery& query) {
    std::shared_ptr<SearchRequest> request;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_closed) return CE_DISCONNECTED;
        if (!m_settings.signedIn) return CE_NOT_SIGNED_IN;

        const std::size_t round =
            (command->hasLast && command->last == query) ? command->nextRound : 0;
        command->hasLast = true;
        command->last = query;
        command->nextRound = round + 1;

        auto impl = std::make_unique<SearchRequest::Impl>();
        impl->core = shared_from_this();
        impl->command = command;
        impl->query = query;
        impl->round = round;
        impl->settings = m_settings;
        impl->serial = m_nextSerial++;
        impl->failureInjected = DrawFailure();
        const PacketSerialNumber serial = impl->serial;
        request = std::make_shared<SearchRequest>(impl.get());
        impl.release();  // owned by the request now

        auto& outstanding = command->outstanding;
        outstanding.erase(std::remove_if(outstanding.begin(), outstanding.end(),
                                         [](const auto& entry) { return entry.second.expired(); }),
                          outstanding.end());
        outstanding.emplace_back(serial, request);
        ++m_sendsInFlight;
    }
    SendScope scope(m_mutex, m_settled, m_sendsInFlight);
    m_service.OnQuery(request);
    // If the service neither answered nor kept the request, dropping it here fails the query.
    request.reset();
    return CE_OK;
}

void Core::Unregister(const std::shared_ptr<CommandState>& command) {
    std::vector<Delivery> dropped;  // batches are freed after the lock is released
    std::unique_lock<std::mutex> lock(m_mutex);
    if (command->alive)
        --m_liveCommands;
    command->alive = false;
    for (auto it = m_queue.begin(); it != m_queue.end();) {
        if (it->second.command == command) {
            dropped.push_back(std::move(it->second));
            it = m_queue.erase(it);
        } else {
            ++it;
        }
    }
    m_settled.notify_all();
    // On the worker thread nothing else can be running: either this is the command's own callback
    // (it deletes its command, and we must not wait for ourselves) or another command's.
    if (std::this_thread::get_id() != m_workerId) {
        m_settled.wait(lock, [&] { return m_running != command.get(); });
    }
}

bool Core::Deliver(const std::shared_ptr<CommandState>& command, const SearchQuery& query,
                   std::size_t round, bool ok, bool empty, bool moveCursor, std::chrono::milliseconds latency,
                   std::function<void(QZCommandSearchHandler&)> call) {
    std::lock_guard<std::mutex> lock(m_mutex);
    // The cursor moves on only over batches that arrived: a failed round is sent again, and once
    // a query has run past its last record the next identical send starts it over. Only the
    // latest send of the query may move it back; a later identical send has already moved on.
    if (moveCursor && command->hasLast && command->last == query && command->nextRound == round + 1) {
        if (!ok) {
            command->nextRound = round;
        } else if (empty) {
            command->nextRound = 0;
        }
    }
    if (m_closed || !command->alive || command->handler == nullptr) return false;
    const auto due = Clock::now() + std::max(latency, std::chrono::milliseconds(0));
    m_queue.emplace(std::make_pair(due, m_sequence++), Delivery{command, std::move(call)});
    m_wake.notify_one();
    return true;
}

void Core::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_closed) {
        if (m_queue.empty()) {
            m_wake.wait(lock);
            continue;
        }
        auto first = m_queue.begin();
        // A copy: wait_until reads its deadline again after waking, and by then a command's
        // destructor may have erased the node it came from.
        const Clock::time_point due = first->first.first;
        if (due > Clock::now()) {
            m_wake.wait_until(lock, due);
            continue;
        }
        Delivery delivery = std::move(first->second);
        m_queue.erase(first);
        if (!delivery.command->alive) {
            // Unregister removes its queued answers, so this is only a race with its start.
            lock.unlock();
            delivery = Delivery{};
            lock.lock();
            m_settled.notify_all();
            continue;
        }
        // From here until m_running is cleared, the command's destructor waits for us (unless it
        // runs inside this very callback).
        m_running = delivery.command.get();
        QZCommandSearchHandler* handler = delivery.command->handler;
        lock.unlock();
        delivery.call(*handler);
        delivery = Delivery{};
        lock.lock();
        m_running = nullptr;
        m_settled.notify_all();
    }
}

TransportSettings Core::GetSettings() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_settings;
}

void Core::SetSettings(const TransportSettings& settings) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_settings = settings;
    m_draws = 0;
}

void Core::SetSignedIn(bool signedIn) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_settings.signedIn = signedIn;
}

void Core::SetSelfID(std::uint64_t selfId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_settings.selfId = selfId;
}

std::uint64_t Core::SelfID() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_settings.selfId;
}

bool Core::IsWorkerThread() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::this_thread::get_id() == m_workerId;
}

std::size_t Core::QueuedAnswers() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue.size();
}

bool Core::CallbackRunning() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_running != nullptr;
}

void Core::Register() {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_liveCommands;
}

std::size_t Core::LiveCommands() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_liveCommands;
}

bool Core::WaitIdle(std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_settled.wait_for(lock, timeout,
                              [this] { return m_queue.empty() && m_running == nullptr; });
}

std::vector<std::shared_ptr<SearchRequest>> Core::Outstanding(CommandState& command,
                                                              PacketSerialNumber serial, bool all) {
    std::vector<std::shared_ptr<SearchRequest>> found;
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& entry : command.outstanding) {
        if (!all && entry.first != serial) continue;
        // Every pointer made here leaves in `found`: dropping the last reference to an unanswered
        // request under the lock would fail it, and failing takes this lock again.
        // (Whether it was answered is asked later, outside: that takes the request's own lock,
        // which an answer holds while it takes this one.)
        if (auto request = entry.second.lock()) found.push_back(std::move(request));
    }
    return found;
}

}  // namespace detail

// ---- SearchRequest --------------------------------------------------------------------------

namespace {

// The first answer of a request, or (again) a further one, which leaves the command's cursor alone.
bool Settle(SearchRequest::Impl& impl, bool ok, bool empty, bool again,
            std::function<void(QZCommandSearchHandler&)> call) {
    std::lock_guard<std::mutex> lock(impl.answerMutex);
    if (impl.answered != again) return false;
    impl.answered = true;
    auto core = impl.core.lock();
    if (!core) return false;
    return core->Deliver(impl.command, impl.query, impl.round, ok, empty, !again, impl.settings.latency,
                         std::move(call));
}

template <class Set>
bool Answer(SearchRequest::Impl& impl, bool ok, const Set& batch, bool again) {
    if (impl.query.IsUserQuery() != std::is_same<Set, UserInfoSet>::value) return false;
    ok = ok && (again || !impl.failureInjected);
    // The handler gets its own copy, which lives until the callback has returned.
    auto copy = std::make_shared<const Set>(ok ? batch : Set());
    const bool empty = copy->empty();
    return Settle(impl, ok, empty, again, [ok, copy](QZCommandSearchHandler& handler) {
        if constexpr (std::is_same<Set, UserInfoSet>::value)
            handler.OnSearchUserResult(ok, *copy);
        else
            handler.OnSearchZoneResult(ok, *copy);
    });
}

}  // namespace

SearchRequest::SearchRequest(Impl* impl) : m_pImpl(impl) {}

SearchRequest::~SearchRequest() {
    // Nobody answered: the query fails rather than leaving its window busy for good.
    Fail();
    delete m_pImpl;
}

const SearchQuery& SearchRequest::Query() const { return m_pImpl->query; }
std::size_t SearchRequest::Round() const { return m_pImpl->round; }
const TransportSettings& SearchRequest::Settings() const { return m_pImpl->settings; }
PacketSerialNumber SearchRequest::Serial() const { return m_pImpl->serial; }
bool SearchRequest::FailureInjected() const { return m_pImpl->failureInjected; }

bool SearchRequest::IsAnswered() const {
    std::lock_guard<std::mutex> lock(m_pImpl->answerMutex);
    return m_pImpl->answered;
}

bool SearchRequest::AnswerUsers(bool ok, const UserInfoSet& batch) { return Answer(*m_pImpl, ok, batch, false); }
bool SearchRequest::AnswerZones(bool ok, const ZoneInfoSet& batch) { return Answer(*m_pImpl, ok, batch, false); }
bool SearchRequest::AnswerUsersAgain(bool ok, const UserInfoSet& batch) { return Answer(*m_pImpl, ok, batch, true); }
bool SearchRequest::AnswerZonesAgain(bool ok, const ZoneInfoSet& batch) { return Answer(*m_pImpl, ok, batch, true); }

bool SearchRequest::Fail() {
    if (IsAnswered()) return false;
    return m_pImpl->query.IsUserQuery() ? AnswerUsers(false, UserInfoSet())
                                        : AnswerZones(false, ZoneInfoSet());
}

// ---- SearchService, QZTransmit --------------------------------------------------------------

SearchService::~SearchService() = default;

QZTransmit::QZTransmit(SearchService& service, TransportSettings settings)
    : m_pImpl(new Impl{std::make_shared<detail::Core>(service, settings)}) {
    m_pImpl->core->Start();
}

QZTransmit::~QZTransmit() {
    m_pImpl->core->Shutdown();
    delete m_pImpl;
}

TransportSettings QZTransmit::GetSettings() const { return m_pImpl->core->GetSettings(); }
void QZTransmit::SetSettings(const TransportSettings& settings) { m_pImpl->core->SetSettings(settings); }
void QZTransmit::SetSignedIn(bool signedIn) { m_pImpl->core->SetSignedIn(signedIn); }
void QZTransmit::SetSelfID(std::uint64_t selfId) { m_pImpl->core->SetSelfID(selfId); }
bool QZTransmit::IsWorkerThread() const { return m_pImpl->core->IsWorkerThread(); }
std::size_t QZTransmit::QueuedAnswers() const { return m_pImpl->core->QueuedAnswers(); }
bool QZTransmit::CallbackRunning() const { return m_pImpl->core->CallbackRunning(); }
std::size_t QZTransmit::LiveCommands() const { return m_pImpl->core->LiveCommands(); }
bool QZTransmit::WaitIdle(std::chrono::milliseconds timeout) const {
    return m_pImpl->core->WaitIdle(timeout);
}

}  // namespace QZP
