// Parsing the two parameter blocks: the UTF-16 key lines with folded values, the GenInfo
// object, the display texts, the prompt and value lookups.
#include "params/DatTypes.h"
#include "params/MyGrafObj.h"
#include "support/PicBuilder.h"
#include "util/MyStrUnit.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvo {
namespace {

using namespace std::string_literals;

using test::FirstBlockData;
using test::FirstBlockLines;
using test::GenInfoData;
using test::GenInfoLines;
using test::GenInfoObject;
using test::JoinFirstLines;
using test::TLines;
using test::Utf16;

class MyGrafParse : public testing::Test {
protected:
    void SetUp() override { BuildCaseTable(); }
};

TMyGrafItem WideBlock(std::string_view text) {
    TMyGrafItem block;
    block.Data = FirstBlockData(text);
    block.Kind = 0;
    return block;
}

TMyGrafItem NarrowBlock(std::string_view data) {
    TMyGrafItem block;
    block.Data = std::string(data);
    block.Kind = 1;
    return block;
}

// 1-based position in data of the value that follows "key:" in the UTF-16 text.
int WideValueAt(const std::string& data, std::string_view key) {
    const std::size_t at = data.find(Utf16(std::string(key) + ":"));
    return at == std::string::npos ? 0 : static_cast<int>(at + 1 + 2 * (key.size() + 1));
}

std::string Standard() {
    return JoinFirstLines(FirstBlockLines());
}

TEST_F(MyGrafParse, WideBlockLocatesTheTextAndTheFourValues) {
    TMyGrafItem block = WideBlock(Standard());
    ASSERT_TRUE(block.Parse());
    const int textAt = static_cast<int>(test::FirstBlockTextOffset) + 1;
    EXPECT_EQ(block.TextStart, textAt);
    EXPECT_EQ(block.TextEnd, static_cast<int>(block.Data.size()) - 1); // the last line feed
    const test::TParamSet params;
    const std::string values[] = {params.JobId, params.Prompt, params.NegPrompt, params.Seed};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(ParamNames[i]);
        const TValuePos expected{WideValueAt(block.Data, ParamNames[i]),
                                 2 * static_cast<int>(values[i].size() + 1)};
        EXPECT_EQ(block.Values[i], expected);
    }
}

TEST_F(MyGrafParse, WideBlockNeedsTheNamesInOrderBeforeTheFormatLine) {
    struct Case {
        const char* Note;
        std::string Text;
        bool Ok;
    };
    const Case cases[] = {
        {"the usual lines", Standard(), true},
        {"other keys anywhere before format",
         "model: m1\nJobId: j\nsteps: 2\nprompt: p\nnegative_prompt: n\nxx: 1\nseed: 5\nsize: "
         "7\nformat: png\n",
         true},
        {"format before the names is passed over",
         "format: jpg\nJobId: j\nprompt: p\nnegative_prompt: n\nseed: 5\nformat: png\n", true},
        {"keys ignore case", "JOBID: j\nPrompt: p\nNEGATIVE_PROMPT: n\nSeed: 5\nFORMAT: png\n",
         true},
        {"prompt before JobId: prompt is never found again",
         "prompt: p\nJobId: j\nnegative_prompt: n\nseed: 5\nformat: png\n", false},
        {"no format line", "JobId: j\nprompt: p\nnegative_prompt: n\nseed: 5\n", false},
        {"no seed", "JobId: j\nprompt: p\nnegative_prompt: n\nformat: png\n", false},
        {"a one-letter key before format",
         "JobId: j\nprompt: p\nw: 512\nnegative_prompt: n\nseed: 5\nformat: png\n", false},
        {"a two-letter key",
         "JobId: j\nprompt: p\nwh: 512\nnegative_prompt: n\nseed: 5\nformat: png\n", true},
        {"a one-letter key after format is never read",
         "JobId: j\nprompt: p\nnegative_prompt: n\nseed: 5\nformat: png\nw: 1\n", true},
        {"a line without colon before format",
         "JobId: j\nprompt: p\njust words\nnegative_prompt: n\nseed: 5\nformat: png\n", false},
        {"the format line may end the data",
         "JobId: j\nprompt: p\nnegative_prompt: n\nseed: 5\nformat: png", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Note);
        TMyGrafItem block = WideBlock(c.Text);
        EXPECT_EQ(block.Parse(), c.Ok);
        if (!c.Ok) {
            EXPECT_EQ(block.Kind, -1);
            EXPECT_TRUE(block.Data.empty());
        }
    }
}

