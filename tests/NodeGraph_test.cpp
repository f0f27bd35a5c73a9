// Following a saved node graph from its sampler to the prompt texts, and finding the same
// values in the editor's workflow.
#include "params/NodeGraph.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvo {
namespace {

TEST(NodeGraph, FollowsTheSamplersLinksToTheTextNodes) {
    const struct {
        const char* Note;
        const char* Json;
        const char* Positive; // empty: no graph found
        const char* Negative;
        const char* Seed;
    } cases[] = {
        {"direct links, noise_seed",
         R"({"1": {"inputs": {"text": "p"}}, "2": {"inputs": {"text": "n"}},
             "3": {"inputs": {"noise_seed": 5, "positive": ["1", 0], "negative": ["2", 0]}}})",
         "1", "2", "noise_seed"},
        {"through a pass-through node, seed from a link",
         R"({"9": {"inputs": {"seed": ["4", 0], "positive": ["5", 0], "negative": ["2", 0]}},
             "5": {"inputs": {"strength": 1, "conditioning": ["1", 0]}},
             "1": {"inputs": {"text": "p"}}, "2": {"inputs": {"text": "n"}}})",
         "1", "2", ""},
        {"a cycle without text", R"({"3": {"inputs": {"positive": ["4", 0], "negative": ["4", 0]}},
             "4": {"inputs": {"conditioning": ["4", 0]}}})",
         "", "", ""},
        {"no sampler", R"({"1": {"inputs": {"text": "p"}}})", "", "", ""},
        {"not a graph", R"(["1", 2])", "", "", ""},
    };
    for (const auto& c : cases) {
        const std::optional<TGraphNodes> nodes = FindGraphNodes(c.Json);
        ASSERT_EQ(nodes.has_value(), *c.Positive != '\0') << c.Note;
        if (!nodes) continue;
        EXPECT_EQ(nodes->Positive, c.Positive) << c.Note;
        EXPECT_EQ(nodes->Negative, c.Negative) << c.Note;
        EXPECT_EQ(nodes->SeedInput, c.Seed) << c.Note;
    }
}

TEST(NodeGraph, FindsTheSameValueInTheWorkflowNode) {
    const std::string workflow = R"({"nodes": [{"id": 3, "widgets_values": [42, "fixed", "a cat"]},
                                               {"id": "4", "widgets_values": ["a cat"]}]})";
    TJsonValue text;
    text.Text = "a cat";
    TJsonValue seed;
    seed.Text = "42";
    seed.Number = true;
    const std::optional<TJsonValue> inThree = WorkflowCopy(workflow, "3", text);
    ASSERT_TRUE(inThree);
    EXPECT_EQ(workflow.substr(inThree->Span.Offset - 1, 7), "\"a cat\"");
    EXPECT_TRUE(WorkflowCopy(workflow, "4", text));
    ASSERT_TRUE(WorkflowCopy(workflow, "3", seed));
    EXPECT_FALSE(WorkflowCopy(workflow, "4", seed));
    EXPECT_FALSE(WorkflowCopy(workflow, "5", text));
    EXPECT_FALSE(WorkflowCopy("[]", "3", text));
}

} // namespace
} // namespace tarvo
