#include "app/TarvoData.h"
#include "cli/CliTool.h"
#include "params/DatTypes.h"

#include <ostream>
#include <utility>

namespace tarvo::cli {

namespace {

std::string ShowRecord(const std::string& path, const TTarvoData& record, bool loaded,
                       std::string text) {
    using TJson = nlohmann::ordered_json;
    // Members are moved in, in their documented order; the JSON object is the record's
    // only copy of its texts.
    TJson values = TJson::object();
    for (const std::string_view key : ParamNames)
        values[std::string(key)] = record.GetValue(key);
    std::string prompt = record.GetPrompt(false);
    std::string cleanPrompt = prompt.empty() ? prompt : TTarvoData::CleanPrompt(prompt);
    TJson json = TJson::object();
    json["path"] = path;
    json["exists"] = !record.FilePath.empty();
    json["size"] = record.FileSize;
    json["fileKind"] = record.Graf.FileKind;
    json["loaded"] = loaded;
    json["hasParams"] = record.HasParams();
    json["text"] = std::move(text);
    json["prompt"] = std::move(prompt);
    json["cleanPrompt"] = std::move(cleanPrompt);
    json["negativePrompt"] = values["negative_prompt"];
    json["values"] = std::move(values);
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
            std::string text = record.GetFullText();
            if (options.Json)
                out << ShowRecord(path, record, loaded, std::move(text)) << '\n';
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
