#include "app/PaneRatio.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace tarvo {
namespace {

TEST(PaneRatio, RoundPixelsSendsHalvesToTheEvenNeighbour) {
    struct Case {
        double In;
        int Out;
    };
    const Case cases[] = {{0.5, 0},      {1.5, 2},      {2.5, 2},  {-0.5, 0}, {-1.5, -2},
                          {173.17, 173}, {204.75, 205}, {3.49, 3}, {3.51, 4}};
    for (const Case& c : cases)
        EXPECT_EQ(RoundPixels(c.In), c.Out) << c.In;
}

TEST(PaneRatio, RoundPixelsClampsValuesOutsideTheIntRange) {
    EXPECT_EQ(RoundPixels(1e300), INT_MAX);
    EXPECT_EQ(RoundPixels(-1e300), INT_MIN);
    EXPECT_EQ(RoundPixels(std::nan("")), 0);
}

TEST(PaneRatio, PicturePaneFollowsTheRatioOfTheClientWidth) {
    struct Case {
        int Client;
        double Ratio;
        int Picture;
    };
    const Case cases[] = {
        {1047, 5.0, 173}, // (1047 - 8) / 6 = 173.17
        {1047, 0.2, 866}, // 1039 / 1.2 = 865.83
        {1047, 1.0, 520}, // 1039 / 2 = 519.5, half to even
        {1049, 1.0, 520}, // 1041 / 2 = 520.5, half to even
        {1047, 764.0 / 273.0, 274},
        {700, 5.0, 115}, // no 200-pixel minimum here
        {700, 6.0, 99},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PicturePaneWidth(c.Client, c.Ratio), c.Picture) << c.Client << " " << c.Ratio;
}

TEST(PaneRatio, PicturePaneOfAnImpossibleRatioIsEmpty) {
    EXPECT_EQ(PicturePaneWidth(1047, -1.0), 0);
    EXPECT_EQ(PicturePaneWidth(1047, -3.0), 0);
}

TEST(PaneRatio, MovedRatioIsHeldBetweenOneSixthAndSix) {
    struct Case {
        int Text;
        int Picture;
        double Ratio;
    };
    const Case cases[] = {
        {1000, 100, 6.0}, // a drag to 10:1 is stored as 6
        {600, 100, 6.0},  {500, 100, 5.0},           {100, 1000, 1.0 / 6.0},
        {300, 300, 1.0},  {764, 273, 764.0 / 273.0}, {5, 0, 5.0}, // a picture pane of 0 counts as 1
        {5, -3, 5.0},     {0, 0, 1.0 / 6.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(MovedRatio(c.Text, c.Picture), c.Ratio) << c.Text << ":" << c.Picture;
}

TEST(PaneRatio, SwitchedRatioGivesTheWidePictureFromOneOrMore) {
    EXPECT_DOUBLE_EQ(SwitchedRatio(1.0), 0.2);
    EXPECT_DOUBLE_EQ(SwitchedRatio(2.8), 0.2);
    EXPECT_DOUBLE_EQ(SwitchedRatio(0.2), 5.0);
    EXPECT_DOUBLE_EQ(SwitchedRatio(0.999), 5.0);
    EXPECT_DOUBLE_EQ(SwitchedRatio(SwitchedRatio(2.8)), 5.0);
}

TEST(PaneRatio, DragKeepsTwoHundredPixelsOnEachSide) {
    // Inner area 1045: the picture pane may range from 200 to 1045 - 8 - 200 = 837.
    EXPECT_EQ(DraggedPictureWidth(100, 273, 1045), 200);
    EXPECT_EQ(DraggedPictureWidth(200, 273, 1045), 200);
    EXPECT_EQ(DraggedPictureWidth(500, 273, 1045), 500);
    EXPECT_EQ(DraggedPictureWidth(837, 273, 1045), 837);
    EXPECT_EQ(DraggedPictureWidth(900, 273, 1045), 837);
    EXPECT_EQ(DraggedPictureWidth(-50, 273, 1045), 200);
}

TEST(PaneRatio, DragInAnAreaTooNarrowForBothSidesKeepsTheWidth) {
    EXPECT_EQ(DraggedPictureWidth(300, 250, 407), 250);
    EXPECT_EQ(DraggedPictureWidth(300, 250, 408), 200);
}

TEST(PaneRatio, ArrangePanesPutsTheSplitterLeftOfThePicturePane) {
    const TPaneGeometry g = ArrangePanes(1045, 273);
    EXPECT_EQ(g.PictureWidth, 273);
    EXPECT_EQ(g.PictureLeft, 772);
    EXPECT_EQ(g.SplitterLeft, 764);
    EXPECT_EQ(g.TextWidth, 764);
}

TEST(PaneRatio, ArrangePanesNeverGivesTheTextPaneANegativeWidth) {
    const TPaneGeometry g = ArrangePanes(100, 150);
    EXPECT_EQ(g.TextWidth, 0);
    EXPECT_EQ(g.SplitterLeft, 0); // not left of the text pane's right edge
    EXPECT_EQ(g.PictureLeft, -50);
    EXPECT_EQ(ArrangePanes(100, -5).PictureWidth, 0);
}

TEST(PaneRatio, PrevButtonMovesToTheSplitterMiddleOnlyWhenRightOfIt) {
    EXPECT_EQ(PrevButtonShift(876, 765), 107); // middle 769
    EXPECT_EQ(PrevButtonShift(769, 765), 0);
    EXPECT_EQ(PrevButtonShift(600, 765), 0);
}

} // namespace
} // namespace tarvo
