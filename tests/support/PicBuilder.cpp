#include "support/PicBuilder.h"

#include <gtest/gtest.h>
#include <png.h>
#include <turbojpeg.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace tarvo::test {

namespace {

void PutLe16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void PutLe32(std::string& out, std::uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

void PutBe16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
    out.push_back(static_cast<char>(v & 0xFF));
}

void PutBe32(std::string& out, std::uint32_t v) {
    PutBe16(out, v >> 16);
    PutBe16(out, v & 0xFFFF);
}

std::uint32_t Crc(std::string_view type, std::string_view data) {
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32_z(crc, reinterpret_cast<const Bytef*>(type.data()), type.size());
    if (!data.empty()) crc = crc32_z(crc, reinterpret_cast<const Bytef*>(data.data()), data.size());
    return static_cast<std::uint32_t>(crc);
}

std::uint32_t ReadBe32(std::string_view bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
}

// A JPEG marker segment: FF, marker, length (2 + body), body.
std::string Segment(unsigned char marker, std::string_view body) {
    std::string out;
    out.push_back(static_cast<char>(0xFF));
    out.push_back(static_cast<char>(marker));
    PutBe16(out, static_cast<std::uint32_t>(body.size() + 2));
    out += body;
    return out;
}

std::string ExifApp1(std::string_view firstBlockData) {
    std::string body("Exif\0\0", 6);
    body += firstBlockData;
    return Segment(0xE1, body);
}

struct TjDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjDeleter>;

} // namespace

std::string Utf16(std::string_view utf8) {
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        std::uint32_t cp = b;
        std::size_t extra = 0;
        if (b >= 0xF0) {
            cp = b & 0x07;
            extra = 3;
        } else if (b >= 0xE0) {
            cp = b & 0x0F;
            extra = 2;
        } else if (b >= 0xC0) {
            cp = b & 0x1F;
            extra = 1;
        }
        for (std::size_t k = 1; k <= extra && i + k < utf8.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            PutLe16(out, 0xD800 + (cp >> 10));
            PutLe16(out, 0xDC00 + (cp & 0x3FF));
        } else {
            PutLe16(out, cp);
        }
    }
    return out;
}

TLines FirstBlockLines(const TParamSet& params) {
    return {{"JobId", " " + params.JobId},
            {"prompt", " " + params.Prompt},
            {"negative_prompt", " " + params.NegPrompt},
            {"seed", " " + params.Seed},
            {"width", " 512"},
            {"height", " 768"},
            {"steps", " 30"},
            {"format", " " + params.Format}};
}

std::string JoinFirstLines(const TLines& lines, std::string_view eol) {
    std::string out;
    for (const TKeyValue& line : lines) {
        out += line.Key;
        out += ':';
        out += line.Value;
        out += eol;
    }
    return out;
}

std::string FirstBlockData(std::string_view utf8Text, char16_t lead) {
    std::string comment("UNICODE\0", 8);
    PutLe16(comment, lead);
    comment += Utf16(utf8Text);

    std::string tiff("II*\0", 4);
    PutLe32(tiff, 8); // IFD0
    PutLe16(tiff, 1);
    PutLe16(tiff, 0x8769); // Exif IFD pointer
    PutLe16(tiff, 4);      // LONG
    PutLe32(tiff, 1);
    PutLe32(tiff, 26);
    PutLe32(tiff, 0);
    PutLe16(tiff, 1);      // Exif IFD at 26
    PutLe16(tiff, 0x9286); // UserComment
    PutLe16(tiff, 7);      // UNDEFINED
    PutLe32(tiff, static_cast<std::uint32_t>(comment.size()));
    PutLe32(tiff, static_cast<std::uint32_t>(FirstBlockMarkerOffset));
    PutLe32(tiff, 0);
    tiff += comment;
    return tiff;
}

