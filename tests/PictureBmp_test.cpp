#include "picture/Decoders.h"
#include "support/PictureWriters.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace {

using tarvo::PixelAt;
using tarvo::TBitmap;
using tarvo::TRGBQuad;
namespace tp = tarvo::testpic;

std::span<const std::uint8_t> Span(const tp::TBytes& b) {
    return {b.data(), b.size()};
}

std::vector<tp::TRgba> Palette(int n) {
    std::vector<tp::TRgba> p;
    for (int i = 0; i < n; ++i)
        p.push_back({static_cast<std::uint8_t>(i * 16 + 5), static_cast<std::uint8_t>(255 - i),
                     static_cast<std::uint8_t>(i * 3)});
    return p;
}

std::uint32_t IndexAt(int x, int y, int bitCount) {
    return static_cast<std::uint32_t>(x * 3 + y * 5) % (1u << bitCount);
}

struct TIndexedCase {
    const char* Note;
    int BitCount;
    int Width, Height;
    bool TopDown;
    std::uint32_t HeaderSize;
};

TEST(DecodeBmp, KeepsDepthPaletteAndIndexesOfPalettePictures) {
    const TIndexedCase cases[] = {
        {"1 bit", 1, 13, 3, false, 40},
        {"4 bits", 4, 7, 4, false, 40},
        {"8 bits", 8, 5, 6, false, 40},
        {"8 bits top-down", 8, 5, 6, true, 40},
        {"1 bit top-down", 1, 33, 2, true, 40},
        {"4 bits, V4 header", 4, 3, 3, false, 108},
        {"8 bits, V5 header", 8, 4, 2, false, 124},
        {"8 bits, core header", 8, 6, 3, false, 12},
        {"1 bit, core header", 1, 9, 2, false, 12},
    };
    for (const TIndexedCase& c : cases) {
        SCOPED_TRACE(c.Note);
        const int entries = 1 << c.BitCount;
        tp::TBmp bmp;
        bmp.Width = c.Width;
        bmp.Height = c.TopDown ? -c.Height : c.Height;
        bmp.BitCount = static_cast<std::uint16_t>(c.BitCount);
        bmp.HeaderSize = c.HeaderSize;
        bmp.Palette = Palette(entries);
        const int bits = c.BitCount;
        bmp.Pixels = tp::BmpRows(c.Width, c.Height, bits, c.TopDown,
                                 [bits](int x, int y) { return IndexAt(x, y, bits); });
        TBitmap b;
        ASSERT_TRUE(tarvo::DecodeBmp(Span(tp::WriteBmp(bmp)), b));
        EXPECT_EQ(b.BitCount(), c.BitCount);
        EXPECT_EQ(b.Width(), c.Width);
        EXPECT_EQ(b.Height(), c.Height);
        ASSERT_EQ(b.Palette.size(), static_cast<std::size_t>(entries));
        for (int i = 0; i < entries; ++i) {
            const tp::TRgba& p = bmp.Palette[static_cast<std::size_t>(i)];
            EXPECT_EQ(b.Palette[static_cast<std::size_t>(i)], (TRGBQuad{p.B, p.G, p.R, 255}));
        }
        for (int y = 0; y < c.Height; ++y)
            for (int x = 0; x < c.Width; ++x) {
                const tp::TRgba& want = bmp.Palette[IndexAt(x, y, bits)];
                EXPECT_EQ(PixelAt(b, x, y), (TRGBQuad{want.B, want.G, want.R, 255}))
                    << x << "," << y;
            }
    }
}

TEST(DecodeBmp, FillsPaletteEntriesBeyondColorsUsedWithBlack) {
    tp::TBmp bmp;
    bmp.Width = 4;
    bmp.Height = 1;
    bmp.BitCount = 8;
    bmp.ColorsUsed = 3;
    bmp.Palette = Palette(3);
    bmp.Pixels =
        tp::BmpRows(4, 1, 8, false, [](int x, int) { return static_cast<std::uint32_t>(x); });
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodeBmp(Span(tp::WriteBmp(bmp)), b));
    EXPECT_EQ(b.Palette.size(), 256u);
    EXPECT_EQ(PixelAt(b, 2, 0),
              (TRGBQuad{bmp.Palette[2].B, bmp.Palette[2].G, bmp.Palette[2].R, 255}));
    EXPECT_EQ(PixelAt(b, 3, 0), (TRGBQuad{0, 0, 0, 255}));
}

struct TDirectCase {
    const char* Note;
    int BitCount;
    std::uint32_t Compression;
    std::uint32_t HeaderSize;
    std::array<std::uint32_t, 4> Masks;
    bool TopDown;
};

