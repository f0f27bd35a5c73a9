#include "app/FilesObj.h"
#include "app/FolderWipe.h"
#include "app/TarvoData.h"
#include "cli/CliTool.h"
#include "params/DatTypes.h"
#include "support/PicBuilder.h"
#include "util/MyStrUnit.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace tarvo {
namespace {

using nlohmann::json;
using test::TParamSet;

constexpr const char* ToolPath = TARVO_CLI_PATH;
constexpr uid_t NobodyId = 65534;

struct TRunResult {
    int Status = -1; // the exit status; -1 when the tool did not exit normally
    std::string Out;
    std::string Err;
    bool TimedOut = false;
};

struct TRunOptions {
    bool AsNobody = false;       // drop root's rights in the child, so permissions apply
    bool StderrTerminal = false; // standard error is a pseudo-terminal instead of a pipe
    std::string Tool = ToolPath; // the binary to run
};

// Runs the tool with args, standard input from /dev/null, collecting both outputs. A run
// that takes longer than 60 seconds is killed and reported as timed out.
TRunResult RunTool(const std::vector<std::string>& args, const TRunOptions& options = {}) {
    TRunResult result;
    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0) return result;
    if (options.StderrTerminal) {
        if (openpty(&errPipe[0], &errPipe[1], nullptr, nullptr, nullptr) != 0) return result;
        fcntl(errPipe[0], F_SETFD, FD_CLOEXEC);
        fcntl(errPipe[1], F_SETFD, FD_CLOEXEC);
    } else if (pipe2(errPipe, O_CLOEXEC) != 0) {
        return result;
    }
    std::vector<char*> argv;
    std::string tool = options.Tool;
    argv.push_back(tool.data());
    std::vector<std::string> copies = args;
    for (std::string& arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        const int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        if (options.AsNobody &&
            (setgroups(0, nullptr) != 0 || setgid(NobodyId) != 0 || setuid(NobodyId) != 0))
            _exit(126);
        execv(tool.c_str(), argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    if (pid < 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        return result;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.Out, &result.Err};
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.TimedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds, 2, static_cast<int>(left.count())) < 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[65536];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            // End of data; a pseudo-terminal answers EIO once the child has gone.
            close(fds[i].fd);
            fds[i].fd = -1;
            --open;
        }
    }
    for (const pollfd& fd : fds)
        if (fd.fd >= 0) close(fd.fd);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.Status = WEXITSTATUS(status);
    return result;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::vector<json> JsonLines(const std::string& text) {
    std::vector<json> values;
    for (const std::string& line : Lines(text))
        values.push_back(json::parse(line));
    return values;
}

struct timespec ModifiedAt(const std::string& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mtim;
}

