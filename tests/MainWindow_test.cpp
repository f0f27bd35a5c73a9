// The main window as only the window can show it: its controls and panels, the rendering of
// the model's state, events from the keyboard, the mouse and the desktop reaching the model,
// the wipe commands through their buttons, close, and the Qt dialogs.
#include "MainWindowHarness.h"

#include "window/QtDialogs.h"

#include <QClipboard>
#include <QDropEvent>
#include <QFileDialog>
#include <QFrame>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QUrl>

using namespace tarvo;
using namespace tarvo::test;

namespace {

// The rectangle of widget in the window's coordinates.
QRect InForm(const TForm1& form, const QWidget* widget) {
    return QRect(widget->mapTo(&form, QPoint(0, 0)), widget->size());
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

// Shows the window and makes it the active one, so its shortcuts and focus work.
bool ShowActive(TForm1& form) {
    form.show();
    form.activateWindow();
    return QTest::qWaitForWindowActive(&form);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void controlsAreFoundByTheirNamesAndShowTheirCaptionsWhole() {
        TStartedForm started;
        TForm1& form = started.Form;
#define NAMED(member) std::pair<QWidget*, const char*>(form.member, #member)
        const std::pair<QWidget*, const char*> members[] = {
            NAMED(pnl5),  NAMED(lbl2), NAMED(edt1),  NAMED(btn8),     NAMED(btn1),  NAMED(lbl3),
            NAMED(lbl5),  NAMED(lbl4), NAMED(lbl8),  NAMED(lbl1),     NAMED(pnl2),  NAMED(pnl8),
            NAMED(mmo1),  NAMED(spl1), NAMED(pnl1),  NAMED(dxpntbx1), NAMED(pnl3),  NAMED(lbl6),
            NAMED(edt2),  NAMED(btn6), NAMED(lbl7),  NAMED(edt3),     NAMED(btn7),  NAMED(btn4),
            NAMED(btn5),  NAMED(btn2), NAMED(btn13), NAMED(btn14),    NAMED(btn12), NAMED(btn3),
            NAMED(pnl4),  NAMED(pnl7), NAMED(chk3),  NAMED(chk9),     NAMED(chk4),  NAMED(chk5),
            NAMED(bvl1),  NAMED(bvl2), NAMED(chk6),  NAMED(chk7),     NAMED(chk8),  NAMED(btn9),
            NAMED(btn10), NAMED(pnl6), NAMED(chk1),  NAMED(btn11),    NAMED(chk10), NAMED(chk2)};
#undef NAMED
        for (const auto& [control, name] : members) {
            QCOMPARE(control->objectName(), QString::fromLatin1(name));
            QCOMPARE(form.findChild<QWidget*>(QString::fromLatin1(name)), control);
        }
        // Every caption is shown whole; a button of one sign says in its hint what it does.
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (const QAbstractButton* button : form.findChildren<QAbstractButton*>()) {
            const QByteArray name = button->objectName().toLatin1();
            QVERIFY2(!button->text().isEmpty(), name.constData());
            if (qobject_cast<const QCheckBox*>(button) != nullptr)
                QVERIFY2(button->sizeHint().width() <= button->width(), name.constData());
            if (const auto* push = qobject_cast<const QPushButton*>(button)) {
                // Narrower than the style's minimum, but the caption with a margin each side.
                const int caption = push->fontMetrics().horizontalAdvance(push->text());
                QVERIFY2(caption + 8 <= push->width(), name.constData());
                QCOMPARE(push->cursor().shape(), Qt::PointingHandCursor);
                if (push->text().size() == 1)
                    QVERIFY2(!push->toolTip().isEmpty(), name.constData());
            }
        }
    }

    void windowOpensCentredOnTheScreen() {
        TStartedForm started;
        const QRect screen = started.Form.screen()->availableGeometry();
        const QPoint offset = started.Form.geometry().center() - screen.center();
        QVERIFY2(offset.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1, %2").arg(offset.x()).arg(offset.y())));
    }

    void panelsTileTheWindowAndOnlyTheCentreGrows() {
        TStartedForm started;
        TForm1& form = started.Form;
        form.show();
        const int bars[] = {form.pnl5->height(), form.pnl3->height(), form.pnl4->height()};
        for (const QSize size : {form.size(), QSize(700, 400), QSize(1400, 900)}) {
            form.resize(size);
            QCoreApplication::processEvents();
            QFrame* const stack[] = {form.pnl5, form.pnl2, form.pnl3, form.pnl4};
            int top = 0;
            for (QFrame* panel : stack) {
                QCOMPARE(panel->geometry(), QRect(0, top, form.width(), panel->height()));
                top += panel->height();
            }
            QCOMPARE(top, form.height());
            QCOMPARE((QList<int>{form.pnl5->height(), form.pnl3->height(), form.pnl4->height()}),
                     (QList<int>{bars[0], bars[1], bars[2]}));
            // The text lies in the text pane, the picture covers its pane, the two groups
            // of options stand at the ends of their bar.
            QVERIFY(InForm(form, form.pnl8).contains(InForm(form, form.mmo1)));
            QCOMPARE(InForm(form, form.dxpntbx1), InForm(form, form.pnl1));
            const QRect bar = form.pnl4->contentsRect();
            QCOMPARE(form.pnl7->x(), bar.left());
            if (bar.width() >= form.pnl7->width() + form.pnl6->width())
                QCOMPARE(form.pnl6->geometry().right(), bar.right());
        }
    }

    void startUpRendersTheModelsState() {
        TStartedForm started;
        TForm1& form = started.Form;
        QVERIFY(form.Model);
        CheckRendered(form);
        QVERIFY(form.mmo1->toPlainText().startsWith(QStringLiteral("Tarvo Params Viewer v")));
        QVERIFY(!form.mmo1->isReadOnly());
        for (QWidget* on : std::initializer_list<QWidget*>{
                 form.chk3, form.chk4, form.chk5, form.chk9, form.chk1, form.chk10, form.chk2,
                 form.btn4, form.btn5, form.btn2, form.btn8, form.btn1, form.btn12, form.btn13,
                 form.btn11})
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
        QVERIFY(form.dxpntbx1->Center());
        QVERIFY(form.dxpntbx1->KeepAspect());
        QVERIFY(!form.dxpntbx1->AutoStretch());
        QVERIFY(form.acceptDrops());
        QCOMPARE(started.Dialogs.Beeps, 0);
        QVERIFY(started.Dialogs.Messages.empty());
    }

    void everyCheckBoxSetsItsOptionAndConfirmOffTurnsRed() {
        TStartedForm started;
        TForm1& form = started.Form;
        const std::pair<QCheckBox*, TOption> boxes[] = {
            {form.chk3, TOption::JobId},       {form.chk4, TOption::Prompt},
            {form.chk5, TOption::NegPrompt},   {form.chk9, TOption::Seed},
            {form.chk6, TOption::AllowWipe},   {form.chk7, TOption::Folder},
            {form.chk8, TOption::Confirm},     {form.chk1, TOption::Stretch},
            {form.chk10, TOption::TruePrompt}, {form.chk2, TOption::TarvoData}};
        for (const auto& [box, option] : boxes) {
            const QByteArray name = box->objectName().toLatin1();
            QVERIFY2(box->isChecked() == DefaultOption(option), name.constData());
            QVERIFY2(form.Model->Option(option) == DefaultOption(option), name.constData());
            box->setChecked(!box->isChecked());
            QVERIFY2(form.Model->Option(option) == box->isChecked(), name.constData());
            CheckRendered(form);
        }
        // "Подтверждать" turned off warns in red.
        const auto caption = [&](const QCheckBox* box) {
            return box->palette().color(QPalette::Active, QPalette::WindowText);
        };
        QCOMPARE(caption(form.chk8), QColor(255, 0, 0));
        form.chk8->click();
        QCOMPARE(caption(form.chk8), caption(form.chk7));
    }

    void typedTextsReachTheModel() {
        TPictureFolder folder({"a.png", "b.png"});
        TStartedForm started;
        TForm1& form = started.Form;
        form.edt1->clear();
        QTest::keyClicks(form.edt1, Q("  " + folder.Path() + " "));
        char key = 'x';
        form.edt1KeyPress(form.edt1, key); // only Enter acts
        QVERIFY(form.Model->Current().FilePath.empty());
        QTest::keyClick(form.edt1, Qt::Key_Return);
        QCOMPARE(Q(form.Model->Current().FilePath), Q(folder.File("a.png")));
        QCOMPARE(form.edt1->text(), Q(folder.Path()));
        // The Copy buttons take the fields as the user left them.
        for (QLineEdit* edit : {form.edt2, form.edt3}) {
            edit->clear();
            QTest::keyClicks(edit, edit->objectName() + QStringLiteral(" typed"));
        }
        form.btn6->click();
        form.btn7->click();
        QCOMPARE(started.Dialogs.Clipboard, (std::vector<std::string>{"edt2 typed", "edt3 typed"}));
    }

    void navigationButtonsReachTheirCommands() {
        TPictureFolder folder({"a.png", "b.png", "c.png"});
        TStartedForm started;
        TForm1& form = started.Form;
        started.Dialogs.Folders.push_back(folder.Path());
        const auto shows = [&](const char* name, const char* counter) {
            QCOMPARE(form.lbl5->text().section(QLatin1Char(' '), 0, 0), QString::fromUtf8(name));
            QCOMPARE(form.lbl8->text(), QString::fromUtf8(counter));
        };
        form.btn8->click();
        QCOMPARE(form.edt1->text(), Q(folder.Path()));
        shows("a.png", "1/3");
        form.btn5->click();
        shows("b.png", "2/3");
        form.btn4->click();
        shows("a.png", "1/3");
        form.btn2->click();
        shows("", "3");
        folder.Add("d.png");
        form.btn12->click();
        shows("", "4");
        started.Dialogs.Files.push_back(folder.File("c.png"));
        form.btn1->click();
        shows("c.png", "4"); // located in the list by the next step
        form.btn5->click();
        shows("d.png", "4/4");
        CheckRendered(form);
    }

    void desktopDropDeliversLocalFilePaths() {
        TPictureFolder folder({"a.png", "b.png", "c.png"});
        TStartedForm started;
        TForm1& form = started.Form;
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(Q(folder.File("c.png"))),
                      QUrl::fromLocalFile(Q(folder.File("b.png"))),
                      QUrl(QStringLiteral("https://example.org/x.png"))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &drop);
        QCOMPARE(Q(form.Model->Current().FilePath), Q(folder.File("b.png")));
        QCOMPARE(form.lbl8->text(), QStringLiteral("1/2"));
        CheckRendered(form);
        QMimeData text;
        text.setText(QStringLiteral("just words"));
        QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton,
                                Qt::NoModifier);
        refused.setAccepted(false);
        QCoreApplication::sendEvent(&form, &refused);
        QVERIFY(!refused.isAccepted());
    }

    void wipeButtonAsksThenShowsTheFileAsItNowIsButKeepsTypedPrompts() {
        TTempDir dir;
        const std::string path = Put(dir, "a.png", TarvoPng(TParamSet{}));
        const std::string before = ReadWholeFile(path);
        TStartedForm started;
        TForm1& form = started.Form;
        form.SetFileSp(path);
        form.edt2->clear();
        QTest::keyClicks(form.edt2, QStringLiteral("my own words"));
        // Disabled controls take no clicks: each permit opens only after the one before.
        for (QCheckBox* box : {form.chk6, form.chk3, form.chk6})
            box->click();
        QVERIFY(form.chk3->isChecked() && form.chk6->isChecked());
        started.Dialogs.Answers.push_back(TMsgAnswer::Yes);
        form.btn9->click();
        QCOMPARE(started.Dialogs.Messages.size(), std::size_t{1});
        QVERIFY(started.Dialogs.Messages[0].Buttons == TMsgButtons::YesCancel);
        QVERIFY(ChangedOnlyInParameterChunks(before, ReadWholeFile(path)));
        QVERIFY(!form.mmo1->toPlainText().contains(Q(TParamSet{}.JobId)));
        QVERIFY(form.mmo1->toPlainText().contains(Q(TParamSet{}.Seed)));
        QCOMPARE(form.edt2->text(), QStringLiteral("my own words"));
        CheckRendered(form);
    }

    void folderButtonWipesTheTypedFolderAndReports() {
        TTempDir dir;
        const std::string original = TarvoPng(TParamSet{});
        Put(dir, "a.png", original);
        Put(dir, "b.png", original);
        TStartedForm started;
        TForm1& form = started.Form;
        for (QCheckBox* box : {form.chk7, form.chk9, form.chk6, form.chk7})
            box->click();
        QVERIFY(form.btn10->isEnabled());
        form.edt1->clear();
        QTest::keyClicks(form.edt1, Q(dir.Path())); // typed, not confirmed with Enter
        started.Dialogs.Answers.push_back(TMsgAnswer::Ok);
        form.btn10->click();
        QCOMPARE(started.Dialogs.Messages.size(), std::size_t{2});
        QCOMPARE(Q(started.Dialogs.Messages[1].Text),
                 QStringLiteral("Отчёт об операции:\r\n2 из 2 файлов успешно исправлено."));
        for (const char* name : {"a.png", "b.png"})
            QVERIFY2(ChangedOnlyInParameterChunks(original, ReadWholeFile(dir.File(name))), name);
        QVERIFY(ReadWholeFile(dir.File("a.png")).find(TParamSet{}.Seed) == std::string::npos);
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

    void textFieldsKeepTheirArrowAndPageKeysWhileOtherControlsStep() {
        TPictureFolder folder({"a.png", "b.png", "c.png"});
        TStartedForm started;
        TForm1& form = started.Form;
        QVERIFY(ShowActive(form));
        // What a key moves in the focused control: the text pane's scroll bar or caret, a
        // line's caret, or nothing of its own.
        enum class TMeasure { Scroll, Caret, None };
        struct Row {
            QWidget* Focus;
            Qt::Key Key;
            Qt::KeyboardModifiers Modifiers;
            TMeasure Measure;
            int Moves;         // -1 back, 0 not at all, 1 on
            const char* Shown; // b.png was shown before the key
        };
        const Row rows[] = {
            {form.mmo1, Qt::Key_PageDown, Qt::NoModifier, TMeasure::Scroll, 1, "b.png"},
            {form.mmo1, Qt::Key_PageUp, Qt::NoModifier, TMeasure::Scroll, -1, "b.png"},
            {form.mmo1, Qt::Key_PageDown, Qt::KeypadModifier, TMeasure::Scroll, 1, "b.png"},
            {form.mmo1, Qt::Key_Down, Qt::NoModifier, TMeasure::Caret, 1, "b.png"},
            {form.mmo1, Qt::Key_Left, Qt::NoModifier, TMeasure::Caret, -1, "b.png"},
            {form.mmo1, Qt::Key_Right, Qt::NoModifier, TMeasure::Caret, 1, "b.png"},
            {form.edt1, Qt::Key_Left, Qt::NoModifier, TMeasure::Caret, -1, "b.png"},
            {form.edt2, Qt::Key_Right, Qt::NoModifier, TMeasure::Caret, 1, "b.png"},
            {form.edt3, Qt::Key_PageDown, Qt::NoModifier, TMeasure::Caret, 0, "b.png"},
            {form.edt1, Qt::Key_PageUp, Qt::NoModifier, TMeasure::Caret, 0, "b.png"},
            // Alt+arrows step from the fields too; the other controls step with plain keys.
            {form.mmo1, Qt::Key_Right, Qt::AltModifier, TMeasure::None, 0, "c.png"},
            {form.edt2, Qt::Key_Left, Qt::AltModifier, TMeasure::None, 0, "a.png"},
            {form.pnl1, Qt::Key_PageDown, Qt::NoModifier, TMeasure::None, 0, "c.png"},
            {form.pnl1, Qt::Key_PageUp, Qt::NoModifier, TMeasure::None, 0, "a.png"},
            {form.dxpntbx1, Qt::Key_Right, Qt::NoModifier, TMeasure::None, 0, "c.png"},
            {form.chk1, Qt::Key_Left, Qt::NoModifier, TMeasure::None, 0, "a.png"},
        };
        QStringList lines;
        for (int i = 1; i <= 300; ++i)
            lines << QStringLiteral("line %1").arg(i);
        for (const Row& row : rows) {
            const QByteArray name = row.Focus->objectName().toLatin1() + ' ' +
                                    QKeySequence(row.Key | row.Modifiers).toString().toLatin1();
            form.SetDirSp(folder.Path());
            form.NextFile(false);
            QCOMPARE(Q(form.Model->Current().FilePath), Q(folder.File("b.png")));
            form.mmo1->setPlainText(lines.join(QLatin1Char('\n')));
            QTextCursor middle(form.mmo1->document()->findBlockByNumber(150));
            middle.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 2);
            form.mmo1->setTextCursor(middle);
            form.mmo1->centerCursor();
            // The path field keeps the folder the steps walk; the caret stands inside each.
            for (QLineEdit* edit : {form.edt2, form.edt3})
                edit->setText(QStringLiteral("red fox in snow"));
            for (QLineEdit* edit : {form.edt1, form.edt2, form.edt3})
                edit->setCursorPosition(4);
            row.Focus->setFocus(Qt::OtherFocusReason);
            QVERIFY2(QApplication::focusWidget() == row.Focus, name.constData());
            const auto measure = [&] {
                switch (row.Measure) {
                case TMeasure::Scroll:
                    return form.mmo1->verticalScrollBar()->value();
                case TMeasure::Caret:
                    if (auto* edit = qobject_cast<QLineEdit*>(row.Focus))
                        return edit->cursorPosition();
                    return form.mmo1->textCursor().position();
                case TMeasure::None:
                    break;
                }
                return 0;
            };
            const int before = measure();
            QTest::keyClick(row.Focus, row.Key, row.Modifiers);
            QVERIFY2(Sign(measure() - before) == row.Moves, name.constData());
            QVERIFY2(form.Model->Current().FilePath == folder.File(row.Shown), name.constData());
        }
    }

    void closeDuringACommandWaitsForItThenFreesTheModel() {
        struct Row {
            const char* Name;
            bool WhileProgress; // closed while the folder run reports progress, else at a question
            bool Folder; // [Обработка папки] on the folder, else [Удалить из файла]
            std::size_t Messages;
        };
        const Row rows[] = {
            {"question of the file wipe", false, false, 1},
            {"question of the folder run", false, true, 2},
            {"progress of the folder run", true, true, 2},
        };
        for (const Row& row : rows) {
            TTempDir dir;
            const std::string original = TarvoPng(TParamSet{});
            const std::string a = Put(dir, "a.png", original);
            const std::string b = Put(dir, "b.png", original);
            TStartedForm started;
            TForm1& form = started.Form;
            QVERIFY(ShowActive(form));
            form.SetFileSp(a);
            for (QCheckBox* box : {form.chk3, form.chk6})
                box->click();
            if (row.Folder) form.chk7->click();
            started.Dialogs.Answers = {row.Folder ? TMsgAnswer::Ok : TMsgAnswer::Yes};
            bool asked = false;
            bool openMeanwhile = false;
            started.Dialogs.WhileOpen = [&] {
                if (asked || row.WhileProgress == started.Dialogs.ProgressSeen.empty()) return;
                asked = true;
                form.close();
                openMeanwhile = form.isVisible() && form.Model != nullptr;
            };
            (row.Folder ? form.btn10 : form.btn9)->click();
            QVERIFY2(asked && openMeanwhile, row.Name);
            // The command went on to its end: files wiped, text shown again, report given.
            QVERIFY2(ChangedOnlyInParameterChunks(original, ReadWholeFile(a)), row.Name);
            QVERIFY2(ChangedOnlyInParameterChunks(original, ReadWholeFile(b)) == row.Folder,
                     row.Name);
            QVERIFY2(!form.mmo1->toPlainText().contains(Q(TParamSet{}.JobId)), row.Name);
            QVERIFY2(started.Dialogs.Messages.size() == row.Messages, row.Name);
            QVERIFY2(!form.isVisible(), row.Name);
            QVERIFY2(!form.Model, row.Name);
        }
    }

    void closeFromATimerWhileAQtMessageBoxWaitsTakesEffectAfterTheCommand() {
        TTempDir dir;
        const std::string original = TarvoPng(TParamSet{});
        const std::string path = Put(dir, "a.png", original);
        TQtDialogs dialogs;
        TForm1 form(dialogs);
        dialogs.SetParent(&form);
        form.InitForm();
        QVERIFY(ShowActive(form));
        form.SetFileSp(path);
        for (QCheckBox* box : {form.chk3, form.chk6})
            box->click();
        bool answered = false;
        bool openMeanwhile = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            form.close();
            openMeanwhile = form.isVisible() && form.Model != nullptr;
            if (QAbstractButton* yes = box->button(QMessageBox::Yes)) {
                yes->click();
                answered = true;
            }
        });
        form.btn9->click();
        QVERIFY(answered && openMeanwhile);
        QVERIFY(ChangedOnlyInParameterChunks(original, ReadWholeFile(path)));
        QVERIFY(!form.isVisible());
        QVERIFY(!form.Model);
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

QTEST_MAIN(MainWindowTest)
#include "MainWindow_test.moc"
