#include "app/FilesObj.h"

#include "params/DatTypes.h"
#include "platform/Collation.h"
#include "platform/FileSys.h"
#include "util/Sp_Procs.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace tarvo {

namespace {

// Collation first; the byte order settles names that collate equal ("a.png" and "A.png"
// live side by side on this file system), so every fill gives the same order.
bool NameLess(const std::string& a, const std::string& b) {
    const int c = CompareNames(a, b);
    return c != 0 ? c < 0 : a < b;
}

std::int64_t Count(const std::vector<std::string>& names) {
    return static_cast<std::int64_t>(names.size());
}

// The folder part of path without trailing separators; "/" for a file in the root and
// empty for a bare name.
std::string FolderPart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    std::size_t end = slash;
    while (end > 0 && path[end - 1] == '/')
        --end;
    return end == 0 ? std::string("/") : path.substr(0, end);
}

// A folder text without its trailing separators, so "/pics" and "/pics/" compare equal.
std::string_view WithoutTrailingSlash(std::string_view folder) {
    while (folder.size() > 1 && folder.back() == '/')
        folder.remove_suffix(1);
    return folder;
}

} // namespace

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
        const int n = TarvoFilter ? TarvoExtCount : static_cast<int>(std::size(PicExts));
        for (int i = n - 1; i >= 0; --i)
            ScanExt(std::string(PicExts[i]));
        std::sort(Names.begin(), Names.end(), NameLess);
    } catch (...) {
        // Out of memory while listing: keep the names gathered so far, sorted.
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
    try {
        std::string remembered;
        if (Position >= 0 && Position < Count(Names)) remembered = Names[Position];
        Fill(std::string());
        // A current file that is no longer listed (hidden by the filter, deleted) leaves no
        // current entry, so the window locates its file afresh instead of stepping from
        // whatever name now holds the old index.
        Position = remembered.empty() ? -1 : IndexOf(remembered);
    } catch (...) {
        // A failed refill leaves whatever the list holds.
    }
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
    try {
        const std::string dir = FolderPart(path);
        if (!DirExists(dir) || dir != WithoutTrailingSlash(Folder)) return;
        const std::string name = path.substr(path.rfind('/') + 1);
        if (name.empty()) return;
        const int found = IndexOf(name);
        if (found >= 0) Position = found;
        CountDirty = true;
    } catch (...) {
        // Out of memory: the position stays as it was.
    }
}

std::string TFilesObj::Step(bool backward) {
    if (Names.empty()) return {};
    // Widened so that any Position, also the extremes of int, maps into the list.
    std::int64_t i = static_cast<std::int64_t>(Position) + (backward ? -1 : 1);
    if (i < 0)
        i = Count(Names) - 1;
    else if (i >= Count(Names))
        i = 0;
    std::string result;
    try {
        result = WithBackslash(Folder) + Names[static_cast<std::size_t>(i)];
    } catch (...) {
        return {};
    }
    Position = static_cast<int>(i);
    CountDirty = true;
    return result;
}

std::string TFilesObj::StepExisting(bool backward) {
    std::string result = Step(backward);
    // An empty result from a non-empty list means Step ran out of memory: stop there
    // rather than drop an entry that was never tested.
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
    try {
        std::string path = Folder;
        if (path.empty() || path.back() != '/') path += '/';
        return path + Names[static_cast<std::size_t>(next)];
    } catch (...) {
        return std::nullopt;
    }
}

void TFilesObj::ShowCount() {
    if (!CountDirty) return;
    CountDirty = false;
    try {
        std::string text;
        if (Names.size() >= 2) {
            if (Position >= 0 && Position < Count(Names)) text = std::to_string(Position + 1) + "/";
            text += std::to_string(Names.size());
        }
        if (CountLabel) CountLabel(text);
    } catch (...) {
        // The label keeps its old text.
    }
}

} // namespace tarvo
