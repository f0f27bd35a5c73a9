// The WebP chunk walk on well-formed and hostile containers: where it ends, what it visits,
// and how few reads it needs.
#include "params/RiffWalk.h"
#include "support/PicBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvo {
namespace {

// Counts the reads a walk makes.
class TCountingReader : public TMemoryReader {
public:
    using TMemoryReader::TMemoryReader;
    bool ReadAt(std::int64_t offset, std::size_t length, std::string& out) override {
        ++Reads;
        return TMemoryReader::ReadAt(offset, length, out);
    }
    int Reads = 0;
};

std::string Le32(std::uint32_t value) {
    std::string out;
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>(value >> shift));
    return out;
}

TEST(RiffWalk, EndsAtTheRiffDataOrTheFileWhicheverComesFirst) {
    using test::RiffChunk;
    using test::WebpFile;
    const std::string two = WebpFile({RiffChunk("VP8L", "abc"), RiffChunk("EXIF", "exif")});
    std::string longRiff = WebpFile({RiffChunk("EXIF", "exif data")});
    longRiff.replace(4, 4, Le32(1000)); // claims more than the file holds
    std::string huge = WebpFile({}) + "EXIF" + Le32(0xFFFFFFFF) + "some bytes";
    huge.replace(4, 4, Le32(static_cast<std::uint32_t>(huge.size() - 8)));
    const std::string unpadded = WebpFile({RiffChunk("XMP ", "abc")}).substr(0, 23);
    std::string tiny = WebpFile(std::vector<std::string>(5000, RiffChunk("JUNK", "")));
    const struct {
        const char* Note;
        std::string Bytes;
        std::vector<std::pair<std::string, std::int64_t>> Visited; // FourCC, length
        std::int64_t Covered;
    } cases[] = {
        {"an odd payload and its pad byte",
         two,
         {{"VP8L", 3}, {"EXIF", 4}},
         static_cast<std::int64_t>(two.size())},
        {"bytes after the RIFF data",
         two + "tail",
         {{"VP8L", 3}, {"EXIF", 4}},
         static_cast<std::int64_t>(two.size())},
        {"a RIFF size past the file's end",
         longRiff,
         {{"EXIF", 9}},
         static_cast<std::int64_t>(longRiff.size())},
        {"a chunk size of 0xFFFFFFFF",
         huge,
         {{"EXIF", 10}},
         static_cast<std::int64_t>(huge.size())},
        {"an odd payload without its pad byte",
         unpadded,
         {{"XMP ", 3}},
         static_cast<std::int64_t>(unpadded.size())},
        {"a header cut short", WebpFile({}) + "EXI", {}, 12},
        {"no WebP", "RIFF\\4\\0\\0\\0WAVEdata", {}, 0},
    };
    for (const auto& c : cases) {
        TMemoryReader memory(c.Bytes);
        TCachedReader file(memory);
        std::vector<std::pair<std::string, std::int64_t>> visited;
        const std::int64_t covered = WalkRiff(file, [&](const TRiffChunk& chunk) {
            visited.emplace_back(std::string(chunk.FourCC.data(), 4), chunk.Length);
            EXPECT_LE(chunk.DataOffset + chunk.Length, static_cast<std::int64_t>(c.Bytes.size()));
            return true;
        });
        EXPECT_EQ(visited, c.Visited) << c.Note;
        EXPECT_EQ(covered, c.Covered) << c.Note;
    }
    // Thousands of empty chunks are walked through a few reads of many headers each.
    TCountingReader counting(tiny);
    TCachedReader file(counting);
    int chunks = 0;
    EXPECT_EQ(WalkRiff(file, [&](const TRiffChunk&) { return ++chunks > 0; }),
              static_cast<std::int64_t>(tiny.size()));
    EXPECT_EQ(chunks, 5000);
    EXPECT_LE(counting.Reads, 12);
}

} // namespace
} // namespace tarvo
