// The arithmetic behind the main window's pane proportions: the picture pane width for a
// window width and ratio, the ratio a splitter drag leaves, the [1/5] switch, the drag
// limits and the window's minimum size. Pure integer and floating-point code, no toolkit.
#pragma once

namespace tarvo {

inline constexpr int SplitterWidth = 8;
// While dragging, neither the picture pane nor the area left to the text pane gets narrower.
inline constexpr int SplitterMinSize = 200;
// A dragged ratio is held between 1/RatioLimit and RatioLimit.
inline constexpr double RatioLimit = 6.0;
// The two proportions of [1/5]: picture pane five times as wide, or text pane five times.
inline constexpr double NarrowTextRatio = 0.2;
inline constexpr double WideTextRatio = 5.0;
inline constexpr int MinWindowWidth = 700;
inline constexpr int MinWindowHeight = 400;
// The picture pane's width as the window is designed (the text pane then has 764).
inline constexpr int DesignPicturePaneWidth = 273;

// v rounded to the nearest integer, halves to the even neighbour; clamped to the int range
// (NaN gives 0).
int RoundPixels(double v);

// The picture pane width for the window's client width and the text/picture ratio:
// (clientWidth - SplitterWidth) / (1 + winsRatio), rounded half to even. No minimum is
// applied; a ratio of -1 or below (never produced by the window) gives 0.
int PicturePaneWidth(int clientWidth, double winsRatio);

// The ratio after the splitter was moved: textWidth / pictureWidth (a picture width of 0 or
// less counts as 1), held between 1/RatioLimit and RatioLimit.
double MovedRatio(int textWidth, int pictureWidth);

// [1/5]: a ratio of 1 or more becomes NarrowTextRatio, anything less WideTextRatio.
double SwitchedRatio(double winsRatio);

// The picture pane width a drag may give within a central area of areaWidth pixels (its
// inner width): requested held so that the picture pane and the space left of the splitter
// each keep SplitterMinSize. When the area is too narrow for both, current is kept.
int DraggedPictureWidth(int requested, int current, int areaWidth);

// Where the central area's three parts go, in the area's inner coordinates (0 = left edge
// of the inner area). The picture pane keeps its width at the right edge; the splitter sits
// to its left, the text pane fills what remains (never negative) and the splitter never
// starts left of the text pane's right edge.
struct TPaneGeometry {
    int TextWidth = 0;
    int SplitterLeft = 0;
    int PictureLeft = 0;
    int PictureWidth = 0;
};
TPaneGeometry ArrangePanes(int areaWidth, int pictureWidth);

// How far [<] moves left so that it starts at the splitter's middle when it would
// otherwise lie right of it: buttonLeft - (splitterLeft + SplitterWidth / 2) when positive,
// else 0. Both in the same coordinates.
int PrevButtonShift(int buttonLeft, int splitterLeft);

} // namespace tarvo
