#include <condition_variable>
#include <mutex>

#include "QZTransmit.h"

namespace QZP {

struct ScriptedService::Impl {
    mutable std::mutex mutex;
    mutable std::condition_variable arrived;
    std::vector<SearchRequestPtr> requests;  // every request, answered or not, in arrival order

    SearchRequestPtr OldestPending() const {
        std::lock_guard<std::mutex> lock(mutex);
        for (const auto& request : requests) {
            if (!request->IsAnswered()) return request;
        }
        return nullptr;
    }
};

ScriptedService::ScriptedService() : m_pImpl(new Impl) {}

// Requests still unanswered fail here if their transport and command are still there.
ScriptedService::~ScriptedService() { delete m_pImpl; }

void ScriptedService::OnQuery(const SearchRequestPtr& request) {
    {
        std::lock_guard<std::mutex> lock(m_pImpl->mutex);
        m_pImpl->requests.push_back(request);
    }
    m_pImpl->arrived.notify_all();
}

std::vector<SearchQuery> ScriptedService::Queries() const {
    std::lock_guard<std::mutex> lock(m_pImpl->mutex);
    std::vector<SearchQuery> queries;
    queries.reserve(m_pImpl->requests.size());
    for (const auto& request : m_pImpl->requests) queries.push_back(request->Query());
    return queries;
}

std::vector<SearchRequestPtr> ScriptedService::Requests() const {
    std::lock_guard<std::mutex> lock(m_pImpl->mutex);
    return m_pImpl->requests;
}

SearchRequestPtr ScriptedService::Request(std::size_t index) const {
    std::lock_guard<std::mutex> lock(m_pImpl->mutex);
    return index < m_pImpl->requests.size() ? m_pImpl->requests[index] : nullptr;
}

std::size_t ScriptedService::QueryCount() const {
    std::lock_guard<std::mutex> lock(m_pImpl->mutex);
    return m_pImpl->requests.size();
}

std::size_t ScriptedService::PendingCount() const {
    std::lock_guard<std::mutex> lock(m_pImpl->mutex);
    std::size_t pending = 0;
    for (const auto& request : m_pImpl->requests) pending += request->IsAnswered() ? 0 : 1;
    return pending;
}

bool ScriptedService::WaitForQueries(std::size_t n, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(m_pImpl->mutex);
    return m_pImpl->arrived.wait_for(lock, timeout, [&] { return m_pImpl->requests.size() >= n; });
}

bool ScriptedService::AnswerUsers(bool ok, const UserInfoSet& batch) {
    auto request = m_pImpl->OldestPending();
    return request && request->AnswerUsers(ok, batch);
}

bool ScriptedService::AnswerZones(bool ok, const ZoneInfoSet& batch) {
    auto request = m_pImpl->OldestPending();
    return request && request->AnswerZones(ok, batch);
}

bool ScriptedService::FailOldest() {
    auto request = m_pImpl->OldestPending();
    return request && request->Fail();
}

}  // namespace QZP
