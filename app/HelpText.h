// The help text that the text pane shows at start: 68 lines in Russian, with the version and
// the three web addresses taken from the build settings, translated a paragraph at a time.
#pragma once

#include "app/Texts.h"

#include <string>

namespace tarvo {

// The lines of the Russian text.
inline constexpr int HelpLineCount = 68;

// The help text, its lines apart by LF (none after the last); trailing blanks belong to the
// lines. Without translate, the Russian text as written.
std::string HelpText(TTranslate translate = nullptr);

} // namespace tarvo
