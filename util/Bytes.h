// Byte-level reading of file data and texts held in byte strings or byte spans: a byte's
// unsigned value, unsigned numbers of up to four bytes in either byte order, and a byte in
// hexadecimal digits. Positions are 0-based; the caller has checked that the bytes exist.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarvo {

// The byte at at as its unsigned value (bytes: std::string_view, std::span<const std::uint8_t>
// or the like).
template <typename TBytes> constexpr std::uint8_t ByteOf(const TBytes& bytes, std::size_t at) {
    return static_cast<std::uint8_t>(bytes[at]);
}

// The count bytes (1 to 4) at at as an unsigned number, the first byte the most significant.
template <typename TBytes>
constexpr std::uint32_t BigEndian(const TBytes& bytes, std::size_t at, std::size_t count = 4) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i)
        value = (value << 8) | ByteOf(bytes, at + i);
    return value;
}

// The count bytes (1 to 4) at at as an unsigned number, the last byte the most significant.
template <typename TBytes>
constexpr std::uint32_t LittleEndian(const TBytes& bytes, std::size_t at, std::size_t count = 4) {
    std::uint32_t value = 0;
    for (std::size_t i = count; i-- > 0;)
        value = (value << 8) | ByteOf(bytes, at + i);
    return value;
}

// Appends byte as two hexadecimal digits, in lower or upper case.
inline void AppendHex(std::string& out, std::uint8_t byte, bool upper = false) {
    const char* const digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    out += digits[byte >> 4];
    out += digits[byte & 0xF];
}

} // namespace tarvo
