#include "platform/Collation.h"
#include "platform/FileSys.h"
#include "platform/LockedFile.h"
#include "platform/TextCodec.h"
#include "platform/ThreadPriority.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

namespace tarvo {
namespace {

namespace fs = std::filesystem;

class PlatformTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tarvo-platform-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        FDir = pattern;
    }
    void TearDown() override {
        SetWriteFaults({});
        fs::permissions(FDir, fs::perms::owner_all);
        fs::remove_all(FDir);
    }
    std::string Make(const std::string& name, const std::string& bytes) {
        const std::string path = FDir + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    static std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string FDir;
};

TEST_F(PlatformTest, OnlyRegularFilesCountAsFiles) {
    const std::string file = Make("a.png", "x");
    const std::string fifo = FDir + "/pipe.png";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    fs::create_directory(FDir + "/sub.png");
    ASSERT_EQ(symlink(file.c_str(), (FDir + "/link.png").c_str()), 0);

    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(FDir + "/link.png"));
    EXPECT_FALSE(FileExists(fifo));
    EXPECT_FALSE(FileExists(FDir + "/sub.png"));
    EXPECT_FALSE(FileExists(FDir + "/none.png"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_TRUE(DirExists(FDir + "/sub.png"));
    EXPECT_FALSE(DirExists(file));
    EXPECT_EQ(CheckRegularFile(file).Size, 1);
    EXPECT_EQ(CheckRegularFile(fifo).Problem, TFileProblem::Fifo);
    EXPECT_EQ(CheckRegularFile(FDir).Problem, TFileProblem::Folder);
    EXPECT_EQ(CheckRegularFile(FDir + "/none.png").Problem, TFileProblem::Missing);
}

TEST_F(PlatformTest, ListFilesMatchesExtensionIgnoringCaseAndSkipsNonFiles) {
    Make("b.png", std::string(70, 'b'));
    Make("C.PNG", "c");
    Make(".hidden.png", "h");
    Make("png", "no dot");
    Make("d.png.txt", "other");
    Make("e.jpg", "jpeg");
    fs::create_directory(FDir + "/f.png");
    ASSERT_EQ(mkfifo((FDir + "/g.png").c_str(), 0644), 0);

    std::vector<TDirEntry> found = ListFiles(FDir, "png");
    std::sort(found.begin(), found.end(), [](auto& a, auto& b) { return a.Name < b.Name; });
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].Name, ".hidden.png");
    EXPECT_EQ(found[1].Name, "C.PNG");
    EXPECT_EQ(found[2].Name, "b.png");
    EXPECT_EQ(found[2].Size, 70);
    EXPECT_TRUE(ListFiles(FDir + "/missing", "png").empty());
}

TEST_F(PlatformTest, ReadFileHeadStopsAtLimitAndNeverOpensFifo) {
    const std::string file = Make("a.bin", "0123456789");
    std::string got;
    ASSERT_EQ(ReadFileHead(file, 4, got).Problem, TFileProblem::None);
    EXPECT_EQ(got, "0123");
    ASSERT_EQ(ReadFileHead(file, 100, got).Problem, TFileProblem::None);
    EXPECT_EQ(got, "0123456789");

    const std::string fifo = FDir + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    // Would block forever if it were opened as a file.
    EXPECT_EQ(ReadFileHead(fifo, 8, got).Problem, TFileProblem::NotRegular);
    EXPECT_EQ(ReadFileHead(FDir, 8, got).Problem, TFileProblem::NotRegular);
    EXPECT_EQ(ReadFileHead(FDir + "/none", 8, got).Problem, TFileProblem::Missing);
}

TEST_F(PlatformTest, WriterLockKeepsReadersAndOtherWritersOut) {
    const std::string file = Make("a.bin", "0123456789");
    TWriteFile writer;
    ASSERT_EQ(writer.Open(file).Problem, TFileProblem::None);
    std::string got;
    EXPECT_EQ(ReadFileHead(file, 8, got).Problem, TFileProblem::Locked);
    TWriteFile second;
    EXPECT_EQ(second.Open(file).Problem, TFileProblem::Locked);
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ(ReadFileHead(file, 8, got).Problem, TFileProblem::None);
    EXPECT_EQ(second.Open(file).Problem, TFileProblem::None);
}

