// The wipe commands on real files: every message of the single-file wipe, the folder
// dialogs in both tones and button sets, the folder report, and the file bytes afterwards.
#include "Unit1Harness.h"

#include "app/FilesObj.h"
#include "app/TarvoData.h"
#include "params/DatTypes.h"
#include "platform/LockedFile.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tarvo;
using namespace tarvo::test;

namespace {

constexpr const char* Crlf = "\r\n";

// The file's bytes differ at most inside its parameter chunks (data and CRC).
bool WithinParameterChunks(const std::string& before, const std::string& after) {
    if (before.size() != after.size()) return false;
    std::vector<TSpan> allowed;
    for (const TChunkInfo& chunk : PngChunks(before))
        if (chunk.Type == "eXIf" || chunk.Type == "tEXt")
            allowed.push_back({chunk.Offset + 8, std::size_t{chunk.Length} + 4});
    return ChangesWithin(before, after, allowed);
}

// A completed wipe: changes only inside the parameter chunks, every chunk checksum right,
// and the picture still decodes.
bool ChangedOnlyInParameterChunks(const std::string& before, const std::string& after) {
    return before != after && WithinParameterChunks(before, after) && AllCrcsOk(after) &&
           DecodePng(after).has_value();
}

// A lock on the file through its own open file description, as another program holds it.
class TForeignLock {
public:
    TForeignLock(const std::string& path, int how) : FFd(open(path.c_str(), O_RDONLY)) {
        if (FFd >= 0 && flock(FFd, how | LOCK_NB) != 0) {
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
    params.JobId = std::string(params.JobId.size(), ' ');
    params.Prompt = std::string(params.Prompt.size(), ' ');
    params.NegPrompt = std::string(params.NegPrompt.size(), ' ');
    params.Seed = std::string(params.Seed.size(), ' ');
    return params;
}

// Chooses every key and permits wiping, as the user would before pressing a wipe button.
void ChooseAllKeys(TForm1& form, bool folder) {
    for (QCheckBox* box : {form.chk3, form.chk4, form.chk5, form.chk9, form.chk6})
        box->setChecked(true);
    form.chk7->setChecked(folder);
}

} // namespace

class Unit1WipeTest : public QObject {
    Q_OBJECT

private slots:
    void init() { SetWriteFaults({}); }
    void cleanup() { SetWriteFaults({}); }

    void singleWipeWithoutConfirmationBlanksTheFileAndKeepsThePrompts() {
        TTempDir dir;
        const std::string path = Put(dir, "a.png", TarvoPng(TParamSet{}));
        const std::string before = ReadWholeFile(path);
        TStartedForm started;
        TForm1& form = started.Form;
        form.SetFileSp(path);
        const QString prompt = form.edt2->text();
        const QString negative = form.edt3->text();
        ChooseAllKeys(form, false);
        form.chk8->setChecked(false);
        const int beeps = started.Dialogs.Beeps;
        QVERIFY(form.btn9->isEnabled());
        form.btn9->click();
        QVERIFY(started.Dialogs.Messages.empty());
        QCOMPARE(started.Dialogs.Beeps, beeps + 1);
        const std::string after = ReadWholeFile(path);
        QVERIFY(after != before);
        QVERIFY(ChangedOnlyInParameterChunks(before, after));
        QVERIFY(after.find(TParamSet{}.JobId) == std::string::npos);
        QVERIFY(after.find(Utf16(TParamSet{}.JobId)) == std::string::npos);
        // The text pane shows the file as it now is; the prompt fields keep the old texts.
        QVERIFY(!form.mmo1->toPlainText().contains(Q(TParamSet{}.JobId)));
        QVERIFY(!form.mmo1->toPlainText().contains(Q(TParamSet{}.Prompt)));
        QVERIFY(form.mmo1->toPlainText().contains(QStringLiteral("JobId")));
        QCOMPARE(form.edt2->text(), prompt);
        QCOMPARE(form.edt3->text(), negative);
        QVERIFY(form.btn6->isEnabled() && form.btn7->isEnabled());
        QVERIFY(form.Model->PicShown());
        QVERIFY(form.Model->Wiping().FilePath.empty());
        // A second wipe finds nothing left to blank.
        form.btn9->click();
        QCOMPARE(started.Dialogs.Messages.size(), std::size_t{1});
        QCOMPARE(ReadWholeFile(path), after);
    }

