#include "util/MyStrUnit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;
using tarvo::BuildCaseTable;

class CaseTableTest : public ::testing::Test {
protected:
    void SetUp() override { BuildCaseTable(); }
};

using CaseTable = CaseTableTest;
using StrPos = CaseTableTest;
using StrCompare = CaseTableTest;
using StrCount = CaseTableTest;
using StrTrimming = CaseTableTest;
using Wide = CaseTableTest;

// UTF-16LE bytes of the code units.
std::string wide(std::u16string_view units) {
    std::string bytes;
    for (const char16_t u : units) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

TEST_F(CaseTable, SwapsAsciiLettersAndKeepsEveryOtherByte) {
    const struct {
        unsigned char In, Out;
    } cases[] = {{'a', 'A'}, {'z', 'Z'},   {'A', 'a'},   {'Z', 'z'}, {'m', 'M'}, {'0', '0'},
                 {'@', '@'}, {'[', '['},   {'`', '`'},   {'{', '{'}, {0, 0},     {' ', ' '},
                 {128, 128}, {0xC0, 0xC0}, {0xE0, 0xE0}, {255, 255}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.In));
        EXPECT_EQ(tarvo::CaseSwap(c.In), c.Out);
    }
}

TEST_F(CaseTable, PairsExactlyFiftyTwoBytesBothWays) {
    int changed = 0;
    for (int c = 0; c < 256; ++c) {
        const auto b = static_cast<unsigned char>(c);
        EXPECT_EQ(tarvo::CaseSwap(tarvo::CaseSwap(b)), b) << c;
        if (tarvo::CaseSwap(b) != b) ++changed;
    }
    EXPECT_EQ(changed, 52);
}

TEST_F(CaseTable, BuildingAgainstLeavesTheSameTable) {
    BuildCaseTable();
    EXPECT_EQ(tarvo::CaseSwap('q'), 'Q');
    EXPECT_EQ(tarvo::CaseSwap('Q'), 'q');
    EXPECT_EQ(tarvo::CaseSwap('-'), '-');
}

struct TPosCase {
    std::string Sub, Text;
    int Start;
    int Expected;
};

TEST_F(StrPos, StrPosFromFindsFirstExactOccurrenceAtOrAfterStart) {
    const TPosCase cases[] = {
        {"ab", "xxab", 0, 3},    {"ab", "xxab", 1, 3},    {"ab", "xxab", 3, 3},
        {"ab", "xxab", 4, 0},    {"ab", "xxab", 5, 0},    {"ab", "xxab", 1000, 0},
        {"ab", "xxab", -1, 0},   {"", "xxab", 1, 0},      {"ab", "", 1, 0},
        {"ab", "abab", 2, 3},    {"ab", "abab", 1, 1},    {"aB", "xxab", 1, 0},
        {"xxabc", "xxab", 1, 0}, {"\0b"s, "a\0b"s, 1, 2}, {"b", "a\0b"s, 1, 3},
        {"xxab", "xxab", 0, 1},  {"a", "aaa", 3, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Sub + " in " + c.Text + " from " + std::to_string(c.Start));
        EXPECT_EQ(tarvo::StrPosFrom(c.Sub, c.Text, c.Start), c.Expected);
    }
}

TEST_F(StrPos, StrPosTextFromMatchesAsciiLettersOfEitherCase) {
    const TPosCase cases[] = {
        {"AB", "xxab", 0, 3},       {"ab", "xXAb", 1, 3},  {"ab", "xxab", 4, 0},
        {"JobId", "x jOBiD", 1, 3}, {"1", "a1", 1, 2},     {"[", "{", 1, 0},
        {"{", "[", 1, 0},           {"@", "`", 1, 0},      {"\xC0", "\xE0", 1, 0},
        {"\xC0", "x\xC0", 1, 2},    {"ab", "xxab", -1, 0}, {"", "ab", 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Sub + " in " + c.Text + " from " + std::to_string(c.Start));
        EXPECT_EQ(tarvo::StrPosTextFrom(c.Sub, c.Text, c.Start), c.Expected);
    }
}

struct TLimitCase {
    std::string Sub, Text;
    int Start, Limit;
    int Expected;
};

