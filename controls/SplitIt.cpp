#include "controls/SplitIt.h"

#include "platform/application.h"

#include <QPainter>
#include <algorithm>

namespace {

bool vertical(const TSplitIt &bar) { return bar.SplitDirection() == sdVertical; }

// The bar's leading edge in its parent's client coordinates.
int position(const TSplitIt &bar) { return vertical(bar) ? bar.Top() : bar.Left(); }

int extent(const TSplitIt &bar) { return vertical(bar) ? bar.Height() : bar.Width(); }

// The room the bar moves in: its parent's client area (its own, were it
// ever shown without a parent).
int room(const TSplitIt &bar)
{
    const QWidget *area = bar.parentWidget() ? bar.parentWidget() : &bar;
    return vertical(bar) ? area->height() : area->width();
}

}

TSplitIt::TSplitIt(QWidget *owner)
    : TGraphicControl(owner)
{
    SetColor(clActiveBorder);
    SetCursor(crVSplit);
    SetWidth(100);
    SetHeight(4);
}

void TSplitIt::SetSplitDirection(TSplitDirection value)
{
    if (value == splitDirection)
        return;
    splitDirection = value;
    SetCursor(value == sdVertical ? crVSplit : crHSplit);
}

// Inverts the band the bar would cover moved by offset along its axis. The
// second draw of the same band restores the screen, so nothing is saved and
// nothing is repainted while the bar is dragged.
void TSplitIt::DrawFeedback(int offset)
{
    const QPoint corner = mapToGlobal(vertical(*this) ? QPoint(0, offset) : QPoint(offset, 0));
    const HDC dc = GetWindowDC(nullptr);
    PatBlt(dc, corner.x(), corner.y(), Width(), Height(), PATINVERT);
    ReleaseDC(nullptr, dc);
}

void TSplitIt::MouseDown(TMouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    // A further button pressed during a split belongs to that split.
    if (splitting)
        return;
    fire(OnStartSplit, this);
    splitOffset = 0;
    DrawFeedback(0);
    splitting = true;
    TGraphicControl::MouseDown(button, shift, x, y);
}

void TSplitIt::MouseMove(Qt::KeyboardModifiers shift, int x, int y)
{
    if (splitting) {
        DrawFeedback(splitOffset);
        if (Min < 0)
            Min = 0;
        int limit = room(*this) - extent(*this);
        if (Max != 0 && Max <= limit)
            limit = Max;
        // The leading edge goes where the pointer is; the upper bound wins
        // over Min.
        const int from = position(*this);
        const int proposed = std::min(std::max(from + (vertical(*this) ? y : x), Min), limit);
        splitOffset = proposed - from;
        DrawFeedback(splitOffset);
    }
    TGraphicControl::MouseMove(shift, x, y);
}

void TSplitIt::MouseUp(TMouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    if (splitting) {
        DrawFeedback(splitOffset);
        // The split ends even when the handler fails, so the bar never stays
        // stuck swallowing presses.
        fire(OnSplit, this, position(*this) + splitOffset);
        splitting = false;
    }
    TGraphicControl::MouseUp(button, shift, x, y);
}

void TSplitIt::Paint()
{
    if (OnPaint)
        fire(OnPaint, this, Canvas());
    else
        Canvas()->fillRect(rect(), toQColor(Color()));
}