TEST_F(MyGrafParse, MarkerMustEndWithinTheFirst1023Bytes) {
    for (const std::size_t pad : {std::size_t{1016}, std::size_t{1017}}) {
        SCOPED_TRACE(pad);
        TMyGrafItem block;
        block.Kind = 0;
        block.Data = std::string(pad, 'x') + std::string("UNICODE\0", 8) + Utf16("\n" + Standard());
        EXPECT_EQ(block.Parse(), pad == 1016); // the marker's last letter at byte 1023 or 1024
    }
}

TEST_F(MyGrafParse, ColonMustStandWithin30CodeUnits) {
    for (const std::size_t keyLength : {std::size_t{29}, std::size_t{30}}) {
        SCOPED_TRACE(keyLength);
        const std::string text = std::string(keyLength, 'k') + ": v\n" + Standard();
        TMyGrafItem block = WideBlock(text);
        EXPECT_EQ(block.Parse(), keyLength == 29);
    }
}

TEST_F(MyGrafParse, LineFeedsMustStandBeforeByte5000) {
    // The data's 54-byte prefix puts the last line feed of a text of n code units at byte
    // 54 + 2n - 1.
    for (const int units : {2473, 2474}) {
        SCOPED_TRACE(units);
        TLines lines = FirstBlockLines();
        std::string text = JoinFirstLines(lines);
        lines[1].Value += std::string(static_cast<std::size_t>(units) - text.size(), 'x');
        text = JoinFirstLines(lines);
        ASSERT_EQ(text.size(), static_cast<std::size_t>(units));
        TMyGrafItem block = WideBlock(text);
        EXPECT_EQ(block.Parse(), units == 2473);
        if (units == 2473) {
            EXPECT_EQ(block.TextEnd, 4999);
        }
    }
}

TEST_F(MyGrafParse, ValueOfOddByteLengthMakesTheBlockAbsent) {
    TMyGrafItem block = WideBlock("JobId: j\nprompt: p\nnegative_prompt: n\nseed: 5\nformat: png");
    block.Data.push_back('X'); // the last line now ends in half a code unit
    EXPECT_FALSE(block.Parse());
}

TEST_F(MyGrafParse, StripFoldedPromptCoversParagraphsSeparatedByEmptyLines) {
    const std::string text = "JobId: j\nprompt: >-\n  first paragraph\n\n  second paragraph\n"
                             "negative_prompt: n\nseed: 5\nformat: png\n";
    TMyGrafItem block = WideBlock(text);
    ASSERT_TRUE(block.Parse());
    const std::string folded = " >-\n  first paragraph\n\n  second paragraph";
    EXPECT_EQ(block.Values[1],
              (TValuePos{WideValueAt(block.Data, "prompt"), 2 * static_cast<int>(folded.size())}));
    EXPECT_EQ(block.GetPrompt(), ">-\n  first paragraph\n\n  second paragraph");
    block.BuildText();
    EXPECT_EQ(block.GetValue("prompt"), ">-");
    EXPECT_EQ(block.GetValue("negative_prompt"), "n");
}

TEST_F(MyGrafParse, FoldedValuesEndByTheirStyle) {
    struct Case {
        const char* Note;
        std::string Prompt; // what follows "prompt:" up to the next key line
        bool Ok;
    };
    const Case cases[] = {
        {"plain: exactly one further line", " >\n  one line\n", true},
        {"strip: ends at the first single line break", " >-\n  one\n", true},
        {"keep: ends at an empty line before a key line", " >+\n  one\n  two\n\n", true},
        {"keep: several empty lines", " >+\n  one\n\n\n  two is a longer line of words\n\n", true},
        {"keep: a colon within 30 units after inner empty lines ends the value there",
         " >+\n  one\n\n\n  two\n\n", false},
        {"strip without an ending line feed", " >-\n  one", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Note);
        const std::string text =
            "JobId: j\nprompt:" + c.Prompt + "negative_prompt: n\nseed: 5\nformat: png\n";
        TMyGrafItem block = WideBlock(text);
        ASSERT_EQ(block.Parse(), c.Ok);
        if (!c.Ok) continue;
        // The value runs to the line feed that ends it, not including it.
        std::string value = c.Prompt.substr(0, c.Prompt.size() - 1);
        EXPECT_EQ(block.Values[1].Length, 2 * static_cast<int>(value.size()));
        EXPECT_EQ(block.Values[2].Length, 4); // " n": the next line was read as a key line
    }
}

