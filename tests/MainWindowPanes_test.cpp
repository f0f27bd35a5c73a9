// The pane proportions of the main window as laid out: the ratio kept on resize, the
// splitter drag with its limits, [1/5] and [В], the minimum window size, and the bars'
// arrangement.
#include "MainWindowHarness.h"

#include "app/PaneRatio.h"

#include <QFrame>

using namespace tarvo;
using namespace tarvo::test;

namespace {

// A started window on the screen with the given client size.
struct TShownForm : TStartedForm {
    TShownForm(int width, int height) {
        Form.show();
        Form.resize(width, height);
        QCoreApplication::processEvents();
    }
};

// Drags the splitter by dx pixels (positive: to the right).
void Drag(TForm1& form, int dx) {
    const QPoint start(SplitterWidth / 2, 10);
    QTest::mousePress(form.spl1, Qt::LeftButton, {}, start);
    QTest::mouseMove(form.spl1, start + QPoint(dx, 0));
    QTest::mouseRelease(form.spl1, Qt::LeftButton, {}, start);
}

int TextPane(const TForm1& form) {
    return form.pnl8->width();
}

int PicturePane(const TForm1& form) {
    return form.pnl1->width();
}

// The central panel holds exactly text pane, splitter and picture pane side by side.
void CheckCentreIsTiled(const TForm1& form) {
    const QRect area = form.pnl2->contentsRect();
    QCOMPARE(form.pnl8->x(), area.left());
    QCOMPARE(form.spl1->x(), form.pnl8->x() + form.pnl8->width());
    QCOMPARE(form.pnl1->x(), form.spl1->x() + SplitterWidth);
    QCOMPARE(form.pnl1->x() + form.pnl1->width(), area.right() + 1);
    QVERIFY(form.spl1->x() >= form.mmo1->x() + form.mmo1->width());
}

} // namespace

class MainWindowPanesTest : public QObject {
    Q_OBJECT

private slots:
    void startUpTakesTheRatioOfTheDesignedPanes() {
        TStartedForm started;
        TForm1& form = started.Form;
        QCOMPARE(PicturePane(form), DesignPicturePaneWidth);
        QCOMPARE(form.Model->State().WinsRatio,
                 static_cast<double>(TextPane(form)) / PicturePane(form));
        QCOMPARE(form.Model->SavedRatio(), form.Model->State().WinsRatio);
        QVERIFY(form.Model->State().WinsRatio > 2.7 && form.Model->State().WinsRatio < 2.9);
        QVERIFY(form.btn14->isHidden());
        CheckCentreIsTiled(form);
    }

    void resizeKeepsTheRatioFromTheClientWidth() {
        TShownForm shown(1065, 654);
        TForm1& form = shown.Form;
        form.Model->SplitterMoved(5, 1); // ratio 5
        form.resize(1047, 600);
        QCoreApplication::processEvents();
        QCOMPARE(PicturePane(form), 173); // (1047 - 8) / 6 = 173.17
        QCOMPARE(TextPane(form), form.pnl2->contentsRect().width() - SplitterWidth - 173);
        CheckCentreIsTiled(form);
        for (int width : {700, 800, 1001, 1280, 1600}) {
            form.resize(width, 600);
            QCoreApplication::processEvents();
            QCOMPARE(PicturePane(form), PicturePaneWidth(width, 5.0));
            CheckCentreIsTiled(form);
        }
        // No 200-pixel minimum here: 5/1 in the narrowest window.
        form.resize(700, 400);
        QCoreApplication::processEvents();
        QCOMPARE(PicturePane(form), 115);
    }

    void windowNeverGetsSmallerThanItsMinimum() {
        TShownForm shown(1065, 654);
        TForm1& form = shown.Form;
        form.resize(300, 200);
        QCoreApplication::processEvents();
        QCOMPARE(form.size(), QSize(700, 400));
        form.resize(650, 900);
        QCOMPARE(form.size(), QSize(700, 900));
        CheckCentreIsTiled(form);
    }

