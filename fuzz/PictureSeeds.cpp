#include "PictureSeeds.h"

#include "support/PictureWriters.h"

#include <turbojpeg.h>

#include <cstdio>
#include <filesystem>
#include <utility>
#include <vector>

namespace tarvo {

namespace {

namespace tp = testpic;

using TSeeds = std::vector<std::pair<std::string, tp::TBytes>>;

std::vector<tp::TRgba> Palette(int n) {
    std::vector<tp::TRgba> p;
    for (int i = 0; i < n; ++i)
        p.push_back({static_cast<std::uint8_t>(i * 37), static_cast<std::uint8_t>(i * 11),
                     static_cast<std::uint8_t>(255 - i),
                     static_cast<std::uint8_t>(i == 1 ? 0 : 255)});
    return p;
}

std::vector<std::uint8_t> Indexes(int w, int h, int colours) {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < w * h; ++i)
        out.push_back(static_cast<std::uint8_t>((i * 7 + i / w) % colours));
    return out;
}

TSeeds PngSeeds() {
    const auto natural = tp::NaturalPicture(16, 12, 1);
    tp::TPngRaw oneBit{13, 3, 1, 0, false, {0xA5, 0x50, 0xFF, 0x00, 0x3C, 0xC3}, {}, {}};
    tp::TPngRaw sixteen{2, 2, 16, 2, false, tp::TBytes(2 * 2 * 6, 0x7F), {}, {}};
    tp::TPngRaw interlaced{9, 9, 8, 2, true, {}, {}, {}};
    for (const auto& p : tp::NaturalPicture(9, 9, 2))
        interlaced.Rows.insert(interlaced.Rows.end(), {p.R, p.G, p.B});
    tp::TPngRaw grayAlpha{3, 2, 8, 4, false, {0, 255, 128, 0, 255, 40, 9, 9, 1, 2, 3, 4}, {}, {}};
    return {{"rgb.png", tp::WritePngRgb(16, 12, natural)},
            {"rgba.png", tp::WritePngRgba(16, 12, natural)},
            {"gray.png", tp::WritePngGray(8, 4, Indexes(8, 4, 256))},
            {"palette.png", tp::WritePngPalette(10, 6, Indexes(10, 6, 5), Palette(5))},
            {"onebit.png", tp::WritePngRaw(oneBit)},
            {"sixteen.png", tp::WritePngRaw(sixteen)},
            {"interlaced.png", tp::WritePngRaw(interlaced)},
            {"grayalpha.png", tp::WritePngRaw(grayAlpha)}};
}

TSeeds JpegSeeds() {
    const auto natural = tp::NaturalPicture(24, 16, 3);
    std::vector<std::uint8_t> cmyk(8 * 8 * 4, 200);
    return {{"420.jpg", tp::WriteJpeg(24, 16, natural, 80, TJSAMP_420)},
            {"444.jpg", tp::WriteJpeg(24, 16, natural, 95, TJSAMP_444)},
            {"422.jpg", tp::WriteJpeg(13, 7, natural, 60, TJSAMP_422)},
            {"progressive.jpg", tp::WriteJpeg(24, 16, natural, 80, TJSAMP_420, true)},
            {"gray.jpg", tp::WriteJpegGray(16, 8, Indexes(16, 8, 256), 90)},
            {"cmyk.jpg", tp::WriteJpegCmyk(8, 8, cmyk, 90)}};
}

TSeeds GifSeeds() {
    const std::vector<tp::TRgba> global = Palette(4);
    tp::TGif simple{6, 4, 0, global, {{0, 0, 6, 4, false, -1, {}, Indexes(6, 4, 4)}}};
    tp::TGif local{8, 8, 2, global, {{2, 1, 4, 5, false, 1, Palette(8), Indexes(4, 5, 8)}}};
    tp::TGif interlaced{5, 11, 0, global, {{0, 0, 5, 11, true, -1, {}, Indexes(5, 11, 4)}}};
    tp::TGif animated{4,
                      4,
                      0,
                      global,
                      {{0, 0, 4, 4, false, -1, {}, Indexes(4, 4, 4)},
                       {1, 1, 2, 2, false, 0, {}, Indexes(2, 2, 4)}}};
    return {{"simple.gif", tp::WriteGif(simple)},
            {"local.gif", tp::WriteGif(local)},
            {"interlaced.gif", tp::WriteGif(interlaced)},
            {"animated.gif", tp::WriteGif(animated)}};
}

tp::TBmp Bmp(int w, int h, int bits, std::uint32_t compression, std::uint32_t header) {
    tp::TBmp bmp;
    bmp.Width = w;
    bmp.Height = h;
    bmp.BitCount = static_cast<std::uint16_t>(bits);
    bmp.Compression = compression;
    bmp.HeaderSize = header;
    if (bits <= 8) bmp.Palette = Palette(1 << bits);
    bmp.Masks = {0xF800, 0x07E0, 0x001F, 0};
    const bool topDown = h < 0;
    bmp.Pixels = tp::BmpRows(w, topDown ? -h : h, bits, topDown, [bits](int x, int y) {
        const auto v = static_cast<std::uint32_t>(x * 2654435761u + y * 40503u);
        return bits >= 32 ? v : v & ((1u << bits) - 1);
    });
    return bmp;
}

TSeeds BmpSeeds() {
    tp::TBmp rle8 = Bmp(6, 3, 8, 1, 40);
    rle8.Pixels = {3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 2, 9, 0, 1};
    tp::TBmp rle4 = Bmp(9, 2, 4, 2, 40);
    rle4.Pixels = {5, 0xAB, 0, 3, 0x12, 0x30, 0, 0, 2, 0xCC, 0, 1};
    return {{"1bit.bmp", tp::WriteBmp(Bmp(13, 3, 1, 0, 40))},
            {"4bit.bmp", tp::WriteBmp(Bmp(7, 4, 4, 0, 40))},
            {"8bit-core.bmp", tp::WriteBmp(Bmp(5, 3, 8, 0, 12))},
            {"16bit-565.bmp", tp::WriteBmp(Bmp(5, 3, 16, 3, 40))},
            {"24bit.bmp", tp::WriteBmp(Bmp(5, 3, 24, 0, 40))},
            {"32bit-v5-topdown.bmp", tp::WriteBmp(Bmp(4, -3, 32, 0, 124))},
            {"rle8.bmp", tp::WriteBmp(rle8)},
            {"rle4.bmp", tp::WriteBmp(rle4)}};
}

TSeeds WebpSeeds() {
    const auto natural = tp::NaturalPicture(16, 12, 4);
    std::vector<tp::TRgba> alpha = natural;
    for (std::size_t i = 0; i < alpha.size(); ++i)
        alpha[i].A = static_cast<std::uint8_t>(i * 5);
    std::vector<tp::TRgba> framed(16 * 12, {0, 0, 0, 0});
    for (int y = 2; y < 10; ++y)
        for (int x = 4; x < 12; ++x)
            framed[static_cast<std::size_t>(y * 16 + x)] =
                natural[static_cast<std::size_t>(y * 16 + x)];
    return {{"lossy.webp", tp::WriteWebpLossy(16, 12, natural, 75)},
            {"lossy-alpha.webp", tp::WriteWebpLossy(16, 12, alpha, 75, true)},
            {"lossless.webp", tp::WriteWebpLossless(16, 12, natural)},
            {"lossless-alpha.webp", tp::WriteWebpLossless(16, 12, alpha, true)},
            {"solid.webp", tp::WriteWebpSolid(40, 30, {9, 99, 199, 255})},
            {"animated.webp", tp::WriteWebpAnimation(16, 12, {framed, natural, alpha})}};
}

void WriteAll(const std::filesystem::path& folder, const TSeeds& seeds) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const auto& [name, bytes] : seeds) {
        const std::string path = (folder / name).string();
        if (bytes.empty() || !tp::WriteFileBytes(path, bytes))
            std::fprintf(stderr, "picture seeds: cannot write %s\n", path.c_str());
    }
}

} // namespace

void WritePictureSeeds(const std::string& corpusRoot) {
    const std::filesystem::path root(corpusRoot);
    WriteAll(root / "FuzzDecodePng", PngSeeds());
    WriteAll(root / "FuzzDecodeJpeg", JpegSeeds());
    WriteAll(root / "FuzzDecodeGif", GifSeeds());
    WriteAll(root / "FuzzDecodeBmp", BmpSeeds());
    WriteAll(root / "FuzzDecodeWebp", WebpSeeds());
}

} // namespace tarvo