TEST_F(MyGrafParse, FoldedNegativePromptShowsOnlyItsIndicatorAsValue) {
    for (const std::string indicator : {">-", ">", ">+"}) {
        SCOPED_TRACE(indicator);
        // A keep-style value ends only at an empty line.
        const std::string end = indicator == ">+" ? "\n\n" : "\n";
        const std::string text = "JobId: j\nprompt: p\nnegative_prompt: " + indicator + "\n  ugly" +
                                 end + "seed: 5\nformat: png\n";
        TMyGrafItem block = WideBlock(text);
        ASSERT_TRUE(block.Parse());
        block.BuildText();
        EXPECT_EQ(block.GetValue("negative_prompt"), indicator);
        EXPECT_EQ(block.GetValue("seed"), "5");
    }
}

TEST_F(MyGrafParse, TwoApostrophesAreTheEmptyValue) {
    TMyGrafItem block =
        WideBlock("JobId: j\nprompt: p\nnegative_prompt: ''\nseed: 5\nformat: png\n");
    ASSERT_TRUE(block.Parse());
    EXPECT_EQ(block.Values[2].Length, 6);
    block.BuildText();
    EXPECT_EQ(block.GetValue("negative_prompt"), "");
    EXPECT_EQ(block.GetValue("prompt"), "p");
}

TEST_F(MyGrafParse, WideTextRunsFromTheFirstKeyLineToTheFormatLine) {
    TMyGrafItem block = WideBlock("\n  \nJobId: j\r\nprompt: p q\nnegative_prompt: n\nseed: 5\n"
                                  "format: png\nafter: not shown\n");
    ASSERT_TRUE(block.Parse());
    block.BuildText();
    EXPECT_EQ(block.Text,
              "JobId: j\r\r\nprompt: p q\r\nnegative_prompt: n\r\nseed: 5\r\nformat: png");
}

TEST_F(MyGrafParse, UnicodeTextBecomesUtf8) {
    // Non-ASCII units at every place of a four-unit group, and units whose low byte alone
    // would read as ASCII ("Ł" is U+0141).
    for (const std::string prompt : {"рыжая лиса в снегу 🦊", "Łódź", "Ł",
                                     "abcdefgé", "abc€", "plain ascii only"}) {
        SCOPED_TRACE(prompt);
        test::TParamSet params;
        params.Prompt = prompt;
        TMyGrafItem block = WideBlock(JoinFirstLines(FirstBlockLines(params)));
        ASSERT_TRUE(block.Parse());
        EXPECT_EQ(block.GetPrompt(), prompt);
        block.BuildText();
        EXPECT_EQ(block.GetValue("prompt"), prompt);
        EXPECT_NE(block.Text.find("prompt: " + prompt + "\r\n"), std::string::npos);
    }

    // An unpaired surrogate is shown as U+FFFD.
    TMyGrafItem lone = WideBlock("JobId: j\nprompt: a\nnegative_prompt: n\nseed: 5\nformat: png\n");
    const int at = WideValueAt(lone.Data, "prompt") + 2;
    lone.Data[static_cast<std::size_t>(at - 1)] = '\x00';
    lone.Data[static_cast<std::size_t>(at)] = '\xD8';
    ASSERT_TRUE(lone.Parse());
    EXPECT_EQ(lone.GetPrompt(), "\xEF\xBF\xBD");
}

TEST_F(MyGrafParse, GetPromptIsClippedToTheData) {
    TMyGrafItem block = WideBlock(Standard());
    ASSERT_TRUE(block.Parse());
    const int size = static_cast<int>(block.Data.size());
    struct Case {
        TValuePos Prompt;
        std::string Expected;
    };
    const Case cases[] = {
        {{size + 5, 10}, ""},   {{size, 2}, ""}, // half a code unit left
        {{size - 3, 100}, "g"},                  // "g\n": the last two units, trimmed
        {{-3, 8}, ""},          {{0, 8}, ""},    {{1, 0}, ""}, {{5, -4}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Prompt.Offset);
        block.Values[1] = c.Prompt;
        EXPECT_EQ(block.GetPrompt(), c.Expected);
    }
}

