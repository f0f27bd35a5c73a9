// The help text that the text pane shows at start: 68 lines, the version and the three web
// addresses taken from the build settings.
#pragma once

#include <array>
#include <string_view>

namespace tarvo {

inline constexpr int HelpLineCount = 68;

// The lines in order, UTF-8, without line breaks; trailing blanks belong to the lines.
const std::array<std::string_view, HelpLineCount>& HelpLines();

} // namespace tarvo
