#include "app/FilesObj.h"
#include "params/DatTypes.h"
#include "platform/Collation.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tarvo {
namespace {

namespace fs = std::filesystem;

using TNames = std::vector<std::string>;

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "tarvo-files-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
        FPath = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(FPath, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return FPath; }
    std::string operator/(const std::string& name) const { return FPath + "/" + name; }

    // A file of size bytes (sparse beyond the first few, so large sizes cost nothing).
    void Make(const std::string& name, std::int64_t size = 100) const {
        const int fd = open((*this / name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << name;
        ASSERT_EQ(ftruncate(fd, size), 0);
        close(fd);
    }
    void MakeDir(const std::string& name) const { fs::create_directory(*this / name); }
    void Remove(const std::string& name) const { fs::remove(*this / name); }

private:
    std::string FPath;
};

// A list with a label that records every text written to it.
struct LabelledList {
    TFilesObj List;
    std::vector<std::string> Written;
    LabelledList() {
        List.CountLabel = [this](const std::string& text) { Written.push_back(text); };
    }
};

TFilesObj Filled(const TempFolder& dir, bool filter) {
    TFilesObj list;
    list.TarvoFilter = filter;
    list.Fill(dir.Path());
    return list;
}

TEST(FilesObj, CreateGivesAnEmptyUnloadedListWithoutFilter) {
    const TFilesObj list;
    EXPECT_TRUE(list.Names.empty());
    EXPECT_FALSE(list.Loaded);
    EXPECT_EQ(list.Position, -1);
    EXPECT_TRUE(list.CountDirty);
    EXPECT_FALSE(list.TarvoFilter);
    EXPECT_FALSE(list.CountLabel);
}

TEST(FilesObj, FillListsPicturesSortedByNameIgnoringCase) {
    TempFolder dir;
    for (const char* name : {"b.png", "A.jpg", "c.JPEG", "d.gif"})
        dir.Make(name);
    const TFilesObj list = Filled(dir, true);
    EXPECT_EQ(list.Names, (TNames{"A.jpg", "b.png", "c.JPEG"}));
    EXPECT_TRUE(list.Loaded);
    EXPECT_EQ(list.Folder, dir.Path());
    EXPECT_EQ(list.Position, -1);
}

struct TFilterCase {
    const char* Name;
    std::int64_t Size;
    bool ListedWithFilter;
    bool ListedWithoutFilter;
};

const TFilterCase kFilterCases[] = {
    {"x.webp", 100, false, true},
    {"y.WebP", 100, false, true},
    {"small.png", MinFileSize - 1, false, true},
    {"least.png", MinFileSize, true, true},
    {"largest.jpg", MaxFileSize, true, true},
    {"huge.jpg", MaxFileSize + 1, false, true},
    {"empty.jpeg", 0, false, true},
    {"plain.jpeg", 1000, true, true},
    {"upper.PNG", 1000, true, true},
    {"noext", 1000, false, false},
    {"dot.", 1000, false, false},
    {"trailing.png.bak", 1000, false, false},
    {"picture.gif", 1000, false, false},
    {"xpng", 1000, false, false},
};

TEST(FilesObj, TheFilterDropsWebPAndImplausibleSizesWhileNoFilterListsThemAll) {
    TempFolder dir;
    for (const TFilterCase& c : kFilterCases)
        dir.Make(c.Name, c.Size);
    for (const bool filter : {true, false}) {
        TFilesObj list = Filled(dir, filter);
        for (const TFilterCase& c : kFilterCases) {
            const bool listed =
                std::find(list.Names.begin(), list.Names.end(), c.Name) != list.Names.end();
            EXPECT_EQ(listed, filter ? c.ListedWithFilter : c.ListedWithoutFilter)
                << c.Name << (filter ? " with" : " without") << " the filter";
        }
        EXPECT_TRUE(std::is_sorted(
            list.Names.begin(), list.Names.end(),
            [](const std::string& a, const std::string& b) { return CompareNames(a, b) < 0; }));
    }
}

TEST(FilesObj, HiddenPicturesAreListedAndFoldersNamedLikePicturesAreNot) {
    TempFolder dir;
    dir.Make(".hidden.png");
    dir.MakeDir("e.png");
    dir.Make("f.png");
    const TFilesObj list = Filled(dir, true);
    EXPECT_EQ(list.Names, (TNames{".hidden.png", "f.png"}));
}

TEST(FilesObj, SymbolicLinksCountAsTheFileTheyPointTo) {
    TempFolder dir;
    dir.Make("real.png");
    fs::create_symlink(dir / "real.png", dir / "link.png");
    fs::create_symlink(dir / "nowhere.png", dir / "dangling.png");
    const TFilesObj list = Filled(dir, true);
    EXPECT_EQ(list.Names, (TNames{"link.png", "real.png"}));
}

TEST(FilesObj, NamesDifferingOnlyInCaseAreBothListedInByteOrder) {
    TempFolder dir;
    for (const char* name : {"b.png", "a.png", "A.png", "B.png"})
        dir.Make(name);
    const TFilesObj list = Filled(dir, false);
    EXPECT_EQ(list.Names, (TNames{"A.png", "a.png", "B.png", "b.png"}));
}

TEST(FilesObj, CyrillicNamesSortAlphabeticallyIgnoringCase) {
    TempFolder dir;
    for (const char* name : {"Ворон.png", "ангел.png", "Берёза.png", "ёж.png", "Жук.png"})
        dir.Make(name);
    const TFilesObj list = Filled(dir, true);
    EXPECT_EQ(list.Names, (TNames{"ангел.png", "Берёза.png", "Ворон.png", "ёж.png", "Жук.png"}));
}

TEST(FilesObj, FillOfAMissingFolderEmptiesNamesAndKeepsTheRest) {
    TempFolder dir;
    dir.Make("a.png");
    TFilesObj list = Filled(dir, true);
    list.Position = 0;
    list.CountDirty = false;
    list.Fill(dir / "no such folder");
    EXPECT_TRUE(list.Names.empty());
    EXPECT_EQ(list.Folder, dir.Path());
    EXPECT_TRUE(list.Loaded);
    EXPECT_EQ(list.Position, 0);
    EXPECT_FALSE(list.CountDirty);

    TFilesObj fresh;
    fresh.Fill(dir / "a.png"); // a file is no folder
    EXPECT_FALSE(fresh.Loaded);
    EXPECT_EQ(fresh.Folder, "");
    fresh.Fill("");
    EXPECT_FALSE(fresh.Loaded);
}

TEST(FilesObj, FillWithAnEmptyTextRereadsTheOwnFolderAndKeepsThePosition) {
    TempFolder dir;
    dir.Make("a.png");
    TFilesObj list = Filled(dir, true);
    list.Position = 0;
    dir.Make("b.png");
    list.Fill("");
    EXPECT_EQ(list.Names, (TNames{"a.png", "b.png"}));
    EXPECT_EQ(list.Position, 0);
    EXPECT_TRUE(list.CountDirty);
}

TEST(FilesObj, ClearKeepsFolderFilterAndLabel) {
    TempFolder dir;
    dir.Make("a.png");
    LabelledList l;
    l.List.TarvoFilter = true;
    l.List.Fill(dir.Path());
    l.List.Position = 0;
    l.List.CountDirty = false;
    l.List.Clear();
    EXPECT_TRUE(l.List.Names.empty());
    EXPECT_FALSE(l.List.Loaded);
    EXPECT_EQ(l.List.Position, -1);
    EXPECT_TRUE(l.List.CountDirty);
    EXPECT_EQ(l.List.Folder, dir.Path());
    EXPECT_TRUE(l.List.TarvoFilter);
    ASSERT_TRUE(l.List.CountLabel);
}

struct TCountCase {
    int Entries;
    int Position;
    const char* Label;
};

const TCountCase kCountCases[] = {
    {5, 2, "3/5"}, {5, -1, "5"},  {5, 0, "1/5"}, {5, 4, "5/5"}, {5, 5, "5"},
    {5, -7, "5"},  {2, 1, "2/2"}, {1, 0, ""},    {1, -1, ""},   {0, -1, ""},
};

TEST(FilesObj, ShowCountWritesPositionAndCountOnlyWhenDirty) {
    for (const TCountCase& c : kCountCases) {
        LabelledList l;
        for (int i = 0; i < c.Entries; ++i)
            l.List.Names.push_back(std::to_string(i) + ".png");
        l.List.Position = c.Position;
        l.List.CountDirty = true;
        l.List.ShowCount();
        ASSERT_EQ(l.Written.size(), 1u);
        EXPECT_EQ(l.Written[0], c.Label) << c.Entries << " entries, position " << c.Position;
        EXPECT_FALSE(l.List.CountDirty);
        l.List.ShowCount();
        EXPECT_EQ(l.Written.size(), 1u) << "a clean count is not written again";
    }
}

TEST(FilesObj, ShowCountWithoutALabelOnlyClearsTheDirtyFlag) {
    TFilesObj list;
    list.Names = {"a.png", "b.png"};
    list.ShowCount();
    EXPECT_FALSE(list.CountDirty);
}

struct TStepCase {
    int Position;
    bool Backward;
    int Expected;
};

const TStepCase kStepCases[] = {
    {-1, false, 0}, {-1, true, 2},       {0, false, 1},      {1, false, 2}, {2, false, 0},
    {0, true, 2},   {2, true, 1},        {5, false, 0},      {7, true, 0},  {3, true, 2},
    {-9, false, 2}, {INT_MAX, false, 0}, {INT_MIN, true, 2},
};

TEST(FilesObj, StepWrapsAroundAtBothEnds) {
    TempFolder dir;
    for (const char* name : {"a.png", "b.png", "c.png"})
        dir.Make(name);
    TFilesObj list = Filled(dir, true);
    for (const TStepCase& c : kStepCases) {
        list.Position = c.Position;
        list.CountDirty = false;
        const std::string path = list.Step(c.Backward);
        EXPECT_EQ(list.Position, c.Expected)
            << "from " << c.Position << (c.Backward ? " back" : " fwd");
        EXPECT_EQ(path, dir / list.Names[c.Expected]);
        EXPECT_TRUE(list.CountDirty);
    }
}

TEST(FilesObj, StepOnASingleEntryLandsOnItselfAndOnNoneGivesNothing) {
    TFilesObj list;
    list.Folder = "/pics";
    list.Names = {"only.png"};
    list.Position = 0;
    EXPECT_EQ(list.Step(false), "/pics/only.png");
    EXPECT_EQ(list.Step(true), "/pics/only.png");
    EXPECT_EQ(list.Position, 0);

    TFilesObj none;
    none.Position = 3;
    none.CountDirty = false;
    EXPECT_EQ(none.Step(false), "");
    EXPECT_EQ(none.Position, 3);
    EXPECT_FALSE(none.CountDirty);
}

TEST(FilesObj, StepBuildsTheSamePathsWithOrWithoutATrailingSeparator) {
    for (const char* folder : {"/pics", "/pics/", " /pics "}) {
        TFilesObj list;
        list.Folder = folder;
        list.Names = {"a.png", "b.png"};
        EXPECT_EQ(list.Step(false), "/pics/a.png") << folder;
        EXPECT_EQ(list.Step(false), "/pics/b.png") << folder;
    }
    TFilesObj root;
    root.Folder = "/";
    root.Names = {"x.png"};
    EXPECT_EQ(root.Step(false), "/x.png");
}

TEST(FilesObj, StepExistingForwardDropsAVanishedEntryAndLandsOnTheNext) {
    TempFolder dir;
    for (const char* name : {"a.png", "b.png", "c.png"})
        dir.Make(name);
    TFilesObj list = Filled(dir, true);
    list.Position = 0;
    dir.Remove("b.png");
    EXPECT_EQ(list.StepExisting(false), dir / "c.png");
    EXPECT_EQ(list.Names, (TNames{"a.png", "c.png"}));
    EXPECT_EQ(list.Position, 1);
}

TEST(FilesObj, StepExistingBackwardDropsAVanishedEntryAndLandsOnThePrevious) {
    TempFolder dir;
    for (const char* name : {"a.png", "b.png", "c.png"})
        dir.Make(name);
    TFilesObj list = Filled(dir, true);
    list.Position = 2;
    dir.Remove("b.png");
    EXPECT_EQ(list.StepExisting(true), dir / "a.png");
    EXPECT_EQ(list.Names, (TNames{"a.png", "c.png"}));
    EXPECT_EQ(list.Position, 0);
}

TEST(FilesObj, StepExistingDropsSeveralVanishedEntriesAcrossTheWrap) {
    TempFolder dir;
    for (const char* name : {"a.png", "b.png", "c.png", "d.png"})
        dir.Make(name);
    TFilesObj list = Filled(dir, true);
    list.Position = 2;
    dir.Remove("d.png");
    dir.Remove("a.png");
    EXPECT_EQ(list.StepExisting(false), dir / "b.png");
    EXPECT_EQ(list.Names, (TNames{"b.png", "c.png"}));
    EXPECT_EQ(list.Position, 0);

    dir.Remove("c.png");
    EXPECT_EQ(list.StepExisting(true), dir / "b.png");
    EXPECT_EQ(list.Names, (TNames{"b.png"}));
    EXPECT_EQ(list.Position, 0);
}

TEST(FilesObj, StepExistingDropsAnEntryThatBecameAFolder) {
    TempFolder dir;
    for (const char* name : {"a.png", "b.png"})
        dir.Make(name);
    TFilesObj list = Filled(dir, true);
    dir.Remove("a.png");
    dir.MakeDir("a.png");
    EXPECT_EQ(list.StepExisting(false), dir / "b.png");
    EXPECT_EQ(list.Names, (TNames{"b.png"}));
}

TEST(FilesObj, StepExistingWhenEveryFileVanishedEmptiesTheList) {
    for (const bool backward : {false, true}) {
        TempFolder dir;
        for (const char* name : {"a.png", "b.png", "c.png"})
            dir.Make(name);
        TFilesObj list = Filled(dir, true);
        list.Position = 1;
        for (const char* name : {"a.png", "b.png", "c.png"})
            dir.Remove(name);
        EXPECT_EQ(list.StepExisting(backward), "");
        EXPECT_TRUE(list.Names.empty());
        EXPECT_EQ(list.Position, -1);
    }
}

TEST(FilesObj, SteppingReadsNoDirectoryAndSeesNoNewFiles) {
    TempFolder dir;
    for (const char* name : {"a.png", "b.png", "c.png"})
        dir.Make(name);
    const int watcher = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watcher, 0);
    ASSERT_GE(
        inotify_add_watch(watcher, dir.Path().c_str(), IN_OPEN | IN_ACCESS | IN_CLOSE_NOWRITE), 0);
    // Counts the events about the watched folder itself (a directory read), not its files.
    const auto folderReads = [watcher] {
        alignas(inotify_event) char buffer[4096];
        int count = 0;
        for (;;) {
            const ssize_t n = read(watcher, buffer, sizeof buffer);
            if (n <= 0) return count;
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if ((event->mask & IN_ISDIR) != 0 && event->len == 0) ++count;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    };

    TFilesObj list = Filled(dir, true);
    EXPECT_GT(folderReads(), 0) << "the watch must see Fill reading the folder";
    dir.Make("0-new.png");
    dir.Make("d-new.png");
    std::vector<std::string> seen;
    for (int i = 0; i < 7; ++i)
        seen.push_back(list.StepExisting(i % 3 == 2));
    list.Locate(dir / "b.png");
    (void)list.Step(false);
    (void)list.NextInBatch();
    EXPECT_EQ(folderReads(), 0) << "stepping and locating must not read the folder";
    for (const std::string& path : seen)
        EXPECT_EQ(path.find("new"), std::string::npos) << path;
    EXPECT_EQ(list.Names.size(), 3u);
    close(watcher);
}

TEST(FilesObj, StepsThroughNamesThatDifferOnlyInCase) {
    TempFolder dir;
    dir.Make("a.png");
    dir.Make("A.png");
    TFilesObj list = Filled(dir, true);
    EXPECT_EQ(list.StepExisting(false), dir / "A.png");
    EXPECT_EQ(list.StepExisting(false), dir / "a.png");
    EXPECT_EQ(list.StepExisting(false), dir / "A.png");
    EXPECT_EQ(list.Names.size(), 2u);
}

TEST(FilesObj, LocateFindsTheByteEqualNameAmongCaseVariants) {
    TempFolder dir;
    for (const char* name : {"A.png", "a.png", "b.png"})
        dir.Make(name);
    TFilesObj list = Filled(dir, true);
    list.Locate(dir / "a.png");
    EXPECT_EQ(list.Position, 1);
    list.Locate(dir / "A.png");
    EXPECT_EQ(list.Position, 0);
}

TEST(FilesObj, IndexOfPrefersTheByteEqualNameOtherwiseTheFirstCollationEqualOne) {
    TFilesObj list;
    list.Names = {"a.png", "B.png", "b.png", "c.png", "Ĉ.png"};
    EXPECT_EQ(list.IndexOf("b.png"), 2);
    EXPECT_EQ(list.IndexOf("B.png"), 1);
    EXPECT_EQ(list.IndexOf("A.png"), 0);
    EXPECT_EQ(list.IndexOf("C.png"), 3);
    EXPECT_EQ(list.IndexOf("ĉ.png"), 4);
    EXPECT_EQ(list.IndexOf("d.png"), -1);
    EXPECT_EQ(list.IndexOf(""), -1);
    EXPECT_EQ(TFilesObj().IndexOf("a.png"), -1);
}

TEST(FilesObj, LocateInAnotherFolderChangesNothing) {
    TempFolder dir;
    TempFolder other;
    dir.Make("a.png");
    dir.Make("b.png");
    other.Make("b.png");
    TFilesObj list = Filled(dir, true);
    list.Position = 0;
    list.CountDirty = false;
    list.Locate(other / "b.png");
    list.Locate(dir / "no such folder/b.png");
    list.Locate("b.png");
    list.Locate("");
    EXPECT_EQ(list.Position, 0);
    EXPECT_FALSE(list.CountDirty);
}

TEST(FilesObj, LocateComparesTheFolderExactly) {
    TempFolder base;
    base.MakeDir("pics");
    base.MakeDir("PICS");
    base.Make("pics/a.png");
    base.Make("pics/b.png");
    base.Make("PICS/b.png");
    TFilesObj list;
    list.Fill(base / "pics");
    list.Position = 0;
    list.CountDirty = false;
    list.Locate(base / "PICS/b.png");
    EXPECT_EQ(list.Position, 0);
    EXPECT_FALSE(list.CountDirty);
    list.Locate(base / "pics/b.png");
    EXPECT_EQ(list.Position, 1);
}

TEST(FilesObj, LocateOfAnUnlistedNameInTheFolderKeepsPositionButMarksTheCount) {
    TempFolder dir;
    dir.Make("a.png");
    dir.Make("b.png");
    dir.Make("c.gif");
    TFilesObj list = Filled(dir, true);
    list.Position = 1;
    list.CountDirty = false;
    list.Locate(dir / "c.gif");
    EXPECT_EQ(list.Position, 1);
    EXPECT_TRUE(list.CountDirty);
}

TEST(FilesObj, LocateIgnoresATrailingSeparatorOfTheListedFolder) {
    TempFolder dir;
    dir.Make("a.png");
    dir.Make("b.png");
    TFilesObj list;
    list.Fill(dir.Path() + "/");
    ASSERT_EQ(list.Names.size(), 2u);
    list.Locate(dir / "b.png");
    EXPECT_EQ(list.Position, 1);
}

TEST(FilesObj, LocateInTheRootFolder) {
    TFilesObj list;
    // Built, not assigned from a literal: gcc 12 warns falsely (-Wrestrict) on that at -O3.
    list.Folder = std::string(1, '/');
    list.Names = {"x.png", "y.png"};
    list.Locate("/y.png");
    EXPECT_EQ(list.Position, 1);
    list.Folder = "//";
    list.Locate("/x.png");
    EXPECT_EQ(list.Position, 0);
}

TEST(FilesObj, LocateOnAnEmptyListDoesNothing) {
    TempFolder dir;
    dir.Make("a.png");
    TFilesObj list;
    list.Folder = dir.Path();
    list.CountDirty = false;
    list.Locate(dir / "a.png");
    EXPECT_EQ(list.Position, -1);
    EXPECT_FALSE(list.CountDirty);
}

TEST(FilesObj, NextInBatchYieldsEveryEntryOnceInOrderThenNothing) {
    TempFolder dir;
    for (const char* name : {"c.png", "a.jpg", "b.jpeg"})
        dir.Make(name);
    TFilesObj list = Filled(dir, true);
    std::vector<std::string> paths;
    while (const std::optional<std::string> path = list.NextInBatch())
        paths.push_back(*path);
    EXPECT_EQ(paths, (TNames{dir / "a.jpg", dir / "b.jpeg", dir / "c.png"}));
    EXPECT_FALSE(list.NextInBatch());
    EXPECT_FALSE(TFilesObj().NextInBatch());
}

TEST(FilesObj, NextInBatchAddsOneSeparatorAndStartsAtTheFirstFromAnyNegativePosition) {
    TFilesObj list;
    list.Folder = "/pics/";
    list.Names = {"a.png", "b.png"};
    list.Position = -5;
    EXPECT_EQ(list.NextInBatch(), std::optional<std::string>("/pics/a.png"));
    list.Folder = "/pics";
    EXPECT_EQ(list.NextInBatch(), std::optional<std::string>("/pics/b.png"));
    EXPECT_EQ(list.NextInBatch(), std::nullopt);
    list.Position = INT_MAX;
    EXPECT_EQ(list.NextInBatch(), std::nullopt);
}

TEST(FilesObj, BatchPathsAreEveryEntryInOrderFromAnyPosition) {
    TFilesObj list;
    list.Folder = "/pics";
    list.Names = {"a.png", "b.png", "c.png"};
    list.Position = 1;
    EXPECT_EQ(list.BatchPaths(), (TNames{"/pics/a.png", "/pics/b.png", "/pics/c.png"}));
    EXPECT_EQ(list.Position, 3);
    EXPECT_EQ(list.BatchPaths().size(), 3u);
    EXPECT_TRUE(TFilesObj().BatchPaths().empty());
}

TEST(FilesObj, RefreshKeepsTheCurrentFileAndShowsTheCount) {
    TempFolder dir;
    for (const char* name : {"b.png", "d.png"})
        dir.Make(name);
    LabelledList l;
    l.List.TarvoFilter = true;
    l.List.Fill(dir.Path());
    l.List.Position = 1; // d.png
    dir.Make("a.png");
    dir.Make("c.png");
    l.List.Refresh();
    EXPECT_EQ(l.List.Names, (TNames{"a.png", "b.png", "c.png", "d.png"}));
    EXPECT_EQ(l.List.Position, 3);
    ASSERT_EQ(l.Written.size(), 1u);
    EXPECT_EQ(l.Written[0], "4/4");
}

TEST(FilesObj, RefreshUnderTheFilterForgetsAFileItHides) {
    TempFolder dir;
    dir.Make("a.png");
    dir.Make("b.webp");
    dir.Make("c.png");
    LabelledList l;
    l.List.Fill(dir.Path());
    l.List.Position = 1; // b.webp
    l.List.TarvoFilter = true;
    l.List.Refresh();
    EXPECT_EQ(l.List.Names, (TNames{"a.png", "c.png"}));
    EXPECT_EQ(l.List.Position, -1);
    ASSERT_EQ(l.Written.size(), 1u);
    EXPECT_EQ(l.Written[0], "2");
}

TEST(FilesObj, RefreshOfAVanishedFolderLeavesAnEmptyList) {
    TFilesObj list;
    {
        TempFolder dir;
        dir.Make("a.png");
        list.Fill(dir.Path());
        list.Position = 0;
    }
    list.Refresh();
    EXPECT_TRUE(list.Names.empty());
    EXPECT_EQ(list.Position, -1);
}

} // namespace
} // namespace tarvo
