// The command-line tool tarvo-params: its three commands (show, wipe, list) over the same
// image record, file list and folder run as the window, and the helpers they share for
// records, names, messages about bad paths, JSON lines, stop signals and progress.
#pragma once

#include "platform/FileProblem.h"

#include <boost/json/serializer.hpp>

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo {
class TFilesObj;
}

namespace tarvo::cli {

// Exit statuses: every file succeeded; some file failed; the command line was wrong.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailed = 1;
inline constexpr int ExitUsage = 2;

struct TShowOptions {
    bool Json = false;
    bool All = false; // a folder's files as the list shows them with "Tarvo Data" off
    int Jobs = 1;     // threads reading files; the records come out in argument order
    std::vector<std::string> Paths;
};

struct TWipeOptions {
    bool JobId = false;
    bool Prompt = false;
    bool NegPrompt = false;
    bool Seed = false;
    bool DryRun = false;
    bool Unfiltered = false; // a folder's files as the list shows them with "Tarvo Data" off
    bool Json = false;
    int Jobs = 1; // threads wiping files; records and counts come out in argument order
    std::vector<std::string> Paths;
};

struct TListOptions {
    bool All = false;
    bool Null = false; // raw names, each ended by a NUL byte
    std::string Dir;
};

// Each command writes its results to out, one record (a file's or a folder's lines) at a
// time, flushing after each, and a message per failing file to err, and answers the exit
// status. Each stops before its next file once StopSignal() is set. None throws.
int RunShow(const TShowOptions& options, std::ostream& out, std::ostream& err);
int RunWipe(const TWipeOptions& options, std::ostream& out, std::ostream& err);
int RunList(const TListOptions& options, std::ostream& out, std::ostream& err);

// SIGINT and SIGTERM ask the running command to stop after the file in progress; a second
// one ends the program at once.
void CatchStopSignals();
// The signal that asked to stop; 0 while none came.
int StopSignal();

// Standard output for records: what is written between two flushes goes out with a single
// write call, so output cut off by a kill ends at a record boundary.
class TRecordStream : public std::ostream {
public:
    explicit TRecordStream(int fd);

private:
    class TBuffer : public std::streambuf {
    public:
        explicit TBuffer(int fd) : FFd(fd) {}

    protected:
        int_type overflow(int_type c) override;
        std::streamsize xsputn(const char* s, std::streamsize n) override;
        int sync() override;

    private:
        int FFd;
        std::string FPending;
    };
    TBuffer FBuffer;
};

// The text safe for a terminal and a line-based format: control characters (C0, DEL, C1),
// backslashes and bytes that are not valid UTF-8 become escapes (\n, \t, \x1b, \\ ...).
// keepLines, for multi-line texts, leaves line feeds, tabs and backslashes as they are.
std::string Printable(std::string_view text, bool keepLines = false);
// Writes JSON straight into a text: members in the order they are put, every string
// escaped by Boost.JSON's serializer, and bytes that are not valid UTF-8 turned into U+FFFD
// first. Objects and arrays nest; a member's value follows its Key.
class TJsonWriter {
public:
    explicit TJsonWriter(std::string& out) : FOut(out) {}
    TJsonWriter(const TJsonWriter&) = delete;
    TJsonWriter& operator=(const TJsonWriter&) = delete;

    TJsonWriter& Key(std::string_view name);
    void String(std::string_view text);
    void Number(std::int64_t number);
    void Bool(bool value);
    void OpenObject() { Open('{'); }
    void CloseObject() { Close('}'); }
    void OpenArray() { Open('['); }
    void CloseArray() { Close(']'); }
    // The member name with path and, when path is not valid UTF-8, name + "Bytes" with the
    // base64 of its exact bytes.
    void Path(std::string_view name, std::string_view path);

private:
    void Separate();
    void Open(char bracket);
    void Close(char bracket);
    void Quoted(std::string_view text);

    std::string& FOut;
    bool FFirst = true;     // nothing written yet in the open object or array
    bool FAfterKey = false; // a key waits for its value
    boost::json::serializer FSerializer;
};

// What a file's problem means, in words after "PATH: "; writing: the file was being opened
// for an in-place write.
std::string ProblemText(const TFileCheck& check, bool writing);
// Runs a command and answers its status; a failure that escapes it (memory ran out) is
// reported on err and answers ExitFailed. The one catch of the show and wipe commands.
int Guarded(std::ostream& out, std::ostream& err, const std::function<int()>& command);
// Fills list with folder's candidate pictures (filtered as by "Tarvo Data" when tarvoFilter
// is set); false, after reporting why on err, when the folder's entries cannot be listed.
bool ListFolder(TFilesObj& list, const std::string& folder, bool tarvoFilter, std::ostream& out,
                std::ostream& err);
// Writes "tarvo-params: path: message" to err after flushing out, so the two streams keep
// their order on a terminal; the path is made Printable.
void ReportProblem(std::ostream& out, std::ostream& err, const std::string& path,
                   const std::string& message);

// The "done of total, files per second" line of a folder run on standard error, redrawn in
// place at most ten times a second; silent unless standard error is a terminal.
class TProgressLine {
public:
    explicit TProgressLine(std::int64_t total);
    TProgressLine(const TProgressLine&) = delete;
    TProgressLine& operator=(const TProgressLine&) = delete;
    ~TProgressLine();

    // One more file is done.
    void Advance();
    // Erases the line so that other output can be written; the next Advance redraws it.
    void Hide();

private:
    void Draw();

    bool FEnabled;
    bool FShown = false;
    std::int64_t FTotal;
    std::int64_t FDone = 0;
    std::chrono::steady_clock::time_point FStart;
    std::chrono::steady_clock::time_point FLastDraw;
};

} // namespace tarvo::cli
