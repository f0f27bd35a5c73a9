// Picture decoders: PNG through libpng, JPEG through TurboJPEG, GIF through giflib, WebP
// through libwebp, and BMP/DIB through a reader of our own. Each reads a whole file's bytes
// from memory and answers false (leaving out empty) for a malformed, truncated or oversized
// picture.
#pragma once

#include "picture/Bitmap.h"

#include <cstdint>
#include <span>

namespace tarvo {

// Palette and grey pictures of up to 8 bits give 8 bits with their palette; others 24 bits,
// or 32 bits with HasAlpha when the file carries transparency.
[[nodiscard]] bool DecodePng(std::span<const std::uint8_t> data, TBitmap& out);
// Always 24 bits; CMYK and YCCK files are converted as inverted (Adobe) CMYK.
[[nodiscard]] bool DecodeJpeg(std::span<const std::uint8_t> data, TBitmap& out);
// The first frame on a canvas of the logical screen size, 8 bits with the frame's palette;
// the transparent index (if any) has alpha 0. A file without a frame is an error.
[[nodiscard]] bool DecodeGif(std::span<const std::uint8_t> data, TBitmap& out);
// 1, 4, 8, 16, 24 and 32 bits, uncompressed, bit fields or RLE4/RLE8, bottom-up or top-down.
// 1 to 16 bits keep their depth; 32-bit pixels are normalised to blue, green, red, 255.
[[nodiscard]] bool DecodeBmp(std::span<const std::uint8_t> data, TBitmap& out);
// A RIFF WebP file, lossy or lossless: 24 bits, or 32 bits with HasAlpha when the file has
// alpha. An animation gives its first frame on a 32-bit canvas of the animation's size, the
// parts the frame leaves uncovered transparent black.
[[nodiscard]] bool DecodeWebp(std::span<const std::uint8_t> data, TBitmap& out);

} // namespace tarvo
