// The picture container: picks a decoder by the file's extension (without its dot, letter
// case ignored; the content never chooses), decodes the file and holds the decoded graphic.
// Only LoadFromFile touches the disk; everything else works on bytes.
#pragma once

#include "picture/Bitmap.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tarvo {

enum class TDecoderKind : int { None = 0, Png = 1, Jpeg = 2, Gif = 3, Bmp = 4, Webp = 5 };

// What a loaded container holds: a bitmap picture (the PNG, GIF, WebP, BMP and DIB results)
// or a JPEG picture, which is not a bitmap; the display copy treats the two differently.
enum class TGraphicKind : int { None = 0, Bitmap = 1, Jpeg = 2 };

// Largest picture file that is read into memory, in bytes.
inline constexpr std::int64_t kMaxPictureFileSize = std::int64_t{512} * 1024 * 1024;

// The decoder registered for ext, given without its dot: "png"; "jpg", "jpeg"; "gif";
// "bmp", "dib"; "webp". None for every other extension ("tif", "") .
TDecoderKind DecoderForExtension(std::string_view ext);

// The extension of the file name in path, with its dot (".png"); empty when the name has no
// dot. Only the part after the last '/' counts.
std::string ExtractFileExt(std::string_view path);

class TPicture {
public:
    // Decodes the file by its extension. False (and an empty container) when the extension
    // has no decoder, the file is not a readable regular file, is larger than
    // kMaxPictureFileSize, or does not decode. Memory running out for the file's bytes is
    // thrown (std::bad_alloc).
    [[nodiscard]] bool LoadFromFile(const std::string& path);
    // Decodes bytes with the decoder registered for ext (without its dot).
    [[nodiscard]] bool LoadFromBytes(std::string_view ext, std::span<const std::uint8_t> bytes);
    [[nodiscard]] bool LoadFromBytes(TDecoderKind decoder, std::span<const std::uint8_t> bytes);
    void Clear();

    TGraphicKind Graphic() const { return FGraphic; }
    bool Empty() const { return FGraphic == TGraphicKind::None; }
    // Pixel size of the decoded picture; 0 while empty.
    std::int32_t Width() const { return FBitmap.Width(); }
    std::int32_t Height() const { return FBitmap.Height(); }
    // The decoded pixels; a JPEG picture keeps them as 24-bit blue-green-red.
    const TBitmap& Bitmap() const { return FBitmap; }
    // Hands the decoded pixels over and leaves the container empty.
    TBitmap TakeBitmap();

private:
    TGraphicKind FGraphic = TGraphicKind::None;
    TBitmap FBitmap;
};

} // namespace tarvo