// Another program holds a lock of either family: flock, or a lockf/fcntl record lock.
TEST_F(PlatformTest, LocksOfBothFamiliesHeldByAnotherProgramAreRespected) {
    const struct {
        const char* Note;
        int (*Take)(int fd);
        TFileProblem Read;
        TFileProblem Write;
    } cases[] = {
        {"flock shared", [](int fd) { return flock(fd, LOCK_SH); }, TFileProblem::None,
         TFileProblem::Locked},
        // Readers take only a record lock: our own writers take both kinds.
        {"flock exclusive", [](int fd) { return flock(fd, LOCK_EX); }, TFileProblem::None,
         TFileProblem::Locked},
        {"lockf", [](int fd) { return lockf(fd, F_LOCK, 0); }, TFileProblem::Locked,
         TFileProblem::Locked},
        {"fcntl read lock",
         [](int fd) {
             struct flock range {};
             range.l_type = F_RDLCK;
             range.l_whence = SEEK_SET;
             return fcntl(fd, F_SETLK, &range);
         },
         TFileProblem::None, TFileProblem::Locked},
    };
    const std::string file = Make("a.bin", "0123456789");
    for (const auto& c : cases) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t holder = fork();
        if (holder == 0) {
            const int fd = open(file.c_str(), O_RDWR);
            const char ok = fd >= 0 && c.Take(fd) == 0 ? 'y' : 'n';
            (void)!write(ready[1], &ok, 1);
            pause();
            _exit(0);
        }
        char ok = 'n';
        ASSERT_EQ(read(ready[0], &ok, 1), 1);
        EXPECT_EQ(ok, 'y') << c.Note;
        std::string got;
        EXPECT_EQ(ReadFileHead(file, 8, got).Problem, c.Read) << c.Note;
        TWriteFile writer;
        EXPECT_EQ(writer.Open(file).Problem, c.Write) << c.Note;
        kill(holder, SIGKILL);
        waitpid(holder, nullptr, 0);
        close(ready[0]);
        close(ready[1]);
        EXPECT_EQ(writer.Open(file).Problem, TFileProblem::None)
            << c.Note << ": released with its holder";
    }
    EXPECT_EQ(Slurp(file), "0123456789");
}

TEST_F(PlatformTest, WriterRefusesFileWithoutWriteBitEvenForRoot) {
    const std::string file = Make("a.bin", "0123456789");
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    TWriteFile writer;
    EXPECT_EQ(writer.Open(file).Problem, TFileProblem::ReadOnly);
    EXPECT_EQ(writer.Open(FDir + "/none").Problem, TFileProblem::Missing);
    EXPECT_EQ(writer.Open(FDir).Problem, TFileProblem::Folder);
}

TEST_F(PlatformTest, WriterWithoutFollowingRefusesEveryLinkAndOpensPlainFiles) {
    const std::string target = Make("target.bin", "0123456789");
    const std::string plain = Make("plain.bin", "abc");
    fs::create_directory(FDir + "/sub");
    fs::create_symlink(target, FDir + "/to-file");
    fs::create_symlink("target.bin", FDir + "/relative");
    fs::create_symlink(FDir + "/none", FDir + "/dangling");
    fs::create_symlink(FDir + "/sub", FDir + "/to-folder");
    const struct {
        const char* Name;
        TFileProblem NoFollow;
        TFileProblem Follow;
    } cases[] = {
        {"to-file", TFileProblem::Link, TFileProblem::None},
        {"relative", TFileProblem::Link, TFileProblem::None},
        {"dangling", TFileProblem::Link, TFileProblem::Missing},
        {"to-folder", TFileProblem::Link, TFileProblem::Folder},
        {"plain.bin", TFileProblem::None, TFileProblem::None},
        {"none", TFileProblem::Missing, TFileProblem::Missing},
    };
    for (const auto& c : cases) {
        const std::string path = FDir + "/" + c.Name;
        TWriteFile writer;
        EXPECT_EQ(writer.Open(path, false).Problem, c.NoFollow) << c.Name;
        EXPECT_EQ(MayWriteInPlace(path, false).Problem, c.NoFollow) << c.Name;
        EXPECT_EQ(writer.Open(path, true).Problem, c.Follow) << c.Name;
        EXPECT_EQ(MayWriteInPlace(path, true).Problem, c.Follow) << c.Name;
    }
    // A bare name is looked up in the working directory.
    const fs::path before = fs::current_path();
    fs::current_path(FDir);
    TWriteFile writer;
    EXPECT_EQ(writer.Open("to-file", false).Problem, TFileProblem::Link);
    EXPECT_EQ(writer.Open("plain.bin", false).Problem, TFileProblem::None);
    fs::current_path(before);
    EXPECT_EQ(Slurp(target), "0123456789");
}

