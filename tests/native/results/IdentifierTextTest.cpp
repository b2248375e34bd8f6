#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "IdentifierText.h"

namespace {

constexpr std::uint64_t kMaxId = std::numeric_limits<std::uint64_t>::max();

// Narrow copy of a test input for failure messages; the inputs are ASCII apart from the
// full-width digits, which only need to be recognisable.
std::string Printable(const wchar_t* text) {
    std::string out;
    for (; *text; ++text) {
        out += (*text < 0x80) ? static_cast<char>(*text) : '?';
    }
    return "\"" + out + "\"";
}

TEST(IdentifierFromText, ReadsPlainDecimalNumbers) {
    const struct {
        const wchar_t* text;
        std::uint64_t id;
    } cases[] = {
        {L"123", 123},
        {L"0", 0},
        {L"7", 7},
        {L"18446744073709551615", kMaxId},
        {L"18446744073709551614", kMaxId - 1},
        {L"4294967296", 4294967296ull},
        {L"007", 7},
        {L"00000000000000000000000000042", 42},
        // Boost's rules for an unsigned target accept a plus sign.
        {L"+5", 5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IdentifierFromText(c.text), c.id) << Printable(c.text);
    }
}

// Values that are no character (where wchar_t is 32 bits wide) are refused like any other
// non-digit, wherever they stand. On Windows the same values are cut to 16 bits and become a
// control character, a noncharacter or a letter, never NUL or a digit.
TEST(IdentifierFromText, RefusesValuesThatAreNoCharacter) {
    for (const std::uint32_t raw : {0x80000001u, 0xFFFFFFFFu, 0x80000041u, 0x110041u}) {
        const wchar_t odd = static_cast<wchar_t>(raw);
        for (const std::wstring& text : {std::wstring(1, odd), std::wstring(1, odd) + L"1",
                                         L"1" + std::wstring(1, odd), L"00" + std::wstring(1, odd) + L"7"}) {
            EXPECT_EQ(IdentifierFromText(text.c_str()), std::nullopt) << std::hex << raw;
        }
    }
}

TEST(IdentifierFromText, RefusesAnythingButOneNumber) {
    const wchar_t* const cases[] = {
        L"", L" 123", L"123 ", L"\t123", L"123\n", L"12a", L"a12", L"1.5", L"1,000", L"1 000", L"0x10",
        L"1e3", L"+", L"-", L"+-1", L"--1",
        // A minus sign would wrap modulo 2^64 under Boost's rules: never an identifier.
        L"-0", L"-1", L"-18446744073709551615", L"-00",
        L"１２３",  // full-width digits
        L"18446744073709551616", L"99999999999999999999", L"-18446744073709551616",
        L"123456789012345678901234567890",
    };
    for (const wchar_t* text : cases)
        EXPECT_EQ(IdentifierFromText(text), std::nullopt) << Printable(text);
    EXPECT_EQ(IdentifierFromText(nullptr), std::nullopt) << "no text at all";
}

TEST(IdentifierToText, WritesPlainDigits) {
    const struct {
        std::uint64_t id;
        const wchar_t* text;
    } cases[] = {
        {0, L"0"},
        {9, L"9"},
        {10, L"10"},
        {1234567, L"1234567"},
        {4294967295ull, L"4294967295"},
        {1ull << 63, L"9223372036854775808"},
        {kMaxId, L"18446744073709551615"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IdentifierToText(c.id), c.text) << c.id;
    }
}

TEST(IdentifierText, RoundTripKeepsTheIdentifier) {
    for (std::uint64_t id = 1; id < kMaxId / 3; id = id * 3 + 1) {
        const std::wstring text = IdentifierToText(id);
        EXPECT_EQ(IdentifierFromText(text.c_str()), id);
    }
    for (std::uint64_t id : {std::uint64_t{0}, kMaxId, kMaxId - 1, std::uint64_t{1} << 63}) {
        EXPECT_EQ(IdentifierFromText(IdentifierToText(id).c_str()), id) << id;
    }
}

}  // namespace