// Stores (r, g, b) through the masks (or the default layout) as the file would.
std::uint32_t Store(const TDirectCase& c, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    std::array<std::uint32_t, 3> masks = {c.Masks[0], c.Masks[1], c.Masks[2]};
    if (c.Compression == 0) {
        if (c.BitCount == 16)
            masks = {0x7C00, 0x03E0, 0x001F};
        else
            return (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
    }
    std::uint32_t v = 0;
    const std::uint8_t ch[3] = {r, g, b};
    for (int i = 0; i < 3; ++i) {
        const std::uint32_t m = masks[static_cast<std::size_t>(i)];
        const int shift = std::countr_zero(m);
        const std::uint32_t max = m >> shift;
        v |= ((ch[i] * max + 127) / 255) << shift;
    }
    return v;
}

TEST(DecodeBmp, ReadsDirectColourPictures) {
    const TDirectCase cases[] = {
        {"16 bits 5-5-5", 16, 0, 40, {}, false},
        {"16 bits 5-6-5 bit fields", 16, 3, 40, {0xF800, 0x07E0, 0x001F, 0}, false},
        {"16 bits 4-4-4 bit fields, top-down", 16, 3, 40, {0x0F00, 0x00F0, 0x000F, 0}, true},
        {"16 bits alpha bit fields", 16, 6, 40, {0x0F00, 0x00F0, 0x000F, 0xF000}, false},
        {"24 bits", 24, 0, 40, {}, false},
        {"24 bits top-down", 24, 0, 40, {}, true},
        {"24 bits core header", 24, 0, 12, {}, false},
        {"32 bits", 32, 0, 40, {}, false},
        {"32 bits standard bit fields", 32, 3, 40, {0xFF0000, 0xFF00, 0xFF, 0}, false},
        {"32 bits swapped bit fields", 32, 3, 40, {0xFF, 0xFF00, 0xFF0000, 0}, false},
        {"32 bits 10-10-10 in a V5 header",
         32,
         3,
         124,
         {0x3FF00000, 0x000FFC00, 0x000003FF, 0},
         true},
        {"16 bits 5-6-5 in a V3 header", 16, 3, 56, {0xF800, 0x07E0, 0x001F, 0}, false},
    };
    const std::uint8_t levels[] = {0, 255, 128, 64};
    for (const TDirectCase& c : cases) {
        SCOPED_TRACE(c.Note);
        const int w = 5;
        const int h = 4;
        auto colour = [&](int x, int y) {
            return std::array<std::uint8_t, 3>{levels[x % 4], levels[y % 4], levels[(x + y) % 4]};
        };
        tp::TBmp bmp;
        bmp.Width = w;
        bmp.Height = c.TopDown ? -h : h;
        bmp.BitCount = static_cast<std::uint16_t>(c.BitCount);
        bmp.Compression = c.Compression;
        bmp.HeaderSize = c.HeaderSize;
        bmp.Masks = c.Masks;
        bmp.Pixels = tp::BmpRows(w, h, c.BitCount, c.TopDown, [&](int x, int y) {
            const auto col = colour(x, y);
            return Store(c, col[0], col[1], col[2]);
        });
        TBitmap b;
        ASSERT_TRUE(tarvo::DecodeBmp(Span(tp::WriteBmp(bmp)), b));
        EXPECT_EQ(b.BitCount(), c.BitCount);
        EXPECT_FALSE(b.HasAlpha);
        // Coarse masks cannot hold every level exactly; 4 bits per channel lose up to 8.
        const int tolerance = c.BitCount == 16 ? 9 : 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                SCOPED_TRACE(::testing::Message() << x << "," << y);
                const auto want = colour(x, y);
                const TRGBQuad got = PixelAt(b, x, y);
                EXPECT_NEAR(got.Red, want[0], tolerance);
                EXPECT_NEAR(got.Green, want[1], tolerance);
                EXPECT_NEAR(got.Blue, want[2], tolerance);
                EXPECT_EQ(got.Alpha, 255);
                if (c.BitCount == 32) {
                    EXPECT_EQ(b.Row(y)[x * 4 + 3], 255);
                }
            }
    }
}