std::string FirstBlockText(const TParamSet& params) {
    return FirstBlockData(JoinFirstLines(FirstBlockLines(params)));
}

TLines GenInfoLines(const TParamSet& params) {
    return {{"JobId", " \"" + params.JobId + "\","},
            {"prompt", " \"" + params.Prompt + "\","},
            {"negative_prompt", " \"" + params.NegPrompt + "\","},
            {"seed", " " + params.Seed + ","},
            {"width", " 512,"},
            {"height", " 768"}};
}

std::string GenInfoObject(const TLines& lines, std::string_view eol) {
    std::string out = "{";
    out += eol;
    for (const TKeyValue& line : lines) {
        out += "  \"";
        out += line.Key;
        out += "\":";
        out += line.Value;
        out += eol;
    }
    out += "}";
    return out;
}

std::string GenInfoData(std::string_view object) {
    std::string out("GenInfo\0", 8);
    out += object;
    return out;
}

std::string GenInfoText(const TParamSet& params) {
    return GenInfoData(GenInfoObject(GenInfoLines(params)));
}

std::string Chunk(std::string_view type, std::string_view data, bool badCrc) {
    std::string out;
    PutBe32(out, static_cast<std::uint32_t>(data.size()));
    out += type;
    out += data;
    PutBe32(out, Crc(type, data) ^ (badCrc ? 0x5A5A5A5Au : 0u));
    return out;
}

std::string ChunkWithLength(std::uint32_t length, std::string_view type, std::string_view data) {
    std::string out;
    PutBe32(out, length);
    out += type;
    out += data;
    PutBe32(out, Crc(type, data));
    return out;
}

std::vector<std::uint8_t> PicturePixels(const TPicture& picture) {
    if (!picture.Pixels.empty()) return picture.Pixels;
    std::vector<std::uint8_t> rgb;
    rgb.reserve(static_cast<std::size_t>(picture.Width * picture.Height * 3));
    std::uint32_t state = 0x9E3779B9u;
    for (int y = 0; y < picture.Height; ++y) {
        for (int x = 0; x < picture.Width; ++x) {
            if (picture.Noisy) {
                for (int c = 0; c < 3; ++c) {
                    state ^= state << 13;
                    state ^= state >> 17;
                    state ^= state << 5;
                    rgb.push_back(static_cast<std::uint8_t>(state >> 24));
                }
            } else {
                rgb.push_back(static_cast<std::uint8_t>(x * 255 / std::max(1, picture.Width - 1)));
                rgb.push_back(static_cast<std::uint8_t>(y * 255 / std::max(1, picture.Height - 1)));
                rgb.push_back(static_cast<std::uint8_t>((x * 7 + y * 13) & 0xFF));
            }
        }
    }
    return rgb;
}

std::string IhdrChunk(const TPicture& picture) {
    std::string data;
    PutBe32(data, static_cast<std::uint32_t>(picture.Width));
    PutBe32(data, static_cast<std::uint32_t>(picture.Height));
    data.push_back(8); // bit depth
    data.push_back(2); // RGB
    data.push_back(0);
    data.push_back(0);
    data.push_back(0);
    return Chunk("IHDR", data);
}

std::string IdatChunk(const TPicture& picture) {
    const std::vector<std::uint8_t> rgb = PicturePixels(picture);
    const std::size_t row = static_cast<std::size_t>(picture.Width) * 3;
    std::string raw;
    for (int y = 0; y < picture.Height; ++y) {
        raw.push_back(0); // filter: none
        raw.append(reinterpret_cast<const char*>(rgb.data()) + y * row, row);
    }
    const std::string packed = Deflate(raw);
    return packed.empty() ? std::string() : Chunk("IDAT", packed);
}

std::string Deflate(std::string_view text) {
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::string packed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                  reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()),
                  9) != Z_OK)
        return {};
    packed.resize(size);
    return packed;
}

