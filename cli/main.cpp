#include "cli/CliTool.h"
#include "util/MyStrUnit.h"
#include "util/OrderedBatch.h"

#include <CLI/CLI.hpp>

#include <unistd.h>

#include <csignal>
#include <iostream>
#include <optional>
#include <string>

namespace {

// The help texts are laid out to be read in an 80-column terminal and in the manual page
// that help2man makes from them. The page shows each command's help as it is, indented by
// seven columns, so no line of it is longer than 73 characters: an option's description,
// which starts in column 31, is broken into lines of at most 43. help2man fills the tool's
// own description and list of commands itself; a command's summary stays within 50.
constexpr const char* ToolDescription =
    "tarvo-params: show, wipe and list the generation parameters that the\n"
    "Tarvo image service writes into PNG, JPEG and WebP files.\n"
    "Results of a wipe and the folder report use the viewer's own (Russian)\n"
    "wording.\n"
    "Exit status: 0 every file succeeded, 1 some file failed, 2 usage error,\n"
    "130 or 143 stopped by SIGINT or SIGTERM.";

constexpr const char* ToolExamples = "Examples:\n"
                                     "  tarvo-params show picture.png\n"
                                     "  tarvo-params wipe --all ~/Pictures/tarvo\n"
                                     "  tarvo-params list ~/Pictures/tarvo\n"
                                     "Run 'tarvo-params COMMAND --help' for a command's options.";

constexpr const char* ShowExamples =
    "A folder stands for its candidate pictures in the viewer's order (jpg,\n"
    "jpeg and png files of 50 bytes to 5 MB; with --all every picture file).\n"
    "Files are read on several threads (--jobs); their records come out in\n"
    "the order of the paths.\n"
    "Besides Tarvo's parameters, other generators' are read: web-UI text\n"
    "(PNG, JPEG, WebP), node graphs, NovelAI and InvokeAI JSON (PNG); other\n"
    "text is shown without parameters.\n"
    "Plain output per file: '== PATH' (with '[FORMAT]' for another\n"
    "generator's), the parameter text, 'prompt: ' with the cleaned prompt,\n"
    "'negative: ' with the negative prompt, and a 'damaged: ' line for a\n"
    "parameter chunk whose checksum does not match its data (a wipe repairs\n"
    "it). Control characters in names are shown as escapes (\\n, \\t, \\x1b).\n"
    "With --json: one JSON object per file and line, members path\n"
    "(pathBytes: base64 of a name that is not UTF-8), exists, size,\n"
    "fileKind, format (tarvo, a1111, comfyui, novelai, invokeai, text, or\n"
    "empty), loaded, hasParams, text, prompt, cleanPrompt, negativePrompt,\n"
    "values (JobId, prompt, negative_prompt, seed), damagedChunks and, for a\n"
    "file that failed, reason.\n"
    "Examples:\n"
    "  tarvo-params show a.png b.jpg\n"
    "  tarvo-params show --json ~/Pictures/tarvo > params.jsonl\n"
    "  tarvo-params show --json ~/Pictures/tarvo/*.png | jq -r .negativePrompt\n"
    "  tarvo-params show -- -odd-name-.png";

constexpr const char* WipeExamples =
    "A file is wiped in place: the chosen values are overwritten with spaces,\n"
    "PNG checksums are recomputed, nothing else changes. A folder: every jpg,\n"
    "jpeg and png file of 50 bytes to 5 MB in it (not its sub-folders; with\n"
    "--unfiltered also webp files and files of any size, as the list shows\n"
    "them), then the folder report. Files are wiped on several threads\n"
    "(--jobs); records, counts and the report are those of one thread. A\n"
    "symbolic link in a folder is never written through (code 6); a link\n"
    "named as PATH is followed.\n"
    "Each chunk is written with one write, read back and checked; a parameter\n"
    "chunk whose checksum was damaged (by an interrupted writer) is repaired.\n"
    "The file is then searched for copies of the wiped values left in other\n"
    "metadata: a PNG's chunks but the pixel data, with compressed text\n"
    "inflated up to 64 MiB per file, and its bytes after the end; a WebP's\n"
    "chunks but the pixel data, and its bytes after the RIFF data; a JPEG's\n"
    "segments before the first scan (not the scans, nor bytes after the end).\n"
    "Values of fewer than 6 characters are not searched for. A search cut\n"
    "short (inflate limit, a signal, the file changing size) says so; no copy\n"
    "found then proves less.\n"
    "Plain output: 'CODE<TAB>PATH<TAB>meaning' per file, followed by\n"
    "'<TAB>reason: ...', '<TAB>repaired: ...', '<TAB>leftover: ...' and\n"
    "'<TAB>search incomplete: ...' lines, then the report of each folder.\n"
    "Codes: 0 wiped, 2 not found, 3 no parameter data or unreadable,\n"
    "4 nothing left to wipe, 6 cannot be opened for writing, 7 nothing could\n"
    "be written, 8 writing failed after it began, 9 unknown failure,\n"
    "-1 (folder runs) the file could not be loaded.\n"
    "With --json, one object per line: per file {\"path\", \"code\", \"reason\"\n"
    "(failures), \"repaired\", \"leftovers\", \"searchComplete\" and, when false,\n"
    "\"searchStoppedBy\" (written files)}; per folder {\"folder\", \"total\",\n"
    "\"fixed\", \"noData\", \"byCode\", \"unknown\"}.\n"
    "SIGINT or SIGTERM stops after the file in progress: the report counts\n"
    "what was done, the exit status is 130 or 143.\n"
    "Examples:\n"
    "  tarvo-params wipe --prompt --negative-prompt picture.png\n"
    "  tarvo-params wipe --all --dry-run ~/Pictures/tarvo\n"
    "  tarvo-params wipe --all --json ~/Pictures/tarvo > report.jsonl";

constexpr const char* ListExamples =
    "The names come in the order in which the viewer leafs through them.\n"
    "Examples:\n"
    "  tarvo-params list ~/Pictures/tarvo\n"
    "  tarvo-params list --all ~/Pictures/tarvo | wc -l";

// The first word of the command line when no command was recognised and that word names
// none: CLI11 would report it as a missing command.
std::optional<std::string> UnknownCommand(const CLI::App& app, int argc, char** argv) {
    if (!app.get_subcommands().empty()) return std::nullopt;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word.starts_with('-')) continue;
        for (const CLI::App* command : app.get_subcommands(nullptr))
            if (command->check_name(word)) return std::nullopt;
        return word;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    using namespace tarvo::cli;
    std::ios::sync_with_stdio(false);
    tarvo::BuildCaseTable();

