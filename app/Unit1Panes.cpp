#include "app/PaneRatio.h"
#include "app/Unit1.h"
#include "picture/TDXPaintBox.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tarvo {

namespace {

// The column of the bottom bar that holds [O] between [>] and [Очистить].
constexpr int RefreshColumn = 9;

} // namespace

void TForm1::SetWins() {
    pnl1->resize(PicturePaneWidth(width(), WinsRatio), pnl1->height());
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
    WinsRatio = MovedRatio(pnl8->width(), pnl1->width());
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

void TForm1::btn13Click(QObject*) {
    if (btn14->isHidden()) {
        SavedRatio = WinsRatio;
        btn14->show();
    }
    WinsRatio = SwitchedRatio(WinsRatio);
    SetWins();
}

void TForm1::btn14Click(QObject*) {
    WinsRatio = SavedRatio;
    btn14->hide();
    SetWins();
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
