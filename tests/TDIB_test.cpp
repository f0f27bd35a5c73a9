#include "picture/DIB.h"
#include "picture/LoadImageFile.h"
#include "picture/Picture.h"
#include "support/PictureWriters.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace {

using tarvo::PixelAt;
using tarvo::TDIB;
using tarvo::TPicture;
using tarvo::TRGBQuad;
namespace tp = tarvo::testpic;

TPicture Decode(const char* ext, const tp::TBytes& bytes) {
    TPicture picture;
    EXPECT_TRUE(picture.LoadFromBytes(ext, bytes)) << ext;
    return picture;
}

std::uint8_t OverBlack(int v, int a) {
    return static_cast<std::uint8_t>((v * a + 127) / 255);
}

TEST(TDIB, StartsEmpty) {
    const TDIB dib;
    EXPECT_TRUE(dib.Empty());
    EXPECT_EQ(dib.Width(), 0);
    EXPECT_EQ(dib.Height(), 0);
}

TEST(TDIB, AnEmptyPictureEmptiesIt) {
    TDIB dib;
    ASSERT_TRUE(dib.Assign(Decode("png", tp::WritePngRgb(2, 2, std::vector<tp::TRgba>(4)))));
    ASSERT_FALSE(dib.Empty());
    EXPECT_TRUE(dib.Assign(TPicture{}));
    EXPECT_TRUE(dib.Empty());
    EXPECT_EQ(dib.Width(), 0);
}

TEST(TDIB, ClearEmptiesIt) {
    TDIB dib;
    ASSERT_TRUE(dib.Assign(Decode("png", tp::WritePngRgb(2, 2, std::vector<tp::TRgba>(4)))));
    dib.Clear();
    EXPECT_TRUE(dib.Empty());
}

TEST(TDIB, KeepsDepthAndPaletteOfPalettePictures) {
    const std::vector<tp::TRgba> palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {1, 2, 3}};
    const std::vector<std::uint8_t> indexes = {0, 1, 2, 3, 3, 2};
    tp::TGif gif{3, 2, 0, palette, {{0, 0, 3, 2, false, -1, {}, indexes}}};
    const struct {
        const char* Ext;
        tp::TBytes Bytes;
    } cases[] = {{"png", tp::WritePngPalette(3, 2, indexes, palette)}, {"gif", tp::WriteGif(gif)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Ext);
        const TPicture picture = Decode(c.Ext, c.Bytes);
        TDIB dib;
        ASSERT_TRUE(dib.Assign(picture));
        EXPECT_EQ(dib.BitCount(), 8);
        EXPECT_EQ(dib.Bitmap().Palette, picture.Bitmap().Palette);
        for (std::size_t i = 0; i < palette.size(); ++i)
            EXPECT_EQ(dib.Bitmap().Palette[i],
                      (TRGBQuad{palette[i].B, palette[i].G, palette[i].R, 255}));
        for (int y = 0; y < 2; ++y)
            EXPECT_EQ(std::memcmp(dib.Bitmap().Row(y), picture.Bitmap().Row(y), 3), 0);
    }
}

TEST(TDIB, DrawsTransparentPaletteEntriesOntoBlack) {
    const std::vector<tp::TRgba> palette = {
        {200, 100, 50, 0}, {200, 100, 50, 128}, {200, 100, 50, 255}};
    TDIB dib;
    ASSERT_TRUE(dib.Assign(
        Decode("png", tp::WritePngPalette(3, 1, std::vector<std::uint8_t>{0, 1, 2}, palette))));
    EXPECT_EQ(dib.Bitmap().Palette[0], (TRGBQuad{0, 0, 0, 255}));
    EXPECT_EQ(dib.Bitmap().Palette[1],
              (TRGBQuad{OverBlack(50, 128), OverBlack(100, 128), OverBlack(200, 128), 255}));
    EXPECT_EQ(dib.Bitmap().Palette[2], (TRGBQuad{50, 100, 200, 255}));
}