    CLI::App app{ToolDescription, "tarvo-params"};
    app.footer(ToolExamples);
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("tarvo-params ") + TARVO_VERSION);

    TShowOptions show;
    CLI::App* showCommand =
        app.add_subcommand("show", "Show picture files' parameters as the viewer does");
    showCommand->footer(ShowExamples);
    showCommand->add_flag("--json", show.Json, "One JSON object per file and line\n(JSON Lines)");
    showCommand->add_flag("--all,--unfiltered", show.All,
                          "In folders, also WebP files and files\n"
                          "outside 50 bytes to 5 MB (the viewer's\n"
                          "\"Tarvo Data\" option off)");
    show.Jobs = tarvo::DefaultJobs();
    showCommand
        ->add_option("-j,--jobs", show.Jobs,
                     "Threads that read files (default: the\n"
                     "cores, at least 4; 1: one at a time)")
        ->check(CLI::PositiveNumber);
    showCommand->add_option("PATH", show.Paths, "Picture files and folders")->required();

    TWipeOptions wipe;
    bool wipeAll = false;
    CLI::App* wipeCommand =
        app.add_subcommand("wipe", "Blank chosen parameters in pictures or folders");
    wipeCommand->footer(WipeExamples);
    wipeCommand->add_flag("--jobid", wipe.JobId, "Wipe JobId");
    wipeCommand->add_flag("--prompt", wipe.Prompt, "Wipe prompt");
    wipeCommand->add_flag("--negative-prompt", wipe.NegPrompt, "Wipe negative_prompt");
    wipeCommand->add_flag("--seed", wipe.Seed, "Wipe seed");
    wipeCommand->add_flag("--all", wipeAll, "Wipe all four keys");
    wipeCommand->add_flag("--dry-run", wipe.DryRun,
                          "Read and mark each file and report the\n"
                          "code it would get; write nothing");
    wipeCommand->add_flag("--unfiltered", wipe.Unfiltered,
                          "In folders, also WebP files and files\n"
                          "outside 50 bytes to 5 MB (the viewer's\n"
                          "\"Tarvo Data\" option off; --all chooses\n"
                          "the keys)");
    wipeCommand->add_flag("--json", wipe.Json,
                          "One JSON object per file and per folder,\n"
                          "one a line (JSON Lines)");
    wipe.Jobs = tarvo::DefaultJobs();
    wipeCommand
        ->add_option("-j,--jobs", wipe.Jobs,
                     "Threads that wipe files (default: the\n"
                     "cores, at least 4; 1: one at a time)")
        ->check(CLI::PositiveNumber);
    wipeCommand->add_option("PATH", wipe.Paths, "Picture files and folders")->required();

    TListOptions list;
    CLI::App* listCommand =
        app.add_subcommand("list", "List a folder's candidate pictures, a name a line");
    listCommand->footer(ListExamples);
    listCommand->add_flag("--all,--unfiltered", list.All,
                          "Also WebP files and files outside 50\n"
                          "bytes to 5 MB (the viewer's \"Tarvo Data\"\n"
                          "option off)");
    listCommand->add_flag("-0,--null", list.Null,
                          "End each name with a NUL byte instead of\n"
                          "a line feed and print it as it is (for\n"
                          "xargs -0)");
    listCommand->add_option("DIR", list.Dir, "The folder")->required();

    try {
        app.parse(argc, argv);
        if (wipeCommand->parsed()) {
            if (wipeAll) wipe.JobId = wipe.Prompt = wipe.NegPrompt = wipe.Seed = true;
            if (!wipe.JobId && !wipe.Prompt && !wipe.NegPrompt && !wipe.Seed)
                throw CLI::ValidationError(
                    "wipe", "choose at least one key: --jobid, --prompt, --negative-prompt, "
                            "--seed or --all");
        }
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() != 0)
            if (const std::optional<std::string> word = UnknownCommand(app, argc, argv)) {
                std::cerr << "tarvo-params: unknown command '" << *word
                          << "' (the commands are show, wipe and list)\n"
                             "Run with --help for more information.\n";
                return ExitUsage;
            }
        return app.exit(e) == 0 ? ExitOk : ExitUsage;
    }

    CatchStopSignals();
    TRecordStream out(STDOUT_FILENO);
    int status = ExitOk;
    if (showCommand->parsed())
        status = RunShow(show, out, std::cerr);
    else if (wipeCommand->parsed())
        status = RunWipe(wipe, out, std::cerr);
    else
        status = RunList(list, out, std::cerr);
    // Output that never arrived (a full disk, a closed pipe) is a failure too.
    if (!out.flush()) {
        std::cerr << "tarvo-params: standard output could not be written\n";
        return ExitFailed;
    }
    if (const int signal = StopSignal(); signal != 0) {
        std::cerr << "tarvo-params: stopped by " << (signal == SIGINT ? "SIGINT" : "SIGTERM")
                  << " after the file in progress\n";
        return 128 + signal;
    }
    return status;
}
