#include "picture/Decoders.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace tarvo {

namespace {

struct MemoryReader {
    std::span<const std::uint8_t> Data;
    std::size_t Pos = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    if (reader == nullptr || length <= 0) return 0;
    const std::size_t left = reader->Data.size() - reader->Pos;
    const std::size_t n = std::min(static_cast<std::size_t>(length), left);
    std::memcpy(buffer, reader->Data.data() + reader->Pos, n);
    reader->Pos += n;
    return static_cast<int>(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

// Reads the first frame's rows (in interlaced order when the frame says so) and paints the
// opaque ones onto the canvas, clipped to it.
bool PaintFrame(GifFileType* gif, int transparent, TBitmap& canvas) {
    const GifImageDesc& desc = gif->Image;
    if (desc.Width <= 0 || desc.Height <= 0) return true;
    if (static_cast<std::uint64_t>(desc.Width) * static_cast<std::uint64_t>(desc.Height) >
        kMaxPicturePixels)
        return false;
    std::vector<GifPixelType> line;
    try {
        line.resize(static_cast<std::size_t>(desc.Width));
    } catch (const std::bad_alloc&) {
        return false;
    }
    static constexpr int kStarts[] = {0, 4, 2, 1};
    static constexpr int kSteps[] = {8, 8, 4, 2};
    const int passes = desc.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = desc.Interlace ? kStarts[pass] : 0;
        const int step = desc.Interlace ? kSteps[pass] : 1;
        for (int y = start; y < desc.Height; y += step) {
            if (DGifGetLine(gif, line.data(), desc.Width) == GIF_ERROR) return false;
            const int cy = desc.Top + y;
            if (cy >= canvas.Height()) continue;
            std::uint8_t* row = canvas.Row(cy);
            const int count = std::min(desc.Width, canvas.Width() - desc.Left);
            for (int x = 0; x < count; ++x) {
                if (line[static_cast<std::size_t>(x)] != transparent)
                    row[desc.Left + x] = line[static_cast<std::size_t>(x)];
            }
        }
    }
    return true;
}

bool DecodeFirstFrame(GifFileType* gif, TBitmap& out) {
    if (gif->SWidth <= 0 || gif->SHeight <= 0) return false;
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR) return false;
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
            if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr) {
                GraphicsControlBlock gcb{};
                if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK)
                    transparent = gcb.TransparentColor;
            }
            while (block != nullptr) {
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) return false; // the trailer before any frame
        if (DGifGetImageDesc(gif) == GIF_ERROR) return false;
        const ColorMapObject* map =
            gif->Image.ColorMap != nullptr ? gif->Image.ColorMap : gif->SColorMap;
        if (map == nullptr || map->Colors == nullptr) return false;
        if (!out.Allocate(gif->SWidth, gif->SHeight, 8)) return false;
        const int colors = std::clamp(map->ColorCount, 0, 256);
        for (int i = 0; i < colors; ++i) {
            const GifColorType& c = map->Colors[i];
            out.Palette[static_cast<std::size_t>(i)] = {c.Blue, c.Green, c.Red, 255};
        }
        // Canvas pixels the frame leaves uncovered take the transparent index when there is
        // one, else the background index.
        int fill = gif->SBackGroundColor & 0xFF;
        if (transparent >= 0 && transparent <= 255) {
            out.Palette[static_cast<std::size_t>(transparent)].Alpha = 0;
            fill = transparent;
        }
        for (std::int32_t y = 0; y < out.Height(); ++y)
            std::memset(out.Row(y), fill, out.Stride());
        if (!PaintFrame(gif, transparent, out)) {
            out.Clear();
            return false;
        }
        out.ClearRowPadding();
        return true;
    }
}

} // namespace

bool DecodeGif(std::span<const std::uint8_t> data, TBitmap& out) {
    out.Clear();
    if (data.empty()) return false;
    MemoryReader reader{data, 0};
    int error = 0;
    GifHandle gif(DGifOpen(&reader, ReadFromMemory, &error));
    if (!gif) return false;
    return DecodeFirstFrame(gif.get(), out);
}

} // namespace tarvo
