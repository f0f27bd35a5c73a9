#include "app/FilesObj.h"
#include "app/RecordPool.h"
#include "app/TarvoData.h"
#include "cli/CliTool.h"
#include "params/DatTypes.h"
#include "platform/FileSys.h"
#include "util/MyStrUnit.h"
#include "util/OrderedBatch.h"

#include <boost/json/array.hpp>

#include <optional>
#include <ostream>
#include <utility>

namespace tarvo::cli {

namespace {

// The parameter chunks whose stored CRC does not match their data.
std::vector<std::string> DamagedChunks(const TTarvoData& record) {
    std::vector<std::string> types;
    for (const TMyGrafItem* block : {&record.Graf.FirstBlock, &record.Graf.SecondBlock})
        if (block->HasParams() && block->CrcDamaged)
            types.emplace_back(block->ChunkType.data(), block->ChunkType.size());
    return types;
}

std::string JsonRecord(const std::string& path, const TTarvoData& record, bool loaded,
                       const std::string& text, const std::string& problem) {
    TJsonRecord values;
    for (const std::string_view key : ParamNames)
        values[key] = JsonText(record.GetValue(key));
    const std::string prompt = record.GetPrompt(false);
    TJsonRecord json;
    PutPath(json, "path", path);
    json["exists"] = !record.FilePath.empty();
    json["size"] = record.FileSize;
    json["fileKind"] = static_cast<int>(record.Graf.FileKind);
    json["loaded"] = loaded;
    json["hasParams"] = record.HasParams();
    json["text"] = JsonText(text);
    json["prompt"] = JsonText(prompt);
    json["cleanPrompt"] = JsonText(prompt.empty() ? prompt : TTarvoData::CleanPrompt(prompt));
    json["negativePrompt"] = values["negative_prompt"];
    json["values"] = std::move(values);
    boost::json::array damaged;
    for (const std::string& type : DamagedChunks(record))
        damaged.push_back(JsonText(type));
    json["damagedChunks"] = std::move(damaged);
    if (!loaded) json["reason"] = JsonText(problem);
    return JsonLine(json) + '\n';
}

std::string PlainRecord(const std::string& path, TTarvoData& record, bool loaded,
                        const std::string& text) {
    std::string out = "== " + Printable(path) + '\n';
    if (!loaded) return out;
    out += Printable(WithLf(text), true) + '\n';
    out += "prompt: " + Printable(WithLf(record.GetPrompt(true)), true) + '\n';
    out += "negative: " + Printable(WithLf(record.GetValue("negative_prompt")), true) + '\n';
    for (const std::string& type : DamagedChunks(record))
        out += "damaged: the " + Printable(type) +
               " chunk's stored checksum does not match its data; a wipe repairs it\n";
    return out;
}

} // namespace

int RunShow(const TShowOptions& options, std::ostream& out, std::ostream& err) {
    int status = ExitOk;
    // The files to show: each path given, a folder's candidate pictures in the list's order.
    std::vector<std::string> paths;
    for (const std::string& path : options.Paths) {
        if (!DirExists(path)) {
            paths.push_back(path);
            continue;
        }
        if (const std::string problem = FolderProblem(path); !problem.empty()) {
            ReportProblem(out, err, path, problem);
            status = ExitFailed;
            continue;
        }
        TFilesObj list;
        list.TarvoFilter = !options.All;
        list.Fill(path);
        list.Position = -1;
        while (std::optional<std::string> file = list.NextInBatch())
            paths.push_back(std::move(*file));
    }
    struct TShown {
        std::string Record;
        std::string Problem; // empty when the file was read
    };
    // One viewing record per thread, reused from file to file as the window reuses its own.
    TRecordPool pool(false, false, true);
    RunOrdered<TShown>(
        paths.size(), options.Jobs,
        [&](std::size_t i) {
            const TRecordPool::TLoan record = pool.Borrow();
            const std::string& path = paths[i];
            TShown shown;
            try {
                const TFileCheck check = record->Load(path);
                const bool loaded = static_cast<bool>(check);
                std::string text = record->GetFullText();
                if (!loaded) shown.Problem = ProblemText(check, false);
                shown.Record =
                    options.Json ? JsonRecord(path, *record, loaded, std::move(text), shown.Problem)
                                 : PlainRecord(path, *record, loaded, text);
            } catch (const std::exception& e) {
                shown.Record.clear();
                shown.Problem = std::string("failed: ") + e.what();
            }
            return shown;
        },
        [&](std::size_t i, TShown&& shown) {
            out << shown.Record;
            out.flush();
            if (shown.Problem.empty()) return;
            ReportProblem(out, err, paths[i], shown.Problem);
            status = ExitFailed;
        },
        [] { return StopSignal() != 0; });
    return status;
}

} // namespace tarvo::cli