void Age(const std::string& path) {
    struct timespec times[2];
    times[0].tv_sec = 1'600'000'000;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

std::string Utf8OfCodeUnit(char16_t unit) {
    // Three-byte form of a lone surrogate: the builder turns it into that code unit.
    std::string bytes;
    bytes += static_cast<char>(0xE0 | (unit >> 12));
    bytes += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
    bytes += static_cast<char>(0x80 | (unit & 0x3F));
    return bytes;
}

class Cli : public testing::Test {
protected:
    void SetUp() override {
        BuildCaseTable();
        ASSERT_FALSE(FDir.Path().empty());
        // Readable for the unprivileged runs; mkdtemp makes it private.
        chmod(FDir.Path().c_str(), 0755);
    }
    void TearDown() override {
        ParJobId = ParPrompt = ParNegPrompt = ParSeed = false;
        // Let the temporary folder be removed whatever a test locked.
        for (const auto& entry : std::filesystem::recursive_directory_iterator(FDir.Path()))
            chmod(entry.path().c_str(), entry.is_directory() ? 0755 : 0644);
    }

    std::string Put(const std::string& name, const std::string& bytes) {
        const std::string path = FDir.File(name);
        EXPECT_TRUE(test::WriteFile(path, bytes)) << path;
        return path;
    }
    std::string Folder(const std::string& name) {
        const std::string path = FDir.File(name);
        EXPECT_EQ(mkdir(path.c_str(), 0755), 0) << path;
        return path;
    }
    // Copies every regular file of from into the new folder to, with its permissions.
    std::string CopyFolder(const std::string& from, const std::string& to) {
        const std::string path = Folder(to);
        for (const auto& entry : std::filesystem::directory_iterator(from)) {
            if (!entry.is_regular_file()) continue;
            const std::string target = path + "/" + entry.path().filename().string();
            EXPECT_TRUE(test::WriteFile(target, test::ReadWholeFile(entry.path().string())));
            struct stat st {};
            stat(entry.path().c_str(), &st);
            chmod(target.c_str(), st.st_mode & 07777);
        }
        return path;
    }

    test::TTempDir FDir;
};

// The files of a typical folder: wipeable pictures of both kinds, pictures without data,
// an already wiped one, a read-only one, and files the filter leaves out.
void MakeMixedFolder(const std::string& folder) {
    TParamSet owl;
    owl.Prompt = "сова на ветке, акварель";
    owl.NegPrompt = "размыто";
    owl.Seed = "42";
    test::WriteFile(folder + "/a fox.png", test::TarvoPng());
    test::WriteFile(folder + "/b owl.jpg", test::JpegFile(test::FirstBlockText(owl)));
    test::WriteFile(folder + "/c bare.png", test::PngFile({}));
    test::WriteFile(folder + "/d text.jpeg", std::string(300, 'x'));
    test::WriteFile(folder + "/e wiped.png",
                    test::PngFile({test::Chunk(
                        "tEXt", test::GenInfoData(test::GenInfoObject({{"JobId", "\"   \","},
                                                                       {"prompt", "\"\","},
                                                                       {"seed", " ,"},
                                                                       {"width", "512"}})))}));
    test::WriteFile(folder + "/f locked.png", test::TarvoPng(owl));
    chmod((folder + "/f locked.png").c_str(), 0444);
    test::WriteFile(folder + "/g tiny.png", "tiny");
    test::WriteFile(folder + "/h other.webp", test::TarvoPng());
    test::WriteFile(folder + "/сова.png", test::TarvoPng(owl));
}

TEST_F(Cli, HelpOfTheToolAndOfEachCommandShowsExamples) {
    const std::vector<std::vector<std::string>> calls = {
        {"--help"}, {"show", "--help"}, {"wipe", "--help"}, {"list", "--help"}};
    for (const auto& args : calls) {
        SCOPED_TRACE(args[0]);
        const TRunResult run = RunTool(args);
        EXPECT_EQ(run.Status, 0);
        EXPECT_NE(run.Out.find("Examples:"), std::string::npos) << run.Out;
        EXPECT_NE(run.Out.find("tarvo-params "), std::string::npos);
    }
    EXPECT_NE(RunTool({"wipe", "--help"}).Out.find("--negative-prompt"), std::string::npos);
    EXPECT_NE(RunTool({"show", "--help"}).Out.find("--json"), std::string::npos);
    EXPECT_NE(RunTool({"list", "--help"}).Out.find("--all"), std::string::npos);
}

TEST_F(Cli, VersionIsTheProductVersionOnOneLine) {
    const TRunResult run = RunTool({"--version"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, std::string("tarvo-params ") + TARVO_VERSION + "\n");
}

TEST_F(Cli, UsageErrorsExitWithTwoAndTouchNothing) {
    const std::string png = Put("a.png", test::TarvoPng());
    const std::string before = test::ReadWholeFile(png);
    const std::vector<std::vector<std::string>> calls = {
        {},
        {"frobnicate"},
        {"show"},
        {"show", "--bogus", png},
        {"wipe", png}, // no key chosen
        {"wipe", "--dry-run", "--json", png},
        {"wipe", "--all"}, // no path
        {"wipe", "--all", "--sed", png},
        {"list"},
        {"list", FDir.Path(), FDir.Path()},
    };
    for (const auto& args : calls) {
        SCOPED_TRACE(testing::PrintToString(args));
        const TRunResult run = RunTool(args);
        EXPECT_EQ(run.Status, 2);
        EXPECT_FALSE(run.Err.empty());
        EXPECT_EQ(run.Out, "");
    }
    EXPECT_NE(RunTool({"wipe", png}).Err.find("--all"), std::string::npos);
    EXPECT_EQ(RunTool({"frobnicate"}).Err,
              "tarvo-params: unknown command 'frobnicate' (the commands are show, wipe and "
              "list)\nRun with --help for more information.\n");
    EXPECT_EQ(RunTool({"--bogus", "show"}).Err.find("unknown command"), std::string::npos);
    EXPECT_EQ(test::ReadWholeFile(png), before);
}

// Both formats, either block alone, malformed blocks, odd texts, and paths that are no
// picture at all.
std::vector<std::string> MakeShowFiles(const test::TTempDir& dir) {
    TParamSet odd;
    odd.Prompt = "'score_9, > кот' в шляпе";
    odd.NegPrompt = "''";
    std::vector<std::pair<std::string, std::string>> files = {
        {"both.png", test::TarvoPng()},
        {"odd prompt.png", test::TarvoPng(odd)},
        {"first only.png", test::PngFile({test::Chunk("eXIf", test::FirstBlockText())})},
        {"second only.png", test::PngFile({test::Chunk("tEXt", test::GenInfoText())})},
        {"crlf second.png",
         test::PngFile({test::Chunk(
             "tEXt", test::GenInfoData(test::GenInfoObject(test::GenInfoLines(), "\r\n")))})},
        {"latin1.png", test::PngFile({test::Chunk(
                           "tEXt", test::GenInfoData(test::GenInfoObject(
                                       {{"prompt", "\"caf\xE9 cr\xE8me\","}, {"seed", "7"}})))})},
        {"surrogate.png", test::PngFile({test::Chunk(
                              "eXIf", test::FirstBlockData("JobId: x\nprompt: a " +
                                                           Utf8OfCodeUnit(0xD800) + " b\n"))})},
        {"photo.jpg", test::JpegFile(test::FirstBlockText())},
        {"garbage exif.png", test::PngFile({test::Chunk("eXIf", std::string(200, '\x07'))})},
        {"short gen.png", test::PngFile({test::Chunk("tEXt", test::GenInfoData("{}"))})},
        {"bad crc.png", test::PngFile({test::Chunk("eXIf", test::FirstBlockText(), true),
                                       test::Chunk("tEXt", test::GenInfoText(), true)})},
        {"huge length.png",
         test::PngFile({test::ChunkWithLength(0x7FFFFFF0u, "tEXt", test::GenInfoText())})},
        {"cut.png", test::TarvoPng().substr(0, 300)},
        {"text.jpg", std::string(500, 'x')},
        {"jpeg head only.jpg", test::JpegHead(test::FirstBlockText(), 20000)},
        {"empty.png", ""},
        {"49 bytes.png", test::TarvoPng().substr(0, 49)},
        {"ёжик в тумане.png", test::TarvoPng()},
    };
    std::vector<std::string> paths;
    for (const auto& [name, bytes] : files) {
        paths.push_back(dir.File(name));
        test::WriteFile(paths.back(), bytes);
    }
    mkfifo(dir.File("pipe.png").c_str(), 0644);
    paths.push_back(dir.File("pipe.png"));
    paths.push_back("/dev/null");
    paths.push_back(dir.File("missing.png"));
    return paths;
}

TEST_F(Cli, ShowJsonAnswersWhatTheCoreAnswers) {
    const std::vector<std::string> paths = MakeShowFiles(FDir);
    std::vector<std::string> args = {"show", "--json"};
    args.insert(args.end(), paths.begin(), paths.end());
    const TRunResult run = RunTool(args);
    ASSERT_FALSE(run.TimedOut);
    EXPECT_EQ(run.Status, 1); // some paths hold no parameters
    const std::vector<json> lines = JsonLines(run.Out);
    ASSERT_EQ(lines.size(), paths.size());

    int failed = 0;
    TTarvoData record(false);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(paths[i]);
        const json& line = lines[i];
        const bool loaded = static_cast<bool>(record.Load(paths[i]));
        if (!loaded) ++failed;
        std::vector<std::string> members = {
            "path",           "exists",    "size",         "fileKind", "format",
            "loaded",         "hasParams", "text",         "prompt",   "cleanPrompt",
            "negativePrompt", "values",    "damagedChunks"};
        if (!loaded) members.push_back("reason");
        ASSERT_EQ(line.size(), members.size());
        for (const std::string& member : members)
            EXPECT_TRUE(line.contains(member)) << member;

        EXPECT_EQ(line["path"], paths[i]);
        EXPECT_EQ(line["exists"], !record.FilePath.empty());
        EXPECT_EQ(line["size"], record.FileSize);
        EXPECT_EQ(line["fileKind"], record.Graf.FileKind);
        EXPECT_EQ(line["format"], record.Graf.Format);
        EXPECT_EQ(line["loaded"], loaded);
        EXPECT_EQ(line["hasParams"], record.HasParams());
        EXPECT_EQ(line["text"], record.GetFullText());
        EXPECT_EQ(line["prompt"], record.GetPrompt(false));
        EXPECT_EQ(line["cleanPrompt"], record.GetPrompt(true));
        EXPECT_EQ(line["negativePrompt"], record.GetValue("negative_prompt"));
        ASSERT_EQ(line["values"].size(), 4u);
        for (std::string_view key : ParamNames)
            EXPECT_EQ(line["values"][std::string(key)], record.GetValue(key)) << key;
    }
    // A parameter chunk whose checksum is wrong is pointed out; a wipe repairs it.
    EXPECT_EQ(lines[0]["damagedChunks"], json::array());
    const auto bad = std::find(paths.begin(), paths.end(), FDir.File("bad crc.png"));
    ASSERT_NE(bad, paths.end());
    EXPECT_EQ(lines[static_cast<std::size_t>(bad - paths.begin())]["damagedChunks"],
              json({"eXIf", "tEXt"}));
    const TRunResult wipe = RunTool({"wipe", "--all", *bad});
    EXPECT_EQ(wipe.Out, "0\t" + *bad + "\tФайл успешно исправлен\n" +
                            "\trepaired: the eXIf chunk's checksum did not match its data; it "
                            "was rewritten\n\trepaired: the tEXt chunk's checksum did not match "
                            "its data; it was rewritten\n");
    EXPECT_TRUE(test::AllCrcsOk(test::ReadWholeFile(*bad)));
    // The set really covers both outcomes, and every failure has its message.
    EXPECT_GE(failed, 8);
    EXPECT_LT(failed, static_cast<int>(paths.size()) - 5);
    EXPECT_EQ(Lines(run.Err).size(), static_cast<std::size_t>(failed)) << run.Err;
}

TEST_F(Cli, ShowPlainPrintsHeaderTextAndBothPrompts) {
    TParamSet odd;
    odd.Prompt = "'score_9, кот в шляпе'";
    const std::string both = Put("both.png", test::TarvoPng(odd));
    const std::string jpeg = Put("photo.jpg", test::JpegFile(test::FirstBlockText()));
    const TRunResult run = RunTool({"show", both, jpeg});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Err, "");
    std::string expected;
    TTarvoData record(false);
    for (const std::string& path : {both, jpeg}) {
        ASSERT_TRUE(record.Load(path));
        expected += "== " + path + "\n" + WithLf(record.GetFullText()) +
                    "\nprompt: " + record.GetPrompt(true) +
                    "\nnegative: " + record.GetValue("negative_prompt") + "\n";
    }
    EXPECT_EQ(run.Out, expected);
    EXPECT_EQ(run.Out.find('\r'), std::string::npos);
    EXPECT_NE(run.Out.find("prompt: кот в шляпе\n"), std::string::npos);
}

