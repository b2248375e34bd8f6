// Small record factories shared by the store tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SearchRecords.h"

inline UserInfo MakeUser(std::uint64_t id, std::int32_t state = 0, std::wstring nickname = L"") {
    UserInfo user;
    user.id = id;
    user.state = state;
    user.account = L"acct" + std::to_wstring(id);
    user.nickname = nickname.empty() ? L"用户" + std::to_wstring(id) : std::move(nickname);
    return user;
}

inline ZoneInfo MakeZone(std::uint64_t id, std::int32_t sortKey = 0, std::wstring name = L"") {
    ZoneInfo zone;
    zone.id = id;
    zone.sortKey = sortKey;
    zone.name = name.empty() ? L"商圈" + std::to_wstring(id) : std::move(name);
    return zone;
}

// Identifiers in the order a view of a store walks them.
template <class Range>
std::vector<std::uint64_t> IdsOf(const Range& range) {
    std::vector<std::uint64_t> ids;
    for (const auto& record : range) {
        ids.push_back(record.id);
    }
    return ids;
}
