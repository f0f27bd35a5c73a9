// The main window's designed sizes, shared by its construction and its geometry code.
#pragma once

#include <QColor>

namespace tarvo::layout {

// Heights of the stacked panels as designed.
inline constexpr int PathBarHeight = 97;
inline constexpr int PromptBarHeight = 83;
inline constexpr int OptionsBarHeight = 97;
inline constexpr int WipeGroupWidth = 568;
inline constexpr int ViewGroupWidth = 328;
inline constexpr int InitialWidth = 1065;
inline constexpr int InitialHeight = 654;
// Gaps of the bars as designed.
inline constexpr int GapWide = 13;
inline constexpr int GapNarrow = 8;
inline constexpr int GapLabel = 6;
inline constexpr int GapCopy = 20;
// The splitter's colour: medium grey.
inline const QColor SplitterColour(128, 128, 128);
// The column of the bottom bar that holds [O] between [>] and [Очистить].
inline constexpr int RefreshColumn = 9;

} // namespace tarvo::layout