    void singleWipeWarnsOfCopiesLeftElsewhereAfterItsBeep() {
        TTempDir dir;
        const TParamSet params;
        const std::string path =
            Put(dir, "copy.png",
                test::PngFile(
                    {test::Chunk("eXIf", test::FirstBlockText(params)),
                     test::Chunk("tEXt", test::GenInfoText(params)),
                     test::Chunk("iTXt", std::string("Title\0\0\0\0\0", 10) + params.Prompt)}));
        TStartedForm started;
        TForm1& form = started.Form;
        form.SetFileSp(path);
        ChooseAllKeys(form, false);
        form.chk8->setChecked(false);
        const int beeps = started.Dialogs.Beeps;
        form.btn9->click();
        QCOMPARE(started.Dialogs.Beeps, beeps + 1);
        QCOMPARE(started.Dialogs.Messages.size(), std::size_t{1});
        const TAskedMessage& warning = started.Dialogs.Messages[0];
        QVERIFY(warning.Tone == TMsgTone::Warning);
        const std::size_t at = ReadWholeFile(path).find(params.Prompt);
        QCOMPARE(Q(warning.Text),
                 QString::fromUtf8("Внимание! Выбранные данные стёрты, но в файле остались их "
                                   "копии в других метаданных:\r\nprompt (UTF-8) — iTXt, байт ") +
                     QString::number(at));
    }

    void singleWipeAsksFirstWhenConfirmIsChecked() {
        TTempDir dir;
        const std::string path = Put(dir, "a.png", TarvoPng(TParamSet{}));
        const std::string before = ReadWholeFile(path);
        TStartedForm started;
        TForm1& form = started.Form;
        form.SetFileSp(path);
        ChooseAllKeys(form, false);
        const int beeps = started.Dialogs.Beeps;
        const QString memo = form.mmo1->toPlainText();
        // Declined: no message at all, nothing written.
        form.btn9->click();
        QCOMPARE(started.Dialogs.Messages.size(), std::size_t{1});
        const TAskedMessage& question = started.Dialogs.Messages[0];
        QCOMPARE(Q(question.Text),
                 QStringLiteral("Внимание! Будут внесены изменения в файл \"a.png\". Продолжить?"));
        QVERIFY(question.Tone == TMsgTone::Warning);
        QVERIFY(question.Buttons == TMsgButtons::YesCancel);
        QCOMPARE(ReadWholeFile(path), before);
        QCOMPARE(form.mmo1->toPlainText(), memo);
        QCOMPARE(started.Dialogs.Beeps, beeps);
        // Accepted.
        started.Dialogs.Answers.push_back(TMsgAnswer::Yes);
        form.btn9->click();
        QCOMPARE(started.Dialogs.Messages.size(), std::size_t{2});
        QCOMPARE(started.Dialogs.Beeps, beeps + 1);
        QVERIFY(ChangedOnlyInParameterChunks(before, ReadWholeFile(path)));
    }

