// The search for copies of wiped values that remain in a file's metadata, on files with
// copies planted in every kind of place, and through a real wipe.
#include "app/TarvoData.h"
#include "params/DatTypes.h"
#include "params/Leftovers.h"
#include "support/PicBuilder.h"
#include "util/MyStrUnit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvo {
namespace {

using test::Chunk;
using test::TParamSet;

const TParamSet Params; // the values that were wiped

std::vector<TNeedle> Needles() {
    return {{"JobId", Params.JobId},
            {"prompt", Params.Prompt},
            {"negative_prompt", Params.NegPrompt},
            {"seed", Params.Seed}};
}

std::string Utf16Be(const std::string& utf8) {
    std::string wide = test::Utf16(utf8);
    for (std::size_t i = 0; i + 1 < wide.size(); i += 2)
        std::swap(wide[i], wide[i + 1]);
    return wide;
}

// A JPEG whose own parameter block holds other values, with a segment added after it.
std::string JpegWith(unsigned char marker, const std::string& payload) {
    TParamSet other;
    other.JobId = other.Prompt = other.NegPrompt = other.Seed = "x";
    std::string jpeg = test::JpegFile(test::FirstBlockText(other));
    const std::size_t app1End =
        22 + (static_cast<unsigned char>(jpeg[22]) << 8 | static_cast<unsigned char>(jpeg[23]));
    const std::size_t length = payload.size() + 2;
    std::string segment = {'\xFF', static_cast<char>(marker), static_cast<char>(length >> 8),
                           static_cast<char>(length & 0xFF)};
    return jpeg.insert(app1End, segment + payload);
}

struct TExpected {
    const char* Key;
    const char* Encoding;
    const char* Container;
    bool Compressed;
};

TEST(Leftovers, CopiesAreFoundWhereverTheMetadataKeepThem) {
    test::TPicture noisy;
    noisy.Width = noisy.Height = 96;
    noisy.Noisy = true; // an IDAT longer than 20000 bytes
    const struct {
        const char* Note;
        std::string Bytes;
        std::vector<TExpected> Found;
    } cases[] = {
        {"iTXt",
         test::PngFile({Chunk("iTXt", std::string("Description\0\0\0\0\0", 16) + Params.Prompt)}),
         {{"prompt", "UTF-8", "iTXt", false}}},
        {"compressed iTXt",
         test::PngFile({Chunk("iTXt", std::string("Description\0\1\0\0\0", 16) +
                                          test::Deflate(Params.Prompt))}),
         {{"prompt", "UTF-8", "iTXt", true}}},
        {"zTXt",
         test::PngFile({test::ZtxtChunk("Comment", Params.NegPrompt)}),
         {{"negative_prompt", "UTF-8", "zTXt", true}}},
        {"tEXt after 20000 bytes of pixels",
         test::PngFile({}, {Chunk("tEXt", std::string("Seed\0", 5) + Params.Seed)}, noisy),
         {{"seed", "UTF-8", "tEXt", false}}},
        {"UTF-16BE in a private chunk",
         test::PngFile({Chunk("tarv", Utf16Be(Params.JobId))}),
         {{"JobId", "UTF-16BE", "tarv", false}}},
        {"UTF-16LE twice",
         test::PngFile({Chunk("tarv", test::Utf16(Params.Seed + " and " + Params.Seed))}),
         {{"seed", "UTF-16LE", "tarv", false}, {"seed", "UTF-16LE", "tarv", false}}},
        {"bytes after IEND",
         test::PngFile({}) + "junk " + Params.Prompt,
         {{"prompt", "UTF-8", "trailing bytes", false}}},
        {"JPEG comment",
         JpegWith(0xFE, Params.NegPrompt),
         {{"negative_prompt", "UTF-8", "COM", false}}},
        {"XMP packet",
         JpegWith(0xE1,
                  std::string("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta><dc:description>", 57) +
                      Params.Prompt + "</dc:description></x:xmpmeta>"),
         {{"prompt", "UTF-8", "APP1", false}}},
        {"WebP: XMP, and bytes after the RIFF data",
         test::WebpFile({test::RiffChunk("VP8L", Params.Prompt),
                         test::RiffChunk("XMP ", "<dc:description>" + Params.Prompt)}) +
             Params.Seed,
         {{"prompt", "UTF-8", "XMP", false}, {"seed", "UTF-8", "trailing bytes", false}}},
        {"no copies", test::PngFile({Chunk("tEXt", std::string("Comment\0fox", 11))}), {}},
        {"pixel data are not searched", test::PngFile({Chunk("IDAT", Params.Prompt)}), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Note);
        ASSERT_FALSE(c.Bytes.empty());
        TMemoryReader reader(c.Bytes);
        const std::vector<TLeftover> found = FindLeftovers(reader, Needles()).Copies;
        ASSERT_EQ(found.size(), c.Found.size());
        for (std::size_t i = 0; i < found.size(); ++i) {
            const TLeftover& copy = found[i];
            EXPECT_EQ(copy.Key, c.Found[i].Key);
            EXPECT_EQ(copy.Encoding, c.Found[i].Encoding);
            EXPECT_EQ(copy.Container, c.Found[i].Container);
            EXPECT_EQ(copy.Compressed, c.Found[i].Compressed);
            if (copy.Compressed) continue;
            // The offset names the copy's own bytes.
            std::string value;
            for (const TNeedle& needle : Needles())
                if (needle.Key == copy.Key) value = needle.Text;
            const std::string encoded = copy.Encoding == std::string("UTF-8") ? value
                                        : copy.Encoding == std::string("UTF-16LE")
                                            ? test::Utf16(value)
                                            : Utf16Be(value);
            EXPECT_EQ(c.Bytes.substr(static_cast<std::size_t>(copy.Offset), encoded.size()),
                      encoded);
        }
    }
}

TEST(Leftovers, ShortAndBlankValuesAreNotLookedFor) {
    const std::string png = test::PngFile(
        {Chunk("tEXt", std::string("Comment\0a cat", 13) + std::string(40, ' ') + "\t\r\n")});
    TMemoryReader reader(png);
    EXPECT_TRUE(FindLeftovers(reader, {{"prompt", "a cat"}}).Copies.empty());
    EXPECT_TRUE(FindLeftovers(reader, {{"prompt", "   a cat   "}}).Copies.empty());
    EXPECT_TRUE(FindLeftovers(reader, {{"prompt", std::string(12, ' ')}}).Copies.empty());
    EXPECT_TRUE(FindLeftovers(reader, {{"prompt", " \t\r\n    "}}).Copies.empty());
    EXPECT_EQ(FindLeftovers(reader, {{"prompt", "a cat"}, {"seed", "Comment"}}).Copies.size(), 1u);
    // A value is looked for without the blanks around it.
    EXPECT_EQ(FindLeftovers(reader, {{"seed", "  Comment  "}}).Copies.size(), 1u);
}

// A reader whose file shrinks once the search has begun, as a program that ignores the locks
// could make it.
class TShrinkingReader : public TMemoryReader {
public:
    using TMemoryReader::TMemoryReader;
    std::int64_t Size() const override { return FCalls++ == 0 ? TMemoryReader::Size() : 100; }

private:
    mutable int FCalls = 0;
};

TEST(Leftovers, EachCopyIsReportedOnceAndNeverInsideABlankedSpan) {
    constexpr std::size_t MiB = std::size_t{1} << 20;
    const std::string prompt = Params.Prompt;
    const std::string base = test::PngFile({Chunk("tEXt", "Comment\0" + prompt)});
    const std::size_t inChunk = base.find(prompt);
    const struct {
        const char* Note;
        std::string Bytes;
        std::vector<TFileSpan> Blanked;
        std::size_t Copies;
    } cases[] = {
        // The overlap of two search windows: the copy starts a few bytes before the second.
        {"after 1 MiB of zeros past IEND", base + std::string(MiB - 8, '\0') + prompt, {}, 2},
        {"straddling two windows of inflated text",
         test::PngFile({test::ZtxtChunk("Comment", std::string(MiB - 10, 'z') + prompt)}),
         {},
         1},
        {"the copy in the blanked span", base, {{static_cast<std::int64_t>(inChunk), 8}}, 0},
        {"a span just before the copy", base, {{static_cast<std::int64_t>(inChunk) - 8, 8}}, 1},
    };
    for (const auto& c : cases) {
        TMemoryReader reader(c.Bytes);
        const TLeftoverSearch search = FindLeftovers(reader, {{"prompt", prompt}}, c.Blanked);
        EXPECT_EQ(search.Copies.size(), c.Copies) << c.Note;
        EXPECT_EQ(search.End, TSearchEnd::Complete) << c.Note;
    }
}

bool AlwaysStop() {
    return true;
}

TEST(Leftovers, ASearchCutShortSaysWhy) {
    // Compressed text chunks that each inflate to 16 MiB of zeros, and a plain copy after them.
    std::vector<std::string> chunks(6, test::ZtxtChunk("Comment", std::string(16 << 20, '\0')));
    chunks.push_back(Chunk("tEXt", "Comment\0" + Params.Prompt));
    const std::string bombs = test::PngFile(chunks);
    const std::string plain = test::PngFile({Chunk("tEXt", "Comment\0" + Params.Prompt)});
    const struct {
        const char* Note;
        const std::string& Bytes;
        bool Shrinks;
        TSearchStop Stop;
        TSearchEnd End;
        std::size_t Copies;
    } cases[] = {
        {"every chunk searched", plain, false, nullptr, TSearchEnd::Complete, 1},
        {"past the inflate cap, plain chunks still searched", bombs, false, nullptr,
         TSearchEnd::InflateLimit, 1},
        {"stopped", bombs, false, AlwaysStop, TSearchEnd::Stopped, 0},
        {"the file shrank", plain, true, nullptr, TSearchEnd::FileChanged, 1},
    };
    for (const auto& c : cases) {
        TMemoryReader memory(c.Bytes);
        TShrinkingReader shrinking(c.Bytes);
        TByteReader& reader = c.Shrinks ? static_cast<TByteReader&>(shrinking) : memory;
        const TLeftoverSearch search = FindLeftovers(reader, Needles(), {}, c.Stop);
        EXPECT_EQ(search.End, c.End) << c.Note;
        EXPECT_EQ(search.Copies.size(), c.Copies) << c.Note;
    }
}

// Real wipes of every value, each of a file written afresh.
class LeftoversWipe : public testing::Test {
protected:
    void SetUp() override {
        BuildCaseTable();
        ParJobId = ParPrompt = ParNegPrompt = ParSeed = true;
    }
    void TearDown() override { ParJobId = ParPrompt = ParNegPrompt = ParSeed = false; }

