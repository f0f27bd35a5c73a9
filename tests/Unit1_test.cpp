// The main window's controls, start-up state, enabling rules, options and close.
#include "Unit1Harness.h"

#include "app/FilesObj.h"
#include "app/HelpText.h"
#include "app/TarvoData.h"
#include "params/DatTypes.h"
#include "window/QtDialogs.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <unistd.h>

using namespace tarvo;
using namespace tarvo::test;

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

const TParamSet Params{};

} // namespace

class Unit1Test : public QObject {
    Q_OBJECT

private slots:
    void everyControlCarriesItsNameCaptionAndHint() {
        TScriptedDialogs dialogs;
        TForm1 form(dialogs);
        struct Row {
            QWidget* Control;
            const char* Name;
            const char* Caption;
            const char* Hint;
        };
        const Row rows[] = {
            {form.lbl2, "lbl2", "Путь:", ""},
            {form.btn8, "btn8", "Задать", ""},
            {form.btn1, "btn1", "Открыть файл", ""},
            {form.lbl3, "lbl3", "Имя файла:", ""},
            {form.lbl5, "lbl5", "lbl5", ""},
            {form.lbl4, "lbl4", "Tarvo Data:", ""},
            {form.lbl8, "lbl8", "lbl8", ""},
            {form.lbl1, "lbl1", "lbl1", ""},
            {form.lbl6, "lbl6", "Prompt", ""},
            {form.edt2, "edt2", "edt2", ""},
            {form.btn6, "btn6", "Copy", ""},
            {form.lbl7, "lbl7", "Negative", ""},
            {form.edt3, "edt3", "edt3", ""},
            {form.btn7, "btn7", "Copy", ""},
            {form.btn4, "btn4", "<", "Предыдущий"},
            {form.btn5, "btn5", ">", "Следующий"},
            {form.btn2, "btn2", "Очистить", ""},
            {form.btn13, "btn13", "1/5", ""},
            {form.btn14, "btn14", "В", "Восстановить пропорции"},
            {form.btn12, "btn12", "O", "Обновить список файлов"},
            {form.btn3, "btn3", "V", "Показать доп панель"},
            {form.chk3, "chk3", "JobId", ""},
            {form.chk9, "chk9", "Seed", ""},
            {form.chk4, "chk4", "Prompt", ""},
            {form.chk5, "chk5", "Neg Prompt", ""},
            {form.chk6, "chk6", "Разрешить удалять", ""},
            {form.chk7, "chk7", "Обработка папки", ""},
            {form.chk8, "chk8", "Подтверждать", ""},
            {form.btn9, "btn9", "Удалить из файла", ""},
            {form.btn10, "btn10", "Обработка папки", ""},
            {form.btn11, "btn11", "^", "Скрыть доп панель"},
            {form.chk1, "chk1", "Растягивать", "Растягивать картинку в размеры окна отображения"},
            {form.chk10, "chk10", "Истиный Prompt",
             "Сторонняя информация, записанная в Prompt, не будет отображаться в нижнем поле "
             "ввода"},
            {form.chk2, "chk2", "Tarvo Data",
             "Игнорировать при листании файлы WebP, и так же слишком большие и слишком маленькие "
             "файлы"},
        };
        for (const Row& row : rows) {
            QCOMPARE(row.Control->objectName(), QString::fromLatin1(row.Name));
            QCOMPARE(form.findChild<QWidget*>(QString::fromLatin1(row.Name)), row.Control);
            QString caption;
            if (auto* label = qobject_cast<QLabel*>(row.Control)) caption = label->text();
            if (auto* button = qobject_cast<QAbstractButton*>(row.Control))
                caption = button->text();
            if (auto* edit = qobject_cast<QLineEdit*>(row.Control)) caption = edit->text();
            QCOMPARE(caption, QString::fromUtf8(row.Caption));
            QCOMPARE(row.Control->toolTip(), QString::fromUtf8(row.Hint));
            if (qobject_cast<QPushButton*>(row.Control) != nullptr)
                QCOMPARE(row.Control->cursor().shape(), Qt::PointingHandCursor);
        }
        for (const char* name : {"pnl5", "edt1", "pnl2", "pnl8", "mmo1", "spl1", "pnl1", "dxpntbx1",
                                 "pnl3", "pnl4", "pnl7", "pnl6", "bvl1", "bvl2"})
            QVERIFY2(form.findChild<QWidget*>(QString::fromLatin1(name)) != nullptr, name);
    }

