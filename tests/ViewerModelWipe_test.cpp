// The viewer model's wipe commands on real files: every message of the single-file wipe, the
// folder run's questions in both tones and button sets, its report, and the bytes afterwards.
#include "ViewerModelHarness.h"

#include "platform/LockedFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

namespace tarvo::test {
namespace {

constexpr const char* Crlf = "\r\n";

// A lock on the file through its own open file description, as another program holds it:
// a writer's exclusive record lock, which keeps readers out too, or a reader's shared flock.
class TForeignLock {
public:
    TForeignLock(const std::string& path, bool writer)
        : FFd(open(path.c_str(), writer ? O_RDWR : O_RDONLY)) {
        struct flock range {};
        range.l_type = F_WRLCK;
        range.l_whence = SEEK_SET;
        const int taken = writer ? fcntl(FFd, F_OFD_SETLK, &range) : flock(FFd, LOCK_SH | LOCK_NB);
        if (FFd >= 0 && taken != 0) {
            close(FFd);
            FFd = -1;
        }
    }
    ~TForeignLock() {
        if (FFd >= 0) close(FFd);
    }
    TForeignLock(const TForeignLock&) = delete;
    TForeignLock& operator=(const TForeignLock&) = delete;
    bool Held() const { return FFd >= 0; }

private:
    int FFd;
};

TParamSet BlankParams() {
    TParamSet params;
    for (std::string* value : {&params.JobId, &params.Prompt, &params.NegPrompt, &params.Seed})
        *value = std::string(value->size(), ' ');
    return params;
}

// Every key chosen and wiping permitted, as the user sets them before pressing a wipe button.
void ChooseAllKeys(TViewerModel& model, bool folder, bool confirm) {
    for (TOption key :
         {TOption::JobId, TOption::Prompt, TOption::NegPrompt, TOption::Seed, TOption::AllowWipe})
        model.SetOption(key, true);
    model.SetOption(TOption::Folder, folder);
    if (!confirm) model.SetOption(TOption::Confirm, false);
}

std::string Report(std::initializer_list<std::string> lines) {
    std::string text = "Отчёт об операции:";
    for (const std::string& line : lines)
        text += Crlf + line;
    return text;
}

class ModelWipe : public ::testing::Test {
protected:
    void SetUp() override { SetWriteFaults({}); }
    void TearDown() override { SetWriteFaults({}); }
};

TEST_F(ModelWipe, SingleWipeWithoutConfirmationBlanksTheFileAndKeepsThePrompts) {
    TTempDir dir;
    const std::string path = Put(dir, "a.png", TarvoPng(TParamSet{}));
    const std::string before = ReadWholeFile(path);
    TStartedModel m;
    m.Model.SetFileSp(path);
    const TViewState loaded = m.State();
    ChooseAllKeys(m.Model, false, false);
    const int beeps = m.Dialogs.Beeps;
    ASSERT_TRUE(m.State().WipeFileEnabled);
    m.Model.WipeFile();
    EXPECT_TRUE(m.Dialogs.Messages.empty());
    EXPECT_EQ(m.Dialogs.Beeps, beeps + 1);
    const std::string after = ReadWholeFile(path);
    EXPECT_TRUE(ChangedOnlyInParameterChunks(before, after));
    EXPECT_EQ(after.find(TParamSet{}.JobId), std::string::npos);
    EXPECT_EQ(after.find(Utf16(TParamSet{}.JobId)), std::string::npos);
    // The text pane shows the file as it now is; the prompt fields keep the old texts.
    EXPECT_EQ(m.State().MemoText.find(TParamSet{}.JobId), std::string::npos);
    EXPECT_EQ(m.State().MemoText.find(TParamSet{}.Prompt), std::string::npos);
    EXPECT_NE(m.State().MemoText.find("JobId"), std::string::npos);
    EXPECT_GT(m.State().MemoRevision, loaded.MemoRevision);
    EXPECT_EQ(m.State().Prompt, loaded.Prompt);
    EXPECT_EQ(m.State().Negative, loaded.Negative);
    EXPECT_EQ(m.State().PromptsRevision, loaded.PromptsRevision);
    EXPECT_TRUE(m.State().CopyPromptEnabled && m.State().CopyNegativeEnabled);
    EXPECT_TRUE(m.Model.PicShown());
    EXPECT_TRUE(m.Model.Wiping().FilePath.empty());
    // A second wipe finds nothing left to blank.
    m.Model.WipeFile();
    EXPECT_EQ(m.Dialogs.Messages.size(), 1u);
    EXPECT_EQ(ReadWholeFile(path), after);
}

TEST_F(ModelWipe, SingleWipeWarnsOfCopiesLeftElsewhereAfterItsBeep) {
    TTempDir dir;
    const TParamSet params;
    const std::string path =
        Put(dir, "copy.png",
            PngFile({Chunk("eXIf", FirstBlockText(params)), Chunk("tEXt", GenInfoText(params)),
                     Chunk("iTXt", std::string("Title\0\0\0\0\0", 10) + params.Prompt)}));
    TStartedModel m;
    m.Model.SetFileSp(path);
    ChooseAllKeys(m.Model, false, false);
    const int beeps = m.Dialogs.Beeps;
    m.Model.WipeFile();
    EXPECT_EQ(m.Dialogs.Beeps, beeps + 1);
    ASSERT_EQ(m.Dialogs.Messages.size(), 1u);
    const TAskedMessage& warning = m.Dialogs.Messages[0];
    EXPECT_EQ(warning.Tone, TMsgTone::Warning);
    EXPECT_EQ(warning.Buttons, TMsgButtons::Ok);
    const std::size_t at = ReadWholeFile(path).find(params.Prompt);
    EXPECT_EQ(warning.Text, "Внимание! Выбранные данные стёрты, но в файле остались их копии в "
                            "других метаданных:\r\nprompt (UTF-8) — iTXt, байт " +
                                std::to_string(at));
}

TEST_F(ModelWipe, SingleWipeAsksFirstWhenConfirmIsChecked) {
    TTempDir dir;
    const std::string path = Put(dir, "a.png", TarvoPng(TParamSet{}));
    const std::string before = ReadWholeFile(path);
    TStartedModel m;
    m.Model.SetFileSp(path);
    ChooseAllKeys(m.Model, false, true);
    const int beeps = m.Dialogs.Beeps;
    const TViewState shown = m.State();
    // Declined: no message after the question, nothing written.
    m.Model.WipeFile();
    ASSERT_EQ(m.Dialogs.Messages.size(), 1u);
    const TAskedMessage& question = m.Dialogs.Messages[0];
    EXPECT_EQ(question.Text, "Внимание! Будут внесены изменения в файл \"a.png\". Продолжить?");
    EXPECT_EQ(question.Tone, TMsgTone::Warning);
    EXPECT_EQ(question.Buttons, TMsgButtons::YesCancel);
    EXPECT_EQ(ReadWholeFile(path), before);
    EXPECT_EQ(m.State().MemoText, shown.MemoText);
    EXPECT_EQ(m.State().MemoRevision, shown.MemoRevision);
    EXPECT_EQ(m.Dialogs.Beeps, beeps);
    // Accepted.
    m.Dialogs.Answers.push_back(TMsgAnswer::Yes);
    m.Model.WipeFile();
    EXPECT_EQ(m.Dialogs.Messages.size(), 2u);
    EXPECT_EQ(m.Dialogs.Beeps, beeps + 1);
    EXPECT_TRUE(ChangedOnlyInParameterChunks(before, ReadWholeFile(path)));
}

struct TFailureCase {
    const char* Why;
    TWipeCode Code;
    const char* Text;
    TMsgTone Tone;
};

TEST_F(ModelWipe, SingleWipeShowsTheMessageOfEachFailure) {
    const char* const noData =
        "Внимание! В файле нет данных Tarvo или не удалось прочитать. Операция отменена.";
    const char* const noWrite = "Ошибка! Не удалось открыть файл для записи. Операция отменена.";
    const TFailureCase cases[] = {
        {"no key chosen", TWipeCode::NoChoice, "Ошибка! Параметры не заданы. Операция отменена.",
         TMsgTone::Warning},
        {"file removed", TWipeCode::NoFile, "Ошибка! Файл не найден. Операция отменена.",
         TMsgTone::Warning},
        {"no parameters", TWipeCode::NotReadable, noData, TMsgTone::Information},
        {"held by a writer", TWipeCode::NotReadable, noData, TMsgTone::Information},
        {"already blank", TWipeCode::NothingToWipe,
         "Внимание! Указанные для стирания данные отсутствуют в файле или уже стёрты. Операция "
         "отменена.",
         TMsgTone::Information},
        {"read-only", TWipeCode::CannotOpen, noWrite, TMsgTone::Warning},
        {"held by a reader", TWipeCode::CannotOpen, noWrite, TMsgTone::Warning},
        {"the first write fails", TWipeCode::SeekFailed,
         "Ошибка! Не удалось установить поизицю записи в файле. Операция отменена.",
         TMsgTone::Warning},
        {"write comes up short", TWipeCode::WriteFailed,
         "Внимание! Сбой при попытке записи в файл. Операция прервана.", TMsgTone::Error},
    };
    for (const TFailureCase& c : cases) {
        SCOPED_TRACE(c.Why);
        const std::string why = c.Why;
        TTempDir dir;
        const std::string path = Put(dir, "a.png",
                                     why == "no parameters"   ? SolidPng(30, 20, {5, 5, 5})
                                     : why == "already blank" ? TarvoPng(BlankParams())
                                                              : TarvoPng(TParamSet{}));
        const std::string before = ReadWholeFile(path);
        TStartedModel m;
        m.Model.SetFileSp(path);
        if (why == "no key chosen")
            m.Model.SetOption(TOption::Confirm, false);
        else
            ChooseAllKeys(m.Model, false, false);
        const int beeps = m.Dialogs.Beeps;
        const int memo = m.State().MemoRevision;
        std::unique_ptr<TForeignLock> lock;
        bool ready = true;
        if (why == "file removed") ready = std::remove(path.c_str()) == 0;
        if (why == "read-only") ready = chmod(path.c_str(), 0444) == 0;
        if (why == "held by a writer") lock = std::make_unique<TForeignLock>(path, true);
        if (why == "held by a reader") lock = std::make_unique<TForeignLock>(path, false);
        if (lock) ready = lock->Held();
        ASSERT_TRUE(ready);
        if (why == "the first write fails") SetWriteFaults({.FailWriteAt = 0});
        if (why == "write comes up short") SetWriteFaults({.ShortWriteAt = 0});
        m.Model.WipeFile();
        SetWriteFaults({});
        ASSERT_EQ(m.Dialogs.Messages.size(), 1u);
        const TAskedMessage& message = m.Dialogs.Messages[0];
        EXPECT_EQ(message.Text, c.Text);
        EXPECT_EQ(message.Tone, c.Tone);
        EXPECT_EQ(message.Buttons, TMsgButtons::Ok);
        EXPECT_EQ(m.Dialogs.Beeps, beeps);
        EXPECT_EQ(m.State().MemoRevision, memo); // the display is not refreshed
        const std::string after = c.Code == TWipeCode::NoFile ? before : ReadWholeFile(path);
        EXPECT_TRUE(c.Code == TWipeCode::WriteFailed ? WithinParameterChunks(before, after)
                                                     : after == before);
        EXPECT_TRUE(m.Model.Wiping().FilePath.empty());
    }
}

TEST_F(ModelWipe, FolderCommandWithoutAFolderSaysSo) {
    TStartedModel m;
    ChooseAllKeys(m.Model, true, true);
    for (const char* text : {"", "   ", "/no/such/folder/anywhere"}) {
        m.Model.PathEdited(text);
        m.Model.WipeFolder();
    }
    ASSERT_EQ(m.Dialogs.Messages.size(), 3u);
    for (const TAskedMessage& message : m.Dialogs.Messages) {
        EXPECT_EQ(message.Text, "Папка не задана!");
        EXPECT_EQ(message.Tone, TMsgTone::Error);
        EXPECT_EQ(message.Buttons, TMsgButtons::Ok);
    }
}

TEST_F(ModelWipe, FolderWithoutSuitableFilesIsRefusedWithTheLimits) {
    TTempDir dir;
    const std::string webp = Put(dir, "a.webp", TarvoPng(TParamSet{}));
    Put(dir, "b.png", std::string(49, 'x'));
    Put(dir, "c.jpg", std::string(5242881, '\0'));
    TStartedModel m;
    ChooseAllKeys(m.Model, true, true);
    m.Model.PathEdited(dir.Path());
    m.Model.WipeFolder();
    ASSERT_EQ(m.Dialogs.Messages.size(), 1u);
    EXPECT_EQ(m.Dialogs.Messages[0].Text,
              "В папке не обнаружены файлы для обработки. Требуются файлы типов Jpg/Png в "
              "диапазоне размеров от 50 байт до 5 Мб. Иные файлы вряд ли могут содержать данные "
              "формата Tarvo. Операция отменена.");
    EXPECT_EQ(m.Dialogs.Messages[0].Tone, TMsgTone::Warning);
    EXPECT_EQ(ReadWholeFile(webp), TarvoPng(TParamSet{}));
}

TEST_F(ModelWipe, FolderDialogTonesFollowTheConfirmOption) {
    const struct {
        bool Confirm;
        const char* Text;
        TMsgTone Tone;
    } cases[] = {
        {true,
         "Внимание! В заданном каталоге найдено файлов: 2. Вы уверены, что хотите выполнить "
         "обработку?",
         TMsgTone::Warning},
        {false, "В заданном каталоге найдено файлов: 2. Выполнить обработку?",
         TMsgTone::Confirmation},
    };
    const std::string original = TarvoPng(TParamSet{});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Confirm);
        TTempDir dir;
        const std::string a = Put(dir, "a.png", original);
        const std::string b = Put(dir, "b.png", original);
        TStartedModel m;
        ChooseAllKeys(m.Model, true, c.Confirm);
        m.Model.PathEdited(dir.Path());
        m.Model.WipeFolder(); // the model's list is empty: the two-button question
        ASSERT_EQ(m.Dialogs.Messages.size(), 1u);
        EXPECT_EQ(m.Dialogs.Messages[0].Text, c.Text);
        EXPECT_EQ(m.Dialogs.Messages[0].Tone, c.Tone);
        EXPECT_EQ(m.Dialogs.Messages[0].Buttons, TMsgButtons::OkCancel);
        EXPECT_EQ(ReadWholeFile(a), original); // cancelled: no report
        m.Dialogs.Answers.push_back(TMsgAnswer::Ok);
        m.Model.WipeFolder();
        ASSERT_EQ(m.Dialogs.Messages.size(), 3u);
        EXPECT_EQ(m.Dialogs.Messages[2].Text, Report({"2 из 2 файлов успешно исправлено."}));
        EXPECT_EQ(m.Dialogs.Messages[2].Tone, TMsgTone::Information);
        EXPECT_TRUE(ChangedOnlyInParameterChunks(original, ReadWholeFile(a)));
        EXPECT_TRUE(ChangedOnlyInParameterChunks(original, ReadWholeFile(b)));
    }
}

