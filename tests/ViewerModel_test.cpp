// The viewer model's start-up, its options and the enabling rules they drive, the display of
// the current file, the Copy buttons and the pane proportions of [1/5] and [В].
#include "ViewerModelHarness.h"

#include "app/HelpText.h"
#include "params/DatTypes.h"
#include "util/MyStrUnit.h"
#include "util/Sp_Procs.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>

namespace tarvo::test {
namespace {

// Runs the start-up with the working directory set to dir, as the program would start there.
class TWorkingDir {
public:
    explicit TWorkingDir(const std::string& dir) {
        char buffer[4096];
        if (getcwd(buffer, sizeof buffer) != nullptr) FOld = buffer;
        if (chdir(dir.c_str()) != 0) FOld.clear();
    }
    ~TWorkingDir() {
        if (!FOld.empty() && chdir(FOld.c_str()) != 0) FOld.clear();
    }
    TWorkingDir(const TWorkingDir&) = delete;
    TWorkingDir& operator=(const TWorkingDir&) = delete;

private:
    std::string FOld;
};

constexpr std::array<TOption, 10> AllOptions = {
    TOption::JobId,  TOption::Prompt,  TOption::NegPrompt, TOption::Seed,       TOption::AllowWipe,
    TOption::Folder, TOption::Confirm, TOption::Stretch,   TOption::TruePrompt, TOption::TarvoData};

constexpr double DesignRatio = 764.0 / 273.0;

// chk6, chk7, chk8, btn9, btn10.
std::array<bool, 5> WipeControls(const TViewState& s) {
    return {s.AllowWipeEnabled, s.FolderEnabled, s.ConfirmEnabled, s.WipeFileEnabled,
            s.WipeFolderEnabled};
}

std::string SizeSuffix(const std::string& path) {
    return "  (" + FormatSize(static_cast<std::int64_t>(ReadWholeFile(path).size()), 1) + ")";
}

TEST(ModelStart, StartUpShowsTheHelpAndEnablesOnlyTheKeyOptions) {
    TTempDir empty;
    TWorkingDir cwd(empty.Path());
    TStartedModel m;
    const TViewState& s = m.State();
    EXPECT_EQ(s.PathText, empty.Path());
    EXPECT_EQ(WipeControls(s), (std::array<bool, 5>{}));
    EXPECT_FALSE(s.CopyPromptEnabled || s.CopyNegativeEnabled || s.DataLabelEnabled);
    EXPECT_FALSE(s.RestoreVisible || s.ConfirmWarning);
    EXPECT_TRUE(s.MemoEnabled && s.OptionsVisible && s.Stretch);
    for (const std::string& text :
         {s.FileName, s.Caption, s.Counter, s.PictureSize, s.Prompt, s.Negative})
        EXPECT_EQ(text, "");
    for (TOption option : AllOptions)
        EXPECT_EQ(m.Model.Option(option), DefaultOption(option)) << static_cast<int>(option);
    EXPECT_FALSE(m.Model.PicShown());
    EXPECT_TRUE(m.Model.Files().TarvoFilter);
    EXPECT_FALSE(m.Model.Files().Loaded);
    EXPECT_EQ(s.WinsRatio, DesignRatio);
    EXPECT_EQ(m.Model.SavedRatio(), DesignRatio);
    EXPECT_EQ(m.Dialogs.Beeps, 0);
    EXPECT_TRUE(m.Dialogs.Messages.empty());
    // The help text, line by line, with the addresses the build put in.
    std::vector<std::string> lines;
    for (std::size_t from = 0, to = 0; to != std::string::npos; from = to + 1)
        lines.push_back(s.MemoText.substr(from, (to = s.MemoText.find('\n', from)) - from));
    ASSERT_EQ(lines.size(), std::size_t{HelpLineCount});
    EXPECT_EQ(s.MemoText, HelpText());
    // Where the paragraphs meet, and lines with trailing blanks and inner quotes.
    const std::pair<int, const char*> exact[] = {
        {2, ""},
        {5, "генерации. Данная программа служит для отображения этой информации."},
        {8, "указания картинки воспользуйтесь кнопкой \"Открыть файл\", для указания папки - "
            "кнопкой \"Задать\" или введите путь к "},
        {15, "всех файлах Png и Jpg, которые найдёт в заданной папке. "},
        {16, ""},
        {18, "просмотра она не может привести ни к какой порче данных. При использовании для "
             "стирания параметров… Автор "},
        {33, "[1/5] - переключает пропорции окон отображения текста и картинки между 1/5 (окно "
             "картинки в 5 раз шире текстового)  "},
        {39, "[V] / [^] - свернуть/показать панель дополнительных опций. "},
        {55, "из файла\". На кнопку \"Обработка папки\" не влияет, так как стирание в папке "
             "всегда запрашивает подтверждение."},
        {65, "картинки, которые маловероятно что могут являться картинками Tarvo."},
        {66, ""},
    };
    for (const auto& [number, text] : exact)
        EXPECT_EQ(lines[static_cast<std::size_t>(number - 1)], text) << number;
    // The lines that hold the build's settings: the words around them.
    const struct {
        int Line; // 1-based
        const char* Before;
        const char* After;
    } framed[] = {
        {1, "Tarvo Params Viewer v", ""},
        {3,
         "Предназначен для просмотра параметров генерации картинок, созданных нейросетью "
         "Tarvo (",
         "). В "},
        {67, "Сайт программы: ", ""},
        {68, "Контакт автора: ", ""},
    };
    for (const auto& f : framed) {
        const std::string& line = lines[static_cast<std::size_t>(f.Line - 1)];
        const std::string_view before(f.Before);
        const std::string_view after(f.After);
        EXPECT_EQ(line.rfind(before, 0), 0u) << line;
        EXPECT_GT(line.size(), before.size() + after.size()) << line;
        EXPECT_TRUE(line.ends_with(after)) << line;
    }
}

TEST(ModelOptions, WipeControlsFollowTheKeysThePermitsAndTheLoadedFile) {
    TTempDir dir;
    const std::string withData = Put(dir, "a.png", TarvoPng(TParamSet{}));
    TStartedModel m;
    using E = std::array<bool, 5>; // chk6, chk7, chk8, btn9, btn10 enabled
    m.Model.SetOption(TOption::JobId, true);
    EXPECT_EQ(WipeControls(m.State()), (E{true, false, true, false, false}));
    m.Model.SetOption(TOption::AllowWipe, true);
    EXPECT_EQ(WipeControls(m.State()), (E{true, true, true, false, false})); // no file: no btn9
    m.Model.SetOption(TOption::Folder, true);
    EXPECT_EQ(WipeControls(m.State()), (E{true, true, true, false, true})); // btn10 without one
    m.Model.LoadFile(withData);
    EXPECT_EQ(WipeControls(m.State()), (E{true, true, true, true, true}));
    m.Model.SetOption(TOption::JobId, false);
    EXPECT_EQ(WipeControls(m.State()), (E{false, false, false, false, false}));
    EXPECT_TRUE(m.Model.Option(TOption::AllowWipe) && m.Model.Option(TOption::Folder));
    m.Model.SetOption(TOption::Seed, true);
    EXPECT_EQ(WipeControls(m.State()), (E{true, true, true, true, true}));
    m.Model.SetOption(TOption::AllowWipe, false);
    EXPECT_EQ(WipeControls(m.State()), (E{true, false, true, false, false})); // Folder kept on
    m.Model.SetOption(TOption::AllowWipe, true);
    m.Model.SetOption(TOption::Folder, false);
    EXPECT_EQ(WipeControls(m.State()), (E{true, true, true, true, false}));
    EXPECT_EQ(m.Dialogs.Beeps, 0);
}

TEST(ModelOptions, EachKeyOptionAloneEnablesThePermits) {
    for (TOption key : {TOption::JobId, TOption::Prompt, TOption::NegPrompt, TOption::Seed}) {
        TStartedModel m;
        m.Model.SetOption(key, true);
        EXPECT_TRUE(m.State().AllowWipeEnabled && m.State().ConfirmEnabled)
            << static_cast<int>(key);
        EXPECT_FALSE(m.State().FolderEnabled) << static_cast<int>(key);
    }
}

TEST(ModelOptions, SetParVarsCopiesTheFourKeyOptions) {
    TStartedModel m;
    m.Model.SetOption(TOption::JobId, true);
    m.Model.SetOption(TOption::NegPrompt, true);
    m.Model.setParVars();
    EXPECT_TRUE(ParJobId && !ParPrompt && ParNegPrompt && !ParSeed);
    m.Model.SetOption(TOption::JobId, false);
    m.Model.SetOption(TOption::Prompt, true);
    m.Model.SetOption(TOption::Seed, true);
    EXPECT_TRUE(ParJobId); // the flags are a copy taken only by setParVars
    m.Model.setParVars();
    EXPECT_TRUE(!ParJobId && ParPrompt && ParNegPrompt && ParSeed);
}

TEST(ModelOptions, ConfirmOptionOffWarnsAndEachChangeBeeps) {
    TStartedModel m;
    m.Model.SetOption(TOption::JobId, true);
    m.Model.SetOption(TOption::Confirm, false);
    EXPECT_TRUE(m.State().ConfirmWarning);
    EXPECT_EQ(m.Dialogs.Beeps, 1);
    m.Model.SetOption(TOption::Confirm, true);
    EXPECT_FALSE(m.State().ConfirmWarning);
    EXPECT_EQ(m.Dialogs.Beeps, 2);
    EXPECT_TRUE(m.State().ConfirmEnabled);
}

TEST(ModelOptions, TarvoDataOptionRebuildsTheListOncePerChange) {
    TTempDir dir;
    for (const char* name : {"a.png", "b.png", "c.webp"})
        Put(dir, name, TarvoPng(TParamSet{}));
    Put(dir, "d.png", std::string(20, 'x'));
    TStartedModel m;
    m.Model.SetDirSp(dir.Path());
    EXPECT_EQ(m.State().Counter, "1/2");
    m.Model.SetOption(TOption::TarvoData, false);
    EXPECT_FALSE(m.Model.Files().TarvoFilter);
    EXPECT_EQ(m.Model.Files().Names.size(), 4u);
    EXPECT_EQ(m.State().Counter, "1/4");
    // The same state again: nothing is read again.
    Put(dir, "e.png", TarvoPng(TParamSet{}));
    m.Model.SetOption(TOption::TarvoData, false);
    EXPECT_EQ(m.Model.Files().Names.size(), 4u);
    m.Model.SetOption(TOption::TarvoData, true);
    EXPECT_EQ(m.Model.Files().Names.size(), 3u);
    EXPECT_EQ(m.State().Counter, "1/3");
}

TEST(ModelOptions, CopyButtonsPutTheFieldTextsOnTheClipboard) {
    TTempDir dir;
    const std::string file = Put(dir, "a.png", TarvoPng(TParamSet{}));
    TStartedModel m;
    m.Model.LoadFile(file);
    EXPECT_TRUE(m.State().CopyPromptEnabled && m.State().CopyNegativeEnabled);
    m.Model.PromptEdited("edited by the user");
    m.Model.CopyPrompt();
    m.Model.CopyNegative();
    EXPECT_EQ(m.Dialogs.Clipboard,
              (std::vector<std::string>{"edited by the user", "blurry, low quality"}));
    EXPECT_EQ(m.Dialogs.Beeps, 2);
}

TEST(ModelDisplay, DecodablePictureWithParametersFillsEveryField) {
    TTempDir dir;
    TParamSet params;
    params.Prompt = "score_9, score_8_up, a red fox";
    const std::string file = Put(dir, "fox.png", TarvoPng(params, {40, 30, false, {}}));
    TStartedModel m;
    m.Model.SetFileSp(file);
    const TViewState& s = m.State();
    EXPECT_EQ(s.PathText, dir.Path());
    EXPECT_EQ(s.FileName, "fox.png" + SizeSuffix(file));
    EXPECT_TRUE(m.Model.PicShown());
    EXPECT_EQ(s.Caption, "");
    EXPECT_EQ(s.PictureSize, "Размер картинки: 40 x 30");
    EXPECT_EQ(PictureSizeOf(s), std::make_pair(40, 30));
    TTarvoData current = m.Model.Current();
    EXPECT_EQ(s.MemoText, WithLf(current.GetFullText()));
    EXPECT_NE(s.MemoText.find(params.JobId), std::string::npos);
    EXPECT_TRUE(s.MemoEnabled && s.DataLabelEnabled);
    EXPECT_EQ(s.Prompt, "a red fox");
    EXPECT_EQ(s.Negative, current.GetValue("negative_prompt"));
    EXPECT_NE(s.Negative.find("blurry"), std::string::npos);
    EXPECT_TRUE(s.CopyPromptEnabled && s.CopyNegativeEnabled);
    EXPECT_EQ(m.Dialogs.Beeps, 0);
}

struct TShownFileCase {
    const char* Name;
    std::string Bytes;
    const char* Size; // the picture size label; empty when no picture is shown
    bool Parameters;  // text pane, its label and the prompts filled
};

TEST(ModelDisplay, EveryFileIsShownAsFarAsItCanBe) {
    const TShownFileCase cases[] = {
        {"cat.jpg", JpegFile(FirstBlockText(TParamSet{}), {64, 48, false, {}}),
         "Размер картинки: 64 x 48", true},
        // No decoder: the name stands in the picture pane, the parameters are still shown.
        {"x.webp", TarvoPng(TParamSet{}), "", true},
        {"plain.png", SolidPng(20, 10, {1, 2, 3}), "Размер картинки: 20 x 10", false},
        {"broken.png", std::string(200, 'z'), "", false},
        {"zero.png", "", "", false},
    };
    for (const TShownFileCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TTempDir dir;
        const std::string file = Put(dir, c.Name, c.Bytes);
        TStartedModel m;
        m.Model.LoadFile(file);
        const TViewState& s = m.State();
        const bool shown = *c.Size != '\0';
        EXPECT_EQ(m.Model.PicShown(), shown);
        EXPECT_EQ(s.PictureSize, c.Size);
        EXPECT_EQ(s.Caption, shown ? "" : c.Name);
        EXPECT_EQ(s.FileName, c.Name + (c.Bytes.empty() ? std::string() : SizeSuffix(file)));
        EXPECT_EQ(s.MemoEnabled, c.Parameters);
        EXPECT_EQ(s.DataLabelEnabled, c.Parameters);
        EXPECT_EQ(s.MemoText.empty(), !c.Parameters);
        EXPECT_EQ(s.Prompt.empty(), !c.Parameters);
        EXPECT_EQ(s.Negative.empty(), !c.Parameters);
        EXPECT_EQ(s.CopyPromptEnabled && s.CopyNegativeEnabled, c.Parameters);
    }
}

TEST(ModelDisplay, TheTextPaneLabelNamesWhereItsTextComesFrom) {
    const std::string webUi = std::string("parameters\0a castle\nSteps: 20, Seed: 4", 38);
    const struct {
        std::string Bytes;
        const char* Label;
        const char* Prompt;
    } cases[] = {
        {TarvoPng(TParamSet{}), "Tarvo Data:", "a red fox in the snow"},
        {test::PngFile({test::Chunk("tEXt", webUi)}), "Web UI (a1111):", "a castle"},
        {test::PngFile({test::Chunk("tEXt", std::string("Comment\0by hand", 15))}),
         "Текст файла:", ""},
    };
    for (const auto& c : cases) {
        TTempDir dir;
        TStartedModel m;
        m.Model.LoadFile(Put(dir, "a.png", c.Bytes));
        EXPECT_EQ(m.State().DataLabel, c.Label);
        EXPECT_TRUE(m.State().DataLabelEnabled && m.State().MemoEnabled) << c.Label;
        EXPECT_EQ(m.State().Prompt, c.Prompt);
    }
}

TEST(ModelDisplay, FailedPictureAfterAShownOneRemovesItAndItsSize) {
    TTempDir dir;
    const std::string good = Put(dir, "a.png", TarvoPng(TParamSet{}));
    const std::string bad = Put(dir, "b.png", std::string(200, 'z'));
    const std::string worse = Put(dir, "c.webp", std::string(200, 'z'));
    TStartedModel m;
    m.Model.LoadFile(good);
    ASSERT_TRUE(m.Model.PicShown());
    const int shown = m.State().PictureRevision;
    m.Model.LoadFile(bad);
    EXPECT_FALSE(m.Model.PicShown());
    EXPECT_EQ(m.State().PictureRevision, shown + 1);
    EXPECT_EQ(PictureSizeOf(m.State()), std::make_pair(0, 0));
    EXPECT_EQ(m.State().PictureSize, "");
    EXPECT_EQ(m.State().Caption, "b.png");
    EXPECT_FALSE(m.State().MemoEnabled || m.State().DataLabelEnabled);
    m.Model.LoadFile(worse);
    EXPECT_EQ(m.State().PictureRevision, shown + 1); // nothing left to clear
    EXPECT_EQ(m.State().Caption, "c.webp");
    m.Model.LoadFile(good);
    EXPECT_EQ(m.State().PictureRevision, shown + 2);
    EXPECT_EQ(PictureSizeOf(m.State()), std::make_pair(16, 12));
    EXPECT_EQ(m.State().Caption, "");
    EXPECT_EQ(m.State().PictureSize, "Размер картинки: 16 x 12");
}

TEST(ModelDisplay, MissingOrEmptyPathChangesNothing) {
    TTempDir dir;
    const std::string file = Put(dir, "a.png", TarvoPng(TParamSet{}));
    TStartedModel m;
    m.Model.LoadFile(file);
    const int memo = m.State().MemoRevision;
    for (const std::string& path : {dir.File("gone.png"), std::string(), dir.Path()})
        m.Model.LoadFile(path); // a folder is not a file either
    EXPECT_EQ(m.Shown(), file);
    EXPECT_EQ(m.State().MemoRevision, memo);
    EXPECT_TRUE(m.Model.PicShown());
}

TEST(ModelDisplay, ClearingTheFileEmptiesTheDisplayButKeepsTheFolder) {
    TTempDir dir;
    const std::string file = Put(dir, "a.png", TarvoPng(TParamSet{}));
    TStartedModel m;
    m.Model.SetFileSp(file);
    const int shown = m.State().PictureRevision;
    m.Model.ClearFile();
    const TViewState& s = m.State();
    EXPECT_EQ(s.PathText, dir.Path());
    EXPECT_FALSE(m.Model.PicShown());
    EXPECT_EQ(s.PictureRevision, shown + 1);
    EXPECT_EQ(s.Picture, nullptr);
    for (const std::string& text :
         {s.Caption, s.PictureSize, s.FileName, s.MemoText, s.Prompt, s.Negative})
        EXPECT_EQ(text, "");
    EXPECT_FALSE(s.MemoEnabled || s.CopyPromptEnabled || s.CopyNegativeEnabled);
}

TEST(ModelDisplay, TruePromptToggleSwapsCleanedAndRawPromptWithABeep) {
    TTempDir dir;
    TParamSet params;
    params.Prompt = "score_9, a cat";
    const std::string file = Put(dir, "a.png", TarvoPng(params));
    TStartedModel m;
    m.Model.LoadFile(file);
    EXPECT_EQ(m.State().Prompt, "a cat");
    const int prompts = m.State().PromptsRevision;
    m.Model.SetOption(TOption::TruePrompt, false);
    EXPECT_EQ(m.State().Prompt, m.Model.Current().GetPrompt(false));
    EXPECT_NE(m.State().Prompt.find("score_9, a cat"), std::string::npos);
    EXPECT_EQ(m.State().PromptsRevision, prompts + 1);
    EXPECT_EQ(m.Dialogs.Beeps, 1);
    m.Model.SetOption(TOption::TruePrompt, true);
    EXPECT_EQ(m.State().Prompt, "a cat");
    EXPECT_EQ(m.Dialogs.Beeps, 2);
}

TEST(ModelDisplay, TruePromptToggleWithNothingToCleanStaysSilent) {
    TTempDir dir;
    TParamSet params;
    params.Prompt = "a cat";
    const std::string file = Put(dir, "a.png", TarvoPng(params));
    const std::string plain = Put(dir, "b.png", SolidPng(8, 8, {9, 9, 9}));
    TStartedModel m;
    m.Model.LoadFile(file);
    const TViewState shown = m.State();
    m.Model.SetOption(TOption::TruePrompt, false);
    m.Model.SetOption(TOption::TruePrompt, true);
    EXPECT_EQ(m.State().Prompt, shown.Prompt);
    EXPECT_EQ(m.State().PromptsRevision, shown.PromptsRevision);
    // Without parameter blocks the toggle does nothing at all, not even to typed text.
    m.Model.LoadFile(plain);
    m.Model.PromptEdited("typed");
    m.Model.SetOption(TOption::TruePrompt, false);
    EXPECT_EQ(m.State().Prompt, "typed");
    EXPECT_EQ(m.Dialogs.Beeps, 0);
}

TEST(ModelDisplay, PictureExtensionsDependOnTheTarvoDataOption) {
    const struct {
        const char* Path;
        bool WithOption;
        bool WithoutOption;
    } rows[] = {
        {"/p/a.jpg", true, true},       {"/p/a.JPG", true, true},   {"/p/a.jpeg", true, true},
        {"/p/a.Png", true, true},       {"/p/a.WEBP", false, true}, {"/p/a.webp", false, true},
        {"/p/a.gif", false, false},     {"/p/noext", false, false}, {"/p.png/noext", false, false},
        {"/p/a.png.txt", false, false},
    };
    TStartedModel m;
    for (const auto& row : rows) {
        m.Model.SetOption(TOption::TarvoData, true);
        EXPECT_EQ(m.Model.IsPicFile(row.Path), row.WithOption) << row.Path;
        m.Model.SetOption(TOption::TarvoData, false);
        EXPECT_EQ(m.Model.IsPicFile(row.Path), row.WithoutOption) << row.Path;
    }
}

TEST(ModelPanes, SwitchTogglesOneFifthAndRestoreReturnsToTheStart) {
    TStartedModel m;
    const int laidOut = m.State().RatioRevision;
    m.Model.SwitchRatio();
    EXPECT_TRUE(m.State().RestoreVisible);
    EXPECT_EQ(m.State().WinsRatio, 0.2);
    m.Model.SwitchRatio();
    EXPECT_EQ(m.State().WinsRatio, 5.0);
    EXPECT_EQ(m.Model.SavedRatio(), DesignRatio);
    m.Model.RestoreRatio();
    EXPECT_FALSE(m.State().RestoreVisible);
    EXPECT_EQ(m.State().WinsRatio, DesignRatio);
    EXPECT_EQ(m.State().RatioRevision, laidOut + 3); // the panes are laid out each time
}

TEST(ModelPanes, SwitchFromEqualPanesWidensThePicture) {
    TStartedModel m;
    const int laidOut = m.State().RatioRevision;
    m.Model.SplitterMoved(300, 300);
    EXPECT_EQ(m.State().WinsRatio, 1.0);
    EXPECT_EQ(m.State().RatioRevision, laidOut); // the drag left the panes where they are
    m.Model.SwitchRatio();
    EXPECT_EQ(m.State().WinsRatio, 0.2);
    EXPECT_EQ(m.Model.SavedRatio(), 1.0);
}

TEST(ModelPanes, RestoreAfterADragReturnsToTheRatioBeforeTheSwitch) {
    TStartedModel m;
    m.Model.SwitchRatio();
    m.Model.SplitterMoved(320, 500);
    EXPECT_NE(m.State().WinsRatio, 0.2);
    EXPECT_TRUE(m.State().RestoreVisible);
    m.Model.SwitchRatio(); // pressed again while switched: the saved ratio stays
    EXPECT_EQ(m.Model.SavedRatio(), DesignRatio);
    m.Model.RestoreRatio();
    EXPECT_EQ(m.State().WinsRatio, DesignRatio);
}

TEST(ModelPanes, DragWhileFreeIsKeptByTheNextSwitchAndRestore) {
    TStartedModel m;
    m.Model.SplitterMoved(600, 400);
    const double dragged = m.State().WinsRatio;
    m.Model.SwitchRatio();
    EXPECT_EQ(m.Model.SavedRatio(), dragged);
    m.Model.RestoreRatio();
    EXPECT_EQ(m.State().WinsRatio, dragged);
}

} // namespace
} // namespace tarvo::test
