// Seed pictures for the decoder fuzz targets, made by the project's own encoders.
#pragma once

#include <string>

namespace tarvo {

// Writes a few small valid pictures per decoder into corpusRoot/<target>/ for the targets
// FuzzDecodePng, FuzzDecodeJpeg, FuzzDecodeGif, FuzzDecodeBmp and FuzzDecodeWebp, creating
// the folders.
// A seed that cannot be made or written is reported on stderr.
void WritePictureSeeds(const std::string& corpusRoot);

} // namespace tarvo
