// The proof of a wipe: searches a whole picture file's metadata for copies of the wiped
// values that remain outside the parameter blocks: every PNG chunk but the pixel data (text
// chunks inflated too) and the bytes after IEND, every JPEG segment before the first scan.
#pragma once

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

// Values of fewer characters are not looked for: they would be found by chance.
inline constexpr std::size_t LeftoverMinChars = 6;
// At most this many copies are reported for one file.
inline constexpr std::size_t LeftoverMaxReported = 100;

// Random read access to a file's bytes.
class TByteReader {
public:
    virtual ~TByteReader() = default;
    // The file's size in bytes; -1 when unknown.
    virtual std::int64_t Size() const = 0;
    // Reads length bytes at offset into out; false when fewer came.
    virtual bool ReadAt(std::int64_t offset, std::size_t length, std::string& out) = 0;
};

// A file's bytes held in memory (tests, fuzzing).
class TMemoryReader : public TByteReader {
public:
    explicit TMemoryReader(std::string_view bytes) : FBytes(bytes) {}
    std::int64_t Size() const override { return static_cast<std::int64_t>(FBytes.size()); }
    bool ReadAt(std::int64_t offset, std::size_t length, std::string& out) override;

private:
    std::string_view FBytes;
};

// Every copy of a needle of at least LeftoverMinChars characters, in UTF-8, UTF-16LE and
// UTF-16BE, in the metadata of the PNG or JPEG file; in file order per container. Other
// files have no metadata walked here and give nothing. Pixel data are skipped by their
// length, never read.
std::vector<TLeftover> FindLeftovers(TByteReader& file, const std::vector<TNeedle>& needles);

} // namespace tarvo
