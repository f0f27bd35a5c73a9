// Checks shared by the parameter-block fuzz targets: what marking may change in a block's
// data. A broken rule aborts, so the fuzzer reports the input.
#pragma once

#include "params/MyGrafObj.h"

#include <cstdlib>
#include <string_view>

namespace tarvo::fuzz {

// Marking changes bytes only inside the recorded span, only to blanks (a UTF-16 space is
// 0x20 0x00; another generator's JSON number becomes 0 and spaces), keeps the size, and leaves a
// PNG block it will write (blanked, or with a damaged CRC to repair) with the CRC of its data.
inline void CheckMarked(const TMyGrafItem& block) {
    if (!block.ToWrite()) return;
    if (block.CrcPos != 0 &&
        block.Crc != ChunkCrc(std::string_view(block.ChunkType.data(), 4), block.Data))
        std::abort();
    if (!block.Marked) {
        if (block.Data != block.LoadedData) std::abort();
        return;
    }
    const std::string_view now = block.Data;
    const std::string_view was = block.LoadedData;
    if (now.size() != was.size()) std::abort();
    const long start = block.ChangeStart - 1;
    const long end = start + block.ChangeLength;
    if (start < 0 || block.ChangeLength <= 0 || end > static_cast<long>(now.size())) std::abort();
    for (std::size_t i = 0; i < now.size(); ++i) {
        if (now[i] == was[i]) continue;
        const long at = static_cast<long>(i);
        const bool blank = now[i] == ' ' || now[i] == '\0' || (block.Kind == 2 && now[i] == '0');
        if (at < start || at >= end || !blank) std::abort();
    }
}

} // namespace tarvo::fuzz
