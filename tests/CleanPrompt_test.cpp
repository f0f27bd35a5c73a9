#include "app/TarvoData.h"
#include "util/MyStrUnit.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace tarvo {
namespace {

struct TCleanCase {
    const char* Why;
    std::string Input;
    std::string Expected;
};

void PrintTo(const TCleanCase& c, std::ostream* os) {
    *os << c.Why;
}

class CleanPromptTest : public ::testing::TestWithParam<TCleanCase> {
protected:
    static void SetUpTestSuite() { BuildCaseTable(); }
};

TEST_P(CleanPromptTest, YieldsTheCleanedText) {
    const TCleanCase& c = GetParam();
    EXPECT_EQ(TTarvoData::CleanPrompt(c.Input), c.Expected) << c.Why;
}

using namespace std::string_literals;

const TCleanCase kCases[] = {
    {"empty text", "", ""},
    {"a lone mark", ">", ""},
    {"two characters keep the plus sign", ">+", "+"},
    {"two characters keep the minus sign", ">-", "-"},
    {"mark, sign and a space leave nothing", ">+ ", ""},
    {"mark with a space", "> cat", "cat"},
    {"mark with minus sign and spaces", ">-  dog, cat", "dog, cat"},
    {"surrounding quotes", "'a cat'", "a cat"},
    {"a lone quote", "'", ""},
    {"two quotes", "''", ""},
    {"quotes with inner spaces", "' a cat '", "a cat"},
    {"two tags at the start", "score_9, score_8_up, a cat", "a cat"},
    {"capitalised tag", "Score_4, a cat", "a cat"},
    {"upper-case tag", "SCORE_4, a cat", "a cat"},
    {"mixed-case tag", "sCoRe_1, x", "x"},
    {"the first comma-and-space ends both tags", "score_9,score_8, a cat", "a cat"},
    {"a tag alone stays", "score_9", "score_9"},
    {"a tag without comma-and-space stays", "score_9,a cat", "score_9,a cat"},
    {"tags only at the start", "a cat, score_9", "a cat, score_9"},
    {"a space after the opening quote protects the tag", "' score_9, a cat'", "score_9, a cat"},
    {"quotes, then the tag", "'score_9, a cat'", "a cat"},
    {"marked text joins lines", ">+a cat\nblack", "a cat black"},
    {"marked text joins a double line feed into one space", ">+a cat\n\nblack", "a cat black"},
    {"unmarked text keeps its line feed", "a cat\nblack", "a cat\nblack"},
    {"carriage returns stay", ">+a cat\r\nblack", "a cat\r black"},
    {"unmarked runs of spaces stay", "a  cat", "a  cat"},
    {"marked runs of spaces stay without a line feed", ">+a  cat", "a  cat"},
    {"marked text with a line feed collapses every run of spaces", ">-a  cat\nblack   dog",
     "a cat black dog"},
    {"a plain mark does not join lines", ">a cat\nblack", "a cat\nblack"},
    {"blanks of every kind are trimmed", "\t\r\n a cat \x01", "a cat"},
    {"a NUL byte counts as a blank", "\0a cat\0"s, "a cat"},
    {"a text of blanks only becomes empty", " \t\r\n", ""},
    {"bytes above 127 are never blanks", "\xC2\xA0кот\xC2\xA0", "\xC2\xA0кот\xC2\xA0"},
    {"Cyrillic text after a mark keeps its bytes", "> 'рыжий кот'", "рыжий кот"},
    {"a quote only at the start stays", "'a cat", "'a cat"},
    {"a tag inside quotes after a mark", ">+ 'score_9, кот\nна крыше'", "кот на крыше"},
    {"line feeds trimmed at the ends before collapsing", ">+\n a cat \n", "a cat"},
};

INSTANTIATE_TEST_SUITE_P(Examples, CleanPromptTest, ::testing::ValuesIn(kCases));

TEST(CleanPrompt, RemovesAnyNumberOfLeadingTags) {
    BuildCaseTable();
    std::string tags;
    for (int i = 0; i < 3000; ++i)
        tags += "score_" + std::to_string(i % 10) + ", ";
    EXPECT_EQ(TTarvoData::CleanPrompt(tags + "a cat"), "a cat");
    EXPECT_EQ(TTarvoData::CleanPrompt(tags + "score_9"), "score_9");
}

} // namespace
} // namespace tarvo