TEST(TDIB, GivesTheGifTransparentColourAsBlack) {
    tp::TGif gif{2, 1, 0, {{255, 255, 255}, {0, 255, 0}}, {{0, 0, 2, 1, false, 0, {}, {0, 1}}}};
    TDIB dib;
    ASSERT_TRUE(dib.Assign(Decode("gif", tp::WriteGif(gif))));
    EXPECT_EQ(PixelAt(dib.Bitmap(), 0, 0), (TRGBQuad{0, 0, 0, 255}));
    EXPECT_EQ(PixelAt(dib.Bitmap(), 1, 0), (TRGBQuad{0, 255, 0, 255}));
}

TEST(TDIB, DrawsAlphaPicturesOntoBlackAndBecomesOpaque) {
    const std::vector<tp::TRgba> pixels = {
        {200, 100, 50, 255}, {200, 100, 50, 128}, {200, 100, 50, 0}, {255, 255, 255, 1}};
    TDIB dib;
    ASSERT_TRUE(dib.Assign(Decode("png", tp::WritePngRgba(2, 2, pixels))));
    EXPECT_EQ(dib.BitCount(), 32);
    EXPECT_FALSE(dib.Bitmap().HasAlpha);
    for (int i = 0; i < 4; ++i) {
        const tp::TRgba& p = pixels[static_cast<std::size_t>(i)];
        const std::uint8_t* px = dib.Bitmap().Row(i / 2) + (i % 2) * 4;
        EXPECT_EQ(px[0], OverBlack(p.B, p.A)) << i;
        EXPECT_EQ(px[1], OverBlack(p.G, p.A)) << i;
        EXPECT_EQ(px[2], OverBlack(p.R, p.A)) << i;
        EXPECT_EQ(px[3], 255) << i;
    }
}

TEST(TDIB, MakesJpegPictures24Bit) {
    const std::vector<tp::TRgba> pixels(16 * 8, {30, 160, 220, 255});
    const TPicture picture = Decode("jpg", tp::WriteJpeg(16, 8, pixels, 95, TJSAMP_420));
    TDIB dib;
    ASSERT_TRUE(dib.Assign(picture));
    EXPECT_EQ(dib.BitCount(), 24);
    EXPECT_EQ(dib.Width(), 16);
    EXPECT_EQ(dib.Height(), 8);
    EXPECT_EQ(
        std::memcmp(dib.Bitmap().Bits(), picture.Bitmap().Bits(), picture.Bitmap().SizeBytes()), 0);
}

TEST(TDIB, KeepsFourAndSixteenBitBitmaps) {
    tp::TBmp four;
    four.Width = 5;
    four.Height = 2;
    four.BitCount = 4;
    for (int i = 0; i < 16; ++i)
        four.Palette.push_back({static_cast<std::uint8_t>(i * 16), 0, 0});
    four.Pixels = tp::BmpRows(5, 2, 4, false,
                              [](int x, int y) { return static_cast<std::uint32_t>(x + y * 5); });
    tp::TBmp sixteen;
    sixteen.Width = 2;
    sixteen.Height = 1;
    sixteen.BitCount = 16;
    sixteen.Compression = 3;
    sixteen.Masks = {0xF800, 0x07E0, 0x001F, 0};
    sixteen.Pixels =
        tp::BmpRows(2, 1, 16, false, [](int x, int) { return x == 0 ? 0xF800u : 0x001Fu; });
    TDIB dib;
    ASSERT_TRUE(dib.Assign(Decode("bmp", tp::WriteBmp(four))));
    EXPECT_EQ(dib.BitCount(), 4);
    EXPECT_EQ(dib.Bitmap().Palette.size(), 16u);
    EXPECT_EQ(PixelAt(dib.Bitmap(), 3, 1), (TRGBQuad{0, 0, 8 * 16, 255}));
    ASSERT_TRUE(dib.Assign(Decode("dib", tp::WriteBmp(sixteen))));
    EXPECT_EQ(dib.BitCount(), 16);
    EXPECT_EQ(dib.Bitmap().Masks, (std::array<std::uint32_t, 3>{0xF800, 0x07E0, 0x001F}));
    EXPECT_EQ(PixelAt(dib.Bitmap(), 0, 0), (TRGBQuad{0, 0, 255, 255}));
    EXPECT_EQ(PixelAt(dib.Bitmap(), 1, 0), (TRGBQuad{255, 0, 0, 255}));
}