    void singleWipeShowsTheMessageOfEachFailure() {
        struct Case {
            const char* Why;
            int Code;
            const char* Text;
            TMsgTone Tone;
        };
        const Case cases[] = {
            {"no key chosen", 1, "Ошибка! Параметры не заданы. Операция отменена.",
             TMsgTone::Warning},
            {"file removed", 2, "Ошибка! Файл не найден. Операция отменена.", TMsgTone::Warning},
            {"no parameters", 3,
             "Внимание! В файле нет данных Tarvo или не удалось прочитать. Операция отменена.",
             TMsgTone::Information},
            {"held by a writer", 3,
             "Внимание! В файле нет данных Tarvo или не удалось прочитать. Операция отменена.",
             TMsgTone::Information},
            {"already blank", 4,
             "Внимание! Указанные для стирания данные отсутствуют в файле или уже стёрты. "
             "Операция отменена.",
             TMsgTone::Information},
            {"read-only", 6, "Ошибка! Не удалось открыть файл для записи. Операция отменена.",
             TMsgTone::Warning},
            {"held by a reader", 6,
             "Ошибка! Не удалось открыть файл для записи. Операция отменена.", TMsgTone::Warning},
            {"the first write fails", 7,
             "Ошибка! Не удалось установить поизицю записи в файле. Операция отменена.",
             TMsgTone::Warning},
            {"write comes up short", 8,
             "Внимание! Сбой при попытке записи в файл. Операция прервана.", TMsgTone::Error},
        };
        for (const Case& c : cases) {
            const std::string why = c.Why;
            TTempDir dir;
            const std::string path = Put(dir, "a.png",
                                         why == "no parameters"   ? SolidPng(30, 20, {5, 5, 5})
                                         : why == "already blank" ? TarvoPng(BlankParams())
                                                                  : TarvoPng(TParamSet{}));
            const std::string before = ReadWholeFile(path);
            TStartedForm started;
            TForm1& form = started.Form;
            form.SetFileSp(path);
            const QString memo = form.mmo1->toPlainText();
            if (why != "no key chosen") ChooseAllKeys(form, false);
            form.chk8->setChecked(false);
            const int beeps = started.Dialogs.Beeps;
            std::unique_ptr<TForeignLock> lock;
            if (why == "file removed") QVERIFY(std::remove(path.c_str()) == 0);
            if (why == "read-only") QVERIFY(chmod(path.c_str(), 0444) == 0);
            if (why == "held by a writer") lock = std::make_unique<TForeignLock>(path, LOCK_EX);
            if (why == "held by a reader") lock = std::make_unique<TForeignLock>(path, LOCK_SH);
            if (lock) QVERIFY2(lock->Held(), c.Why);
            if (why == "the first write fails") SetWriteFaults({.FailWriteAt = 0});
            if (why == "write comes up short") SetWriteFaults({.ShortWriteAt = 0});
            form.btn9Click(form.btn9);
            SetWriteFaults({});
            QVERIFY2(started.Dialogs.Messages.size() == 1, c.Why);
            const TAskedMessage& message = started.Dialogs.Messages[0];
            QCOMPARE(Q(message.Text), QString::fromUtf8(c.Text));
            QVERIFY2(message.Tone == c.Tone, c.Why);
            QVERIFY2(message.Buttons == TMsgButtons::Ok, c.Why);
            QCOMPARE(started.Dialogs.Beeps, beeps);
            QCOMPARE(form.mmo1->toPlainText(), memo); // the display is not refreshed
            if (c.Code == 8)
                QVERIFY2(WithinParameterChunks(before, ReadWholeFile(path)), c.Why);
            else if (why != "file removed")
                QVERIFY2(ReadWholeFile(path) == before, c.Why);
            QVERIFY(form.Model->Wiping().FilePath.empty());
        }
    }

    void folderCommandWithoutAFolderSaysSo() {
        TStartedForm started;
        TForm1& form = started.Form;
        ChooseAllKeys(form, true);
        for (const char* text : {"", "   ", "/no/such/folder/anywhere"}) {
            form.edt1->setText(QString::fromUtf8(text));
            form.btn10->click();
        }
        QCOMPARE(started.Dialogs.Messages.size(), std::size_t{3});
        for (const TAskedMessage& message : started.Dialogs.Messages) {
            QCOMPARE(Q(message.Text), QStringLiteral("Папка не задана!"));
            QVERIFY(message.Tone == TMsgTone::Error);
            QVERIFY(message.Buttons == TMsgButtons::Ok);
        }
    }

