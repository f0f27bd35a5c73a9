#include "app/FilesObj.h"

#include "params/DatTypes.h"
#include "platform/Collation.h"
#include "platform/FileSys.h"
#include "util/MyStrUnit.h"
#include "util/Paths.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace tarvo {

namespace {

std::int64_t Count(const std::vector<std::string>& names) {
    return static_cast<std::int64_t>(names.size());
}

} // namespace

bool IsPictureExt(std::string_view ext, bool tarvoOnly) {
    const std::size_t count = tarvoOnly ? TarvoExtCount : PicExts.size();
    return std::any_of(PicExts.begin(), PicExts.begin() + static_cast<std::ptrdiff_t>(count),
                       [&](std::string_view known) { return SameAsciiText(known, ext); });
}

TFilesObj::TFilesObj() {
    Clear();
}

void TFilesObj::Clear() {
    Names.clear();
    Loaded = false;
    Position = -1;
    CountDirty = true;
}

void TFilesObj::Fill(const std::string& folder) {
    Names.clear();
    try {
        const std::string source = folder.empty() ? Folder : folder;
        if (!DirExists(source)) return;
        Folder = source;
        Loaded = true;
        // Each extension's own enumeration, the last one first.
        for (auto ext = PicExts.rbegin(); ext != PicExts.rend(); ++ext)
            if (IsPictureExt(*ext, TarvoFilter)) ScanExt(std::string(*ext));
        std::sort(Names.begin(), Names.end(), NameLess);
    } catch (...) {
        // The list's one catch: a folder too large for the memory left (the listing, the
        // names) keeps the names gathered so far, sorted.
        std::sort(Names.begin(), Names.end(), NameLess);
    }
    CountDirty = true;
}

void TFilesObj::ScanExt(const std::string& ext) {
    for (TDirEntry& entry : ListFiles(WithBackslash(Folder), ext)) {
        if (TarvoFilter && (entry.Size > static_cast<std::int64_t>(MaxFileSize) ||
                            entry.Size < static_cast<std::int64_t>(MinFileSize)))
            continue;
        Names.push_back(std::move(entry.Name));
    }
}

void TFilesObj::Refresh() {
    // Taken over rather than copied: Fill empties the list first.
    std::string remembered;
    if (Position >= 0 && Position < Count(Names)) remembered = std::move(Names[Position]);
    Fill(std::string());
    // A current file that is no longer listed (hidden by the filter, deleted) leaves no
    // current entry, so the window locates its file afresh instead of stepping from
    // whatever name now holds the old index.
    Position = remembered.empty() ? -1 : IndexOf(remembered);
    ShowCount();
}

int TFilesObj::IndexOf(std::string_view name) const {
    const auto first = std::lower_bound(Names.begin(), Names.end(), name,
                                        [](const std::string& entry, std::string_view key) {
                                            return CompareNames(entry, key) < 0;
                                        });
    if (first == Names.end() || CompareNames(*first, name) != 0) return -1;
    for (auto it = first; it != Names.end() && CompareNames(*it, name) == 0; ++it)
        if (*it == name) return static_cast<int>(it - Names.begin());
    return static_cast<int>(first - Names.begin());
}

void TFilesObj::Locate(const std::string& path) {
    if (Names.empty() || path.empty()) return;
    const std::string dir = FolderPart(path);
    if (!DirExists(dir) || dir != WithoutTrailingSlash(Folder)) return;
    const std::string name = NamePart(path);
    if (name.empty()) return;
    const int found = IndexOf(name);
    if (found >= 0) Position = found;
    CountDirty = true;
}

void TFilesObj::FillAndSelect(std::string_view name) {
    Fill(std::string());
    Position = IndexOf(name);
    ShowCount();
}

void TFilesObj::Unselect() {
    Position = -1;
    CountDirty = true;
}

void TFilesObj::Detach() {
    Position = -1;
}

void TFilesObj::SetFromDrop(const std::string& folder, std::vector<std::string> names) {
    Names = std::move(names);
    Position = 0;
    Folder = folder;
    Loaded = true;
    CountDirty = true;
    ShowCount();
}

void TFilesObj::UseNames(const std::vector<std::string>& names) {
    Names = names;
    Position = -1;
}

std::string TFilesObj::PeekStep(bool backward) const {
    if (Names.empty()) return {};
    // Widened so that any Position, also the extremes of int, maps into the list.
    std::int64_t i = static_cast<std::int64_t>(Position) + (backward ? -1 : 1);
    if (i < 0)
        i = Count(Names) - 1;
    else if (i >= Count(Names))
        i = 0;
    return WithBackslash(Folder) + Names[static_cast<std::size_t>(i)];
}

std::string TFilesObj::Step(bool backward) {
    std::string result = PeekStep(backward);
    if (result.empty()) return result;
    const std::int64_t i = static_cast<std::int64_t>(Position) + (backward ? -1 : 1);
    Position = static_cast<int>(i < 0 ? Count(Names) - 1 : i >= Count(Names) ? 0 : i);
    CountDirty = true;
    return result;
}

std::string TFilesObj::StepExisting(bool backward) {
    std::string result = Step(backward);
    while (!Names.empty() && !result.empty() && !FileExists(result)) {
        Names.erase(Names.begin() + Position);
        if (!backward) --Position;
        result = Step(backward);
    }
    if (Names.empty()) {
        Position = -1;
        result.clear();
    }
    return result;
}

std::optional<std::string> TFilesObj::NextInBatch() {
    // A position below -1 counts as "before the first entry", so the walk never reads
    // in front of the list.
    const std::int64_t next = std::max<std::int64_t>(Position, -1) + 1;
    if (next >= Count(Names)) {
        Position = static_cast<int>(std::min<std::int64_t>(next, Count(Names)));
        return std::nullopt;
    }
    Position = static_cast<int>(next);
    return WithTrailingSlash(Folder) + Names[static_cast<std::size_t>(next)];
}

std::vector<std::string> TFilesObj::BatchPaths() {
    std::vector<std::string> paths;
    Position = -1;
    while (std::optional<std::string> path = NextInBatch())
        paths.push_back(std::move(*path));
    return paths;
}

void TFilesObj::ShowCount() {
    if (!CountDirty) return;
    CountDirty = false;
    std::string text;
    if (Names.size() >= 2) {
        if (Position >= 0 && Position < Count(Names)) text = std::to_string(Position + 1) + "/";
        text += std::to_string(Names.size());
    }
    if (CountLabel) CountLabel(text);
}

} // namespace tarvo
