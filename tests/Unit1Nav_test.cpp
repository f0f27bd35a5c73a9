// The navigation commands on real folders: choosing, typing and dropping folders and files,
// leafing with wrap-around, clearing, refreshing and files that vanish.
#include "Unit1Harness.h"

#include "app/FilesObj.h"
#include "app/TarvoData.h"

#include <QCheckBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QtTest>

#include <sys/stat.h>

using namespace tarvo;
using namespace tarvo::test;

namespace {

// A folder of Tarvo pictures named as given, each with its own JobId.
struct TPictureFolder {
    TTempDir Dir;
    explicit TPictureFolder(std::initializer_list<const char*> names) {
        for (const char* name : names)
            Add(name);
    }
    std::string Add(const std::string& name) {
        TParamSet params;
        params.JobId = "job-" + name;
        return Put(Dir, name, TarvoPng(params));
    }
    std::string File(const std::string& name) const { return Dir.File(name); }
    const std::string& Path() const { return Dir.Path(); }
};

std::string GifBytes() {
    testpic::TGif gif;
    gif.ScreenWidth = 4;
    gif.ScreenHeight = 3;
    gif.GlobalPalette = {{0, 0, 0}, {255, 255, 255}};
    testpic::TGifFrame frame;
    frame.Width = 4;
    frame.Height = 3;
    frame.Indexes.assign(12, 1);
    gif.Frames.push_back(frame);
    const testpic::TBytes bytes = testpic::WriteGif(gif);
    return std::string(bytes.begin(), bytes.end());
}

QString Shown(const TForm1& form) {
    return Q(form.Model->Current().FilePath);
}

} // namespace

class Unit1NavTest : public QObject {
    Q_OBJECT

private slots:
    void chosenFolderOpensItsFirstPictureWithOneBeep() {
        TPictureFolder folder({"b.png", "A.jpg", "c.png", "d.gif"});
        Put(folder.Dir, "A.jpg", JpegFile(FirstBlockText(TParamSet{}), {8, 8, false, {}}));
        TStartedForm started;
        TForm1& form = started.Form;
        started.Dialogs.Folders.push_back(folder.Path());
        form.btn8->click();
        QCOMPARE(started.Dialogs.FolderTitles.size(), std::size_t{1});
        QCOMPARE(Q(started.Dialogs.FolderTitles[0]), QStringLiteral("Выберите папку"));
        QCOMPARE(Shown(form), Q(folder.File("A.jpg")));
        QCOMPARE(form.edt1->text(), Q(folder.Path()));
        QCOMPARE(form.lbl8->text(), QStringLiteral("1/3"));
        QCOMPARE(started.Dialogs.Beeps, 1);
    }

    void cancelledFolderDialogChangesNothing() {
        TPictureFolder folder({"a.png"});
        TStartedForm started;
        TForm1& form = started.Form;
        const QString before = form.edt1->text();
        form.btn8->click();
        QCOMPARE(form.edt1->text(), before);
        QVERIFY(form.Model->Current().FilePath.empty());
        QCOMPARE(started.Dialogs.Beeps, 0);
    }

    void folderWithoutPicturesClearsTheDisplayAndBeeps() {
        TPictureFolder pictures({"a.png"});
        TTempDir empty;
        Put(empty, "notes.txt", "nothing to see");
        Put(empty, "x.webp", TarvoPng(TParamSet{}));
        TStartedForm started;
        TForm1& form = started.Form;
        form.SetFileSp(pictures.File("a.png"));
        QVERIFY(form.Model->PicShown());
        form.SetDirSp(empty.Path());
        QCOMPARE(form.edt1->text(), Q(empty.Path()));
        QVERIFY(form.Model->Current().FilePath.empty());
        QVERIFY(!form.Model->PicShown());
        QVERIFY(form.lbl5->text().isEmpty());
        QVERIFY(form.mmo1->toPlainText().isEmpty());
        QVERIFY(form.edt2->text().isEmpty());
        QCOMPARE(started.Dialogs.Beeps, 1);
    }

