// The WebP decoder: still pictures through libwebp's decoding API and the first frame of an
// animation through libwebpdemux, both written straight into the bitmap. No libwebp call
// allocates a picture before its size has been checked against kMaxPicturePixels.
#include "picture/Decoders.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>

namespace tarvo {

namespace {

struct DemuxDeleter {
    void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};
using DemuxHandle = std::unique_ptr<WebPDemuxer, DemuxDeleter>;

// A frame iterator that is released however the decode ends.
class FrameGuard {
public:
    FrameGuard() { std::memset(&FIter, 0, sizeof FIter); }
    FrameGuard(const FrameGuard&) = delete;
    FrameGuard& operator=(const FrameGuard&) = delete;
    ~FrameGuard() { WebPDemuxReleaseIterator(&FIter); }
    WebPIterator* Get() { return &FIter; }

private:
    WebPIterator FIter;
};

// libwebp also takes a bare VP8 or VP8L bitstream, whose end it cannot check; a file must
// be a RIFF container, so the RIFF and chunk sizes tell a cut file from a whole one.
bool HasRiffHeader(std::span<const std::uint8_t> data) {
    return data.size() >= 12 && std::memcmp(data.data(), "RIFF", 4) == 0 &&
           std::memcmp(data.data() + 8, "WEBP", 4) == 0;
}

bool WithinLimit(int width, int height) {
    return width > 0 && height > 0 &&
           static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <=
               kMaxPicturePixels;
}

// Decodes one still bitstream (a whole file, or the chunks of an animation frame) with its
// top left corner at (left, top) of out, in out's depth (24 or 32 bits). libwebp checks
// that the rows it writes fit in the bytes from there to the end of the bitmap.
bool DecodeInto(std::span<const std::uint8_t> bits, TBitmap& out, std::int32_t left,
                std::int32_t top) {
    const bool bgra = out.BitCount() == 32;
    const std::size_t offset = out.Stride() * static_cast<std::size_t>(top) +
                               static_cast<std::size_t>(left) * (bgra ? 4 : 3);
    std::uint8_t* first = out.Bits() + offset;
    const std::size_t room = out.SizeBytes() - offset;
    const int stride = static_cast<int>(out.Stride());
    const std::uint8_t* done =
        bgra ? WebPDecodeBGRAInto(bits.data(), bits.size(), first, room, stride)
             : WebPDecodeBGRInto(bits.data(), bits.size(), first, room, stride);
    return done != nullptr;
}

bool DecodeStill(std::span<const std::uint8_t> data, const WebPBitstreamFeatures& features,
                 TBitmap& out) {
    const bool alpha = features.has_alpha != 0;
    if (!out.Allocate(features.width, features.height, alpha ? 32 : 24)) return false;
    if (!DecodeInto(data, out, 0, 0)) return false;
    out.HasAlpha = alpha;
    return true;
}

// The first frame as an animation player shows it: on a canvas cleared to transparent
// black, without blending (a first frame has nothing to blend with).
bool DecodeFirstFrame(std::span<const std::uint8_t> data, const WebPBitstreamFeatures& canvas,
                      TBitmap& out) {
    // The demuxer reads the whole container, so a file cut inside a later frame fails too.
    const WebPData whole{data.data(), data.size()};
    DemuxHandle demux(WebPDemux(&whole));
    if (!demux || WebPDemuxGetI(demux.get(), WEBP_FF_FRAME_COUNT) < 1) return false;
    FrameGuard frame;
    if (!WebPDemuxGetFrame(demux.get(), 1, frame.Get())) return false;
    const WebPIterator& it = *frame.Get();
    const std::span<const std::uint8_t> bits(it.fragment.bytes, it.fragment.size);

    // The frame is placed by its bitstream's own size, which is what libwebp writes, and
    // must lie inside the canvas.
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bits.data(), bits.size(), &features) != VP8_STATUS_OK) return false;
    if (features.has_animation || features.width <= 0 || features.height <= 0 || it.x_offset < 0 ||
        it.y_offset < 0 || it.x_offset > canvas.width - features.width ||
        it.y_offset > canvas.height - features.height)
        return false;

    if (!out.Allocate(canvas.width, canvas.height, 32)) return false;
    out.Fill0();
    if (!DecodeInto(bits, out, it.x_offset, it.y_offset)) return false;
    const bool covers = features.width == canvas.width && features.height == canvas.height;
    out.HasAlpha = features.has_alpha != 0 || !covers;
    return true;
}

} // namespace

bool DecodeWebp(std::span<const std::uint8_t> data, TBitmap& out) {
    out.Clear();
    if (!HasRiffHeader(data)) return false;
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(data.data(), data.size(), &features) != VP8_STATUS_OK) return false;
    // The picture's size, or an animation's canvas, is read from the headers alone.
    if (!WithinLimit(features.width, features.height)) return false;
    const bool ok = features.has_animation != 0 ? DecodeFirstFrame(data, features, out)
                                                : DecodeStill(data, features, out);
    if (!ok) {
        out.Clear();
        return false;
    }
    out.ClearRowPadding();
    return true;
}

} // namespace tarvo
