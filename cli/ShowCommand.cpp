#include "app/TarvoData.h"
#include "cli/CliTool.h"
#include "params/DatTypes.h"

#include <array>
#include <ostream>

namespace tarvo::cli {

namespace {

std::string ShowRecord(const std::string& path, const TTarvoData& record, bool loaded,
                       const std::string& text) {
    // Each value is asked for once: the prompt is cleaned exactly as GetPrompt(true) does,
    // and the negative prompt is also the values' negative_prompt.
    std::array<std::string, ParamCount> values;
    for (std::size_t i = 0; i < ParamNames.size(); ++i)
        values[i] = record.GetValue(ParamNames[i]);
    static_assert(ParamNames[2] == "negative_prompt");
    const std::string prompt = record.GetPrompt(false);
    nlohmann::ordered_json json = {
        {"path", path},
        {"exists", !record.FilePath.empty()},
        {"size", record.FileSize},
        {"fileKind", record.Graf.FileKind},
        {"loaded", loaded},
        {"hasParams", record.HasParams()},
        {"text", text},
        {"prompt", prompt},
        {"cleanPrompt", prompt.empty() ? prompt : TTarvoData::CleanPrompt(prompt)},
        {"negativePrompt", values[2]},
    };
    nlohmann::ordered_json& valueMap = json["values"] = nlohmann::ordered_json::object();
    for (std::size_t i = 0; i < ParamNames.size(); ++i)
        valueMap[std::string(ParamNames[i])] = values[i];
    return JsonLine(json);
}

} // namespace

int RunShow(const TShowOptions& options, std::ostream& out, std::ostream& err) {
    int status = ExitOk;
    // One viewing record for every file, as the window reuses its own from file to file.
    TTarvoData record(false);
    for (const std::string& path : options.Paths) {
        try {
            const bool loaded = record.Load(path);
            const std::string text = record.GetFullText();
            if (options.Json)
                out << ShowRecord(path, record, loaded, text) << '\n';
            else {
                out << "== " << path << '\n';
                if (loaded) {
                    out << WithLf(text) << '\n';
                    out << "prompt: " << WithLf(record.GetPrompt(true)) << '\n';
                    out << "negative: " << WithLf(record.GetValue("negative_prompt")) << '\n';
                }
            }
            if (!loaded) {
                ReportProblem(out, err, path, ReadProblem(path));
                status = ExitFailed;
            }
        } catch (const std::exception& e) {
            ReportProblem(out, err, path, std::string("failed: ") + e.what());
            status = ExitFailed;
        }
    }
    return status;
}

} // namespace tarvo::cli
