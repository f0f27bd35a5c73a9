#include "picture/Decoders.h"
#include "util/Bytes.h"

#include <png.h>

#include <array>
#include <cstring>
#include <limits>

namespace tarvo {

namespace {

// The simplified libpng reader reports errors through return values, so no setjmp is
// needed here; the guard frees whatever a failed read left behind.
class PngImageGuard {
public:
    PngImageGuard() {
        std::memset(&FImage, 0, sizeof FImage);
        FImage.version = PNG_IMAGE_VERSION;
    }
    PngImageGuard(const PngImageGuard&) = delete;
    PngImageGuard& operator=(const PngImageGuard&) = delete;
    ~PngImageGuard() { png_image_free(&FImage); }
    png_image* Get() { return &FImage; }

private:
    png_image FImage;
};

// libpng stops reading once the image data is complete, so a file cut after its last row
// would pass; the chunk list must run whole up to and including IEND.
bool ChunksComplete(std::span<const std::uint8_t> data) {
    std::size_t pos = 8;
    while (data.size() - pos >= 12) {
        const std::uint32_t length = BigEndian(data, pos);
        const bool iend = std::memcmp(data.data() + pos + 4, "IEND", 4) == 0;
        if (length > data.size() - pos - 12) return false;
        if (iend) return true;
        pos += 12 + std::size_t{length};
    }
    return false;
}

} // namespace

bool DecodePng(std::span<const std::uint8_t> data, TBitmap& out) {
    out.Clear();
    if (data.size() < 8) return false;
    if (!ChunksComplete(data)) return false;
    PngImageGuard guard;
    png_image* image = guard.Get();
    if (!png_image_begin_read_from_memory(image, data.data(), data.size())) return false;
    if (image->width > static_cast<png_uint_32>(std::numeric_limits<std::int32_t>::max()) ||
        image->height > static_cast<png_uint_32>(std::numeric_limits<std::int32_t>::max()))
        return false;
    // 16-bit files without gamma information are nearly always sRGB-encoded, not linear.
    image->flags |= PNG_IMAGE_FLAG_16BIT_sRGB;

    // Palette pictures and greys of up to 8 bits keep one index per pixel and their palette;
    // everything else becomes blue-green-red, with alpha only when the file has some.
    const png_uint_32 natural = image->format;
    const bool indexed =
        (natural & PNG_FORMAT_FLAG_COLORMAP) != 0 ||
        (natural & (PNG_FORMAT_FLAG_COLOR | PNG_FORMAT_FLAG_ALPHA | PNG_FORMAT_FLAG_LINEAR)) == 0;
    int bitCount = 24;
    if (indexed) {
        image->format = PNG_FORMAT_BGRA_COLORMAP;
        bitCount = 8;
    } else if ((natural & PNG_FORMAT_FLAG_ALPHA) != 0) {
        image->format = PNG_FORMAT_BGRA;
        bitCount = 32;
    } else {
        image->format = PNG_FORMAT_BGR;
    }
    if (!out.Allocate(static_cast<std::int32_t>(image->width),
                      static_cast<std::int32_t>(image->height), bitCount))
        return false;

    std::array<std::uint8_t, 256 * 4> colormap{};
    if (!png_image_finish_read(image, nullptr, out.Bits(), static_cast<png_int_32>(out.Stride()),
                               indexed ? colormap.data() : nullptr)) {
        out.Clear();
        return false;
    }
    if (indexed) {
        const png_uint_32 entries = image->colormap_entries < 256 ? image->colormap_entries : 256;
        for (png_uint_32 i = 0; i < entries; ++i)
            out.Palette[i] = {colormap[i * 4], colormap[i * 4 + 1], colormap[i * 4 + 2],
                              colormap[i * 4 + 3]};
    }
    out.HasAlpha = bitCount == 32;
    out.ClearRowPadding();
    return true;
}

} // namespace tarvo
