// The record layouts that the module shares with the protocol library: every field in its
// declared order with its declared type, and, on Windows, the widths and alignments that a client's
// protocol library built by another Windows compiler gives the same declaration. A record that the
// two sides lay out differently is read as garbage without any error, so this is checked on every
// architecture the module is built for.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "SearchRecords.h"

namespace {

struct Field {
    const char* name;
    std::size_t offset;
    std::size_t size;
    std::size_t align;
    bool declaredType;  // the member has exactly the type of the shared declaration
};

// The offset of a member, measured on an object: the records hold strings, so they are not
// standard-layout and offsetof is not guaranteed for them.
template <class Record, class Member>
std::size_t OffsetOf(Member Record::*member) {
    static const Record probe{};
    return static_cast<std::size_t>(reinterpret_cast<const char*>(&(probe.*member)) -
                                    reinterpret_cast<const char*>(&probe));
}

template <class Declared, class Record, class Member>
Field Describe(const char* name, Member Record::*member) {
    return {name, OffsetOf(member), sizeof(Member), alignof(Member),
            std::is_same_v<Member, Declared>};
}

#define FIELD(Record, member, Type) Describe<Type>(#member, &Record::member)

using WString = std::wstring;

std::vector<Field> UserFields() {
    return {
        FIELD(UserInfo, id, std::uint64_t),
        FIELD(UserInfo, account, WString),
        FIELD(UserInfo, nickname, WString),
        FIELD(UserInfo, realName, WString),
        FIELD(UserInfo, company, WString),
        FIELD(UserInfo, gender, std::int16_t),
        FIELD(UserInfo, age, std::uint8_t),
        FIELD(UserInfo, department, WString),
        FIELD(UserInfo, title, WString),
        FIELD(UserInfo, province, std::int32_t),
        FIELD(UserInfo, city, std::int32_t),
        FIELD(UserInfo, phone, WString),
        FIELD(UserInfo, mobile, WString),
        FIELD(UserInfo, fax, WString),
        FIELD(UserInfo, email, WString),
        FIELD(UserInfo, homepage, WString),
        FIELD(UserInfo, address, WString),
        FIELD(UserInfo, postcode, WString),
        FIELD(UserInfo, signature, WString),
        FIELD(UserInfo, introduction, WString),
        FIELD(UserInfo, birthYear, std::int32_t),
        FIELD(UserInfo, birthMonth, std::int32_t),
        FIELD(UserInfo, birthDay, std::int32_t),
        FIELD(UserInfo, bloodType, std::int16_t),
        FIELD(UserInfo, zodiac, std::int32_t),
        FIELD(UserInfo, occupation, std::int32_t),
        FIELD(UserInfo, education, std::int32_t),
        FIELD(UserInfo, faceId, std::int32_t),
        FIELD(UserInfo, vipLevel, std::int32_t),
        FIELD(UserInfo, credit, std::int32_t),
        FIELD(UserInfo, clientVersion, std::int16_t),
        FIELD(UserInfo, statusFlags, std::int32_t),
        FIELD(UserInfo, port, std::int16_t),
        FIELD(UserInfo, state, std::int32_t),
        FIELD(UserInfo, ipAddress, std::int32_t),
        FIELD(UserInfo, lastLogin, std::int32_t),
        FIELD(UserInfo, extInfo, UserExtInfo),
        FIELD(UserInfo, picture, CustomPic),
        FIELD(UserInfo, token, UserToken),
        FIELD(UserInfo, groupId, std::int32_t),
        FIELD(UserInfo, authMode, std::uint8_t),
        FIELD(UserInfo, registerTime, std::int64_t),
        FIELD(UserInfo, privacy, std::uint8_t),
    };
}

std::vector<Field> ExtFields() {
    return {
        FIELD(UserExtInfo, homeAddress, WString),
        FIELD(UserExtInfo, homePhone, WString),
        FIELD(UserExtInfo, qualification, WString),
        FIELD(UserExtInfo, school, WString),
        FIELD(UserExtInfo, hobby, WString),
        FIELD(UserExtInfo, website, WString),
        FIELD(UserExtInfo, remark, WString),
        FIELD(UserExtInfo, flags, std::int32_t),
    };
}

std::vector<Field> ZoneFields() {
    return {
        FIELD(ZoneInfo, type, std::int32_t),
        FIELD(ZoneInfo, name, WString),
        FIELD(ZoneInfo, description, WString),
        FIELD(ZoneInfo, notice, WString),
        FIELD(ZoneInfo, id, std::uint64_t),
        FIELD(ZoneInfo, admins, std::set<ZoneAdmin>),
        FIELD(ZoneInfo, joinMode, std::uint8_t),
        FIELD(ZoneInfo, sortKey, std::int32_t),
        FIELD(ZoneInfo, industry, std::uint16_t),
        FIELD(ZoneInfo, level, std::uint8_t),
        FIELD(ZoneInfo, memberCount, std::int32_t),
        FIELD(ZoneInfo, isPublic, std::uint8_t),
        FIELD(ZoneInfo, allowSearch, std::uint8_t),
        FIELD(ZoneInfo, createTime, std::int32_t),
    };
}

#undef FIELD

// Every field has its declared type, follows the one before it without overlapping it, and the
// last one ends inside the record.
void ExpectDeclaredLayout(const char* record, std::size_t recordSize,
                          const std::vector<Field>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Field& f = fields[i];
        EXPECT_TRUE(f.declaredType) << record << "::" << f.name << " has another type";
        EXPECT_EQ(f.offset % f.align, 0u) << record << "::" << f.name << " at " << f.offset;
        if (i > 0) {
            const Field& prev = fields[i - 1];
            EXPECT_GE(f.offset, prev.offset + prev.size)
                << record << "::" << f.name << " at " << f.offset << " does not follow "
                << prev.name << " at " << prev.offset << " (" << prev.size << " bytes)";
        }
    }
    ASSERT_FALSE(fields.empty());
    EXPECT_LE(fields.back().offset + fields.back().size, recordSize) << record;
}

}  // namespace