    void folderWithoutSuitableFilesIsRefusedWithTheLimits() {
        TTempDir dir;
        const std::string webp = Put(dir, "a.webp", TarvoPng(TParamSet{}));
        const std::string tiny = Put(dir, "b.png", std::string(49, 'x'));
        const std::string huge = Put(dir, "c.jpg", std::string(5242881, '\0'));
        TStartedForm started;
        TForm1& form = started.Form;
        ChooseAllKeys(form, true);
        form.edt1->setText(Q(dir.Path()));
        form.btn10->click();
        QCOMPARE(started.Dialogs.Messages.size(), std::size_t{1});
        QCOMPARE(Q(started.Dialogs.Messages[0].Text),
                 QStringLiteral("В папке не обнаружены файлы для обработки. Требуются файлы "
                                "типов Jpg/Png в диапазоне размеров от 50 байт до 5 Мб. Иные "
                                "файлы вряд ли могут содержать данные формата Tarvo. Операция "
                                "отменена."));
        QVERIFY(started.Dialogs.Messages[0].Tone == TMsgTone::Warning);
        QCOMPARE(ReadWholeFile(webp), TarvoPng(TParamSet{}));
    }

    void folderDialogTonesFollowTheConfirmOption() {
        struct Case {
            bool Confirm;
            const char* Text;
            TMsgTone Tone;
        };
        const Case cases[] = {
            {true,
             "Внимание! В заданном каталоге найдено файлов: 2. Вы уверены, что хотите выполнить "
             "обработку?",
             TMsgTone::Warning},
            {false, "В заданном каталоге найдено файлов: 2. Выполнить обработку?",
             TMsgTone::Confirmation},
        };
        for (const Case& c : cases) {
            TTempDir dir;
            const std::string a = Put(dir, "a.png", TarvoPng(TParamSet{}));
            const std::string b = Put(dir, "b.png", TarvoPng(TParamSet{}));
            TStartedForm started;
            TForm1& form = started.Form;
            ChooseAllKeys(form, true);
            form.chk8->setChecked(c.Confirm);
            form.edt1->setText(Q(dir.Path()));
            form.btn10->click(); // the window's list is empty: the two-button dialog
            QCOMPARE(started.Dialogs.Messages.size(), std::size_t{1});
            QCOMPARE(Q(started.Dialogs.Messages[0].Text), QString::fromUtf8(c.Text));
            QVERIFY(started.Dialogs.Messages[0].Tone == c.Tone);
            QVERIFY(started.Dialogs.Messages[0].Buttons == TMsgButtons::OkCancel);
            QCOMPARE(ReadWholeFile(a), TarvoPng(TParamSet{})); // cancelled: no report
            started.Dialogs.Answers.push_back(TMsgAnswer::Ok);
            form.btn10->click();
            QCOMPARE(started.Dialogs.Messages.size(), std::size_t{3});
            QCOMPARE(
                Q(started.Dialogs.Messages[2].Text),
                Q(std::string("Отчёт об операции:") + Crlf + "2 из 2 файлов успешно исправлено."));
            QVERIFY(started.Dialogs.Messages[2].Tone == TMsgTone::Information);
            QVERIFY(ChangedOnlyInParameterChunks(TarvoPng(TParamSet{}), ReadWholeFile(a)));
            QVERIFY(ChangedOnlyInParameterChunks(TarvoPng(TParamSet{}), ReadWholeFile(b)));
        }
    }

