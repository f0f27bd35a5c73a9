// Encoders that make the test, benchmark and fuzz-seed pictures: PNG through libpng (and a
// raw chunk writer for layouts libpng's simple writer does not make), JPEG through
// TurboJPEG, GIF through giflib, WebP through libwebp and libwebpmux, BMP from bytes. Not
// part of the product.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo::testpic {

using TBytes = std::vector<std::uint8_t>;

struct TRgba {
    std::uint8_t R = 0;
    std::uint8_t G = 0;
    std::uint8_t B = 0;
    std::uint8_t A = 255;
    friend bool operator==(const TRgba&, const TRgba&) = default;
};

// Every encoder answers empty bytes when it fails. Pixels are given row by row, top first.
TBytes WritePngRgb(int width, int height, std::span<const TRgba> pixels);
TBytes WritePngRgba(int width, int height, std::span<const TRgba> pixels);
TBytes WritePngGray(int width, int height, std::span<const std::uint8_t> gray);
// A palette PNG (libpng picks 1, 2, 4 or 8 bits by the palette size); entries with alpha
// below 255 are written as transparency.
TBytes WritePngPalette(int width, int height, std::span<const std::uint8_t> indexes,
                       std::span<const TRgba> palette);

// A PNG assembled chunk by chunk: Rows holds the packed rows (no filter bytes), top first.
struct TPngRaw {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::uint8_t BitDepth = 8;
    std::uint8_t ColorType = 2;
    bool Interlace = false;
    TBytes Rows;                // may hold fewer than Height rows (not when interlaced)
    std::vector<TRgba> Palette; // written as PLTE when not empty
    TBytes Trns;                // written as tRNS when not empty
};
TBytes WritePngRaw(const TPngRaw& png);
// Appends length, type, data and CRC.
void AppendPngChunk(TBytes& png, std::string_view type, std::span<const std::uint8_t> data);

// quality 1..100; subsampling is a TJSAMP_* value.
TBytes WriteJpeg(int width, int height, std::span<const TRgba> pixels, int quality, int subsampling,
                 bool progressive = false);
TBytes WriteJpegGray(int width, int height, std::span<const std::uint8_t> gray, int quality);
// cmyk: four bytes a pixel, stored as given.
TBytes WriteJpegCmyk(int width, int height, std::span<const std::uint8_t> cmyk, int quality);

struct TGifFrame {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Interlace = false;
    int Transparent = -1;            // index, or -1 for none
    std::vector<TRgba> LocalPalette; // empty: use the global one
    TBytes Indexes;                  // Width * Height, row by row
};
struct TGif {
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    int Background = 0;
    std::vector<TRgba> GlobalPalette; // empty: no global colour map
    std::vector<TGifFrame> Frames;
};
TBytes WriteGif(const TGif& gif);

// WebP, lossy at quality 0..100 or lossless, keeping the pixels' alpha when withAlpha. Like
// libwebp's simple encoders these may change the colour of fully transparent pixels.
TBytes WriteWebpLossy(int width, int height, std::span<const TRgba> pixels, float quality,
                      bool withAlpha = false);
TBytes WriteWebpLossless(int width, int height, std::span<const TRgba> pixels,
                         bool withAlpha = false);
// A lossless animated WebP on a width x height canvas, one frame (width * height pixels,
// with alpha, colours kept exactly) every 100 ms. The encoder crops a frame to the part
// that changes, so transparent edges of the first frame are left out of it.
TBytes WriteWebpAnimation(int width, int height, const std::vector<std::vector<TRgba>>& frames);
// A lossless WebP of one opaque colour, written bit by bit: its pixels take no bits, so a
// picture of any size up to 16384 x 16384 is a few dozen bytes.
TBytes WriteWebpSolid(int width, int height, TRgba colour);

// A BMP file: file header, an information header of HeaderSize bytes (12, 40, 52, 56, 108
// or 124), the masks after a 40-byte header when Compression is 3 or 6, the palette, then
// Pixels exactly as stored.
struct TBmp {
    std::int32_t Width = 0;
    std::int32_t Height = 0; // negative: top-down
    std::uint16_t BitCount = 24;
    std::uint32_t Compression = 0;
    std::uint32_t HeaderSize = 40;
    std::uint32_t ColorsUsed = 0;
    std::vector<TRgba> Palette;
    std::array<std::uint32_t, 4> Masks{}; // red, green, blue, alpha
    TBytes Pixels;
};
TBytes WriteBmp(const TBmp& bmp);
// Uncompressed BMP rows, bottom row first (or top first when topDown), each padded to 4
// bytes; value(x, y) gives the index (1 to 8 bits) or the stored little-endian word.
TBytes BmpRows(int width, int height, int bitCount, bool topDown,
               const std::function<std::uint32_t(int x, int y)>& value);

// A deterministic picture with smooth gradients and fine noise, so that it compresses like
// a photograph.
std::vector<TRgba> NaturalPicture(int width, int height, std::uint32_t seed);

bool WriteFileBytes(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace tarvo::testpic
