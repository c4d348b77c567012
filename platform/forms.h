#pragma once
#include "platform/error.h"
#include <QColor>
#include <QFont>
#include <QWidget>
#include <functional>
#include <string>

class QEventLoop;

// The form-and-control classes the windows are written against, thin over Qt
// Widgets. Each control is the Qt widget itself with the few properties the
// forms use; texts cross this boundary as CP932 bytes.

class TObject {
public:
    virtual ~TObject() = default;
};
using TNotifyEvent = std::function<void(TObject *Sender)>;

enum TAlign { alNone, alTop, alBottom, alClient };

enum TColor { clBtnFace, clWindow, clWindowText, clBlack, clActiveBorder };
QColor toQColor(TColor color);

// A font by the design's name ("ＭＳ ゴシック", "ＭＳ Ｐゴシック", "ＭＳ ＰＲゴシック",
// UTF-8), substituted by its metric-compatible IPA font, at a pixel height.
QFont fontNamed(const char *designName, int pixelHeight);

// Runs a handler; an exception raised in it ends the handler and shows the
// application's error box. Nothing crosses Qt's event loop.
void fire(const std::function<void()> &handler);
// Raises an event (a std::function, possibly unassigned) with its arguments.
template <class F, class... A>
    requires(sizeof...(A) > 0)
void fire(const F &event, A &&...args)
{
    if (event)
        fire(std::function<void()>([&] { event(std::forward<A>(args)...); }));
}

// Marks a paint in progress: an error box raised by a handler meanwhile is
// shown once the paint is over, since a box's own loop must not run inside a
// paint event.
class TPaintScope {
public:
    TPaintScope();
    ~TPaintScope();
    TPaintScope(const TPaintScope &) = delete;
    TPaintScope &operator=(const TPaintScope &) = delete;
};

// What every control has: geometry relative to its parent, alignment,
// enabled state, colour and tool tip. Mixed into each Qt widget class below.
class TControl : public TObject {
public:
    explicit TControl(QWidget *self);

    virtual int Left() const;
    virtual int Top() const;
    virtual int Width() const;
    virtual int Height() const;
    virtual void SetBounds(int left, int top, int width, int height);
    void SetLeft(int left);
    void SetTop(int top);
    void SetWidth(int width);
    void SetHeight(int height);

    TAlign Align() const { return align; }
    void SetAlign(TAlign value);

    bool Enabled() const;
    void SetEnabled(bool value);
    TColor Color() const { return color; }
    void SetColor(TColor value);
    void SetHint(const std::string &hint); // CP932; shown as tool tip
    void SetFont(const QFont &font);
    void Repaint();

    QWidget *widget() const { return self; }

private:
    friend void AlignControls(QWidget *parent);
    QWidget *self;
    TAlign align = alNone;
    TColor color = clBtnFace;
    int creationOrder; // aligned controls stack in this order
};

// Lays out the aligned children of parent's contents in creation order:
// alTop from the top down, alBottom from the bottom up, alClient the rest;
// hidden children take no room. Children that hold aligned controls of their
// own are laid out in turn.
void AlignControls(QWidget *parent);

struct TPoint {
    int x = 0;
    int y = 0;
};
struct TMinMaxInfo {
    TPoint ptMaxTrackSize;
    TPoint ptMinTrackSize;
};

enum TFormBorderStyle { bsSizeable, bsDialog };
enum TPosition { poDesigned, poScreenCenter };
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };

// A window. Left, Top, Width and Height are its outer frame with nominal
// frame sizes (4 pixels left, right and bottom, 19 top); the Qt widget is the
// client area. A sizeable form has a system menu and a minimize button but no
// maximize button; a dialog has a fixed size and neither.
class TForm : public QWidget, public TControl {
    Q_OBJECT
public:
    static constexpr int FrameLeft = 4, FrameTop = 19, FrameRight = 4, FrameBottom = 4;

    explicit TForm(QWidget *owner = nullptr);

    void SetCaption(const std::string &caption); // CP932
    std::string Caption() const;
    void SetClientSize(int width, int height);
    void SetBorderStyle(TFormBorderStyle style);
    void SetPosition(TPosition position);
    bool Minimized() const;

    // The outer frame of the normal placement (also while minimized); a
    // change is bound by the size limits.
    int Left() const override;
    int Top() const override;
    int Width() const override;
    int Height() const override;
    void SetBounds(int left, int top, int width, int height) override;

    void Show();
    // Application-modal: a nested loop until ModalResult is set or the close
    // box is used (mrCancel). Enter presses the focused or the default
    // button, Esc the cancel button.
    int ShowModal();
    int ModalResult() const { return modalResult; }
    void SetModalResult(int result);
    bool CloseQuery(); // asks OnCloseQuery; true when the form may close
    bool Close();      // asks OnCloseQuery; true when the form closed

    TNotifyEvent OnCreate; // the caller runs it once the form is built: DoCreate()
    TNotifyEvent OnShow;   // each time the form goes from hidden to shown, before it appears
    std::function<void(TObject *Sender, bool &CanClose)> OnCloseQuery;
    TNotifyEvent OnResize; // after every size change; while hidden, when shown

    void DoCreate();

    void setVisible(bool visible) override; // binds the size limits and places the form

protected:
    // The size-limit query: called before every size change and before the
    // window is shown, with the proposal filled in (least size: the frame;
    // greatest: the primary screen's available area plus the frame); a form
    // changes what it needs to bind its size.
    virtual void WMGetMinMaxInfo(TMinMaxInfo &info);

    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    TFormBorderStyle borderStyle = bsSizeable;
    int modalResult = mrNone;
    TPosition position = poDesigned;
    QEventLoop *modalLoop = nullptr;
};
