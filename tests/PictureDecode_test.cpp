#include "picture/DIB.h"
#include "picture/Decoders.h"
#include "picture/Picture.h"
#include "support/PictureWriters.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using tarvo::PixelAt;
using tarvo::TBitmap;
using tarvo::TRGBQuad;
namespace tp = tarvo::testpic;

std::vector<tp::TRgba> Pattern(int w, int h) {
    std::vector<tp::TRgba> p;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            p.push_back({static_cast<std::uint8_t>(x * 40 + 3),
                         static_cast<std::uint8_t>(y * 50 + 7),
                         static_cast<std::uint8_t>((x * 13 + y * 29) & 0xFF),
                         static_cast<std::uint8_t>(255 - x * 20 - y)});
        }
    }
    return p;
}

// Compares every pixel's colour (and alpha when withAlpha) with the expected pixels.
void ExpectPixels(const TBitmap& b, const std::vector<tp::TRgba>& expected, int tolerance,
                  bool withAlpha) {
    ASSERT_FALSE(b.Empty());
    ASSERT_EQ(static_cast<std::size_t>(b.Width()) * static_cast<std::size_t>(b.Height()),
              expected.size());
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < b.Width(); ++x) {
            SCOPED_TRACE(::testing::Message() << "pixel " << x << "," << y);
            const TRGBQuad got = PixelAt(b, x, y);
            const tp::TRgba& want = expected[static_cast<std::size_t>(y * b.Width() + x)];
            EXPECT_LE(std::abs(got.Red - want.R), tolerance);
            EXPECT_LE(std::abs(got.Green - want.G), tolerance);
            EXPECT_LE(std::abs(got.Blue - want.B), tolerance);
            if (withAlpha) {
                EXPECT_EQ(got.Alpha, want.A);
            }
        }
    }
}

std::span<const std::uint8_t> Span(const tp::TBytes& b) {
    return {b.data(), b.size()};
}

// Every proper prefix of a valid file that cuts into its image data must fail.
template <typename Decode>
void ExpectPrefixesFail(const tp::TBytes& file, std::size_t from, Decode decode) {
    for (std::size_t n = 0; n < file.size(); ++n) {
        if (n < from && n > 8) continue;
        TBitmap out;
        EXPECT_FALSE(decode(std::span<const std::uint8_t>(file.data(), n), out)) << "length " << n;
        EXPECT_TRUE(out.Empty());
    }
}

// ---------------------------------------------------------------- PNG

TEST(DecodePng, ReadsRgbAsBlueGreenRed24Bits) {
    const auto pixels = Pattern(5, 3);
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodePng(Span(tp::WritePngRgb(5, 3, pixels)), b));
    EXPECT_EQ(b.BitCount(), 24);
    EXPECT_FALSE(b.HasAlpha);
    std::vector<tp::TRgba> opaque = pixels;
    for (auto& p : opaque)
        p.A = 255;
    ExpectPixels(b, opaque, 0, true);
    EXPECT_EQ(b.Row(0)[0], pixels[0].B); // byte order blue, green, red
    EXPECT_EQ(b.Row(0)[2], pixels[0].R);
}

TEST(DecodePng, KeepsAlphaOfRgbaIn32Bits) {
    const auto pixels = Pattern(4, 4);
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodePng(Span(tp::WritePngRgba(4, 4, pixels)), b));
    EXPECT_EQ(b.BitCount(), 32);
    EXPECT_TRUE(b.HasAlpha);
    ExpectPixels(b, pixels, 0, true);
}

TEST(DecodePng, KeepsEightBitGreyAsIndexesWithAGreyPalette) {
    std::vector<std::uint8_t> gray = {0, 17, 128, 200, 255, 3};
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodePng(Span(tp::WritePngGray(3, 2, gray)), b));
    EXPECT_EQ(b.BitCount(), 8);
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<std::uint8_t>(i);
        EXPECT_EQ(b.Palette[static_cast<std::size_t>(i)], (TRGBQuad{v, v, v, 255}));
    }
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(b.Row(y)[x], gray[static_cast<std::size_t>(y * 3 + x)]);
}

