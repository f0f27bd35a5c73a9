#include "app/TarvoData.h"

#include "params/DatTypes.h"
#include "platform/FileSys.h"
#include "platform/LockedFile.h"

#include <cstdint>
#include <optional>
#include <utility>

namespace tarvo {

namespace {

std::string NamePart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

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
    Locked = false;
}

bool TTarvoData::Load(const std::string& path) {
    Clear();
    try {
        // One look-up answers both whether a file exists and its size.
        const std::optional<std::int64_t> size = FileSizeOf(path);
        if (!size) return false;
        FilePath = path;
        FileSize = *size;
        return CheckAndRead(true);
    } catch (...) {
        Graf.Clear();
        return false;
    }
}

bool TTarvoData::CheckAndRead(bool sizeKnown) {
    try {
        if (!sizeKnown && !ReadFileSize()) return false;
        if (FileSize == 0) return false;
        if (FileSize < MinFileSize || FileSize > MaxFileSize) return false;
        const bool loaded = Graf.Load(FilePath);
        Locked = Graf.Locked;
        return loaded;
    } catch (...) {
        Graf.Clear();
        return false;
    }
}

bool TTarvoData::ReadFileSize() {
    FileSize = 0;
    const std::optional<std::int64_t> size = FileSizeOf(FilePath);
    if (!size) return false;
    FileSize = *size;
    return true;
}

void TTarvoData::Reload() {
    try {
        const std::string path = FilePath;
        (void)Load(path);
    } catch (...) {
        Clear();
    }
}

bool TTarvoData::HasParams() const {
    return Graf.FirstBlock.HasParams() || Graf.SecondBlock.HasParams();
}

std::string TTarvoData::GetFullText() {
    std::string text;
    try {
        if (Graf.FirstBlock.HasParams()) text = Graf.FirstBlock.Text;
        if (Graf.SecondBlock.HasParams()) text += "\r\n\r\n" + Graf.SecondBlock.Text;
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
        if (clean && !text.empty()) text = CleanPrompt(text);
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
        if (!FileExists(FilePath)) return TWipeCode::NoFile;
        Locked = false;
        if (!CheckAndRead()) {
            found.Locked = Locked;
            return TWipeCode::NotReadable;
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
        if (DryRun) return MayWriteInPlace(FilePath) ? TWipeCode::Done : TWipeCode::CannotOpen;
        std::uint8_t code = static_cast<std::uint8_t>(TWipeCode::CannotOpen);
        const bool written = Graf.WriteMarked(FilePath, code);
        found.Locked = Locked = Graf.Locked;
        if (written) {
            for (const TMyGrafItem* block : {&Graf.FirstBlock, &Graf.SecondBlock})
                if (block->CrcDamaged)
                    found.Repaired.emplace_back(block->ChunkType.data(), block->ChunkType.size());
            found.Leftovers = std::move(Graf.Leftovers);
            return TWipeCode::Done;
        }
        if (code < static_cast<std::uint8_t>(TWipeCode::CannotOpen) ||
            code > static_cast<std::uint8_t>(TWipeCode::WriteFailed))
            return TWipeCode::UnknownFailure;
        return static_cast<TWipeCode>(code);
    } catch (...) {
        return TWipeCode::UnknownFailure;
    }
}

} // namespace tarvo
