#include "window/TDXPaintBox.h"

#include <utility>

#include "picture/Picture.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace tarvo {

namespace {

QList<QRgb> ColorTable(const TBitmap& bitmap) {
    QList<QRgb> table;
    table.reserve(static_cast<qsizetype>(bitmap.Palette.size()));
    for (const TRGBQuad& c : bitmap.Palette)
        table.append(qRgb(c.Red, c.Green, c.Blue));
    return table;
}

// Qt draws 1, 8, 24 and 32-bit layouts straight from the bitmap's memory. 4-bit pictures
// and 16-bit masks have no Qt format, so they are converted once, at their own size.
QImage MakeView(const TBitmap& bitmap) {
    if (bitmap.Empty()) return {};
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    const auto stride = static_cast<qsizetype>(bitmap.Stride());
    // The view only reads; QImage needs a non-const pointer to avoid copying the pixels.
    auto* bits = const_cast<uchar*>(bitmap.Bits());
    switch (bitmap.BitCount()) {
    case 1: {
        QImage view(bits, w, h, stride, QImage::Format_Mono);
        view.setColorTable(ColorTable(bitmap));
        return view;
    }
    case 8: {
        QImage view(bits, w, h, stride, QImage::Format_Indexed8);
        view.setColorTable(ColorTable(bitmap));
        return view;
    }
    case 24:
        return QImage(bits, w, h, stride, QImage::Format_BGR888);
    case 32:
        return QImage(bits, w, h, stride, QImage::Format_RGB32);
    case 4: {
        QImage view(w, h, QImage::Format_Indexed8);
        if (view.isNull()) return {};
        view.setColorTable(ColorTable(bitmap));
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* src = bitmap.Row(y);
            uchar* dst = view.scanLine(y);
            for (int x = 0; x < w; ++x)
                dst[x] = (x % 2 == 0) ? (src[x / 2] >> 4) : (src[x / 2] & 0x0F);
        }
        return view;
    }
    case 16: {
        QImage view(w, h, QImage::Format_RGB32);
        if (view.isNull()) return {};
        for (int y = 0; y < h; ++y) {
            auto* dst = reinterpret_cast<QRgb*>(view.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const TRGBQuad c = PixelAt(bitmap, x, y);
                dst[x] = qRgb(c.Red, c.Green, c.Blue);
            }
        }
        return view;
    }
    default:
        return {};
    }
}

} // namespace

TDXPaintBox::TDXPaintBox(QWidget* parent) : QWidget(parent) {
    // Painting only the picture's rectangle leaves the parent's background visible around it.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAutoFillBackground(false);
}

void TDXPaintBox::SetFlag(bool& flag, bool value) {
    if (flag == value) return;
    flag = value;
    update();
}

void TDXPaintBox::SetAutoStretch(bool value) {
    SetFlag(FOptions.AutoStretch, value);
}
void TDXPaintBox::SetCenter(bool value) {
    SetFlag(FOptions.Center, value);
}
void TDXPaintBox::SetKeepAspect(bool value) {
    SetFlag(FOptions.KeepAspect, value);
}
void TDXPaintBox::SetStretch(bool value) {
    SetFlag(FOptions.Stretch, value);
}

void TDXPaintBox::SetViewWidth(int value) {
    value = std::max(value, 0);
    if (FViewWidth == value) return;
    FViewWidth = value;
    update();
}

void TDXPaintBox::SetViewHeight(int value) {
    value = std::max(value, 0);
    if (FViewHeight == value) return;
    FViewHeight = value;
    update();
}

const TDIB& TDXPaintBox::DIB() const {
    static const TDIB empty;
    return FDIB ? *FDIB : empty;
}

bool TDXPaintBox::AssignDIB(const TPicture& picture) {
    auto dib = std::make_shared<TDIB>();
    const bool ok = dib->Assign(picture);
    AssignDIB(ok ? std::move(dib) : nullptr);
    return ok;
}

bool TDXPaintBox::AssignDIB(TPicture&& picture) {
    auto dib = std::make_shared<TDIB>();
    const bool ok = dib->Assign(std::move(picture));
    AssignDIB(ok ? std::move(dib) : nullptr);
    return ok;
}

void TDXPaintBox::AssignDIB(std::shared_ptr<const TDIB> dib) {
    FDIB = std::move(dib);
    RebuildView();
    update();
}

void TDXPaintBox::ClearDIB() {
    AssignDIB(std::shared_ptr<const TDIB>());
}

void TDXPaintBox::Paint() {
    repaint();
}

void TDXPaintBox::RebuildView() {
    FView = MakeView(DIB().Bitmap());
}

TFitRect TDXPaintBox::DrawRect() const {
    const int cw = FViewWidth > 0 ? FViewWidth : width();
    const int ch = FViewHeight > 0 ? FViewHeight : height();
    return FitPicture(cw, ch, DIB().Width(), DIB().Height(), FOptions);
}

void TDXPaintBox::paintEvent(QPaintEvent* /*event*/) {
    if (DIB().Empty() || FView.isNull()) return;
    const TFitRect r = DrawRect();
    if (r.W <= 0 || r.H <= 0) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (r.OneToOne)
        painter.drawImage(QPoint(r.X, r.Y), FView);
    else
        painter.drawImage(QRect(r.X, r.Y, r.W, r.H), FView);
}

} // namespace tarvo
