// The viewer model's navigation on real folders: folders and files chosen, typed and
// dropped, leafing with wrap-around, clearing, refreshing and files that vanish.
#include "ViewerModelHarness.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>

namespace tarvo::test {
namespace {

using TNames = std::vector<std::string>;

std::string GifBytes() {
    testpic::TGif gif;
    gif.ScreenWidth = 4;
    gif.ScreenHeight = 3;
    gif.GlobalPalette = {{0, 0, 0}, {255, 255, 255}};
    testpic::TGifFrame frame;
    frame.Width = 4;
    frame.Height = 3;
    frame.Indexes.assign(12, 1);
    gif.Frames.push_back(frame);
    const testpic::TBytes bytes = testpic::WriteGif(gif);
    return std::string(bytes.begin(), bytes.end());
}

std::string JpegBytes() {
    return JpegFile(FirstBlockText(TParamSet{}), {8, 8, false, {}});
}

TEST(ModelNav, ChosenFolderOpensItsFirstPictureWithOneBeep) {
    TPictureFolder folder({"b.png", "c.png", "d.gif"});
    Put(folder.Dir, "A.jpg", JpegBytes());
    TStartedModel m;
    m.Dialogs.Folders.push_back(folder.Path());
    m.Model.ChooseFolder();
    EXPECT_EQ(m.Dialogs.FolderTitles, TNames{"Выберите папку"});
    EXPECT_EQ(m.Shown(), folder.File("A.jpg"));
    EXPECT_EQ(m.State().PathText, folder.Path());
    EXPECT_EQ(m.State().Counter, "1/3");
    EXPECT_EQ(m.Dialogs.Beeps, 1);
}

TEST(ModelNav, CancelledFolderDialogChangesNothing) {
    TStartedModel m;
    const TViewState before = m.State();
    m.Model.ChooseFolder();
    EXPECT_EQ(m.State().PathText, before.PathText);
    EXPECT_EQ(m.State().PathRevision, before.PathRevision);
    EXPECT_TRUE(m.Shown().empty());
    EXPECT_EQ(m.Dialogs.Beeps, 0);
}

TEST(ModelNav, FolderWithoutPicturesClearsTheDisplayAndBeeps) {
    TPictureFolder pictures({"a.png"});
    TTempDir empty;
    Put(empty, "notes.txt", "nothing to see");
    Put(empty, "x.webp", TarvoPng(TParamSet{}));
    TStartedModel m;
    m.Model.SetFileSp(pictures.File("a.png"));
    ASSERT_TRUE(m.Model.PicShown());
    const int picture = m.State().PictureRevision;
    m.Model.SetDirSp(empty.Path());
    EXPECT_EQ(m.State().PathText, empty.Path());
    EXPECT_TRUE(m.Shown().empty());
    EXPECT_FALSE(m.Model.PicShown());
    // The pane is cleared once.
    EXPECT_EQ(m.State().PictureRevision, picture + 1);
    EXPECT_EQ(PictureSizeOf(m.State()), std::make_pair(0, 0));
    EXPECT_EQ(m.State().FileName, "");
    EXPECT_EQ(m.State().MemoText, "");
    EXPECT_EQ(m.State().Prompt, "");
    EXPECT_EQ(m.Dialogs.Beeps, 1);
}

TEST(ModelNav, EnterInThePathFieldOpensTheTypedFolder) {
    TPictureFolder folder({"a.png", "b.png"});
    TStartedModel m;
    // A typed file, or a path of nothing, is ignored without a word.
    for (const std::string& typed : {folder.File("b.png"), folder.Path() + "/nothing here"}) {
        m.EnterPath(typed);
        EXPECT_TRUE(m.Shown().empty()) << typed;
        EXPECT_EQ(m.State().PathText, typed);
    }
    EXPECT_EQ(m.Dialogs.Beeps, 0);
    m.EnterPath("  " + folder.Path() + " ");
    EXPECT_EQ(m.Shown(), folder.File("a.png"));
    EXPECT_EQ(m.State().PathText, folder.Path());
    EXPECT_EQ(m.Dialogs.Beeps, 1);
}

TEST(ModelNav, LeafingWrapsAroundInBothDirections) {
    TPictureFolder folder({"a.png", "b.png", "c.png"});
    TStartedModel m;
    m.Model.PathEdited(folder.Path());
    const struct {
        bool Backward;
        const char* Name;
        const char* Counter;
    } steps[] = {{false, "a.png", "1/3"}, {false, "b.png", "2/3"}, {false, "c.png", "3/3"},
                 {false, "a.png", "1/3"}, {true, "c.png", "3/3"},  {true, "b.png", "2/3"}};
    for (const auto& step : steps) {
        m.Model.NextFile(step.Backward);
        EXPECT_EQ(m.Shown(), folder.File(step.Name));
        EXPECT_EQ(m.State().Counter, step.Counter);
    }
    EXPECT_EQ(m.Dialogs.Beeps, 0);
}

TEST(ModelNav, AfterClearingPreviousOpensTheLastAndNextTheFirst) {
    TPictureFolder folder({"a.png", "b.png", "c.png"});
    TStartedModel m;
    m.Model.SetDirSp(folder.Path());
    m.Model.NextFile(false);
    EXPECT_EQ(m.Shown(), folder.File("b.png"));
    m.Model.ClearFile();
    EXPECT_TRUE(m.Shown().empty());
    EXPECT_EQ(m.State().Counter, "3");
    m.Model.NextFile(true);
    EXPECT_EQ(m.Shown(), folder.File("c.png"));
    m.Model.ClearFile();
    m.Model.NextFile(false);
    EXPECT_EQ(m.Shown(), folder.File("a.png"));
}

TEST(ModelNav, SinglePictureAlreadyShownOnlyBeeps) {
    TPictureFolder folder({"only.png"});
    TStartedModel m;
    m.Model.SetDirSp(folder.Path());
    EXPECT_EQ(m.Dialogs.Beeps, 1);
    m.Model.PromptEdited("typed");
    const int prompts = m.State().PromptsRevision;
    m.Model.NextFile(false);
    m.Model.NextFile(true);
    EXPECT_EQ(m.Dialogs.Beeps, 3);
    EXPECT_EQ(m.Shown(), folder.File("only.png"));
    // Nothing was reloaded: the typed prompt stays and is not rendered over.
    EXPECT_EQ(m.State().Prompt, "typed");
    EXPECT_EQ(m.State().PromptsRevision, prompts);
    EXPECT_EQ(m.State().Counter, "");
}

TEST(ModelNav, EmptyFolderInThePathFieldStaysSilent) {
    TTempDir empty;
    TStartedModel m;
    m.Model.PathEdited(empty.Path());
    m.Model.NextFile(false);
    m.Model.NextFile(true);
    EXPECT_EQ(m.Dialogs.Beeps, 0);
    EXPECT_TRUE(m.Shown().empty());
}

TEST(ModelNav, VanishedFilesAreSkippedAndDroppedFromTheList) {
    TPictureFolder folder({"a.png", "b.png", "c.png"});
    TStartedModel m;
    m.Model.SetDirSp(folder.Path());
    ASSERT_EQ(std::remove(folder.File("b.png").c_str()), 0);
    m.Model.NextFile(false);
    EXPECT_EQ(m.Shown(), folder.File("c.png"));
    EXPECT_EQ(m.State().Counter, "2/2");
    ASSERT_EQ(std::remove(folder.File("a.png").c_str()), 0);
    ASSERT_EQ(std::remove(folder.File("c.png").c_str()), 0);
    const int beeps = m.Dialogs.Beeps;
    m.Model.NextFile(false);
    EXPECT_EQ(m.Dialogs.Beeps, beeps + 1);
    EXPECT_TRUE(m.Model.Files().Names.empty());
    EXPECT_EQ(m.Model.Files().Position, -1);
    EXPECT_EQ(m.State().Counter, "");
}

TEST(ModelNav, RefreshReadsTheFolderAgainAndKeepsTheCurrentEntry) {
    TPictureFolder folder({"b.png", "d.png"});
    TStartedModel m;
    m.Model.SetDirSp(folder.Path());
    m.Model.NextFile(false);
    EXPECT_EQ(m.State().Counter, "2/2");
    folder.Add("a.png");
    folder.Add("c.png");
    m.Model.RefreshList();
    EXPECT_EQ(m.State().Counter, "4/4");
    EXPECT_EQ(m.Shown(), folder.File("d.png"));
    m.Model.NextFile(true);
    EXPECT_EQ(m.Shown(), folder.File("c.png"));
}

TEST(ModelNav, OpenedFileOfTheListedFolderTakesItsPlaceInTheList) {
    TPictureFolder folder({"a.png", "b.png", "c.png", "d.png"});
    TStartedModel m;
    m.Model.SetDirSp(folder.Path());
    folder.Add("bb.png"); // the list is read again for the opened file
    m.Dialogs.Files.push_back(folder.File("c.png"));
    m.Model.OpenFile();
    EXPECT_EQ(
        m.Dialogs.FileFilters,
        TNames{"Файлы картинок Tarvo (Jpg, Png, WebP)|*.jpg;*.Jpeg;*.png;*.WebP|Все файлы|*.*"});
    EXPECT_EQ(m.Dialogs.FileInitialDirs, TNames{folder.Path()});
    EXPECT_EQ(m.Shown(), folder.File("c.png"));
    EXPECT_EQ(m.State().Counter, "4/5");
    m.Model.NextFile(false);
    EXPECT_EQ(m.Shown(), folder.File("d.png"));
}

TEST(ModelNav, OpenedFileOfAnotherFolderEmptiesTheCounterUntilTheNextStep) {
    TPictureFolder first({"a.png", "b.png"});
    TPictureFolder second({"k.png", "m.png", "n.png"});
    Put(second.Dir, "l.txt", "not listed");
    TStartedModel m;
    m.Model.SetDirSp(first.Path());
    EXPECT_EQ(m.State().Counter, "1/2");
    m.Dialogs.Files.push_back(second.File("m.png"));
    m.Model.OpenFile();
    EXPECT_EQ(m.Shown(), second.File("m.png"));
    EXPECT_EQ(m.State().Counter, "");
    EXPECT_EQ(m.State().PathText, second.Path());
    m.Model.NextFile(false);
    EXPECT_EQ(m.Shown(), second.File("n.png"));
    EXPECT_EQ(m.State().Counter, "3/3");
    // A file that is not listed there: the next step starts from the first picture.
    m.Model.SetDirSp(first.Path());
    m.Dialogs.Files.push_back(second.File("l.txt"));
    m.Model.OpenFile();
    EXPECT_EQ(m.Shown(), second.File("l.txt"));
    EXPECT_EQ(m.State().Counter, "");
    m.Model.NextFile(false);
    EXPECT_EQ(m.Shown(), second.File("k.png"));
    EXPECT_EQ(m.State().Counter, "1/3");
}

TEST(ModelNav, OpenFileOfTheSameFolderWithoutPositionLeavesTheList) {
    TPictureFolder folder({"a.png", "b.png", "c.png"});
    TStartedModel m;
    m.Model.SetDirSp(folder.Path());
    m.Model.ClearFile();
    folder.Add("bb.png");
    m.Model.SetFileSp(folder.File("b.png"));
    EXPECT_EQ(m.Model.Files().Names.size(), 3u);
    EXPECT_EQ(m.Model.Files().Position, -1);
    m.Model.NextFile(false); // locates b.png in the list, then steps
    EXPECT_EQ(m.Shown(), folder.File("c.png"));
}

// Drops into a fresh model: pics/ holds a.png, c.png, x.png, b.jpg, w.webp and the GIFs a.gif
// and b.gif; alpha/ and Beta/ hold one picture each. Paths are relative to their parent.
struct TDropCase {
    TNames Dropped;
    const char* Shown;   // empty: nothing
    const char* Folder;  // the path field afterwards; empty: not checked
    TNames List;         // the list's names
    const char* Counter; // the counter
    const char* Size;    // the picture size label
    int Beeps;
};

TEST(ModelNav, DropsOpenFoldersFilesOrTheirOwnList) {
    TTempDir parent;
    for (const char* sub : {"pics", "alpha", "Beta"})
        ASSERT_EQ(mkdir(parent.File(sub).c_str(), 0755), 0);
    for (const char* name :
         {"pics/a.png", "pics/c.png", "pics/x.png", "pics/w.webp", "alpha/one.png", "Beta/two.png"})
        Put(parent, name, TarvoPng(TParamSet{}));
    Put(parent, "pics/b.jpg", JpegBytes());
    Put(parent, "pics/a.gif", GifBytes());
    Put(parent, "pics/b.gif", GifBytes());
    const char* const pictureSize = "Размер картинки: 16 x 12";
    const TDropCase cases[] = {
        // A GIF alone is opened like any file; beside a picture it is no picture.
        {{"pics/a.gif"}, "pics/a.gif", "pics", {}, "", "Размер картинки: 4 x 3", 0},
        {{"pics/b.gif", "pics/x.png", "pics/a.gif"}, "pics/x.png", "pics", {}, "", pictureSize, 0},
        // Several pictures become the list, in name order, without the WebP file.
        {{"pics/c.png", "pics/w.webp", "pics/a.png", "pics/b.jpg"},
         "pics/a.png",
         "pics",
         {"a.png", "b.jpg", "c.png"},
         "1/3",
         pictureSize,
         0},
        // Folders only: the first in name order opens as if chosen; beside a picture they
        // are ignored.
        {{"Beta", "alpha"}, "alpha/one.png", "alpha", {"one.png"}, "", pictureSize, 1},
        {{"alpha", "pics/c.png"}, "pics/c.png", "pics", {}, "", pictureSize, 0},
        {{"pics"},
         "pics/a.png",
         "pics",
         {"a.png", "b.jpg", "c.png", "x.png"},
         "1/4",
         pictureSize,
         1},
        // Nothing there, and nothing at all.
        {{"pics/nothing.png"}, "", "", {}, "", "", 0},
        {{}, "", "", {}, "", "", 0},
    };
    for (const TDropCase& c : cases) {
        SCOPED_TRACE(c.Dropped.empty() ? std::string("(none)") : c.Dropped.front());
        TStartedModel m;
        TNames dropped;
        for (const std::string& item : c.Dropped)
            dropped.push_back(parent.File(item));
        m.Model.Drop(dropped);
        EXPECT_EQ(m.Shown(), *c.Shown ? parent.File(c.Shown) : "");
        if (*c.Folder) {
            EXPECT_EQ(m.State().PathText, parent.File(c.Folder));
        }
        EXPECT_EQ(m.Model.Files().Names, c.List);
        EXPECT_EQ(m.State().Counter, c.Counter);
        EXPECT_EQ(m.State().PictureSize, c.Size);
        EXPECT_EQ(m.Dialogs.Beeps, c.Beeps);
    }
}

TEST(ModelNav, DroppedListIsWalkedWithoutTheOtherFilesOfTheFolder) {
    TPictureFolder folder({"a.png", "b.png", "c.png", "x.png", "w.webp"});
    TStartedModel m;
    m.Model.Drop({folder.File("c.png"), folder.File("b.png"), folder.File("a.png")});
    for (const char* name : {"b.png", "c.png", "a.png"}) {
        m.Model.NextFile(false);
        EXPECT_EQ(m.Shown(), folder.File(name));
    }
    // Without the "Tarvo Data" option a dropped WebP file is a picture too.
    m.Model.SetOption(TOption::TarvoData, false);
    m.Model.Drop({folder.File("c.png"), folder.File("w.webp"), folder.File("a.png")});
    EXPECT_EQ(m.Model.Files().Names, (TNames{"a.png", "c.png", "w.webp"}));
    EXPECT_EQ(m.State().Counter, "1/3");
}

TEST(ModelNav, DropOfNothingLeavesTheCurrentFile) {
    TPictureFolder folder({"a.png", "b.png"});
    TStartedModel m;
    m.Model.Drop({folder.Path()});
    ASSERT_EQ(m.Shown(), folder.File("a.png"));
    m.Model.Drop({folder.File("nothing.png")});
    m.Model.Drop({});
    EXPECT_EQ(m.Shown(), folder.File("a.png"));
    EXPECT_EQ(m.Dialogs.Beeps, 1);
}

} // namespace
} // namespace tarvo::test
