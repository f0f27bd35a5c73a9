#include "app/PaneRatio.h"

#include <algorithm>
#include <cfenv>
#include <climits>
#include <cmath>

namespace tarvo {

int RoundPixels(double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    // The default rounding mode rounds halves to the even neighbour; do not depend on
    // whatever mode a library may have left behind.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(v);
    std::fesetround(saved);
    return static_cast<int>(r);
}

int PicturePaneWidth(int clientWidth, double winsRatio) {
    const double divisor = 1.0 + winsRatio;
    if (!(divisor > 0.0)) return 0;
    return RoundPixels((static_cast<double>(clientWidth) - SplitterWidth) / divisor);
}

double MovedRatio(int textWidth, int pictureWidth) {
    const int picture = pictureWidth <= 0 ? 1 : pictureWidth;
    const double ratio = static_cast<double>(textWidth) / picture;
    if (ratio > RatioLimit) return RatioLimit;
    if (ratio < 1.0 / RatioLimit) return 1.0 / RatioLimit;
    return ratio;
}

double SwitchedRatio(double winsRatio) {
    return winsRatio >= 1.0 ? NarrowTextRatio : WideTextRatio;
}

int DraggedPictureWidth(int requested, int current, int areaWidth) {
    const int largest = areaWidth - SplitterWidth - SplitterMinSize;
    if (largest < SplitterMinSize) return current;
    return std::clamp(requested, SplitterMinSize, largest);
}

TPaneGeometry ArrangePanes(int areaWidth, int pictureWidth) {
    TPaneGeometry g;
    g.PictureWidth = std::max(0, pictureWidth);
    g.PictureLeft = areaWidth - g.PictureWidth;
    g.TextWidth = std::max(0, g.PictureLeft - SplitterWidth);
    g.SplitterLeft = std::max(g.PictureLeft - SplitterWidth, g.TextWidth);
    return g;
}

int PrevButtonShift(int buttonLeft, int splitterLeft) {
    const int middle = splitterLeft + SplitterWidth / 2;
    return std::max(0, buttonLeft - middle);
}

} // namespace tarvo