struct TBadPathCase {
    const char* Name;
    const char* Reason; // expected in the message
};

TEST_F(Cli, BadPathsGetAClearMessageEachAndStatusOne) {
    Put("empty.png", "");
    Put("small.png", "0123456789");
    Put("nothing here.png", std::string(100, 'z'));
    ASSERT_EQ(mkfifo(FDir.File("pipe.png").c_str(), 0644), 0);
    const std::map<std::string, std::string> reasons = {
        {FDir.File("empty.png"), "is empty"},
        {FDir.File("small.png"), "too small"},
        {FDir.File("nothing here.png"), "no Tarvo parameters"},
        {FDir.File("pipe.png"), "FIFO"},
        {"/dev/null", "device"},
        {"/dev/zero", "device"},
        {FDir.File("нет такого.png"), "no such file"},
    };
    for (const auto& [path, reason] : reasons) {
        SCOPED_TRACE(path);
        const TRunResult show = RunTool({"show", path});
        ASSERT_FALSE(show.TimedOut);
        EXPECT_EQ(show.Status, 1);
        EXPECT_EQ(show.Err.rfind("tarvo-params: " + path + ": ", 0), 0u) << show.Err;
        EXPECT_NE(show.Err.find(reason), std::string::npos) << show.Err;
        EXPECT_EQ(Lines(show.Err).size(), 1u);
        const TRunResult wipe = RunTool({"wipe", "--all", "--json", path});
        ASSERT_FALSE(wipe.TimedOut);
        EXPECT_EQ(wipe.Status, 1);
        EXPECT_NE(wipe.Err.find(reason), std::string::npos) << wipe.Err;
        const std::vector<json> lines = JsonLines(wipe.Out);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0]["path"], path);
        EXPECT_TRUE(lines[0]["code"] == 2 || lines[0]["code"] == 3) << lines[0];
    }
}

// A folder given to show stands for its list; threads change neither output nor bytes.
TEST_F(Cli, ShowOfAFolderFollowsTheListAndThreadsChangeNothing) {
    const std::string folder = Folder("mixed");
    MakeMixedFolder(folder);
    const TRunResult list = RunTool({"list", folder});
    const TRunResult listAll = RunTool({"list", "--all", folder});
    const TRunResult shown = RunTool({"show", "--json", folder});
    const TRunResult shownAll = RunTool({"show", "--json", "--all", "--jobs", "1", folder});
    const auto paths = [](const TRunResult& run) {
        std::vector<std::string> found;
        for (const json& record : JsonLines(run.Out))
            found.push_back(std::filesystem::path(record["path"].get<std::string>()).filename());
        return found;
    };
    EXPECT_EQ(paths(shown), Lines(list.Out));
    EXPECT_EQ(paths(shownAll), Lines(listAll.Out));
    EXPECT_EQ(RunTool({"show", "--jobs", "1", folder}).Out, RunTool({"show", folder}).Out);

    const std::string copy = CopyFolder(folder, "copy");
    const TRunResult one = RunTool({"wipe", "--all", "--json", "--jobs", "1", folder});
    const TRunResult many = RunTool({"wipe", "--all", "--json", "--jobs", "8", copy});
    EXPECT_EQ(Lines(many.Out).size(), Lines(one.Out).size());
    std::string manyOut = many.Out;
    for (std::size_t at; (at = manyOut.find(copy)) != std::string::npos;)
        manyOut.replace(at, copy.size(), folder);
    EXPECT_EQ(manyOut, one.Out);
    for (const std::string& name : Lines(listAll.Out))
        EXPECT_EQ(test::ReadWholeFile(copy + "/" + name), test::ReadWholeFile(folder + "/" + name))
            << name;
}