TEST_F(StrPos, StrPosFromLimitFindsOnlyOccurrencesEndingBeforeLimit) {
    // A word ending at byte 1023 lies inside the limit 1024; one ending at 1024 does not.
    const std::string endsAt1023 = std::string(1016, 'x') + "UNICODE" + "tail";
    const std::string endsAt1024 = std::string(1017, 'x') + "UNICODE" + "tail";
    const TLimitCase cases[] = {
        {"UNICODE", endsAt1023, 0, 1024, 1017},
        {"UNICODE", endsAt1024, 0, 1024, 0},
        {"UNICODE", endsAt1024, 0, 1025, 1018},
        {"UNICODE", endsAt1024, 0, 0, 0},
        {"ab", "xxab", 1, 5, 3},
        {"ab", "xxab", 1, 100, 3},
        {"ab", "xxab", 1, 4, 0},
        {"ab", "xxab", 3, 3, 0},
        {"ab", "xxab", 0, 1, 0},
        {"ab", "xxab", 1, -5, 0},
        {"ab", "xxab", -1, 5, 0},
        {"aB", "xxab", 1, 5, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Sub + " from " + std::to_string(c.Start) + " limit " +
                     std::to_string(c.Limit));
        EXPECT_EQ(tarvo::StrPosFromLimit(c.Sub, c.Text, c.Start, c.Limit), c.Expected);
    }
}

TEST_F(StrPos, StrPosTextFromLimitCombinesTheLimitWithTheCaseRule) {
    const TLimitCase cases[] = {
        {"GenInfo", "geninfo{...}", 0, 8, 1}, {"GenInfo", "GENINFO", 0, 8, 1},
        {"GenInfo", "geninfo{...}", 0, 7, 0}, {"GenInfo", "xgeninfo", 0, 8, 0},
        {"genINFO", "xgeninfo", 2, 9, 2},     {"ab", "xxAB", 4, 10, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Sub + " in " + c.Text + " limit " + std::to_string(c.Limit));
        EXPECT_EQ(tarvo::StrPosTextFromLimit(c.Sub, c.Text, c.Start, c.Limit), c.Expected);
    }
}

TEST_F(StrPos, StrCharPosNeedsAStartInsideTheText) {
    const struct {
        char C;
        std::string Text;
        int Start, Expected;
    } cases[] = {
        {'\n', "\nabc", 0, 0}, {'\n', "\nabc", 1, 1}, {'\n', "a\nb\n", 3, 4},
        {'c', "abc", 3, 3},    {'c', "abc", 4, 0},    {'c', "abc", -1, 0},
        {'x', "abc", 1, 0},    {'a', "", 1, 0},       {'\0', "a\0b"s, 1, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text + " from " + std::to_string(c.Start));
        EXPECT_EQ(tarvo::StrCharPos(c.C, c.Text, c.Start), c.Expected);
    }
}

TEST_F(StrCompare, StrSameComparesLengthAndBytes) {
    const struct {
        std::string A, B;
        bool Expected;
    } cases[] = {
        {"", "", true},
        {"a", "a", true},
        {"a", "A", false},
        {"ab", "abc", false},
        {"abc", "ab", false},
        {"a\0b"s, "a\0b"s, true},
        {"a\0b"s, "a\0c"s, false},
        {"", "a", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.A + " vs " + c.B);
        EXPECT_EQ(tarvo::StrSame(c.A, c.B), c.Expected);
    }
}

TEST_F(StrCompare, StrSameTextIgnoresAsciiCaseOnly) {
    const struct {
        std::string A, B;
        bool Expected;
    } cases[] = {
        {"JobId", "JOBID", true}, {"seed", "seeds", false}, {"", "", true},
        {"Ab1", "aB1", true},     {"[", "{", false},        {"\xC0", "\xE0", false},
        {"seed", "seeD", true},   {"seed", "sead", false},  {"", "a", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.A + " vs " + c.B);
        EXPECT_EQ(tarvo::StrSameText(c.A, c.B), c.Expected);
    }
}

