// Builds the picture files the tests feed to the program: the two parameter texts, PNG
// files chunk by chunk (real pixels, right or wrong CRCs), JFIF JPEG files carrying the
// UTF-16 text, temporary folders, and independent checks of files after a wipe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo::test {

// The four wipeable parameters and the format, as the service writes them.
struct TParamSet {
    std::string JobId = "7f3c2a10-5b8e-4d21-9c6f-0a1b2c3d4e5f";
    std::string Prompt = "a red fox in the snow";
    std::string NegPrompt = "blurry, low quality";
    std::string Seed = "1234567890";
    std::string Format = "png";
};

struct TKeyValue {
    std::string Key;
    std::string Value; // as it stands after "key:" (first block) or "\"key\":" (second block)
};
using TLines = std::vector<TKeyValue>;

// UTF-8 to UTF-16LE bytes.
std::string Utf16(std::string_view utf8);

// First block. Lines in the service's order: JobId, prompt, negative_prompt, seed, width,
// height, steps, format. Values carry their leading space (" a red fox ...").
TLines FirstBlockLines(const TParamSet& params = {});
// "key:value" + eol for every line, UTF-8.
std::string JoinFirstLines(const TLines& lines, std::string_view eol = "\n");
// The eXIf chunk data (or JPEG APP1 TIFF body): a little-endian TIFF whose Exif UserComment
// holds "UNICODE\0", the lead code unit and text as UTF-16LE.
std::string FirstBlockData(std::string_view utf8Text, char16_t lead = u'\n');
// FirstBlockData of the usual lines for params.
std::string FirstBlockText(const TParamSet& params = {});
// 0-based offset in FirstBlockData of the marker "UNICODE" and of the first text byte.
inline constexpr std::size_t FirstBlockMarkerOffset = 44;
inline constexpr std::size_t FirstBlockTextOffset = FirstBlockMarkerOffset + 10;

// Second block. Lines JobId, prompt, negative_prompt, seed, width, height with values as
// JSON literals (strings quoted, numbers bare, a comma on every line but the last).
TLines GenInfoLines(const TParamSet& params = {});
// "{" eol, then "  \"key\":value" eol per line, then "}".
std::string GenInfoObject(const TLines& lines, std::string_view eol = "\n");
// The tEXt chunk data: "GenInfo", NUL, object.
std::string GenInfoData(std::string_view object);
// GenInfoData of the usual lines for params.
std::string GenInfoText(const TParamSet& params = {});

// PNG pieces. A chunk is its complete bytes: length, type, data, CRC.
std::string Chunk(std::string_view type, std::string_view data, bool badCrc = false);
// A chunk whose length field says length whatever data holds (damaged length fields).
std::string ChunkWithLength(std::uint32_t length, std::string_view type, std::string_view data);

// The picture: 8-bit RGB; smooth gradient, or noise that does not compress (an IDAT of a
// 96x96 noisy picture is longer than 20000 bytes).
struct TPicture {
    int Width = 16;
    int Height = 12;
    bool Noisy = false;
    std::vector<std::uint8_t> Pixels; // RGB rows, top first; when set, used as they are
};
std::vector<std::uint8_t> PicturePixels(const TPicture& picture);
// text as one zlib stream (best compression).
std::string Deflate(std::string_view text);
// A zTXt chunk of keyword and text.
std::string ZtxtChunk(std::string_view keyword, std::string_view text);
std::string IhdrChunk(const TPicture& picture);
std::string IdatChunk(const TPicture& picture);
std::string IendChunk();
// Signature, IHDR, before, IDAT, after, IEND.
std::string PngFile(const std::vector<std::string>& before,
                    const std::vector<std::string>& after = {}, const TPicture& picture = {});
// The usual Tarvo PNG: eXIf and tEXt of params before the pixels.
std::string TarvoPng(const TParamSet& params = {}, const TPicture& picture = {});

// WebP pieces. A RIFF chunk: FourCC, little-endian payload size, payload, and a pad byte
// when the size is odd.
std::string RiffChunk(std::string_view fourcc, std::string_view payload);
// "RIFF", the size of what follows, "WEBP", then the chunks.
std::string WebpFile(const std::vector<std::string>& chunks);
// The extended form of a simple WebP (its image chunk right after the RIFF header) of
// width x height pixels: VP8X, whose flags announce EXIF and XMP, then before, the image
// chunk, then after (where most writers put EXIF and XMP).
std::string ExtendedWebp(std::string_view simple, int width, int height,
                         const std::vector<std::string>& after,
                         const std::vector<std::string>& before = {});
// The payload of a WebP EXIF chunk holding firstBlockData, after the "Exif\0\0" prefix that
// some writers put before the TIFF header when prefixed.
std::string WebpExif(std::string_view firstBlockData, bool prefixed = false);

// A decodable JFIF JPEG of picture whose APP1 Exif segment, right after APP0, holds
// firstBlockData; a comment segment pads the file to at least minSize bytes.
std::string JpegFile(std::string_view firstBlockData, const TPicture& picture = {},
                     std::size_t minSize = 24000);
// Exactly size bytes: the JFIF signature and APP0, the APP1 segment with firstBlockData,
// then zero bytes (not decodable; for the exact-length cases).
std::string JpegHead(std::string_view firstBlockData, std::size_t size);
// 0-based file offset of firstBlockData's first byte in JpegFile and JpegHead.
inline constexpr std::size_t JpegBlockDataOffset = 20 + 4 + 6;

struct TDecoded {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Rgb;
    bool Warned = false; // libpng reported a warning (for instance a CRC error)
};
std::optional<TDecoded> DecodePng(std::string_view bytes);
std::optional<TDecoded> DecodeJpeg(std::string_view bytes);

// Independent chunk walk over a whole PNG file, checking every CRC with zlib.
struct TChunkInfo {
    std::size_t Offset = 0; // of the length field
    std::string Type;
    std::uint32_t Length = 0;
    bool CrcOk = false;
};
std::vector<TChunkInfo> PngChunks(std::string_view bytes);
bool AllCrcsOk(std::string_view bytes);

// A byte range of a file, 0-based.
struct TSpan {
    std::size_t Offset = 0;
    std::size_t Length = 0;
    bool operator==(const TSpan&) const = default;
};
// The maximal runs of differing bytes of two equally long texts (empty when they differ in length
// only: compare sizes first).
std::vector<TSpan> ChangedSpans(std::string_view before, std::string_view after);
// True when every differing byte lies inside one of allowed.
bool ChangesWithin(std::string_view before, std::string_view after,
                   const std::vector<TSpan>& allowed);

// A fresh folder under the test temp dir, removed with everything in it at destruction.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const std::string& Path() const { return FPath; }
    std::string File(std::string_view name) const;

private:
    std::string FPath;
};

bool WriteFile(const std::string& path, std::string_view bytes);
std::string ReadWholeFile(const std::string& path);

} // namespace tarvo::test
