#include "app/FolderWipe.h"

#include "app/FilesObj.h"
#include "app/RecordPool.h"
#include "app/TarvoData.h"
#include "app/Texts.h"
#include "params/DatTypes.h"
#include "platform/FileSys.h"
#include "util/OrderedBatch.h"

#include <string_view>

namespace tarvo {

namespace {

constexpr std::string_view LineBreak = "\r\n";

constexpr const char* Context = "FolderWipe";

// The three frames of the single-file messages: an error that cancelled the operation,
// a notice that cancelled it, and a failure that interrupted it.
enum class TFrame { Cancelled, Notice, Interrupted };

TWipeMessage Framed(TFrame frame, std::string_view inner, TTranslate translate) {
    const auto framed = [&](const char* text, TMsgTone tone) {
        return TWipeMessage{Arg(Tr(translate, Context, text), {inner}), tone};
    };
    switch (frame) {
    case TFrame::Cancelled:
        return framed(QT_TRANSLATE_NOOP("FolderWipe", "Ошибка! %1. Операция отменена."),
                      TMsgTone::Warning);
    case TFrame::Notice:
        return framed(QT_TRANSLATE_NOOP("FolderWipe", "Внимание! %1. Операция отменена."),
                      TMsgTone::Information);
    case TFrame::Interrupted:
        return framed(QT_TRANSLATE_NOOP("FolderWipe", "Внимание! %1. Операция прервана."),
                      TMsgTone::Error);
    }
    return {};
}

struct TReportLine {
    std::int64_t TWipeCounters::*Counter; // a plain counter, or null for byCode[Code]
    TWipeCode Code;
    const char* Text; // "%n" stands for the count
    int Weight;
};

// The report's counter lines in the order they are shown.
constexpr TReportLine ReportLines[] = {
    {&TWipeCounters::noData, TWipeCode::Done,
     QT_TRANSLATE_N_NOOP("FolderWipe", "%n файлов не содержат данных Tarvo Data."), 0},
    {nullptr, TWipeCode::NothingToWipe,
     QT_TRANSLATE_N_NOOP("FolderWipe", "%n файлов не нуждаются в правке (указанны данные в их "
                                       "Tarvo Data не заданы или уже стёрты."),
     0},
    {nullptr, TWipeCode::NoFile,
     QT_TRANSLATE_N_NOOP("FolderWipe", "%n ошибок типа \"файл не найден\"."), 1},
    {nullptr, TWipeCode::NotReadable,
     QT_TRANSLATE_N_NOOP("FolderWipe", "%n ошибок типа \"файл не удалось прочитать\"."), 2},
    {nullptr, TWipeCode::CannotOpen,
     QT_TRANSLATE_N_NOOP("FolderWipe", "%n ошибок типа \"файл не удалось открыть для записи\"."),
     2},
    {nullptr, TWipeCode::SeekFailed,
     QT_TRANSLATE_N_NOOP("FolderWipe",
                         "%n ошибок типа \"не удалось установить поизицю записи в файле\"."),
     2},
    {nullptr, TWipeCode::WriteFailed,
     QT_TRANSLATE_N_NOOP("FolderWipe", "%n критических ошибок типа \"сбой при записи\"."), 3},
    {&TWipeCounters::unknown, TWipeCode::Done,
     QT_TRANSLATE_N_NOOP("FolderWipe", "%n ошибок типа \"неизвестная ошибка\"."), 0},
    {&TWipeCounters::withLeftovers, TWipeCode::Done,
     QT_TRANSLATE_N_NOOP("FolderWipe",
                         "%n файлов всё ещё содержат копии стёртых данных в других метаданных."),
     2},
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

std::string WipeCodeText(TWipeCode code, TTranslate translate) {
    const auto text = [&](const char* source) { return Tr(translate, Context, source); };
    switch (code) {
    case TWipeCode::NoChoice:
        return text(QT_TRANSLATE_NOOP("FolderWipe", "Параметры не заданы"));
    case TWipeCode::NoFile:
        return text(QT_TRANSLATE_NOOP("FolderWipe", "Файл не найден"));
    case TWipeCode::NotReadable:
        return text(
            QT_TRANSLATE_NOOP("FolderWipe", "В файле нет данных Tarvo или не удалось прочитать"));
    case TWipeCode::NothingToWipe:
        return text(QT_TRANSLATE_NOOP(
            "FolderWipe", "Указанные для стирания данные отсутствуют в файле или уже стёрты"));
    case TWipeCode::CannotOpen:
        return text(QT_TRANSLATE_NOOP("FolderWipe", "Не удалось открыть файл для записи"));
    case TWipeCode::SeekFailed:
        return text(
            QT_TRANSLATE_NOOP("FolderWipe", "Не удалось установить поизицю записи в файле"));
    case TWipeCode::WriteFailed:
        return text(QT_TRANSLATE_NOOP("FolderWipe", "Сбой при попытке записи в файл"));
    case TWipeCode::UnknownFailure:
        return text(QT_TRANSLATE_NOOP("FolderWipe", "Неизвестная ошибка"));
    case TWipeCode::Done:
    case TWipeCode::Declined:
        break;
    }
    return {};
}

TWipeMessage WipeCodeMessage(TWipeCode code, TTranslate translate) {
    switch (code) {
    case TWipeCode::NoChoice:
    case TWipeCode::NoFile:
    case TWipeCode::CannotOpen:
    case TWipeCode::SeekFailed:
        return Framed(TFrame::Cancelled, WipeCodeText(code, translate), translate);
    case TWipeCode::NotReadable:
    case TWipeCode::NothingToWipe:
        return Framed(TFrame::Notice, WipeCodeText(code, translate), translate);
    case TWipeCode::WriteFailed:
    case TWipeCode::UnknownFailure:
        return Framed(TFrame::Interrupted, WipeCodeText(code, translate), translate);
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

std::string NoCandidatesText(TTranslate translate) {
    return Arg(Tr(translate, Context,
                  QT_TRANSLATE_NOOP("FolderWipe",
                                    "В папке не обнаружены файлы для обработки. Требуются файлы "
                                    "типов Jpg/Png в диапазоне размеров от %1 до %2.")),
               {SizeText(MinFileSize, 0, translate), SizeText(MaxFileSize, 0, translate)});
}

TWipeMessage LeftoversMessage(const std::vector<TLeftover>& leftovers, TTranslate translate) {
    if (leftovers.empty()) return {};
    std::string text = Tr(translate, Context,
                          QT_TRANSLATE_NOOP("FolderWipe", "Внимание! Выбранные данные стёрты, но "
                                                          "в файле остались их копии в других "
                                                          "метаданных:"));
    // Each copy: the value's key, its encoding, the container and the byte where it starts
    // (for compressed text, where its block starts).
    const std::string place =
        Tr(translate, Context, QT_TRANSLATE_NOOP("FolderWipe", "%1 (%2) — %3, байт %4"));
    const std::string compressed =
        Tr(translate, Context,
           QT_TRANSLATE_NOOP("FolderWipe", "%1 (%2) — %3 (сжатый текст), блок с байта %4"));
    for (const TLeftover& copy : leftovers) {
        text += LineBreak;
        text += Arg(copy.Compressed ? compressed : place,
                    {copy.Key, copy.Encoding, copy.Container, std::to_string(copy.Offset)});
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
        const std::vector<std::string> paths = list.BatchPaths();
        // One thread works on delData itself; more borrow records set up like it.
        TRecordPool pool(true, &delData);
        struct TFileResult {
            std::optional<TWipeCode> Code;
            TWipeFindings Findings;
        };
        const auto wipe = [](TTarvoData& record, const std::string& path) {
            TFileResult result;
            if (result.Findings.Problem = record.Load(path); result.Findings.Problem)
                result.Code = record.Wipe(false, &result.Findings, true);
            return result;
        };
        // Two names of one file are wiped one after the other, as one thread would.
        const std::size_t handed = RunOrderedOver<TFileResult>(
            paths, jobs,
            [&](const std::string& path) {
                if (jobs <= 1) return wipe(delData, path);
                const TRecordPool::TLoan record = pool.Borrow();
                return wipe(*record, path);
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
            stop, FileIdentity);
        counters.interrupted = handed < paths.size();
    } catch (...) {
        // The folder run's one catch: a failure that escapes a file (its record answers its
        // own) or the run itself breaks the run off; the files done are counted.
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

TWipeMessage ComposeReport(TWipeCounters& counters, TTranslate translate) {
    TWipeMessage report;
    std::string& text = report.Text;
    if (!counters.completed) {
        text += Tr(translate, Context,
                   QT_TRANSLATE_NOOP("FolderWipe", "Внимание! Сбой в процессе обработки файлов! "
                                                   "Оперция не завершена корректно. "));
        text += LineBreak;
        text += LineBreak;
    }
    text += Tr(translate, Context, QT_TRANSLATE_NOOP("FolderWipe", "Отчёт об операции:"));
    text += LineBreak;
    // "%1 of %n": the plural form follows the number of files.
    const char* fixed =
        counters.dryRun
            ? QT_TRANSLATE_N_NOOP("FolderWipe", "%1 из %n файлов будет исправлено (пробный "
                                                "прогон: файлы не изменены).")
            : QT_TRANSLATE_N_NOOP("FolderWipe", "%1 из %n файлов успешно исправлено.");
    text += Arg(Tr(translate, Context, fixed, PluralCount(counters.total)),
                {std::to_string(counters.fixed)});
    for (const TReportLine& line : ReportLines) {
        const std::int64_t count =
            line.Counter != nullptr ? counters.*line.Counter : Count(counters, line.Code);
        if (count <= 0) continue;
        text += LineBreak;
        text += Tr(translate, Context, line.Text, PluralCount(count));
        if (line.Weight > counters.severity) counters.severity = line.Weight;
    }
    report.Tone = counters.severity >= 3   ? TMsgTone::Error
                  : counters.severity == 2 ? TMsgTone::Warning
                                           : TMsgTone::Information;
    return report;
}

} // namespace tarvo