TEST(TDIB, OutlivesThePictureItWasCopiedFrom) {
    std::vector<tp::TRgba> pixels;
    for (int i = 0; i < 12; ++i)
        pixels.push_back({static_cast<std::uint8_t>(i * 20), 7, 9, 255});
    TDIB dib;
    {
        TPicture picture = Decode("png", tp::WritePngRgb(4, 3, pixels));
        ASSERT_TRUE(dib.Assign(picture));
        EXPECT_NE(dib.Bitmap().Bits(), picture.Bitmap().Bits());
    }
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(PixelAt(dib.Bitmap(), i % 4, i / 4),
                  (TRGBQuad{9, 7, static_cast<std::uint8_t>(i * 20), 255}));
}

TEST(TDIB, TakingThePixelsOverGivesTheSameBitmapAsACopy) {
    const std::vector<tp::TRgba> rgba = {
        {200, 100, 50, 255}, {200, 100, 50, 128}, {200, 100, 50, 0}, {255, 255, 255, 1}};
    const std::vector<tp::TRgba> palette = {{10, 20, 30, 0}, {40, 50, 60, 128}, {70, 80, 90}};
    const struct {
        const char* Ext;
        tp::TBytes Bytes;
    } cases[] = {
        {"png", tp::WritePngRgba(2, 2, rgba)},
        {"png", tp::WritePngPalette(3, 1, std::vector<std::uint8_t>{0, 1, 2}, palette)},
        {"jpg",
         tp::WriteJpeg(16, 8, std::vector<tp::TRgba>(128, {30, 160, 220, 255}), 95, TJSAMP_420)},
    };
    for (const auto& c : cases) {
        TPicture picture = Decode(c.Ext, c.Bytes);
        TDIB copied;
        ASSERT_TRUE(copied.Assign(picture));
        TDIB taken;
        ASSERT_TRUE(taken.Assign(std::move(picture)));
        EXPECT_TRUE(picture.Empty());
        ASSERT_EQ(taken.BitCount(), copied.BitCount());
        ASSERT_EQ(taken.Width(), copied.Width());
        EXPECT_EQ(
            std::memcmp(taken.Bitmap().Bits(), copied.Bitmap().Bits(), copied.Bitmap().SizeBytes()),
            0);
        EXPECT_EQ(taken.Bitmap().Palette.size(), copied.Bitmap().Palette.size());
        for (std::size_t i = 0; i < copied.Bitmap().Palette.size(); ++i)
            EXPECT_EQ(taken.Bitmap().Palette[i], copied.Bitmap().Palette[i]) << i;
    }
}

TEST(TDIB, ANewCopyReplacesTheOldOne) {
    TDIB dib;
    ASSERT_TRUE(dib.Assign(Decode("png", tp::WritePngRgb(8, 8, std::vector<tp::TRgba>(64)))));
    ASSERT_TRUE(
        dib.Assign(Decode("png", tp::WritePngGray(3, 2, std::vector<std::uint8_t>(6, 77)))));
    EXPECT_EQ(dib.Width(), 3);
    EXPECT_EQ(dib.Height(), 2);
    EXPECT_EQ(dib.BitCount(), 8);
    EXPECT_EQ(PixelAt(dib.Bitmap(), 2, 1), (TRGBQuad{77, 77, 77, 255}));
}

} // namespace