TEST_F(StrCount, StrCountLeadingCountsTheRunClippedToTheText) {
    const struct {
        std::string Text;
        int Pos;
        char C;
        int N, Expected;
    } cases[] = {
        {"   x", 1, ' ', 10, 3}, {"   x", 2, ' ', 10, 2}, {"   x", 1, ' ', 2, 2},
        {"   x", 1, ' ', 0, 0},  {"   x", 1, ' ', -3, 0}, {"   x", 0, ' ', 10, 0},
        {"   x", 5, ' ', 10, 0}, {"xx", 1, ' ', 5, 0},    {"  ", 1, ' ', 100, 2},
        {"a  ", 2, ' ', 100, 2}, {"", 1, ' ', 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("'" + c.Text + "' at " + std::to_string(c.Pos) + " n " + std::to_string(c.N));
        EXPECT_EQ(tarvo::StrCountLeading(c.Text, c.Pos, c.C, c.N), c.Expected);
    }
}

struct TTrimCase {
    std::string In, Out;
    bool Result;
};

TEST_F(StrTrimming, StrTrimRightRemovesTrailingBlankBytes) {
    const TTrimCase cases[] = {
        {"ab \r\n", "ab", false}, {" a ", " a", false},      {"", "", false},
        {"\x01\x1f", "", false},  {"a\x80", "a\x80", false}, {"a\0"s, "a", false},
        {"a!", "a!", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("'" + c.In + "'");
        std::string s = c.In;
        tarvo::StrTrimRight(s);
        EXPECT_EQ(s, c.Out);
    }
}

TEST_F(StrTrimming, StrTrimLeftAnswersWhetherSomethingWasRemoved) {
    const TTrimCase cases[] = {
        {" \tab", "ab", true}, {"ab ", "ab ", false},     {"", "", false},
        {"  ", "", true},      {"\xA0x", "\xA0x", false}, {"\0x"s, "x", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("'" + c.In + "'");
        std::string s = c.In;
        EXPECT_EQ(tarvo::StrTrimLeft(s), c.Result);
        EXPECT_EQ(s, c.Out);
    }
}

TEST_F(StrTrimming, StrTrimAnswersTrueOnlyWhenSomethingWasRemovedAndSomethingRemains) {
    const TTrimCase cases[] = {
        {"  \r\n", "", false}, {" a ", "a", true},  {"a", "a", false},       {"", "", false},
        {"a  ", "a", true},    {"\0a"s, "a", true}, {"\xA0", "\xA0", false}, {"a b", "a b", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("'" + c.In + "'");
        std::string s = c.In;
        EXPECT_EQ(tarvo::StrTrim(s), c.Result);
        EXPECT_EQ(s, c.Out);
    }
}

TEST_F(StrTrimming, StrCollapseSpacesTrimsAndLeavesOneSpaceOfEveryRun) {
    const TTrimCase cases[] = {
        {" a  b ", "a b", true}, {"a b", "a b", false},         {"a   b  c", "a b c", true},
        {"  x  ", "x", true},    {"a\t\tb", "a\t\tb", false},   {"", "", false},
        {"   ", "", true},       {"a \t  b", "a \t b", true},   {"a  ", "a", true},
        {"a    b", "a b", true}, {"\r\na  b\r\n", "a b", true}, {"a  \n  b", "a \n b", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("'" + c.In + "'");
        std::string s = c.In;
        EXPECT_EQ(tarvo::StrCollapseSpaces(s), c.Result);
        EXPECT_EQ(s, c.Out);
    }
}

TEST_F(StrTrimming, StrReplaceCharCountsTheReplacedBytes) {
    const struct {
        std::string In;
        char From, To;
        std::string Out;
        int Count;
    } cases[] = {
        {"a\nb\n", '\n', ' ', "a b ", 2},
        {"abc", 'x', 'y', "abc", 0},
        {"", 'a', 'b', "", 0},
        {"a\0b\0"s, '\0', '.', "a.b.", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("'" + c.In + "'");
        std::string s = c.In;
        EXPECT_EQ(tarvo::StrReplaceChar(s, c.From, c.To), c.Count);
        EXPECT_EQ(s, c.Out);
    }
}

TEST_F(Wide, WideFillWritesWholeCodeUnitsInsideTheData) {
    const struct {
        int Pos;
        std::uint16_t Value;
        int N;
        std::string Out;
    } cases[] = {
        {3, u' ', 2, "XX \0 \0XX"s}, {1, u' ', 4, " \0 \0 \0 \0"s},    {7, u' ', 5, "XXXXXX \0"s},
        {8, u' ', 1, "XXXXXXXX"},    {0, u' ', 2, "XXXXXXXX"},         {9, u' ', 2, "XXXXXXXX"},
        {1, u' ', 0, "XXXXXXXX"},    {2, 0x0420, 1, "X\x20\x04XXXXX"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("at " + std::to_string(c.Pos) + " n " + std::to_string(c.N));
        std::string data = "XXXXXXXX";
        tarvo::WideFill(data, c.Pos, c.Value, c.N);
        EXPECT_EQ(data, c.Out);
    }
}

TEST_F(Wide, WideCountLeadingCountsEqualCodeUnitsClippedToTheData) {
    const struct {
        std::string Data;
        int Pos;
        int N, Expected;
    } cases[] = {
        {wide(u"   ab"), 1, 10, 3},   {wide(u"   ab"), 1, 2, 2}, {wide(u"   ab"), 3, 10, 2},
        {wide(u"   ab"), 2, 10, 0},   {wide(u"   "), 1, 10, 3},  {wide(u"   "), 7, 10, 0},
        {wide(u"  ") + " ", 1, 3, 2}, {wide(u"   "), 0, 3, 0},   {wide(u"   "), 1, 0, 0},
        {wide(u"\u2020 "), 1, 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("at " + std::to_string(c.Pos) + " n " + std::to_string(c.N));
        EXPECT_EQ(tarvo::WideCountLeading(c.Data, c.Pos, u' ', c.N), c.Expected);
    }
}

TEST_F(Wide, WideCountBlankAnswersZeroWhenEveryUnitIsBlank) {
    const struct {
        std::string Data;
        int Pos;
        int N, Expected;
    } cases[] = {
        {wide(u"   "), 1, 3, 0},     {wide(u"  a"), 1, 3, 2},
        {wide(u"\t\r a"), 1, 4, 3},  {wide(u"a "), 1, 2, 0},
        {wide(u"  a"), 1, 0, 0},     {wide(u"   a"), 1, 2, 0},
        {wide(u" \u0120"), 1, 2, 1}, {wide(u"   "), 1, 10, 0},
        {wide(u" a"), 1, 10, 1},     {"xx" + wide(u" \0a"sv), 3, 3, 2},
        {wide(u" a"), 0, 2, 0},      {wide(u" a"), 5, 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("at " + std::to_string(c.Pos) + " n " + std::to_string(c.N));
        EXPECT_EQ(tarvo::WideCountBlank(c.Data, c.Pos, c.N), c.Expected);
    }
}

TEST_F(Wide, WideCharPosScansCodeUnitsWithinTheLimitAndTheData) {
    const std::string text = "XY" + wide(u"ab:c"); // the colon is at byte 7
    const struct {
        std::string Data;
        int Start, Limit, Expected;
    } cases[] = {
        {text, 3, 100, 7},
        {text, 3, 6, 7},
        {text, 3, 5, 0},
        {text, 3, 4, 0},
        {text, 0, 100, 7},
        {text, 1, 100, 7},
        {text, 2, 100, 0},
        {text, 7, 2, 7},
        {text, 7, 1, 0},
        {text, 9, 100, 0},
        {text, 10, 100, 0},
        {text, -1, 100, 0},
        {text, 3, -2, 0},
        {wide(u"a:"), 0, 100, 3},
        {wide(u"a:"), 3, 2, 3},
        {wide(u"a:"), 4, 100, 0},
        {wide(u"a") + ":", 1, 10, 0},
        {"", 0, 10, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("from " + std::to_string(c.Start) + " limit " + std::to_string(c.Limit));
        EXPECT_EQ(tarvo::WideCharPos(c.Data, u':', c.Start, c.Limit), c.Expected);
    }
}

} // namespace
