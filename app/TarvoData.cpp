#include "app/TarvoData.h"

#include "params/DatTypes.h"
#include "platform/FileSys.h"
#include "platform/LockedFile.h"
#include "util/Paths.h"

#include <cerrno>
#include <cstdint>
#include <utility>

namespace tarvo {

TTarvoData::TTarvoData(bool wipeMode, IDialogs* dialogs) : Graf(wipeMode), FDialogs(dialogs) {
    Clear();
    try {
        Folder = CurrentDir();
    } catch (...) {
        Folder.clear();
    }
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
        // One look-up answers both whether a file exists and its size.
        const TFileCheck entry = CheckRegularFile(path);
        if (!entry) return entry;
        FilePath = path;
        FileSize = entry.Size;
        return CheckAndRead(true);
    } catch (...) {
        Graf.Clear();
        return {TFileProblem::CannotOpen, ENOMEM, FileSize};
    }
}

TFileCheck TTarvoData::CheckAndRead(bool sizeKnown) {
    if (!sizeKnown) {
        if (TFileCheck entry = ReadFileSize(); !entry) return entry;
    }
    const auto problem = [this](TFileProblem p, int error = 0) {
        return TFileCheck{p, error, FileSize};
    };
    if (FileSize == 0) return problem(TFileProblem::Empty);
    if (FileSize < MinFileSize) return problem(TFileProblem::TooSmall);
    if (FileSize > MaxFileSize) return problem(TFileProblem::TooLarge);
    if (Graf.Load(FilePath)) return problem(TFileProblem::None);
    // A read that failed part-way still parsed what came before it.
    return Graf.ReadCheck ? problem(TFileProblem::NoParams)
                          : problem(Graf.ReadCheck.Problem, Graf.ReadCheck.Error);
}

TFileCheck TTarvoData::ReadFileSize() {
    FileSize = 0;
    const TFileCheck entry = CheckRegularFile(FilePath);
    FileSize = entry.Size;
    return entry;
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
    try {
        if (Graf.FirstBlock.HasParams()) text = Graf.FirstBlock.Text;
        if (Graf.SecondBlock.HasParams()) text += "\r\n\r\n" + Graf.SecondBlock.Text;
        if (!HasParams()) text = Graf.RawText;
    } catch (...) {
        text.clear();
    }
    HasText = !text.empty();
    return text;
}

std::string TTarvoData::GetPrompt(bool clean) const {
    try {
        std::string text =
            Graf.FirstBlock.HasParams() ? Graf.FirstBlock.GetPrompt() : std::string();
        // The cleaning removes what Tarvo adds; other generators' prompts stay as written.
        if (clean && !text.empty() && Graf.FirstBlock.Kind != 2) text = CleanPrompt(text);
        return text;
    } catch (...) {
        return {};
    }
}

std::string TTarvoData::GetValue(std::string_view key) const {
    try {
        return Graf.FirstBlock.HasParams() ? Graf.FirstBlock.GetValue(key) : std::string();
    } catch (...) {
        return {};
    }
}

TWipeCode TTarvoData::Wipe(bool ask, TWipeFindings* findings) {
    TWipeFindings unused;
    TWipeFindings& found = findings != nullptr ? *findings : unused;
    found = {};
    try {
        if (!ParJobId && !ParPrompt && !ParNegPrompt && !ParSeed) return TWipeCode::NoChoice;
        if (found.Problem = CheckRegularFile(FilePath); !found.Problem) return TWipeCode::NoFile;
        if (found.Problem = CheckAndRead(); !found.Problem) return TWipeCode::NotReadable;
        // Compressed text would have to be rewritten at another length: never in place.
        for (const TMyGrafItem* block : {&Graf.FirstBlock, &Graf.SecondBlock}) {
            if (block->Kind == 2 && block->Compressed && block->HasChosenValue()) {
                found.Problem = {TFileProblem::Compressed, 0, FileSize};
                return TWipeCode::CannotOpen;
            }
        }
        if (!Graf.Mark()) return TWipeCode::NothingToWipe;
        if (ask) {
            const std::string text = "Внимание! Будут внесены изменения в файл \"" +
                                     NamePart(FilePath) + "\". Продолжить?";
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
        return TWipeCode::UnknownFailure;
    }
}

} // namespace tarvo