TEST(DecodePng, KeepsThePaletteAndIndexesOfPalettePictures) {
    // libpng writes 2, 4 and 8-bit palettes for these sizes; all come back as 8-bit indexes.
    for (const int entries : {2, 4, 16, 200}) {
        SCOPED_TRACE(entries);
        std::vector<tp::TRgba> palette;
        for (int i = 0; i < entries; ++i)
            palette.push_back({static_cast<std::uint8_t>(i * 7), static_cast<std::uint8_t>(255 - i),
                               static_cast<std::uint8_t>(i * 3 + 1), 255});
        std::vector<std::uint8_t> indexes;
        for (int i = 0; i < 7 * 5; ++i)
            indexes.push_back(static_cast<std::uint8_t>((i * 5) % entries));
        TBitmap b;
        ASSERT_TRUE(tarvo::DecodePng(Span(tp::WritePngPalette(7, 5, indexes, palette)), b));
        EXPECT_EQ(b.BitCount(), 8);
        ASSERT_EQ(b.Palette.size(), 256u);
        for (int i = 0; i < entries; ++i) {
            const auto& p = palette[static_cast<std::size_t>(i)];
            EXPECT_EQ(b.Palette[static_cast<std::size_t>(i)], (TRGBQuad{p.B, p.G, p.R, 255}));
        }
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                EXPECT_EQ(b.Row(y)[x], indexes[static_cast<std::size_t>(y * 7 + x)]);
    }
}

TEST(DecodePng, KeepsTransparencyOfPaletteEntries) {
    const std::vector<tp::TRgba> palette = {{10, 20, 30, 0}, {40, 50, 60, 128}, {70, 80, 90, 255}};
    const std::vector<std::uint8_t> indexes = {0, 1, 2, 2};
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodePng(Span(tp::WritePngPalette(2, 2, indexes, palette)), b));
    EXPECT_EQ(b.BitCount(), 8);
    EXPECT_EQ(b.Palette[0].Alpha, 0);
    EXPECT_EQ(b.Palette[1], (TRGBQuad{60, 50, 40, 128}));
    EXPECT_EQ(b.Palette[2], (TRGBQuad{90, 80, 70, 255}));
}

TEST(DecodePng, PadsAShortPaletteWithOpaqueBlack) {
    tp::TPngRaw raw{3, 1, 4, 3, false, {0x01, 0x20}, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {}};
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodePng(Span(tp::WritePngRaw(raw)), b));
    EXPECT_EQ(b.Palette[2], (TRGBQuad{9, 8, 7, 255}));
    for (std::size_t i = 3; i < 256; ++i)
        EXPECT_EQ(b.Palette[i], (TRGBQuad{0, 0, 0, 255}));
    EXPECT_EQ(b.Row(0)[0], 0);
    EXPECT_EQ(b.Row(0)[1], 1);
    EXPECT_EQ(b.Row(0)[2], 2);
}

TEST(DecodePng, ReadsOneBitGrey) {
    tp::TPngRaw raw{10, 2, 1, 0, false, {0b10110000, 0b01000000, 0xFF, 0xC0}, {}, {}};
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodePng(Span(tp::WritePngRaw(raw)), b));
    EXPECT_EQ(b.BitCount(), 8);
    const int expected[2][10] = {{1, 0, 1, 1, 0, 0, 0, 0, 0, 1}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(PixelAt(b, x, y).Green, expected[y][x] ? 255 : 0) << x << "," << y;
}

TEST(DecodePng, ReadsSixteenBitRgbWithoutGammaAsSrgb) {
    // Two pixels: white and (0x8080, 0, 0x4040).
    tp::TPngRaw raw{2,  1,     16,
                    2,  false, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0x80, 0, 0, 0x40, 0x40},
                    {}, {}};
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodePng(Span(tp::WritePngRaw(raw)), b));
    EXPECT_EQ(b.BitCount(), 24);
    EXPECT_EQ(PixelAt(b, 0, 0), (TRGBQuad{255, 255, 255, 255}));
    EXPECT_EQ(PixelAt(b, 1, 0), (TRGBQuad{0x40, 0, 0x80, 255}));
}

