#include "picture/Decoders.h"
#include "util/Bytes.h"

#include <cstring>
#include <limits>

namespace tarvo {

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitFields = 3;
constexpr std::uint32_t kBiAlphaBitFields = 6;
constexpr std::size_t kFileHeaderSize = 14;

// Little-endian reads that answer false instead of reading past the data.
class LeReader {
public:
    explicit LeReader(std::span<const std::uint8_t> data) : FData(data) {}
    bool Has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= FData.size() && length <= FData.size() - offset;
    }
    bool U16(std::uint64_t offset, std::uint32_t& value) const {
        if (!Has(offset, 2)) return false;
        value = LittleEndian(FData, offset, 2);
        return true;
    }
    bool U32(std::uint64_t offset, std::uint32_t& value) const {
        if (!Has(offset, 4)) return false;
        value = LittleEndian(FData, offset);
        return true;
    }
    const std::uint8_t* At(std::uint64_t offset) const { return FData.data() + offset; }
    std::size_t Size() const { return FData.size(); }

private:
    std::span<const std::uint8_t> FData;
};

struct BmpInfo {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool TopDown = false;
    int BitCount = 0;
    std::uint32_t Compression = kBiRgb;
    std::uint32_t ColorsUsed = 0;
    std::uint64_t PaletteOffset = 0;
    int PaletteEntrySize = 4;
    std::uint32_t Masks[3] = {0x7C00, 0x03E0, 0x001F};
    std::uint64_t PixelOffset = 0;
};

bool ReadInfo(const LeReader& in, BmpInfo& info) {
    std::uint32_t magic = 0;
    std::uint32_t pixelOffset = 0;
    std::uint32_t headerSize = 0;
    if (!in.U16(0, magic) || magic != 0x4D42 || !in.U32(10, pixelOffset) ||
        !in.U32(kFileHeaderSize, headerSize))
        return false;
    if (headerSize != 12 && headerSize != 40 && headerSize != 52 && headerSize != 56 &&
        headerSize != 108 && headerSize != 124)
        return false;
    if (!in.Has(kFileHeaderSize, headerSize)) return false;
    const std::uint64_t h = kFileHeaderSize;
    std::uint32_t planes = 0;
    std::uint32_t bitCount = 0;
    if (headerSize == 12) {
        std::uint32_t w = 0;
        std::uint32_t hh = 0;
        if (!in.U16(h + 4, w) || !in.U16(h + 6, hh) || !in.U16(h + 8, planes) ||
            !in.U16(h + 10, bitCount))
            return false;
        if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24) return false;
        info.Width = static_cast<std::int32_t>(w);
        info.Height = static_cast<std::int32_t>(hh);
        info.PaletteEntrySize = 3;
    } else {
        std::uint32_t w = 0;
        std::uint32_t hh = 0;
        if (!in.U32(h + 4, w) || !in.U32(h + 8, hh) || !in.U16(h + 12, planes) ||
            !in.U16(h + 14, bitCount) || !in.U32(h + 16, info.Compression) ||
            !in.U32(h + 32, info.ColorsUsed))
            return false;
        info.Width = static_cast<std::int32_t>(w);
        const auto signedHeight = static_cast<std::int32_t>(hh);
        if (signedHeight == std::numeric_limits<std::int32_t>::min()) return false;
        info.TopDown = signedHeight < 0;
        info.Height = info.TopDown ? -signedHeight : signedHeight;
    }
    if (planes != 1 || info.Width <= 0 || info.Height <= 0) return false;
    info.BitCount = static_cast<int>(bitCount);
    info.PaletteOffset = h + headerSize;

    switch (info.Compression) {
    case kBiRgb:
        if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
            bitCount != 32)
            return false;
        break;
    case kBiRle8:
        if (bitCount != 8 || info.TopDown) return false;
        break;
    case kBiRle4:
        if (bitCount != 4 || info.TopDown) return false;
        break;
    case kBiBitFields:
    case kBiAlphaBitFields: {
        if (bitCount != 16 && bitCount != 32) return false;
        // Headers of 52 bytes and more carry the masks; the 40-byte header is followed by them.
        std::uint64_t maskOffset = h + 40;
        if (headerSize == 40) info.PaletteOffset += info.Compression == kBiAlphaBitFields ? 16 : 12;
        for (std::uint32_t& mask : info.Masks) {
            if (!in.U32(maskOffset, mask)) return false;
            maskOffset += 4;
        }
        if (bitCount == 16 && ((info.Masks[0] | info.Masks[1] | info.Masks[2]) >> 16) != 0)
            return false;
        break;
    }
    default:
        return false;
    }
    if (info.PaletteOffset > in.Size()) return false;
    if (pixelOffset < info.PaletteOffset || pixelOffset > in.Size()) return false;
    info.PixelOffset = pixelOffset;
    return true;
}

// Entries the file defines: all 2^BitCount unless the header names fewer.
std::uint32_t PaletteEntries(const BmpInfo& info) {
    if (info.BitCount > 8) return 0;
    const std::uint32_t full = 1u << info.BitCount;
    return (info.ColorsUsed == 0 || info.ColorsUsed > full) ? full : info.ColorsUsed;
}

bool PaletteFits(const LeReader& in, const BmpInfo& info) {
    return in.Has(info.PaletteOffset, std::uint64_t{PaletteEntries(info)} *
                                          static_cast<std::uint64_t>(info.PaletteEntrySize));
}

