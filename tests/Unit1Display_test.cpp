// The display of the current file: path, name and size, parameters, prompts, the picture
// with its size label, the caption of a picture that cannot be shown, and the two options.
#include "Unit1Harness.h"

#include "app/FilesObj.h"
#include "app/TarvoData.h"
#include "util/Sp_Procs.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

using namespace tarvo;
using namespace tarvo::test;

namespace {

QString MemoOf(TTarvoData data) {
    return Q(data.GetFullText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString SizeText(const std::string& path) {
    return Q("  (" + FormatSize(static_cast<std::int64_t>(ReadWholeFile(path).size()), 1) + ")");
}

// What the screen shows of widget, taken from the window's backing store, so pixels that
// were never repainted show up as they are.
QImage OnScreen(TForm1& form, QWidget* widget) {
    QCoreApplication::processEvents();
    const QPoint at = widget->mapTo(&form, QPoint(0, 0));
    QPixmap shot =
        form.screen()->grabWindow(form.winId(), at.x(), at.y(), widget->width(), widget->height());
    if (shot.isNull()) {
        qWarning("the screen cannot be grabbed; rendering the widget instead");
        shot = widget->grab();
    }
    return shot.toImage().convertToFormat(QImage::Format_RGB32);
}

int CountColour(const QImage& image, QRgb colour, const QRect& within) {
    int count = 0;
    for (int y = std::max(0, within.top()); y <= std::min(image.height() - 1, within.bottom()); ++y)
        for (int x = std::max(0, within.left()); x <= std::min(image.width() - 1, within.right());
             ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) ++count;
    return count;
}

QRect DrawnRect(const TForm1& form) {
    const TFitRect r = form.dxpntbx1->DrawRect();
    return QRect(r.X, r.Y, r.W, r.H).intersected(form.dxpntbx1->rect());
}

} // namespace

class Unit1DisplayTest : public QObject {
    Q_OBJECT

private slots:
    void decodablePictureWithParametersFillsEveryField() {
        TTempDir dir;
        TParamSet params;
        params.Prompt = "score_9, score_8_up, a red fox";
        const std::string file = Put(dir, "fox.png", TarvoPng(params, {40, 30, false, {}}));
        TStartedForm started;
        TForm1& form = started.Form;
        form.SetFileSp(file);
        QCOMPARE(form.edt1->text(), Q(dir.Path()));
        QCOMPARE(form.lbl5->text(), QStringLiteral("fox.png") + SizeText(file));
        QVERIFY(form.Model->PicShown());
        QVERIFY(form.pnl1->text().isEmpty());
        QCOMPARE(form.lbl1->text(), QStringLiteral("Размер картинки: 40 x 30"));
        QCOMPARE(form.dxpntbx1->DIB().Width(), 40);
        QCOMPARE(form.dxpntbx1->DIB().Height(), 30);
        QCOMPARE(form.mmo1->toPlainText(), MemoOf(form.Model->Current()));
        QVERIFY(form.mmo1->toPlainText().contains(Q(params.JobId)));
        QVERIFY(form.mmo1->isEnabled());
        QVERIFY(form.lbl4->isEnabled());
        QCOMPARE(form.edt2->text(), QStringLiteral("a red fox"));
        QCOMPARE(form.edt3->text(), Q(form.Model->Current().GetValue("negative_prompt")));
        QVERIFY(form.edt3->text().contains(QStringLiteral("blurry")));
        QVERIFY(form.btn6->isEnabled());
        QVERIFY(form.btn7->isEnabled());
        QCOMPARE(started.Dialogs.Beeps, 0);
    }

    void jpegPictureShowsItsPixelSize() {
        TTempDir dir;
        const std::string file =
            Put(dir, "cat.jpg", JpegFile(FirstBlockText(TParamSet{}), {64, 48, false, {}}));
        TStartedForm started;
        started.Form.LoadFile(file);
        QVERIFY(started.Form.Model->PicShown());
        QCOMPARE(started.Form.lbl1->text(), QStringLiteral("Размер картинки: 64 x 48"));
        QVERIFY(started.Form.mmo1->isEnabled());
        QVERIFY(!started.Form.edt2->text().isEmpty());
    }

    void undecodablePictureShowsItsNameInThePicturePane() {
        TTempDir dir;
        const std::string file = Put(dir, "x.webp", TarvoPng(TParamSet{}));
        TStartedForm started;
        TForm1& form = started.Form;
        form.LoadFile(file);
        QVERIFY(!form.Model->PicShown());
        QVERIFY(form.lbl1->text().isEmpty());
        QCOMPARE(form.pnl1->text(), QStringLiteral("x.webp"));
        QCOMPARE(form.lbl5->text(), QStringLiteral("x.webp") + SizeText(file));
        QVERIFY(form.mmo1->isEnabled()); // parameters are still shown
        QVERIFY(!form.edt2->text().isEmpty());
        QVERIFY(form.dxpntbx1->DIB().Empty());
    }

    void failedPictureAfterAShownOneRemovesItAndItsSize() {
        TTempDir dir;
        const std::string good = Put(dir, "a.png", TarvoPng(TParamSet{}));
        const std::string bad = Put(dir, "b.png", std::string(200, 'z'));
        const std::string worse = Put(dir, "c.webp", std::string(200, 'z'));
        TStartedForm started;
        TForm1& form = started.Form;
        form.LoadFile(good);
        QVERIFY(form.Model->PicShown());
        form.LoadFile(bad);
        QVERIFY(!form.Model->PicShown());
        QVERIFY(form.lbl1->text().isEmpty());
        QCOMPARE(form.pnl1->text(), QStringLiteral("b.png"));
        QVERIFY(form.dxpntbx1->DIB().Empty());
        QVERIFY(!form.mmo1->isEnabled());
        QVERIFY(!form.lbl4->isEnabled());
        form.LoadFile(worse);
        QVERIFY(form.lbl1->text().isEmpty());
        QCOMPARE(form.pnl1->text(), QStringLiteral("c.webp"));
        form.LoadFile(good);
        QVERIFY(form.pnl1->text().isEmpty());
        QCOMPARE(form.lbl1->text(), QStringLiteral("Размер картинки: 16 x 12"));
    }

    void pictureWithoutParametersIsShownWithAnEmptyTextPane() {
        TTempDir dir;
        const std::string file = Put(dir, "plain.png", SolidPng(20, 10, {1, 2, 3}));
        TStartedForm started;
        TForm1& form = started.Form;
        form.LoadFile(file);
        QVERIFY(form.Model->PicShown());
        QVERIFY(form.mmo1->toPlainText().isEmpty());
        QVERIFY(!form.mmo1->isEnabled());
        QVERIFY(!form.lbl4->isEnabled());
        QVERIFY(form.edt2->text().isEmpty());
        QVERIFY(form.edt3->text().isEmpty());
        QVERIFY(!form.btn6->isEnabled());
        QVERIFY(!form.btn7->isEnabled());
    }

    void emptyFileShowsItsBareName() {
        TTempDir dir;
        const std::string file = Put(dir, "zero.png", "");
        TStartedForm started;
        started.Form.LoadFile(file);
        QCOMPARE(started.Form.lbl5->text(), QStringLiteral("zero.png"));
        QCOMPARE(started.Form.pnl1->text(), QStringLiteral("zero.png"));
        QVERIFY(started.Form.lbl1->text().isEmpty());
    }

    void missingOrEmptyPathChangesNothing() {
        TTempDir dir;
        const std::string file = Put(dir, "a.png", TarvoPng(TParamSet{}));
        TStartedForm started;
        TForm1& form = started.Form;
        form.LoadFile(file);
        const QString memo = form.mmo1->toPlainText();
        form.LoadFile(dir.File("gone.png"));
        form.LoadFile("");
        form.LoadFile(dir.Path()); // a folder is not a file
        QCOMPARE(Q(form.Model->Current().FilePath), Q(file));
        QCOMPARE(form.mmo1->toPlainText(), memo);
        QVERIFY(form.Model->PicShown());
    }

    void clearingTheFileEmptiesTheDisplayButKeepsTheFolder() {
        TTempDir dir;
        const std::string file = Put(dir, "a.png", TarvoPng(TParamSet{}));
        TStartedForm started;
        TForm1& form = started.Form;
        form.SetFileSp(file);
        form.btn2->click();
        QCOMPARE(form.edt1->text(), Q(dir.Path()));
        QVERIFY(!form.Model->PicShown());
        QVERIFY(form.pnl1->text().isEmpty());
        QVERIFY(form.lbl1->text().isEmpty());
        QVERIFY(form.lbl5->text().isEmpty());
        QVERIFY(form.mmo1->toPlainText().isEmpty());
        QVERIFY(!form.mmo1->isEnabled());
        QVERIFY(form.edt2->text().isEmpty() && form.edt3->text().isEmpty());
        QVERIFY(!form.btn6->isEnabled() && !form.btn7->isEnabled());
        QVERIFY(form.dxpntbx1->DIB().Empty());
    }

    void truePromptToggleSwapsCleanedAndRawPromptWithABeep() {
        TTempDir dir;
        TParamSet params;
        params.Prompt = "score_9, a cat";
        const std::string file = Put(dir, "a.png", TarvoPng(params));
        TStartedForm started;
        TForm1& form = started.Form;
        form.LoadFile(file);
        QCOMPARE(form.edt2->text(), QStringLiteral("a cat"));
        form.chk10->setChecked(false);
        QCOMPARE(form.edt2->text(), Q(form.Model->Current().GetPrompt(false)));
        QVERIFY(form.edt2->text().contains(QStringLiteral("score_9, a cat")));
        QCOMPARE(started.Dialogs.Beeps, 1);
        form.chk10->setChecked(true);
        QCOMPARE(form.edt2->text(), QStringLiteral("a cat"));
        QCOMPARE(started.Dialogs.Beeps, 2);
    }

    void truePromptToggleWithNothingToCleanStaysSilent() {
        TTempDir dir;
        TParamSet params;
        params.Prompt = "a cat";
        const std::string file = Put(dir, "a.png", TarvoPng(params));
        const std::string plain = Put(dir, "b.png", SolidPng(8, 8, {9, 9, 9}));
        TStartedForm started;
        TForm1& form = started.Form;
        form.LoadFile(file);
        const QString shown = form.edt2->text();
        form.chk10->setChecked(false);
        form.chk10->setChecked(true);
        QCOMPARE(form.edt2->text(), shown);
        QCOMPARE(started.Dialogs.Beeps, 0);
        // Without parameter blocks the toggle does nothing at all, not even to user text.
        form.LoadFile(plain);
        form.edt2->setText(QStringLiteral("typed"));
        form.chk10->setChecked(false);
        QCOMPARE(form.edt2->text(), QStringLiteral("typed"));
        QCOMPARE(started.Dialogs.Beeps, 0);
    }

    void stretchToggleRedrawsAtRealSizeAndBackWithoutReloading() {
        TTempDir dir;
        const std::string file = Put(dir, "big.png", SolidPng(600, 300, {200, 10, 10}));
        TStartedForm started;
        TForm1& form = started.Form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.LoadFile(file);
        const TFitRect fitted = form.dxpntbx1->DrawRect();
        QVERIFY(!fitted.OneToOne);
        QCOMPARE(fitted.W, form.dxpntbx1->width());
        // The file is gone from the disk: what is drawn now comes from the display copy.
        QVERIFY(std::remove(file.c_str()) == 0);
        form.chk1->setChecked(false);
        QVERIFY(!form.dxpntbx1->Stretch());
        const TFitRect real = form.dxpntbx1->DrawRect();
        QVERIFY(real.OneToOne);
        QCOMPARE(real.W, 600);
        QCOMPARE(real.H, 300);
        QImage shot = OnScreen(form, form.dxpntbx1);
        QVERIFY(CountColour(shot, qRgb(200, 10, 10), form.dxpntbx1->rect()) >=
                form.dxpntbx1->width() * 290);
        form.chk1->setChecked(true);
        QCOMPARE(form.dxpntbx1->DrawRect(), fitted);
        QVERIFY(form.Model->PicShown());
    }

    void nextPictureNeverLeavesPixelsOfThePreviousOne() {
        TTempDir dir;
        const QRgb red = qRgb(250, 0, 0);
        const QRgb blue = qRgb(0, 0, 250);
        const std::string wide = Put(dir, "a.png", SolidPng(400, 100, {250, 0, 0}));
        const std::string tall = Put(dir, "b.png", SolidPng(50, 300, {0, 0, 250}));
        const std::string broken = Put(dir, "c.png", std::string(100, 'q'));
        TStartedForm started;
        TForm1& form = started.Form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.LoadFile(wide);
        QImage shot = OnScreen(form, form.pnl1);
        QVERIFY(CountColour(shot, red, DrawnRect(form)) > 0);
        form.LoadFile(tall);
        shot = OnScreen(form, form.pnl1);
        QCOMPARE(CountColour(shot, red, shot.rect()), 0);
        const QRect drawn = DrawnRect(form);
        QCOMPARE(CountColour(shot, blue, drawn), drawn.width() * drawn.height());
        form.chk1->setChecked(false);
        shot = OnScreen(form, form.pnl1);
        QCOMPARE(CountColour(shot, blue, shot.rect()), 50 * std::min(300, shot.height()));
        form.LoadFile(broken);
        shot = OnScreen(form, form.pnl1);
        QCOMPARE(CountColour(shot, blue, shot.rect()), 0);
    }

    void leafingThroughAFolderShowsEveryPictureAndItsParameters() {
        TTempDir dir;
        constexpr int Count = 240;
        std::vector<QRgb> colours;
        std::vector<std::string> jobIds;
        for (int i = 0; i < Count; ++i) {
            const auto r = static_cast<std::uint8_t>(40 + (i * 7) % 200);
            const auto g = static_cast<std::uint8_t>(30 + (i * 13) % 200);
            const auto b = static_cast<std::uint8_t>(20 + (i * 29) % 200);
            TParamSet params;
            params.JobId = "job-" + std::to_string(1000 + i);
            // Alternate proportions so each picture covers a different part of the pane.
            const int w = i % 2 == 0 ? 64 : 24;
            const int h = i % 2 == 0 ? 24 : 64;
            char name[32];
            std::snprintf(name, sizeof name, "p%04d.png", i);
            Put(dir, name, SolidPng(w, h, {r, g, b}, &params));
            colours.push_back(qRgb(r, g, b));
            jobIds.push_back(params.JobId);
        }
        TStartedForm started;
        TForm1& form = started.Form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.edt1->setText(Q(dir.Path()));
        const auto check = [&](int i) {
            char name[32];
            std::snprintf(name, sizeof name, "p%04d.png", i);
            QVERIFY2(form.lbl5->text().startsWith(QString::fromLatin1(name)), name);
            QVERIFY2(form.mmo1->toPlainText().contains(Q(jobIds[static_cast<std::size_t>(i)])),
                     name);
            QCOMPARE(form.lbl8->text(), QStringLiteral("%1/%2").arg(i + 1).arg(Count));
            const QImage shot = OnScreen(form, form.pnl1);
            const QRect drawn = DrawnRect(form);
            QCOMPARE(CountColour(shot, colours[static_cast<std::size_t>(i)], drawn),
                     drawn.width() * drawn.height());
            for (int other : {i - 1, i + 1}) {
                const int o = (other + Count) % Count;
                QCOMPARE(CountColour(shot, colours[static_cast<std::size_t>(o)], shot.rect()), 0);
            }
        };
        for (int i = 0; i < Count; ++i) {
            form.btn5->click();
            check(i);
        }
        form.btn5->click();
        check(0); // wrapped around
        for (int i = Count - 1; i >= 0; --i) {
            form.btn4->click();
            check(i);
        }
        QCOMPARE(started.Dialogs.Beeps, 0);
    }

    void pictureExtensionsDependOnTheTarvoDataOption() {
        struct Row {
            const char* Path;
            bool WithOption;
            bool WithoutOption;
        };
        const Row rows[] = {
            {"/p/a.jpg", true, true},       {"/p/a.JPG", true, true},
            {"/p/a.jpeg", true, true},      {"/p/a.Png", true, true},
            {"/p/a.WEBP", false, true},     {"/p/a.webp", false, true},
            {"/p/a.gif", false, false},     {"/p/noext", false, false},
            {"/p.png/noext", false, false}, {"/p/a.png.txt", false, false},
        };
        TStartedForm started;
        TForm1& form = started.Form;
        for (const Row& row : rows) {
            form.chk2->setChecked(true);
            QVERIFY2(form.Model->IsPicFile(row.Path) == row.WithOption, row.Path);
            form.chk2->setChecked(false);
            QVERIFY2(form.Model->IsPicFile(row.Path) == row.WithoutOption, row.Path);
        }
    }
};

QTEST_MAIN(Unit1DisplayTest)
#include "Unit1Display_test.moc"