TEST(DecodePng, ReadsInterlacedPictures) {
    const auto pixels = Pattern(11, 9);
    tp::TPngRaw raw{11, 9, 8, 2, true, {}, {}, {}};
    for (const auto& p : pixels)
        raw.Rows.insert(raw.Rows.end(), {p.R, p.G, p.B});
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodePng(Span(tp::WritePngRaw(raw)), b));
    std::vector<tp::TRgba> opaque = pixels;
    for (auto& p : opaque)
        p.A = 255;
    ExpectPixels(b, opaque, 0, true);
}

TEST(DecodePng, ClearsRowPadding) {
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodePng(Span(tp::WritePngRgb(3, 2, Pattern(3, 2))), b));
    ASSERT_EQ(b.Stride(), 12u);
    EXPECT_EQ(b.Row(0)[9] | b.Row(0)[10] | b.Row(0)[11] | b.Row(1)[11], 0);
}

TEST(DecodePng, RejectsEveryTruncation) {
    const tp::TBytes file = tp::WritePngRgb(16, 16, Pattern(16, 16));
    ExpectPrefixesFail(file, 0, [](auto d, TBitmap& b) { return tarvo::DecodePng(d, b); });
}

TEST(DecodePng, RejectsMalformedFiles) {
    const tp::TBytes good = tp::WritePngRgb(4, 4, Pattern(4, 4));
    struct TCase {
        const char* Note;
        tp::TBytes File;
    };
    tp::TBytes badCrc = good;
    badCrc[good.size() - 20] ^= 0x55; // inside the IDAT data, so its CRC no longer matches
    tp::TBytes badSignature = good;
    badSignature[1] = 'Q';
    tp::TPngRaw zeroWidth{0, 4, 8, 2, false, {}, {}, {}};
    tp::TPngRaw badDepth{4, 4, 3, 2, false, tp::TBytes(4 * 4 * 3, 0), {}, {}};
    tp::TPngRaw noPalette{4, 1, 8, 3, false, {0, 0, 0, 0}, {}, {}};
    tp::TPngRaw huge{100000, 100000, 8, 0, false, {}, {}, {}};
    tp::TPngRaw aboveLimit{8193, 8192, 8, 0, false, {}, {}, {}};
    tp::TPngRaw shortData{4, 4, 8, 2, false, tp::TBytes(4 * 3, 0), {}, {}};
    const TCase cases[] = {
        {"empty", {}},
        {"signature only", tp::TBytes(good.begin(), good.begin() + 8)},
        {"wrong signature", badSignature},
        {"IDAT CRC mismatch", badCrc},
        {"zero width", tp::WritePngRaw(zeroWidth)},
        {"bit depth 3", tp::WritePngRaw(badDepth)},
        {"palette picture without PLTE", tp::WritePngRaw(noPalette)},
        {"100000 x 100000 grey", tp::WritePngRaw(huge)},
        {"one row above the pixel limit", tp::WritePngRaw(aboveLimit)},
        {"image data for one row of four", tp::WritePngRaw(shortData)},
        {"not a PNG", {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Note);
        TBitmap b;
        EXPECT_FALSE(tarvo::DecodePng(Span(c.File), b));
        EXPECT_TRUE(b.Empty());
    }
}

// ---------------------------------------------------------------- JPEG

std::vector<tp::TRgba> Blocks(int w, int h) {
    // 8x8 blocks of flat colour survive JPEG compression almost exactly.
    static const tp::TRgba kColors[] = {
        {200, 30, 40}, {20, 180, 60}, {30, 40, 220}, {250, 250, 250}};
    std::vector<tp::TRgba> p;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.push_back(kColors[((x / 8) + 2 * (y / 8)) % 4]);
    return p;
}

TEST(DecodeJpeg, ReadsColourPicturesAs24Bits) {
    for (const int sampling : {TJSAMP_444, TJSAMP_422, TJSAMP_420}) {
        for (const bool progressive : {false, true}) {
            SCOPED_TRACE(::testing::Message()
                         << "sampling " << sampling << " progressive " << progressive);
            const auto pixels = Blocks(32, 16);
            TBitmap b;
            ASSERT_TRUE(tarvo::DecodeJpeg(
                Span(tp::WriteJpeg(32, 16, pixels, 100, sampling, progressive)), b));
            EXPECT_EQ(b.BitCount(), 24);
            EXPECT_EQ(b.Width(), 32);
            EXPECT_EQ(b.Height(), 16);
            // Chroma subsampling blurs block edges; compare block centres.
            for (int y = 2; y < 16; y += 8)
                for (int x = 2; x < 32; x += 8) {
                    const TRGBQuad got = PixelAt(b, x + 2, y + 2);
                    const tp::TRgba& want = pixels[static_cast<std::size_t>((y + 2) * 32 + x + 2)];
                    EXPECT_NEAR(got.Red, want.R, 4);
                    EXPECT_NEAR(got.Green, want.G, 4);
                    EXPECT_NEAR(got.Blue, want.B, 4);
                }
        }
    }
}

TEST(DecodeJpeg, ReadsAnOddSizedPictureExactlyAtFullQuality) {
    const auto pixels = Blocks(13, 7);
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodeJpeg(Span(tp::WriteJpeg(13, 7, pixels, 100, TJSAMP_444)), b));
    ExpectPixels(b, pixels, 6, false);
    EXPECT_EQ(b.Row(0)[39], 0); // padding after 13 * 3 bytes
}

