// The proof of a wipe: searches a whole picture file's metadata for copies of the wiped
// values that remain: every PNG chunk but the pixel data (text chunks inflated too, within a
// limit) and the bytes after IEND, every JPEG segment before the first scan, every WebP
// chunk but the pixel data and the bytes after the RIFF data.
#pragma once

#include "params/ByteReader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo {

// One copy of a wiped value found in the file.
struct TLeftover {
    std::string Key;         // the parameter whose value was found ("prompt", ...)
    std::string Encoding;    // "UTF-8", "UTF-16LE" or "UTF-16BE"
    std::string Container;   // a chunk type ("iTXt"), a JPEG segment ("APP1", "COM", "FFDB")
                             // or "trailing bytes" (after a PNG's IEND)
    std::int64_t Offset = 0; // file offset of the copy; of the chunk when Compressed
    bool Compressed = false; // found in the inflated text of a compressed chunk
    bool operator==(const TLeftover&) const = default;
};

// A wiped value to look for: the parameter's name and its text in UTF-8.
struct TNeedle {
    std::string Key;
    std::string Text;
};

// Values of fewer characters, leading and trailing blanks not counted, are not looked for:
// they would be found by chance.
inline constexpr std::size_t LeftoverMinChars = 6;
// At most this many copies are reported for one file.
inline constexpr std::size_t LeftoverMaxReported = 100;
// At most this many bytes of compressed text are inflated for one file, all chunks together.
inline constexpr std::size_t LeftoverInflateCap = std::size_t{64} << 20;

// How a search ended. Anything but Complete means part of the file was not searched, so
// finding no copy there proves nothing.
enum class TSearchEnd {
    Complete,
    InflateLimit, // compressed text beyond LeftoverInflateCap was not inflated
    Stopped,      // the stop question answered true
    FileChanged,  // the file's size changed or a read came short while it was searched
};

// Asked between containers and after every MiB searched or inflated; true cuts the search
// short. Called on the searching thread, so it must be safe on any thread.
using TSearchStop = bool (*)();

// A span of the file that the wipe has just blanked: copies overlapping it are not reported.
struct TFileSpan {
    std::int64_t Offset = 0;
    std::int64_t Length = 0;
};

struct TLeftoverSearch {
    std::vector<TLeftover> Copies; // sorted by Offset
    TSearchEnd End = TSearchEnd::Complete;
};

// Every copy of a needle of at least LeftoverMinChars characters (searched trimmed), in UTF-8,
// UTF-16LE and UTF-16BE, in the metadata of the PNG, JPEG or WebP file, each copy once, none that
// overlaps a blanked span. Other files have no metadata walked here and give nothing. Pixel
// data are skipped by their length, never read.
TLeftoverSearch FindLeftovers(TByteReader& file, const std::vector<TNeedle>& needles,
                              const std::vector<TFileSpan>& blanked = {},
                              TSearchStop stop = nullptr);

} // namespace tarvo
