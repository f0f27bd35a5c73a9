#include "params/NodeGraph.h"

#include <simdjson.h>

namespace tarvo {

namespace {

constexpr int MaxSteps = 16;

// The node id a link input ([id, output]) points at; empty when input is no link.
std::string LinkTarget(simdjson::dom::element input) {
    simdjson::dom::array link;
    std::string_view id;
    if (input.get_array().get(link) != simdjson::SUCCESS || link.size() != 2 ||
        link.at(0).get_string().get(id) != simdjson::SUCCESS)
        return {};
    return std::string(id);
}

// From node id, through nodes without a text input, to one with a string "text" input.
std::string TextNode(simdjson::dom::object nodes, std::string id) {
    for (int step = 0; step < MaxSteps && !id.empty(); ++step) {
        simdjson::dom::object inputs;
        if (nodes[id]["inputs"].get_object().get(inputs) != simdjson::SUCCESS) return {};
        std::string_view text;
        if (inputs["text"].get_string().get(text) == simdjson::SUCCESS) return id;
        std::string next;
        for (const auto field : inputs) {
            next = LinkTarget(field.value);
            if (!next.empty()) break;
        }
        id = std::move(next);
    }
    return {};
}

} // namespace

std::optional<TGraphNodes> FindGraphNodes(std::string_view json) {
    simdjson::dom::parser parser;
    simdjson::dom::object nodes;
    if (parser.parse(json.data(), json.size()).get_object().get(nodes) != simdjson::SUCCESS)
        return std::nullopt;
    for (const auto field : nodes) {
        simdjson::dom::object inputs;
        if (field.value["inputs"].get_object().get(inputs) != simdjson::SUCCESS) continue;
        simdjson::dom::element positive;
        simdjson::dom::element negative;
        if (inputs["positive"].get(positive) != simdjson::SUCCESS ||
            inputs["negative"].get(negative) != simdjson::SUCCESS)
            continue;
        TGraphNodes found;
        found.Positive = TextNode(nodes, LinkTarget(positive));
        if (found.Positive.empty()) continue;
        found.Negative = TextNode(nodes, LinkTarget(negative));
        found.Sampler = std::string(field.key);
        for (const char* name : {"seed", "noise_seed"}) {
            simdjson::dom::element seed;
            if (inputs[name].get(seed) == simdjson::SUCCESS && seed.is_number()) {
                found.SeedInput = name;
                break;
            }
        }
        return found;
    }
    return std::nullopt;
}

std::optional<TJsonValue> WorkflowCopy(std::string_view workflow, std::string_view nodeId,
                                       const TJsonValue& value) {
    simdjson::dom::parser parser;
    simdjson::dom::array nodes;
    if (parser.parse(workflow.data(), workflow.size())["nodes"].get_array().get(nodes) !=
        simdjson::SUCCESS)
        return std::nullopt;
    std::size_t k = 0;
    for (const simdjson::dom::element node : nodes) {
        // Editor node ids are numbers; the prompt graph names them as strings.
        std::int64_t number = 0;
        std::string_view text;
        const bool same =
            (node["id"].get_int64().get(number) == simdjson::SUCCESS &&
             std::to_string(number) == nodeId) ||
            (node["id"].get_string().get(text) == simdjson::SUCCESS && text == nodeId);
        simdjson::dom::array widgets;
        if (same && node["widgets_values"].get_array().get(widgets) == simdjson::SUCCESS) {
            for (std::size_t j = 0; j < widgets.size(); ++j) {
                const std::optional<TJsonValue> copy =
                    JsonMember(workflow, {"nodes", k, "widgets_values", j});
                if (copy && copy->Number == value.Number && copy->Text == value.Text) return copy;
            }
        }
        ++k;
    }
    return std::nullopt;
}

} // namespace tarvo