TEST_F(Cli, PermissionsAreReportedPerPath) {
    if (geteuid() != 0 && geteuid() != NobodyId) GTEST_SKIP() << "needs root to switch user";
    const std::string closed = Folder("closed");
    test::WriteFile(closed + "/a.png", test::TarvoPng());
    ASSERT_EQ(chmod(closed.c_str(), 0), 0);
    const std::string secret = Put("secret.png", test::TarvoPng());
    ASSERT_EQ(chmod(secret.c_str(), 0600), 0);
    const std::string mine = Put("mine.png", test::TarvoPng());
    ASSERT_EQ(chmod(mine.c_str(), 0644), 0);
    const std::string before = test::ReadWholeFile(mine);
    // The build folder may lie where nobody cannot reach it (under /root), so nobody runs a
    // copy of the tool from the test's own folder.
    TRunOptions nobody{true, false, FDir.File("tarvo-params")};
    ASSERT_TRUE(std::filesystem::copy_file(ToolPath, nobody.Tool));
    ASSERT_EQ(chmod(nobody.Tool.c_str(), 0755), 0);

    TRunResult run = RunTool({"wipe", "--all", closed}, nobody);
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find(closed + ": cannot be listed: Permission denied"), std::string::npos)
        << run.Err;
    run = RunTool({"list", closed}, nobody);
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("Permission denied"), std::string::npos) << run.Err;
    run = RunTool({"show", secret}, nobody);
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("cannot be opened for reading: Permission denied"), std::string::npos)
        << run.Err;
    run = RunTool({"wipe", "--prompt", mine}, nobody);
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("cannot be opened for writing: Permission denied"), std::string::npos)
        << run.Err;
    EXPECT_EQ(run.Out, "6\t" + mine + "\tНе удалось открыть файл для записи\n");
    EXPECT_EQ(test::ReadWholeFile(mine), before);
    // A dry run asks the same permission without opening the file.
    run = RunTool({"wipe", "--prompt", "--dry-run", "--json", mine}, nobody);
    EXPECT_EQ(run.Status, 1);
    ASSERT_EQ(JsonLines(run.Out).size(), 1u);
    EXPECT_EQ(JsonLines(run.Out)[0]["code"], 6);
    run = RunTool({"wipe", "--prompt", "--dry-run", "--json", mine});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(JsonLines(run.Out)[0]["code"], 0);
    EXPECT_EQ(test::ReadWholeFile(mine), before);
}

struct TKeyChoice {
    std::vector<std::string> Options;
    bool JobId, Prompt, NegPrompt, Seed;
};

TEST_F(Cli, WipingAFileLeavesTheSameBytesAsTheCore) {
    const TKeyChoice choices[] = {
        {{"--prompt"}, false, true, false, false},
        {{"--jobid", "--seed"}, true, false, false, true},
        {{"--negative-prompt"}, false, false, true, false},
        {{"--all"}, true, true, true, true},
        {{"--jobid", "--prompt", "--negative-prompt", "--seed"}, true, true, true, true},
    };
    TParamSet owl;
    owl.Prompt = "сова на ветке";
    const std::vector<std::pair<std::string, std::string>> files = {
        {"both.png", test::TarvoPng()},
        {"photo.jpg", test::JpegFile(test::FirstBlockText(owl))},
        {"second only.png", test::PngFile({test::Chunk("tEXt", test::GenInfoText(owl))})},
    };
    int round = 0;
    for (const TKeyChoice& choice : choices) {
        for (const auto& [name, bytes] : files) {
            SCOPED_TRACE(testing::PrintToString(choice.Options) + " " + name);
            const std::string byCore = Put(std::to_string(round) + "core " + name, bytes);
            const std::string byTool = Put(std::to_string(round) + "tool " + name, bytes);
            ++round;
            ParJobId = choice.JobId;
            ParPrompt = choice.Prompt;
            ParNegPrompt = choice.NegPrompt;
            ParSeed = choice.Seed;
            TTarvoData delData(true);
            delData.FilePath = byCore;
            const int code = static_cast<int>(delData.Wipe(false));

            std::vector<std::string> args = {"wipe", "--json"};
            args.insert(args.end(), choice.Options.begin(), choice.Options.end());
            args.push_back(byTool);
            const TRunResult run = RunTool(args);
            EXPECT_EQ(run.Status, code == 0 || code == 4 ? 0 : 1);
            const std::vector<json> lines = JsonLines(run.Out);
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_EQ(lines[0]["code"], code);
            EXPECT_EQ(test::ReadWholeFile(byTool), test::ReadWholeFile(byCore));
            EXPECT_NE(test::ReadWholeFile(byTool), bytes);
        }
    }
}

TEST_F(Cli, WipeStatusFollowsTheCode) {
    const std::string fresh = Put("fresh.png", test::TarvoPng());
    const TRunResult first = RunTool({"wipe", "--all", fresh});
    EXPECT_EQ(first.Status, 0);
    EXPECT_EQ(first.Out, "0\t" + fresh + "\tФайл успешно исправлен\n");
    EXPECT_EQ(first.Err, "");
    const TRunResult again = RunTool({"wipe", "--all", fresh});
    EXPECT_EQ(again.Status, 0);
    EXPECT_EQ(again.Out,
              "4\t" + fresh +
                  "\tУказанные для стирания данные отсутствуют в файле или уже стёрты\n");
    const std::string missing = FDir.File("missing.png");
    const TRunResult both = RunTool({"wipe", "--seed", fresh, missing});
    EXPECT_EQ(both.Status, 1);
    EXPECT_EQ(Lines(both.Out).size(), 2u);
    EXPECT_EQ(Lines(both.Out)[1], "2\t" + missing + "\tФайл не найден");
    EXPECT_EQ(both.Err, "tarvo-params: " + missing + ": no such file\n");
}