TEST_F(MyGrafParse, GetValueReadsOnlyTheFirstBlocksDisplayText) {
    TMyGrafItem block = WideBlock(Standard());
    ASSERT_TRUE(block.Parse());
    EXPECT_EQ(block.GetValue("seed"), ""); // no display text yet
    block.BuildText();
    EXPECT_EQ(block.GetValue("seed"), "1234567890");
    EXPECT_EQ(block.GetValue("SEED"), "1234567890");
    EXPECT_EQ(block.GetValue("width"), "512");
    EXPECT_EQ(block.GetValue("missing"), "");
    block.Kind = 1;
    EXPECT_EQ(block.GetValue("seed"), "");
}

TEST_F(MyGrafParse, TakeHeadCutsTheTextOutOfTheHead) {
    const std::string head = test::JpegHead(test::FirstBlockText(), 20000);
    TMyGrafItem block;
    ASSERT_TRUE(block.TakeHead(head));
    const int s = static_cast<int>(test::JpegBlockDataOffset + test::FirstBlockTextOffset) + 1;
    EXPECT_EQ(block.BlockOffset, s - 1);
    EXPECT_EQ(block.Kind, 0);
    EXPECT_EQ(block.CrcPos, 0);
    EXPECT_EQ(block.TextStart, 1);
    const std::string text = Utf16(Standard());
    EXPECT_EQ(block.Data, head.substr(static_cast<std::size_t>(s - 1), text.size() + 1));
    // Offsets now count in Data.
    EXPECT_EQ(block.Values[0], (TValuePos{WideValueAt(block.Data, "JobId"), 2 * 37}));
    EXPECT_EQ(block.GetPrompt(), "a red fox in the snow");
    block.BuildText();
    EXPECT_EQ(block.GetValue("format"), "png");
}

TEST_F(MyGrafParse, TakeHeadStopsAtTheEndOfAHeadWithoutFinalLineFeed) {
    // The format line ends the head: the cut would reach past it by two bytes.
    TMyGrafItem block;
    const std::string data =
        FirstBlockData("JobId: j\nprompt: p\nnegative_prompt: n\nseed: 5\nformat: png");
    ASSERT_TRUE(block.TakeHead(data));
    const std::size_t s = test::FirstBlockTextOffset + 1;
    EXPECT_EQ(block.Data, data.substr(s - 1));
    EXPECT_EQ(block.TextEnd, static_cast<int>(data.size() - s) + 2);
    block.BuildText();
    EXPECT_EQ(block.Text, "JobId: j\r\nprompt: p\r\nnegative_prompt: n\r\nseed: 5\r\nformat: png");
}

TEST_F(MyGrafParse, TakeHeadFailsOnAHeadWithoutParameters) {
    TMyGrafItem block;
    EXPECT_FALSE(block.TakeHead(std::string(20000, '\0')));
    EXPECT_FALSE(block.HasParams());
    EXPECT_FALSE(block.TakeHead(""));
}

TEST_F(MyGrafParse, GenInfoBlockIsCheckedAtItsEdges) {
    const std::string object = GenInfoObject(GenInfoLines());
    struct Case {
        const char* Note;
        std::string Data;
        bool Ok;
        int TextEnd;
    };
    const std::string usual = GenInfoData(object);
    const Case cases[] = {
        {"the usual block", usual, true, static_cast<int>(usual.size())},
        {"keyword in lower case", "geninfo" + usual.substr(7), true,
         static_cast<int>(usual.size())},
        {"brace followed by 9 bytes", usual + std::string(9, ' '), true,
         static_cast<int>(usual.size())},
        {"brace followed by 10 bytes", usual + std::string(10, ' '), false, 0},
        {"last brace of several", usual + " }  ", true, static_cast<int>(usual.size()) + 2},
        {"keyword not at byte 1", " " + usual, false, 0},
        {"other keyword", "Comment" + usual.substr(7), false, 0},
        {"19 bytes", "GenInfo\0{\"a\": 1,  }"s, false, 0},
        {"20 bytes", "GenInfo\0{\"a\": 12,  }"s, true, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Note);
        TMyGrafItem block = NarrowBlock(c.Data);
        EXPECT_EQ(block.Parse(), c.Ok);
        if (c.Ok) {
            EXPECT_EQ(block.TextStart, 1);
            EXPECT_EQ(block.TextEnd, c.TextEnd);
        } else {
            EXPECT_EQ(block.Kind, -1);
        }
    }
}