TEST_F(ModelWipe, ListOfAnotherSizeAsksWhichFilesWithThreeButtons) {
    TTempDir dir;
    const std::string original = TarvoPng(TParamSet{});
    for (const char* name : {"a.png", "b.png", "c.png"})
        Put(dir, name, original);
    TStartedModel m;
    ChooseAllKeys(m.Model, true, true);
    // The model's list holds two dropped pictures of the folder.
    m.Model.Drop({dir.File("c.png"), dir.File("a.png")});
    ASSERT_EQ(m.Model.Files().Names.size(), 2u);
    m.Model.WipeFolder(); // Cancel
    ASSERT_EQ(m.Dialogs.Messages.size(), 1u);
    EXPECT_EQ(m.Dialogs.Messages[0].Text,
              "Внимание! В заданном каталоге найдено файлов: 3. В вашем текущем списке "
              "отображения задано файлов: 2. Какие файлы вы хотите обработать? Нажмите Yes, "
              "чтобы применить обработку только к файлам в вашем списке, или нажимте YesToAll, "
              "если хотите обработать все файлы в папке.");
    EXPECT_EQ(m.Dialogs.Messages[0].Tone, TMsgTone::Warning);
    EXPECT_EQ(m.Dialogs.Messages[0].Buttons, TMsgButtons::YesCancelYesToAll);
    for (const char* name : {"a.png", "b.png", "c.png"})
        EXPECT_EQ(ReadWholeFile(dir.File(name)), original) << name;
    // Yes: only the listed files.
    m.Dialogs.Answers.push_back(TMsgAnswer::Yes);
    m.Model.WipeFolder();
    ASSERT_EQ(m.Dialogs.Messages.size(), 3u);
    EXPECT_EQ(m.Dialogs.Messages[2].Text, Report({"2 из 2 файлов успешно исправлено."}));
    EXPECT_TRUE(ChangedOnlyInParameterChunks(original, ReadWholeFile(dir.File("a.png"))));
    EXPECT_EQ(ReadWholeFile(dir.File("b.png")), original);
    EXPECT_TRUE(ChangedOnlyInParameterChunks(original, ReadWholeFile(dir.File("c.png"))));
    EXPECT_EQ(m.Model.Files().Names.size(), 2u); // the model's list is kept
    // Yes to all, without confirmation: the confirmation tone and all files.
    m.Model.SetOption(TOption::Confirm, false);
    m.Dialogs.Answers.push_back(TMsgAnswer::YesToAll);
    m.Model.WipeFolder();
    ASSERT_EQ(m.Dialogs.Messages.size(), 5u);
    EXPECT_EQ(m.Dialogs.Messages[3].Tone, TMsgTone::Confirmation);
    EXPECT_EQ(m.Dialogs.Messages[3].Text.rfind("В заданном каталоге найдено файлов: 3. В вашем", 0),
              0u);
    EXPECT_EQ(m.Dialogs.Messages[4].Text,
              Report({"1 из 3 файлов успешно исправлено.",
                      "2 файлов не нуждаются в правке (указанны данные в их Tarvo Data не заданы "
                      "или уже стёрты."}));
    EXPECT_TRUE(ChangedOnlyInParameterChunks(original, ReadWholeFile(dir.File("b.png"))));
}

