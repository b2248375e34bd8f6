#include "IdentifierText.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <typeinfo>

namespace {
constexpr std::uint32_t kLastCodePoint = 0x10FFFF;
// A code unit as a number: wchar_t is unsigned 16 bits on Windows, signed 32 bits elsewhere.
std::uint32_t CodeUnit(wchar_t c) { return static_cast<std::uint32_t>(c); }
}  // namespace

std::uint64_t IdentifierFromText(const wchar_t* text) {
    // lexical_cast would take the length of a null pointer; report it as unreadable text instead.
    // A minus sign would be taken modulo 2^64: "-1" would name zone 18446744073709551615.
    // The conversion takes each character's distance from '0' before it checks that the character
    // is a digit; where wchar_t is a signed 32-bit type (not on Windows) a value that is no
    // character at all, far below '0', overflows there. None is a digit, so it is refused first.
    if (text == nullptr || text[0] == L'-' ||
        std::any_of(text, text + std::wcslen(text), [](wchar_t c) { return CodeUnit(c) > kLastCodePoint; })) {
        throw boost::bad_lexical_cast(typeid(const wchar_t*), typeid(std::uint64_t));
    }
    return boost::lexical_cast<std::uint64_t>(text);
}

std::wstring IdentifierToText(std::uint64_t id) {
    return boost::lexical_cast<std::wstring>(id);
}
