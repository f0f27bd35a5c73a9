// The display of the current file as the window renders it: every field, the pixels of the
// picture at its fitted and real size, and leafing through a large folder.
#include "MainWindowHarness.h"

#include <QScreen>

using namespace tarvo;
using namespace tarvo::test;

namespace {

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

class MainWindowDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void eachFileIsRenderedIntoEveryField() {
        TTempDir dir;
        TParamSet params;
        params.Prompt = "score_9, score_8_up, a red fox";
        const std::string fox = Put(dir, "fox.png", TarvoPng(params, {40, 30, false, {}}));
        const std::string webp = Put(dir, "x.webp", TarvoPng(TParamSet{}));
        TStartedForm started;
        TForm1& form = started.Form;
        form.SetFileSp(fox);
        QVERIFY(Settle(form));
        CheckRendered(form);
        QCOMPARE(form.dxpntbx1->DIB().Width(), 40);
        QCOMPARE(form.dxpntbx1->DIB().Height(), 30);
        form.chk10->setChecked(false); // the raw prompt
        CheckRendered(form);
        QVERIFY(form.edt2->text().startsWith(QStringLiteral("score_9")));
        // No decoder: the name in the picture pane instead of the previous picture.
        form.LoadFile(webp);
        QVERIFY(Settle(form));
        CheckRendered(form);
        QCOMPARE(form.pnl1->text(), QStringLiteral("x.webp"));
        QVERIFY(form.dxpntbx1->DIB().Empty());
        form.SetFileSp(fox);
        QVERIFY(Settle(form));
        form.btn2->click();
        CheckRendered(form);
        QVERIFY(form.dxpntbx1->DIB().Empty());
        QVERIFY(form.mmo1->toPlainText().isEmpty());
    }

    void stretchToggleRedrawsAtRealSizeAndBackWithoutReloading() {
        TTempDir dir;
        const std::string file = Put(dir, "big.png", SolidPng(600, 300, {200, 10, 10}));
        TStartedForm started;
        TForm1& form = started.Form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.LoadFile(file);
        QVERIFY(Settle(form));
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
        QVERIFY(Settle(form));
        QImage shot = OnScreen(form, form.pnl1);
        QVERIFY(CountColour(shot, red, DrawnRect(form)) > 0);
        form.LoadFile(tall);
        QVERIFY(Settle(form));
        shot = OnScreen(form, form.pnl1);
        QCOMPARE(CountColour(shot, red, shot.rect()), 0);
        const QRect drawn = DrawnRect(form);
        QCOMPARE(CountColour(shot, blue, drawn), drawn.width() * drawn.height());
        form.chk1->setChecked(false);
        shot = OnScreen(form, form.pnl1);
        QCOMPARE(CountColour(shot, blue, shot.rect()), 50 * std::min(300, shot.height()));
        form.LoadFile(broken);
        QVERIFY(Settle(form));
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
            QVERIFY(Settle(form));
            check(i);
        }
        form.btn5->click();
        QVERIFY(Settle(form));
        check(0); // wrapped around
        for (int i = Count - 1; i >= 0; --i) {
            form.btn4->click();
            QVERIFY(Settle(form));
            check(i);
        }
        QCOMPARE(started.Dialogs.Beeps, 0);
    }
};

QTEST_MAIN(MainWindowDisplayTest)
#include "MainWindowDisplay_test.moc"