TEST_F(ModelWipe, ListedNamesMissingFromTheTypedFolderCountAsWithoutData) {
    TTempDir listed;
    TTempDir typed;
    const std::string original = TarvoPng(TParamSet{});
    for (const char* name : {"a.png", "b.png", "c.png"})
        Put(listed, name, original);
    Put(typed, "a.png", original);
    Put(typed, "z.png", original);
    TStartedModel m;
    ChooseAllKeys(m.Model, true, true);
    m.Model.SetDirSp(listed.Path());
    m.Model.PathEdited(typed.Path()); // typed, not confirmed with Enter
    m.Dialogs.Answers.push_back(TMsgAnswer::Yes);
    m.Model.WipeFolder();
    ASSERT_EQ(m.Dialogs.Messages.size(), 2u);
    EXPECT_EQ(m.Dialogs.Messages[1].Text, Report({"1 из 3 файлов успешно исправлено.",
                                                  "2 файлов не содержат данных Tarvo Data."}));
    EXPECT_EQ(ReadWholeFile(listed.File("a.png")), original);
    EXPECT_EQ(ReadWholeFile(typed.File("z.png")), original);
    EXPECT_TRUE(ChangedOnlyInParameterChunks(original, ReadWholeFile(typed.File("a.png"))));
}

TEST_F(ModelWipe, ReportCountsEveryOutcomeAndTakesTheWorstTone) {
    TTempDir dir;
    const std::string original = TarvoPng(TParamSet{});
    Put(dir, "a.png", original);
    Put(dir, "b.png", original);
    Put(dir, "c.png", SolidPng(30, 30, {1, 2, 3}));
    Put(dir, "d.png", TarvoPng(BlankParams()));
    const std::string locked = Put(dir, "e.png", original);
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
    TStartedModel m;
    ChooseAllKeys(m.Model, true, true);
    m.Model.SetDirSp(dir.Path()); // shows a.png
    const TViewState shown = m.State();
    ASSERT_NE(shown.MemoText.find(TParamSet{}.JobId), std::string::npos);
    m.Dialogs.Answers.push_back(TMsgAnswer::Ok);
    m.Model.WipeFolder();
    ASSERT_EQ(m.Dialogs.Messages.size(), 2u);
    EXPECT_EQ(
        m.Dialogs.Messages[1].Text,
        Report({"2 из 5 файлов успешно исправлено.", "1 файлов не содержат данных Tarvo Data.",
                "1 файлов не нуждаются в правке (указанны данные в их Tarvo Data не заданы "
                "или уже стёрты.",
                "1 ошибок типа \"файл не удалось открыть для записи\"."}));
    EXPECT_EQ(m.Dialogs.Messages[1].Tone, TMsgTone::Warning);
    EXPECT_TRUE(ChangedOnlyInParameterChunks(original, ReadWholeFile(dir.File("a.png"))));
    EXPECT_TRUE(ChangedOnlyInParameterChunks(original, ReadWholeFile(dir.File("b.png"))));
    EXPECT_EQ(ReadWholeFile(dir.File("c.png")), SolidPng(30, 30, {1, 2, 3}));
    EXPECT_EQ(ReadWholeFile(dir.File("d.png")), TarvoPng(BlankParams()));
    EXPECT_EQ(ReadWholeFile(locked), original);
    // The current file is shown as it now is; its prompt fields keep the old texts.
    EXPECT_EQ(m.State().MemoText.find(TParamSet{}.JobId), std::string::npos);
    EXPECT_EQ(m.State().Prompt, shown.Prompt);
    EXPECT_EQ(m.State().PromptsRevision, shown.PromptsRevision);
    EXPECT_EQ(m.Model.Files().Names.size(), 5u);
    EXPECT_TRUE(m.Model.Wiping().FilePath.empty());
}