TEST_F(Cli, FolderRunReportsWhatTheCoreRunReports) {
    const std::string original = Folder("original");
    MakeMixedFolder(original);
    const std::string byCore = CopyFolder(original, "by core");
    const std::string byJson = CopyFolder(original, "by json");
    const std::string byText = CopyFolder(original, "by text");

    ParJobId = ParPrompt = ParNegPrompt = ParSeed = true;
    TFilesObj list;
    list.TarvoFilter = true;
    list.Fill(byCore);
    TTarvoData delData(true);
    TWipeCounters counters;
    std::vector<std::pair<std::string, int>> coreCodes;
    RunFolderWipe(
        list, delData, counters,
        [&](const std::string& path, std::optional<TWipeCode> code, const TWipeFindings&) {
            coreCodes.emplace_back(std::filesystem::path(path).filename().string(),
                                   code ? static_cast<int>(*code) : -1);
        });
    ParJobId = ParPrompt = ParNegPrompt = ParSeed = false;
    ASSERT_EQ(counters.total, 7);

    const TRunResult run = RunTool({"wipe", "--all", "--json", byJson});
    ASSERT_FALSE(run.TimedOut);
    EXPECT_EQ(run.Status, 1); // files without data and a read-only file
    const std::vector<json> lines = JsonLines(run.Out);
    ASSERT_EQ(lines.size(), coreCodes.size() + 1);
    for (std::size_t i = 0; i < coreCodes.size(); ++i) {
        EXPECT_EQ(lines[i]["path"], byJson + "/" + coreCodes[i].first);
        EXPECT_EQ(lines[i]["code"], coreCodes[i].second) << coreCodes[i].first;
    }
    const json expectedFolder = {{"folder", byJson},
                                 {"total", counters.total},
                                 {"fixed", counters.fixed},
                                 {"noData", counters.noData},
                                 {"byCode",
                                  {{"2", counters.byCode[2]},
                                   {"3", counters.byCode[3]},
                                   {"4", counters.byCode[4]},
                                   {"6", counters.byCode[6]},
                                   {"7", counters.byCode[7]},
                                   {"8", counters.byCode[8]}}},
                                 {"unknown", counters.unknown}};
    EXPECT_EQ(lines.back(), expectedFolder);
    EXPECT_EQ(counters.fixed, 3);
    EXPECT_EQ(counters.noData, 2);
    EXPECT_EQ(counters.byCode[4], 1);
    EXPECT_EQ(counters.byCode[6], 1);

    const TRunResult text = RunTool({"wipe", "--all", byText});
    EXPECT_EQ(text.Status, 1);
    const std::vector<std::string> textLines = Lines(text.Out);
    ASSERT_EQ(textLines.size(), coreCodes.size() + 1 + 5);
    EXPECT_EQ(textLines[0], "0\t" + byText + "/a fox.png\tФайл успешно исправлен");
    EXPECT_EQ(textLines[2], "-1\t" + byText + "/c bare.png\tФайл не содержит данных Tarvo Data");
    EXPECT_EQ(textLines[coreCodes.size()], "== " + byText);
    std::string report;
    for (std::size_t i = coreCodes.size() + 1; i < textLines.size(); ++i)
        report += textLines[i] + (i + 1 < textLines.size() ? "\n" : "");
    EXPECT_EQ(report, WithLf(ComposeReport(counters).Text));
    EXPECT_EQ(text.Err.find('\r'), std::string::npos); // no progress line on a pipe

    for (const auto& entry : std::filesystem::directory_iterator(original)) {
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        const std::string core = test::ReadWholeFile(byCore + "/" + name);
        EXPECT_EQ(test::ReadWholeFile(byJson + "/" + name), core);
        EXPECT_EQ(test::ReadWholeFile(byText + "/" + name), core);
    }
}

TEST_F(Cli, FolderWithoutCandidatesSaysSoAndCountsNothing) {
    const std::string folder = Folder("empty");
    test::WriteFile(folder + "/a.webp", test::TarvoPng());
    test::WriteFile(folder + "/b.png", "tiny");
    const TRunResult run = RunTool({"wipe", "--all", "--json", folder});
    EXPECT_EQ(run.Status, 0);
    EXPECT_NE(run.Err.find("В папке не обнаружены файлы для обработки"), std::string::npos);
    const std::vector<json> lines = JsonLines(run.Out);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["total"], 0);
    EXPECT_EQ(lines[0]["fixed"], 0);
}

TEST_F(Cli, DryRunReportsTheRealCodesAndWritesNothing) {
    const std::string folder = Folder("pictures");
    MakeMixedFolder(folder);
    const std::string single = Put("single.png", test::TarvoPng());
    std::map<std::string, std::string> before;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        Age(entry.path().string());
        before[entry.path().string()] = test::ReadWholeFile(entry.path().string());
    }
    Age(single);
    before[single] = test::ReadWholeFile(single);
    const std::string copy = CopyFolder(folder, "copy");

    const TRunResult dry = RunTool({"wipe", "--all", "--dry-run", "--json", folder, single});
    ASSERT_FALSE(dry.TimedOut);
    EXPECT_NE(dry.Err.find("dry run"), std::string::npos);
    // The plain folder report tells what would change, not that anything was changed.
    const TRunResult dryText = RunTool({"wipe", "--all", "--dry-run", folder});
    EXPECT_NE(dryText.Out.find(" файлов будет исправлено (пробный прогон: файлы не изменены)."),
              std::string::npos)
        << dryText.Out;
    EXPECT_EQ(dryText.Out.find("успешно исправлено"), std::string::npos);
    for (const auto& [path, bytes] : before) {
        SCOPED_TRACE(path);
        EXPECT_TRUE(test::ReadWholeFile(path) == bytes);
        EXPECT_EQ(ModifiedAt(path).tv_sec, 1'600'000'000);
    }
    const TRunResult plain = RunTool({"wipe", "--all", "--dry-run", single});
    EXPECT_EQ(plain.Status, 0);
    EXPECT_NE(plain.Out.find("Dry run"), std::string::npos);
    EXPECT_NE(plain.Out.find("0\t" + single + "\tФайл будет исправлен"), std::string::npos);
    EXPECT_EQ(test::ReadWholeFile(single), before[single]);

    // The real run gives every file the code the dry run announced.
    const TRunResult real = RunTool({"wipe", "--all", "--json", copy});
    std::vector<json> dryLines = JsonLines(dry.Out);
    const std::vector<json> realLines = JsonLines(real.Out);
    ASSERT_EQ(dryLines.size(), realLines.size() + 1);
    EXPECT_EQ(dry.Status, real.Status);
    for (std::size_t i = 0; i + 1 < realLines.size(); ++i) {
        EXPECT_EQ(dryLines[i]["code"], realLines[i]["code"]) << realLines[i];
        EXPECT_EQ(std::filesystem::path(dryLines[i]["path"].get<std::string>()).filename(),
                  std::filesystem::path(realLines[i]["path"].get<std::string>()).filename());
    }
    json dryFolder = dryLines[realLines.size() - 1];
    json realFolder = realLines.back();
    dryFolder.erase("folder");
    realFolder.erase("folder");
    EXPECT_EQ(dryFolder, realFolder);
    EXPECT_EQ(dryLines.back()["code"], 0);
}

