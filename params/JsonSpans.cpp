#include "params/JsonSpans.h"

#include <simdjson.h>

#include <algorithm>

namespace tarvo {

std::optional<TJsonValue> JsonMember(std::string_view json, std::initializer_list<TJsonStep> path) {
    if (path.size() == 0 || path.begin()->IsIndex) return std::nullopt;
    simdjson::ondemand::parser parser;
    const simdjson::padded_string padded(json);
    simdjson::ondemand::document doc;
    if (parser.iterate(padded).get(doc) != simdjson::SUCCESS) return std::nullopt;
    simdjson::ondemand::value value;
    if (doc.find_field_unordered(path.begin()->Name).get(value) != simdjson::SUCCESS)
        return std::nullopt;
    for (auto step = path.begin() + 1; step != path.end(); ++step) {
        simdjson::ondemand::array array;
        const simdjson::error_code error = step->IsIndex
                                               ? (value.get_array().get(array) != simdjson::SUCCESS
                                                      ? simdjson::INCORRECT_TYPE
                                                      : array.at(step->Index).get(value))
                                               : value.find_field_unordered(step->Name).get(value);
        if (error != simdjson::SUCCESS) return std::nullopt;
    }
    simdjson::ondemand::json_type type;
    if (value.type().get(type) != simdjson::SUCCESS) return std::nullopt;
    // The token as it stands in the text, with the blanks up to the next token.
    std::string_view raw = value.raw_json_token();
    const auto start = static_cast<std::size_t>(raw.data() - padded.data());
    while (!raw.empty() &&
           (raw.back() == ' ' || raw.back() == '\t' || raw.back() == '\r' || raw.back() == '\n'))
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

namespace {

void CollectStrings(simdjson::ondemand::value value, const char* base, std::string_view text,
                    std::vector<TTextSpan>& found, int depth) {
    simdjson::ondemand::json_type type;
    if (depth > 64 || value.type().get(type) != simdjson::SUCCESS) return;
    if (type == simdjson::ondemand::json_type::object) {
        simdjson::ondemand::object object;
        if (value.get_object().get(object) != simdjson::SUCCESS) return;
        for (auto field : object) {
            simdjson::ondemand::value member;
            if (field.value().get(member) != simdjson::SUCCESS) return;
            CollectStrings(member, base, text, found, depth + 1);
        }
    } else if (type == simdjson::ondemand::json_type::array) {
        simdjson::ondemand::array array;
        if (value.get_array().get(array) != simdjson::SUCCESS) return;
        for (auto element : array) {
            simdjson::ondemand::value item;
            if (element.get(item) != simdjson::SUCCESS) return;
            CollectStrings(item, base, text, found, depth + 1);
        }
    } else if (type == simdjson::ondemand::json_type::string) {
        std::string_view raw = value.raw_json_token();
        std::string_view string;
        if (value.get_string().get(string) != simdjson::SUCCESS || string != text) return;
        const std::size_t end = raw.find_last_of('"');
        if (end == std::string_view::npos || end == 0) return;
        found.push_back({static_cast<std::size_t>(raw.data() - base) + 1, end - 1});
    }
}

} // namespace

std::vector<TTextSpan> JsonStringsEqual(std::string_view json, std::string_view text) {
    std::vector<TTextSpan> found;
    simdjson::ondemand::parser parser;
    const simdjson::padded_string padded(json);
    simdjson::ondemand::document doc;
    simdjson::ondemand::value root;
    if (parser.iterate(padded).get(doc) != simdjson::SUCCESS ||
        doc.get_value().get(root) != simdjson::SUCCESS)
        return found;
    CollectStrings(root, padded.data(), text, found, 0);
    // Spans past the text would come from a malformed document; none is trusted then.
    for (const TTextSpan& span : found)
        if (span.Offset + span.Length > json.size()) return {};
    return found;
}

std::string PrettyJson(std::string_view json) {
    std::string out;
    out.reserve(json.size() + json.size() / 2);
    std::size_t depth = 0;
    bool inString = false;
    // Deeper levels are indented as the sixteenth: hostile nesting cannot blow the text up.
    const auto newLine = [&] {
        out += '\n';
        out.append(2 * std::min<std::size_t>(depth, 16), ' ');
    };
    for (std::size_t i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (inString) {
            out += c;
            if (c == '\\' && i + 1 < json.size())
                out += json[++i];
            else if (c == '"')
                inString = false;
            continue;
        }
        switch (c) {
        case '"':
            inString = true;
            out += c;
            break;
        case '{':
        case '[':
            out += c;
            ++depth;
            newLine();
            break;
        case '}':
        case ']':
            if (depth > 0) --depth;
            newLine();
            out += c;
            break;
        case ',':
            out += c;
            newLine();
            break;
        case ':':
            out += ": ";
            break;
        case ' ':
        case '\t':
        case '\r':
        case '\n':
            break; // the layout is ours
        default:
            out += c;
        }
    }
    return out;
}

} // namespace tarvo