std::string ZtxtChunk(std::string_view keyword, std::string_view text) {
    return Chunk("zTXt", std::string(keyword) + std::string("\0\0", 2) + Deflate(text));
}

std::string IendChunk() {
    return Chunk("IEND", {});
}

std::string PngFile(const std::vector<std::string>& before, const std::vector<std::string>& after,
                    const TPicture& picture) {
    std::string out("\x89PNG\r\n\x1A\n", 8);
    out += IhdrChunk(picture);
    for (const std::string& chunk : before)
        out += chunk;
    out += IdatChunk(picture);
    for (const std::string& chunk : after)
        out += chunk;
    out += IendChunk();
    return out;
}

std::string TarvoPng(const TParamSet& params, const TPicture& picture) {
    return PngFile({Chunk("eXIf", FirstBlockText(params)), Chunk("tEXt", GenInfoText(params))}, {},
                   picture);
}

std::string JpegFile(std::string_view firstBlockData, const TPicture& picture,
                     std::size_t minSize) {
    TjHandle handle(tjInitCompress());
    if (!handle) return {};
    const std::vector<std::uint8_t> rgb = PicturePixels(picture);
    unsigned char* jpeg = nullptr;
    unsigned long jpegSize = 0;
    if (tjCompress2(handle.get(), rgb.data(), picture.Width, 0, picture.Height, TJPF_RGB, &jpeg,
                    &jpegSize, TJSAMP_444, 95, 0) != 0) {
        tjFree(jpeg);
        return {};
    }
    const std::string plain(reinterpret_cast<const char*>(jpeg), jpegSize);
    tjFree(jpeg);
    // The encoder writes SOI and the JFIF APP0 segment (20 bytes) first.
    if (plain.size() < 20 || plain.compare(0, 4, "\xFF\xD8\xFF\xE0") != 0) return {};
    std::string out = plain.substr(0, 20);
    out += ExifApp1(firstBlockData);
    const std::size_t rest = plain.size() - 20;
    while (out.size() + rest < minSize) {
        const std::size_t missing = minSize - out.size() - rest;
        const std::size_t body =
            std::min<std::size_t>(std::max<std::size_t>(missing, 4) - 4, 65533);
        out += Segment(0xFE, std::string(body, 'c'));
    }
    out += plain.substr(20);
    return out;
}

std::string RiffChunk(std::string_view fourcc, std::string_view payload) {
    std::string out(fourcc);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>(payload.size() >> shift));
    out += payload;
    if (payload.size() % 2 != 0) out.push_back('\0');
    return out;
}

std::string WebpFile(const std::vector<std::string>& chunks) {
    std::string body = "WEBP";
    for (const std::string& chunk : chunks)
        body += chunk;
    std::string out = "RIFF";
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>(body.size() >> shift));
    return out + body;
}

std::string ExtendedWebp(std::string_view simple, int width, int height,
                         const std::vector<std::string>& after,
                         const std::vector<std::string>& before) {
    if (simple.size() < 12) return {};
    std::string flags(10, '\0');
    flags[0] = 0x08 | 0x04; // EXIF and XMP metadata
    for (int i = 0; i < 3; ++i) {
        flags[4 + i] = static_cast<char>((width - 1) >> (8 * i));
        flags[7 + i] = static_cast<char>((height - 1) >> (8 * i));
    }
    std::vector<std::string> chunks = {RiffChunk("VP8X", flags)};
    chunks.insert(chunks.end(), before.begin(), before.end());
    chunks.emplace_back(simple.substr(12));
    chunks.insert(chunks.end(), after.begin(), after.end());
    return WebpFile(chunks);
}

std::string WebpExif(std::string_view firstBlockData, bool prefixed) {
    return (prefixed ? std::string("Exif\0\0", 6) : std::string()) + std::string(firstBlockData);
}