TEST(DecodeJpeg, ReadsGreyPicturesAsEqualChannels) {
    std::vector<std::uint8_t> gray(16 * 8);
    for (std::size_t i = 0; i < gray.size(); ++i)
        gray[i] = (i % 16) < 8 ? 40 : 210;
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodeJpeg(Span(tp::WriteJpegGray(16, 8, gray, 100)), b));
    EXPECT_EQ(b.BitCount(), 24);
    const TRGBQuad left = PixelAt(b, 2, 3);
    const TRGBQuad right = PixelAt(b, 13, 3);
    EXPECT_NEAR(left.Red, 40, 2);
    EXPECT_EQ(left.Red, left.Green);
    EXPECT_EQ(left.Red, left.Blue);
    EXPECT_NEAR(right.Red, 210, 2);
}

TEST(DecodeJpeg, ConvertsInvertedCmyk) {
    // Stored values are inverted (255 = no ink), so red = C*K/255, green = M*K/255 and
    // blue = Y*K/255: (255, 0, 255, 255) is full magenta ink alone, giving (255, 0, 255).
    std::vector<std::uint8_t> cmyk;
    for (int i = 0; i < 16 * 16; ++i)
        cmyk.insert(cmyk.end(), {255, 0, 255, 255});
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodeJpeg(Span(tp::WriteJpegCmyk(16, 16, cmyk, 100)), b));
    EXPECT_EQ(b.BitCount(), 24);
    const TRGBQuad c = PixelAt(b, 8, 8);
    EXPECT_NEAR(c.Red, 255, 3);
    EXPECT_NEAR(c.Green, 0, 3);
    EXPECT_NEAR(c.Blue, 255, 3);
}

TEST(DecodeJpeg, RejectsEveryTruncation) {
    const tp::TBytes file = tp::WriteJpeg(24, 24, Blocks(24, 24), 90, TJSAMP_420);
    ExpectPrefixesFail(file, 0, [](auto d, TBitmap& b) { return tarvo::DecodeJpeg(d, b); });
}

TEST(DecodeJpeg, RejectsMalformedFiles) {
    const tp::TBytes good = tp::WriteJpeg(16, 16, Blocks(16, 16), 90, TJSAMP_444);
    // The frame header follows the quantisation tables; find its size fields.
    std::size_t sof = 0;
    for (std::size_t i = 0; i + 1 < good.size(); ++i)
        if (good[i] == 0xFF && good[i + 1] == 0xC0) {
            sof = i;
            break;
        }
    ASSERT_NE(sof, 0u);
    tp::TBytes huge = good; // 65000 x 65000
    huge[sof + 5] = 0xFD;
    huge[sof + 6] = 0xE8;
    huge[sof + 7] = 0xFD;
    huge[sof + 8] = 0xE8;
    tp::TBytes zero = good;
    zero[sof + 7] = 0;
    zero[sof + 8] = 0;
    std::size_t sos = 0;
    for (std::size_t i = 0; i + 1 < good.size(); ++i)
        if (good[i] == 0xFF && good[i + 1] == 0xDA) {
            sos = i;
            break;
        }
    ASSERT_NE(sos, 0u);
    tp::TBytes corrupt = good; // a restart marker in the middle of a scan without restarts
    const std::size_t scanData = sos + 2 + (good[sos + 2] << 8 | good[sos + 3]);
    ASSERT_LT(scanData + 12, good.size());
    corrupt[scanData + 10] = 0xFF;
    corrupt[scanData + 11] = 0xD0;
    tp::TBytes noSoi = good;
    noSoi[1] = 0x00;
    struct TCase {
        const char* Note;
        tp::TBytes File;
    };
    const TCase cases[] = {
        {"empty", {}},
        {"65000 x 65000 frame", huge},
        {"zero width", zero},
        {"marker inside the scan", corrupt},
        {"no start marker", noSoi},
        {"a PNG", tp::WritePngRgb(2, 2, Pattern(2, 2))},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Note);
        TBitmap b;
        EXPECT_FALSE(tarvo::DecodeJpeg(Span(c.File), b));
        EXPECT_TRUE(b.Empty());
    }
}

