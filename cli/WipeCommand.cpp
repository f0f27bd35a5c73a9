#include "app/FilesObj.h"
#include "app/FolderWipe.h"
#include "app/RecordPool.h"
#include "app/TarvoData.h"
#include "cli/CliTool.h"
#include "params/DatTypes.h"
#include "platform/FileSys.h"
#include "util/MyStrUnit.h"
#include "util/OrderedBatch.h"

#include <unistd.h>

#include <optional>
#include <ostream>

namespace tarvo::cli {

namespace {

// A file's outcome: Wipe's code, or none for a folder file whose Load failed (counted as
// without data); printed as the code's number, -1 for none.
using TOutcome = std::optional<TWipeCode>;

int Number(TOutcome code) {
    return code ? static_cast<int>(*code) : -1;
}

std::string Meaning(TOutcome code, bool dryRun) {
    if (!code) return "Файл не содержит данных Tarvo Data";
    switch (*code) {
    case TWipeCode::Done:
        return dryRun ? "Файл будет исправлен" : "Файл успешно исправлен";
    case TWipeCode::Declined:
        return "Операция отменена";
    default:
        return WipeCodeText(*code);
    }
}

// Why a file failed, for the message on standard error and the JSON record; empty when it
// did not fail.
std::string Problem(TOutcome code, const TWipeFindings& findings) {
    if (!code) return ProblemText(findings.Problem, false);
    switch (*code) {
    case TWipeCode::NoFile:
    case TWipeCode::NotReadable:
        return ProblemText(findings.Problem, false);
    case TWipeCode::CannotOpen:
        return ProblemText(findings.Problem, true);
    default:
        return WipeSucceeded(*code) ? std::string() : Meaning(code, false);
    }
}

void LeftoverJson(TJsonWriter& json, const TLeftover& copy) {
    json.OpenObject();
    json.Key("key").String(copy.Key);
    json.Key("encoding").String(copy.Encoding);
    json.Key("container").String(copy.Container);
    json.Key("offset").Number(copy.Offset);
    json.Key("compressed").Bool(copy.Compressed);
    json.CloseObject();
}

std::string LeftoverLine(const TLeftover& copy) {
    const std::string place = copy.Compressed ? "in the compressed text of the " +
                                                    Printable(copy.Container) + " chunk at byte "
                                              : "in " + Printable(copy.Container) + " at byte ";
    return "\tleftover: " + copy.Key + " as " + copy.Encoding + " " + place +
           std::to_string(copy.Offset) + "\n";
}

// What cut a leftover search short, as the JSON record and the plain line say it; empty for
// a search that went through the whole file.
std::string SearchEndText(TSearchEnd end) {
    switch (end) {
    case TSearchEnd::Complete:
        break;
    case TSearchEnd::InflateLimit:
        return "inflate limit";
    case TSearchEnd::Stopped:
        return "stopped by a signal";
    case TSearchEnd::FileChanged:
        return "file changed size";
    }
    return {};
}

class TWipeRun {
public:
    TWipeRun(const TWipeOptions& options, std::ostream& out, std::ostream& err)
        : FOptions(options), FOut(out), FErr(err), FDelData(true),
          FOutIsTerminal(isatty(STDOUT_FILENO) == 1) {
        FDelData.DryRun = options.DryRun;
        FDelData.SetSearchStop([] { return StopSignal() != 0; });
    }

    int Run() {
        if (FOptions.DryRun && !FOptions.Json)
            FOut << "Dry run: every file is read and marked, none is written.\n" << std::flush;
        // Files given one by one are wiped as a batch up to the next folder.
        std::vector<std::string> files;
        for (const std::string& path : FOptions.Paths) {
            if (!DirExists(path)) {
                files.push_back(path);
                continue;
            }
            WipeFiles(files);
            files.clear();
            if (StopSignal() != 0) break;
            WipeFolder(path);
        }
        WipeFiles(files);
        if (FOptions.DryRun) {
            if (FOptions.Json)
                FErr << "tarvo-params: dry run: no file was written\n";
            else
                FOut << "Dry run: no file was written.\n" << std::flush;
        }
        return FStatus;
    }

private:
    // Each file with a sync of its own, its record in the given order.
    void WipeFiles(const std::vector<std::string>& paths) {
        struct TWiped {
            TWipeCode Code = TWipeCode::UnknownFailure;
            TWipeFindings Findings;
        };
        TRecordPool pool(true, &FDelData);
        RunOrderedOver<TWiped>(
            paths, FOptions.Jobs,
            [&](const std::string& path) {
                const TRecordPool::TLoan record = pool.Borrow();
                record->FilePath = path;
                TWiped wiped;
                wiped.Code = record->Wipe(false, &wiped.Findings);
                return wiped;
            },
            [&](std::size_t i, TWiped&& wiped) {
                FileRecord(paths[i], wiped.Code, wiped.Findings, true);
            },
            [] { return StopSignal() != 0; }, FileIdentity);
    }