TEST(RecordLayoutTest, FieldsInDeclaredOrderWithDeclaredTypes) {
    const struct {
        const char* record;
        std::size_t size;
        std::vector<Field> fields;
        std::size_t count;
    } records[] = {
        {"UserInfo", sizeof(UserInfo), UserFields(), 43},
        {"UserExtInfo", sizeof(UserExtInfo), ExtFields(), 8},
        {"ZoneInfo", sizeof(ZoneInfo), ZoneFields(), 14},
    };
    for (const auto& r : records) {
        EXPECT_EQ(r.fields.size(), r.count) << r.record;
        ExpectDeclaredLayout(r.record, r.size, r.fields);
    }
}

TEST(RecordLayoutTest, TokenIsOnePlainSixteenByteBlock) {
    EXPECT_EQ(sizeof(UserToken), 16u);
    EXPECT_EQ(alignof(UserToken), 1u);
    EXPECT_TRUE(std::is_trivially_copyable_v<UserToken>);
}

#if defined(_WIN32)
// What a Windows compiler of the client's protocol library does with the same declaration, on
// 32-bit as on 64-bit Windows: UTF-16 text, and 64-bit integers aligned to 8 bytes inside a record
// (a 32-bit Unix compiler would align them to 4 and move every field after them).
TEST(RecordLayoutTest, WindowsWidthsAndAlignments) {
    EXPECT_EQ(sizeof(wchar_t), 2u);
    EXPECT_EQ(alignof(std::uint64_t), 8u);
    EXPECT_EQ(alignof(std::int64_t), 8u);
    EXPECT_EQ(alignof(UserInfo), 8u);
    EXPECT_EQ(alignof(ZoneInfo), 8u);

    const struct { const char* name; std::size_t offset; } wide[] = {
        {"UserInfo::id", OffsetOf(&UserInfo::id)},
        {"UserInfo::registerTime", OffsetOf(&UserInfo::registerTime)},
        {"ZoneInfo::id", OffsetOf(&ZoneInfo::id)},
    };
    for (const auto& w : wide) {
        EXPECT_EQ(w.offset % 8, 0u) << w.name << " at " << w.offset;
    }
    // ZoneInfo: type (4 bytes) then three strings; the identifier after them starts on 8 bytes,
    // padding included, whatever the strings' size on this architecture.
    const std::size_t afterStrings = OffsetOf(&ZoneInfo::notice) + sizeof(std::wstring);
    EXPECT_EQ(OffsetOf(&ZoneInfo::id), (afterStrings + 7) / 8 * 8);
}
#endif