TEST_F(PlatformTest, WriterChangesOnlyTheBytesItWritesAndNeverTruncates) {
    const std::string file = Make("a.bin", "0123456789");
    TWriteFile writer;
    ASSERT_EQ(writer.Open(file).Problem, TFileProblem::None);
    std::string before;
    ASSERT_TRUE(writer.ReadAt(3, 4, before));
    EXPECT_EQ(before, "3456");
    std::string pastEnd;
    EXPECT_FALSE(writer.ReadAt(8, 4, pastEnd));
    EXPECT_EQ(writer.WriteAt(3, "    ", 4), 4);
    EXPECT_EQ(writer.WriteAt(-1, "x", 1), -1);
    EXPECT_EQ(writer.Size(), 10);
    EXPECT_TRUE(writer.Sync());
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ(Slurp(file), "012    789");
}

TEST_F(PlatformTest, InjectedFaultsHitTheConfiguredCalls) {
    const std::string file = Make("a.bin", "0123456789");
    SetWriteFaults({.FailWriteAt = 1, .ShortWriteAt = 0, .FailSync = true});
    TWriteFile writer;
    ASSERT_EQ(writer.Open(file).Problem, TFileProblem::None);
    EXPECT_EQ(writer.WriteAt(2, "ab", 2), 1);
    EXPECT_EQ(writer.WriteAt(5, "cd", 2), -1);
    EXPECT_FALSE(writer.Sync());
    writer.Close();
    EXPECT_EQ(Slurp(file), "01a3456789");
}

TEST(TextCodec, WideToNarrowConvertsUtf16LeToUtf8) {
    const struct {
        std::string wide;
        std::string narrow;
        const char* note;
    } cases[] = {
        {std::string("c\0a\0t\0", 6), "cat", "ASCII"},
        {std::string("\x3a\x04\x3e\x04\x42\x04", 6), "кот", "Cyrillic"},
        {std::string("\x3d\xd8\x08\xde", 4), "\xF0\x9F\x98\x88", "surrogate pair"},
        {std::string("\x3d\xd8"
                     "a\0",
                     4),
         "\xEF\xBF\xBD"
         "a",
         "unpaired high surrogate"},
        {std::string("a\0b", 3), "a", "odd trailing byte ignored"},
        {"", "", "empty"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WideToNarrow(c.wide), c.narrow) << c.note;
}

TEST(TextCodec, NarrowToUtf8KeepsValidUtf8AndReadsTheRestAsLatin1) {
    EXPECT_EQ(NarrowToUtf8("кот"), "кот");
    EXPECT_EQ(NarrowToUtf8("caf\xE9"), "café");
    EXPECT_EQ(NarrowToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(TextCodec, IsValidUtf8RefusesEveryIllFormedSequence) {
    const struct {
        std::string text;
        bool valid;
        const char* note;
    } cases[] = {
        {"", true, "empty"},
        {std::string("a\0b", 3), true, "NUL is a character"},
        {"кот \xF0\x9F\x98\x88", true, "two, three and four bytes"},
        {"\xEF\xBF\xBE", true, "a noncharacter is well-formed"},
        {"\xF4\x8F\xBF\xBF", true, "U+10FFFF"},
        {"caf\xE9", false, "Latin-1"},
        {"\xC0\xAF", false, "overlong two bytes"},
        {"\xE0\x80\xAF", false, "overlong three bytes"},
        {"\xED\xA0\x80", false, "surrogate"},
        {"\xF4\x90\x80\x80", false, "above U+10FFFF"},
        {"\xE2\x82", false, "cut short"},
        {"\x80", false, "lone continuation byte"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidUtf8(c.text), c.valid) << c.note;
}

TEST_F(PlatformTest, FileStampTellsAChangedFileFromTheSameFile) {
    const std::string file = Make("a.png", "0123456789");
    const TFileStamp stamp = FileStamp(file);
    EXPECT_EQ(stamp.Size, 10);
    EXPECT_EQ(FileStamp(file), stamp);
    const timespec times[2] = {{0, UTIME_OMIT}, {stamp.Modified / 1'000'000'000 + 5, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    EXPECT_NE(FileStamp(file), stamp);
    EXPECT_EQ(FileStamp(FDir + "/none.png").Size, -1);
}

TEST(ThreadPriority, OnlyTheThreadThatAsksRunsAtNiceTenOrLower) {
    const int before = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    int nice = 0;
    std::thread([&] {
        LowerThreadPriority();
        nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    }).join();
    EXPECT_GE(nice, 10);
    EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())), before);
}

TEST(Collation, NamesCompareIgnoringCaseButNotLetters) {
    EXPECT_EQ(CompareNames("a.png", "A.png"), 0);
    EXPECT_LT(CompareNames("A.jpg", "b.png"), 0);
    EXPECT_GT(CompareNames("c.JPEG", "b.png"), 0);
    EXPECT_NE(CompareNames("e.png", "é.png"), 0);
}

} // namespace
} // namespace tarvo