// ---------------------------------------------------------------- GIF

const std::vector<tp::TRgba> kGlobal = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

tp::TGifFrame Frame(int left, int top, int w, int h, int seed) {
    tp::TGifFrame f;
    f.Left = left;
    f.Top = top;
    f.Width = w;
    f.Height = h;
    for (int i = 0; i < w * h; ++i)
        f.Indexes.push_back(static_cast<std::uint8_t>((i + seed) % 4));
    return f;
}

TEST(DecodeGif, ReadsAFullFrameWithTheGlobalPalette) {
    tp::TGif gif{5, 3, 0, kGlobal, {Frame(0, 0, 5, 3, 0)}};
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodeGif(Span(tp::WriteGif(gif)), b));
    EXPECT_EQ(b.BitCount(), 8);
    EXPECT_EQ(b.Width(), 5);
    EXPECT_EQ(b.Height(), 3);
    for (std::size_t i = 0; i < kGlobal.size(); ++i)
        EXPECT_EQ(b.Palette[i], (TRGBQuad{kGlobal[i].B, kGlobal[i].G, kGlobal[i].R, 255}));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(b.Row(y)[x], (y * 5 + x) % 4);
}

TEST(DecodeGif, PrefersTheFramesLocalPalette) {
    tp::TGifFrame f = Frame(0, 0, 2, 2, 1);
    f.LocalPalette = {{9, 8, 7}, {6, 5, 4}, {3, 2, 1}, {11, 12, 13}};
    tp::TGif gif{2, 2, 0, kGlobal, {f}};
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodeGif(Span(tp::WriteGif(gif)), b));
    EXPECT_EQ(b.Palette[0], (TRGBQuad{7, 8, 9, 255}));
    EXPECT_EQ(b.Palette[3], (TRGBQuad{13, 12, 11, 255}));
    EXPECT_EQ(b.Palette[4], (TRGBQuad{0, 0, 0, 255}));
}

TEST(DecodeGif, PlacesASmallFrameOnTheLogicalScreen) {
    tp::TGif gif{6, 5, 2, kGlobal, {Frame(2, 1, 3, 2, 1)}};
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodeGif(Span(tp::WriteGif(gif)), b));
    ASSERT_EQ(b.Width(), 6);
    ASSERT_EQ(b.Height(), 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inFrame = x >= 2 && x < 5 && y >= 1 && y < 3;
            const int want = inFrame ? (((y - 1) * 3 + (x - 2)) + 1) % 4 : 2; // background index 2
            EXPECT_EQ(b.Row(y)[x], want) << x << "," << y;
        }
}

TEST(DecodeGif, ClipsAFrameThatReachesPastTheScreen) {
    tp::TGif gif{4, 4, 0, kGlobal, {Frame(2, 3, 5, 4, 0)}};
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodeGif(Span(tp::WriteGif(gif)), b));
    EXPECT_EQ(b.Row(3)[2], 0);
    EXPECT_EQ(b.Row(3)[3], 1);
    EXPECT_EQ(b.Row(2)[3], 0);
}

