// Base64 text of arbitrary bytes (the standard alphabet, with padding), for handing exact
// bytes such as file names that are not valid UTF-8 to scripts through JSON.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

std::string Base64(std::string_view bytes);

} // namespace tarvo