    void listOfAnotherSizeAsksWhichFilesWithThreeButtons() {
        TTempDir dir;
        for (const char* name : {"a.png", "b.png", "c.png"})
            Put(dir, name, TarvoPng(TParamSet{}));
        const std::string original = TarvoPng(TParamSet{});
        TStartedForm started;
        TForm1& form = started.Form;
        ChooseAllKeys(form, true);
        // The window's list holds two dropped pictures of the folder.
        form.WMDropFiles({dir.File("c.png"), dir.File("a.png")});
        QCOMPARE(form.Model->Files().Names.size(), std::size_t{2});
        const QString question = QStringLiteral(
            "Внимание! В заданном каталоге найдено файлов: 3. В вашем текущем списке "
            "отображения задано файлов: 2. Какие файлы вы хотите обработать? Нажмите Yes, "
            "чтобы применить обработку только к файлам в вашем списке, или нажимте YesToAll, "
            "если хотите обработать все файлы в папке.");
        form.btn10->click(); // Cancel
        QCOMPARE(started.Dialogs.Messages.size(), std::size_t{1});
        QCOMPARE(Q(started.Dialogs.Messages[0].Text), question);
        QVERIFY(started.Dialogs.Messages[0].Tone == TMsgTone::Warning);
        QVERIFY(started.Dialogs.Messages[0].Buttons == TMsgButtons::YesCancelYesToAll);
        for (const char* name : {"a.png", "b.png", "c.png"})
            QCOMPARE(ReadWholeFile(dir.File(name)), original);
        // Yes: only the listed files.
        started.Dialogs.Answers.push_back(TMsgAnswer::Yes);
        form.btn10->click();
        QCOMPARE(started.Dialogs.Messages.size(), std::size_t{3});
        QCOMPARE(Q(started.Dialogs.Messages[2].Text),
                 Q(std::string("Отчёт об операции:") + Crlf + "2 из 2 файлов успешно исправлено."));
        QVERIFY(ChangedOnlyInParameterChunks(original, ReadWholeFile(dir.File("a.png"))));
        QCOMPARE(ReadWholeFile(dir.File("b.png")), original);
        QVERIFY(ChangedOnlyInParameterChunks(original, ReadWholeFile(dir.File("c.png"))));
        QCOMPARE(form.Model->Files().Names.size(), std::size_t{2}); // the window's list is kept
        // Yes to all, without confirmation: the confirmation tone and all files.
        form.chk8->setChecked(false);
        started.Dialogs.Answers.push_back(TMsgAnswer::YesToAll);
        form.btn10->click();
        QCOMPARE(started.Dialogs.Messages.size(), std::size_t{5});
        QVERIFY(started.Dialogs.Messages[3].Tone == TMsgTone::Confirmation);
        QVERIFY(Q(started.Dialogs.Messages[3].Text)
                    .startsWith(QStringLiteral("В заданном каталоге найдено файлов: 3. В вашем")));
        QCOMPARE(Q(started.Dialogs.Messages[4].Text),
                 Q(std::string("Отчёт об операции:") + Crlf + "1 из 3 файлов успешно исправлено." +
                   Crlf +
                   "2 файлов не нуждаются в правке (указанны данные в их Tarvo Data не заданы "
                   "или уже стёрты."));
        QVERIFY(ChangedOnlyInParameterChunks(original, ReadWholeFile(dir.File("b.png"))));
    }

    void listedNamesMissingFromTheTypedFolderCountAsWithoutData() {
        TTempDir listed;
        TTempDir typed;
        for (const char* name : {"a.png", "b.png", "c.png"})
            Put(listed, name, TarvoPng(TParamSet{}));
        Put(typed, "a.png", TarvoPng(TParamSet{}));
        Put(typed, "z.png", TarvoPng(TParamSet{}));
        TStartedForm started;
        TForm1& form = started.Form;
        ChooseAllKeys(form, true);
        form.SetDirSp(listed.Path());
        form.edt1->setText(Q(typed.Path())); // typed, not confirmed with Enter
        started.Dialogs.Answers.push_back(TMsgAnswer::Yes);
        form.btn10->click();
        QCOMPARE(started.Dialogs.Messages.size(), std::size_t{2});
        QCOMPARE(Q(started.Dialogs.Messages[1].Text),
                 Q(std::string("Отчёт об операции:") + Crlf + "1 из 3 файлов успешно исправлено." +
                   Crlf + "2 файлов не содержат данных Tarvo Data."));
        QCOMPARE(ReadWholeFile(listed.File("a.png")), TarvoPng(TParamSet{}));
        QCOMPARE(ReadWholeFile(typed.File("z.png")), TarvoPng(TParamSet{}));
        QVERIFY(ChangedOnlyInParameterChunks(TarvoPng(TParamSet{}),
                                             ReadWholeFile(typed.File("a.png"))));
    }

