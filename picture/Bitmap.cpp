#include "picture/Bitmap.h"

#include <bit>
#include <cstring>
#include <new>

namespace tarvo {

bool TBitmap::Allocate(std::int32_t width, std::int32_t height, int bitCount) {
    Clear();
    if (width <= 0 || height <= 0) return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        return false;
    const auto w = static_cast<std::uint64_t>(width);
    const auto h = static_cast<std::uint64_t>(height);
    if (w * h > kMaxPicturePixels) return false;
    const std::uint64_t stride = (w * static_cast<std::uint64_t>(bitCount) + 31) / 32 * 4;
    try {
        FPixels = std::make_unique_for_overwrite<std::uint8_t[]>(stride * h);
        if (bitCount <= 8) Palette.assign(std::size_t{1} << bitCount, TRGBQuad{0, 0, 0, 255});
    } catch (const std::bad_alloc&) {
        Clear();
        return false;
    }
    FWidth = width;
    FHeight = height;
    FBitCount = bitCount;
    FStride = static_cast<std::size_t>(stride);
    return true;
}

bool TBitmap::CopyFrom(const TBitmap& other) {
    if (this == &other) return true;
    if (other.Empty()) {
        Clear();
        return true;
    }
    if (!Allocate(other.FWidth, other.FHeight, other.FBitCount)) return false;
    std::memcpy(FPixels.get(), other.FPixels.get(), other.SizeBytes());
    try {
        Palette = other.Palette;
    } catch (const std::bad_alloc&) {
        Clear();
        return false;
    }
    Masks = other.Masks;
    HasAlpha = other.HasAlpha;
    return true;
}

void TBitmap::Clear() {
    FPixels.reset();
    FWidth = 0;
    FHeight = 0;
    FBitCount = 0;
    FStride = 0;
    Palette.clear();
    Masks = {0x7C00, 0x03E0, 0x001F};
    HasAlpha = false;
}

void TBitmap::Fill0() {
    if (FPixels) std::memset(FPixels.get(), 0, SizeBytes());
}

std::size_t TBitmap::RowBytes() const {
    return (static_cast<std::size_t>(FWidth) * static_cast<std::size_t>(FBitCount) + 7) / 8;
}

void TBitmap::ClearRowPadding() {
    const std::size_t used = RowBytes();
    if (!FPixels || used == FStride) return;
    for (std::int32_t y = 0; y < FHeight; ++y)
        std::memset(Row(y) + used, 0, FStride - used);
}

std::uint8_t ExtractChannel(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const std::uint64_t max = mask >> shift;
    const std::uint64_t value = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>((value * 255 + max / 2) / max);
}

TRGBQuad PixelAt(const TBitmap& bitmap, std::int32_t x, std::int32_t y) {
    const std::uint8_t* row = bitmap.Row(y);
    const auto ux = static_cast<std::size_t>(x);
    switch (bitmap.BitCount()) {
    case 1:
        return bitmap.Palette[(row[ux / 8] >> (7 - ux % 8)) & 1];
    case 4:
        return bitmap.Palette[(ux % 2 == 0) ? (row[ux / 2] >> 4) : (row[ux / 2] & 0x0F)];
    case 8:
        return bitmap.Palette[row[ux]];
    case 16: {
        const std::uint32_t word = row[ux * 2] | (row[ux * 2 + 1] << 8);
        return {ExtractChannel(word, bitmap.Masks[2]), ExtractChannel(word, bitmap.Masks[1]),
                ExtractChannel(word, bitmap.Masks[0]), 255};
    }
    case 24:
        return {row[ux * 3], row[ux * 3 + 1], row[ux * 3 + 2], 255};
    case 32:
        return {row[ux * 4], row[ux * 4 + 1], row[ux * 4 + 2],
                bitmap.HasAlpha ? row[ux * 4 + 3] : std::uint8_t{255}};
    default:
        return {};
    }
}

} // namespace tarvo
