// The parameter text that the common Stable Diffusion web UIs write (a PNG text chunk with
// the keyword "parameters"): the prompt, an optional "Negative prompt: " part and a last line
// of comma-separated "Key: value" settings. Finds where prompt, negative prompt and seed stand.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace tarvo {

// A value's place in the text: 0-based byte offset and length; Length 0 when absent.
struct TTextSpan {
    std::size_t Offset = 0;
    std::size_t Length = 0;
};

struct TWebUiText {
    TTextSpan Prompt;
    TTextSpan NegPrompt;
    TTextSpan Seed; // the value of the settings' "Seed" pair, without quotes
};

// The spans of text when its last non-empty line is a settings line: comma-separated
// "Key: value" pairs (a value may be double-quoted, with commas and escaped quotes inside),
// one of them "Steps" and at least one more. Anything else is not this format (nothing).
std::optional<TWebUiText> ParseWebUiText(std::string_view text);

} // namespace tarvo
