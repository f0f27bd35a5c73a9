// The folder file list: the candidate pictures of one folder, sorted by name, with the
// position of the current picture, stepping with wrap-around and the counter label text.
// The folder is read only by Fill and Refresh; stepping tests just the file it lands on.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo {

// The picture extensions a list takes: jpg, jpeg and png, and WebP too unless tarvoOnly
// (the "Tarvo Data" option); ext without its dot, compared ignoring ASCII case.
bool IsPictureExt(std::string_view ext, bool tarvoOnly);

class TFilesObj {
public:
    // Receives the counter text ("3/12", "12" or empty); the window passes its label.
    using TCountSink = std::function<void(const std::string&)>;

    // Bare file names, sorted by CompareNames (ties in byte order) after each fill.
    std::vector<std::string> Names;
    // The folder last filled from, as passed to Fill (possibly with a trailing '/').
    std::string Folder;
    bool Loaded = false;
    // 0-based index into Names of the current entry; -1 for none. Any other value is
    // accepted and read as "no current entry" by ShowCount.
    int Position = -1;
    bool CountDirty = true;
    // Not owned; may be empty (the folder processing's list has no label).
    TCountSink CountLabel;
    // On: only jpg, jpeg and png files of MinFileSize to MaxFileSize bytes are listed.
    bool TarvoFilter = false;

    TFilesObj();

    // Empties the list; keeps Folder, TarvoFilter and CountLabel.
    void Clear();
    // Lists folder (empty: the list's own Folder). A folder text that names no folder
    // leaves Names empty and keeps Folder, Loaded, Position and CountDirty. Memory running
    // out keeps the names listed so far; Fill (and Refresh and FillAndSelect with it) never
    // throws, while the other operations let memory running out through.
    void Fill(const std::string& folder);
    // Fills again from Folder under the current filter; the current entry keeps its place
    // when it is still listed. Then ShowCount.
    void Refresh();
    // Makes the file at path current when it lies in Folder and is listed.
    void Locate(const std::string& path);
    // Fills again from Folder and makes name current (no current entry when it is not
    // listed); then ShowCount.
    void FillAndSelect(std::string_view name);
    // No current entry; the counter is written again at the next ShowCount.
    void Unselect();
    // No current entry, and the counter is left as it is: the caller shows a file of another
    // folder, which this list does not describe.
    void Detach();
    // The list of dropped pictures: names (bare, in the order given) in folder, the first
    // one current; then ShowCount.
    void SetFromDrop(const std::string& folder, std::vector<std::string> names);
    // Takes names (bare) instead of the listed ones, looked for in Folder; no current entry.
    void UseNames(const std::vector<std::string>& names);
    // The neighbouring entry's full path with wrap-around; empty for an empty list.
    std::string Step(bool backward);
    // The path Step would answer, without stepping.
    std::string PeekStep(bool backward) const;
    // Step, dropping entries whose file no longer exists; one existence test per landing.
    // Empty when the list ran empty (Position is then -1).
    std::string StepExisting(bool backward);
    // The next entry's full path, walking once from the start without wrapping; nothing
    // after the last entry.
    std::optional<std::string> NextInBatch();
    // Every path NextInBatch gives from the first entry on, in list order (a batch's items);
    // Position ends past the last entry.
    std::vector<std::string> BatchPaths();
    // Writes the counter text to CountLabel when CountDirty is set.
    void ShowCount();
    // Index of name in the sorted Names, or -1. Among collation-equal names the byte-equal
    // one is preferred, otherwise the first of them.
    int IndexOf(std::string_view name) const;

private:
    // Appends the folder's files with extension ext (case-insensitive) under the filter.
    void ScanExt(const std::string& ext);
};

} // namespace tarvo