    void reportCountsEveryOutcomeAndTakesTheWorstTone() {
        TTempDir dir;
        const std::string original = TarvoPng(TParamSet{});
        Put(dir, "a.png", original);
        Put(dir, "b.png", original);
        Put(dir, "c.png", SolidPng(30, 30, {1, 2, 3}));
        Put(dir, "d.png", TarvoPng(BlankParams()));
        const std::string locked = Put(dir, "e.png", original);
        QVERIFY(chmod(locked.c_str(), 0444) == 0);
        TStartedForm started;
        TForm1& form = started.Form;
        ChooseAllKeys(form, true);
        form.SetDirSp(dir.Path()); // shows a.png
        const QString prompt = form.edt2->text();
        QVERIFY(form.mmo1->toPlainText().contains(Q(TParamSet{}.JobId)));
        started.Dialogs.Answers.push_back(TMsgAnswer::Ok);
        form.btn10->click();
        QCOMPARE(started.Dialogs.Messages.size(), std::size_t{2});
        QCOMPARE(Q(started.Dialogs.Messages[1].Text),
                 Q(std::string("Отчёт об операции:") + Crlf + "2 из 5 файлов успешно исправлено." +
                   Crlf + "1 файлов не содержат данных Tarvo Data." + Crlf +
                   "1 файлов не нуждаются в правке (указанны данные в их Tarvo Data не заданы "
                   "или уже стёрты." +
                   Crlf + "1 ошибок типа \"файл не удалось открыть для записи\"."));
        QVERIFY(started.Dialogs.Messages[1].Tone == TMsgTone::Warning);
        QVERIFY(ChangedOnlyInParameterChunks(original, ReadWholeFile(dir.File("a.png"))));
        QVERIFY(ChangedOnlyInParameterChunks(original, ReadWholeFile(dir.File("b.png"))));
        QCOMPARE(ReadWholeFile(dir.File("c.png")), SolidPng(30, 30, {1, 2, 3}));
        QCOMPARE(ReadWholeFile(dir.File("d.png")), TarvoPng(BlankParams()));
        QCOMPARE(ReadWholeFile(locked), original);
        // The current file is shown as it now is; its prompt fields keep the old texts.
        QVERIFY(!form.mmo1->toPlainText().contains(Q(TParamSet{}.JobId)));
        QCOMPARE(form.edt2->text(), prompt);
        QCOMPARE(form.Model->Files().Names.size(), std::size_t{5});
        QVERIFY(form.Model->Wiping().FilePath.empty());
    }

    void reportOfAWriteFailureTakesTheErrorTone() {
        TTempDir dir;
        const std::string original = TarvoPng(TParamSet{});
        Put(dir, "a.png", original);
        Put(dir, "b.png", original);
        TStartedForm started;
        TForm1& form = started.Form;
        ChooseAllKeys(form, true);
        form.chk8->setChecked(false);
        form.edt1->setText(Q(dir.Path()));
        started.Dialogs.Answers.push_back(TMsgAnswer::Ok);
        SetWriteFaults({.ShortWriteAt = 0});
        form.btn10->click();
        SetWriteFaults({});
        QCOMPARE(started.Dialogs.Messages.size(), std::size_t{2});
        QCOMPARE(Q(started.Dialogs.Messages[1].Text),
                 Q(std::string("Отчёт об операции:") + Crlf + "1 из 2 файлов успешно исправлено." +
                   Crlf + "1 критических ошибок типа \"сбой при записи\"."));
        QVERIFY(started.Dialogs.Messages[1].Tone == TMsgTone::Error);
        QVERIFY(ChangedOnlyInParameterChunks(original, ReadWholeFile(dir.File("b.png"))));
        QVERIFY(WithinParameterChunks(original, ReadWholeFile(dir.File("a.png"))));
    }
};

QTEST_MAIN(Unit1WipeTest)
#include "Unit1Wipe_test.moc"
