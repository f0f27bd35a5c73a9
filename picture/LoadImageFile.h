// The short-lived picture loader of the window's LoadFile: decodes one file by its
// extension into a picture and reports its pixel size.
#pragma once

#include "picture/Picture.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tarvo {

class TLoadImageFile {
public:
    // Decodes path by its extension. True when a picture of non-zero width and height was
    // decoded; then Image holds it and Width/Height give its size. A name without an
    // extension answers false and changes nothing; any other failure leaves Image absent
    // and both sizes 0. Never shows a message. A file too large for the memory left is thrown
    // (std::bad_alloc) with Image empty; the picture loader catches it.
    [[nodiscard]] bool LoadPicture(const std::string& path);

    // The decoded picture, owned; absent before the first load and after a failed one.
    std::unique_ptr<TPicture> Image;
    std::int32_t Height = 0;
    std::int32_t Width = 0;
    // The signature the parameter reader recognised (0 none, 1 PNG, 2 JPEG), set by the
    // caller before loading. It never changes the choice of decoder.
    std::int32_t GrafKind = 0;
};

} // namespace tarvo