TEST(DecodeBmp, KeepsTheMasksOf16BitPictures) {
    tp::TBmp bmp;
    bmp.Width = 2;
    bmp.Height = 1;
    bmp.BitCount = 16;
    bmp.Compression = 3;
    bmp.Masks = {0xF800, 0x07E0, 0x001F, 0};
    bmp.Pixels =
        tp::BmpRows(2, 1, 16, false, [](int x, int) { return x == 0 ? 0xF800u : 0x07E0u; });
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodeBmp(Span(tp::WriteBmp(bmp)), b));
    EXPECT_EQ(b.Masks, (std::array<std::uint32_t, 3>{0xF800, 0x07E0, 0x001F}));
    EXPECT_EQ(PixelAt(b, 0, 0), (TRGBQuad{0, 0, 255, 255}));
    EXPECT_EQ(PixelAt(b, 1, 0), (TRGBQuad{0, 255, 0, 255}));
}

tp::TBmp RleBmp(int bitCount, int w, int h, tp::TBytes data) {
    tp::TBmp bmp;
    bmp.Width = w;
    bmp.Height = h;
    bmp.BitCount = static_cast<std::uint16_t>(bitCount);
    bmp.Compression = bitCount == 8 ? 1 : 2;
    bmp.Palette = Palette(1 << bitCount);
    bmp.Pixels = std::move(data);
    return bmp;
}

// Index grid, top row first, as decoded.
std::vector<std::vector<int>> Indexes(const TBitmap& b) {
    std::vector<std::vector<int>> rows;
    for (int y = 0; y < b.Height(); ++y) {
        rows.emplace_back();
        for (int x = 0; x < b.Width(); ++x) {
            const std::uint8_t* row = b.Row(y);
            rows.back().push_back(
                b.BitCount() == 8 ? row[x] : (x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F));
        }
    }
    return rows;
}

TEST(DecodeBmp, ExpandsRle8RunsAbsoluteRunsDeltasAndLineEnds) {
    // Bottom row: run of 3 x 7, absolute 1 2 3 (padded), end of line.
    // Middle row: delta (2, 1) from the start skips to the top row at x 2, run 2 x 9, end.
    const tp::TBytes data = {3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 2, 9, 0, 1};
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodeBmp(Span(tp::WriteBmp(RleBmp(8, 6, 3, data))), b));
    EXPECT_EQ(b.BitCount(), 8);
    const std::vector<std::vector<int>> expected = {
        {0, 0, 9, 9, 0, 0}, {0, 0, 0, 0, 0, 0}, {7, 7, 7, 1, 2, 3}};
    EXPECT_EQ(Indexes(b), expected);
}

TEST(DecodeBmp, ExpandsRle4NibbleRuns) {
    // Bottom row: run of 5 alternating 0xA, 0xB; absolute 3 nibbles 1 2 3 (2 bytes, even).
    // Top row: run of 2 x 0xC then end of bitmap.
    const tp::TBytes data = {5, 0xAB, 0, 3, 0x12, 0x30, 0, 0, 2, 0xCC, 0, 1};
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodeBmp(Span(tp::WriteBmp(RleBmp(4, 9, 2, data))), b));
    EXPECT_EQ(b.BitCount(), 4);
    const std::vector<std::vector<int>> expected = {{12, 12, 0, 0, 0, 0, 0, 0, 0},
                                                    {10, 11, 10, 11, 10, 1, 2, 3, 0}};
    EXPECT_EQ(Indexes(b), expected);
}

TEST(DecodeBmp, ClipsRunsPastTheEdgesOfTheBitmap) {
    // A run longer than the row, a delta beyond the last row, then end of bitmap.
    const tp::TBytes data = {200, 5, 0, 2, 0, 50, 4, 6, 0, 1};
    TBitmap b;
    ASSERT_TRUE(tarvo::DecodeBmp(Span(tp::WriteBmp(RleBmp(8, 3, 2, data))), b));
    const std::vector<std::vector<int>> expected = {{0, 0, 0}, {5, 5, 5}};
    EXPECT_EQ(Indexes(b), expected);
}

tp::TBytes Valid24() {
    tp::TBmp bmp;
    bmp.Width = 3;
    bmp.Height = 2;
    bmp.BitCount = 24;
    bmp.Pixels = tp::BmpRows(3, 2, 24, false,
                             [](int x, int y) { return static_cast<std::uint32_t>(x * 77 + y); });
    return tp::WriteBmp(bmp);
}

