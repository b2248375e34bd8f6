// Decimal text of user and zone identifiers: the zone-ID edit is read through IdentifierFromText,
// and the zone list's "ID" column is written through IdentifierToText.
#pragma once

#include <cstdint>
#include <string>

#include <boost/lexical_cast.hpp>

// The identifier written in `text`: decimal digits only, nothing before or after them, not even a
// blank. Throws boost::bad_lexical_cast for anything else, including a null pointer.
//
// The number reading is Boost's for an unsigned target, except for a leading '-': Boost would
// negate modulo 2^64 ("-1" would be 18446744073709551615), so any text that starts with a minus
// sign throws, "-0" included. "+5" is 5; a magnitude above 18446744073709551615 throws.
std::uint64_t IdentifierFromText(const wchar_t* text);

// Plain decimal digits, no sign, grouping or padding. Cannot fail except for allocation.
std::wstring IdentifierToText(std::uint64_t id);
