// The in-memory bitmap that every picture decoder produces and the display copy keeps:
// a device-independent layout (top-down rows, each padded to 4 bytes) with a pixel depth
// of 1, 4, 8, 16, 24 or 32 bits, a palette up to 8 bits and colour masks at 16 bits.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tarvo {

// Largest picture any decoder accepts (8192 x 8192 pixels); checked before allocating.
inline constexpr std::uint64_t kMaxPicturePixels = std::uint64_t{1} << 26;

// One palette entry. Alpha 255 is opaque; only PNG and GIF pictures carry other values.
struct TRGBQuad {
    std::uint8_t Blue = 0;
    std::uint8_t Green = 0;
    std::uint8_t Red = 0;
    std::uint8_t Alpha = 255;
    friend bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};

// Pixel layouts by BitCount:
//  1, 4, 8  palette indexes, most significant bits first; Palette has 2^BitCount entries
//           (entries a file did not define are opaque black);
//  16       little-endian words decoded through Masks (red, green, blue);
//  24       bytes blue, green, red;
//  32       bytes blue, green, red, alpha; the alpha byte counts only when HasAlpha.
class TBitmap {
public:
    TBitmap() = default;
    TBitmap(TBitmap&&) noexcept = default;
    TBitmap& operator=(TBitmap&&) noexcept = default;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    // Sizes the bitmap and reserves its pixel rows without clearing them; the palette is
    // reset to 2^bitCount opaque black entries, the masks to 5-5-5. False (and an empty
    // bitmap) for a zero or negative size, an unknown depth, more than kMaxPicturePixels
    // pixels, or a failed allocation.
    [[nodiscard]] bool Allocate(std::int32_t width, std::int32_t height, int bitCount);
    // A deep copy of other; false (and an empty bitmap) when the allocation fails.
    [[nodiscard]] bool CopyFrom(const TBitmap& other);
    void Clear();
    // Zeroes every byte of every row (pixels and padding).
    void Fill0();
    // Zeroes the bytes after the last pixel of each row, so equal pictures compare equal.
    void ClearRowPadding();

    bool Empty() const { return FPixels == nullptr; }
    std::int32_t Width() const { return FWidth; }
    std::int32_t Height() const { return FHeight; }
    int BitCount() const { return FBitCount; }
    // Bytes from one row to the next.
    std::size_t Stride() const { return FStride; }
    // Bytes of one row that hold pixels (the rest of Stride is padding).
    std::size_t RowBytes() const;
    std::size_t SizeBytes() const { return FStride * static_cast<std::size_t>(FHeight); }
    // Row y, 0 = top; y must lie in [0, Height).
    std::uint8_t* Row(std::int32_t y) {
        return FPixels.get() + FStride * static_cast<std::size_t>(y);
    }
    const std::uint8_t* Row(std::int32_t y) const {
        return FPixels.get() + FStride * static_cast<std::size_t>(y);
    }
    std::uint8_t* Bits() { return FPixels.get(); }
    const std::uint8_t* Bits() const { return FPixels.get(); }

    std::vector<TRGBQuad> Palette;
    std::array<std::uint32_t, 3> Masks{0x7C00, 0x03E0, 0x001F};
    bool HasAlpha = false;

private:
    std::int32_t FWidth = 0;
    std::int32_t FHeight = 0;
    int FBitCount = 0;
    std::size_t FStride = 0;
    std::unique_ptr<std::uint8_t[]> FPixels;
};

// The channel that mask selects from pixel, scaled to 0..255 (0 for an empty mask).
std::uint8_t ExtractChannel(std::uint32_t pixel, std::uint32_t mask);

// The colour of pixel (x, y) as an opaque-or-not BGRA quad, whatever the depth; for tests
// and for conversions that are not on a hot path. x and y must lie inside the bitmap.
TRGBQuad PixelAt(const TBitmap& bitmap, std::int32_t x, std::int32_t y);

} // namespace tarvo
