// The window in the language of its environment. CTest runs this program under several
// locales and names the language it must find in TARVO_TEST_LANGUAGE ("ru" or "en"): Russian
// shows exactly the texts the window was designed with, English shows every caption, hint,
// message and the help in English, fitted to the same controls. The language rule itself is
// checked against a table of environments.
#include "MainWindowHarness.h"

#include "app/FolderWipe.h"
#include "app/HelpText.h"
#include "util/Sp_Procs.h"
#include "window/Language.h"
#include "window/QtDialogs.h"
#include "window/QtText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFrame>
#include <QLayout>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTimer>
#include <QTranslator>

#include <cstdlib>
#include <iterator>
#include <map>

using namespace tarvo;
using namespace tarvo::test;

namespace {

bool HasCyrillic(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= 0x0400 && c.unicode() <= 0x04FF; });
}

// The window's texts in the language under test: the Russian they were written in, or
// English with no Russian letter left.
void CheckLanguage(bool english, const QString& shown, const QString& russian) {
    if (english) {
        QVERIFY2(!shown.isEmpty(), qPrintable(russian));
        QVERIFY2(!HasCyrillic(shown), qPrintable(shown));
    } else {
        QCOMPARE(shown, russian);
    }
}

// The language this run must find, as CTest names it.
bool EnglishExpected() {
    const char* expected = std::getenv("TARVO_TEST_LANGUAGE");
    return expected != nullptr && std::string_view(expected) == "en";
}

// Turns the other language on for its lifetime: removes the English translation when it is
// installed, installs it when it is not.
class TOtherLanguage {
public:
    explicit TOtherLanguage(QTranslator*& installed) : FInstalled(installed) {
        if (FInstalled != nullptr)
            QCoreApplication::removeTranslator(FInstalled);
        else
            FOwn = InstallLanguage(*QCoreApplication::instance(), TUiLanguage::English);
    }
    ~TOtherLanguage() {
        if (FInstalled != nullptr) QCoreApplication::installTranslator(FInstalled);
        if (FOwn != nullptr) QCoreApplication::removeTranslator(FOwn);
    }
    TOtherLanguage(const TOtherLanguage&) = delete;
    TOtherLanguage& operator=(const TOtherLanguage&) = delete;
    bool Loaded() const { return FInstalled != nullptr || FOwn != nullptr; }

private:
    QTranslator* FInstalled;
    QTranslator* FOwn = nullptr;
};

// The widths of the window's buttons by name.
std::map<QString, int> ButtonWidths(const TForm1& form) {
    std::map<QString, int> widths;
    for (const QPushButton* button : form.findChildren<QPushButton*>())
        widths[button->objectName()] = button->width();
    return widths;
}

// Enables both wipe buttons: a key option and both permits.
void AllowWipes(TForm1& form) {
    for (QCheckBox* box : {form.chk9, form.chk6, form.chk7})
        box->setChecked(true);
}

} // namespace

class MainWindowLanguageTest : public QObject {
    Q_OBJECT

    QTranslator* FTranslator = nullptr;
    bool FEnglish = false;

private slots:
    void initTestCase() {
        // As the program's entry does.
        FTranslator = InstallLanguage(*QCoreApplication::instance(), UiLanguage());
        FEnglish = EnglishExpected();
        QCOMPARE(UiLanguage() == TUiLanguage::English, FEnglish);
        QCOMPARE(FTranslator != nullptr, FEnglish);
    }

