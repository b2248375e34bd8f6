// Decimal text of user and zone identifiers: the zone-ID edit is read through IdentifierFromText,
// and the zone list's "ID" column is written through IdentifierToText.
#pragma once

#include <cstdint>
#include <string>

#include <boost/lexical_cast.hpp>

// The identifier written in `text`: decimal digits only, nothing before or after them, not even a
// blank. Throws boost::bad_lexical_cast for anything else, including a null pointer.
//
// The number reading is Boost's for an unsigned target, sign rules included: "+5" is 5, and a
// leading '-' negates modulo 2^64, so "-1" is 18446744073709551615 and "-18446744073709551615" is
// 1. A magnitude above 18446744073709551615 throws.
std::uint64_t IdentifierFromText(const wchar_t* text);

// Plain decimal digits, no sign, grouping or padding. Cannot fail except for allocation.
std::wstring IdentifierToText(std::uint64_t id);