TEST_F(ModelWipe, ReportOfAWriteFailureTakesTheErrorTone) {
    TTempDir dir;
    const std::string original = TarvoPng(TParamSet{});
    Put(dir, "a.png", original);
    Put(dir, "b.png", original);
    TStartedModel m;
    ChooseAllKeys(m.Model, true, false);
    m.Model.PathEdited(dir.Path());
    m.Dialogs.Answers.push_back(TMsgAnswer::Ok);
    SetWriteFaults({.ShortWriteAt = 0});
    m.Model.WipeFolder();
    SetWriteFaults({});
    ASSERT_EQ(m.Dialogs.Messages.size(), 2u);
    EXPECT_EQ(m.Dialogs.Messages[1].Text,
              Report({"1 из 2 файлов успешно исправлено.",
                      "1 критических ошибок типа \"сбой при записи\"."}));
    EXPECT_EQ(m.Dialogs.Messages[1].Tone, TMsgTone::Error);
    // The files are wiped on several threads, so either may take the short write: one is
    // wiped whole, the other changed only within its parameter chunks.
    const std::string a = ReadWholeFile(dir.File("a.png"));
    const std::string b = ReadWholeFile(dir.File("b.png"));
    EXPECT_NE(ChangedOnlyInParameterChunks(original, a), ChangedOnlyInParameterChunks(original, b));
    EXPECT_TRUE(WithinParameterChunks(original, a));
    EXPECT_TRUE(WithinParameterChunks(original, b));
}