    void typedFolderOpensOnEnterWhileATypedFileIsIgnored() {
        TPictureFolder folder({"a.png", "b.png"});
        TStartedForm started;
        TForm1& form = started.Form;
        form.edt1->setText(Q(folder.File("b.png")));
        QTest::keyClick(form.edt1, Qt::Key_Return);
        QVERIFY(form.Model->Current().FilePath.empty());
        QCOMPARE(form.edt1->text(), Q(folder.File("b.png")));
        form.edt1->setText(Q(folder.Path() + "/nothing here"));
        QTest::keyClick(form.edt1, Qt::Key_Return);
        QVERIFY(form.Model->Current().FilePath.empty());
        QCOMPARE(started.Dialogs.Beeps, 0);
        form.edt1->setText(Q("  " + folder.Path() + " "));
        char key = 'x';
        form.edt1KeyPress(form.edt1, key); // only Enter acts
        QVERIFY(form.Model->Current().FilePath.empty());
        QTest::keyClick(form.edt1, Qt::Key_Return);
        QCOMPARE(Shown(form), Q(folder.File("a.png")));
        QCOMPARE(form.edt1->text(), Q(folder.Path()));
        QCOMPARE(started.Dialogs.Beeps, 1);
    }

    void leafingWrapsAroundInBothDirections() {
        TPictureFolder folder({"a.png", "b.png", "c.png"});
        TStartedForm started;
        TForm1& form = started.Form;
        form.edt1->setText(Q(folder.Path()));
        const QStringList forward = {"a.png", "b.png", "c.png", "a.png"};
        for (const QString& name : forward) {
            form.btn5->click();
            QCOMPARE(Shown(form), Q(folder.Path()) + QLatin1Char('/') + name);
        }
        QCOMPARE(form.lbl8->text(), QStringLiteral("1/3"));
        form.btn4->click();
        QCOMPARE(Shown(form), Q(folder.File("c.png")));
        QCOMPARE(form.lbl8->text(), QStringLiteral("3/3"));
        form.btn4->click();
        QCOMPARE(Shown(form), Q(folder.File("b.png")));
        QCOMPARE(form.lbl8->text(), QStringLiteral("2/3"));
        QCOMPARE(started.Dialogs.Beeps, 0);
    }

    void afterClearingPreviousOpensTheLastAndNextTheFirst() {
        TPictureFolder folder({"a.png", "b.png", "c.png"});
        TStartedForm started;
        TForm1& form = started.Form;
        form.SetDirSp(folder.Path());
        form.btn5->click();
        QCOMPARE(Shown(form), Q(folder.File("b.png")));
        form.btn2->click();
        QVERIFY(form.Model->Current().FilePath.empty());
        QCOMPARE(form.lbl8->text(), QStringLiteral("3"));
        form.btn4->click();
        QCOMPARE(Shown(form), Q(folder.File("c.png")));
        form.btn2->click();
        form.btn5->click();
        QCOMPARE(Shown(form), Q(folder.File("a.png")));
    }

    void singlePictureAlreadyShownOnlyBeeps() {
        TPictureFolder folder({"only.png"});
        TStartedForm started;
        TForm1& form = started.Form;
        form.SetDirSp(folder.Path());
        QCOMPARE(started.Dialogs.Beeps, 1);
        form.edt2->setText(QStringLiteral("typed"));
        form.btn5->click();
        form.btn4->click();
        QCOMPARE(started.Dialogs.Beeps, 3);
        QCOMPARE(Shown(form), Q(folder.File("only.png")));
        QCOMPARE(form.edt2->text(), QStringLiteral("typed")); // nothing was reloaded
        QVERIFY(form.lbl8->text().isEmpty());
    }

    void emptyFolderInThePathFieldStaysSilent() {
        TTempDir empty;
        TStartedForm started;
        TForm1& form = started.Form;
        form.edt1->setText(Q(empty.Path()));
        form.btn5->click();
        form.btn4->click();
        QCOMPARE(started.Dialogs.Beeps, 0);
        QVERIFY(form.Model->Current().FilePath.empty());
    }

    void vanishedFilesAreSkippedAndDroppedFromTheList() {
        TPictureFolder folder({"a.png", "b.png", "c.png"});
        TStartedForm started;
        TForm1& form = started.Form;
        form.SetDirSp(folder.Path());
        QVERIFY(std::remove(folder.File("b.png").c_str()) == 0);
        form.btn5->click();
        QCOMPARE(Shown(form), Q(folder.File("c.png")));
        QCOMPARE(form.lbl8->text(), QStringLiteral("2/2"));
        QVERIFY(std::remove(folder.File("a.png").c_str()) == 0);
        QVERIFY(std::remove(folder.File("c.png").c_str()) == 0);
        const int beeps = started.Dialogs.Beeps;
        form.btn5->click();
        QCOMPARE(started.Dialogs.Beeps, beeps + 1);
        QVERIFY(form.Model->Files().Names.empty());
        QCOMPARE(form.Model->Files().Position, -1);
        QVERIFY(form.lbl8->text().isEmpty());
    }