    void switchAndRestoreLayThePanesOutAtOnce() {
        TShownForm shown(1047, 654);
        TForm1& form = shown.Form;
        const int start = PicturePane(form);
        form.btn13->click();
        QVERIFY(!form.btn14->isHidden());
        QCOMPARE(PicturePane(form), PicturePaneWidth(1047, form.Model->State().WinsRatio));
        QVERIFY(PicturePane(form) > 4 * TextPane(form));
        CheckCentreIsTiled(form);
        form.btn13->click();
        QVERIFY(TextPane(form) > 4 * PicturePane(form));
        form.btn14->click();
        QVERIFY(form.btn14->isHidden());
        QCOMPARE(PicturePane(form), start);
        CheckCentreIsTiled(form);
    }

    void dragToTenToOneIsStoredAsSixAndAppliedAtTheNextResize() {
        TShownForm shown(2218, 700);
        TForm1& form = shown.Form;
        const int area = form.pnl2->contentsRect().width();
        Drag(form, 5000); // as far right as the splitter goes
        QCOMPARE(PicturePane(form), SplitterMinSize);
        QCOMPARE(TextPane(form), area - SplitterWidth - SplitterMinSize);
        QVERIFY(TextPane(form) >= 10 * PicturePane(form));
        QCOMPARE(form.Model->State().WinsRatio, 6.0);
        CheckCentreIsTiled(form);
        form.resize(2200, 700);
        QCoreApplication::processEvents();
        QCOMPARE(PicturePane(form), PicturePaneWidth(2200, 6.0));
    }

    void dragKeepsTwoHundredPixelsOnEachSide() {
        TShownForm shown(1047, 654);
        TForm1& form = shown.Form;
        const int area = form.pnl2->contentsRect().width();
        Drag(form, -5000);
        QCOMPARE(TextPane(form), SplitterMinSize);
        QCOMPARE(PicturePane(form), area - SplitterWidth - SplitterMinSize);
        QCOMPARE(form.Model->State().WinsRatio, MovedRatio(SplitterMinSize, PicturePane(form)));
        Drag(form, 300);
        QCOMPARE(TextPane(form), SplitterMinSize + 300);
        QCOMPARE(form.Model->State().WinsRatio, MovedRatio(TextPane(form), PicturePane(form)));
        CheckCentreIsTiled(form);
    }

    void barsKeepTheirArrangement() {
        TStartedForm started;
        TForm1& form = started.Form;
        const auto right = [&](QWidget* w) { return w->mapTo(&form, QPoint(w->width(), 0)).x(); };
        const auto left = [&](QWidget* w) { return w->mapTo(&form, QPoint(0, 0)).x(); };
        // The splitter as start-up arranged the bars; the first resize may move it a pixel.
        const int splitterMiddle = left(form.spl1) + SplitterWidth / 2;
        form.show();
        form.lbl8->setText(QStringLiteral("12/345"));
        form.lbl1->setText(QStringLiteral("Размер картинки: 1024 x 1024"));
        QCoreApplication::processEvents();
        QCOMPARE(right(form.lbl8), right(form.btn1));
        QCOMPARE(right(form.lbl1), right(form.btn1));
        // [<] starts at the splitter's middle, [>] follows, [O] sits in the gap before
        // [Очистить], [1/5] under [<].
        QCOMPARE(left(form.btn4), splitterMiddle);
        QVERIFY(left(form.btn5) > right(form.btn4));
        QVERIFY(left(form.btn12) >= right(form.btn5));
        QVERIFY(right(form.btn12) <= left(form.btn2));
        const int gapMiddle = (right(form.btn5) + left(form.btn2)) / 2;
        QVERIFY(qAbs(left(form.btn12) + form.btn12->width() / 2 - gapMiddle) <= 1);
        QCOMPARE(left(form.btn13), left(form.btn4));
        QVERIFY(right(form.btn6) < left(form.btn4));
        QCOMPARE(left(form.btn7), left(form.btn6));
        QCOMPARE(left(form.edt2), left(form.edt3));
        QCOMPARE(form.edt2->width(), form.edt3->width());
        // Right-anchored: the bottom bar's right part keeps its distance from the edge.
        const int fromEdge = form.width() - left(form.btn4);
        form.resize(1300, 654);
        QCoreApplication::processEvents();
        QCOMPARE(form.width() - left(form.btn4), fromEdge);
        QCOMPARE(right(form.lbl1), right(form.btn1));
    }
};

QTEST_MAIN(MainWindowPanesTest)
#include "MainWindowPanes_test.moc"
