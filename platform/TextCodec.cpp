#include "platform/TextCodec.h"

#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

namespace tarvo {

std::string WideToNarrow(std::string_view utf16le) {
    const std::size_t units = utf16le.size() / 2;
    if (units == 0) return {};
    std::vector<UChar> wide(units);
    for (std::size_t i = 0; i < units; ++i)
        wide[i] = static_cast<UChar>(static_cast<unsigned char>(utf16le[2 * i]) |
                                     (static_cast<unsigned char>(utf16le[2 * i + 1]) << 8));
    // Every UTF-16 unit becomes at most 3 UTF-8 bytes, U+FFFD included.
    std::string out(units * 3, '\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, wide.data(),
                       static_cast<int32_t>(units), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) return {};
    out.resize(static_cast<std::size_t>(length));
    return out;
}

std::string Utf8ToWide(std::string_view utf8, bool bigEndian) {
    if (utf8.empty()) return {};
    // Every UTF-8 byte becomes at most one UTF-16 unit.
    std::vector<UChar> wide(utf8.size());
    int32_t units = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(wide.data(), static_cast<int32_t>(wide.size()), &units, utf8.data(),
                         static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) return {};
    std::string out(2 * static_cast<std::size_t>(units), '\0');
    for (std::size_t i = 0; i < static_cast<std::size_t>(units); ++i) {
        const auto low = static_cast<char>(wide[i] & 0xFF);
        const auto high = static_cast<char>(wide[i] >> 8);
        out[2 * i] = bigEndian ? high : low;
        out[2 * i + 1] = bigEndian ? low : high;
    }
    return out;
}

bool IsValidUtf8(std::string_view text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    // Texts here are parameter blocks and file names, far below 2 GiB.
    const auto length = static_cast<int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) return false;
    }
    return true;
}

std::string RepairUtf8(std::string_view text) {
    if (text.empty()) return {};
    // A byte becomes at most one UTF-16 unit, a UTF-16 unit at most three bytes.
    std::vector<UChar> wide(text.size());
    int32_t units = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(wide.data(), static_cast<int32_t>(wide.size()), &units, text.data(),
                         static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
    std::string out(3 * static_cast<std::size_t>(units), '\0');
    int32_t length = 0;
    u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &length, wide.data(), units, &status);
    if (U_FAILURE(status)) return {};
    out.resize(static_cast<std::size_t>(length));
    return out;
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
