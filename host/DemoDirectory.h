// The people and zones behind the demo's transport: a few hundred users and over a hundred zones,
// made from a fixed seed so every run (and every tour) sees the same directory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SearchRecords.h"

class DemoDirectory {
public:
    explicit DemoDirectory(std::uint32_t seed = 20240917);

    const std::vector<UserInfo>& Users() const { return m_users; }
    const std::vector<ZoneInfo>& Zones() const { return m_zones; }
    const std::vector<std::wstring>& Industries() const { return m_industries; }

    // The signed-in user of the demo: one of the directory's users.
    std::uint64_t SelfId() const { return m_selfId; }
    // Friends and zone memberships the signed-in user starts with.
    const std::vector<std::uint64_t>& InitialFriends() const { return m_initialFriends; }
    const std::vector<std::uint64_t>& InitialZones() const { return m_initialZones; }

    const UserInfo* FindUser(std::uint64_t id) const;
    const ZoneInfo* FindZone(std::uint64_t id) const;

    // Matches in directory order, by the same rules the directory service answers with: nickname
    // as a substring; zone name as a substring and, unless it is 0xFFFF, the industry code.
    std::vector<const UserInfo*> UsersByNick(const std::wstring& text) const;
    std::vector<const ZoneInfo*> ZonesByName(const std::wstring& name, std::uint16_t industry) const;

    // The nickname fragment the signed-in user's own nickname shares with many others.
    static const wchar_t* CommonNickFragment() { return L"小"; }

private:
    std::vector<UserInfo> m_users;
    std::vector<ZoneInfo> m_zones;
    std::vector<std::wstring> m_industries;
    std::uint64_t m_selfId = 0;
    std::vector<std::uint64_t> m_initialFriends;
    std::vector<std::uint64_t> m_initialZones;
};
