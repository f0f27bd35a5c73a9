// The current image record: one picture file with its folder, its size on disk and its
// parameter container; the size plausibility check, the texts for the display, the
// true-prompt cleaning and the staged wipe of chosen parameters with its result code.
#pragma once

#include "params/MyGrafObj.h"
#include "platform/Dialogs.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo {

// Outcome of TTarvoData::Wipe; the value names the stage that stopped the wipe.
enum class TWipeCode : int {
    Done = 0,          // every chosen value present was overwritten; the file changed
    NoChoice = 1,      // no wipe flag is on
    NoFile = 2,        // no regular file at FilePath
    NotReadable = 3,   // size unknown, 0 or outside the limits, or no parameter block read
    NothingToWipe = 4, // the chosen keys are absent or already blank
    Declined = 5,      // the confirmation was not answered Yes
    CannotOpen = 6,    // the file cannot be opened for writing (or changed since it was read)
    SeekFailed = 7,    // positioning failed before anything was written; file untouched
    WriteFailed = 8,   // writing failed after it had begun; the file may be partly changed
    // Not a stage of Wipe: the window's code for a failure that escaped, and what Wipe
    // answers when memory ran out inside it.
    UnknownFailure = 9,
};

// What a wipe learnt beyond its code.
struct TWipeFindings {
    bool Locked = false; // another program held the file locked (codes 3 and 6)
    // Written files: the parameter chunks whose damaged CRC the wipe repaired ("eXIf"), and
    // the copies of wiped values that remain elsewhere in the file's metadata.
    std::vector<std::string> Repaired;
    std::vector<TLeftover> Leftovers;
};

class TTarvoData {
public:
    // dialogs asks the wipe's confirmation; without one, a wipe that must ask is declined.
    explicit TTarvoData(bool wipeMode, IDialogs* dialogs = nullptr);

    std::string FilePath; // full path of the current file; empty when there is none
    std::string Folder;   // the viewer's current folder; set at creation to the working directory
    std::int64_t FileSize = 0; // bytes, from the directory entry; 0 when not read
    TMyGraf Graf;
    bool HasText = false; // the last GetFullText was not empty
    bool Locked = false;  // the last Load found the file locked by another program

    // Forgets file, size and parameters; Folder stays.
    void Clear();
    // Makes path the current file and reads its parameters. False when no regular file is
    // there (FilePath stays empty) or when CheckAndRead fails (FilePath stays set).
    bool Load(const std::string& path);
    // The size check and the parameter read of FilePath; false when the size cannot be read,
    // is 0 or lies outside MinFileSize..MaxFileSize (inclusive), or no parameters were found.
    // sizeKnown: FileSize was just read from the directory entry and is not read again.
    bool CheckAndRead(bool sizeKnown = false);
    // FileSize := the size of the regular file at FilePath; false (size 0) when there is none.
    bool ReadFileSize();
    // Loads FilePath again.
    void Reload();
    bool HasParams() const;
    // The text pane's text: the first block's text, then CR LF CR LF and the second block's
    // text when it is present (also when the first is absent). Sets HasText.
    std::string GetFullText();
    // The first block's prompt, cleaned by CleanPrompt when clean is set.
    std::string GetPrompt(bool clean) const;
    // The first block's value for key; empty without a first block.
    std::string GetValue(std::string_view key) const;
    // Blanks the values chosen by ParJobId..ParSeed in the file at FilePath, asking the user
    // first when ask is set; findings, when given, receive what the wipe learnt besides its
    // code. Never throws.
    TWipeCode Wipe(bool ask, TWipeFindings* findings = nullptr);

    // A dry run of Wipe: the file is read and marked as for a real wipe, but never opened for
    // writing; Wipe answers 0 where it would write, or 6 when the file has no write permission
    // for this process (no write bit at all, or access denied). The command-line tool's
    // --dry-run; off by default.
    bool DryRun = false;

    // Whether a successful write is made durable (fdatasync) before Wipe answers; on by
    // default. A folder run turns it off and syncs the file system once at its end.
    void SetSyncEachWrite(bool on) { Graf.SyncWrites = on; }
    bool SyncEachWrite() const { return Graf.SyncWrites; }

    // The prompt without the foreign data Tarvo may put around it: a leading ">" mark (with a
    // "+" or "-" sign: lines are joined too), surrounding single quotes and leading
    // "score_..." tags. Byte-exact on UTF-8 text; needs the case table (BuildCaseTable).
    static std::string CleanPrompt(std::string_view text);

private:
    IDialogs* FDialogs;
};

} // namespace tarvo
