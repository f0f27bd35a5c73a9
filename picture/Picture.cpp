#include "picture/Picture.h"

#include <utility>

#include "picture/Decoders.h"
#include "platform/FileSys.h"
#include "platform/LockedFile.h"
#include "util/MyStrUnit.h"

namespace tarvo {

TDecoderKind DecoderForExtension(std::string_view ext) {
    struct Entry {
        std::string_view Ext;
        TDecoderKind Decoder;
    };
    static constexpr Entry kTable[] = {
        {"png", TDecoderKind::Png},   {"jpg", TDecoderKind::Jpeg}, {"jpeg", TDecoderKind::Jpeg},
        {"gif", TDecoderKind::Gif},   {"bmp", TDecoderKind::Bmp},  {"dib", TDecoderKind::Bmp},
        {"webp", TDecoderKind::Webp},
    };
    for (const Entry& e : kTable) {
        if (SameAsciiText(e.Ext, ext)) return e.Decoder;
    }
    return TDecoderKind::None;
}

std::string ExtractFileExt(std::string_view path) {
    const std::size_t pos = path.find_last_of("/.");
    if (pos == std::string_view::npos || path[pos] != '.') return {};
    return std::string(path.substr(pos));
}

bool TPicture::LoadFromFile(const std::string& path) {
    Clear();
    std::string ext = ExtractFileExt(path);
    if (!ext.empty()) ext.erase(0, 1);
    const TDecoderKind decoder = DecoderForExtension(ext);
    if (decoder == TDecoderKind::None) return false;
    const TFileCheck entry = CheckRegularFile(path);
    if (!entry || entry.Size < 0 || entry.Size > kMaxPictureFileSize) return false;
    std::string bytes;
    if (!ReadFileHead(path, static_cast<std::size_t>(entry.Size), bytes)) return false;
    return LoadFromBytes(
        decoder, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

bool TPicture::LoadFromBytes(std::string_view ext, std::span<const std::uint8_t> bytes) {
    return LoadFromBytes(DecoderForExtension(ext), bytes);
}

bool TPicture::LoadFromBytes(TDecoderKind decoder, std::span<const std::uint8_t> bytes) {
    Clear();
    bool ok = false;
    switch (decoder) {
    case TDecoderKind::Png:
        ok = DecodePng(bytes, FBitmap);
        break;
    case TDecoderKind::Jpeg:
        ok = DecodeJpeg(bytes, FBitmap);
        break;
    case TDecoderKind::Gif:
        ok = DecodeGif(bytes, FBitmap);
        break;
    case TDecoderKind::Bmp:
        ok = DecodeBmp(bytes, FBitmap);
        break;
    case TDecoderKind::Webp:
        ok = DecodeWebp(bytes, FBitmap);
        break;
    case TDecoderKind::None:
        break;
    }
    if (!ok) {
        FBitmap.Clear();
        return false;
    }
    FGraphic = decoder == TDecoderKind::Jpeg ? TGraphicKind::Jpeg : TGraphicKind::Bitmap;
    return true;
}

void TPicture::Clear() {
    FGraphic = TGraphicKind::None;
    FBitmap.Clear();
}

TBitmap TPicture::TakeBitmap() {
    FGraphic = TGraphicKind::None;
    return std::exchange(FBitmap, TBitmap());
}

} // namespace tarvo
