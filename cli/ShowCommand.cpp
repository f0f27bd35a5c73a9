#include "app/FilesObj.h"
#include "app/RecordPool.h"
#include "app/TarvoData.h"
#include "cli/CliTool.h"
#include "params/DatTypes.h"
#include "platform/FileSys.h"
#include "util/MyStrUnit.h"
#include "util/OrderedBatch.h"

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

void JsonRecord(std::string& out, const std::string& path, const TTarvoData& record, bool loaded,
                const std::string& text, const std::string& problem) {
    TJsonWriter json(out);
    json.OpenObject();
    json.Path("path", path);
    json.Key("exists").Bool(!record.FilePath.empty());
    json.Key("size").Number(record.FileSize);
    json.Key("fileKind").Number(record.Graf.FileKind);
    json.Key("format").String(record.Graf.Format);
    json.Key("loaded").Bool(loaded);
    json.Key("hasParams").Bool(record.HasParams());
    json.Key("text").String(text);
    json.Key("prompt").String(record.GetPrompt(false));
    json.Key("cleanPrompt").String(record.GetPrompt(true));
    json.Key("negativePrompt").String(record.GetValue("negative_prompt"));
    json.Key("values").OpenObject();
    for (const std::string_view key : ParamNames)
        json.Key(key).String(record.GetValue(key));
    json.CloseObject();
    json.Key("damagedChunks").OpenArray();
    for (const std::string& type : DamagedChunks(record))
        json.String(type);
    json.CloseArray();
    if (!loaded) json.Key("reason").String(problem);
    json.CloseObject();
    out += '\n';
}

std::string PlainRecord(const std::string& path, TTarvoData& record, bool loaded,
                        const std::string& text) {
    // Another generator's format is named; Tarvo files keep their line as it always was.
    const std::string& format = record.Graf.Format;
    std::string out = "== " + Printable(path) +
                      (format.empty() || format == "tarvo" ? "" : "  [" + format + "]") + '\n';
    // Text that no format claims is shown, though it holds no parameters.
    if (!loaded) return text.empty() ? out : out + Printable(WithLf(text), true) + '\n';
    out += Printable(WithLf(text), true) + '\n';
    out += "prompt: " + Printable(WithLf(record.GetPrompt(true)), true) + '\n';
    out += "negative: " + Printable(WithLf(record.GetValue("negative_prompt")), true) + '\n';
    for (const std::string& type : DamagedChunks(record))
        out += "damaged: the " + Printable(type) +
               " chunk's stored checksum does not match its data; a wipe repairs it\n";
    return out;
}

// Shows files on the option's threads, their records written in the order of the paths:
// several records go out in one write (a whole number of records each time), and a
// folder among the paths stands for its list.
class TShowRun {
public:
    TShowRun(const TShowOptions& options, std::ostream& out, std::ostream& err)
        : FOptions(options), FOut(out), FErr(err), FPool(false) {}

    int Run() {
        Show(FOptions.Paths, false);
        Flush();
        return FStatus;
    }

private:
    struct TShown {
        bool Folder = false; // the path is a folder: its list is shown in its place
        std::string Record;
        std::string Problem; // empty when the file was read
    };

    // listed: the paths come from a folder's list, where a folder is never shown.
    void Show(const std::vector<std::string>& paths, bool listed) {
        RunOrderedOver<TShown>(
            paths, FOptions.Jobs, [&](const std::string& path) { return ShowFile(path, listed); },
            [&](std::size_t i, TShown&& shown) {
                if (shown.Folder) {
                    ShowFolder(paths[i]);
                    return;
                }
                FBatch += shown.Record;
                // Whole records, a few thousand at a time, or at once before a message.
                if (FBatch.size() >= BatchBytes || !shown.Problem.empty()) Flush();
                if (shown.Problem.empty()) return;
                ReportProblem(FOut, FErr, paths[i], shown.Problem);
                FStatus = ExitFailed;
            },
            [] { return StopSignal() != 0; });
    }

    TShown ShowFile(const std::string& path, bool listed) {
        const TRecordPool::TLoan record = FPool.Borrow();
        TShown shown;
        try {
            const TFileCheck check = record->Load(path);
            if (!listed && check.Problem == TFileProblem::Folder) {
                shown.Folder = true;
                return shown;
            }
            const bool loaded = static_cast<bool>(check);
            const std::string text = record->GetFullText();
            if (!loaded) shown.Problem = ProblemText(check, false);
            if (FOptions.Json)
                JsonRecord(shown.Record, path, *record, loaded, text, shown.Problem);
            else
                shown.Record = PlainRecord(path, *record, loaded, text);
        } catch (const std::exception& e) {
            shown.Record.clear();
            shown.Problem = std::string("failed: ") + e.what();
        }
        return shown;
    }

    // The folder's candidate pictures in the list's order.
    void ShowFolder(const std::string& folder) {
        Flush();
        TFilesObj list;
        if (!ListFolder(list, folder, !FOptions.All, FOut, FErr)) {
            FStatus = ExitFailed;
            return;
        }
        Show(list.BatchPaths(), true);
    }

    void Flush() {
        if (FBatch.empty()) return;
        FOut << FBatch;
        FOut.flush();
        FBatch.clear();
    }

    static constexpr std::size_t BatchBytes = 64 * 1024;

    const TShowOptions& FOptions;
    std::ostream& FOut;
    std::ostream& FErr;
    // One viewing record per thread, reused from file to file as the window reuses its own.
    TRecordPool FPool;
    std::string FBatch;
    int FStatus = ExitOk;
};

} // namespace

int RunShow(const TShowOptions& options, std::ostream& out, std::ostream& err) {
    // A file's failure is its own record's; this catches what escapes a folder's listing.
    return Guarded(out, err, [&] {
        TShowRun run(options, out, err);
        return run.Run();
    });
}

} // namespace tarvo::cli