    // The file's record on standard output; a file given alone also gets its problem on
    // standard error (a folder's problems are counted by its report).
    void FileRecord(const std::string& path, TOutcome code, const TWipeFindings& findings,
                    bool alone) {
        const std::string problem = Problem(code, findings);
        const bool written = code == TWipeCode::Done && !FOptions.DryRun;
        if (FOptions.Json) {
            std::string line;
            TJsonWriter json(line);
            json.OpenObject();
            json.Path("path", path);
            json.Key("code").Number(Number(code));
            if (!problem.empty()) json.Key("reason").String(problem);
            if (written) {
                json.Key("repaired").OpenArray();
                for (const std::string& type : findings.Repaired)
                    json.String(type);
                json.CloseArray();
                json.Key("leftovers").OpenArray();
                for (const TLeftover& copy : findings.Leftovers)
                    LeftoverJson(json, copy);
                json.CloseArray();
                const std::string searchEnd = SearchEndText(findings.LeftoverSearch);
                json.Key("searchComplete").Bool(searchEnd.empty());
                if (!searchEnd.empty()) json.Key("searchStoppedBy").String(searchEnd);
            }
            json.CloseObject();
            FOut << line << '\n';
        } else {
            std::string lines = std::to_string(Number(code)) + '\t' + Printable(path) + '\t' +
                                Meaning(code, FOptions.DryRun) + '\n';
            // The meaning of a code may read as if the file held no data, or could not be
            // opened at all; a lock or a link is why.
            if (findings.Problem.Problem == TFileProblem::Locked ||
                findings.Problem.Problem == TFileProblem::Link ||
                findings.Problem.Problem == TFileProblem::Compressed)
                lines += "\treason: " + problem + '\n';
            for (const std::string& type : findings.Repaired)
                lines += "\trepaired: the " + Printable(type) +
                         " chunk's checksum did not match its data; it was rewritten\n";
            for (const TLeftover& copy : findings.Leftovers)
                lines += LeftoverLine(copy);
            if (const std::string searchEnd = SearchEndText(findings.LeftoverSearch);
                written && !searchEnd.empty())
                lines += "\tsearch incomplete: " + searchEnd +
                         "; the rest of the file was not searched for copies\n";
            FOut << lines;
        }
        FOut.flush();
        if (problem.empty()) return;
        if (alone) ReportProblem(FOut, FErr, path, problem);
        FStatus = ExitFailed;
    }

    void WipeFolder(const std::string& folder) {
        TFilesObj list;
        if (!ListFolder(list, folder, !FOptions.Unfiltered, FOut, FErr)) {
            FStatus = ExitFailed;
            return;
        }
        TWipeCounters counters;
        if (list.Names.empty()) {
            ReportProblem(FOut, FErr, folder, NoCandidatesText());
            counters.total = 0;
            FolderLines(folder, counters);
            return;
        }
        {
            TProgressLine progress(static_cast<std::int64_t>(list.Names.size()));
            RunFolderWipe(
                list, FDelData, counters,
                [&](const std::string& path, TOutcome code, const TWipeFindings& findings) {
                    if (FOutIsTerminal) progress.Hide();
                    FileRecord(path, code, findings, false);
                    progress.Advance();
                },
                [] { return StopSignal() != 0; }, FOptions.Jobs);
        }
        FolderLines(folder, counters);
        if (!counters.completed) {
            ReportProblem(FOut, FErr, folder,
                          "the run was broken off by a failure; the counts cover the files "
                          "processed until then");
            FStatus = ExitFailed;
        }
        if (counters.interrupted)
            ReportProblem(FOut, FErr, folder,
                          "stopped by a signal after the file in progress; the report counts "
                          "the files processed until then");
    }

    void FolderLines(const std::string& folder, TWipeCounters& counters) {
        if (FOptions.Json) {
            std::string line;
            TJsonWriter json(line);
            json.OpenObject();
            json.Path("folder", folder);
            json.Key("total").Number(counters.total);
            json.Key("fixed").Number(counters.fixed);
            json.Key("noData").Number(counters.noData);
            json.Key("byCode").OpenObject();
            for (const TWipeCode code :
                 {TWipeCode::NoFile, TWipeCode::NotReadable, TWipeCode::NothingToWipe,
                  TWipeCode::CannotOpen, TWipeCode::SeekFailed, TWipeCode::WriteFailed})
                json.Key(std::to_string(Number(code)))
                    .Number(counters.byCode[static_cast<std::size_t>(code)]);
            json.CloseObject();
            json.Key("unknown").Number(counters.unknown);
            if (counters.withLeftovers > 0)
                json.Key("withLeftovers").Number(counters.withLeftovers);
            if (counters.interrupted) json.Key("interrupted").Bool(true);
            json.CloseObject();
            FOut << line << '\n';
            FOut.flush();
            return;
        }
        if (counters.total <= 0) return;
        FOut << "== " + Printable(folder) + '\n' + WithLf(ComposeReport(counters).Text) + '\n';
        FOut.flush();
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
    return Guarded(out, err, [&] {
        TWipeRun run(options, out, err);
        return run.Run();
    });
}

} // namespace tarvo::cli