TEST_F(Cli, ListPrintsTheFolderListInItsOrder) {
    const std::string folder = Folder("list");
    test::WriteFile(folder + "/b.png", test::TarvoPng());
    test::WriteFile(folder + "/A.jpg", test::TarvoPng());
    test::WriteFile(folder + "/c.JPEG", test::TarvoPng());
    test::WriteFile(folder + "/d.gif", test::TarvoPng());
    test::WriteFile(folder + "/x.webp", test::TarvoPng());
    test::WriteFile(folder + "/tiny.png", "tiny");
    test::WriteFile(folder + "/ёж с пробелом.png", test::TarvoPng());
    mkdir((folder + "/e.png").c_str(), 0755);

    const TRunResult filtered = RunTool({"list", folder});
    EXPECT_EQ(filtered.Status, 0);
    EXPECT_EQ(filtered.Out, "A.jpg\nb.png\nc.JPEG\nёж с пробелом.png\n");
    const TRunResult all = RunTool({"list", "--all", folder});
    EXPECT_EQ(all.Status, 0);
    TFilesObj list;
    list.Fill(folder);
    std::string expected;
    for (const std::string& name : list.Names)
        expected += name + "\n";
    EXPECT_EQ(all.Out, expected);
    EXPECT_EQ(list.Names.size(), 6u);

    const TRunResult notFolder = RunTool({"list", folder + "/b.png"});
    EXPECT_EQ(notFolder.Status, 1);
    EXPECT_EQ(notFolder.Err, "tarvo-params: " + folder + "/b.png: is not a folder\n");
}

std::string FromBase64(const std::string& text) {
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    unsigned bits = 0;
    int count = 0;
    for (const char c : text) {
        if (c == '=') break;
        bits = bits << 6 | static_cast<unsigned>(alphabet.find(c));
        if ((count += 6) >= 8) bytes += static_cast<char>(bits >> (count -= 8));
    }
    return bytes;
}

// Names are bytes: they come back exactly through JSON and list -0, and plain output shows
// every control character as an escape, one line per name.
TEST_F(Cli, OddNamesRoundTripAndNeverBreakPlainOutput) {
    const std::string folder = Folder("odd");
    const std::vector<std::string> names = {"caf\xE9.png", "line\nbreak.png", "tab\there.png",
                                            "esc\x1b[31mred.png", "plain.png"};
    for (const std::string& name : names)
        test::WriteFile(folder + "/" + name, test::TarvoPng());
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string path = folder + "/" + name;
        const std::vector<json> shown = JsonLines(RunTool({"show", "--json", path}).Out);
        ASSERT_EQ(shown.size(), 1u);
        const bool utf8 = name != names[0];
        EXPECT_EQ(shown[0].contains("pathBytes"), !utf8);
        EXPECT_EQ(utf8 ? shown[0]["path"].get<std::string>()
                       : FromBase64(shown[0]["pathBytes"].get<std::string>()),
                  path);
    }
    const TRunResult null = RunTool({"list", "-0", folder});
    std::vector<std::string> listed;
    for (std::size_t from = 0, end; (end = null.Out.find('\0', from)) != std::string::npos;
         from = end + 1)
        listed.push_back(null.Out.substr(from, end - from));
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()),
              std::set<std::string>(names.begin(), names.end()));

    const TRunResult list = RunTool({"list", folder});
    const TRunResult wipe = RunTool({"wipe", "--all", folder});
    const TRunResult show = RunTool({"show", folder + "/" + names[3]});
    EXPECT_EQ(Lines(list.Out).size(), names.size());
    EXPECT_NE(list.Out.find("esc\\x1b[31mred.png\n"), std::string::npos) << list.Out;
    EXPECT_NE(list.Out.find("line\\nbreak.png\n"), std::string::npos);
    EXPECT_NE(list.Out.find("caf\\xe9.png\n"), std::string::npos);
    EXPECT_EQ(std::count(wipe.Out.begin(), wipe.Out.end(), '\t'), 2 * 5);
    for (const std::string& out : {list.Out, wipe.Out, show.Out})
        EXPECT_EQ(out.find_first_of(std::string("\x1b\r\0", 3)), std::string::npos) << out;
}

// Another program's lock, of either family, keeps the file unwritten, and the reason says so.
// A record lock keeps readers out as well; a flock lock only writers, which take both kinds.
TEST_F(Cli, ALockedFileIsNotWrittenAndTheReasonSaysSo) {
    const std::string path = Put("held.png", test::TarvoPng());
    const std::string before = test::ReadWholeFile(path);
    for (const bool record : {true, false}) {
        SCOPED_TRACE(record ? "lockf" : "flock");
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t holder = fork();
        if (holder == 0) {
            const int fd = open(path.c_str(), O_RDWR);
            const bool held = record ? lockf(fd, F_LOCK, 0) == 0 : flock(fd, LOCK_EX) == 0;
            (void)!write(ready[1], held ? "y" : "n", 1);
            pause();
            _exit(0);
        }
        char held = 'n';
        ASSERT_EQ(read(ready[0], &held, 1), 1);
        ASSERT_EQ(held, 'y');
        const TRunResult wipe = RunTool({"wipe", "--all", "--json", path});
        const TRunResult show = RunTool({"show", "--json", path});
        const TRunResult plain = RunTool({"wipe", "--all", FDir.Path()});
        kill(holder, SIGKILL);
        waitpid(holder, nullptr, 0);
        close(ready[0]);
        close(ready[1]);
        EXPECT_EQ(wipe.Status, 1);
        ASSERT_EQ(JsonLines(wipe.Out).size(), 1u);
        EXPECT_EQ(JsonLines(wipe.Out)[0]["code"], record ? 3 : 6);
        EXPECT_EQ(JsonLines(wipe.Out)[0]["reason"], "locked by another program");
        EXPECT_EQ(wipe.Err, "tarvo-params: " + path + ": locked by another program\n");
        EXPECT_EQ(JsonLines(show.Out)[0].contains("reason"), record);
        const std::string line = record ? "-1\t" + path + "\tФайл не содержит данных Tarvo Data"
                                        : "6\t" + path + "\tНе удалось открыть файл для записи";
        EXPECT_NE(plain.Out.find(line + "\n\treason: locked by another program\n"),
                  std::string::npos)
            << plain.Out;
        EXPECT_EQ(test::ReadWholeFile(path), before);
    }
}

