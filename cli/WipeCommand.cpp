#include "app/FilesObj.h"
#include "app/FolderWipe.h"
#include "app/TarvoData.h"
#include "cli/CliTool.h"
#include "params/DatTypes.h"
#include "platform/FileSys.h"
#include "util/Sp_Procs.h"

#include <unistd.h>

#include <ostream>

namespace tarvo::cli {

namespace {

// A folder file whose Load failed; counted as without data.
constexpr int LoadFailed = -1;

// Codes 0 and 4 leave nothing to do; every other outcome is a failed file.
bool Succeeded(int code) {
    return code == 0 || code == 4;
}

std::string Meaning(int code, bool dryRun) {
    switch (code) {
    case LoadFailed:
        return "Файл не содержит данных Tarvo Data";
    case 0:
        return dryRun ? "Файл будет исправлен" : "Файл успешно исправлен";
    case 5:
        return "Операция отменена";
    default: {
        const std::string text = WipeCodeText(code);
        return text.empty() ? "Неизвестная ошибка" : text;
    }
    }
}

// Why a file failed, for the message on standard error.
std::string Problem(const std::string& path, int code) {
    switch (code) {
    case 2:
    case 3:
    case LoadFailed:
        return ReadProblem(path);
    case 6:
        return WriteProblem(path);
    default:
        return Meaning(code, false);
    }
}

class TWipeRun {
public:
    TWipeRun(const TWipeOptions& options, std::ostream& out, std::ostream& err)
        : FOptions(options), FOut(out), FErr(err), FDelData(true),
          FOutIsTerminal(isatty(STDOUT_FILENO) == 1) {
        FDelData.DryRun = options.DryRun;
    }

    int Run() {
        if (FOptions.DryRun && !FOptions.Json)
            FOut << "Dry run: every file is read and marked, none is written.\n";
        for (const std::string& path : FOptions.Paths) {
            try {
                if (DirExists(path))
                    WipeFolder(path);
                else
                    WipeFile(path);
            } catch (const std::exception& e) {
                ReportProblem(FOut, FErr, path, std::string("failed: ") + e.what());
                FStatus = ExitFailed;
            }
        }
        if (FOptions.DryRun) {
            if (FOptions.Json)
                FErr << "tarvo-params: dry run: no file was written\n";
            else
                FOut << "Dry run: no file was written.\n";
        }
        return FStatus;
    }

private:
    void WipeFile(const std::string& path) {
        FDelData.Clear();
        FDelData.FilePath = path;
        const int code = static_cast<int>(FDelData.Wipe(false));
        FDelData.Clear();
        FileLine(path, code);
        if (!Succeeded(code)) {
            ReportProblem(FOut, FErr, path, Problem(path, code));
            FStatus = ExitFailed;
        }
    }

    void FileLine(const std::string& path, int code) {
        if (FOptions.Json) {
            nlohmann::ordered_json line;
            line["path"] = path;
            line["code"] = code;
            FOut << JsonLine(line) << '\n';
        } else
            FOut << code << '\t' << path << '\t' << Meaning(code, FOptions.DryRun) << '\n';
    }

    void WipeFolder(const std::string& folder) {
        if (const std::string problem = FolderProblem(folder); !problem.empty()) {
            ReportProblem(FOut, FErr, folder, problem);
            FStatus = ExitFailed;
            return;
        }
        TFilesObj list;
        list.TarvoFilter = true;
        list.Fill(folder);
        TWipeCounters counters;
        if (list.Names.empty()) {
            ReportProblem(FOut, FErr, folder,
                          "В папке не обнаружены файлы для обработки. Требуются файлы типов "
                          "Jpg/Png в диапазоне размеров от " +
                              FormatSize(MinFileSize, 0) + " до " + FormatSize(MaxFileSize, 0) +
                              ".");
            counters.total = 0;
            FolderLines(folder, counters);
            return;
        }
        bool anyFailed = false;
        {
            TProgressLine progress(static_cast<std::int64_t>(list.Names.size()));
            RunFolderWipe(list, FDelData, counters, [&](const std::string& path, int code) {
                if (FOutIsTerminal) progress.Hide();
                FileLine(path, code);
                if (FOutIsTerminal) FOut.flush();
                if (!Succeeded(code)) anyFailed = true;
                progress.Advance();
            });
        }
        FolderLines(folder, counters);
        if (!counters.completed)
            ReportProblem(FOut, FErr, folder,
                          "the run was broken off by a failure; the counts cover the files "
                          "processed until then");
        if (anyFailed || !counters.completed) FStatus = ExitFailed;
    }

    void FolderLines(const std::string& folder, TWipeCounters& counters) {
        if (FOptions.Json) {
            nlohmann::ordered_json byCode = nlohmann::ordered_json::object();
            for (int code : {2, 3, 4, 6, 7, 8})
                byCode[std::to_string(code)] = counters.byCode[static_cast<std::size_t>(code)];
            nlohmann::ordered_json line;
            line["folder"] = folder;
            line["total"] = counters.total;
            line["fixed"] = counters.fixed;
            line["noData"] = counters.noData;
            line["byCode"] = std::move(byCode);
            line["unknown"] = counters.unknown;
            FOut << JsonLine(line) << '\n';
            return;
        }
        if (counters.total <= 0) return;
        FOut << "== " << folder << '\n' << WithLf(ComposeReport(counters).Text) << '\n';
    }

    const TWipeOptions& FOptions;
    std::ostream& FOut;
    std::ostream& FErr;
    TTarvoData FDelData;
    bool FOutIsTerminal;
    int FStatus = ExitOk;
};

} // namespace

int RunWipe(const TWipeOptions& options, std::ostream& out, std::ostream& err) {
    ParJobId = options.JobId;
    ParPrompt = options.Prompt;
    ParNegPrompt = options.NegPrompt;
    ParSeed = options.Seed;
    try {
        TWipeRun run(options, out, err);
        return run.Run();
    } catch (const std::exception& e) {
        out.flush();
        err << "tarvo-params: failed: " << e.what() << '\n';
        return ExitFailed;
    }
}

} // namespace tarvo::cli
