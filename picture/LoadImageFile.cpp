#include "picture/LoadImageFile.h"

#include <new>

namespace tarvo {

bool TLoadImageFile::LoadPicture(const std::string& path) {
    if (ExtractFileExt(path).empty()) return false;
    Image.reset();
    Height = 0;
    Width = 0;
    try {
        Image = std::make_unique<TPicture>();
    } catch (const std::bad_alloc&) {
        return false;
    }
    // GIF files go through the same container: it hands ".gif" (any letter case) to the GIF
    // decoder, which gives the first frame on the logical screen.
    if (!Image->LoadFromFile(path)) {
        Image.reset();
        return false;
    }
    if (Image->Height() == 0 || Image->Width() == 0) return false;
    Height = Image->Height();
    Width = Image->Width();
    return true;
}

} // namespace tarvo
