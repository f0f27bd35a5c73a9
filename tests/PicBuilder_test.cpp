// The test-picture builder itself: the files it makes are what the readers expect and what
// the libraries decode, so tests built on it check the program, not the builder.
#include "params/DatTypes.h"
#include "support/PicBuilder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

namespace tarvo::test {
namespace {

TEST(PicBuilder, TarvoPngDecodesToThePicturePixelsWithRightCrcs) {
    const TPicture picture{20, 10, false, {}};
    const std::string png = TarvoPng({}, picture);
    EXPECT_EQ(png.substr(0, 8), std::string(PngSignature));
    EXPECT_TRUE(AllCrcsOk(png));
    const auto decoded = DecodePng(png);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_FALSE(decoded->Warned);
    EXPECT_EQ(decoded->Width, 20);
    EXPECT_EQ(decoded->Height, 10);
    EXPECT_EQ(decoded->Rgb, PicturePixels(picture));
    std::vector<std::string> types;
    for (const TChunkInfo& chunk : PngChunks(png))
        types.push_back(chunk.Type);
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "eXIf", "tEXt", "IDAT", "IEND"}));
}

TEST(PicBuilder, WrongCrcIsSeenByTheChunkWalkAndByLibpng) {
    const std::string png = PngFile({Chunk("tEXt", GenInfoText(), true)});
    EXPECT_FALSE(AllCrcsOk(png));
    const auto chunks = PngChunks(png);
    ASSERT_EQ(chunks.size(), 4u);
    EXPECT_FALSE(chunks[1].CrcOk);
    EXPECT_TRUE(chunks[2].CrcOk);
    const auto decoded = DecodePng(png);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_TRUE(decoded->Warned);
}

TEST(PicBuilder, NoisyPictureNeedsAnIdatLongerThanTheReadLimit) {
    EXPECT_GT(IdatChunk({96, 96, true, {}}).size(), 20012u);
    const std::string png = PngFile({}, {}, {96, 96, true, {}});
    const auto decoded = DecodePng(png);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->Rgb, PicturePixels({96, 96, true, {}}));
}

TEST(PicBuilder, FirstBlockDataIsAnExifUserComment) {
    const std::string data = FirstBlockData("k: v\n");
    EXPECT_EQ(data.substr(0, 4), std::string("II*\0", 4));
    EXPECT_EQ(data.substr(FirstBlockMarkerOffset, 8), std::string("UNICODE\0", 8));
    EXPECT_EQ(data.substr(FirstBlockMarkerOffset + 8, 2), std::string("\n\0", 2));
    EXPECT_EQ(data.substr(FirstBlockTextOffset), Utf16("k: v\n"));
    // The UserComment entry counts the character code and the text.
    const auto count = static_cast<unsigned char>(data[26 + 2 + 4]);
    EXPECT_EQ(count, data.size() - FirstBlockMarkerOffset);
}

TEST(PicBuilder, Utf16EncodesSurrogatePairs) {
    EXPECT_EQ(Utf16("A"), std::string("A\0", 2));
    EXPECT_EQ(Utf16("Ж"), std::string("\x16\x04", 2));
    EXPECT_EQ(Utf16("🦊"), std::string("\x3E\xD8\x8A\xDD", 4));
}

TEST(PicBuilder, JpegFileIsADecodableJfifWithTheBlockAfterApp0) {
    const std::string block = FirstBlockText();
    const std::string jpeg = JpegFile(block, {32, 16, false, {}}, 24000);
    EXPECT_GE(jpeg.size(), 24000u);
    EXPECT_EQ(jpeg.substr(0, 8), std::string(JpegSignature));
    // APP1 right after the 20 bytes of SOI and APP0: marker, length, "Exif\0\0", the block.
    EXPECT_EQ(jpeg.substr(20, 2), "\xFF\xE1");
    const std::size_t length =
        static_cast<unsigned char>(jpeg[22]) * 256u + static_cast<unsigned char>(jpeg[23]);
    EXPECT_EQ(length, 2 + 6 + block.size());
    EXPECT_EQ(jpeg.substr(24, 6), std::string("Exif\0\0", 6));
    EXPECT_EQ(jpeg.substr(JpegBlockDataOffset, block.size()), block);
    const auto decoded = DecodeJpeg(jpeg);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->Width, 32);
    EXPECT_EQ(decoded->Height, 16);
}

TEST(PicBuilder, JpegHeadHasExactlyTheAskedSize) {
    for (const std::size_t size : {std::size_t{19999}, std::size_t{20000}}) {
        const std::string head = JpegHead(FirstBlockText(), size);
        EXPECT_EQ(head.size(), size);
        EXPECT_EQ(head.substr(0, 8), std::string(JpegSignature));
        EXPECT_EQ(head.substr(JpegBlockDataOffset, 4), std::string("II*\0", 4));
    }
}

TEST(PicBuilder, ChangedSpansListTheRunsOfDifferingBytes) {
    EXPECT_EQ(ChangedSpans("abcdef", "aXcdYY"), (std::vector<TSpan>{{1, 1}, {4, 2}}));
    EXPECT_TRUE(ChangedSpans("same", "same").empty());
    EXPECT_TRUE(ChangesWithin("abcdef", "aXcdYY", {{1, 1}, {3, 3}}));
    EXPECT_FALSE(ChangesWithin("abcdef", "aXcdYY", {{1, 1}, {5, 1}}));
    EXPECT_FALSE(ChangesWithin("abc", "abcd", {{0, 10}}));
}

TEST(PicBuilder, TempDirHoldsFilesAndIsRemovedAfterwards) {
    std::string path;
    {
        TTempDir dir;
        path = dir.Path();
        ASSERT_FALSE(path.empty());
        ASSERT_TRUE(WriteFile(dir.File("x.bin"), std::string("a\0b", 3)));
        EXPECT_EQ(ReadWholeFile(dir.File("x.bin")), std::string("a\0b", 3));
    }
    struct stat st {};
    EXPECT_NE(stat(path.c_str(), &st), 0);
}

} // namespace
} // namespace tarvo::test
