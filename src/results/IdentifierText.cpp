#include "IdentifierText.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

#include <boost/lexical_cast.hpp>
#include <boost/lexical_cast/try_lexical_convert.hpp>

namespace {
constexpr std::uint32_t kLastCodePoint = 0x10FFFF;
// A code unit as a number: wchar_t is unsigned 16 bits on Windows, signed 32 bits elsewhere.
std::uint32_t CodeUnit(wchar_t c) { return static_cast<std::uint32_t>(c); }
}  // namespace

std::optional<std::uint64_t> IdentifierFromText(const wchar_t* text) {
    // lexical_cast would take the length of a null pointer; report it as unreadable text instead.
    // A minus sign would be taken modulo 2^64: "-1" would name zone 18446744073709551615.
    // The conversion takes each character's distance from '0' before it checks that the character
    // is a digit; where wchar_t is a signed 32-bit type (not on Windows) a value that is no
    // character at all, far below '0', overflows there. None is a digit, so it is refused first.
    if (text == nullptr || text[0] == L'-' ||
        std::any_of(text, text + std::wcslen(text), [](wchar_t c) { return CodeUnit(c) > kLastCodePoint; })) {
        return std::nullopt;
    }
    // The non-throwing form of the same conversion: the same rules, reported by its result.
    std::uint64_t id = 0;
    if (!boost::conversion::try_lexical_convert(text, id))
        return std::nullopt;
    return id;
}

std::wstring IdentifierToText(std::uint64_t id) {
    return boost::lexical_cast<std::wstring>(id);
}