TEST_F(Cli, AFolderLinkIsRefusedWithItsReasonAndANamedLinkIsFollowed) {
    const std::string target = Put("outside.png", test::TarvoPng());
    const std::string folder = FDir.File("shared");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string link = folder + "/a.png";
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    const std::string before = test::ReadWholeFile(target);

    const TRunResult asJson = RunTool({"wipe", "--all", "--json", folder});
    const TRunResult plain = RunTool({"wipe", "--all", folder});
    EXPECT_EQ(asJson.Status, 1);
    ASSERT_EQ(JsonLines(asJson.Out).size(), 2u);
    EXPECT_EQ(JsonLines(asJson.Out)[0]["code"], 6);
    EXPECT_EQ(JsonLines(asJson.Out)[0]["reason"], "a symbolic link: not followed in a folder run");
    EXPECT_EQ(JsonLines(asJson.Out)[1]["byCode"]["6"], 1);
    EXPECT_NE(plain.Out.find("6\t" + link +
                             "\tНе удалось открыть файл для записи\n\treason: a symbolic link: "
                             "not followed in a folder run\n"),
              std::string::npos)
        << plain.Out;
    EXPECT_EQ(test::ReadWholeFile(target), before);

    const TRunResult named = RunTool({"wipe", "--all", "--json", link});
    EXPECT_EQ(named.Status, 0);
    EXPECT_EQ(JsonLines(named.Out)[0]["code"], 0);
    EXPECT_EQ(JsonLines(named.Out)[0]["searchComplete"], true);
    EXPECT_NE(test::ReadWholeFile(target), before);
}

TEST_F(Cli, ASearchCutShortByTheInflateLimitSaysSo) {
    // Compressed text chunks of 16 MiB of zeros each, past the file's inflate limit, and a
    // copy of the prompt after them that is still found.
    std::vector<std::string> chunks = {test::Chunk("eXIf", test::FirstBlockText()),
                                       test::Chunk("tEXt", test::GenInfoText())};
    chunks.resize(7, test::ZtxtChunk("Comment", std::string(16 << 20, '\0')));
    chunks.push_back(test::Chunk("tEXt", "Comment\0" + TParamSet().Prompt));
    const std::string file = test::PngFile(chunks);
    const std::string byJsonPath = Put("json.png", file);
    const std::string plain = Put("plain.png", file);
    const TRunResult byJson = RunTool({"wipe", "--all", "--json", byJsonPath});
    const TRunResult byPlain = RunTool({"wipe", "--all", plain});
    ASSERT_EQ(JsonLines(byJson.Out).size(), 1u);
    const json record = JsonLines(byJson.Out)[0];
    EXPECT_EQ(record["code"], 0);
    EXPECT_EQ(record["leftovers"].size(), 1u);
    EXPECT_EQ(record["searchComplete"], false);
    EXPECT_EQ(record["searchStoppedBy"], "inflate limit");
    EXPECT_NE(byPlain.Out.find("\n\tsearch incomplete: inflate limit; the rest of the file was "
                               "not searched for copies\n"),
              std::string::npos)
        << byPlain.Out;
}

TEST_F(Cli, WebpFilesOfAFolderAreWipedOnlyUnfiltered) {
    const std::string webp =
        test::WebpFile({test::RiffChunk("VP8L", std::string(300, 'p')),
                        test::RiffChunk("EXIF", test::WebpExif(test::FirstBlockText()))});
    const std::string path = Put("a.webp", webp);
    const TRunResult shown = RunTool({"show", "--json", path});
    EXPECT_EQ(JsonLines(shown.Out)[0]["fileKind"], 3);
    EXPECT_EQ(JsonLines(shown.Out)[0]["prompt"], "a red fox in the snow");
    const TRunResult filtered = RunTool({"wipe", "--all", "--json", FDir.Path()});
    EXPECT_EQ(JsonLines(filtered.Out).back()["total"], 0);
    EXPECT_EQ(test::ReadWholeFile(path), webp);
    const TRunResult unfiltered = RunTool({"wipe", "--all", "--unfiltered", "--json", FDir.Path()});
    ASSERT_EQ(JsonLines(unfiltered.Out).size(), 2u) << unfiltered.Out;
    EXPECT_EQ(JsonLines(unfiltered.Out)[0]["code"], 0);
    EXPECT_EQ(JsonLines(unfiltered.Out)[1]["fixed"], 1);
    EXPECT_EQ(RunTool({"list", "--unfiltered", FDir.Path()}).Out,
              RunTool({"list", "--all", FDir.Path()}).Out);
}

TEST_F(Cli, OtherGeneratorsTextIsNamedShownAndWipedOrRefusedWithItsReason) {
    const std::string text = "a castle\nNegative prompt: fog\nSteps: 20, Seed: 42";
    const std::string plainPng =
        Put("webui.png",
            test::PngFile({test::Chunk("tEXt", "parameters" + std::string(1, '\0') + text)}));
    const std::string packed =
        Put("packed.png", test::PngFile({test::ZtxtChunk("parameters", text)}));
    const std::string other =
        Put("other.png", test::PngFile({test::Chunk("tEXt", std::string("Comment\0by hand", 15))}));
    const json shown = JsonLines(RunTool({"show", "--json", plainPng}).Out)[0];
    EXPECT_EQ(shown["format"], "a1111");
    EXPECT_EQ(shown["prompt"], "a castle");
    EXPECT_EQ(shown["cleanPrompt"], "a castle");
    EXPECT_EQ(shown["values"]["seed"], "42");
    EXPECT_EQ(RunTool({"show", other}).Out, "== " + other + "  [text]\nComment: by hand\n");
    const TRunResult wiped = RunTool({"wipe", "--all", plainPng, packed});
    EXPECT_EQ(wiped.Out, "0\t" + plainPng + "\tФайл успешно исправлен\n6\t" + packed +
                             "\tНе удалось открыть файл для записи\n\treason: compressed text "
                             "cannot be wiped in place\n");
}

