// Fuzz target: the WebP decoder, chosen the way the picture container chooses it, and the display
// copy of whatever it decodes.
#include "picture/DIB.h"
#include "picture/Picture.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarvo::TPicture picture;
    if (picture.LoadFromBytes(tarvo::TDecoderKind::Webp,
                              std::span<const std::uint8_t>(data, size))) {
        tarvo::TDIB dib;
        (void)dib.Assign(picture);
    }
    return 0;
}
