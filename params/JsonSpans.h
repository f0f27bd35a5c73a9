// Where a member of a JSON text stands in the text, found with simdjson: the span a wipe
// blanks (inside the quotes of a string, the digits of a number) and what it says, so that
// JSON parameters can be blanked in place and the JSON stays valid; and JSON for display.
#pragma once

#include "params/WebUiText.h"

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo {

struct TJsonValue {
    TTextSpan Span;      // in the text: between a string's quotes, or a number's characters
    bool Number = false; // a number: blanked as 0 and spaces rather than spaces alone
    std::string Text;    // the string unescaped (UTF-8), or the number as written
};

// One step of a path: an object member's name, or an array element's 0-based index.
struct TJsonStep {
    TJsonStep(std::string_view name) : Name(name) {}
    TJsonStep(const char* name) : Name(name) {}
    TJsonStep(std::size_t index) : Index(index), IsIndex(true) {}
    std::string_view Name;
    std::size_t Index = 0;
    bool IsIndex = false;
};

// The string or number at path (from the top-level object down) in json; nothing when json
// is not valid JSON, a step is missing, or the value is of another type.
std::optional<TJsonValue> JsonMember(std::string_view json, std::initializer_list<TJsonStep> path);

// Every string value (not member name) of json equal to text once unescaped, as spans
// between their quotes, in the order they stand; at most 64 levels deep.
std::vector<TTextSpan> JsonStringsEqual(std::string_view json, std::string_view text);

// json laid out for reading: each member and element on a line of its own, indented by two
// spaces a level (at most 16 levels deep); strings and other tokens kept as written. Text
// that is no JSON is laid out all the same.
std::string PrettyJson(std::string_view json);

} // namespace tarvo
