#include "picture/FitRule.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarvo {

namespace {

// Rounds half to even. The product of a 32-bit size and a float scale needs up to 55 bits,
// so it is formed in long double (64-bit mantissa) to stay exact before rounding.
std::int64_t RoundEven(long double value) {
    const long double r = std::nearbyint(value); // the default mode rounds halves to even
    const long double limit = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int64_t>(std::clamp(r, -limit, limit));
}

std::int32_t Clamp32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

} // namespace

TFitRect FitPicture(std::int32_t clientWidth, std::int32_t clientHeight, std::int32_t width,
                    std::int32_t height, const TFitOptions& options) {
    if (width <= 0 || height <= 0) return {};
    const std::int64_t cw = std::max(clientWidth, 0);
    const std::int64_t ch = std::max(clientHeight, 0);

    auto fitted = [&](std::int64_t& w, std::int64_t& h) {
        const auto sx = static_cast<float>(static_cast<long double>(cw) / width);
        const auto sy = static_cast<float>(static_cast<long double>(ch) / height);
        const float s = sx > sy ? sy : sx;
        h = RoundEven(static_cast<long double>(height) * s);
        w = RoundEven(static_cast<long double>(width) * s);
    };

    std::int64_t w = width;
    std::int64_t h = height;
    if (options.AutoStretch) {
        if (cw < width || ch < height) fitted(w, h);
    } else if (options.Stretch) {
        if (options.KeepAspect) {
            fitted(w, h);
        } else {
            w = cw;
            h = ch;
        }
    }

    TFitRect r;
    r.W = Clamp32(w);
    r.H = Clamp32(h);
    if (options.Center) {
        r.X = Clamp32((cw - w) / 2);
        r.Y = Clamp32((ch - h) / 2);
    }
    r.OneToOne = w == width && h == height;
    return r;
}

} // namespace tarvo