TEST(DecodeGif, MarksTheTransparentIndexAndLeavesItsPixelsUnpainted) {
    tp::TGifFrame f = Frame(1, 0, 2, 2, 0); // indexes 0 1 / 2 3
    f.Transparent = 1;
    tp::TGif gif{3, 2, 3, kGlobal, {f}};
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodeGif(Span(tp::WriteGif(gif)), b));
    EXPECT_EQ(b.Palette[1].Alpha, 0);
    EXPECT_EQ(b.Palette[0].Alpha, 255);
    EXPECT_EQ(b.Row(0)[0], 1); // outside the frame: the transparent index, not the background
    EXPECT_EQ(b.Row(0)[1], 0);
    EXPECT_EQ(b.Row(0)[2], 1);
    EXPECT_EQ(b.Row(1)[1], 2);
    EXPECT_EQ(b.Row(1)[2], 3);
}

TEST(DecodeGif, DeinterlacesInterlacedFrames) {
    tp::TGifFrame f = Frame(0, 0, 3, 11, 0);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 3; ++x)
            f.Indexes[static_cast<std::size_t>(y * 3 + x)] = static_cast<std::uint8_t>(y % 4);
    f.Interlace = true;
    tp::TGif gif{3, 11, 0, kGlobal, {f}};
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodeGif(Span(tp::WriteGif(gif)), b));
    for (int y = 0; y < 11; ++y)
        EXPECT_EQ(b.Row(y)[1], y % 4) << y;
}

TEST(DecodeGif, GivesTheFirstFrameOfAnAnimation) {
    tp::TGif gif{
        4, 4, 0, kGlobal, {Frame(0, 0, 4, 4, 0), Frame(0, 0, 4, 4, 2), Frame(1, 1, 2, 2, 3)}};
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodeGif(Span(tp::WriteGif(gif)), b));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(b.Row(y)[x], (y * 4 + x) % 4);
}

TEST(DecodeGif, RejectsEveryTruncationInsideTheFirstFrame) {
    tp::TGif gif{16, 16, 0, kGlobal, {Frame(0, 0, 16, 16, 0)}};
    const tp::TBytes file = tp::WriteGif(gif);
    // Only the trailer follows the frame; a file cut just before it still has its frame.
    for (std::size_t n = 0; n + 1 < file.size(); ++n) {
        TBitmap b;
        EXPECT_FALSE(tarvo::DecodeGif(std::span<const std::uint8_t>(file.data(), n), b)) << n;
        EXPECT_TRUE(b.Empty());
    }
}

TEST(DecodeGif, RejectsMalformedFiles) {
    struct TCase {
        const char* Note;
        tp::TBytes File;
    };
    tp::TGif noFrame{4, 4, 0, kGlobal, {}};
    tp::TGif noPalette{2, 2, 0, {}, {Frame(0, 0, 2, 2, 0)}};
    tp::TGif zeroScreen{0, 0, 0, kGlobal, {Frame(0, 0, 2, 2, 0)}};
    tp::TGif hugeScreen{65535, 65535, 0, kGlobal, {Frame(0, 0, 2, 2, 0)}};
    const tp::TBytes good = tp::WriteGif({2, 2, 0, kGlobal, {Frame(0, 0, 2, 2, 0)}});
    tp::TBytes hugeFrame = good;
    // The image descriptor follows the 13-byte screen descriptor and the 4-entry (12-byte)
    // global colour map; its width and height sit at offsets 5 to 8 of the descriptor.
    ASSERT_EQ(hugeFrame[13 + 12], ',');
    hugeFrame[13 + 12 + 5] = 0xFF;
    hugeFrame[13 + 12 + 6] = 0xFF;
    hugeFrame[13 + 12 + 7] = 0xFF;
    hugeFrame[13 + 12 + 8] = 0xFF;
    tp::TBytes badRecord = good;
    badRecord[13 + 12] = 'x';
    const TCase cases[] = {
        {"empty", {}},
        {"header only", {'G', 'I', 'F', '8', '9', 'a'}},
        {"no frame", tp::WriteGif(noFrame)},
        {"no colour map", tp::WriteGif(noPalette)},
        {"zero logical screen", tp::WriteGif(zeroScreen)},
        {"65535 x 65535 screen", tp::WriteGif(hugeScreen)},
        {"65535 x 65535 frame", hugeFrame},
        {"unknown record", badRecord},
        {"a PNG", tp::WritePngRgb(2, 2, Pattern(2, 2))},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Note);
        TBitmap b;
        EXPECT_FALSE(tarvo::DecodeGif(Span(c.File), b));
        EXPECT_TRUE(b.Empty());
    }
}

