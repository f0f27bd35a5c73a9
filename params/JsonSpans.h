// Where a member of a JSON text stands in the text, found with simdjson: the span a wipe
// blanks (inside the quotes of a string, the digits of a number) and what it says, so that
// JSON parameters can be blanked in place and the JSON stays valid.
#pragma once

#include "params/WebUiText.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace tarvo {

struct TJsonValue {
    TTextSpan Span;      // in the text: between a string's quotes, or a number's characters
    bool Number = false; // a number: blanked as 0 and spaces rather than spaces alone
    std::string Text;    // the string unescaped (UTF-8), or the number as written
};

// The string or number at path (member names from the top-level object down) in json;
// nothing when json is not valid JSON, a name is missing, or the value is of another type.
std::optional<TJsonValue> JsonMember(std::string_view json,
                                     std::initializer_list<std::string_view> path);

} // namespace tarvo
