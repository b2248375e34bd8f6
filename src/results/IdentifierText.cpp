#include "IdentifierText.h"

#include <typeinfo>

std::uint64_t IdentifierFromText(const wchar_t* text) {
    // lexical_cast would take the length of a null pointer; report it as unreadable text instead.
    // A minus sign would be taken modulo 2^64: "-1" would name zone 18446744073709551615.
    if (text == nullptr || text[0] == L'-') {
        throw boost::bad_lexical_cast(typeid(const wchar_t*), typeid(std::uint64_t));
    }
    return boost::lexical_cast<std::uint64_t>(text);
}

std::wstring IdentifierToText(std::uint64_t id) {
    return boost::lexical_cast<std::wstring>(id);
}
