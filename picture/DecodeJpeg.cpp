#include "picture/Decoders.h"

#include <turbojpeg.h>

#include <memory>
#include <new>

namespace tarvo {

namespace {

struct TjDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjDeleter>;

// A warning (corrupt or truncated data) stops the decode and counts as an error; the scan
// limit keeps a hostile progressive file from taking minutes.
constexpr int kDecodeFlags = TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS;

} // namespace

bool DecodeJpeg(std::span<const std::uint8_t> data, TBitmap& out) {
    out.Clear();
    if (data.empty()) return false;
    TjHandle handle(tjInitDecompress());
    if (!handle) return false;
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colorspace = 0;
    const auto size = static_cast<unsigned long>(data.size());
    if (tjDecompressHeader3(handle.get(), data.data(), size, &width, &height, &subsampling,
                            &colorspace) != 0)
        return false;
    if (!out.Allocate(width, height, 24)) return false;

    if (colorspace != TJCS_CMYK && colorspace != TJCS_YCCK) {
        if (tjDecompress2(handle.get(), data.data(), size, out.Bits(), width,
                          static_cast<int>(out.Stride()), height, TJPF_BGR, kDecodeFlags) != 0) {
            out.Clear();
            return false;
        }
        out.ClearRowPadding();
        return true;
    }

    // TurboJPEG gives CMYK samples as stored; files of this kind store them inverted, so
    // each colour is its stored value times the stored black, over 255.
    const std::size_t cmykBytes = static_cast<std::size_t>(width) * 4;
    std::unique_ptr<std::uint8_t[]> cmyk;
    try {
        cmyk = std::make_unique_for_overwrite<std::uint8_t[]>(cmykBytes *
                                                              static_cast<std::size_t>(height));
    } catch (const std::bad_alloc&) {
        out.Clear();
        return false;
    }
    if (tjDecompress2(handle.get(), data.data(), size, cmyk.get(), width,
                      static_cast<int>(cmykBytes), height, TJPF_CMYK, kDecodeFlags) != 0) {
        out.Clear();
        return false;
    }
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = cmyk.get() + cmykBytes * static_cast<std::size_t>(y);
        std::uint8_t* dst = out.Row(y);
        for (int x = 0; x < width; ++x, src += 4, dst += 3) {
            const unsigned k = src[3];
            dst[0] = static_cast<std::uint8_t>((src[2] * k + 127) / 255);
            dst[1] = static_cast<std::uint8_t>((src[1] * k + 127) / 255);
            dst[2] = static_cast<std::uint8_t>((src[0] * k + 127) / 255);
        }
    }
    out.ClearRowPadding();
    return true;
}

} // namespace tarvo
