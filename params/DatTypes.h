// Constant tables shared by the parameter blocks, the image record and the file list:
// parameter names, chunk types, file signatures, reading and parsing limits, picture
// extensions and size limits; and the four wipe-selection flags.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tarvo {

// The parameter-name table; index i is the order used by TMyGrafItem::Values and the wipe flags.
inline constexpr int ParamCount = 4;
inline constexpr std::array<std::string_view, ParamCount> ParamNames = {"JobId", "prompt",
                                                                        "negative_prompt", "seed"};
inline constexpr std::string_view FormatKey = "format";

// Chunk types of the two parameter blocks, compared ignoring case.
inline constexpr std::string_view FirstChunkType = "eXIf";
inline constexpr std::string_view SecondChunkType = "tEXt";

// The first 8 bytes of a file: PNG's own signature; a JFIF JPEG (start of image, APP0,
// segment length 16, "JF").
inline constexpr std::string_view PngSignature{"\x89PNG\r\n\x1A\n", 8};
inline constexpr std::string_view JpegSignature{"\xFF\xD8\xFF\xE0\x00\x10\x4A\x46", 8};
inline constexpr int SignatureSize = 8;

// Reading: chunks starting at this file offset or later are never looked at, a chunk whose
// data are longer ends the walk, and a JPEG file contributes exactly this many leading bytes.
inline constexpr int HeadLimit = 20000;
// Bytes read from the start of a file: a chunk that starts below HeadLimit and is at most
// HeadLimit long (plus length, type and CRC fields) ends within them.
inline constexpr int ReadLimit = 2 * HeadLimit + 12;

// Parsing windows, in bytes of the block's data.
inline constexpr std::string_view UnicodeMarker = "UNICODE";
inline constexpr int MarkerLimit = 1024; // the marker must end at byte 1023 or earlier
inline constexpr int ColonWindow = 60;   // first block: colon within 30 code units of a line start
inline constexpr int LineLimit = 5000;   // first block: every line feed stands before this byte
inline constexpr int KeyMaxLength = 60;  // second block: key length 1 to 60 bytes
inline constexpr std::string_view GenInfoKeyword = "GenInfo";
inline constexpr int GenInfoLimit = 8;      // "GenInfo" must end at byte 7
inline constexpr int GenInfoMinLength = 20; // shortest acceptable second block
inline constexpr int BraceWindow = 10;      // the closing brace stands among the last 10 bytes
inline constexpr int NarrowTextMinLength = 10;

// Picture extensions of the file list; the first TarvoExtCount are used with "Tarvo Data" on.
inline constexpr std::array<std::string_view, 4> PicExts = {"jpg", "jpeg", "png", "WebP"};
inline constexpr int TarvoExtCount = 3;

// Plausible size of a Tarvo picture file in bytes, both limits inclusive.
inline constexpr std::int64_t MinFileSize = 50;
inline constexpr std::int64_t MaxFileSize = 5242880;

// The wipe-selection flags: the window (or the command-line tool) sets them from its options
// just before a wipe; marking reads them. Flag i selects ParamNames[i].
inline bool ParJobId = false;
inline bool ParPrompt = false;
inline bool ParNegPrompt = false;
inline bool ParSeed = false;

// Flag i of the four above (false for any other index).
inline bool WipeChoice(int i) {
    switch (i) {
    case 0:
        return ParJobId;
    case 1:
        return ParPrompt;
    case 2:
        return ParNegPrompt;
    case 3:
        return ParSeed;
    default:
        return false;
    }
}

} // namespace tarvo
