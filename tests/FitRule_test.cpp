#include "picture/FitRule.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using tarvo::FitPicture;
using tarvo::TFitOptions;
using tarvo::TFitRect;

// AutoStretch, Stretch, KeepAspect, Center.
constexpr TFitOptions kFitted{false, true, true, true}; // the window with "Растягивать" on
constexpr TFitOptions kRealSize{false, false, true, true};  // the window with it off
constexpr TFitOptions kWholeArea{false, true, false, true}; // stretched without aspect
constexpr TFitOptions kAuto{true, false, false, true};      // AutoStretch overrides the rest
constexpr TFitOptions kFittedTopLeft{false, true, true, false};

struct TFitCase {
    const char* Note;
    std::int32_t ClientWidth, ClientHeight, Width, Height;
    TFitOptions Options;
    TFitRect Expected;
};

const TFitCase kCases[] = {
    {"square picture fitted to a tall pane",
     273,
     329,
     1024,
     1024,
     kFitted,
     {0, 28, 273, 273, false}},
    {"204.75 rounds to 205", 273, 329, 1024, 768, kFitted, {0, 62, 273, 205, false}},
    {"a small picture is enlarged", 400, 400, 100, 50, kFitted, {0, 100, 400, 200, false}},
    {"real size larger than the pane is cropped evenly, right side loses the odd pixel",
     273,
     329,
     1024,
     768,
     kRealSize,
     {-375, -219, 1024, 768, true}},
    {"fitted size equal to the real size is a 1:1 copy",
     273,
     329,
     273,
     205,
     kFitted,
     {0, 62, 273, 205, true}},
    {"real size smaller than the pane is centred",
     400,
     400,
     100,
     50,
     kRealSize,
     {150, 175, 100, 50, true}},
    {"stretch without aspect fills the client area",
     273,
     329,
     1024,
     768,
     kWholeArea,
     {0, 0, 273, 329, false}},
    {"stretch without aspect of a picture of the pane's size is 1:1",
     50,
     40,
     50,
     40,
     kWholeArea,
     {0, 0, 50, 40, true}},
    {"AutoStretch keeps the real size when the picture fits",
     400,
     400,
     100,
     50,
     kAuto,
     {150, 175, 100, 50, true}},
    {"AutoStretch fits a picture that is too wide",
     273,
     329,
     1024,
     768,
     kAuto,
     {0, 62, 273, 205, false}},
    {"AutoStretch fits a picture that is only too tall",
     2000,
     100,
     50,
     200,
     kAuto,
     {987, 0, 25, 100, false}},
    {"without Center the picture sits at the top-left corner",
     273,
     329,
     1024,
     768,
     kFittedTopLeft,
     {0, 0, 273, 205, false}},
    {"without Center the real size sits at the top-left corner",
     273,
     329,
     1024,
     768,
     {false, false, false, false},
     {0, 0, 1024, 768, true}},
    {"a half rounds down to the even neighbour", 1, 1000, 4, 2, kFitted, {0, 500, 1, 0, false}},
    {"a half rounds up to the even neighbour", 1, 1000, 4, 6, kFitted, {0, 499, 1, 2, false}},
    {"the float scale 0.1f makes 5 x 0.1 round up, not to the even 0",
     1,
     1000,
     10,
     5,
     kFitted,
     {0, 499, 1, 1, false}},
    {"the float scale 0.7f makes 5 x 0.7 round down to 3, not up to 4",
     7,
     1000,
     10,
     5,
     kFitted,
     {0, 498, 7, 3, false}},
    {"odd pane difference truncates toward zero", 10, 10, 3, 3, kRealSize, {3, 3, 3, 3, true}},
    {"odd negative difference truncates toward zero", 2, 2, 5, 5, kRealSize, {-1, -1, 5, 5, true}},
    {"an empty pane gives nothing to draw", 0, 0, 100, 50, kFitted, {0, 0, 0, 0, false}},
    {"a negative pane counts as empty", -5, 10, 100, 50, kFitted, {0, 5, 0, 0, false}},
    {"an empty bitmap gives nothing to draw", 273, 329, 0, 0, kFitted, {0, 0, 0, 0, false}},
};

TEST(FitRule, GivesTheDrawnRectangleForEveryRow) {
    for (const TFitCase& c : kCases) {
        SCOPED_TRACE(c.Note);
        const TFitRect r = FitPicture(c.ClientWidth, c.ClientHeight, c.Width, c.Height, c.Options);
        EXPECT_EQ(r.X, c.Expected.X);
        EXPECT_EQ(r.Y, c.Expected.Y);
        EXPECT_EQ(r.W, c.Expected.W);
        EXPECT_EQ(r.H, c.Expected.H);
        EXPECT_EQ(r.OneToOne, c.Expected.OneToOne);
    }
}

TEST(FitRule, StretchAndKeepAspectPlayNoPartUnderAutoStretch) {
    for (const bool stretch : {false, true}) {
        for (const bool keep : {false, true}) {
            const TFitOptions o{true, stretch, keep, true};
            EXPECT_EQ(FitPicture(273, 329, 1024, 768, o), (TFitRect{0, 62, 273, 205, false}));
            EXPECT_EQ(FitPicture(400, 400, 100, 50, o), (TFitRect{150, 175, 100, 50, true}));
        }
    }
}

TEST(FitRule, KeepAspectPlaysNoPartAtRealSize) {
    EXPECT_EQ(FitPicture(273, 329, 1024, 768, {false, false, false, true}),
              FitPicture(273, 329, 1024, 768, {false, false, true, true}));
}

TEST(FitRule, HugeEnlargementStaysInsideThe32BitRange) {
    const TFitRect r = FitPicture(2147483647, 2147483647, 1, 1, kFitted);
    EXPECT_EQ(r.W, 2147483647);
    EXPECT_EQ(r.H, 2147483647);
    EXPECT_EQ(r.X, 0);
}

} // namespace
