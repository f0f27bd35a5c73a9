// The current image record: one picture file with its folder, its size on disk and its
// parameter container; the size plausibility check, the texts for the display, the
// true-prompt cleaning and the staged wipe of chosen parameters with its result code.
#pragma once

#include "app/Texts.h"
#include "params/MyGrafObj.h"
#include "platform/Dialogs.h"
#include "platform/FileProblem.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo {

// Outcome of TTarvoData::Wipe; the value names the stage that stopped the wipe. The one
// definition of every code, used as this type from the record to the window's messages, the
// folder report and the command-line tool, which print the number.
enum class TWipeCode : int {
    Done = 0,          // every chosen value present was overwritten; the file changed
    NoChoice = 1,      // no wipe flag is on
    NoFile = 2,        // no regular file at FilePath
    NotReadable = 3,   // size unknown, 0 or outside the limits, or no parameter block read
    NothingToWipe = 4, // the chosen keys are absent or already blank
    Declined = 5,      // the confirmation was not answered Yes
    CannotOpen = 6,    // the file cannot be opened for writing (or changed since it was read)
    SeekFailed = 7,    // nothing could be written (the first write failed); file untouched
    WriteFailed = 8,   // writing failed after it had begun; the file may be partly changed
    // Not a stage of Wipe: a failure that escaped (memory ran out inside Wipe).
    UnknownFailure = 9,
};
inline constexpr int WipeCodeCount = 10;

// What a wipe learnt beyond its code.
struct TWipeFindings {
    // Why the file could not be read (codes 2 and 3, or a failed Load of a folder run) or
    // opened for writing (code 6).
    TFileCheck Problem;
    // Written files: the parameter chunks whose damaged CRC the wipe repaired ("eXIf"), and
    // the copies of wiped values that remain elsewhere in the file's metadata.
    std::vector<std::string> Repaired;
    std::vector<TLeftover> Leftovers;
    // How far that search went: anything but Complete leaves part of the file unsearched.
    TSearchEnd LeftoverSearch = TSearchEnd::Complete;
};

class TTarvoData {
public:
    // dialogs asks the wipe's confirmation, in translate's language (Russian without it);
    // without dialogs, a wipe that must ask is declined.
    explicit TTarvoData(bool wipeMode, IDialogs* dialogs = nullptr, TTranslate translate = nullptr);

    std::string FilePath; // full path of the current file; empty when there is none
    std::string Folder;   // the viewer's current folder; set at creation to the working directory
    std::int64_t FileSize = 0; // bytes, from the directory entry; 0 when not read
    TMyGraf Graf;
    bool HasText = false; // the last GetFullText was not empty

    // Forgets file, size and parameters; Folder stays.
    void Clear();
    // Makes path the current file and reads its parameters; true (no problem) when it found
    // them, otherwise why not: the size cannot be read, is 0 or lies outside
    // MinFileSize..MaxFileSize (inclusive), the file cannot be read, or no parameters were
    // found. When no regular file is there FilePath stays empty; otherwise it is set. Never
    // throws. (Load and Wipe turn every failure into their answer; the texts below, like
    // any copy of a text, may run out of memory, which the caller's entry point catches.)
    TFileCheck Load(const std::string& path);
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
    // code. The file is read again first, unless loaded says that a Load of FilePath has just
    // succeeded (a folder run); the write compares the bytes it overwrites either way, so a
    // file changed since then is left alone. Never throws.
    TWipeCode Wipe(bool ask, TWipeFindings* findings = nullptr, bool loaded = false);

    // A dry run of Wipe: the file is read and marked as for a real wipe, but never opened for
    // writing; Wipe answers 0 where it would write, or 6 when the file has no write permission
    // for this process (no write bit at all, or access denied). The command-line tool's
    // --dry-run; off by default.
    bool DryRun = false;

    // Whether a successful write is made durable (fdatasync) before Wipe answers; on by
    // default. A folder run turns it off and syncs the file system once at its end.
    void SetSyncEachWrite(bool on) { Graf.SyncWrites = on; }
    bool SyncEachWrite() const { return Graf.SyncWrites; }
    // Whether Wipe writes (and a dry run would write) through a symbolic link at FilePath; on
    // by default for a path the user named. A folder run turns it off: a link there is
    // answered with 6 and the problem Link, wherever it points.
    void SetFollowLinks(bool on) { Graf.FollowLinks = on; }
    bool FollowLinks() const { return Graf.FollowLinks; }
    // Asked during the search for leftover copies after a write; true cuts it short.
    void SetSearchStop(TSearchStop stop) { Graf.StopSearch = stop; }
    // DryRun and the settings above as other's, so a record can stand in for another.
    void CopyWipeSettings(const TTarvoData& other);

    // The prompt without the foreign data Tarvo may put around it: a leading ">" mark (with a
    // "+" or "-" sign: lines are joined too), surrounding single quotes and leading
    // "score_..." tags. Byte-exact on UTF-8 text; needs the case table (BuildCaseTable).
    static std::string CleanPrompt(std::string_view text);

private:
    // Load's work on path: FileSize and the parameters; isFile: a regular file is there.
    TFileCheck OpenAndRead(const std::string& path, bool& isFile);

    IDialogs* FDialogs;
    TTranslate FTranslate;
};

} // namespace tarvo