// ---------------------------------------------------------------- WebP

const tp::TRgba kTeal{20, 140, 160, 255};

// Sets the canvas size in the VP8X chunk that the animation encoder writes first: width - 1
// and height - 1, 24 bits each, little-endian.
tp::TBytes WithCanvas(tp::TBytes file, std::uint32_t width, std::uint32_t height) {
    if (file.size() < 30 || std::string(file.begin() + 12, file.begin() + 16) != "VP8X") {
        ADD_FAILURE() << "no VP8X chunk first";
        return file;
    }
    for (int i = 0; i < 3; ++i) {
        file[24 + i] = static_cast<std::uint8_t>((width - 1) >> (8 * i));
        file[27 + i] = static_cast<std::uint8_t>((height - 1) >> (8 * i));
    }
    return file;
}

// A 10 x 8 animation whose first frame has a transparent edge two pixels wide, so the
// encoder stores that frame as 6 x 4 pixels placed inside the canvas; the second is white.
std::vector<std::vector<tp::TRgba>> TwoFrames() {
    std::vector<tp::TRgba> first(10 * 8, {0, 0, 0, 0});
    for (int y = 2; y < 6; ++y)
        for (int x = 2; x < 8; ++x)
            first[static_cast<std::size_t>(y * 10 + x)] = {static_cast<std::uint8_t>(x * 30),
                                                           static_cast<std::uint8_t>(y * 40), 200,
                                                           static_cast<std::uint8_t>(255 - x * 9)};
    return {first, std::vector<tp::TRgba>(10 * 8, {255, 255, 255, 255})};
}

TEST(DecodeWebp, ReadsLossyAndLosslessStillPictures) {
    // 13 x 7, so that rows of 24 bits end in a byte of padding. The lossy encoder halves
    // the colour resolution, so its picture has gentle gradients.
    const auto pattern = Pattern(13, 7);
    std::vector<tp::TRgba> gentle = pattern;
    for (std::size_t i = 0; i < gentle.size(); ++i)
        gentle[i] = {static_cast<std::uint8_t>(90 + i % 13 * 4),
                     static_cast<std::uint8_t>(60 + i / 13 * 7),
                     static_cast<std::uint8_t>(170 - i % 13 * 3), pattern[i].A};
    struct TCase {
        const char* Note;
        tp::TBytes File;
        std::vector<tp::TRgba> Want;
        int BitCount;
        int Tolerance;
    };
    const TCase cases[] = {
        {"lossy", tp::WriteWebpLossy(13, 7, gentle, 100), gentle, 24, 6},
        {"lossy with alpha", tp::WriteWebpLossy(13, 7, gentle, 100, true), gentle, 32, 6},
        {"lossless", tp::WriteWebpLossless(13, 7, pattern), pattern, 24, 0},
        {"lossless with alpha", tp::WriteWebpLossless(13, 7, pattern, true), pattern, 32, 0},
        {"one colour, written bit by bit", tp::WriteWebpSolid(13, 7, kTeal),
         std::vector<tp::TRgba>(13 * 7, kTeal), 24, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Note);
        TBitmap b;
        ASSERT_TRUE(tarvo::DecodeWebp(Span(c.File), b));
        EXPECT_EQ(b.BitCount(), c.BitCount);
        EXPECT_EQ(b.HasAlpha, c.BitCount == 32);
        ExpectPixels(b, c.Want, c.Tolerance, c.BitCount == 32);
        for (int y = 0; y < b.Height(); ++y)
            for (std::size_t i = b.RowBytes(); i < b.Stride(); ++i)
                EXPECT_EQ(b.Row(y)[i], 0) << "padding of row " << y;
    }
}

