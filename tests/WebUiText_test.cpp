// The web-UI parameter text: which texts it claims, and where prompt, negative prompt and
// seed stand in them.
#include "params/WebUiText.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvo {
namespace {

std::string At(std::string_view text, const TTextSpan& span) {
    return std::string(text.substr(span.Offset, span.Length));
}

TEST(WebUiText, FindsPromptNegativePromptAndSeed) {
    const struct {
        const char* Text;
        const char* Prompt;
        const char* Negative;
        const char* Seed;
    } cases[] = {
        {"a cat\nNegative prompt: dog\nSteps: 20, Sampler: Euler a, Seed: 1234, Size: 512x512",
         "a cat", "dog", "1234"},
        {"line one,\nline two\nNegative prompt: blurry,\nugly\n\nSteps: 30, Seed: 7\n",
         "line one,\nline two", "blurry,\nugly", "7"},
        {"no negative\nSteps: 20, CFG scale: 7", "no negative", "", ""},
        {"quoted\nSteps: 20, Lora hashes: \"a: 1, b: \\\"2\\\"\", Seed: 99", "quoted", "", "99"},
        {"Negative prompt: only negative\nSteps: 5, Seed: 3", "", "only negative", "3"},
        {"crlf\r\nNegative prompt: n\r\nSteps: 1, Seed: 2\r\n", "crlf", "n", "2"},
    };
    for (const auto& c : cases) {
        const std::optional<TWebUiText> found = ParseWebUiText(c.Text);
        ASSERT_TRUE(found) << c.Text;
        EXPECT_EQ(At(c.Text, found->Prompt), c.Prompt) << c.Text;
        EXPECT_EQ(At(c.Text, found->NegPrompt), c.Negative) << c.Text;
        EXPECT_EQ(At(c.Text, found->Seed), c.Seed) << c.Text;
    }
}

TEST(WebUiText, ClaimsOnlyTextEndingInASettingsLineWithSteps) {
    const char* const cases[] = {
        "",
        "a prompt alone",
        "JobId: 1\nprompt: a cat\nseed: 5\nformat: png", // a damaged Tarvo text
        "a cat\nSteps: 20",                              // one pair only
        "a cat\nSampler: Euler, Seed: 5",                // no Steps
        "a cat\nSteps: 20, Lora: \"unclosed, Seed: 5",   // an unclosed quote
        "a cat\nSteps: 20, this is prose",               // not pairs
    };
    for (const char* text : cases)
        EXPECT_FALSE(ParseWebUiText(text)) << text;
}

} // namespace
} // namespace tarvo