void ReadPalette(const LeReader& in, const BmpInfo& info, TBitmap& out) {
    const std::uint32_t entries = PaletteEntries(info);
    const auto entrySize = static_cast<std::size_t>(info.PaletteEntrySize);
    const std::uint8_t* p = in.At(info.PaletteOffset);
    for (std::uint32_t i = 0; i < entries; ++i, p += entrySize)
        out.Palette[i] = {p[0], p[1], p[2], 255};
}

bool ReadUncompressed(const LeReader& in, const BmpInfo& info, TBitmap& out) {
    const std::uint64_t fileStride =
        (static_cast<std::uint64_t>(info.Width) * static_cast<std::uint64_t>(info.BitCount) + 31) /
        32 * 4;
    if (!in.Has(info.PixelOffset, fileStride * static_cast<std::uint64_t>(info.Height)))
        return false;
    if (!out.Allocate(info.Width, info.Height, info.BitCount)) return false;
    const bool standard32 =
        info.Compression == kBiRgb ||
        (info.Masks[0] == 0xFF0000 && info.Masks[1] == 0xFF00 && info.Masks[2] == 0xFF);
    for (std::int32_t i = 0; i < info.Height; ++i) {
        const std::uint8_t* src =
            in.At(info.PixelOffset + fileStride * static_cast<std::uint64_t>(i));
        std::uint8_t* dst = out.Row(info.TopDown ? i : info.Height - 1 - i);
        if (info.BitCount != 32) {
            std::memcpy(dst, src, out.Stride());
            continue;
        }
        for (std::int32_t x = 0; x < info.Width; ++x, src += 4, dst += 4) {
            if (standard32) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
            } else {
                const std::uint32_t word = src[0] | (src[1] << 8) | (src[2] << 16) |
                                           (static_cast<std::uint32_t>(src[3]) << 24);
                dst[0] = ExtractChannel(word, info.Masks[2]);
                dst[1] = ExtractChannel(word, info.Masks[1]);
                dst[2] = ExtractChannel(word, info.Masks[0]);
            }
            dst[3] = 255;
        }
    }
    if (info.BitCount == 16) out.Masks = {info.Masks[0], info.Masks[1], info.Masks[2]};
    out.ClearRowPadding();
    return true;
}

// Run-length data, bottom-up. Pixels the runs skip keep index 0; runs past the right edge are
// clipped. The data must end with the end-of-bitmap code.
bool ReadRle(const LeReader& in, const BmpInfo& info, TBitmap& out) {
    if (!out.Allocate(info.Width, info.Height, info.BitCount)) return false;
    out.Fill0();
    const bool rle8 = info.Compression == kBiRle8;
    const std::uint8_t* d = in.At(0);
    const std::uint64_t size = in.Size();
    std::uint64_t p = info.PixelOffset;
    std::int64_t x = 0;
    std::int64_t y = 0;
    auto put = [&](unsigned value) {
        if (x < info.Width && y < info.Height) {
            std::uint8_t* row = out.Row(info.Height - 1 - static_cast<std::int32_t>(y));
            const auto ux = static_cast<std::size_t>(x);
            if (rle8)
                row[ux] = static_cast<std::uint8_t>(value);
            else if (ux % 2 == 0)
                row[ux / 2] = static_cast<std::uint8_t>((row[ux / 2] & 0x0F) | (value << 4));
            else
                row[ux / 2] = static_cast<std::uint8_t>((row[ux / 2] & 0xF0) | value);
        }
        ++x;
    };
    for (;;) {
        if (size - p < 2) return false;
        const unsigned count = d[p];
        const unsigned code = d[p + 1];
        p += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count; ++i)
                put(rle8 ? code : ((i % 2 == 0) ? code >> 4 : code & 0x0F));
            continue;
        }
        if (code == 0) {
            x = 0;
            ++y;
        } else if (code == 1) {
            return true;
        } else if (code == 2) {
            if (size - p < 2) return false;
            x += d[p];
            y += d[p + 1];
            p += 2;
        } else {
            const std::uint64_t bytes = rle8 ? code : (code + 1) / 2;
            const std::uint64_t padded = (bytes + 1) & ~std::uint64_t{1};
            if (size - p < padded) return false;
            for (unsigned i = 0; i < code; ++i)
                put(rle8 ? d[p + i] : ((i % 2 == 0) ? d[p + i / 2] >> 4 : d[p + i / 2] & 0x0F));
            p += padded;
        }
    }
}

} // namespace

bool DecodeBmp(std::span<const std::uint8_t> data, TBitmap& out) {
    out.Clear();
    const LeReader in(data);
    BmpInfo info;
    if (!ReadInfo(in, info)) return false;
    if (static_cast<std::uint64_t>(info.Width) * static_cast<std::uint64_t>(info.Height) >
        kMaxPicturePixels)
        return false;
    if (!PaletteFits(in, info)) return false;
    const bool rle = info.Compression == kBiRle8 || info.Compression == kBiRle4;
    if (!(rle ? ReadRle(in, info, out) : ReadUncompressed(in, info, out))) {
        out.Clear();
        return false;
    }
    ReadPalette(in, info, out);
    return true;
}

} // namespace tarvo