    void windowOpensWithItsCaptionAndSizeAndKeepsItsMinimum() {
        TStartedForm started;
        TForm1& form = started.Form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Tarvo Params Viewer"));
        QCOMPARE(form.size(), QSize(1065, 654));
        QCOMPARE(form.minimumSize(), QSize(700, 400));
        form.resize(500, 300);
        QCOMPARE(form.size(), QSize(700, 400));
    }

    void panelsAreStackedPathCentrePromptOptions() {
        TStartedForm started;
        TForm1& form = started.Form;
        QCOMPARE(form.pnl5->geometry(), QRect(0, 0, 1065, 97));
        QCOMPARE(form.pnl4->geometry(), QRect(0, 654 - 97, 1065, 97));
        QCOMPARE(form.pnl3->geometry(), QRect(0, 654 - 97 - 83, 1065, 83));
        QCOMPARE(form.pnl2->geometry(), QRect(0, 97, 1065, 654 - 97 - 83 - 97));
        // Text pane, splitter and picture pane from left to right inside the central panel.
        QCOMPARE(form.pnl1->width(), 273);
        QCOMPARE(form.spl1->width(), 8);
        QCOMPARE(form.spl1->x(), form.pnl8->x() + form.pnl8->width());
        QCOMPARE(form.pnl1->x(), form.spl1->x() + 8);
        QCOMPARE(form.pnl1->x() + form.pnl1->width(), form.pnl2->contentsRect().right() + 1);
        QCOMPARE(form.mmo1->parentWidget(), form.pnl8);
        QCOMPARE(form.dxpntbx1->parentWidget(), form.pnl1);
        QCOMPARE(form.pnl7->parentWidget(), form.pnl4);
        QCOMPARE(form.pnl6->parentWidget(), form.pnl4);
        QCOMPARE(form.pnl7->width(), 568);
        QCOMPARE(form.pnl6->width(), 328);
    }

    void startUpWithNoFilesLeavesOnlyTheKeyOptionsEnabled() {
        TTempDir empty;
        TWorkingDir cwd(empty.Path());
        TStartedForm started;
        TForm1& form = started.Form;
        QVERIFY(form.Model);
        QCOMPARE(form.edt1->text(), Q(empty.Path()));
        for (QWidget* off :
             std::initializer_list<QWidget*>{form.chk6, form.chk7, form.chk8, form.btn9, form.btn10,
                                             form.btn6, form.btn7, form.lbl4})
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
        for (QWidget* on : std::initializer_list<QWidget*>{
                 form.chk3, form.chk4, form.chk5, form.chk9, form.chk1, form.chk10, form.chk2,
                 form.mmo1, form.btn4, form.btn5, form.btn2, form.btn8, form.btn1, form.btn12,
                 form.btn13, form.btn11})
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
        QVERIFY(form.btn3->isHidden());
        QVERIFY(form.btn14->isHidden());
        QVERIFY(!form.pnl4->isHidden());
        QVERIFY(form.lbl1->text().isEmpty());
        QVERIFY(form.lbl5->text().isEmpty());
        QVERIFY(form.lbl8->text().isEmpty());
        QVERIFY(form.edt2->text().isEmpty());
        QVERIFY(form.edt3->text().isEmpty());
        QVERIFY(form.pnl1->text().isEmpty());
        QVERIFY(!form.chk3->isChecked() && !form.chk4->isChecked() && !form.chk5->isChecked() &&
                !form.chk9->isChecked() && !form.chk6->isChecked() && !form.chk7->isChecked());
        QVERIFY(form.chk8->isChecked() && form.chk1->isChecked() && form.chk10->isChecked() &&
                form.chk2->isChecked());
        QVERIFY(!form.Model->PicShown());
        QVERIFY(form.Model->Files().TarvoFilter);
        QVERIFY(!form.Model->Files().Loaded);
        QVERIFY(form.dxpntbx1->Stretch());
        QVERIFY(form.dxpntbx1->Center());
        QVERIFY(form.dxpntbx1->KeepAspect());
        QVERIFY(!form.dxpntbx1->AutoStretch());
        QVERIFY(form.acceptDrops());
        QCOMPARE(started.Dialogs.Beeps, 0);
        QVERIFY(started.Dialogs.Messages.empty());
    }