    void refreshReadsTheFolderAgainAndKeepsTheCurrentEntry() {
        TPictureFolder folder({"b.png", "d.png"});
        TStartedForm started;
        TForm1& form = started.Form;
        form.SetDirSp(folder.Path());
        form.btn5->click();
        QCOMPARE(form.lbl8->text(), QStringLiteral("2/2"));
        folder.Add("a.png");
        folder.Add("c.png");
        form.btn12->click();
        QCOMPARE(form.lbl8->text(), QStringLiteral("4/4"));
        QCOMPARE(Shown(form), Q(folder.File("d.png")));
        form.btn4->click();
        QCOMPARE(Shown(form), Q(folder.File("c.png")));
    }

    void openedFileOfTheListedFolderTakesItsPlaceInTheList() {
        TPictureFolder folder({"a.png", "b.png", "c.png", "d.png"});
        TStartedForm started;
        TForm1& form = started.Form;
        form.SetDirSp(folder.Path());
        folder.Add("bb.png"); // the list is read again for the opened file
        started.Dialogs.Files.push_back(folder.File("c.png"));
        form.btn1->click();
        QCOMPARE(started.Dialogs.FileFilters.size(), std::size_t{1});
        QCOMPARE(Q(started.Dialogs.FileFilters[0]),
                 QStringLiteral("Файлы картинок Tarvo (Jpg, Png, WebP)|*.jpg;*.Jpeg;*.png;*.WebP|"
                                "Все файлы|*.*"));
        QCOMPARE(Q(started.Dialogs.FileInitialDirs[0]), Q(folder.Path()));
        QCOMPARE(Shown(form), Q(folder.File("c.png")));
        QCOMPARE(form.lbl8->text(), QStringLiteral("4/5"));
        form.btn5->click();
        QCOMPARE(Shown(form), Q(folder.File("d.png")));
    }

    void openedFileOfAnotherFolderEmptiesTheCounterUntilTheNextStep() {
        TPictureFolder first({"a.png", "b.png"});
        TPictureFolder second({"k.png", "m.png", "n.png"});
        Put(second.Dir, "l.txt", "not listed");
        TStartedForm started;
        TForm1& form = started.Form;
        form.SetDirSp(first.Path());
        QCOMPARE(form.lbl8->text(), QStringLiteral("1/2"));
        started.Dialogs.Files.push_back(second.File("m.png"));
        form.btn1->click();
        QCOMPARE(Shown(form), Q(second.File("m.png")));
        QVERIFY(form.lbl8->text().isEmpty());
        QCOMPARE(form.edt1->text(), Q(second.Path()));
        form.btn5->click();
        QCOMPARE(Shown(form), Q(second.File("n.png")));
        QCOMPARE(form.lbl8->text(), QStringLiteral("3/3"));
        // A file that is not listed there: the next step starts from the first picture.
        form.SetDirSp(first.Path());
        started.Dialogs.Files.push_back(second.File("l.txt"));
        form.btn1->click();
        QCOMPARE(Shown(form), Q(second.File("l.txt")));
        QVERIFY(form.lbl8->text().isEmpty());
        form.btn5->click();
        QCOMPARE(Shown(form), Q(second.File("k.png")));
        QCOMPARE(form.lbl8->text(), QStringLiteral("1/3"));
    }

    void openFileOfTheSameFolderWithoutPositionLeavesTheList() {
        TPictureFolder folder({"a.png", "b.png", "c.png"});
        TStartedForm started;
        TForm1& form = started.Form;
        form.SetDirSp(folder.Path());
        form.btn2->click();
        folder.Add("bb.png");
        form.SetFileSp(folder.File("b.png"));
        QCOMPARE(form.Model->Files().Names.size(), std::size_t{3});
        QCOMPARE(form.Model->Files().Position, -1);
        form.btn5->click(); // locates b.png in the list, then steps
        QCOMPARE(Shown(form), Q(folder.File("c.png")));
    }

    void droppedGifAloneBecomesTheCurrentFile() {
        TPictureFolder folder({"a.png"});
        const std::string gif = Put(folder.Dir, "anim.gif", GifBytes());
        TStartedForm started;
        TForm1& form = started.Form;
        form.WMDropFiles({gif});
        QCOMPARE(Shown(form), Q(gif));
        QVERIFY(form.Model->PicShown());
        QCOMPARE(form.lbl1->text(), QStringLiteral("Размер картинки: 4 x 3"));
    }

