// The main window's geometry: the stacked panels, the panes of the central area laid out by
// the model's ratio, the splitter drag, and the start-up arrangement of the bottom bar.
#include "window/MainWindow.h"

#include "app/PaneRatio.h"
#include "window/MainWindowLayout.h"
#include "window/TDXPaintBox.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace tarvo {

using namespace layout;

void TForm1::AlignPanels() {
    const int w = width();
    int bottom = height();
    pnl5->setGeometry(0, 0, w, PathBarHeight);
    if (!pnl4->isHidden()) {
        bottom -= OptionsBarHeight;
        pnl4->setGeometry(0, bottom, w, OptionsBarHeight);
    }
    bottom -= PromptBarHeight;
    pnl3->setGeometry(0, bottom, w, PromptBarHeight);
    pnl2->setGeometry(0, PathBarHeight, w, std::max(0, bottom - PathBarHeight));
    // Called directly: a hidden window gets its resize events only when it is shown.
    pnl2Resize(pnl2);
}

void TForm1::SetWins() {
    if (!Model) return;
    pnl1->resize(PicturePaneWidth(width(), Model->State().WinsRatio), pnl1->height());
    pnl2Resize(pnl2);
}

void TForm1::FormResize(QObject*) {
    SetWins();
}

void TForm1::pnl2Resize(QObject*) {
    ArrangeCentre();
    // The splitter never starts left of the memo's right edge (the memo's position counted
    // within the text pane).
    const int memoRight = mmo1->x() + mmo1->width();
    if (spl1->x() < memoRight) spl1->move(memoRight, spl1->y());
}

void TForm1::ArrangeCentre() {
    const QRect area = pnl2->contentsRect();
    const TPaneGeometry g = ArrangePanes(area.width(), pnl1->width());
    const int left = area.left();
    const int top = area.top();
    const int height = area.height();
    pnl8->setGeometry(left, top, g.TextWidth, height);
    spl1->setGeometry(left + g.SplitterLeft, top, SplitterWidth, height);
    pnl1->setGeometry(left + g.PictureLeft, top, g.PictureWidth, height);
    // A hidden window lays out its panes only when shown; the memo follows its pane now,
    // so the pane rules read current sizes.
    if (QLayout* memoLayout = pnl8->layout()) memoLayout->activate();
    // The paint box covers exactly its pane, from the same arithmetic.
    dxpntbx1->setGeometry(0, 0, g.PictureWidth, height);
}

void TForm1::spl1Moved(QObject*) {
    Forward([this](TViewerModel& m) { m.SplitterMoved(pnl8->width(), pnl1->width()); });
}

bool TForm1::SplitterMouse(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) return false;
        FDragging = true;
        FDragMoved = false;
        FDragStartX = qRound(mouse->globalPosition().x());
        FDragStartWidth = pnl1->width();
        return true;
    }
    case QEvent::MouseMove: {
        if (!FDragging) return false;
        auto* mouse = static_cast<QMouseEvent*>(event);
        const int requested = FDragStartWidth - (qRound(mouse->globalPosition().x()) - FDragStartX);
        const int dragged =
            DraggedPictureWidth(requested, pnl1->width(), pnl2->contentsRect().width());
        if (dragged != pnl1->width()) {
            pnl1->resize(dragged, pnl1->height());
            pnl2Resize(pnl2);
            FDragMoved = true;
        }
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!FDragging || mouse->button() != Qt::LeftButton) return false;
        FDragging = false;
        if (FDragMoved) spl1Moved(spl1);
        return true;
    }
    default:
        return false;
    }
}

void TForm1::NormalizeScale() {
    auto* grid = qobject_cast<QGridLayout*>(pnl3->layout());
    if (grid == nullptr) return;
    grid->setColumnMinimumWidth(RefreshColumn, btn12->width());
    grid->activate();
    const int prevLeft = btn4->mapTo(this, QPoint(0, 0)).x();
    const int splitterLeft = spl1->mapTo(this, QPoint(0, 0)).x();
    const int shift = PrevButtonShift(prevLeft, splitterLeft);
    if (shift <= 0) return;
    // [<] and [>] move left to start at the splitter's middle; [O] stays centred in the
    // wider gap before [Очистить].
    grid->setColumnMinimumWidth(RefreshColumn, btn12->width() + shift);
    grid->activate();
}

} // namespace tarvo
