// Result records of user and zone searches and the indexed containers that hold them. The protocol
// library hands batches of these to the search command's handler; the search window keeps the very
// same container types as its per-tab stores. Field order and types are shared with the protocol
// library and must not change.
//
// The containers are a binary contract too: their layout is that of the Boost MultiIndex the module
// was built with (its CMake package refuses another Boost version) in its default configuration.
#pragma once

// Both macros change the containers' layout (safe-mode bookkeeping in every container and index;
// ordered-index nodes with an uncompressed colour), so a build with either would read the module's
// batches and stores as garbage.
#if defined(BOOST_MULTI_INDEX_ENABLE_SAFE_MODE) || defined(BOOST_MULTI_INDEX_DISABLE_COMPRESSED_ORDERED_INDEX_NODES)
#  error "SearchRecords.h: the records' containers must be built without BOOST_MULTI_INDEX_ENABLE_SAFE_MODE and BOOST_MULTI_INDEX_DISABLE_COMPRESSED_ORDERED_INDEX_NODES, as the module was"
#endif

// Every record and container is laid out as the module's compiler lays it out by default, also
// where this header is included inside the #pragma pack region of a library's wire structures:
// packing 8 is the default for every member here (nothing is aligned to more), and the includer's
// packing comes back at the end of this file.
#pragma pack(push, 8)

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <type_traits>

#include <boost/multi_index/composite_key.hpp>
#include <boost/multi_index/member.hpp>
#include <boost/multi_index/ordered_index.hpp>
#include <boost/multi_index/sequenced_index.hpp>
#include <boost/multi_index_container.hpp>

#include "CustomPic.h"

struct UserExtInfo {
    std::wstring homeAddress;
    std::wstring homePhone;
    std::wstring qualification;
    std::wstring school;
    std::wstring hobby;
    std::wstring website;
    std::wstring remark;
    std::int32_t flags = 0;
};

// Sixteen bytes copied as one block (a session cookie of the protocol library).
struct UserToken {
    std::uint8_t bytes[16] = {};
};
static_assert(sizeof(UserToken) == 16 && std::is_trivially_copyable_v<UserToken>,
              "the protocol library copies the token as one 16-byte block");

struct UserInfo {
    std::uint64_t id = 0;
    std::wstring account;
    std::wstring nickname;
    std::wstring realName;
    std::wstring company;
    std::int16_t gender = 0;
    std::uint8_t age = 0;
    std::wstring department;
    std::wstring title;
    std::int32_t province = 0;
    std::int32_t city = 0;
    std::wstring phone;
    std::wstring mobile;
    std::wstring fax;
    std::wstring email;
    std::wstring homepage;
    std::wstring address;
    std::wstring postcode;
    std::wstring signature;
    std::wstring introduction;
    std::int32_t birthYear = 0;
    std::int32_t birthMonth = 0;
    std::int32_t birthDay = 0;
    std::int16_t bloodType = 0;
    std::int32_t zodiac = 0;
    std::int32_t occupation = 0;
    std::int32_t education = 0;
    std::int32_t faceId = 0;
    std::int32_t vipLevel = 0;
    std::int32_t credit = 0;
    std::int16_t clientVersion = 0;
    std::int32_t statusFlags = 0;
    std::int16_t port = 0;
    std::int32_t state = 0;  // 2 away, 3 busy, 4 online, anything else offline
    std::int32_t ipAddress = 0;
    std::int32_t lastLogin = 0;
    UserExtInfo extInfo;
    CustomPic picture;
    UserToken token;
    std::int32_t groupId = 0;
    std::uint8_t authMode = 0;
    std::int64_t registerTime = 0;
    std::uint8_t privacy = 0;

    // Display word of the presence state: "离开", "忙碌", "在线" or "离线". Defined here, so that a
    // client and a protocol library have it without linking anything; escaped, so that it reads
    // the same whatever source encoding their compiler assumes.
    std::wstring GetStateText() const {
        switch (state) {
        case 2: return L"\u79bb\u5f00";
        case 3: return L"\u5fd9\u788c";
        case 4: return L"\u5728\u7ebf";
        default: return L"\u79bb\u7ebf";
        }
    }
};

struct ZoneAdmin {
    std::uint64_t userId = 0;
    std::int32_t role = 0;
    bool operator<(const ZoneAdmin& other) const { return userId < other.userId; }
};

struct ZoneInfo {
    std::int32_t type = 0;
    std::wstring name;
    std::wstring description;
    std::wstring notice;
    std::uint64_t id = 0;
    std::set<ZoneAdmin> admins;
    std::uint8_t joinMode = 0;
    std::int32_t sortKey = 0;
    std::uint16_t industry = 0;  // zero-based index into the client's industry list
    std::uint8_t level = 0;
    std::int32_t memberCount = 0;
    std::uint8_t isPublic = 0;
    std::uint8_t allowSearch = 0;
    std::int32_t createTime = 0;
};

namespace search_index {
struct ById {};
struct ByState {};
struct ByStateThenId {};
struct BySortKey {};
}  // namespace search_index

// Index 0 is the arrival order the window works through; index 1 refuses a second record with an
// identifier already present.
using UserInfoSet = boost::multi_index_container<
    UserInfo,
    boost::multi_index::indexed_by<
        boost::multi_index::sequenced<>,
        boost::multi_index::ordered_unique<
            boost::multi_index::tag<search_index::ById>,
            boost::multi_index::member<UserInfo, std::uint64_t, &UserInfo::id>,
            std::less<std::uint64_t>>,
        boost::multi_index::ordered_non_unique<
            boost::multi_index::tag<search_index::ByState>,
            boost::multi_index::member<UserInfo, std::int32_t, &UserInfo::state>,
            std::less<std::int32_t>>,
        boost::multi_index::ordered_unique<
            boost::multi_index::tag<search_index::ByStateThenId>,
            boost::multi_index::composite_key<
                UserInfo,
                boost::multi_index::member<UserInfo, std::int32_t, &UserInfo::state>,
                boost::multi_index::member<UserInfo, std::uint64_t, &UserInfo::id>>,
            boost::multi_index::composite_key_compare<std::greater<std::int32_t>,
                                                      std::less<std::uint64_t>>>>>;

using ZoneInfoSet = boost::multi_index_container<
    ZoneInfo,
    boost::multi_index::indexed_by<
        boost::multi_index::sequenced<>,
        boost::multi_index::ordered_unique<
            boost::multi_index::tag<search_index::ById>,
            boost::multi_index::member<ZoneInfo, std::uint64_t, &ZoneInfo::id>,
            std::less<std::uint64_t>>,
        boost::multi_index::ordered_non_unique<
            boost::multi_index::tag<search_index::BySortKey>,
            boost::multi_index::member<ZoneInfo, std::int32_t, &ZoneInfo::sortKey>,
            std::less<std::int32_t>>>>;

#pragma pack(pop)