TEST_F(MyGrafParse, NarrowTextShowsTheObjectWithCrLfLines) {
    TMyGrafItem block = NarrowBlock(test::GenInfoText());
    ASSERT_TRUE(block.Parse());
    block.BuildText();
    EXPECT_EQ(block.Text, "GenInfo {\r\n"
                          "  \"JobId\": \"7f3c2a10-5b8e-4d21-9c6f-0a1b2c3d4e5f\",\r\n"
                          "  \"prompt\": \"a red fox in the snow\",\r\n"
                          "  \"negative_prompt\": \"blurry, low quality\",\r\n"
                          "  \"seed\": 1234567890,\r\n"
                          "  \"width\": 512,\r\n"
                          "  \"height\": 768}");
    EXPECT_EQ(block.GetValue("seed"), ""); // lookups are for the first block
}

TEST_F(MyGrafParse, NarrowTextBlanksThePunctuationOfWipedValues) {
    TLines lines = GenInfoLines();
    lines[0].Value = " \"     \",";    // a wiped string
    lines[1].Value = " \"\",";         // an empty string stays as it is
    lines[2].Value = " \"  keep  \","; // text between the quotes stays
    lines[3].Value = "           ,";   // a wiped number
    TMyGrafItem block = NarrowBlock(GenInfoData(GenInfoObject(lines)));
    ASSERT_TRUE(block.Parse());
    block.BuildText();
    EXPECT_EQ(block.Text, "GenInfo {\r\n"
                          "  \"JobId\":" +
                              std::string(9, ' ') +
                              "\r\n"
                              "  \"prompt\": \"\",\r\n"
                              "  \"negative_prompt\": \"  keep  \",\r\n"
                              "  \"seed\":" +
                              std::string(12, ' ') +
                              "\r\n"
                              "  \"width\": 512,\r\n"
                              "  \"height\": 768}");
    // Data itself is not changed.
    EXPECT_NE(block.Data.find("\"JobId\": \"     \","), std::string::npos);
}

TEST_F(MyGrafParse, NarrowTextStopsBlankingAtTheFirstMissingName) {
    TLines lines = GenInfoLines();
    lines.erase(lines.begin() + 1); // no prompt
    lines[0].Value = " \"  \",";
    lines[2].Value = " \"  \","; // seed, after the missing prompt
    TMyGrafItem block = NarrowBlock(GenInfoData(GenInfoObject(lines)));
    ASSERT_TRUE(block.Parse());
    block.BuildText();
    EXPECT_NE(block.Text.find("\"JobId\":" + std::string(6, ' ') + "\r\n"), std::string::npos);
    EXPECT_NE(block.Text.find("\"seed\": \"  \",\r\n"), std::string::npos);
}

TEST_F(MyGrafParse, NarrowTextReadsBytesThatAreNoUtf8AsLatin1) {
    TLines lines = GenInfoLines();
    lines[1].Value = " \"caf\xE9\",";
    TMyGrafItem block = NarrowBlock(GenInfoData(GenInfoObject(lines)));
    ASSERT_TRUE(block.Parse());
    block.BuildText();
    EXPECT_NE(block.Text.find("\"caf\xC3\xA9\""), std::string::npos);

    lines[1].Value = " \"caf\xC3\xA9\",";
    TMyGrafItem utf8 = NarrowBlock(GenInfoData(GenInfoObject(lines)));
    ASSERT_TRUE(utf8.Parse());
    utf8.BuildText();
    EXPECT_NE(utf8.Text.find("\"caf\xC3\xA9\""), std::string::npos);
}

TEST_F(MyGrafParse, NarrowTextOfFewerThanTenBytesIsEmpty) {
    EXPECT_EQ(NarrowBlock("GenInfo\0{}"s.substr(0, 9)).NarrowText(), "");
    EXPECT_EQ(NarrowBlock("GenInfo\0{}"s).NarrowText(), "GenInfo {}");
}

TEST_F(MyGrafParse, BuildTextsAnswersWhetherEitherTextIsNotEmpty) {
    TMyGraf graf(false);
    EXPECT_FALSE(graf.BuildTexts());
    graf.SecondBlock = NarrowBlock(test::GenInfoText());
    ASSERT_TRUE(graf.SecondBlock.Parse());
    EXPECT_TRUE(graf.BuildTexts());
    EXPECT_TRUE(graf.FirstBlock.Text.empty());
    EXPECT_FALSE(graf.SecondBlock.Text.empty());
}

