// Conversions between the encodings found in picture files and UTF-8, the program's
// 8-bit text encoding.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

// UTF-16LE bytes (an odd last byte is ignored) to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string WideToNarrow(std::string_view utf16le);
// UTF-8 to UTF-16 bytes, little-endian or big-endian; an invalid sequence becomes U+FFFD.
std::string Utf8ToWide(std::string_view utf8, bool bigEndian);
bool IsValidUtf8(std::string_view text);
// The text with each ill-formed UTF-8 sequence (each maximal subpart of one) replaced by
// U+FFFD; valid text comes back as it is.
std::string RepairUtf8(std::string_view text);
// The text itself when it is valid UTF-8, otherwise the text read as Latin-1 and converted.
std::string NarrowToUtf8(std::string_view text);

} // namespace tarvo
