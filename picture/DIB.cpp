#include "picture/DIB.h"

namespace tarvo {

namespace {

std::uint8_t OverBlack(std::uint8_t value, std::uint8_t alpha) {
    return static_cast<std::uint8_t>((value * alpha + 127) / 255);
}

} // namespace

bool TDIB::Assign(const TPicture& picture) {
    if (picture.Empty()) {
        FBitmap.Clear();
        return true;
    }
    // Both kinds keep the decoded layout: a JPEG picture is decoded straight into 24 bits,
    // and a bitmap picture covers every pixel, so the copy is the black-cleared bitmap with
    // the picture drawn over it.
    if (!FBitmap.CopyFrom(picture.Bitmap())) return false;
    DrawOntoBlack();
    return true;
}

bool TDIB::Assign(TPicture&& picture) {
    FBitmap = picture.TakeBitmap();
    DrawOntoBlack();
    return true;
}

void TDIB::DrawOntoBlack() {
    for (TRGBQuad& entry : FBitmap.Palette) {
        entry = {OverBlack(entry.Blue, entry.Alpha), OverBlack(entry.Green, entry.Alpha),
                 OverBlack(entry.Red, entry.Alpha), 255};
    }
    if (FBitmap.BitCount() == 32) {
        for (std::int32_t y = 0; y < FBitmap.Height(); ++y) {
            std::uint8_t* p = FBitmap.Row(y);
            for (std::int32_t x = 0; x < FBitmap.Width(); ++x, p += 4) {
                if (FBitmap.HasAlpha) {
                    p[0] = OverBlack(p[0], p[3]);
                    p[1] = OverBlack(p[1], p[3]);
                    p[2] = OverBlack(p[2], p[3]);
                }
                p[3] = 255;
            }
        }
        FBitmap.HasAlpha = false;
    }
}

} // namespace tarvo
