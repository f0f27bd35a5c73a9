// Fuzz target: arbitrary bytes read as web-UI parameter text. Every span found must lie
// inside the text, and the seed inside its last line.
#include "params/WebUiText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<tarvo::TWebUiText> found = tarvo::ParseWebUiText(text);
    if (!found) return 0;
    for (const tarvo::TTextSpan& span : {found->Prompt, found->NegPrompt, found->Seed})
        if (span.Offset > size || span.Length > size - span.Offset) std::abort();
    if (found->Seed.Length > 0 &&
        text.substr(found->Seed.Offset, found->Seed.Length).find('\n') != std::string_view::npos)
        std::abort();
    return 0;
}