    void languageFollowsTheEnvironment_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("lcAll");
        QTest::addColumn<QString>("lcMessages");
        QTest::addColumn<QString>("lang");
        QTest::addColumn<bool>("english");
        // "-" stands for a variable that is not set.
        const struct {
            const char* Name;
            const char* Language;
            const char* LcAll;
            const char* LcMessages;
            const char* Lang;
            bool English;
        } rows[] = {
            {"nothing set", "-", "-", "-", "-", false},
            {"Russian locale", "-", "-", "-", "ru_RU.UTF-8", false},
            {"Ukrainian Russian with modifier", "-", "-", "-", "ru_UA.KOI8-U@euro", false},
            {"C", "-", "-", "-", "C", false},
            {"C.UTF-8", "-", "-", "-", "C.UTF-8", false},
            {"POSIX", "-", "-", "-", "POSIX", false},
            {"empty LANG", "-", "-", "-", "", false},
            {"American English", "-", "-", "-", "en_US.UTF-8", true},
            {"plain en", "-", "-", "-", "en", true},
            {"German", "-", "-", "-", "de_DE.UTF-8", true},
            {"LC_ALL before LANG", "-", "ru_RU.UTF-8", "-", "en_US.UTF-8", false},
            {"LC_ALL C before LANG", "-", "C", "-", "en_US.UTF-8", false},
            {"LC_MESSAGES before LANG", "-", "-", "en_GB.UTF-8", "ru_RU.UTF-8", true},
            {"LC_ALL before LC_MESSAGES", "-", "fr_FR.UTF-8", "ru_RU.UTF-8", "-", true},
            {"empty LC_ALL passed over", "-", "", "-", "en_US.UTF-8", true},
            {"LANGUAGE=en wins over Russian", "en", "-", "-", "ru_RU.UTF-8", true},
            {"LANGUAGE=en wins over C", "en", "C", "-", "C", true},
            {"LANGUAGE=ru wins over English", "ru", "en_US.UTF-8", "-", "en_US.UTF-8", false},
            {"LANGUAGE list, first spoken wins", "de:fr:en_GB:ru", "-", "-", "ru_RU.UTF-8", true},
            {"LANGUAGE list with Russian", "de:ru_RU:en", "-", "-", "en_US.UTF-8", false},
            {"LANGUAGE of unspoken languages", "de:fr", "-", "-", "ru_RU.UTF-8", false},
            {"LANGUAGE of unspoken languages, English locale", "de", "-", "-", "en_US", true},
            {"empty LANGUAGE", "", "-", "-", "en_US.UTF-8", true},
            {"LANGUAGE with empty entries", "::en", "-", "-", "C.UTF-8", true},
        };
        for (const auto& row : rows)
            QTest::newRow(row.Name)
                << QString::fromLatin1(row.Language) << QString::fromLatin1(row.LcAll)
                << QString::fromLatin1(row.LcMessages) << QString::fromLatin1(row.Lang)
                << row.English;
    }

    void languageFollowsTheEnvironment() {
        QFETCH(QString, language);
        QFETCH(QString, lcAll);
        QFETCH(QString, lcMessages);
        QFETCH(QString, lang);
        QFETCH(bool, english);
        std::map<std::string, std::string> variables;
        const std::pair<const char*, QString> given[] = {
            {"LANGUAGE", language}, {"LC_ALL", lcAll}, {"LC_MESSAGES", lcMessages}, {"LANG", lang}};
        for (const auto& [name, value] : given)
            if (value != QStringLiteral("-")) variables[name] = value.toStdString();
        const TUiLanguage chosen = UiLanguage([&](const char* name) -> const char* {
            const auto found = variables.find(name);
            return found == variables.end() ? nullptr : found->second.c_str();
        });
        QCOMPARE(chosen == TUiLanguage::English, english);
    }

    void captionsAndHintsAreTheDesignedOnesOrEnglish() {
        TStartedForm started;
        const TForm1& form = started.Form;
        // Control, caption and hint as designed; the window's own title stays in every
        // language.
        const struct {
            const char* Name;
            const char* Caption;
            const char* Hint;
        } controls[] = {
            {"lbl2", "Путь:", ""},
            {"btn8", "Задать", ""},
            {"btn1", "Открыть файл", ""},
            {"lbl3", "Имя файла:", ""},
            {"lbl4", "Tarvo Data:", ""},
            {"lbl6", "Prompt", ""},
            {"btn6", "Copy", ""},
            {"lbl7", "Negative", ""},
            {"btn7", "Copy", ""},
            {"btn4", "<", "Предыдущий"},
            {"btn5", ">", "Следующий"},
            {"btn2", "Очистить", ""},
            {"btn13", "1/5", ""},
            {"btn14", "В", "Восстановить пропорции"},
            {"btn12", "O", "Обновить список файлов"},
            {"btn3", "V", "Показать доп панель"},
            {"chk3", "JobId", ""},
            {"chk9", "Seed", ""},
            {"chk4", "Prompt", ""},
            {"chk5", "Neg Prompt", ""},
            {"chk6", "Разрешить удалять", ""},
            {"chk7", "Обработка папки", ""},
            {"chk8", "Подтверждать", ""},
            {"btn9", "Удалить из файла", ""},
            {"btn10", "Обработка папки", ""},
            {"btn11", "^", "Скрыть доп панель"},
            {"chk1", "Растягивать", "Растягивать картинку в размеры окна отображения"},
            {"chk10", "Истиный Prompt",
             "Сторонняя информация, записанная в Prompt, не будет отображаться в нижнем поле "
             "ввода"},
            {"chk2", "Tarvo Data",
             "Игнорировать при листании файлы WebP, и так же слишком большие и слишком "
             "маленькие файлы"},
        };
        for (const auto& c : controls) {
            const auto* control = form.findChild<QWidget*>(QString::fromLatin1(c.Name));
            QVERIFY2(control != nullptr, c.Name);
            QString caption;
            if (const auto* button = qobject_cast<const QAbstractButton*>(control))
                caption = button->text();
            else if (const auto* label = qobject_cast<const QLabel*>(control))
                caption = label->text();
            const QString designed = QString::fromUtf8(c.Caption);
            // Signs and the generators' terms stay as they are.
            CheckLanguage(FEnglish && HasCyrillic(designed), caption, designed);
            const QString hint = QString::fromUtf8(c.Hint);
            if (hint.isEmpty())
                QVERIFY2(control->toolTip().isEmpty(), c.Name);
            else
                CheckLanguage(FEnglish, control->toolTip(), hint);
        }
        QCOMPARE(form.windowTitle(), QStringLiteral("Tarvo Params Viewer"));
    }

    void everyCaptionFitsItsControlAndTheButtonsKeepTheirWidths() {
        std::map<QString, int> otherWidths;
        {
            TOtherLanguage other(FTranslator);
            QVERIFY(other.Loaded());
            TStartedForm started;
            started.Form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&started.Form));
            otherWidths = ButtonWidths(started.Form);
        }
        TStartedForm started;
        TForm1& form = started.Form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(ButtonWidths(form), otherWidths);
        for (const QAbstractButton* button : form.findChildren<QAbstractButton*>()) {
            const QByteArray name = button->objectName().toLatin1();
            QVERIFY2(!button->text().isEmpty(), name.constData());
            if (qobject_cast<const QCheckBox*>(button) != nullptr)
                QVERIFY2(button->sizeHint().width() <= button->width(), name.constData());
            else
                QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) + 8 <=
                             button->width(),
                         name.constData());
        }
        for (const QLabel* label : {form.lbl2, form.lbl3, form.lbl4, form.lbl6, form.lbl7})
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->objectName()));
        // The two groups of the options bar keep their designed widths and hold their
        // controls.
        for (const QFrame* group : {form.pnl7, form.pnl6})
            QVERIFY2(group->layout()->minimumSize().width() <= group->width(),
                     qPrintable(group->objectName()));
    }

    void helpTextIsTheDesignedOneOrEnglish() {
        TStartedForm started;
        const QString shown = started.Form.mmo1->toPlainText();
        const QString russian = Q(HelpText());
        CheckLanguage(FEnglish, shown, russian);
        QCOMPARE(russian.split(QLatin1Char('\n')).size(), HelpLineCount);
        // The version and the three addresses of the build stand in both.
        const QStringList lines = russian.split(QLatin1Char('\n'));
        QVERIFY(shown.startsWith(lines[0]));
        for (const QString& line : {lines[66], lines[67]}) {
            const QString address = line.section(QStringLiteral(": "), 1);
            QVERIFY2(!address.isEmpty() && shown.contains(address), qPrintable(line));
        }
        const QString service =
            lines[2].section(QLatin1Char('('), 1).section(QLatin1Char(')'), 0, 0);
        QVERIFY2(!service.isEmpty() &&
                     shown.contains(QLatin1Char('(') + service + QLatin1Char(')')),
                 qPrintable(service));
    }

    void theCoresMessagesAreTheDesignedOnesOrEnglish() {
        // Every text the wipe commands compose, through the window's translation.
        std::vector<std::pair<TWipeMessage, TWipeMessage>> messages;
        for (int code = 0; code < WipeCodeCount; ++code) {
            const auto wipeCode = static_cast<TWipeCode>(code);
            messages.emplace_back(WipeCodeMessage(wipeCode, &QtTranslate),
                                  WipeCodeMessage(wipeCode));
        }
        TWipeCounters counters;
        counters.total = 12;
        counters.fixed = 1;
        counters.noData = 1;
        counters.unknown = 2;
        counters.withLeftovers = 1;
        for (std::int64_t& count : counters.byCode)
            count = 1;
        for (const bool completed : {true, false}) {
            counters.completed = completed;
            TWipeCounters copy = counters;
            messages.emplace_back(ComposeReport(counters, &QtTranslate), ComposeReport(copy));
        }
        const std::vector<TLeftover> leftovers = {{"prompt", "UTF-8", "iTXt", 120, false},
                                                  {"seed", "UTF-16LE", "zTXt", 400, true}};
        messages.emplace_back(LeftoversMessage(leftovers, &QtTranslate),
                              LeftoversMessage(leftovers));
        messages.push_back({{NoCandidatesText(&QtTranslate)}, {NoCandidatesText()}});
        for (const auto& [shown, russian] : messages) {
            if (russian.Text.empty()) {
                QVERIFY(shown.Text.empty());
                continue;
            }
            CheckLanguage(FEnglish, Q(shown.Text), Q(russian.Text));
            QVERIFY(shown.Tone == russian.Tone);
            // The same lines, with the same numbers in them.
            QCOMPARE(Q(shown.Text).count(QStringLiteral("\r\n")),
                     Q(russian.Text).count(QStringLiteral("\r\n")));
        }
        if (FEnglish) {
            // Counts take their plural forms.
            TWipeCounters one;
            one.total = 1;
            one.fixed = 1;
            one.noData = 1;
            QCOMPARE(Q(ComposeReport(one, &QtTranslate).Text),
                     QStringLiteral("Operation report:\r\n1 of 1 file fixed successfully.\r\n"
                                    "1 file holds no Tarvo Data."));
        }
    }

    void theWindowsMessagesAndLabelsAreTheDesignedOnesOrEnglish() {
        TTempDir dir;
        TParamSet params;
        const std::string picture = Put(dir, "a.png", TarvoPng(params));
        TTempDir none;
        Put(none, "notes.txt", "nothing to wipe here");
        TTempDir unclaimed;
        const std::string text =
            Put(unclaimed, "t.png", PngFile({Chunk("tEXt", std::string("Comment\0by hand", 15))}));
        TStartedForm started;
        TForm1& form = started.Form;
        TScriptedDialogs& dialogs = started.Dialogs;
        AllowWipes(form);
        std::vector<std::pair<QString, QString>> texts;
        // The label of a file's text that no format claims.
        form.LoadFile(text);
        texts.emplace_back(form.lbl4->text(), QStringLiteral("Текст файла:"));
        // A picture: its size, and its name with the size of its file.
        form.SetFileSp(picture);
        QVERIFY(Settle(form));
        texts.emplace_back(form.lbl1->text(), QStringLiteral("Размер картинки: 16 x 12"));
        const auto fileSize = static_cast<std::int64_t>(ReadWholeFile(picture).size());
        texts.emplace_back(form.lbl5->text(), Q("a.png  (" + FormatSize(fileSize, 1) + ")"));
        // The folder and file dialogs.
        form.btn8->click();
        form.btn1->click();
        texts.emplace_back(Q(dialogs.FolderTitles.at(0)), QStringLiteral("Выберите папку"));
        texts.emplace_back(Q(dialogs.FileFilters.at(0)),
                           QStringLiteral("Файлы картинок Tarvo (Jpg, Png, WebP)|*.jpg;*.Jpeg;*."
                                          "png;*.WebP|Все файлы|*.*"));
        // The file wipe: its question, asked Yes, then again with nothing left to wipe.
        dialogs.Answers = {TMsgAnswer::Yes};
        form.btn9->click();
        form.btn9->click();
        // The folder runs: no folder, no file to process, then the question and report.
        form.edt1->setText(Q(dir.File("missing")));
        form.btn10->click();
        form.edt1->setText(Q(none.Path()));
        form.btn10->click();
        form.edt1->setText(Q(dir.Path()));
        dialogs.Answers = {TMsgAnswer::Ok};
        form.btn10->click();
        const char* asked[] = {
            "Внимание! Будут внесены изменения в файл \"a.png\". Продолжить?",
            "Внимание! Указанные для стирания данные отсутствуют в файле или уже стёрты. "
            "Операция отменена.",
            "Папка не задана!",
            "В папке не обнаружены файлы для обработки. Требуются файлы типов Jpg/Png в диапазоне "
            "размеров от 50 байт до 5 Мб. Иные файлы вряд ли могут содержать данные формата "
            "Tarvo. Операция отменена.",
            "Внимание! В заданном каталоге найдено файлов: 1. Вы уверены, что хотите выполнить "
            "обработку?",
            "Отчёт об операции:\r\n0 из 1 файлов успешно исправлено.\r\n1 файлов не нуждаются в "
            "правке (указанны данные в их Tarvo Data не заданы или уже стёрты.",
        };
        QCOMPARE(dialogs.Messages.size(), std::size(asked));
        for (std::size_t i = 0; i < std::size(asked); ++i)
            texts.emplace_back(Q(dialogs.Messages[i].Text), QString::fromUtf8(asked[i]));
        for (const auto& [shown, russian] : texts)
            CheckLanguage(FEnglish, shown, russian);
        if (FEnglish) {
            QCOMPARE(form.lbl1->text(), QStringLiteral("Picture size: 16 x 12"));
            QVERIFY2(form.lbl5->text().endsWith(QStringLiteral(" KB)")),
                     qPrintable(form.lbl5->text()));
            QCOMPARE(Q(dialogs.Messages[0].Text),
                     QStringLiteral("Warning! The file \"a.png\" will be changed. Continue?"));
            QCOMPARE(Q(dialogs.FileFilters.at(0)),
                     QStringLiteral("Tarvo pictures (Jpg, Png, WebP)|*.jpg;*.Jpeg;*.png;*.WebP|"
                                    "All files|*.*"));
        }
    }

    void qtDialogsTitlesFollowTheLanguageAndTheButtonsStayQts() {
        const struct {
            TMsgTone Tone;
            const char* Title;
        } tones[] = {{TMsgTone::Warning, "Предупреждение"},
                     {TMsgTone::Error, "Ошибка"},
                     {TMsgTone::Information, "Информация"},
                     {TMsgTone::Confirmation, "Подтверждение"}};
        TQtDialogs dialogs;
        for (const auto& tone : tones) {
            QString title;
            QStringList buttons;
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (box == nullptr) return;
                title = box->windowTitle();
                for (const QAbstractButton* button : box->buttons())
                    buttons << button->text();
                box->button(QMessageBox::Cancel)->click();
            });
            QVERIFY(dialogs.MessageBox("x", tone.Tone, TMsgButtons::YesCancelYesToAll) ==
                    TMsgAnswer::Cancel);
            CheckLanguage(FEnglish, title, QString::fromUtf8(tone.Title));
            // Qt's own buttons, which the messages name as Yes and YesToAll.
            QCOMPARE(buttons.size(), 3);
            for (const QString& button : buttons)
                QVERIFY2(!HasCyrillic(button) && button.contains(QStringLiteral("Yes")) !=
                                                     button.contains(QStringLiteral("Cancel")),
                         qPrintable(button));
        }
        // The folder run's progress.
        QWidget parent;
        TQtDialogs owned(&parent);
        QVERIFY(owned.Progress(3, 7));
        const auto* progress = parent.findChild<QProgressDialog*>();
        QVERIFY(progress != nullptr);
        CheckLanguage(FEnglish, progress->windowTitle(), QStringLiteral("Обработка папки"));
        CheckLanguage(FEnglish, progress->labelText(), QStringLiteral("Обработано файлов: 3 из 7"));
        QVERIFY(progress->labelText().contains(QStringLiteral("3")) &&
                progress->labelText().contains(QStringLiteral("7")));
        owned.EndProgress();
    }
};

QTEST_MAIN(MainWindowLanguageTest)
#include "MainWindowLanguage_test.moc"
