#include <algorithm>
#include <limits>
#include <mutex>

#include "QZTransmit.h"

namespace QZP {

struct DirectoryService::Impl {
    mutable std::mutex mutex;
    UserInfoSet users;  // arrival order is the order of every answer
    ZoneInfoSet zones;
};

namespace {

bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

bool UserMatches(const SearchQuery& query, const UserInfo& user) {
    switch (query.kind) {
    case SearchQuery::Kind::OnlineUsers: return user.state >= 2 && user.state <= 4;
    case SearchQuery::Kind::UsersByCompany: return Contains(user.company, query.text);
    case SearchQuery::Kind::UsersByEID: return user.account == query.text;
    case SearchQuery::Kind::UsersByNick: return Contains(user.nickname, query.text);
    default: return false;
    }
}

bool ZoneMatches(const SearchQuery& query, const ZoneInfo& zone) {
    switch (query.kind) {
    case SearchQuery::Kind::ZoneByID: return zone.id == query.zoneId;
    case SearchQuery::Kind::Zone:
        return (query.industry == 0xFFFF || zone.industry == query.industry) &&
               Contains(zone.name, query.text);
    default: return false;
    }
}

// Matches number `first` to `first + count - 1` of `records`, in their order.
template <typename Set, typename Match>
Set Slice(const Set& records, Match matches, std::size_t first, std::size_t count) {
    Set batch;
    std::size_t seen = 0;
    for (const auto& record : records) {
        if (batch.size() == count) break;
        if (!matches(record)) continue;
        if (seen++ >= first) batch.push_back(record);
    }
    return batch;
}

}  // namespace

DirectoryService::DirectoryService() : m_pImpl(new Impl) {}

DirectoryService::DirectoryService(const std::vector<UserInfo>& users,
                                   const std::vector<ZoneInfo>& zones)
    : m_pImpl(new Impl) {
    for (const auto& user : users) m_pImpl->users.push_back(user);
    for (const auto& zone : zones) m_pImpl->zones.push_back(zone);
}

DirectoryService::~DirectoryService() { delete m_pImpl; }

bool DirectoryService::AddUser(const UserInfo& user) {
    std::lock_guard<std::mutex> lock(m_pImpl->mutex);
    return m_pImpl->users.push_back(user).second;
}

bool DirectoryService::AddZone(const ZoneInfo& zone) {
    std::lock_guard<std::mutex> lock(m_pImpl->mutex);
    return m_pImpl->zones.push_back(zone).second;
}

std::size_t DirectoryService::UserCount() const {
    std::lock_guard<std::mutex> lock(m_pImpl->mutex);
    return m_pImpl->users.size();
}

std::size_t DirectoryService::ZoneCount() const {
    std::lock_guard<std::mutex> lock(m_pImpl->mutex);
    return m_pImpl->zones.size();
}

UserInfoSet DirectoryService::MatchUsers(const SearchQuery& query) const {
    const auto all = std::numeric_limits<std::size_t>::max();
    std::lock_guard<std::mutex> lock(m_pImpl->mutex);
    return Slice(m_pImpl->users, [&](const UserInfo& u) { return UserMatches(query, u); }, 0, all);
}

ZoneInfoSet DirectoryService::MatchZones(const SearchQuery& query) const {
    const auto all = std::numeric_limits<std::size_t>::max();
    std::lock_guard<std::mutex> lock(m_pImpl->mutex);
    return Slice(m_pImpl->zones, [&](const ZoneInfo& z) { return ZoneMatches(query, z); }, 0, all);
}

void DirectoryService::OnQuery(const SearchRequestPtr& request) {
    // The answer would be thrown away for a failure: skip the search.
    if (request->FailureInjected()) {
        request->Fail();
        return;
    }
    const TransportSettings& settings = request->Settings();
    const std::size_t size = std::max<std::size_t>(settings.batchSize, 1);
    // An overlap of a whole batch would never move on.
    const std::size_t step = size - std::min(settings.overlap, size - 1);
    const std::size_t round = request->Round();
    const std::size_t first = round > std::numeric_limits<std::size_t>::max() / step
                                  ? std::numeric_limits<std::size_t>::max()
                                  : round * step;
    const SearchQuery& query = request->Query();

    // The answer is given outside our lock: it copies the batch and wakes the transport.
    if (query.IsUserQuery()) {
        UserInfoSet batch;
        {
            std::lock_guard<std::mutex> lock(m_pImpl->mutex);
            batch = Slice(m_pImpl->users, [&](const UserInfo& u) { return UserMatches(query, u); },
                          first, size);
        }
        request->AnswerUsers(true, batch);
    } else {
        ZoneInfoSet batch;
        {
            std::lock_guard<std::mutex> lock(m_pImpl->mutex);
            batch = Slice(m_pImpl->zones, [&](const ZoneInfo& z) { return ZoneMatches(query, z); },
                          first, size);
        }
        request->AnswerZones(true, batch);
    }
}

}  // namespace QZP
