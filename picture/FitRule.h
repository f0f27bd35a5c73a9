// The paint box's fitting rule: where and how large the display bitmap is drawn in the
// client area, fitted with its proportions kept, stretched, or at real size, and centred.
#pragma once

#include <cstdint>

namespace tarvo {

struct TFitOptions {
    bool AutoStretch = false;
    bool Stretch = false;
    bool KeepAspect = false;
    bool Center = false;
};

// The drawn rectangle in client coordinates; X and Y may be negative (a picture larger than
// the area is cropped). OneToOne: the size equals the bitmap's, so it is copied pixel for
// pixel. W or H of 0 means nothing is drawn.
struct TFitRect {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t W = 0;
    std::int32_t H = 0;
    bool OneToOne = false;
    friend bool operator==(const TFitRect&, const TFitRect&) = default;
};

// clientWidth/clientHeight: the area in pixels (negative counts as 0); width/height: the
// bitmap's size (0 or negative gives an empty rectangle). Scales are rounded to 32-bit
// floats, sizes to the nearest integer with halves to even, centring offsets truncated
// toward zero.
TFitRect FitPicture(std::int32_t clientWidth, std::int32_t clientHeight, std::int32_t width,
                    std::int32_t height, const TFitOptions& options);

} // namespace tarvo
