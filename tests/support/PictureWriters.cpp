#include "support/PictureWriters.h"

#include <gif_lib.h>
#include <png.h>
#include <turbojpeg.h>
#include <webp/encode.h>
#include <webp/mux.h>
#include <zlib.h>

#include <cstring>
#include <fstream>
#include <memory>

namespace tarvo::testpic {

namespace {

void PutBe32(TBytes& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 24));
    out.push_back(static_cast<std::uint8_t>(v >> 16));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

void PutLe16(TBytes& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutLe32(TBytes& out, std::uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

static_assert(sizeof(TRgba) == 4, "pixels are handed to the encoders as RGBA bytes");

const std::uint8_t* RgbaBytes(std::span<const TRgba> pixels) {
    return reinterpret_cast<const std::uint8_t*>(pixels.data());
}

TBytes RgbBytes(std::span<const TRgba> pixels) {
    TBytes rgb;
    for (const TRgba& p : pixels)
        rgb.insert(rgb.end(), {p.R, p.G, p.B});
    return rgb;
}

bool SizeMatches(int width, int height, std::size_t count) {
    return width > 0 && height > 0 &&
           count == static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

// Runs one of libwebp's simple encoders, encode(&output) answering the size it made, and
// copies the result before freeing it.
template <typename Encode> TBytes RunWebpEncoder(Encode encode) {
    std::uint8_t* output = nullptr;
    const std::size_t size = encode(&output);
    TBytes out;
    if (output != nullptr && size != 0) out.assign(output, output + size);
    WebPFree(output);
    return out;
}

struct AnimEncoderDeleter {
    void operator()(WebPAnimEncoder* encoder) const { WebPAnimEncoderDelete(encoder); }
};

// The bits of a lossless WebP bitstream, least significant bit of each byte first.
class LsbBitWriter {
public:
    void Put(std::uint32_t value, int bits) {
        for (int i = 0; i < bits; ++i, ++FUsed) {
            if (FUsed % 8 == 0) FBytes.push_back(0);
            FBytes.back() =
                static_cast<std::uint8_t>(FBytes.back() | (((value >> i) & 1u) << (FUsed % 8)));
        }
    }
    const TBytes& Bytes() const { return FBytes; }

private:
    TBytes FBytes;
    std::size_t FUsed = 0;
};

// "RIFF", its size, "WEBP", then one chunk (padded to an even length).
TBytes RiffWebp(std::string_view fourcc, const TBytes& payload) {
    const std::size_t padded = payload.size() + (payload.size() & 1);
    TBytes out = {'R', 'I', 'F', 'F'};
    PutLe32(out, static_cast<std::uint32_t>(4 + 8 + padded));
    out.insert(out.end(), {'W', 'E', 'B', 'P'});
    out.insert(out.end(), fourcc.begin(), fourcc.end());
    PutLe32(out, static_cast<std::uint32_t>(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
    out.resize(20 + padded, 0);
    return out;
}

TBytes WritePngSimple(int width, int height, png_uint_32 format, const void* pixels,
                      const void* colormap, png_uint_32 entries) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = format;
    image.colormap_entries = entries;
    png_alloc_size_t size = 0;
    if (!png_image_write_get_memory_size(image, size, 0, pixels, 0, colormap)) return {};
    TBytes out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels, 0, colormap)) return {};
    out.resize(size);
    return out;
}

struct TjDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};

TBytes CompressJpeg(int width, int height, const std::uint8_t* pixels, int pixelFormat,
                    int subsampling, int quality, int flags) {
    std::unique_ptr<void, TjDeleter> handle(tjInitCompress());
    if (!handle) return {};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (tjCompress2(handle.get(), pixels, width, 0, height, pixelFormat, &buffer, &size,
                    subsampling, quality, flags) != 0) {
        tjFree(buffer);
        return {};
    }
    TBytes out(buffer, buffer + size);
    tjFree(buffer);
    return out;
}

struct GifMapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using GifMap = std::unique_ptr<ColorMapObject, GifMapDeleter>;

GifMap MakeGifMap(const std::vector<TRgba>& palette) {
    if (palette.empty()) return nullptr;
    int count = 2;
    while (count < static_cast<int>(palette.size()))
        count *= 2;
    std::vector<GifColorType> colors(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < palette.size(); ++i)
        colors[i] = {palette[i].R, palette[i].G, palette[i].B};
    return GifMap(GifMakeMapObject(count, colors.data()));
}

int WriteToVector(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<TBytes*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

std::uint32_t BitsPerPixel(const TPngRaw& png) {
    static constexpr std::uint32_t kChannels[] = {1, 0, 3, 1, 2, 0, 4};
    return png.BitDepth * (png.ColorType <= 6 ? kChannels[png.ColorType] : 0);
}

std::uint32_t GetBits(const std::uint8_t* row, std::uint64_t bitPos, std::uint32_t bits) {
    std::uint32_t v = 0;
    for (std::uint32_t i = 0; i < bits; ++i) {
        const std::uint64_t b = bitPos + i;
        v = (v << 1) | ((row[b / 8] >> (7 - b % 8)) & 1);
    }
    return v;
}

void PutBits(std::uint8_t* row, std::uint64_t bitPos, std::uint32_t bits, std::uint32_t v) {
    for (std::uint32_t i = 0; i < bits; ++i) {
        const std::uint64_t b = bitPos + i;
        const std::uint32_t bit = (v >> (bits - 1 - i)) & 1;
        row[b / 8] = static_cast<std::uint8_t>(row[b / 8] | (bit << (7 - b % 8)));
    }
}

} // namespace

TBytes WritePngRgb(int width, int height, std::span<const TRgba> pixels) {
    const TBytes rgb = RgbBytes(pixels);
    return WritePngSimple(width, height, PNG_FORMAT_RGB, rgb.data(), nullptr, 0);
}

TBytes WritePngRgba(int width, int height, std::span<const TRgba> pixels) {
    return WritePngSimple(width, height, PNG_FORMAT_RGBA, pixels.data(), nullptr, 0);
}

TBytes WritePngGray(int width, int height, std::span<const std::uint8_t> gray) {
    return WritePngSimple(width, height, PNG_FORMAT_GRAY, gray.data(), nullptr, 0);
}

TBytes WritePngPalette(int width, int height, std::span<const std::uint8_t> indexes,
                       std::span<const TRgba> palette) {
    return WritePngSimple(width, height, PNG_FORMAT_RGBA_COLORMAP, indexes.data(), palette.data(),
                          static_cast<png_uint_32>(palette.size()));
}

void AppendPngChunk(TBytes& png, std::string_view type, std::span<const std::uint8_t> data) {
    PutBe32(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = png.size();
    png.insert(png.end(), type.begin(), type.end());
    png.insert(png.end(), data.begin(), data.end());
    const uLong crc = crc32(0, png.data() + typeAt, static_cast<uInt>(png.size() - typeAt));
    PutBe32(png, static_cast<std::uint32_t>(crc));
}

TBytes WritePngRaw(const TPngRaw& png) {
    const std::uint32_t bpp = BitsPerPixel(png);
    const std::uint64_t rowBytes = (std::uint64_t{png.Width} * bpp + 7) / 8;
    TBytes filtered;
    if (!png.Interlace) {
        // Rows may hold fewer rows than Height: the file then has too little image data.
        const std::uint64_t rows = rowBytes == 0 ? 0 : png.Rows.size() / rowBytes;
        for (std::uint32_t y = 0; y < png.Height && y < rows; ++y) {
            filtered.push_back(0);
            const auto* row = png.Rows.data() + rowBytes * y;
            filtered.insert(filtered.end(), row, row + rowBytes);
        }
    } else {
        if (png.Rows.size() < rowBytes * png.Height) return {};
        static constexpr std::uint32_t kX0[] = {0, 4, 0, 2, 0, 1, 0};
        static constexpr std::uint32_t kY0[] = {0, 0, 4, 0, 2, 0, 1};
        static constexpr std::uint32_t kDx[] = {8, 8, 4, 4, 2, 2, 1};
        static constexpr std::uint32_t kDy[] = {8, 8, 8, 4, 4, 2, 2};
        for (int pass = 0; pass < 7; ++pass) {
            if (png.Width <= kX0[pass] || png.Height <= kY0[pass]) continue;
            const std::uint32_t passWidth = (png.Width - kX0[pass] + kDx[pass] - 1) / kDx[pass];
            const std::uint64_t passRowBytes = (std::uint64_t{passWidth} * bpp + 7) / 8;
            for (std::uint32_t y = kY0[pass]; y < png.Height; y += kDy[pass]) {
                TBytes row(passRowBytes, 0);
                const auto* src = png.Rows.data() + rowBytes * y;
                for (std::uint32_t i = 0; i < passWidth; ++i) {
                    const std::uint64_t x = kX0[pass] + std::uint64_t{i} * kDx[pass];
                    if (bpp % 8 == 0)
                        std::memcpy(row.data() + std::uint64_t{i} * bpp / 8, src + x * bpp / 8,
                                    bpp / 8);
                    else
                        PutBits(row.data(), std::uint64_t{i} * bpp, bpp,
                                GetBits(src, x * bpp, bpp));
                }
                filtered.push_back(0);
                filtered.insert(filtered.end(), row.begin(), row.end());
            }
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(filtered.size()));
    TBytes packed(packedSize);
    if (compress2(packed.data(), &packedSize, filtered.data(), static_cast<uLong>(filtered.size()),
                  6) != Z_OK)
        return {};
    packed.resize(packedSize);

    TBytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    TBytes ihdr;
    PutBe32(ihdr, png.Width);
    PutBe32(ihdr, png.Height);
    ihdr.insert(ihdr.end(), {png.BitDepth, png.ColorType, 0, 0,
                             static_cast<std::uint8_t>(png.Interlace ? 1 : 0)});
    AppendPngChunk(out, "IHDR", ihdr);
    if (!png.Palette.empty()) {
        TBytes plte;
        for (const TRgba& c : png.Palette)
            plte.insert(plte.end(), {c.R, c.G, c.B});
        AppendPngChunk(out, "PLTE", plte);
    }
    if (!png.Trns.empty()) AppendPngChunk(out, "tRNS", png.Trns);
    AppendPngChunk(out, "IDAT", packed);
    AppendPngChunk(out, "IEND", {});
    return out;
}

TBytes WriteJpeg(int width, int height, std::span<const TRgba> pixels, int quality, int subsampling,
                 bool progressive) {
    return CompressJpeg(width, height, reinterpret_cast<const std::uint8_t*>(pixels.data()),
                        TJPF_RGBX, subsampling, quality, progressive ? TJFLAG_PROGRESSIVE : 0);
}

TBytes WriteJpegGray(int width, int height, std::span<const std::uint8_t> gray, int quality) {
    return CompressJpeg(width, height, gray.data(), TJPF_GRAY, TJSAMP_GRAY, quality, 0);
}

TBytes WriteJpegCmyk(int width, int height, std::span<const std::uint8_t> cmyk, int quality) {
    return CompressJpeg(width, height, cmyk.data(), TJPF_CMYK, TJSAMP_444, quality, 0);
}

TBytes WriteGif(const TGif& gif) {
    TBytes out;
    int error = 0;
    GifFileType* file = EGifOpen(&out, WriteToVector, &error);
    if (file == nullptr) return {};
    bool ok = true;
    EGifSetGifVersion(file, true);
    GifMap global = MakeGifMap(gif.GlobalPalette);
    ok = EGifPutScreenDesc(file, gif.ScreenWidth, gif.ScreenHeight, 8, gif.Background,
                           global.get()) == GIF_OK;
    for (const TGifFrame& frame : gif.Frames) {
        if (!ok) break;
        if (frame.Transparent >= 0) {
            GraphicsControlBlock gcb{};
            gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
            gcb.TransparentColor = frame.Transparent;
            GifByteType ext[4];
            const size_t len = EGifGCBToExtension(&gcb, ext);
            ok = EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(len), ext) ==
                 GIF_OK;
        }
        GifMap local = MakeGifMap(frame.LocalPalette);
        ok = ok && EGifPutImageDesc(file, frame.Left, frame.Top, frame.Width, frame.Height,
                                    frame.Interlace, local.get()) == GIF_OK;
        static constexpr int kStarts[] = {0, 4, 2, 1};
        static constexpr int kSteps[] = {8, 8, 4, 2};
        const int passes = frame.Interlace ? 4 : 1;
        for (int pass = 0; ok && pass < passes; ++pass) {
            const int start = frame.Interlace ? kStarts[pass] : 0;
            const int step = frame.Interlace ? kSteps[pass] : 1;
            for (int y = start; ok && y < frame.Height; y += step) {
                auto* row = const_cast<GifPixelType*>(frame.Indexes.data() +
                                                      static_cast<std::size_t>(y) *
                                                          static_cast<std::size_t>(frame.Width));
                ok = EGifPutLine(file, row, frame.Width) == GIF_OK;
            }
        }
    }
    if (EGifCloseFile(file, &error) != GIF_OK) ok = false;
    return ok ? out : TBytes{};
}

TBytes WriteWebpLossy(int width, int height, std::span<const TRgba> pixels, float quality,
                      bool withAlpha) {
    if (!SizeMatches(width, height, pixels.size())) return {};
    if (withAlpha)
        return RunWebpEncoder([&](std::uint8_t** output) {
            return WebPEncodeRGBA(RgbaBytes(pixels), width, height, width * 4, quality, output);
        });
    const TBytes rgb = RgbBytes(pixels);
    return RunWebpEncoder([&](std::uint8_t** output) {
        return WebPEncodeRGB(rgb.data(), width, height, width * 3, quality, output);
    });
}

TBytes WriteWebpLossless(int width, int height, std::span<const TRgba> pixels, bool withAlpha) {
    if (!SizeMatches(width, height, pixels.size())) return {};
    if (withAlpha)
        return RunWebpEncoder([&](std::uint8_t** output) {
            return WebPEncodeLosslessRGBA(RgbaBytes(pixels), width, height, width * 4, output);
        });
    const TBytes rgb = RgbBytes(pixels);
    return RunWebpEncoder([&](std::uint8_t** output) {
        return WebPEncodeLosslessRGB(rgb.data(), width, height, width * 3, output);
    });
}

TBytes WriteWebpAnimation(int width, int height, const std::vector<std::vector<TRgba>>& frames) {
    WebPAnimEncoderOptions options;
    WebPConfig config;
    if (!WebPAnimEncoderOptionsInit(&options) || !WebPConfigInit(&config)) return {};
    config.lossless = 1;
    config.exact = 1;
    std::unique_ptr<WebPAnimEncoder, AnimEncoderDeleter> encoder(
        WebPAnimEncoderNew(width, height, &options));
    if (!encoder) return {};
    int timestamp = 0;
    for (const std::vector<TRgba>& frame : frames) {
        WebPPicture picture;
        if (!SizeMatches(width, height, frame.size()) || !WebPPictureInit(&picture)) return {};
        picture.use_argb = 1;
        picture.width = width;
        picture.height = height;
        const bool ok = WebPPictureImportRGBA(&picture, RgbaBytes(frame), width * 4) &&
                        WebPAnimEncoderAdd(encoder.get(), &picture, timestamp, &config);
        WebPPictureFree(&picture);
        if (!ok) return {};
        timestamp += 100;
    }
    if (!WebPAnimEncoderAdd(encoder.get(), nullptr, timestamp, nullptr)) return {};
    WebPData data;
    WebPDataInit(&data);
    if (!WebPAnimEncoderAssemble(encoder.get(), &data)) return {};
    TBytes out(data.bytes, data.bytes + data.size);
    WebPDataClear(&data);
    return out;
}

TBytes WriteWebpSolid(int width, int height, TRgba colour) {
    if (width < 1 || height < 1 || width > 16384 || height > 16384) return {};
    LsbBitWriter bits;
    bits.Put(0x2F, 8); // the lossless signature
    bits.Put(static_cast<std::uint32_t>(width - 1), 14);
    bits.Put(static_cast<std::uint32_t>(height - 1), 14);
    bits.Put(0, 1); // no alpha
    bits.Put(0, 3); // version 0
    bits.Put(0, 1); // no transform
    bits.Put(0, 1); // no colour cache
    bits.Put(0, 1); // one group of prefix codes for the whole picture
    // Green, red, blue and alpha each have a one-symbol code, so a pixel reads no bits.
    for (const std::uint8_t value : {colour.G, colour.R, colour.B, std::uint8_t{255}}) {
        bits.Put(1, 1); // a simple code
        bits.Put(0, 1); // of one symbol
        bits.Put(1, 1); // written in 8 bits
        bits.Put(value, 8);
    }
    bits.Put(0b0001, 4); // distance: a simple code of the one 1-bit symbol 0
    return RiffWebp("VP8L", bits.Bytes());
}

TBytes WriteBmp(const TBmp& bmp) {
    const bool bitFields = bmp.Compression == 3 || bmp.Compression == 6;
    const std::uint32_t maskBytes =
        (bmp.HeaderSize == 40 && bitFields) ? (bmp.Compression == 6 ? 16 : 12) : 0;
    const std::uint32_t entrySize = bmp.HeaderSize == 12 ? 3 : 4;
    const auto offBits = static_cast<std::uint32_t>(14 + bmp.HeaderSize + maskBytes +
                                                    bmp.Palette.size() * entrySize);
    TBytes out = {'B', 'M'};
    PutLe32(out, offBits + static_cast<std::uint32_t>(bmp.Pixels.size()));
    PutLe32(out, 0);
    PutLe32(out, offBits);
    PutLe32(out, bmp.HeaderSize);
    if (bmp.HeaderSize == 12) {
        PutLe16(out, static_cast<std::uint32_t>(bmp.Width));
        PutLe16(out, static_cast<std::uint32_t>(bmp.Height));
        PutLe16(out, 1);
        PutLe16(out, bmp.BitCount);
    } else {
        PutLe32(out, static_cast<std::uint32_t>(bmp.Width));
        PutLe32(out, static_cast<std::uint32_t>(bmp.Height));
        PutLe16(out, 1);
        PutLe16(out, bmp.BitCount);
        PutLe32(out, bmp.Compression);
        PutLe32(out, static_cast<std::uint32_t>(bmp.Pixels.size()));
        PutLe32(out, 2835);
        PutLe32(out, 2835);
        PutLe32(out, bmp.ColorsUsed);
        PutLe32(out, 0);
        if (bmp.HeaderSize >= 52) {
            for (std::size_t i = 0; i < 3; ++i)
                PutLe32(out, bmp.Masks[i]);
        }
        if (bmp.HeaderSize >= 56) PutLe32(out, bmp.Masks[3]);
        out.resize(14 + bmp.HeaderSize, 0); // colour space fields of the larger headers
        if (maskBytes != 0) {
            for (std::uint32_t i = 0; i < maskBytes / 4; ++i)
                PutLe32(out, bmp.Masks[i]);
        }
    }
    for (const TRgba& c : bmp.Palette) {
        out.insert(out.end(), {c.B, c.G, c.R});
        if (entrySize == 4) out.push_back(0);
    }
    out.insert(out.end(), bmp.Pixels.begin(), bmp.Pixels.end());
    return out;
}

TBytes BmpRows(int width, int height, int bitCount, bool topDown,
               const std::function<std::uint32_t(int x, int y)>& value) {
    const std::size_t stride = (static_cast<std::size_t>(width) * bitCount + 31) / 32 * 4;
    TBytes out(stride * static_cast<std::size_t>(height), 0);
    for (int i = 0; i < height; ++i) {
        const int y = topDown ? i : height - 1 - i;
        std::uint8_t* row = out.data() + stride * static_cast<std::size_t>(i);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = value(x, y);
            if (bitCount <= 8) {
                PutBits(row, static_cast<std::uint64_t>(x) * bitCount,
                        static_cast<std::uint32_t>(bitCount), v);
            } else {
                for (int b = 0; b < bitCount / 8; ++b)
                    row[static_cast<std::size_t>(x) * (bitCount / 8) + b] =
                        static_cast<std::uint8_t>(v >> (8 * b));
            }
        }
    }
    return out;
}

std::vector<TRgba> NaturalPicture(int width, int height, std::uint32_t seed) {
    std::vector<TRgba> out(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::uint32_t state = seed * 2654435761u + 1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            const int noise = static_cast<int>((state >> 24) & 7) - 4;
            auto clip = [](int v) {
                return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
            };
            const int r = (x * 255) / (width > 1 ? width - 1 : 1);
            const int g = (y * 255) / (height > 1 ? height - 1 : 1);
            const int b = ((x + y) * 127) / (width + height) + 64;
            out[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                static_cast<std::size_t>(x)] = {clip(r + noise), clip(g + noise), clip(b + noise),
                                                255};
        }
    }
    return out;
}

bool WriteFileBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    return static_cast<bool>(file);
}

} // namespace tarvo::testpic
