#include "params/WebUiText.h"

#include <vector>

namespace tarvo {

namespace {

constexpr std::string_view NegativeMark = "Negative prompt: ";

bool IsKeyChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == ' ' || c == '-' || c == '/';
}

struct TPair {
    std::string_view Key;
    TTextSpan Value; // in the line
};

// The pairs of a settings line, or nothing when the line is not one pair after another.
std::optional<std::vector<TPair>> SettingsPairs(std::string_view line) {
    std::vector<TPair> pairs;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && line[at] == ' ')
            ++at;
        const std::size_t keyStart = at;
        while (at < line.size() && IsKeyChar(line[at]))
            ++at;
        if (at == keyStart || at >= line.size() || line[at] != ':') return std::nullopt;
        std::string_view key = line.substr(keyStart, at - keyStart);
        while (!key.empty() && key.back() == ' ')
            key.remove_suffix(1);
        ++at; // the colon
        while (at < line.size() && line[at] == ' ')
            ++at;
        TTextSpan value{at, 0};
        if (at < line.size() && line[at] == '"') {
            std::size_t end = at + 1;
            while (end < line.size() && line[end] != '"')
                end += line[end] == '\\' ? 2 : 1;
            if (end >= line.size()) return std::nullopt; // an unclosed quote
            value = {at + 1, end - at - 1};
            at = end + 1;
            while (at < line.size() && line[at] == ' ')
                ++at;
            if (at < line.size() && line[at] != ',') return std::nullopt;
        } else {
            std::size_t end = line.find(',', at);
            if (end == std::string_view::npos) end = line.size();
            std::size_t last = end;
            while (last > at && line[last - 1] == ' ')
                --last;
            value = {at, last - at};
            at = end;
        }
        pairs.push_back({key, value});
        if (at < line.size()) ++at; // the comma
    }
    return pairs;
}

// The span from..to without the line ends and blanks at its ends.
TTextSpan Trimmed(std::string_view text, std::size_t from, std::size_t to) {
    const auto blank = [](char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; };
    while (from < to && blank(text[from]))
        ++from;
    while (to > from && blank(text[to - 1]))
        --to;
    return {from, to - from};
}

} // namespace

std::optional<TWebUiText> ParseWebUiText(std::string_view text) {
    // The last non-empty line.
    std::size_t end = text.size();
    while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == '\r' || text[end - 1] == ' '))
        --end;
    if (end == 0) return std::nullopt;
    const std::size_t lineStart =
        text.rfind('\n', end - 1) == std::string_view::npos ? 0 : text.rfind('\n', end - 1) + 1;
    const std::string_view line = text.substr(lineStart, end - lineStart);
    const std::optional<std::vector<TPair>> pairs = SettingsPairs(line);
    if (!pairs || pairs->size() < 2) return std::nullopt;
    TWebUiText found;
    bool steps = false;
    for (const TPair& pair : *pairs) {
        if (pair.Key == "Steps" && pair.Value.Length > 0) steps = true;
        if (pair.Key == "Seed" && found.Seed.Length == 0)
            found.Seed = {lineStart + pair.Value.Offset, pair.Value.Length};
    }
    if (!steps) return std::nullopt;
    // The negative prompt starts a line before the settings and runs up to them.
    std::size_t negative = std::string_view::npos;
    for (std::size_t at = 0; at < lineStart;) {
        if (text.substr(at, NegativeMark.size()) == NegativeMark) {
            negative = at;
            break;
        }
        const std::size_t lf = text.find('\n', at);
        if (lf == std::string_view::npos) break;
        at = lf + 1;
    }
    if (negative != std::string_view::npos) {
        found.NegPrompt = Trimmed(text, negative + NegativeMark.size(), lineStart);
        found.Prompt = Trimmed(text, 0, negative);
    } else {
        found.Prompt = Trimmed(text, 0, lineStart);
    }
    return found;
}

} // namespace tarvo
