#include "app/TarvoData.h"

#include "params/DatTypes.h"
#include "platform/FileSys.h"
#include "platform/LockedFile.h"
#include "util/Paths.h"

#include <cerrno>
#include <cstdint>
#include <utility>

namespace tarvo {

TTarvoData::TTarvoData(bool wipeMode, IDialogs* dialogs, TTranslate translate)
    : Graf(wipeMode), FDialogs(dialogs), FTranslate(translate) {
    Clear();
    Folder = CurrentDir();
}

void TTarvoData::Clear() {
    FileSize = 0;
    FilePath.clear();
    Graf.Clear();
    HasText = false;
}

TFileCheck TTarvoData::Load(const std::string& path) {
    Clear();
    try {
        bool isFile = false;
        const TFileCheck check = OpenAndRead(path, isFile);
        if (isFile) FilePath = path;
        return check;
    } catch (...) {
        // The record's one catch around a load (the container's load catches its own): memory
        // running out while the path is kept leaves a file that could not be opened.
        Graf.Clear();
        return {TFileProblem::CannotOpen, ENOMEM, FileSize};
    }
}

TFileCheck TTarvoData::OpenAndRead(const std::string& path, bool& isFile) {
    isFile = false;
    FileSize = 0;
    // The open file's fstat says what is there and its size. When the open fails, a look at
    // the entry explains it: what is there and its size count before the open's own
    // problem, as when the entry is examined first.
    TReadFile file;
    const TFileCheck opened = file.Open(path);
    const TFileCheck entry = opened ? opened : CheckRegularFile(path);
    if (!entry) return entry;
    isFile = true;
    FileSize = entry.Size;
    const auto problem = [this](TFileProblem p, int error = 0) {
        return TFileCheck{p, error, FileSize};
    };
    if (FileSize == 0) return problem(TFileProblem::Empty);
    if (FileSize < MinFileSize) return problem(TFileProblem::TooSmall);
    if (FileSize > MaxFileSize) return problem(TFileProblem::TooLarge);
    if (!opened) return problem(opened.Problem, opened.Error);
    if (Graf.Load(file)) return problem(TFileProblem::None);
    // A read that failed part-way still parsed what came before it.
    return Graf.ReadCheck ? problem(TFileProblem::NoParams)
                          : problem(Graf.ReadCheck.Problem, Graf.ReadCheck.Error);
}

void TTarvoData::CopyWipeSettings(const TTarvoData& other) {
    DryRun = other.DryRun;
    Graf.SyncWrites = other.Graf.SyncWrites;
    Graf.FollowLinks = other.Graf.FollowLinks;
    Graf.StopSearch = other.Graf.StopSearch;
}

void TTarvoData::Reload() {
    const std::string path = FilePath;
    (void)Load(path);
}

bool TTarvoData::HasParams() const {
    return Graf.FirstBlock.HasParams() || Graf.SecondBlock.HasParams();
}

std::string TTarvoData::GetFullText() {
    std::string text;
    if (Graf.FirstBlock.HasParams()) text = Graf.FirstBlock.Text;
    if (Graf.SecondBlock.HasParams()) text += "\r\n\r\n" + Graf.SecondBlock.Text;
    if (!HasParams()) text = Graf.RawText;
    HasText = !text.empty();
    return text;
}

std::string TTarvoData::GetPrompt(bool clean) const {
    std::string text = Graf.FirstBlock.HasParams() ? Graf.FirstBlock.GetPrompt() : std::string();
    // The cleaning removes what Tarvo adds; other generators' prompts stay as written.
    if (clean && !text.empty() && Graf.FirstBlock.Kind != 2) text = CleanPrompt(text);
    return text;
}

std::string TTarvoData::GetValue(std::string_view key) const {
    return Graf.FirstBlock.HasParams() ? Graf.FirstBlock.GetValue(key) : std::string();
}

TWipeCode TTarvoData::Wipe(bool ask, TWipeFindings* findings, bool loaded) {
    TWipeFindings unused;
    TWipeFindings& found = findings != nullptr ? *findings : unused;
    found = {};
    try {
        if (!ParJobId && !ParPrompt && !ParNegPrompt && !ParSeed) return TWipeCode::NoChoice;
        if (!loaded) {
            bool isFile = false;
            if (found.Problem = OpenAndRead(FilePath, isFile); !found.Problem)
                return isFile ? TWipeCode::NotReadable : TWipeCode::NoFile;
        }
        // Compressed text would have to be rewritten at another length: never in place.
        for (const TMyGrafItem* block : {&Graf.FirstBlock, &Graf.SecondBlock}) {
            if (block->Kind == 2 && block->Compressed && block->HasChosenValue()) {
                found.Problem = {TFileProblem::Compressed, 0, FileSize};
                return TWipeCode::CannotOpen;
            }
        }
        if (!Graf.Mark()) return TWipeCode::NothingToWipe;
        if (ask) {
            const std::string text =
                Arg(Tr(FTranslate, "TarvoData",
                       QT_TRANSLATE_NOOP(
                           "TarvoData",
                           "Внимание! Будут внесены изменения в файл \"%1\". Продолжить?")),
                    {NamePart(FilePath)});
            // Without a way to ask, the user cannot have said Yes.
            if (FDialogs == nullptr ||
                FDialogs->MessageBox(text, TMsgTone::Warning, TMsgButtons::YesCancel) !=
                    TMsgAnswer::Yes)
                return TWipeCode::Declined;
        }
        if (DryRun) {
            found.Problem = MayWriteInPlace(FilePath, FollowLinks());
            return found.Problem ? TWipeCode::Done : TWipeCode::CannotOpen;
        }
        TWriteOutcome outcome = Graf.WriteMarked(FilePath);
        found.Problem = outcome.Problem;
        switch (outcome.Result) {
        case TWriteResult::Written:
            for (const TMyGrafItem* block : {&Graf.FirstBlock, &Graf.SecondBlock})
                if (block->CrcDamaged)
                    found.Repaired.emplace_back(block->ChunkType.data(), block->ChunkType.size());
            found.Leftovers = std::move(outcome.Leftovers);
            found.LeftoverSearch = outcome.SearchEnd;
            return TWipeCode::Done;
        case TWriteResult::NotOpened:
            return TWipeCode::CannotOpen;
        case TWriteResult::NothingWritten:
            return TWipeCode::SeekFailed;
        case TWriteResult::PartlyWritten:
            return TWipeCode::WriteFailed;
        }
        return TWipeCode::UnknownFailure;
    } catch (...) {
        // The wipe's one catch (the container's load, mark and write answer their failures):
        // memory running out anywhere else in it is the unknown failure.
        return TWipeCode::UnknownFailure;
    }
}

} // namespace tarvo
