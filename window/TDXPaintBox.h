// The picture pane's paint box: owns the display bitmap (TDIB) and draws it by the fitting
// rule, 1:1 or scaled with nearest-pixel sampling, painting nothing outside the picture so
// that the pane behind shows there.
#pragma once

#include "picture/DIB.h"
#include "picture/FitRule.h"

#include <QImage>
#include <QWidget>

#include <memory>

namespace tarvo {

class TPicture;

class TDXPaintBox : public QWidget {
    Q_OBJECT

public:
    explicit TDXPaintBox(QWidget* parent = nullptr);

    // Each setter stores a different value and schedules a repaint; the same value does
    // nothing. All four flags start false.
    bool AutoStretch() const { return FOptions.AutoStretch; }
    void SetAutoStretch(bool value);
    bool Center() const { return FOptions.Center; }
    void SetCenter(bool value);
    bool KeepAspect() const { return FOptions.KeepAspect; }
    void SetKeepAspect(bool value);
    bool Stretch() const { return FOptions.Stretch; }
    void SetStretch(bool value);
    // A non-zero view size stands in for the client size in the fitting rule (the window
    // keeps both at 0). Negative values are stored as 0.
    int ViewWidth() const { return FViewWidth; }
    void SetViewWidth(int value);
    int ViewHeight() const { return FViewHeight; }
    void SetViewHeight(int value);

    // The display bitmap; changed only through AssignDIB and ClearDIB.
    const TDIB& DIB() const;
    // Takes a copy of picture (an empty container empties the bitmap) and schedules a
    // repaint. False when memory ran out; the bitmap is then empty.
    bool AssignDIB(const TPicture& picture);
    // The same, taking the picture's pixels over instead of copying them.
    bool AssignDIB(TPicture&& picture);
    // Shows a display bitmap made elsewhere (a decoding thread, a cache), sharing it.
    void AssignDIB(std::shared_ptr<const TDIB> dib);
    // Empties the bitmap and schedules a repaint; an empty bitmap draws nothing.
    void ClearDIB();
    // Repaints at once instead of waiting for the event loop.
    void Paint();
    // Where the next paint draws the bitmap in the current client area.
    TFitRect DrawRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void SetFlag(bool& flag, bool value);
    void RebuildView();

    TFitOptions FOptions;
    int FViewWidth = 0;
    int FViewHeight = 0;
    std::shared_ptr<const TDIB> FDIB; // null: nothing to draw
    // A QImage over FDIB's pixels (or, for depths Qt cannot draw directly, one unscaled
    // conversion), rebuilt once per new bitmap; never a scaled copy.
    QImage FView;
};

} // namespace tarvo
