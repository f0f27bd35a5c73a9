// The node graphs that ComfyUI-like generators save in a PNG: the "prompt" chunk's nodes by
// id ({"3": {"class_type": "KSampler", "inputs": {"seed": 5, "positive": ["6", 0], ...}}})
// and the "workflow" chunk's editor nodes ({"nodes": [{"id": 6, "widgets_values": [...]}]}).
#pragma once

#include "params/JsonSpans.h"

#include <optional>
#include <string>
#include <string_view>

namespace tarvo {

// Node ids of a prompt graph, as its member names.
struct TGraphNodes {
    std::string Positive;  // the text-encoder node whose inputs.text is the prompt
    std::string Negative;  // and the negative prompt; empty when there is none
    std::string Sampler;   // the sampler node, whose SeedInput holds the seed
    std::string SeedInput; // "seed" or "noise_seed"; empty when the seed is no number
};

// The first sampler node in the graph (one whose inputs "positive" and "negative" link to
// other nodes), and the nodes with a text input its links lead to, through nodes without a
// text of their own (at most 16 steps). Nothing when json holds no such graph.
std::optional<TGraphNodes> FindGraphNodes(std::string_view json);

// The element of the workflow node nodeId's widgets_values that holds the same value (the
// same string, or the same number as written); nothing when there is none.
std::optional<TJsonValue> WorkflowCopy(std::string_view workflow, std::string_view nodeId,
                                       const TJsonValue& value);

} // namespace tarvo
