// Shared pieces of the main window's Qt tests: a started window whose dialogs answer from
// a script, text conversion, and the check that the controls show the model's state.
#pragma once

#include "ViewerModelHarness.h"
#include "window/MainWindow.h"
#include "window/TDXPaintBox.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <QThread>
#include <QtTest>

#include <string>
#include <string_view>
#include <utility>

namespace tarvo::test {

// The window as the program's entry leaves it before the event loop (not shown).
struct TStartedForm {
    TScriptedDialogs Dialogs;
    TForm1 Form{Dialogs};
    TStartedForm() { Form.InitForm(); }
};

// Lets the event loop run until the shown file's picture, decoded on its own thread, has
// reached the pane (or did not decode); false after five seconds.
inline bool Settle(TForm1& form) {
    QElapsedTimer timer;
    timer.start();
    while (form.Model && form.Model->PicturePending() && timer.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return form.Model && !form.Model->PicturePending();
}

inline QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string S(const QString& text) {
    return text.toUtf8().toStdString();
}

// Every control shows what the model's state says.
inline void CheckRendered(const TForm1& form) {
    const TViewState& s = form.Model->State();
    const std::pair<QString, std::string_view> texts[] = {
        {form.edt1->text(), s.PathText}, {form.edt2->text(), s.Prompt},
        {form.edt3->text(), s.Negative}, {form.mmo1->toPlainText(), s.MemoText},
        {form.lbl5->text(), s.FileName}, {form.pnl1->text(), s.Caption},
        {form.lbl8->text(), s.Counter},  {form.lbl1->text(), s.PictureSize}};
    for (const auto& [shown, state] : texts)
        QCOMPARE(shown, Q(state));
    const std::pair<const QWidget*, bool> enabled[] = {
        {form.mmo1, s.MemoEnabled},       {form.lbl4, s.DataLabelEnabled},
        {form.btn6, s.CopyPromptEnabled}, {form.btn7, s.CopyNegativeEnabled},
        {form.chk6, s.AllowWipeEnabled},  {form.chk7, s.FolderEnabled},
        {form.chk8, s.ConfirmEnabled},    {form.btn9, s.WipeFileEnabled},
        {form.btn10, s.WipeFolderEnabled}};
    for (const auto& [control, on] : enabled)
        QVERIFY2(control->isEnabled() == on, qPrintable(control->objectName()));
    QCOMPARE(form.pnl4->isHidden(), !s.OptionsVisible);
    QCOMPARE(form.btn3->isHidden(), s.OptionsVisible);
    QCOMPARE(form.btn14->isHidden(), !s.RestoreVisible);
    QCOMPARE(form.dxpntbx1->Stretch(), s.Stretch);
    // The paint box shows the state's own bitmap, shared, or nothing.
    if (s.Picture)
        QCOMPARE(&form.dxpntbx1->DIB(), s.Picture.get());
    else
        QVERIFY(form.dxpntbx1->DIB().Empty());
}

} // namespace tarvo::test