// A run killed at any of its writes, by SIGKILL, SIGINT or SIGTERM, leaves every file whole
// and its output at a record boundary listing what it changed; run again, it ends with
// exactly the bytes of an uninterrupted wipe.
TEST_F(Cli, AnInterruptedFolderWipeDamagesNothingAndFinishesOnTheNextRun) {
    if (access("/usr/bin/strace", X_OK) != 0) GTEST_SKIP() << "strace is not installed";
    TParamSet owl;
    owl.Prompt = "сова на ветке, акварель";
    const std::vector<std::pair<std::string, std::string>> files = {
        {"a.png", test::TarvoPng()},
        {"b.jpg", test::JpegFile(test::FirstBlockText(owl))},
        {"c.png", test::TarvoPng(owl)},
        {"d.png", test::PngFile({test::Chunk("tEXt", test::GenInfoText(owl))})}};
    const std::string source = Folder("source");
    for (const auto& [name, bytes] : files)
        test::WriteFile(source + "/" + name, bytes);
    const std::string reference = CopyFolder(source, "reference");
    ASSERT_EQ(RunTool({"wipe", "--all", reference}).Status, 0);

    // A sanitizer build's leak check cannot stop a process that strace already traces.
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    // strace counts each system call apart (pwrite64 writes the files, write the records) and
    // each thread apart: SIGKILL tries several threads; the stop signals one, since a second
    // one ends the tool at once, as it should.
    int round = 0;
    for (const std::string signal : {"SIGKILL", "SIGINT", "SIGTERM"})
        for (const std::string call : {"pwrite64", "write"})
            for (int when = 1;; ++when) {
                SCOPED_TRACE(signal + " at " + call + " " + std::to_string(when));
                const std::string jobs = signal == "SIGKILL" ? "4" : "1";
                const std::string folder = CopyFolder(source, "run" + std::to_string(++round));
                const TRunResult run = RunTool(
                    {"-f", "-qq", "-o", "/dev/null", "-e", "trace=" + call, "-e",
                     "inject=" + call + ":signal=" + signal + ":when=" + std::to_string(when),
                     ToolPath, "wipe", "--all", "--json", "--jobs", jobs, folder},
                    {.Tool = "/usr/bin/strace"});
                ASSERT_FALSE(run.TimedOut);
                ASSERT_TRUE(run.Out.empty() || run.Out.back() == '\n') << run.Out;
                for (const json& record : JsonLines(run.Out)) {
                    if (!record.contains("path") || record["code"] != 0) continue;
                    const std::string name =
                        record["path"].get<std::string>().substr(folder.size() + 1);
                    EXPECT_EQ(test::ReadWholeFile(folder + "/" + name),
                              test::ReadWholeFile(reference + "/" + name))
                        << name;
                }
                for (const auto& [name, bytes] : files) {
                    const std::string now = test::ReadWholeFile(folder + "/" + name);
                    if (name.ends_with(".png"))
                        EXPECT_TRUE(test::AllCrcsOk(now)) << name;
                    else
                        EXPECT_TRUE(now == bytes ||
                                    now == test::ReadWholeFile(reference + "/" + name));
                }
                const bool finished = run.Status == 0;
                // A sanitizer's own writes before main can take the signal before the
                // tool catches it; then nothing was done.
                const bool beforeMain = run.Status == -1 && run.Out.empty();
                if (signal != "SIGKILL" && !finished && !beforeMain) {
                    EXPECT_EQ(run.Status, signal == "SIGINT" ? 130 : 143);
                    // The folder's report of what was done closes the output.
                    const std::vector<json> records = JsonLines(run.Out);
                    ASSERT_FALSE(records.empty());
                    EXPECT_TRUE(records.back().contains("folder"));
                }
                EXPECT_EQ(RunTool({"wipe", "--all", folder}).Status, 0);
                for (const auto& [name, bytes] : files)
                    EXPECT_EQ(test::ReadWholeFile(folder + "/" + name),
                              test::ReadWholeFile(reference + "/" + name))
                        << name;
                // A release build makes 7 file writes and 5 record writes here; a sanitizer
                // build writes more calls of its own, of which the first ones are tried.
                if (finished || when == 16) break;
            }
}

TEST_F(Cli, ProgressLineAppearsOnlyOnATerminal) {
    const std::string folder = Folder("many");
    for (int i = 0; i < 5; ++i)
        test::WriteFile(folder + "/" + std::to_string(i) + ".png", test::TarvoPng());
    const TRunResult onTerminal = RunTool({"wipe", "--all", "--json", folder}, {false, true});
    EXPECT_EQ(onTerminal.Status, 0);
    EXPECT_NE(onTerminal.Err.find("\r5 of 5 files, "), std::string::npos) << onTerminal.Err;
    EXPECT_NE(onTerminal.Err.find(" files/s"), std::string::npos);
    // Erased before the report, so the terminal ends without it.
    EXPECT_EQ(onTerminal.Err.substr(onTerminal.Err.size() - 4), "\r\x1b[K");
    const TRunResult onPipe = RunTool({"wipe", "--all", "--json", folder});
    EXPECT_EQ(onPipe.Err, "");
}

TEST(CliJson, InvalidUtf8BecomesReplacementCharacters) {
    std::string line;
    cli::TJsonWriter writer(line);
    writer.OpenObject();
    writer.Key("text").String("caf\xE9 \xF0\x9F\xA6");
    writer.Key("ok").String("кот\x1b");
    writer.CloseObject();
    EXPECT_EQ(line, "{\"text\":\"caf\xEF\xBF\xBD \xEF\xBF\xBD\",\"ok\":\"кот\\u001b\"}");
}

// Commas, nesting and escapes as a JSON parser reads them back; a string longer than the
// writer's piece buffer comes through whole.
TEST(CliJson, NestedValuesAndLongStringsReadBackAsWritten) {
    const std::string longText = std::string(5000, '"') + std::string(3000, '\n') + "end";
    std::string line;
    cli::TJsonWriter writer(line);
    writer.OpenObject();
    writer.Key("empty").OpenArray();
    writer.CloseArray();
    writer.Key("list").OpenArray();
    writer.Number(-9007199254740993);
    writer.OpenObject();
    writer.CloseObject();
    writer.Bool(false);
    writer.String(longText);
    writer.CloseArray();
    writer.Key("inner").OpenObject();
    writer.Key("a").Number(1);
    writer.Key("b").String("");
    writer.CloseObject();
    writer.Path("path", "/pics/caf\xE9.png");
    writer.CloseObject();
    const nlohmann::ordered_json read = nlohmann::ordered_json::parse(line);
    EXPECT_EQ(read["empty"].size(), 0u);
    EXPECT_EQ(read["list"][0].get<std::int64_t>(), -9007199254740993);
    EXPECT_TRUE(read["list"][1].is_object());
    EXPECT_EQ(read["list"][2], false);
    EXPECT_EQ(read["list"][3], longText);
    EXPECT_EQ(read["inner"]["a"], 1);
    EXPECT_EQ(read["inner"]["b"], "");
    EXPECT_EQ(read["path"], "/pics/caf\xEF\xBF\xBD.png");
    EXPECT_EQ(read["pathBytes"], "L3BpY3MvY2Fm6S5wbmc=");
}

} // namespace
} // namespace tarvo
