// The parameter container's reading: signatures, the PNG chunk walk with its limits, the
// JPEG head, and the load sequence, from files on disk and from bytes in memory.
#include "params/DatTypes.h"
#include "params/MyGrafObj.h"
#include "platform/LockedFile.h"
#include "support/PicBuilder.h"
#include "util/MyStrUnit.h"

#include <gtest/gtest.h>
#include <sys/file.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>

namespace tarvo {
namespace {

using test::Chunk;
using test::ChunkWithLength;
using test::FirstBlockData;
using test::FirstBlockText;
using test::GenInfoData;
using test::GenInfoText;
using test::JpegFile;
using test::JpegHead;
using test::PngFile;
using test::TParamSet;
using test::TPicture;

class MyGraf : public testing::Test {
protected:
    void SetUp() override { BuildCaseTable(); }

    std::string Put(const std::string& name, const std::string& bytes) {
        const std::string path = Dir.File(name);
        EXPECT_TRUE(test::WriteFile(path, bytes));
        return path;
    }

    test::TTempDir Dir;
};

// A GenInfo block of exactly size bytes: the usual object with a padding line.
std::string GenInfoOfSize(std::size_t size) {
    std::string data = GenInfoText();
    const std::string padLine = "  \"note\": \"\",\n";
    const std::size_t pad = size - data.size() - padLine.size();
    std::string line = "  \"note\": \"" + std::string(pad, 'n') + "\",\n";
    data.insert(data.find("  \"JobId\""), line);
    return data;
}

// A private chunk that moves the next chunk to file offset at (after signature and IHDR).
std::string FillerTo(std::size_t at) {
    return Chunk("prVt", std::string(at - 33 - 12, 'f'));
}

std::string BlockData(const TMyGrafItem& block) {
    return block.Data;
}

TEST_F(MyGraf, ChunkCrcMatchesTheCrcOfThePngFormat) {
    // CRC of "IEND" with no data, as every PNG file stores it.
    EXPECT_EQ(ChunkCrc("IEND", ""), (std::array<std::uint8_t, 4>{0xAE, 0x42, 0x60, 0x82}));
    // An empty view may hold a null pointer, which zlib would answer with its initial value.
    EXPECT_EQ(ChunkCrc("IEND", std::string_view{}),
              (std::array<std::uint8_t, 4>{0xAE, 0x42, 0x60, 0x82}));
    const std::string chunk = Chunk("tEXt", "Comment\0hi");
    const auto crc = ChunkCrc("tEXt", "Comment\0hi");
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(static_cast<unsigned char>(chunk[chunk.size() - 4 + i]), crc[i]);
}

TEST_F(MyGraf, LoadFindsBothBlocksOfATarvoPng) {
    const std::string bytes = test::TarvoPng();
    const std::string path = Put("a.png", bytes);
    TMyGraf graf(false);
    ASSERT_TRUE(graf.Load(path));
    EXPECT_EQ(graf.FileKind, 1);
    EXPECT_EQ(std::string(graf.Signature.data(), 8), std::string(PngSignature));

    const std::string exif = FirstBlockText();
    const TMyGrafItem& first = graf.FirstBlock;
    EXPECT_EQ(first.Kind, 0);
    EXPECT_EQ(std::string(first.ChunkType.data(), 4), "eXIf");
    EXPECT_EQ(first.Data, exif);
    EXPECT_EQ(first.BlockOffset, 33); // after the signature and IHDR
    EXPECT_EQ(first.CrcPos, 33 + 8 + static_cast<int>(exif.size()));
    EXPECT_EQ(first.Crc, ChunkCrc("eXIf", exif));

    const TMyGrafItem& second = graf.SecondBlock;
    EXPECT_EQ(second.Kind, 1);
    EXPECT_EQ(std::string(second.ChunkType.data(), 4), "tEXt");
    EXPECT_EQ(second.Data, GenInfoText());
    EXPECT_EQ(second.BlockOffset, first.CrcPos + 4);
    EXPECT_EQ(second.CrcPos, second.BlockOffset + 8 + static_cast<int>(second.Data.size()));

    EXPECT_FALSE(first.Text.empty());
    EXPECT_FALSE(second.Text.empty());
    EXPECT_TRUE(graf.Head.empty());
}

TEST_F(MyGraf, LoadInWipeModeBuildsNoDisplayTexts) {
    const std::string path = Put("a.png", test::TarvoPng());
    TMyGraf graf(true);
    ASSERT_TRUE(graf.Load(path));
    EXPECT_TRUE(graf.FirstBlock.HasParams());
    EXPECT_TRUE(graf.SecondBlock.HasParams());
    EXPECT_TRUE(graf.FirstBlock.Text.empty());
    EXPECT_TRUE(graf.SecondBlock.Text.empty());
}

TEST_F(MyGraf, LoadBytesAnswersAsLoadOfTheSameFile) {
    const std::vector<std::string> files = {
        test::TarvoPng(),
        PngFile({Chunk("eXIf", FirstBlockText())}),
        PngFile({Chunk("tEXt", GenInfoText())}),
        PngFile({Chunk("tEXt", "Software\0x")}),
        JpegFile(FirstBlockText()),
        JpegHead(FirstBlockText(), 20000),
        "plain text, not a picture at all",
        // Chunks that start below 20000 bytes but end beyond them: read on to 40012.
        PngFile({Chunk("zzzz", std::string(19000, 'z')), Chunk("tEXt", GenInfoText()),
                 Chunk("eXIf", FirstBlockText())}),
        PngFile({Chunk("zzzz", std::string(19990, 'z')), Chunk("tEXt", GenInfoText())}),
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        // Appended: gcc 12 warns falsely (-Wrestrict) on "f" + std::to_string(i) at -O3.
        const std::string path = Put(std::string("f").append(std::to_string(i)), files[i]);
        for (const bool wipe : {false, true}) {
            TMyGraf fromFile(wipe);
            TMyGraf fromBytes(wipe);
            const bool a = fromFile.Load(path);
            const bool b = fromBytes.LoadBytes(files[i]);
            EXPECT_EQ(a, b);
            EXPECT_EQ(fromFile.FileKind, fromBytes.FileKind);
            for (const int which : {0, 1}) {
                const TMyGrafItem& x = which == 0 ? fromFile.FirstBlock : fromFile.SecondBlock;
                const TMyGrafItem& y = which == 0 ? fromBytes.FirstBlock : fromBytes.SecondBlock;
                EXPECT_EQ(x.Data, y.Data);
                EXPECT_EQ(x.Kind, y.Kind);
                EXPECT_EQ(x.BlockOffset, y.BlockOffset);
                EXPECT_EQ(x.CrcPos, y.CrcPos);
                EXPECT_EQ(x.Values, y.Values);
                EXPECT_EQ(x.Text, y.Text);
            }
        }
    }
}

TEST_F(MyGraf, BigIdatBeforeTheTextChunkHidesTheSecondBlock) {
    const TPicture noisy{96, 96, true, {}};
    ASSERT_GT(test::IdatChunk(noisy).size(), 20000u + 12u);
    const std::string path = Put("big.png", PngFile({Chunk("eXIf", FirstBlockText())},
                                                    {Chunk("tEXt", GenInfoText())}, noisy));
    TMyGraf graf(false);
    ASSERT_TRUE(graf.Load(path));
    EXPECT_TRUE(graf.FirstBlock.HasParams());
    EXPECT_FALSE(graf.SecondBlock.HasParams());

    const std::string onlyText =
        Put("big2.png", PngFile({}, {Chunk("tEXt", GenInfoText())}, noisy));
    EXPECT_FALSE(graf.Load(onlyText));
    EXPECT_EQ(graf.FileKind, 0);
}

TEST_F(MyGraf, TextChunkWithWrongCrcIsTakenAllTheSame) {
    const std::string good = Chunk("tEXt", GenInfoText());
    const std::string bad = Chunk("tEXt", GenInfoText(), true);
    const std::string path = Put("crc.png", PngFile({bad}));
    TMyGraf graf(false);
    ASSERT_TRUE(graf.Load(path));
    EXPECT_TRUE(graf.SecondBlock.HasParams());
    // Crc keeps the bytes the file stores, not the right ones.
    std::array<std::uint8_t, 4> stored{};
    for (std::size_t i = 0; i < 4; ++i)
        stored[i] = static_cast<std::uint8_t>(bad[bad.size() - 4 + i]);
    EXPECT_EQ(graf.SecondBlock.Crc, stored);
    EXPECT_NE(graf.SecondBlock.Crc, ChunkCrc("tEXt", GenInfoText()));
}

TEST_F(MyGraf, ChunkTypesAreComparedIgnoringCase) {
    const std::string path =
        Put("case.png", PngFile({Chunk("exif", FirstBlockText()), Chunk("TEXT", GenInfoText())}));
    TMyGraf graf(false);
    ASSERT_TRUE(graf.Load(path));
    EXPECT_TRUE(graf.FirstBlock.HasParams());
    EXPECT_TRUE(graf.SecondBlock.HasParams());
    EXPECT_EQ(std::string(graf.FirstBlock.ChunkType.data(), 4), "exif");
    EXPECT_EQ(std::string(graf.SecondBlock.ChunkType.data(), 4), "TEXT");
}

TEST_F(MyGraf, LaterTextChunkReplacesEarlierOneWhileTheWalkGoesOn) {
    TParamSet other;
    other.Prompt = "a second prompt";
    const std::string later = GenInfoText(other);
    TMyGraf graf(false);
    ASSERT_TRUE(graf.LoadBytes(PngFile({Chunk("tEXt", GenInfoText()), Chunk("tEXt", later)})));
    EXPECT_EQ(graf.SecondBlock.Data, later);
}

TEST_F(MyGraf, WalkStopsOnceBothBlocksAreFound) {
    TParamSet other;
    other.Prompt = "a second prompt";
    TMyGraf graf(false);
    ASSERT_TRUE(
        graf.LoadBytes(PngFile({Chunk("eXIf", FirstBlockText()), Chunk("tEXt", GenInfoText()),
                                Chunk("tEXt", GenInfoText(other))})));
    EXPECT_EQ(graf.SecondBlock.Data, GenInfoText());
}

TEST_F(MyGraf, EmptyChunkGivesNoBlockAndTheWalkGoesOn) {
    TMyGraf graf(true);
    ASSERT_TRUE(graf.LoadBytes(
        PngFile({Chunk("eXIf", ""), Chunk("tEXt", ""), Chunk("tEXt", GenInfoText())})));
    EXPECT_FALSE(graf.FirstBlock.HasParams());
    EXPECT_EQ(graf.FirstBlock.Kind, -1);
    EXPECT_EQ(graf.SecondBlock.Data, GenInfoText());
}

TEST_F(MyGraf, ChunkStartingBelowTheLimitIsReadInFull) {
    // A 20000-byte tEXt chunk at offset 19999 ends at byte 40011 of the file.
    const std::string data = GenInfoOfSize(20000);
    ASSERT_EQ(data.size(), 20000u);
    std::string file = PngFile({FillerTo(19999), Chunk("tEXt", data)});
    ASSERT_EQ(file.find(std::string("tEXt")), 19999u + 4u);
    const std::string path = Put("edge.png", file);
    TMyGraf graf(true);
    ASSERT_TRUE(graf.Load(path));
    EXPECT_EQ(graf.SecondBlock.BlockOffset, 19999);
    EXPECT_EQ(graf.SecondBlock.Data, data);
}

TEST_F(MyGraf, ChunkStartingAtTheLimitIsNeverLookedAt) {
    const std::string path =
        Put("late.png", PngFile({FillerTo(20000), Chunk("tEXt", GenInfoText())}));
    TMyGraf graf(true);
    EXPECT_FALSE(graf.Load(path));
    EXPECT_FALSE(graf.SecondBlock.HasParams());
}

TEST_F(MyGraf, ChunkLongerThanTheLimitEndsTheWalk) {
    const std::string exif = Chunk("eXIf", FirstBlockText());
    const std::string text = Chunk("tEXt", GenInfoText());
    struct Case {
        const char* Note;
        std::string File;
        bool First;
        bool Second;
    };
    const Case cases[] = {
        {"a text chunk of 20000 bytes is taken",
         PngFile({exif, Chunk("tEXt", GenInfoOfSize(20000))}), true, true},
        {"a chunk of 19000 bytes is skipped",
         PngFile({exif, Chunk("prVt", std::string(19000, 'x')), text}), true, true},
        {"a chunk of 20001 bytes ends the walk",
         PngFile({Chunk("prVt", std::string(20001, 'x')), exif, text}), false, false},
        {"a damaged length field ends the walk",
         PngFile({exif, ChunkWithLength(0x80000000u, "prVt", "abc"), text}), true, false},
        {"a text chunk of 20001 bytes is not taken",
         PngFile({exif, Chunk("tEXt", GenInfoOfSize(20001))}), true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Note);
        TMyGraf graf(true);
        EXPECT_EQ(graf.LoadBytes(c.File), c.First || c.Second);
        EXPECT_EQ(graf.FirstBlock.HasParams(), c.First);
        EXPECT_EQ(graf.SecondBlock.HasParams(), c.Second);
    }
}

TEST_F(MyGraf, FileCutShortKeepsTheBlocksFoundBeforeTheCut) {
    const std::string first = Chunk("tEXt", GenInfoText());
    TParamSet other;
    other.Prompt = "cut off";
    const std::string second = Chunk("tEXt", GenInfoText(other));
    const std::string whole = PngFile({first, second});
    const std::size_t secondAt = whole.find(second);
    // Cut inside the length field, the type, the data and the CRC of the second chunk.
    for (const std::size_t keep :
         {std::size_t{2}, std::size_t{6}, std::size_t{40}, second.size() - 1}) {
        SCOPED_TRACE(keep);
        TMyGraf graf(true);
        EXPECT_TRUE(graf.LoadBytes(std::string_view(whole).substr(0, secondAt + keep)));
        EXPECT_EQ(graf.SecondBlock.Data, GenInfoText());
    }
}

TEST_F(MyGraf, JpegWithJfifSegmentYieldsTheFirstBlock) {
    const std::string exif = FirstBlockText();
    const std::string bytes = JpegFile(exif);
    ASSERT_GE(bytes.size(), 20000u);
    ASSERT_TRUE(test::DecodeJpeg(bytes).has_value());
    const std::string path = Put("a.jpg", bytes);
    TMyGraf graf(false);
    ASSERT_TRUE(graf.Load(path));
    EXPECT_EQ(graf.FileKind, 2);
    const TMyGrafItem& first = graf.FirstBlock;
    EXPECT_EQ(first.Kind, 0);
    EXPECT_EQ(first.CrcPos, 0);
    EXPECT_EQ(first.ChunkType, (std::array<char, 4>{}));
    const int textAt = static_cast<int>(test::JpegBlockDataOffset + test::FirstBlockTextOffset);
    EXPECT_EQ(first.BlockOffset, textAt);
    EXPECT_EQ(first.TextStart, 1);
    // The text through the format line's line feed and one byte more.
    const std::string text = test::Utf16(test::JoinFirstLines(test::FirstBlockLines()));
    EXPECT_EQ(first.Data, bytes.substr(static_cast<std::size_t>(textAt), text.size() + 1));
    EXPECT_EQ(first.TextEnd, static_cast<int>(text.size()) - 1);
    EXPECT_EQ(first.GetPrompt(), "a red fox in the snow");
    EXPECT_FALSE(graf.SecondBlock.HasParams());
    EXPECT_TRUE(graf.Head.empty());
}

// A WebP's first EXIF chunk is read like a JPEG head wherever it stands: the same text gives
// the same block as a PNG's eXIf chunk, its offsets mapped to the file.
TEST_F(MyGraf, WebpExifChunkYieldsTheSameFirstBlockWhereverItStands) {
    TParamSet owl;
    owl.Prompt = "сова на ветке, акварель";
    const std::string exif = FirstBlockText(owl);
    TMyGraf png(false);
    ASSERT_TRUE(png.LoadBytes(PngFile({Chunk("eXIf", exif)})));
    const std::string pixels = test::RiffChunk("VP8L", std::string(25001, 'p')); // odd: padded
    const std::string xmp = test::RiffChunk("XMP ", "<x:xmpmeta/>");
    const struct {
        const char* Note;
        std::vector<std::string> Chunks;
    } cases[] = {
        {"after the pixels", {pixels, test::RiffChunk("EXIF", test::WebpExif(exif))}},
        {"before the pixels, prefixed",
         {test::RiffChunk("VP8X", std::string(10, '\0')),
          test::RiffChunk("EXIF", test::WebpExif(exif, true)), pixels}},
        {"after XMP, the first of two",
         {pixels, xmp, test::RiffChunk("EXIF", test::WebpExif(exif)),
          test::RiffChunk("EXIF", test::WebpExif(FirstBlockText()))}},
        {"in a small file", {test::RiffChunk("EXIF", test::WebpExif(exif))}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Note);
        const std::string bytes = test::WebpFile(c.Chunks);
        TMyGraf fromFile(false);
        ASSERT_TRUE(fromFile.Load(Put("a.webp", bytes)));
        TMyGraf fromBytes(false);
        ASSERT_TRUE(fromBytes.LoadBytes(bytes));
        for (const TMyGraf* graf : {&fromFile, &fromBytes}) {
            EXPECT_EQ(graf->FileKind, 3);
            const TMyGrafItem& first = graf->FirstBlock;
            EXPECT_EQ(first.Text, png.FirstBlock.Text);
            EXPECT_EQ(first.GetPrompt(), "сова на ветке, акварель");
            for (std::size_t i = 0; i < first.Values.size(); ++i) {
                const TValuePos mine = first.Values[i];
                const TValuePos theirs = png.FirstBlock.Values[i];
                EXPECT_EQ(first.Data.substr(mine.Offset - 1, mine.Length),
                          png.FirstBlock.Data.substr(theirs.Offset - 1, theirs.Length));
            }
            EXPECT_EQ(first.CrcPos, 0);
            EXPECT_EQ(bytes.substr(static_cast<std::size_t>(first.BlockOffset), first.Data.size()),
                      first.Data);
        }
    }
}

TEST_F(MyGraf, WebpWithoutAReadableExifChunkHoldsNoParameters) {
    const std::string exif = test::RiffChunk("EXIF", test::WebpExif(FirstBlockText()));
    std::string oversized = test::WebpFile({exif});
    oversized[4] = '\xFF'; // a RIFF size past the file's end: the walk ends with the file
    const std::string cases[] = {
        test::WebpFile({test::RiffChunk("VP8L", "pixels")}),
        test::WebpFile({test::RiffChunk("EXIF", "no marker here")}),
        // The RIFF data end before the EXIF chunk that follows them.
        test::WebpFile({test::RiffChunk("VP8L", "pixels")}).substr(0, 4) +
            std::string("\x0E\0\0\0", 4) +
            test::WebpFile({test::RiffChunk("VP8L", "pixels")}).substr(8) + exif,
    };
    for (const std::string& bytes : cases) {
        TMyGraf graf(false);
        EXPECT_FALSE(graf.LoadBytes(bytes));
        EXPECT_FALSE(graf.FirstBlock.HasParams());
    }
    TMyGraf graf(false);
    EXPECT_TRUE(graf.LoadBytes(oversized));
}

TEST_F(MyGraf, JpegHeadMustHoldTwentyThousandBytes) {
    struct Case {
        std::size_t Size;
        bool Found;
    };
    for (const Case c : {Case{20000, true}, Case{19999, false}, Case{30000, true}}) {
        SCOPED_TRACE(c.Size);
        const std::string bytes = JpegHead(FirstBlockText(), c.Size);
        const std::string path = Put("h.jpg", bytes);
        TMyGraf graf(false);
        EXPECT_EQ(graf.Load(path), c.Found);
        EXPECT_EQ(graf.FileKind, c.Found ? 2 : 0);
        EXPECT_EQ(graf.FirstBlock.HasParams(), c.Found);

        TMyGraf reader(false);
        TReadFile file;
        ASSERT_TRUE(file.Open(path));
        EXPECT_FALSE(reader.ReadFile(file)); // the head is parsed by Load
        EXPECT_EQ(reader.FileKind, 2);
        EXPECT_EQ(reader.Head.size(), c.Found ? 20000u : 0u);
        if (c.Found) {
            EXPECT_EQ(reader.Head, bytes.substr(0, 20000));
        }
    }
}

TEST_F(MyGraf, JpegStartingWithAnExifSegmentIsNotRecognised) {
    std::string bytes = JpegHead(FirstBlockText(), 25000);
    bytes[3] = static_cast<char>(0xE1);
    TMyGraf graf(false);
    EXPECT_FALSE(graf.LoadBytes(bytes));
    EXPECT_EQ(graf.FileKind, 0);
    EXPECT_FALSE(graf.FirstBlock.HasParams());
}

TEST_F(MyGraf, FilesWithoutParametersLeaveTheContainerEmpty) {
    struct Case {
        const char* Note;
        std::string Bytes;
    };
    const Case cases[] = {
        {"a text file", "JobId: 1\nprompt: not a picture\n"},
        {"shorter than a signature", std::string(PngSignature.substr(0, 7))},
        {"empty", ""},
        {"a PNG without parameter chunks", PngFile({Chunk("tEXt", "Software\0painter")})},
        {"a PNG whose blocks do not parse",
         PngFile({Chunk("eXIf", FirstBlockData("JobId: 1\n")), Chunk("tEXt", "GenInfo\0{}")})},
        {"a JPEG without the marker", JpegHead("no parameters here", 25000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Note);
        const std::string path = Put("x", c.Bytes);
        for (const bool wipe : {false, true}) {
            TMyGraf graf(wipe);
            EXPECT_FALSE(graf.Load(path));
            EXPECT_EQ(graf.FileKind, 0);
            EXPECT_EQ(graf.Signature, (std::array<char, 8>{}));
            EXPECT_FALSE(graf.FirstBlock.HasParams());
            EXPECT_FALSE(graf.SecondBlock.HasParams());
            EXPECT_EQ(graf.FirstBlock.Kind, -1);
            EXPECT_TRUE(graf.FirstBlock.Data.empty());
            EXPECT_TRUE(graf.Head.empty());
        }
    }
}

TEST_F(MyGraf, MissingFileOrFolderCannotBeLoaded) {
    TMyGraf graf(false);
    EXPECT_FALSE(graf.Load(Dir.File("absent.png")));
    EXPECT_FALSE(graf.Load(Dir.Path()));
    EXPECT_EQ(graf.FileKind, 0);
}

// A writer holds the file while it writes; a load meanwhile would see a half-written chunk.
TEST_F(MyGraf, FileHeldExclusivelyByAWriterCannotBeLoaded) {
    const std::string path = Put("held.png", test::TarvoPng());
    TWriteFile writer;
    ASSERT_TRUE(writer.Open(path));
    TMyGraf graf(false);
    EXPECT_FALSE(graf.Load(path));
    EXPECT_EQ(graf.ReadCheck.Problem, TFileProblem::Locked);
    ASSERT_TRUE(writer.Close());
    EXPECT_TRUE(graf.Load(path));
}

TEST_F(MyGraf, EveryLoadStartsFromAnEmptyContainer) {
    TMyGraf graf(false);
    ASSERT_TRUE(graf.LoadBytes(test::TarvoPng()));
    ASSERT_TRUE(graf.LoadBytes(PngFile({Chunk("tEXt", GenInfoText())})));
    EXPECT_FALSE(graf.FirstBlock.HasParams());
    EXPECT_TRUE(graf.FirstBlock.Text.empty());
    EXPECT_EQ(graf.FirstBlock.Values, (std::array<TValuePos, 4>{}));
    ASSERT_TRUE(graf.LoadBytes(JpegFile(FirstBlockText())));
    EXPECT_EQ(graf.FileKind, 2);
    EXPECT_FALSE(graf.SecondBlock.HasParams());
}

TEST_F(MyGraf, ClearEmptiesBothBlocksButKeepsTheMode) {
    TMyGraf graf(true);
    ASSERT_TRUE(graf.LoadBytes(test::TarvoPng()));
    graf.Clear();
    EXPECT_TRUE(graf.WipeMode);
    EXPECT_EQ(graf.FileKind, 0);
    for (const TMyGrafItem* block : {&graf.FirstBlock, &graf.SecondBlock}) {
        EXPECT_EQ(block->Kind, -1);
        EXPECT_TRUE(block->Data.empty());
        EXPECT_EQ(block->CrcPos, 0);
        EXPECT_EQ(block->BlockOffset, 0);
        EXPECT_EQ(block->Crc, (std::array<std::uint8_t, 4>{}));
        EXPECT_EQ(block->TextStart, 0);
        EXPECT_EQ(block->TextEnd, 0);
        EXPECT_FALSE(block->Marked);
    }
}

TEST_F(MyGraf, OnlyTheFirstBlockOfAPngIsEnoughForALoad) {
    TMyGraf graf(false);
    ASSERT_TRUE(graf.LoadBytes(PngFile({Chunk("eXIf", FirstBlockText())})));
    EXPECT_TRUE(graf.FirstBlock.HasParams());
    EXPECT_FALSE(graf.SecondBlock.HasParams());
    EXPECT_EQ(BlockData(graf.FirstBlock), FirstBlockText());
}

} // namespace
} // namespace tarvo
