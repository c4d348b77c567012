#pragma once
#include "platform/controls.h"
#include <functional>

enum TSplitDirection : unsigned char { sdVertical = 0, sdHorizontal = 1 };
using TSplitEvent = std::function<void(TObject *Sender, int NewPos)>;
using TPaintEvent = std::function<void(TObject *Sender, QPainter *Canvas)>;

// A bar dragged to move the border between two neighbouring controls. While
// dragging it shows an inverted band where it would go; on release it
// reports the position through OnSplit and leaves moving to its owner.
class TSplitIt : public TGraphicControl {
    Q_OBJECT
public:
    explicit TSplitIt(QWidget *owner);

    int Min = 0;
    int Max = 0; // 0: only the parent's client extent limits the bar
    TSplitDirection SplitDirection() const { return splitDirection; }
    void SetSplitDirection(TSplitDirection value);
    TPaintEvent OnPaint;
    TSplitEvent OnSplit;
    TNotifyEvent OnStartSplit;

protected:
    void MouseDown(TMouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseMove(Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(TMouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
    void Paint() override;

private:
    void DrawFeedback(int offset);
    TSplitDirection splitDirection = sdVertical;
    bool splitting = false;
    int splitOffset = 0;
};