    void startUpShowsTheSixtyEightHelpLines() {
        TStartedForm started;
        const QStringList lines = started.Form.mmo1->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 68);
        for (int i = 0; i < HelpLineCount; ++i)
            QCOMPARE(lines[i], Q(HelpLines()[static_cast<std::size_t>(i)]));
        QCOMPARE(lines[0], QStringLiteral("Tarvo Params Viewer v1.00"));
        QVERIFY(lines[1].isEmpty());
        QVERIFY(lines[2].startsWith(QStringLiteral(
            "Предназначен для просмотра параметров генерации картинок, созданных нейросетью "
            "Tarvo (")));
        QVERIFY(lines[2].endsWith(QStringLiteral("). В ")));
        QCOMPARE(lines[7], QStringLiteral("указания картинки воспользуйтесь кнопкой \"Открыть "
                                          "файл\", для указания папки - кнопкой \"Задать\" или "
                                          "введите путь к "));
        QVERIFY(lines[32].endsWith(QStringLiteral("(окно картинки в 5 раз шире текстового)  ")));
        QCOMPARE(lines[59], QStringLiteral("дополнительными сторонними данными вроде \"Score_4\", "
                                           "те из подобных данных, о которых автору известно, "
                                           "будут "));
        QVERIFY(lines[65].isEmpty());
        QVERIFY(lines[66].startsWith(QStringLiteral("Сайт программы: ")));
        QVERIFY(lines[66].size() > 16);
        QVERIFY(lines[67].startsWith(QStringLiteral("Контакт автора: ")));
        QVERIFY(lines[67].size() > 16);
        QVERIFY(started.Form.mmo1->isEnabled());
        QVERIFY(!started.Form.mmo1->isReadOnly());
    }

    void enablingRulesFollowKeyOptionsPermitsAndTheLoadedFile() {
        TTempDir dir;
        const std::string withData = Put(dir, "a.png", TarvoPng(Params));
        TStartedForm started;
        TForm1& form = started.Form;
        const auto enabled = [&] {
            return QList<bool>{form.chk6->isEnabled(), form.chk7->isEnabled(),
                               form.chk8->isEnabled(), form.btn9->isEnabled(),
                               form.btn10->isEnabled()};
        };
        using L = QList<bool>;
        form.chk3->setChecked(true);
        QCOMPARE(enabled(), (L{true, false, true, false, false}));
        form.chk6->setChecked(true);
        QCOMPARE(enabled(), (L{true, true, true, false, false})); // no file: btn9 stays off
        form.chk7->setChecked(true);
        QCOMPARE(enabled(), (L{true, true, true, false, true})); // btn10 without a file
        form.LoadFile(withData);
        QCOMPARE(enabled(), (L{true, true, true, true, true}));
        form.chk3->setChecked(false);
        QCOMPARE(enabled(), (L{false, false, false, false, false}));
        QVERIFY(form.chk6->isChecked());
        QVERIFY(form.chk7->isChecked());
        form.chk9->setChecked(true);
        QCOMPARE(enabled(), (L{true, true, true, true, true}));
        form.chk6->setChecked(false);
        QCOMPARE(enabled(), (L{true, false, true, false, false})); // checked chk7 is disabled
        form.chk6->setChecked(true);
        form.chk7->setChecked(false);
        QCOMPARE(enabled(), (L{true, true, true, true, false}));
    }

    void eachKeyOptionAloneEnablesThePermits() {
        for (int key = 0; key < 4; ++key) {
            TStartedForm started;
            TForm1& form = started.Form;
            QCheckBox* keys[] = {form.chk3, form.chk4, form.chk5, form.chk9};
            keys[key]->setChecked(true);
            QVERIFY(form.chk6->isEnabled());
            QVERIFY(form.chk8->isEnabled());
            QVERIFY(!form.chk7->isEnabled());
        }
    }

    void setParVarsCopiesTheFourKeyOptions() {
        TStartedForm started;
        TForm1& form = started.Form;
        form.chk3->setChecked(true);
        form.chk5->setChecked(true);
        form.Model->setParVars();
        QVERIFY(ParJobId && !ParPrompt && ParNegPrompt && !ParSeed);
        form.chk3->setChecked(false);
        form.chk4->setChecked(true);
        form.chk9->setChecked(true);
        QVERIFY(ParJobId); // flags are a copy taken only by setParVars
        form.Model->setParVars();
        QVERIFY(!ParJobId && ParPrompt && ParNegPrompt && ParSeed);
    }

    void confirmOptionTurnsRedWhenOffAndBeepsEachTime() {
        TStartedForm started;
        TForm1& form = started.Form;
        form.chk3->setChecked(true);
        form.chk8->setChecked(false);
        QCOMPARE(form.chk8->palette().color(QPalette::Active, QPalette::WindowText),
                 QColor(255, 0, 0));
        QCOMPARE(started.Dialogs.Beeps, 1);
        form.chk8->setChecked(true);
        QCOMPARE(form.chk8->palette().color(QPalette::Active, QPalette::WindowText),
                 form.chk7->palette().color(QPalette::Active, QPalette::WindowText));
        QCOMPARE(started.Dialogs.Beeps, 2);
        QVERIFY(form.chk8->isEnabled());
    }

    void tarvoDataOptionRebuildsTheListOncePerChange() {
        TTempDir dir;
        Put(dir, "a.png", TarvoPng(Params));
        Put(dir, "b.png", TarvoPng(Params));
        Put(dir, "c.webp", TarvoPng(Params));
        Put(dir, "d.png", std::string(20, 'x'));
        TStartedForm started;
        TForm1& form = started.Form;
        form.SetDirSp(dir.Path());
        QCOMPARE(form.lbl8->text(), QStringLiteral("1/2"));
        form.chk2->setChecked(false);
        QVERIFY(!form.Model->Files().TarvoFilter);
        QCOMPARE(form.Model->Files().Names.size(), std::size_t{4});
        QCOMPARE(form.lbl8->text(), QStringLiteral("1/4"));
        QVERIFY(form.chk2->isEnabled());
        // Same state as the filter: nothing is read again.
        Put(dir, "e.png", TarvoPng(Params));
        form.chk2Click(form.chk2);
        QCOMPARE(form.Model->Files().Names.size(), std::size_t{4});
        form.chk2->setChecked(true);
        QCOMPARE(form.Model->Files().Names.size(), std::size_t{3});
        QCOMPARE(form.lbl8->text(), QStringLiteral("1/3"));
    }

    void copyButtonsPutTheFieldTextsOnTheClipboard() {
        TTempDir dir;
        const std::string file = Put(dir, "a.png", TarvoPng(Params));
        TStartedForm started;
        TForm1& form = started.Form;
        form.LoadFile(file);
        QVERIFY(form.btn6->isEnabled());
        QVERIFY(form.btn7->isEnabled());
        form.edt2->setText(QStringLiteral("edited by the user"));
        form.btn6->click();
        form.btn7->click();
        QCOMPARE(started.Dialogs.Clipboard.size(), std::size_t{2});
        QCOMPARE(Q(started.Dialogs.Clipboard[0]), QStringLiteral("edited by the user"));
        QCOMPARE(Q(started.Dialogs.Clipboard[1]), Q(Params.NegPrompt).trimmed());
        QCOMPARE(started.Dialogs.Beeps, 2);
    }

    void optionsPanelComesBackBelowThePromptPanel() {
        TStartedForm started;
        TForm1& form = started.Form;
        form.btn11->click();
        QVERIFY(form.pnl4->isHidden());
        QVERIFY(!form.btn3->isHidden());
        QCOMPARE(form.pnl3->geometry().bottom(), form.height() - 1);
        form.btn3->click();
        QVERIFY(!form.pnl4->isHidden());
        QVERIFY(form.btn3->isHidden());
        QCOMPARE(form.pnl3->geometry().bottom() + 1, form.pnl4->y());
        QCOMPARE(form.pnl4->geometry().bottom(), form.height() - 1);
        QCOMPARE(form.pnl2->geometry().bottom() + 1, form.pnl3->y());
    }

    void sessionEndClosesTheWindowAndFreesItsObjectsWithoutAsking() {
        TStartedForm started;
        TForm1& form = started.Form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.WMEndSession();
        QVERIFY(!form.isVisible());
        QVERIFY(!form.Model);
        QVERIFY(started.Dialogs.Messages.empty());
        // A closed window ignores commands instead of touching freed objects.
        form.btn5Click(form.btn5);
        form.btn9Click(form.btn9);
        form.WMDropFiles({"/"});
    }

    void textControlsLeaveDroppedFilesToTheWindow() {
        TStartedForm started;
        TForm1& form = started.Form;
        for (QWidget* control : std::initializer_list<QWidget*>{form.mmo1, form.mmo1->viewport(),
                                                                form.edt1, form.edt2, form.edt3})
            QVERIFY2(!control->acceptDrops(), qPrintable(control->objectName()));
    }

    void qtMessageBoxShowsTheToneIconAndAnswersTheButtonPressed() {
        struct Row {
            TMsgTone Tone;
            TMsgButtons Buttons;
            QMessageBox::Icon Icon;
            QMessageBox::StandardButtons Shown;
            QMessageBox::StandardButton Press;
            TMsgAnswer Answer;
        };
        const Row rows[] = {
            {TMsgTone::Warning, TMsgButtons::Ok, QMessageBox::Warning, QMessageBox::Ok,
             QMessageBox::Ok, TMsgAnswer::Ok},
            {TMsgTone::Error, TMsgButtons::OkCancel, QMessageBox::Critical,
             QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel, TMsgAnswer::Cancel},
            {TMsgTone::Information, TMsgButtons::YesCancel, QMessageBox::Information,
             QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Yes, TMsgAnswer::Yes},
            {TMsgTone::Confirmation, TMsgButtons::YesCancelYesToAll, QMessageBox::Question,
             QMessageBox::Yes | QMessageBox::Cancel | QMessageBox::YesToAll, QMessageBox::YesToAll,
             TMsgAnswer::YesToAll},
        };
        TQtDialogs dialogs;
        for (const Row& row : rows) {
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            QMessageBox::StandardButtons shown;
            QString text;
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (box == nullptr) return;
                icon = box->icon();
                shown = box->standardButtons();
                text = box->text();
                if (QAbstractButton* button = box->button(row.Press)) button->click();
            });
            const TMsgAnswer answer =
                dialogs.MessageBox("Отчёт об операции:\r\n1 из 1 файлов", row.Tone, row.Buttons);
            QCOMPARE(icon, row.Icon);
            QCOMPARE(shown, row.Shown);
            QCOMPARE(text, QStringLiteral("Отчёт об операции:\n1 из 1 файлов"));
            QVERIFY(answer == row.Answer);
        }
    }

    void qtFolderDialogShowsItsTitleAndStartFolder() {
        TTempDir dir;
        TQtDialogs dialogs;
        QString title;
        QString start;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            title = dialog->windowTitle();
            start = dialog->directory().absolutePath();
            dialog->selectFile(Q(dir.Path()));
            static_cast<QDialog*>(dialog)->accept();
        });
        const std::string chosen = dialogs.SelectFolder("Выберите папку", dir.Path());
        QCOMPARE(title, QStringLiteral("Выберите папку"));
        QCOMPARE(start, Q(dir.Path()));
        QCOMPARE(Q(chosen), Q(dir.Path()));
    }

    void qtOpenFileDialogPreselectsThePictureFilter() {
        TTempDir dir;
        const std::string file = Put(dir, "a.png", TarvoPng(TParamSet{}));
        TQtDialogs dialogs;
        QStringList filters;
        QString selected;
        QString start;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            filters = dialog->nameFilters();
            selected = dialog->selectedNameFilter();
            start = dialog->directory().absolutePath();
            dialog->selectFile(Q(file));
            static_cast<QDialog*>(dialog)->accept();
        });
        const std::string chosen = dialogs.OpenFile(
            "Файлы картинок Tarvo (Jpg, Png, WebP)|*.jpg;*.Jpeg;*.png;*.WebP|Все файлы|*.*",
            dir.Path());
        QCOMPARE(filters,
                 (QStringList{QStringLiteral("Файлы картинок Tarvo (Jpg, Png, WebP) (*.jpg "
                                             "*.Jpeg *.png *.WebP)"),
                              QStringLiteral("Все файлы (*)")}));
        QCOMPARE(selected, filters.value(0));
        QCOMPARE(start, Q(dir.Path()));
        QCOMPARE(Q(chosen), Q(file));
    }

    void qtClipboardReceivesThePlainText() {
        TQtDialogs dialogs;
        dialogs.SetClipboardText("старый маяк, score_9");
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("старый маяк, score_9"));
    }

    void openFileFilterBecomesQtFilterSyntax() {
        QCOMPARE(
            Q(QtFilterText("Файлы картинок Tarvo (Jpg, Png, WebP)|*.jpg;*.Jpeg;*.png;*.WebP|Все "
                           "файлы|*.*")),
            QStringLiteral("Файлы картинок Tarvo (Jpg, Png, WebP) (*.jpg *.Jpeg *.png "
                           "*.WebP);;Все файлы (*)"));
        QCOMPARE(Q(QtFilterText("Pictures|*.png")), QStringLiteral("Pictures (*.png)"));
        QCOMPARE(Q(QtFilterText("")), QString());
        QCOMPARE(Q(QtFilterText("Only a description")), QString());
    }
};

QTEST_MAIN(Unit1Test)
#include "Unit1_test.moc"
