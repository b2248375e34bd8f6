// Decimal text of user and zone identifiers: the zone-ID edit is read through IdentifierFromText,
// and the zone list's "ID" column is written through IdentifierToText.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The identifier written in `text`: decimal digits only, nothing before or after them, not even a
// blank. Nothing for anything else, including a null pointer. Throws only for allocation: a typo is
// ordinary input, and an exception thrown in this module ends a 32-bit client whose unwinder does not
// know the module's frames (see the README, "A client's side of the contract").
//
// The number reading is Boost's for an unsigned target, except for a leading '-': Boost would
// negate modulo 2^64 ("-1" would be 18446744073709551615), so any text that starts with a minus
// sign is refused, "-0" included. "+5" is 5; a magnitude above 18446744073709551615 is refused.
std::optional<std::uint64_t> IdentifierFromText(const wchar_t* text);

// Plain decimal digits, no sign, grouping or padding. Cannot fail except for allocation.
std::wstring IdentifierToText(std::uint64_t id);