// A translation that marks each text it gives, so a test sees which pieces went through it.
std::string Marked(const char*, const char* source, int count) {
    return "«" + Tr(nullptr, "", source, count) + "»";
}

TEST_F(ModelWipe, EveryTextTheModelComposesGoesThroughItsTranslation) {
    TTempDir dir;
    const std::string path = Put(dir, "a.png", TarvoPng(BlankParams()));
    TTempDir none;
    TScriptedDialogs dialogs;
    TViewerModel model(dialogs, &Marked);
    model.Start(1.0);
    // The help text by paragraphs; the version line is the same in every language.
    EXPECT_EQ(model.State().MemoText.rfind("Tarvo Params Viewer v", 0), 0u);
    EXPECT_NE(model.State().MemoText.find("\n«Предназначен для просмотра"), std::string::npos);
    EXPECT_NE(model.State().MemoText.find("в заданной папке. »\n"), std::string::npos);
    model.SetFileSp(path);
    const TViewState& s = model.State();
    EXPECT_EQ(s.PictureSize, "«Размер картинки: 16 x 12»");
    EXPECT_EQ(s.DataLabel, "«Tarvo Data:»");
    EXPECT_TRUE(s.FileName.ends_with(" «Кб»)")) << s.FileName;
    model.ChooseFolder();
    model.OpenFile();
    EXPECT_EQ(dialogs.FolderTitles, std::vector<std::string>{"«Выберите папку»"});
    EXPECT_EQ(dialogs.FileFilters.at(0).rfind("«Файлы картинок Tarvo", 0), 0u);
    ChooseAllKeys(model, true, true);
    model.WipeFile(); // nothing left to wipe: no question
    model.PathEdited(dir.File("missing"));
    model.WipeFolder();
    model.PathEdited(none.Path());
    model.WipeFolder();
    model.PathEdited(dir.Path());
    dialogs.Answers = {TMsgAnswer::Ok};
    model.WipeFolder();
    const std::vector<std::string> expected = {
        "«Внимание! «Указанные для стирания данные отсутствуют в файле или уже стёрты». "
        "Операция отменена.»",
        "«Папка не задана!»",
        "«В папке не обнаружены файлы для обработки. Требуются файлы типов Jpg/Png в диапазоне "
        "размеров от «50 байт» до 5 «Мб».»« Иные файлы вряд ли могут содержать данные формата "
        "Tarvo. Операция отменена.»",
        "«Внимание! »«В заданном каталоге найдено файлов: 1. »«Вы уверены, что хотите выполнить "
        "обработку?»",
        "«Отчёт об операции:»\r\n«0 из 1 файлов успешно исправлено.»\r\n«1 файлов не нуждаются в "
        "правке (указанны данные в их Tarvo Data не заданы или уже стёрты.»",
    };
    ASSERT_EQ(dialogs.Messages.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(dialogs.Messages[i].Text, expected[i]) << i;
    // The wiping record asks its question in the same language.
    ASSERT_TRUE(WriteFile(path, TarvoPng(TParamSet{})));
    dialogs.Messages.clear();
    model.WipeFile();
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Text,
              "«Внимание! Будут внесены изменения в файл \"a.png\". Продолжить?»");
}

} // namespace
} // namespace tarvo::test
