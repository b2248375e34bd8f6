// Zone-ID text: IdentifierFromText against a plain reading of its rules, and IdentifierToText
// back. Any difference, or any exception at all, aborts with the input.
//
// The input bytes become wide text: ASCII as itself (a 0 byte ends the text, as an embedded NUL
// ends what the edit hands over), 0x80-0xEF as characters that look like digits, signs or blanks
// to a person but not to the parser, and 0xF0-0xFF followed by four bytes as any 32-bit value.
// When the input holds at least eight bytes, its first eight are also an identifier to write and
// read back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

#include <boost/lexical_cast.hpp>

#include "IdentifierText.h"

namespace {

constexpr std::uint64_t kMaxId = std::numeric_limits<std::uint64_t>::max();

// Look-alikes of what the zone-ID edit accepts: full-width, Arabic-Indic, Devanagari and
// mathematical digits; full-width and typographic signs; other blanks; bidi marks; lone
// surrogate halves; a byte-order mark; Latin-1 digits-by-position (superscripts).
constexpr wchar_t kLookAlikes[] = {
    L'\xFF10', L'\xFF11', L'\xFF12', L'\xFF15', L'\xFF19', L'\xFF0B', L'\xFF0D', L'\x2212',
    L'\x2012', L'\x2013', L'\x0660', L'\x0661', L'\x0669', L'\x06F0', L'\x0966', L'\x096F',
    L'\x3000', L'\x00A0', L'\x2007', L'\x2009', L'\x200B', L'\x200E', L'\x200F', L'\x202E',
    L'\x2066', L'\xFEFF', L'\x00B2', L'\x00B3', L'\x00B9', L'\x2070', L'\x2080', L'\x2460',
    L'\x3007', L'\x4E00', L'\x96F6', L'\xD800', L'\xDBFF', L'\xDC00', L'\xDFFF', L'\xFFFD',
    L'\x1D7CE', L'\x1D7D8', L'\x10FFFF', L'\x0085', L'\x2028', L'\x000B', L'\x000C', L'\x001C',
};
constexpr std::size_t kLookAlikeCount = sizeof(kLookAlikes) / sizeof(kLookAlikes[0]);

std::wstring Decode(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t b = data[i];
        if (b == 0) {
            break;
        }
        if (b < 0x80) {
            text += static_cast<wchar_t>(b);
        } else if (b < 0xF0) {
            text += kLookAlikes[(b - 0x80u) % kLookAlikeCount];
        } else if (i + 4 < size) {
            std::uint32_t raw;
            std::memcpy(&raw, data + i + 1, sizeof raw);
            i += 4;
            if (raw == 0) {
                break;
            }
            text += static_cast<wchar_t>(raw);
        }
    }
    return text;
}

// The rules, read plainly: one optional '+', then at least one ASCII digit and nothing else, the
// value at most 2^64-1. A '-' is never a digit, so "-0" and "-1" fail here by construction.
std::optional<std::uint64_t> ReferenceRead(const std::wstring& text) {
    std::size_t i = 0;
    if (i < text.size() && text[i] == L'+') {
        ++i;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c < L'0' || c > L'9') {
            return std::nullopt;
        }
        const unsigned digit = static_cast<unsigned>(c - L'0');
        if (value > (kMaxId - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}

std::wstring ReferenceWrite(std::uint64_t id) {
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + id % 10));
        id /= 10;
    } while (id != 0);
    return digits;
}

std::string Show(const std::wstring& text) {
    std::string out = "\"";
    char buf[16];
    for (wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != L'\\' && c != L'"') {
            out += static_cast<char>(c);
        } else {
            std::snprintf(buf, sizeof buf, "\\x{%X}", static_cast<unsigned>(c));
            out += buf;
        }
    }
    return out + "\"";
}

std::string Show(const std::optional<std::uint64_t>& id) {
    return id ? std::to_string(*id) : std::string("refused");
}

[[noreturn]] void Fail(const char* what, const std::wstring& text, const std::string& expected,
                       const std::string& actual) {
    std::fprintf(stderr, "%s: text %s: expected %s, got %s\n", what, Show(text).c_str(),
                 expected.c_str(), actual.c_str());
    std::abort();
}

std::optional<std::uint64_t> Read(const std::wstring& text) { return IdentifierFromText(text.c_str()); }

void CheckWritesAndReadsBack(std::uint64_t id) {
    const std::wstring text = IdentifierToText(id);
    const std::wstring expected = ReferenceWrite(id);
    if (text != expected) {
        Fail("IdentifierToText", text, Show(expected), Show(text));
    }
    const std::optional<std::uint64_t> back = Read(text);
    if (back != id) {
        Fail("round trip", text, std::to_string(id), Show(back));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = Decode(data, size);
    const std::optional<std::uint64_t> expected = ReferenceRead(text);
    const std::optional<std::uint64_t> actual = Read(text);
    if (actual != expected) {
        Fail("IdentifierFromText", text, Show(expected), Show(actual));
    }
    if (actual) {
        CheckWritesAndReadsBack(*actual);
    }
    if (size >= sizeof(std::uint64_t)) {
        std::uint64_t id;
        std::memcpy(&id, data, sizeof id);
        CheckWritesAndReadsBack(id);
    }
    return 0;
}