TEST(DecodeWebp, KeepsAlphaForTheDisplayCopyToDrawOntoBlackAsForPng) {
    auto pixels = Pattern(6, 5);
    pixels[0].A = 0; // transparent pixels may lose their colour in the WebP file
    pixels[7].A = 0;
    tarvo::TPicture webp;
    tarvo::TPicture png;
    ASSERT_TRUE(webp.LoadFromBytes("WebP", Span(tp::WriteWebpLossless(6, 5, pixels, true))));
    ASSERT_TRUE(png.LoadFromBytes("png", Span(tp::WritePngRgba(6, 5, pixels))));
    EXPECT_TRUE(webp.Bitmap().HasAlpha);
    tarvo::TDIB webpShown;
    tarvo::TDIB pngShown;
    ASSERT_TRUE(webpShown.Assign(webp) && pngShown.Assign(png));
    ASSERT_EQ(webpShown.BitCount(), pngShown.BitCount());
    ASSERT_EQ(webpShown.Width() * webpShown.Height(), 6 * 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(PixelAt(webpShown.Bitmap(), x, y), PixelAt(pngShown.Bitmap(), x, y))
                << x << "," << y;
}

TEST(DecodeWebp, GivesTheFirstFrameOfAnAnimationOnItsCanvas) {
    const auto frames = TwoFrames();
    const tp::TBytes file = tp::WriteWebpAnimation(10, 8, frames);
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodeWebp(Span(file), b));
    EXPECT_TRUE(b.HasAlpha);
    ExpectPixels(b, frames[0], 0, true);
    // A larger canvas leaves more of it transparent black.
    ASSERT_TRUE(tarvo::DecodeWebp(Span(WithCanvas(file, 300, 200)), b));
    EXPECT_EQ(PixelAt(b, 299, 199), (TRGBQuad{0, 0, 0, 0}));
}

TEST(DecodeWebp, RejectsEveryTruncation) {
    const tp::TBytes files[] = {tp::WriteWebpLossy(16, 16, tp::NaturalPicture(16, 16, 7), 80),
                                tp::WriteWebpLossless(16, 16, Pattern(16, 16), true),
                                tp::WriteWebpAnimation(10, 8, TwoFrames())};
    for (const tp::TBytes& file : files) {
        ASSERT_FALSE(file.empty());
        ExpectPrefixesFail(file, 0, [](auto d, TBitmap& b) { return tarvo::DecodeWebp(d, b); });
    }
}

TEST(DecodeWebp, RejectsMalformedAndOversizedFiles) {
    const tp::TBytes lossy = tp::WriteWebpLossy(16, 16, tp::NaturalPicture(16, 16, 2), 80);
    const tp::TBytes lossless = tp::WriteWebpLossless(4, 4, Pattern(4, 4));
    ASSERT_TRUE(lossy.size() > 30 && lossless.size() > 30);
    ASSERT_EQ(lossy[23], 0x9D); // the key frame's start code, after its 3-byte tag
    ASSERT_EQ(lossless[20], 0x2F);
    const auto patched = [](tp::TBytes file, std::size_t at, std::uint8_t value) {
        file[at] = value;
        return file;
    };
    const tp::TBytes animation = tp::WriteWebpAnimation(10, 8, TwoFrames());
    struct TCase {
        const char* Note;
        tp::TBytes File;
    };
    // The oversized files are whole: at a smaller size they decode (tests above).
    const TCase cases[] = {
        {"empty", {}},
        {"RIFF header only", tp::TBytes(lossless.begin(), lossless.begin() + 12)},
        {"RIFF form WEBQ", patched(lossless, 11, 'Q')},
        {"bitstream without its RIFF container", tp::TBytes(lossless.begin() + 20, lossless.end())},
        {"lossy frame without start code", patched(lossy, 23, 0x9C)},
        {"lossless bitstream with a wrong signature", patched(lossless, 20, 0x2E)},
        {"first frame reaching past a 4 x 4 canvas", WithCanvas(animation, 4, 4)},
        {"a PNG", tp::WritePngRgb(2, 2, Pattern(2, 2))},
        {"8193 x 8192 picture", tp::WriteWebpSolid(8193, 8192, kTeal)},
        {"16384 x 16384 picture", tp::WriteWebpSolid(16384, 16384, kTeal)},
        {"8193 x 8192 animation canvas", WithCanvas(animation, 8193, 8192)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Note);
        TBitmap b;
        EXPECT_FALSE(tarvo::DecodeWebp(Span(c.File), b));
        EXPECT_TRUE(b.Empty());
    }
}

} // namespace
