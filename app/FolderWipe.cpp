#include "app/FolderWipe.h"

#include "app/FilesObj.h"
#include "app/RecordPool.h"
#include "app/TarvoData.h"
#include "params/DatTypes.h"
#include "platform/FileSys.h"
#include "util/OrderedBatch.h"
#include "util/Sp_Procs.h"

#include <string_view>

namespace tarvo {

namespace {

constexpr std::string_view LineBreak = "\r\n";

// The three frames of the single-file messages: an error that cancelled the operation,
// a notice that cancelled it, and a failure that interrupted it.
enum class TFrame { Cancelled, Notice, Interrupted };

TWipeMessage Framed(TFrame frame, std::string_view inner) {
    switch (frame) {
    case TFrame::Cancelled:
        return {"Ошибка! " + std::string(inner) + ". Операция отменена.", TMsgTone::Warning};
    case TFrame::Notice:
        return {"Внимание! " + std::string(inner) + ". Операция отменена.", TMsgTone::Information};
    case TFrame::Interrupted:
        return {"Внимание! " + std::string(inner) + ". Операция прервана.", TMsgTone::Error};
    }
    return {};
}

struct TReportLine {
    std::int64_t TWipeCounters::*Counter; // a plain counter, or null for byCode[Code]
    TWipeCode Code;
    std::string_view Text; // follows the count
    int Weight;
};

// The report's counter lines in the order they are shown.
constexpr TReportLine ReportLines[] = {
    {&TWipeCounters::noData, TWipeCode::Done, " файлов не содержат данных Tarvo Data.", 0},
    {nullptr, TWipeCode::NothingToWipe,
     " файлов не нуждаются в правке (указанны данные в их Tarvo Data не заданы или уже стёрты.", 0},
    {nullptr, TWipeCode::NoFile, " ошибок типа \"файл не найден\".", 1},
    {nullptr, TWipeCode::NotReadable, " ошибок типа \"файл не удалось прочитать\".", 2},
    {nullptr, TWipeCode::CannotOpen, " ошибок типа \"файл не удалось открыть для записи\".", 2},
    {nullptr, TWipeCode::SeekFailed,
     " ошибок типа \"не удалось установить поизицю записи в файле\".", 2},
    {nullptr, TWipeCode::WriteFailed, " критических ошибок типа \"сбой при записи\".", 3},
    {&TWipeCounters::unknown, TWipeCode::Done, " ошибок типа \"неизвестная ошибка\".", 0},
    {&TWipeCounters::withLeftovers, TWipeCode::Done,
     " файлов всё ещё содержат копии стёртых данных в других метаданных.", 2},
};

// A run's settings of the record, put back as they were when the run ends, however it ends:
// no sync per file, and no write through a symbolic link, which anyone who may write the
// folder could point at a file of the user's that the run was never meant to touch.
class TFolderRunSettings {
public:
    explicit TFolderRunSettings(TTarvoData& data)
        : FData(data), FSync(data.SyncEachWrite()), FFollow(data.FollowLinks()) {
        FData.SetSyncEachWrite(false);
        FData.SetFollowLinks(false);
    }
    TFolderRunSettings(const TFolderRunSettings&) = delete;
    TFolderRunSettings& operator=(const TFolderRunSettings&) = delete;
    ~TFolderRunSettings() {
        FData.SetSyncEachWrite(FSync);
        FData.SetFollowLinks(FFollow);
    }

private:
    TTarvoData& FData;
    bool FSync;
    bool FFollow;
};

std::int64_t& Count(TWipeCounters& counters, TWipeCode code) {
    return counters.byCode[static_cast<std::size_t>(code)];
}

void CountCode(TWipeCounters& counters, TWipeCode code) {
    const auto value = static_cast<int>(code);
    if (code == TWipeCode::Done)
        ++counters.fixed;
    else if (value > 0 && value < WipeCodeCount)
        ++Count(counters, code);
    else
        ++counters.unknown;
}

// A file whose write began (successfully or not) has data that only the final sync makes
// durable.
bool AnythingWritten(TWipeCounters& counters) {
    return counters.fixed > 0 || Count(counters, TWipeCode::WriteFailed) > 0;
}

} // namespace

std::string WipeCodeText(TWipeCode code) {
    switch (code) {
    case TWipeCode::NoChoice:
        return "Параметры не заданы";
    case TWipeCode::NoFile:
        return "Файл не найден";
    case TWipeCode::NotReadable:
        return "В файле нет данных Tarvo или не удалось прочитать";
    case TWipeCode::NothingToWipe:
        return "Указанные для стирания данные отсутствуют в файле или уже стёрты";
    case TWipeCode::CannotOpen:
        return "Не удалось открыть файл для записи";
    case TWipeCode::SeekFailed:
        return "Не удалось установить поизицю записи в файле";
    case TWipeCode::WriteFailed:
        return "Сбой при попытке записи в файл";
    case TWipeCode::UnknownFailure:
        return "Неизвестная ошибка";
    case TWipeCode::Done:
    case TWipeCode::Declined:
        break;
    }
    return {};
}

TWipeMessage WipeCodeMessage(TWipeCode code) {
    switch (code) {
    case TWipeCode::NoChoice:
    case TWipeCode::NoFile:
    case TWipeCode::CannotOpen:
    case TWipeCode::SeekFailed:
        return Framed(TFrame::Cancelled, WipeCodeText(code));
    case TWipeCode::NotReadable:
    case TWipeCode::NothingToWipe:
        return Framed(TFrame::Notice, WipeCodeText(code));
    case TWipeCode::WriteFailed:
    case TWipeCode::UnknownFailure:
        return Framed(TFrame::Interrupted, WipeCodeText(code));
    case TWipeCode::Done:
    case TWipeCode::Declined:
        break;
    }
    return {};
}

bool WipeSucceeded(TWipeCode code) {
    switch (code) {
    case TWipeCode::Done:
    case TWipeCode::NothingToWipe:
        return true;
    case TWipeCode::NoChoice:
    case TWipeCode::NoFile:
    case TWipeCode::NotReadable:
    case TWipeCode::Declined:
    case TWipeCode::CannotOpen:
    case TWipeCode::SeekFailed:
    case TWipeCode::WriteFailed:
    case TWipeCode::UnknownFailure:
        break;
    }
    return false;
}

std::string NoCandidatesText() {
    return "В папке не обнаружены файлы для обработки. Требуются файлы типов Jpg/Png в "
           "диапазоне размеров от " +
           FormatSize(MinFileSize, 0) + " до " + FormatSize(MaxFileSize, 0) + ".";
}

TWipeMessage LeftoversMessage(const std::vector<TLeftover>& leftovers) {
    if (leftovers.empty()) return {};
    std::string text = "Внимание! Выбранные данные стёрты, но в файле остались их копии в "
                       "других метаданных:";
    for (const TLeftover& copy : leftovers) {
        text += LineBreak;
        text += copy.Key + " (" + copy.Encoding + ") — " + copy.Container;
        text += copy.Compressed ? " (сжатый текст), блок с байта " : ", байт ";
        text += std::to_string(copy.Offset);
    }
    return {text, TMsgTone::Warning};
}

void RunFolderWipe(TFilesObj& list, TTarvoData& delData, TWipeCounters& counters,
                   const TWipeProgress& progress, const TWipeStop& stop, int jobs) {
    counters = TWipeCounters{};
    counters.total = static_cast<std::int64_t>(list.Names.size());
    counters.dryRun = delData.DryRun;
    try {
        TFolderRunSettings settings(delData);
        delData.Clear();
        // The paths in list order; NextInBatch answers nothing early only when it cannot
        // build a path, and a walk that stopped before the last name is not complete.
        std::vector<std::string> paths;
        list.Position = -1;
        while (std::optional<std::string> path = list.NextInBatch())
            paths.push_back(std::move(*path));
        if (paths.size() < list.Names.size()) {
            counters.completed = false;
            counters.severity = 3;
        }
        // One thread works on delData itself; more borrow records set up like it.
        TRecordPool pool(true, &delData);
        struct TFileResult {
            std::optional<TWipeCode> Code;
            TWipeFindings Findings;
        };
        const auto wipe = [](TTarvoData& record, const std::string& path) {
            TFileResult result;
            if (result.Findings.Problem = record.Load(path); result.Findings.Problem)
                result.Code = record.Wipe(false, &result.Findings);
            return result;
        };
        // Two names of one file are wiped one after the other, as one thread would.
        std::vector<std::uint64_t> files;
        if (jobs > 1)
            for (const std::string& path : paths)
                files.push_back(FileIdentity(path));
        const std::size_t handed = RunOrdered<TFileResult>(
            paths.size(), jobs,
            [&](std::size_t i) {
                if (jobs <= 1) return wipe(delData, paths[i]);
                const TRecordPool::TLoan record = pool.Borrow();
                return wipe(*record, paths[i]);
            },
            [&](std::size_t i, TFileResult&& result) {
                if (!result.Code) {
                    ++counters.noData;
                } else {
                    CountCode(counters, *result.Code);
                    if (!result.Findings.Leftovers.empty()) ++counters.withLeftovers;
                }
                if (progress) progress(paths[i], result.Code, result.Findings);
            },
            stop, files);
        counters.interrupted = handed < paths.size();
    } catch (...) {
        counters.completed = false;
        counters.severity = 3;
    }
    delData.Clear();
    // Files of a run are written without a sync each; one sync of the file system makes
    // them all durable before the report is shown, also after a broken-off run.
    if (!delData.DryRun && AnythingWritten(counters) && !SyncFileSystem(list.Folder)) {
        counters.completed = false;
        counters.severity = 3;
    }
}

TWipeMessage ComposeReport(TWipeCounters& counters) {
    TWipeMessage report;
    std::string& text = report.Text;
    if (!counters.completed) {
        text += "Внимание! Сбой в процессе обработки файлов! Оперция не завершена корректно. ";
        text += LineBreak;
        text += LineBreak;
    }
    text += "Отчёт об операции:";
    text += LineBreak;
    text += std::to_string(counters.fixed) + " из " + std::to_string(counters.total) +
            (counters.dryRun ? " файлов будет исправлено (пробный прогон: файлы не изменены)."
                             : " файлов успешно исправлено.");
    for (const TReportLine& line : ReportLines) {
        const std::int64_t count =
            line.Counter != nullptr ? counters.*line.Counter : Count(counters, line.Code);
        if (count <= 0) continue;
        text += LineBreak;
        text += std::to_string(count);
        text += line.Text;
        if (line.Weight > counters.severity) counters.severity = line.Weight;
    }
    report.Tone = counters.severity >= 3   ? TMsgTone::Error
                  : counters.severity == 2 ? TMsgTone::Warning
                                           : TMsgTone::Information;
    return report;
}

} // namespace tarvo
