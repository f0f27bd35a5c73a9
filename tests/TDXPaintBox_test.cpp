#include "picture/Picture.h"
#include "support/PictureWriters.h"
#include "window/TDXPaintBox.h"

#include <QImage>
#include <QSet>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

namespace tp = tarvo::testpic;

const QColor kBackground(10, 20, 30);

tarvo::TPicture Decode(const char* ext, const tp::TBytes& bytes) {
    tarvo::TPicture picture;
    if (!picture.LoadFromBytes(ext, bytes)) qFatal("test picture does not decode");
    return picture;
}

tarvo::TPicture Rgb(int w, int h, const std::vector<tp::TRgba>& pixels) {
    return Decode("png", tp::WritePngRgb(w, h, pixels));
}

// A pane with a known background and the paint box filling it.
struct Pane {
    explicit Pane(int w, int h) : Host(std::make_unique<QWidget>()) {
        QPalette palette = Host->palette();
        palette.setColor(QPalette::Window, kBackground);
        Host->setPalette(palette);
        Host->setAutoFillBackground(true);
        Host->resize(w, h);
        Box = new tarvo::TDXPaintBox(Host.get());
        Box->setGeometry(0, 0, w, h);
    }
    QImage Grab() const { return Host->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    std::unique_ptr<QWidget> Host;
    tarvo::TDXPaintBox* Box = nullptr; // owned by Host
};

QRgb Rgb(const tp::TRgba& c) {
    return qRgb(c.R, c.G, c.B);
}

} // namespace

class TDXPaintBoxTest : public QObject {
    Q_OBJECT

private slots:
    void startsEmptyWithAllFlagsOff() {
        Pane pane(4, 4);
        QVERIFY(pane.Box->DIB().Empty());
        QVERIFY(!pane.Box->AutoStretch());
        QVERIFY(!pane.Box->Stretch());
        QVERIFY(!pane.Box->KeepAspect());
        QVERIFY(!pane.Box->Center());
        QCOMPARE(pane.Box->ViewWidth(), 0);
        QCOMPARE(pane.Box->ViewHeight(), 0);
    }

    void storesNegativeViewSizesAsZero() {
        Pane pane(4, 4);
        pane.Box->SetViewWidth(-3);
        pane.Box->SetViewHeight(-1);
        QCOMPARE(pane.Box->ViewWidth(), 0);
        QCOMPARE(pane.Box->ViewHeight(), 0);
        pane.Box->SetViewWidth(7);
        QCOMPARE(pane.Box->ViewWidth(), 7);
    }