    // Writes bytes to the file name and wipes it; the code must be Done.
    TWipeFindings Wipe(const std::string& name, const std::string& bytes) {
        FPath = FDir.File(name);
        EXPECT_TRUE(test::WriteFile(FPath, bytes));
        TTarvoData record(true);
        record.FilePath = FPath;
        TWipeFindings findings;
        EXPECT_EQ(record.Wipe(false, &findings), TWipeCode::Done);
        return findings;
    }

    test::TTempDir FDir;
    std::string FPath; // the file last wiped
};

// A real wipe reports the planted copies, none for a file without them, and changes no byte
// outside the parameter chunks.
TEST_F(LeftoversWipe, ReportsTheCopiesItLeavesAndChangesNothingElse) {
    const std::string planted = test::PngFile(
        {Chunk("eXIf", test::FirstBlockText(Params)), Chunk("tEXt", test::GenInfoText(Params)),
         test::ZtxtChunk("Comment", Params.Prompt)},
        {Chunk("iTXt", std::string("Seed\0\0\0\0\0", 10) + Params.Seed)});
    for (const std::string& before : {planted, test::TarvoPng(Params)}) {
        const TWipeFindings findings = Wipe("wipe.png", before);
        const std::string after = test::ReadWholeFile(FPath);
        std::vector<test::TSpan> blocks;
        for (const test::TChunkInfo& chunk : test::PngChunks(before))
            if (chunk.Type == "eXIf" || chunk.Type == "tEXt")
                blocks.push_back({chunk.Offset + 8, std::size_t{chunk.Length} + 4});
        EXPECT_TRUE(test::ChangesWithin(before, after, blocks));
        EXPECT_TRUE(test::AllCrcsOk(after));
        EXPECT_EQ(findings.LeftoverSearch, TSearchEnd::Complete);
        if (before != planted) {
            EXPECT_TRUE(findings.Leftovers.empty());
            continue;
        }
        ASSERT_EQ(findings.Leftovers.size(), 2u);
        EXPECT_EQ(findings.Leftovers[0].Key, "prompt");
        EXPECT_EQ(findings.Leftovers[0].Container, "zTXt");
        EXPECT_EQ(findings.Leftovers[1].Key, "seed");
        EXPECT_EQ(findings.Leftovers[1].Container, "iTXt");
    }
}

TEST_F(LeftoversWipe, AWebpIsWipedInsideItsExifPayloadAndItsCopiesReported) {
    const std::string before =
        test::WebpFile({test::RiffChunk("VP8L", std::string(30001, 'p')),
                        test::RiffChunk("EXIF", test::WebpExif(test::FirstBlockText(Params), true)),
                        test::RiffChunk("XMP ", "<dc:description>" + Params.Prompt)});
    const TWipeFindings findings = Wipe("wipe.webp", before);
    const std::string after = test::ReadWholeFile(FPath);
    const std::size_t exif = before.find("EXIF") + 8;
    const std::size_t exifLength = before.find("XMP ") - exif;
    EXPECT_TRUE(test::ChangesWithin(before, after, {{exif, exifLength}}));
    ASSERT_EQ(findings.Leftovers.size(), 1u);
    EXPECT_EQ(findings.Leftovers[0].Container, "XMP");
    TTarvoData again(true);
    again.FilePath = FPath;
    EXPECT_EQ(again.Wipe(false), TWipeCode::NothingToWipe);
}

// Values of blanks alone were found in the very spans the wipe had just blanked.
TEST_F(LeftoversWipe, OfBlankValuesReportsNoCopies) {
    TParamSet blank = Params;
    blank.Prompt = "\"        \"";
    blank.NegPrompt = "      ";
    EXPECT_TRUE(Wipe("blank.png", test::TarvoPng(blank)).Leftovers.empty());
}

} // namespace
} // namespace tarvo
