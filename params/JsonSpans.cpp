#include "params/JsonSpans.h"

#include <simdjson.h>

namespace tarvo {

std::optional<TJsonValue> JsonMember(std::string_view json,
                                     std::initializer_list<std::string_view> path) {
    if (path.size() == 0) return std::nullopt;
    simdjson::ondemand::parser parser;
    const simdjson::padded_string padded(json);
    simdjson::ondemand::document doc;
    if (parser.iterate(padded).get(doc) != simdjson::SUCCESS) return std::nullopt;
    simdjson::ondemand::value value;
    bool first = true;
    for (const std::string_view name : path) {
        const simdjson::error_code error = first ? doc.find_field_unordered(name).get(value)
                                                 : value.find_field_unordered(name).get(value);
        if (error != simdjson::SUCCESS) return std::nullopt;
        first = false;
    }
    simdjson::ondemand::json_type type;
    if (value.type().get(type) != simdjson::SUCCESS) return std::nullopt;
    // The token as it stands in the text, with the blanks up to the next token.
    std::string_view raw = value.raw_json_token();
    const auto start = static_cast<std::size_t>(raw.data() - padded.data());
    while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t' || raw.back() == '\r' ||
                            raw.back() == '\n'))
        raw.remove_suffix(1);
    TJsonValue found;
    if (type == simdjson::ondemand::json_type::string) {
        std::string_view text;
        if (raw.size() < 2 || value.get_string().get(text) != simdjson::SUCCESS)
            return std::nullopt;
        found.Span = {start + 1, raw.size() - 2};
        found.Text = text;
    } else if (type == simdjson::ondemand::json_type::number) {
        found.Span = {start, raw.size()};
        found.Number = true;
        found.Text = raw;
    } else {
        return std::nullopt;
    }
    if (found.Span.Offset + found.Span.Length > json.size()) return std::nullopt;
    return found;
}

} // namespace tarvo