    void drawsNothingWhileEmpty() {
        Pane pane(6, 5);
        pane.Box->SetStretch(true);
        pane.Box->SetKeepAspect(true);
        pane.Box->SetCenter(true);
        const QImage img = pane.Grab();
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x)
                QCOMPARE(img.pixel(x, y), kBackground.rgb());
    }

    void enlargesWithNearestPixels() {
        const std::vector<tp::TRgba> px = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
        Pane pane(8, 8);
        pane.Box->SetStretch(true);
        pane.Box->SetKeepAspect(true);
        pane.Box->SetCenter(true);
        QVERIFY(pane.Box->AssignDIB(Rgb(2, 2, px)));
        const QImage img = pane.Grab();
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                QCOMPARE(img.pixel(x, y), Rgb(px[static_cast<std::size_t>((y / 4) * 2 + x / 4)]));
    }

    void leavesThePaneVisibleOutsideThePicture() {
        const std::vector<tp::TRgba> px = {{255, 0, 0}, {0, 0, 255}};
        Pane pane(8, 8);
        pane.Box->SetStretch(true);
        pane.Box->SetKeepAspect(true);
        pane.Box->SetCenter(true);
        QVERIFY(pane.Box->AssignDIB(Rgb(2, 1, px)));
        QCOMPARE(pane.Box->DrawRect(), (tarvo::TFitRect{0, 2, 8, 4, false}));
        const QImage img = pane.Grab();
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const QRgb want = (y < 2 || y >= 6) ? kBackground.rgb() : Rgb(px[x < 4 ? 0 : 1]);
                QCOMPARE(img.pixel(x, y), want);
            }
    }

    void shrinksWithoutBlending() {
        std::vector<tp::TRgba> px;
        QSet<QRgb> colours;
        for (int i = 0; i < 9 * 7; ++i) {
            px.push_back({static_cast<std::uint8_t>(i * 4), static_cast<std::uint8_t>(250 - i * 3),
                          static_cast<std::uint8_t>((i * 37) & 0xFF)});
            colours.insert(Rgb(px.back()));
        }
        Pane pane(5, 4);
        pane.Box->SetStretch(true);
        pane.Box->SetKeepAspect(false);
        QVERIFY(pane.Box->AssignDIB(Rgb(9, 7, px)));
        const QImage img = pane.Grab();
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x)
                QVERIFY2(colours.contains(img.pixel(x, y)), "blended pixel");
    }

    void cropsARealSizePictureAroundItsCentre() {
        std::vector<tp::TRgba> px;
        for (int i = 0; i < 16; ++i)
            px.push_back({static_cast<std::uint8_t>(i * 16), 100, 50});
        Pane pane(2, 2);
        pane.Box->SetCenter(true);
        QVERIFY(pane.Box->AssignDIB(Rgb(4, 4, px)));
        QCOMPARE(pane.Box->DrawRect(), (tarvo::TFitRect{-1, -1, 4, 4, true}));
        const QImage img = pane.Grab();
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x)
                QCOMPARE(img.pixel(x, y), Rgb(px[static_cast<std::size_t>((y + 1) * 4 + x + 1)]));
    }

    void switchesBetweenFittedAndRealSize() {
        const std::vector<tp::TRgba> px(4 * 2, {200, 10, 10});
        Pane pane(8, 8);
        pane.Box->SetStretch(true);
        pane.Box->SetKeepAspect(true);
        pane.Box->SetCenter(true);
        QVERIFY(pane.Box->AssignDIB(Rgb(4, 2, px)));
        QCOMPARE(pane.Grab().pixel(0, 2), Rgb(px[0]));
        pane.Box->SetStretch(false);
        QCOMPARE(pane.Box->DrawRect(), (tarvo::TFitRect{2, 3, 4, 2, true}));
        const QImage img = pane.Grab();
        QCOMPARE(img.pixel(0, 2), kBackground.rgb());
        QCOMPARE(img.pixel(2, 3), Rgb(px[0]));
        QCOMPARE(img.pixel(5, 4), Rgb(px[0]));
        QCOMPARE(img.pixel(6, 4), kBackground.rgb());
        pane.Box->SetStretch(true);
        QCOMPARE(pane.Grab().pixel(0, 2), Rgb(px[0]));
    }

    void followsTheClientSize() {
        Pane pane(8, 8);
        pane.Box->SetStretch(true);
        pane.Box->SetKeepAspect(true);
        pane.Box->SetCenter(true);
        QVERIFY(pane.Box->AssignDIB(Rgb(2, 1, std::vector<tp::TRgba>(2))));
        pane.Box->resize(20, 4);
        QCOMPARE(pane.Box->DrawRect(), (tarvo::TFitRect{6, 0, 8, 4, false}));
        pane.Box->SetViewWidth(4);
        QCOMPARE(pane.Box->DrawRect(), (tarvo::TFitRect{0, 1, 4, 2, false}));
    }

    void emptyingRemovesThePicture() {
        Pane pane(4, 4);
        pane.Box->SetStretch(true);
        QVERIFY(pane.Box->AssignDIB(Rgb(1, 1, {{255, 255, 0}})));
        QCOMPARE(pane.Grab().pixel(1, 1), qRgb(255, 255, 0));
        pane.Box->ClearDIB();
        QVERIFY(pane.Box->DIB().Empty());
        QCOMPARE(pane.Grab().pixel(1, 1), kBackground.rgb());
        QVERIFY(pane.Box->AssignDIB(Rgb(1, 1, {{255, 255, 0}})));
        QVERIFY(pane.Box->AssignDIB(tarvo::TPicture{}));
        QCOMPARE(pane.Grab().pixel(1, 1), kBackground.rgb());
    }

    void drawsEveryDepthInItsColours() {
        const std::vector<tp::TRgba> palette = {
            {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};
        std::vector<tp::TRgba> pal16 = palette;
        pal16.resize(16, {9, 9, 9});
        tp::TBmp four;
        four.Width = 3;
        four.Height = 1;
        four.BitCount = 4;
        four.Palette = pal16;
        four.Pixels = tp::BmpRows(3, 1, 4, false,
                                  [](int x, int) { return static_cast<std::uint32_t>(x + 1); });
        tp::TBmp one;
        one.Width = 3;
        one.Height = 1;
        one.BitCount = 1;
        one.Palette = {palette[2], palette[3]};
        one.Pixels = tp::BmpRows(3, 1, 1, false, [](int x, int) { return x == 1 ? 1u : 0u; });
        tp::TBmp sixteen;
        sixteen.Width = 3;
        sixteen.Height = 1;
        sixteen.BitCount = 16;
        sixteen.Compression = 3;
        sixteen.Masks = {0xF800, 0x07E0, 0x001F, 0};
        sixteen.Pixels = tp::BmpRows(3, 1, 16, false, [](int x, int) {
            return x == 0 ? 0xF800u : x == 1 ? 0x07E0u : 0x001Fu;
        });
        tp::TBmp thirtyTwo;
        thirtyTwo.Width = 3;
        thirtyTwo.Height = 1;
        thirtyTwo.BitCount = 32;
        thirtyTwo.Pixels = tp::BmpRows(3, 1, 32, false, [](int x, int) {
            return x == 0 ? 0xFF0000u : x == 1 ? 0xFF00u : 0xFFu;
        });
        tp::TGif gif{3, 1, 0, palette, {{0, 0, 3, 1, false, -1, {}, {3, 1, 0}}}};
        const struct {
            const char* Name;
            tarvo::TPicture Picture;
            QRgb Want[3];
        } cases[] = {
            {"8-bit GIF",
             Decode("gif", tp::WriteGif(gif)),
             {qRgb(255, 255, 0), qRgb(0, 255, 0), qRgb(255, 0, 0)}},
            {"4-bit BMP",
             Decode("bmp", tp::WriteBmp(four)),
             {qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)}},
            {"1-bit BMP",
             Decode("bmp", tp::WriteBmp(one)),
             {qRgb(0, 0, 255), qRgb(255, 255, 0), qRgb(0, 0, 255)}},
            {"16-bit BMP",
             Decode("bmp", tp::WriteBmp(sixteen)),
             {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)}},
            {"32-bit BMP",
             Decode("bmp", tp::WriteBmp(thirtyTwo)),
             {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)}},
            {"8-bit grey PNG",
             Decode("png", tp::WritePngGray(3, 1, std::vector<std::uint8_t>{0, 128, 255})),
             {qRgb(0, 0, 0), qRgb(128, 128, 128), qRgb(255, 255, 255)}},
        };
        for (const auto& c : cases) {
            Pane pane(3, 1);
            pane.Box->SetStretch(true);
            pane.Box->SetKeepAspect(true);
            QVERIFY2(pane.Box->AssignDIB(c.Picture), c.Name);
            QVERIFY2(pane.Box->DrawRect().OneToOne, c.Name);
            const QImage img = pane.Grab();
            for (int x = 0; x < 3; ++x) {
                if (img.pixel(x, 0) != c.Want[x])
                    QFAIL(qPrintable(QStringLiteral("%1, pixel %2: got %3, want %4")
                                         .arg(QLatin1String(c.Name))
                                         .arg(x)
                                         .arg(img.pixel(x, 0), 8, 16)
                                         .arg(c.Want[x], 8, 16)));
            }
        }
    }
};

QTEST_MAIN(TDXPaintBoxTest)
#include "TDXPaintBox_test.moc"