std::string JpegHead(std::string_view firstBlockData, std::size_t size) {
    std::string out("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20);
    out += ExifApp1(firstBlockData);
    out.resize(size, '\0');
    return out;
}

std::optional<TDecoded> DecodePng(std::string_view bytes) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return std::nullopt;
    image.format = PNG_FORMAT_RGB;
    TDecoded decoded;
    decoded.Width = static_cast<int>(image.width);
    decoded.Height = static_cast<int>(image.height);
    decoded.Rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, decoded.Rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    decoded.Warned = (image.warning_or_error & PNG_IMAGE_WARNING) != 0;
    png_image_free(&image);
    return decoded;
}

std::optional<TDecoded> DecodeJpeg(std::string_view bytes) {
    TjHandle handle(tjInitDecompress());
    if (!handle) return std::nullopt;
    int width = 0;
    int height = 0;
    int subsamp = 0;
    int colorspace = 0;
    auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    if (tjDecompressHeader3(handle.get(), data, bytes.size(), &width, &height, &subsamp,
                            &colorspace) != 0)
        return std::nullopt;
    TDecoded decoded;
    decoded.Width = width;
    decoded.Height = height;
    decoded.Rgb.resize(static_cast<std::size_t>(width) * height * 3);
    if (tjDecompress2(handle.get(), data, bytes.size(), decoded.Rgb.data(), width, 0, height,
                      TJPF_RGB, 0) != 0)
        return std::nullopt;
    return decoded;
}

std::vector<TChunkInfo> PngChunks(std::string_view bytes) {
    std::vector<TChunkInfo> chunks;
    std::size_t pos = 8;
    while (pos + 12 <= bytes.size()) {
        TChunkInfo info;
        info.Offset = pos;
        info.Length = ReadBe32(bytes, pos);
        if (info.Length > bytes.size() - pos - 12) break;
        info.Type = std::string(bytes.substr(pos + 4, 4));
        const std::string_view data = bytes.substr(pos + 8, info.Length);
        info.CrcOk = ReadBe32(bytes, pos + 8 + info.Length) == Crc(info.Type, data);
        chunks.push_back(info);
        pos += 12 + info.Length;
    }
    return chunks;
}

bool AllCrcsOk(std::string_view bytes) {
    const std::vector<TChunkInfo> chunks = PngChunks(bytes);
    if (chunks.empty()) return false;
    std::size_t end = 8;
    for (const TChunkInfo& chunk : chunks) {
        if (!chunk.CrcOk) return false;
        end = chunk.Offset + 12 + chunk.Length;
    }
    return end == bytes.size() && chunks.back().Type == "IEND";
}

std::vector<TSpan> ChangedSpans(std::string_view before, std::string_view after) {
    std::vector<TSpan> spans;
    const std::size_t n = std::min(before.size(), after.size());
    std::size_t i = 0;
    while (i < n) {
        if (before[i] == after[i]) {
            ++i;
            continue;
        }
        TSpan span{i, 0};
        while (i < n && before[i] != after[i])
            ++i;
        span.Length = i - span.Offset;
        spans.push_back(span);
    }
    return spans;
}

bool ChangesWithin(std::string_view before, std::string_view after,
                   const std::vector<TSpan>& allowed) {
    if (before.size() != after.size()) return false;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i] == after[i]) continue;
        bool inside = false;
        for (const TSpan& span : allowed)
            inside = inside || (i >= span.Offset && i - span.Offset < span.Length);
        if (!inside) return false;
    }
    return true;
}

TTempDir::TTempDir() {
    std::string pattern = testing::TempDir();
    if (pattern.empty() || pattern.back() != '/') pattern += '/';
    pattern += "tarvoXXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) FPath = pattern;
}

TTempDir::~TTempDir() {
    if (FPath.empty()) return;
    std::error_code error;
    std::filesystem::remove_all(FPath, error);
}

std::string TTempDir::File(std::string_view name) const {
    std::string path = FPath;
    path += '/';
    path += name;
    return path;
}

bool WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace tarvo::test
