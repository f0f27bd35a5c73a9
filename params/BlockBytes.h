// Bounds-checked access to block data by 1-based byte positions, shared by the reading,
// parsing and wiping code of the parameter blocks. Not part of the public interface.
#pragma once

#include "util/Bytes.h"

#include <cstdint>
#include <string_view>

namespace tarvo::detail {

// Positions are ints; data longer than this is refused before any position arithmetic.
inline constexpr std::size_t MaxBlockData = std::size_t{1} << 24;

inline bool Fits(std::string_view data) {
    return data.size() <= MaxBlockData;
}

inline int Length(std::string_view data) {
    return static_cast<int>(data.size());
}

// The byte at 1-based position pos, or -1 outside the data.
inline int ByteAt(std::string_view data, int pos) {
    if (pos < 1 || pos > Length(data)) return -1;
    return ByteOf(data, static_cast<std::size_t>(pos - 1));
}

// The UTF-16LE code unit whose first byte is at pos, or -1 when it is not wholly in the data.
inline int UnitAt(std::string_view data, int pos) {
    if (pos < 1 || pos + 1 > Length(data)) return -1;
    return static_cast<int>(LittleEndian(data, static_cast<std::size_t>(pos - 1), 2));
}

// Bytes from 1-based position pos, count of them, clipped to the data.
inline std::string_view Slice(std::string_view data, int pos, int count) {
    if (pos < 1 || pos > Length(data) || count <= 0) return {};
    const auto from = static_cast<std::size_t>(pos - 1);
    return data.substr(from, static_cast<std::size_t>(count));
}

} // namespace tarvo::detail
