// Ordering of file names as the user expects to see them: the user's locale collation at
// secondary strength (letter case ignored, accents respected).
#pragma once

#include <string_view>

namespace tarvo {

// Negative, zero or positive as a sorts before, equal to or after b (UTF-8 texts).
int CompareNames(std::string_view a, std::string_view b);
// The order of a listing: collation first, then bytes, so names that collate equal ("a.png"
// and "A.png" live side by side on this file system) keep one order from fill to fill.
bool NameLess(std::string_view a, std::string_view b);

} // namespace tarvo
