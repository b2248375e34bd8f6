// Records built for tests and benchmarks: identifiers and texts that follow from the number, so a
// check can name what it expects ("acc12", "昵称12", "商圈7").
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "SearchRecords.h"

inline UserInfo MakeUser(std::uint64_t id, std::wstring account, std::wstring nickname, std::wstring company,
                         std::int32_t state) {
    UserInfo user;
    user.id = id;
    user.account = std::move(account);
    user.nickname = std::move(nickname);
    user.company = std::move(company);
    user.state = state;
    return user;
}

// Account "acc<id>", nickname "昵称<id>" unless given, company "公司<id>"; online unless told.
inline UserInfo MakeUser(std::uint64_t id, std::int32_t state = 4, std::wstring nickname = std::wstring()) {
    const std::wstring n = std::to_wstring(id);
    return MakeUser(id, L"acc" + n, nickname.empty() ? L"昵称" + n : std::move(nickname), L"公司" + n, state);
}

inline ZoneInfo MakeZone(std::uint64_t id, std::wstring name, std::uint16_t industry) {
    ZoneInfo zone;
    zone.id = id;
    zone.name = std::move(name);
    zone.industry = industry;
    zone.sortKey = static_cast<std::int32_t>(id % 7);
    return zone;
}

// Name "商圈<id>", sort key id % 7.
inline ZoneInfo MakeZone(std::uint64_t id, std::uint16_t industry = 0) {
    return MakeZone(id, L"商圈" + std::to_wstring(id), industry);
}

// A zone with its own sort key, for the order the name index keeps.
inline ZoneInfo SortedZone(std::uint64_t id, std::int32_t sortKey, std::wstring name = std::wstring()) {
    ZoneInfo zone = name.empty() ? MakeZone(id) : MakeZone(id, std::move(name), 0);
    zone.sortKey = sortKey;
    return zone;
}

inline UserInfoSet Users(std::uint64_t first, int count) {
    UserInfoSet set;
    for (int i = 0; i < count; ++i)
        set.push_back(MakeUser(first + static_cast<std::uint64_t>(i)));
    return set;
}

inline UserInfoSet Users(std::initializer_list<std::uint64_t> ids) {
    UserInfoSet set;
    for (std::uint64_t id : ids)
        set.push_back(MakeUser(id));
    return set;
}

inline ZoneInfoSet Zones(std::uint64_t first, int count, std::uint16_t industry = 0) {
    ZoneInfoSet set;
    for (int i = 0; i < count; ++i)
        set.push_back(MakeZone(first + static_cast<std::uint64_t>(i), industry));
    return set;
}

inline ZoneInfoSet Zones(std::initializer_list<std::uint64_t> ids) {
    ZoneInfoSet set;
    for (std::uint64_t id : ids)
        set.push_back(MakeZone(id));
    return set;
}

// Identifiers in the order a view of a store walks them.
template <class Range>
std::vector<std::uint64_t> IdsOf(const Range& range) {
    std::vector<std::uint64_t> ids;
    for (const auto& record : range)
        ids.push_back(record.id);
    return ids;
}