void SetLe32(tp::TBytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

TEST(DecodeBmp, RejectsMalformedAndUnsupportedFiles) {
    struct TCase {
        const char* Note;
        std::function<void(tp::TBytes&)> Break;
    };
    const TCase cases[] = {
        {"wrong magic", [](tp::TBytes& b) { b[0] = 'X'; }},
        {"header size 64", [](tp::TBytes& b) { SetLe32(b, 14, 64); }},
        {"2 bits per pixel", [](tp::TBytes& b) { b[28] = 2; }},
        {"0 bits per pixel", [](tp::TBytes& b) { b[28] = 0; }},
        {"JPEG compression", [](tp::TBytes& b) { SetLe32(b, 30, 4); }},
        {"PNG compression", [](tp::TBytes& b) { SetLe32(b, 30, 5); }},
        {"RLE8 on 24 bits", [](tp::TBytes& b) { SetLe32(b, 30, 1); }},
        {"bit fields on 24 bits", [](tp::TBytes& b) { SetLe32(b, 30, 3); }},
        {"two planes", [](tp::TBytes& b) { b[26] = 2; }},
        {"zero width", [](tp::TBytes& b) { SetLe32(b, 18, 0); }},
        {"negative width", [](tp::TBytes& b) { SetLe32(b, 18, 0xFFFFFFFD); }},
        {"zero height", [](tp::TBytes& b) { SetLe32(b, 22, 0); }},
        {"height of the most negative int", [](tp::TBytes& b) { SetLe32(b, 22, 0x80000000); }},
        {"100000 x 100000",
         [](tp::TBytes& b) {
             SetLe32(b, 18, 100000);
             SetLe32(b, 22, 100000);
         }},
        {"pixel data beyond the file", [](tp::TBytes& b) { SetLe32(b, 10, 0x7FFFFFFF); }},
        {"pixel data inside the header", [](tp::TBytes& b) { SetLe32(b, 10, 20); }},
        {"one byte of pixels missing", [](tp::TBytes& b) { b.pop_back(); }},
        {"cut inside the header", [](tp::TBytes& b) { b.resize(30); }},
        {"file header only", [](tp::TBytes& b) { b.resize(14); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Note);
        tp::TBytes file = Valid24();
        ASSERT_EQ(file.size(), 14u + 40 + 2 * 12);
        c.Break(file);
        TBitmap b;
        EXPECT_FALSE(tarvo::DecodeBmp(Span(file), b));
        EXPECT_TRUE(b.Empty());
    }
}

TEST(DecodeBmp, RejectsBrokenPalettesMasksAndRunData) {
    struct TCase {
        const char* Note;
        tp::TBytes File;
    };
    tp::TBmp shortPalette;
    shortPalette.Width = 2;
    shortPalette.Height = 1;
    shortPalette.BitCount = 8;
    shortPalette.Palette = Palette(2); // 256 entries expected
    shortPalette.Pixels = {0, 1, 0, 0};
    tp::TBmp wideMask;
    wideMask.Width = 1;
    wideMask.Height = 1;
    wideMask.BitCount = 16;
    wideMask.Compression = 3;
    wideMask.Masks = {0x1F0000, 0x07E0, 0x001F, 0};
    wideMask.Pixels = {0, 0, 0, 0};
    tp::TBmp topDownRle = RleBmp(8, 2, 2, {0, 1});
    topDownRle.Height = -2;
    const TCase cases[] = {
        {"palette cut short by the file end",
         [&] {
             tp::TBytes f = tp::WriteBmp(shortPalette);
             f.resize(14 + 40 + 8);
             return f;
         }()},
        {"16-bit mask wider than 16 bits", tp::WriteBmp(wideMask)},
        {"top-down RLE", tp::WriteBmp(topDownRle)},
        {"RLE8 without end of bitmap", tp::WriteBmp(RleBmp(8, 4, 2, {4, 1, 0, 0, 4, 2}))},
        {"RLE8 absolute run cut short", tp::WriteBmp(RleBmp(8, 4, 2, {0, 4, 1, 2}))},
        {"RLE8 delta cut short", tp::WriteBmp(RleBmp(8, 4, 2, {0, 2, 1}))},
        {"RLE4 without data", tp::WriteBmp(RleBmp(4, 4, 2, {}))},
        {"RLE4 odd tail", tp::WriteBmp(RleBmp(4, 4, 2, {2, 0x11, 0}))},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Note);
        TBitmap b;
        EXPECT_FALSE(tarvo::DecodeBmp(Span(c.File), b));
        EXPECT_TRUE(b.Empty());
    }
}

TEST(DecodeBmp, RejectsEveryTruncationOfAnRleFile) {
    const tp::TBytes file = tp::WriteBmp(RleBmp(8, 6, 3, {3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 1}));
    for (std::size_t n = 0; n < file.size(); ++n) {
        TBitmap b;
        EXPECT_FALSE(tarvo::DecodeBmp(std::span<const std::uint8_t>(file.data(), n), b)) << n;
    }
}

} // namespace
