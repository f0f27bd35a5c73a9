// The wipe commands' words and the folder run: the message for each wipe result code,
// the loop that wipes every file of a folder list with its counters, and the report.
// Shared by the window and the command-line tool, so both word outcomes alike.
#pragma once

#include "app/TarvoData.h"
#include "app/Texts.h"
#include "params/Leftovers.h"
#include "platform/Dialogs.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarvo {

class TFilesObj;

struct TWipeMessage {
    std::string Text;
    TMsgTone Tone = TMsgTone::Information;
};
// The texts below are Russian as written; with translate, in the user's language.

// The message box for a single-file wipe's code; empty text for Done and Declined.
TWipeMessage WipeCodeMessage(TWipeCode code, TTranslate translate = nullptr);
// The words of code's message without its frame ("Файл не найден" for NoFile); empty for
// Done and Declined.
std::string WipeCodeText(TWipeCode code, TTranslate translate = nullptr);
// A wipe with this code left nothing to do: the file was wiped, or had nothing to wipe.
bool WipeSucceeded(TWipeCode code);
// The message for a folder without files a run could process, with the size limits.
std::string NoCandidatesText(TTranslate translate = nullptr);

// The warning shown after a successful wipe that left copies of the wiped values elsewhere
// in the file's metadata, with their places; empty text when there are none.
TWipeMessage LeftoversMessage(const std::vector<TLeftover>& leftovers,
                              TTranslate translate = nullptr);

struct TWipeCounters {
    std::int64_t total = -1; // -1 until processing starts
    std::int64_t fixed = 0;
    std::int64_t noData = 0;
    std::array<std::int64_t, WipeCodeCount> byCode{}; // index = Wipe's result code
    std::int64_t unknown = 0;
    std::int64_t withLeftovers = 0; // wiped files in which copies of the values remain
    int severity = 0;               // highest weight of a report line, 0 to 3
    bool completed = true;
    bool interrupted = false; // stopped on request before the last file was processed
    bool dryRun = false;      // counted by a dry run: the files would change, none was written
};

// Called after each file of a run: its path, Wipe's code (none when Load failed) and what
// the wipe found besides (for a failed Load, why in Problem).
using TWipeProgress = std::function<void(const std::string& path, std::optional<TWipeCode> code,
                                         const TWipeFindings& findings)>;
// Asked after each file (and before the first); true stops the run: the files in progress
// are finished, no other is started.
using TWipeStop = std::function<bool()>;

// Wipes every file of list (Load, then Wipe without confirmation) on jobs threads: with one,
// on delData in list order; with more, on records set up like delData. Outcomes are counted
// into counters (set afresh) and handed to progress in list order on the calling thread, so
// a run counts and reports as one thread would. Files are not synced one by one: the
// per-file sync is off for the run, and when any file was written the folder's file system
// is synced once at the end, also after a stop. A failure that escapes a file, or a failing
// sync, breaks the run off (completed false, severity 3). With delData.DryRun the codes are
// those a wipe would give and nothing is written or synced. A symbolic link in the folder is
// read like any file but never written through: its code is 6, its problem Link. delData is
// cleared afterwards in every case.
void RunFolderWipe(TFilesObj& list, TTarvoData& delData, TWipeCounters& counters,
                   const TWipeProgress& progress = {}, const TWipeStop& stop = {}, int jobs = 1);

// The report's text (lines joined by CR LF) and tone; raises counters.severity by its lines.
TWipeMessage ComposeReport(TWipeCounters& counters, TTranslate translate = nullptr);

} // namespace tarvo