    void droppedGifsAreIgnoredBesideOnePicture() {
        TPictureFolder folder({"z.png"});
        const std::string g1 = Put(folder.Dir, "a.gif", GifBytes());
        const std::string g2 = Put(folder.Dir, "b.gif", GifBytes());
        TStartedForm started;
        TForm1& form = started.Form;
        form.WMDropFiles({g2, folder.File("z.png"), g1});
        QCOMPARE(Shown(form), Q(folder.File("z.png")));
        QVERIFY(form.Model->Files().Names.empty()); // as if dropped alone: the list is untouched
        QVERIFY(form.lbl8->text().isEmpty());
    }

    void threeDroppedPicturesBecomeTheList() {
        TPictureFolder folder({"c.png", "a.png", "b.jpg", "x.png", "w.webp"});
        Put(folder.Dir, "b.jpg", JpegFile(FirstBlockText(TParamSet{}), {8, 8, false, {}}));
        TStartedForm started;
        TForm1& form = started.Form;
        form.WMDropFiles({folder.File("c.png"), folder.File("w.webp"), folder.File("a.png"),
                          folder.File("b.jpg")});
        QCOMPARE(Shown(form), Q(folder.File("a.png")));
        QCOMPARE(form.Model->Files().Names, (std::vector<std::string>{"a.png", "b.jpg", "c.png"}));
        QCOMPARE(form.lbl8->text(), QStringLiteral("1/3"));
        form.btn5->click();
        form.btn5->click();
        QCOMPARE(Shown(form), Q(folder.File("c.png")));
        form.btn5->click(); // x.png is not part of the dropped selection
        QCOMPARE(Shown(form), Q(folder.File("a.png")));
        form.chk2->setChecked(false);
        form.WMDropFiles({folder.File("c.png"), folder.File("w.webp"), folder.File("a.png")});
        QCOMPARE(form.Model->Files().Names, (std::vector<std::string>{"a.png", "c.png", "w.webp"}));
        QCOMPARE(form.lbl8->text(), QStringLiteral("1/3"));
    }

    void twoDroppedFoldersOpenTheFirstInOrder() {
        TTempDir parent;
        const std::string second = parent.File("Beta");
        const std::string first = parent.File("alpha");
        QVERIFY(mkdir(second.c_str(), 0755) == 0);
        QVERIFY(mkdir(first.c_str(), 0755) == 0);
        WriteFile(first + "/one.png", TarvoPng(TParamSet{}));
        WriteFile(second + "/two.png", TarvoPng(TParamSet{}));
        TStartedForm started;
        TForm1& form = started.Form;
        form.WMDropFiles({second, first});
        QCOMPARE(form.edt1->text(), Q(first));
        QCOMPARE(Shown(form), Q(first + "/one.png"));
        QCOMPARE(started.Dialogs.Beeps, 1);
    }

    void droppedFolderBesidePictureIsIgnored() {
        TPictureFolder folder({"a.png", "b.png"});
        TTempDir other;
        TStartedForm started;
        TForm1& form = started.Form;
        form.WMDropFiles({other.Path(), folder.File("b.png")});
        QCOMPARE(Shown(form), Q(folder.File("b.png")));
        QCOMPARE(form.edt1->text(), Q(folder.Path()));
        QCOMPARE(started.Dialogs.Beeps, 0);
    }

    void singleDroppedFolderOpensLikeChosen() {
        TPictureFolder folder({"a.png", "b.png"});
        TStartedForm started;
        TForm1& form = started.Form;
        form.WMDropFiles({folder.Path()});
        QCOMPARE(Shown(form), Q(folder.File("a.png")));
        QCOMPARE(started.Dialogs.Beeps, 1);
        form.WMDropFiles({folder.File("nothing.png")}); // a path of nothing is ignored
        QCOMPARE(Shown(form), Q(folder.File("a.png")));
        form.WMDropFiles({});
        QCOMPARE(Shown(form), Q(folder.File("a.png")));
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
        QCOMPARE(Shown(form), Q(folder.File("b.png")));
        QCOMPARE(form.lbl8->text(), QStringLiteral("1/2"));
        QMimeData text;
        text.setText(QStringLiteral("just words"));
        QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton,
                                Qt::NoModifier);
        refused.setAccepted(false);
        QCoreApplication::sendEvent(&form, &refused);
        QVERIFY(!refused.isAccepted());
    }
};

QTEST_MAIN(Unit1NavTest)
#include "Unit1Nav_test.moc"
