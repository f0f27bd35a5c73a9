// The chunk walk of a WebP file (a RIFF container): each chunk's FourCC and where its payload
// lies, bounded by the RIFF size and by the file's size, payloads skipped without reading
// them. Used by the parameter reader and by the search for leftover copies.
#pragma once

#include "params/ByteReader.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

namespace tarvo {

struct TRiffChunk {
    std::array<char, 4> FourCC{};
    std::int64_t DataOffset = 0; // file offset of the payload
    std::int64_t Length = 0;     // payload bytes present: the declared size, or fewer where
                                 // the RIFF data or the file end first
};

// True when head starts a WebP file: "RIFF", a 32-bit size, "WEBP".
bool IsWebp(std::string_view head);

// Calls visit for each chunk of the WebP file in order, until it answers false or the chunks
// end at the end of the RIFF data (8 + the RIFF size) or of the file, whichever comes first;
// a chunk cut short by that end is the last one visited. Answers the offset from which the
// file's bytes belong to no chunk (the file's size when visit stopped the walk; 0 when the
// file is no WebP).
std::int64_t WalkRiff(TCachedReader& file, const std::function<bool(const TRiffChunk&)>& visit);

} // namespace tarvo