TEST_F(MyGrafParse, NextWideLineReadsKeyAndValue) {
    const std::string data = Utf16("  Key2: value\nnext: x\n");
    const TWideLine line = NextWideLine(data, 1);
    ASSERT_TRUE(line.Ok);
    EXPECT_EQ(line.Key, "Key2");
    EXPECT_EQ(line.Value, (TValuePos{15, 12}));
    EXPECT_EQ(line.Next, 29);
    EXPECT_FALSE(NextWideLine(data, static_cast<int>(data.size())).Ok);
    EXPECT_FALSE(NextWideLine(data, 0).Ok);
    EXPECT_FALSE(NextWideLine(Utf16(" k: v\n"), 1).Ok); // one-letter key after the blank
    EXPECT_FALSE(NextWideLine("", 1).Ok);
}

TEST_F(MyGrafParse, NextKeyLineReadsQuotedKeys) {
    const std::string text = "{\n  \"seed\": 5,\n  \"x\": 1\n}";
    const TKeyLine line = NextKeyLine(text, 1);
    ASSERT_TRUE(line.Found);
    EXPECT_EQ(line.Key, "seed");
    EXPECT_EQ(line.Value, (TValuePos{12, 3}));
    EXPECT_EQ(line.Next, 16);
    const TKeyLine none = NextKeyLine(text, 24);
    EXPECT_FALSE(none.Found);
    EXPECT_EQ(none.Next, 24);
    EXPECT_TRUE(none.Key.empty());

    const std::string key60 = "\"" + std::string(60, 'k') + "\": 1\n";
    const std::string key61 = "\"" + std::string(61, 'k') + "\": 1\n";
    EXPECT_TRUE(NextKeyLine(key60, 1).Found);
    EXPECT_FALSE(NextKeyLine(key61, 1).Found);
    EXPECT_FALSE(NextKeyLine("\"\": 1\n", 1).Found);
    EXPECT_FALSE(NextKeyLine("\"k\": no line feed", 1).Found);
    // The closing quote and colon are looked for beyond the opening quote's line.
    const TKeyLine across = NextKeyLine("\"a\nb\": 1\n", 1);
    ASSERT_TRUE(across.Found);
    EXPECT_EQ(across.Key, "a\nb");
}

TEST_F(MyGrafParse, FindKeySearchesForwardFromItsPosition) {
    const std::string text = "{\n  \"JobId\": \"j\",\n  \"Seed\": 5,\n}";
    const TKeyLine seed = FindKey(text, "seed", 1);
    ASSERT_TRUE(seed.Found);
    EXPECT_EQ(text.substr(static_cast<std::size_t>(seed.Value.Offset - 1),
                          static_cast<std::size_t>(seed.Value.Length)),
              " 5,");
    const TKeyLine again = FindKey(text, "JobId", seed.Next);
    EXPECT_FALSE(again.Found);
    EXPECT_EQ(again.Next, 0);
    EXPECT_EQ(again.Value, TValuePos{});
    EXPECT_FALSE(FindKey(text, "JobId", 0).Found);
}

TEST_F(MyGrafParse, LookupValueFindsKeysOnlyAtLineStarts) {
    struct Case {
        const char* Note;
        std::string Text;
        std::string Key;
        std::string Expected;
    };
    const Case cases[] = {
        {"seed after xseed", "xseed: 5\r\nseed: 12\r\nformat: png", "seed", "12"},
        {"key at the start", "seed: 7", "seed", "7"},
        {"spaces before the key", "a: 1\r\n   seed: 8  \r\n", "seed", "8"},
        {"in the middle of a line", "note seed: 9\r\n", "seed", ""},
        {"case ignored", "SEED: 3\r\n", "seed", "3"},
        {"blank value", "seed:    \r\nx: 1", "seed", ""},
        {"two apostrophes", "negative_prompt: ''\r\n", "negative_prompt", ""},
        {"no value at the end", "seed: ", "seed", ""},
        {"absent", "prompt: p\r\n", "seed", ""},
        {"a value with colons", "prompt: a: b\r\n", "prompt", "a: b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Note);
        EXPECT_EQ(LookupValue(c.Text, c.Key), c.Expected);
    }
}

TEST_F(MyGrafParse, FlattenLinesTrimsAndEndsLinesWithCrLf) {
    EXPECT_EQ(FlattenLines("\n \tA\nB\r\nC \n\n"), "A\r\nB\r\r\nC");
    EXPECT_EQ(FlattenLines(" \n "), "");
    EXPECT_EQ(FlattenLines(""), "");
}

} // namespace
} // namespace tarvo
