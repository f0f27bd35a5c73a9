// The display bitmap: the paint box's own copy of a decoded picture. Every repaint draws
// from it, so resizing the pane or switching between fitted and real size never decodes
// the file again.
#pragma once

#include "picture/Bitmap.h"
#include "picture/Picture.h"

#include <cstdint>

namespace tarvo {

class TDIB {
public:
    // Empties the bitmap.
    void Clear() { FBitmap.Clear(); }
    // Takes a copy of picture. An empty container empties the bitmap. A bitmap picture keeps
    // its width, height, depth, palette and masks; a JPEG picture gives 24 bits. The copy is
    // the picture drawn onto black: transparent parts (alpha in pixels or palette entries)
    // are blended onto black, and the result is opaque. False (and an empty bitmap) when
    // memory runs out.
    [[nodiscard]] bool Assign(const TPicture& picture);
    // The same, taking over the picture's pixels instead of copying them (a loader that is
    // about to go away); picture is left empty.
    [[nodiscard]] bool Assign(TPicture&& picture);

    bool Empty() const { return FBitmap.Empty(); }
    std::int32_t Width() const { return FBitmap.Width(); }
    std::int32_t Height() const { return FBitmap.Height(); }
    int BitCount() const { return FBitmap.BitCount(); }
    const TBitmap& Bitmap() const { return FBitmap; }

private:
    void DrawOntoBlack();
    TBitmap FBitmap;
};

} // namespace tarvo
