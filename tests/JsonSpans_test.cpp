// Locating JSON members in their text: spans, types, unescaped texts, and refusals.
#include "params/JsonSpans.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvo {
namespace {

TEST(JsonSpans, FindsStringsAndNumbersWhereTheyStand) {
    const std::string json = R"({"prompt": "a \"red\" fox, \u00e9t\u00e9", "seed" : 1234567 , )"
                             R"("image": {"seed": -5e3}, "list": [{"a": 1}, ["x", 2.5]]})";
    const struct {
        std::initializer_list<TJsonStep> Path;
        const char* Raw;
        const char* Text;
        bool Number;
    } cases[] = {
        {{"prompt"}, R"(a \"red\" fox, \u00e9t\u00e9)", "a \"red\" fox, été", false},
        {{"seed"}, "1234567", "1234567", true},
        {{"image", "seed"}, "-5e3", "-5e3", true},
        {{"list", std::size_t{1}, std::size_t{1}}, "2.5", "2.5", true},
        {{"list", std::size_t{1}, std::size_t{0}}, "x", "x", false},
    };
    for (const auto& c : cases) {
        const std::optional<TJsonValue> found = JsonMember(json, c.Path);
        ASSERT_TRUE(found) << c.Raw;
        EXPECT_EQ(json.substr(found->Span.Offset, found->Span.Length), c.Raw);
        EXPECT_EQ(found->Text, c.Text);
        EXPECT_EQ(found->Number, c.Number);
    }
}

TEST(JsonSpans, AnswersNothingForMissingMembersOtherTypesAndBrokenJson) {
    const char* const json = R"({"a": [1, 2], "b": {"c": null}, "d": true})";
    EXPECT_FALSE(JsonMember(json, {"a"}));
    EXPECT_FALSE(JsonMember(json, {"b", "c"}));
    EXPECT_FALSE(JsonMember(json, {"d"}));
    EXPECT_FALSE(JsonMember(json, {"missing"}));
    EXPECT_FALSE(JsonMember(json, {}));
    EXPECT_FALSE(JsonMember(json, {"a", std::size_t{2}}));
    EXPECT_FALSE(JsonMember(json, {"d", std::size_t{0}}));
    EXPECT_FALSE(JsonMember(R"({"prompt": "unclosed)", {"prompt"}));
    EXPECT_FALSE(JsonMember("not json", {"prompt"}));
    EXPECT_FALSE(JsonMember(R"(["prompt"])", {"prompt"}));
}

TEST(JsonSpans, FindsEveryEqualStringValueButNoName) {
    const std::string json = R"({"cat": "cat", "a": ["cat", {"b": "ca\u0074"}], "c": "cats"})";
    const std::vector<TTextSpan> found = JsonStringsEqual(json, "cat");
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(json.substr(found[0].Offset, found[0].Length), "cat");
    EXPECT_EQ(found[0].Offset, 9u); // the value, not the member name before it
    EXPECT_EQ(json.substr(found[2].Offset, found[2].Length), "ca\\u0074");
    EXPECT_TRUE(JsonStringsEqual("not json", "cat").empty());
}

TEST(JsonSpans, PrettyJsonPutsEachMemberOnALineAndKeepsStringsAsWritten) {
    EXPECT_EQ(PrettyJson(R"({"a":[1, 2],"b" : "x, {y}: \"z\""})"),
              "{\n  \"a\": [\n    1,\n    2\n  ],\n  \"b\": \"x, {y}: \\\"z\\\"\"\n}");
    // Nesting deeper than sixteen levels is indented as the sixteenth.
    const std::string deep = PrettyJson(std::string(40, '['));
    EXPECT_EQ(deep.size(), 40 + 40 + 2 * (15 * 16 / 2 + 16 * 25));
}

} // namespace
} // namespace tarvo
