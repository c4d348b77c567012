#pragma once
#include "platform/forms.h"
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <string>
#include <vector>

// The standard controls. Each is created with its parent and placed by the
// form with SetBounds or SetAlign.

enum TBevelCaption { taLeftJustify, taCenter };

class TPanel : public QFrame, public TControl {
    Q_OBJECT
public:
    explicit TPanel(QWidget *parent);
    void SetCaption(const std::string &caption, TBevelCaption alignment = taCenter);
    void SetBevelOuter(bool raised); // raised outer bevel (default) or none

protected:
    void resizeEvent(QResizeEvent *event) override; // aligns its children
    void paintEvent(QPaintEvent *event) override;

private:
    QString caption;
    TBevelCaption captionAlignment = taCenter;
};

// A flat tool button with a 17 x 16 glyph; OnClick.
class TSpeedButton : public QToolButton, public TControl {
    Q_OBJECT
public:
    explicit TSpeedButton(QWidget *parent);
    void SetGlyph(const QPixmap &glyph);
    TNotifyEvent OnClick;
};

class TEditFilter;

// A single-line edit. What the user types, pastes or drops must fit CP932:
// a text holding a character CP932 cannot store is refused with the error
// beep; a pasted text is taken up to its first line break.
class TEdit : public QLineEdit, public TControl {
    Q_OBJECT
public:
    explicit TEdit(QWidget *parent);
    std::string Text() const; // CP932
    void SetText(const std::string &text); // not bound by MaxLength, as the program's own
    // Typing and pasting stop at this many CP932 bytes; a paste that would
    // pass it inserts as much as fits without splitting a character. 0: no limit.
    void SetMaxLength(int bytes);
    void SetReadOnly(bool value);
    void SetTabStop(bool value); // without a tab stop the edit takes the focus only by a click

private:
    TEditFilter *filter;
};

class TLabel : public QLabel, public TControl {
    Q_OBJECT
public:
    explicit TLabel(QWidget *parent);
    void SetCaption(const std::string &caption); // "&" marks the access key
    void SetFocusControl(QWidget *control);      // where the access key moves the focus
    void SetAlignment(Qt::Alignment alignment);
};

enum TBevelShape { bsBox, bsBottomLine };
enum TBevelStyle { bsLowered, bsRaised };

class TBevel : public QFrame, public TControl {
    Q_OBJECT
public:
    explicit TBevel(QWidget *parent);
    void SetShape(TBevelShape shape, TBevelStyle style = bsLowered);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TBevelShape shape = bsBox;
    TBevelStyle style = bsLowered;
};

enum TAlignment { taLeft, taCentered };

// Panels side by side; the last always reaches the right edge.
class TStatusBar : public QWidget, public TControl {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget *parent);
    void AddPanel(int width, TAlignment alignment, const std::string &text);
    std::string PanelText(int index) const;
    void SetPanelText(int index, const std::string &text);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Panel {
        int width;
        TAlignment alignment;
        std::string text;
    };
    std::vector<Panel> panels;
};

class TImage : public QLabel, public TControl {
    Q_OBJECT
public:
    explicit TImage(QWidget *parent);
    void SetPicture(const QPixmap &picture);
};

// A list of CP932 items, each as high as the font's pixel size; one
// selected at a time. Typing moves to the next item that begins with the
// typed text, without regard to case or character width; typing on within
// the keyboard interval extends the text, and repeating one character steps
// through the items that begin with it.
class TListBox : public QListWidget, public TControl {
    Q_OBJECT
public:
    explicit TListBox(QWidget *parent);
    void Clear();
    void SetItems(std::vector<std::string> items); // in the given order
    int Count() const;
    std::string Item(int index) const;
    int ItemIndex() const; // -1 without a selection
    void SetItemIndex(int index); // -1 (or any index without an item) clears the selection
    TNotifyEvent OnDblClick;

protected:
    void keyboardSearch(const QString &search) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QString typed;            // the text typed so far
    QElapsedTimer sinceTyped; // since its last character
};

class TButton : public QPushButton, public TControl {
    Q_OBJECT
public:
    explicit TButton(QWidget *parent);
    void SetCaption(const std::string &caption);
    void SetDefault(bool value); // Enter presses it
    void SetCancel(bool value);  // Esc presses it
    void SetModalResult(int result); // a click ends the form's modal loop with it
    bool Cancel() const { return cancel; }
    TNotifyEvent OnClick;

private:
    bool cancel = false;
    int modalResult = mrNone; // set on the form before OnClick runs
};

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TCursor { crDefault = 0, crHSplit = -14, crVSplit = -15 };

// A control that paints itself and takes the mouse in its own client
// coordinates; the pointer stays captured while a button is held. A left
// press and release inside raise OnClick before MouseUp; a double click
// raises OnDblClick and then reports its press through MouseDown.
class TGraphicControl : public QWidget, public TControl {
    Q_OBJECT
public:
    explicit TGraphicControl(QWidget *parent);
    TCursor Cursor() const { return cursorKind; }
    void SetCursor(TCursor value);
    QPainter *Canvas() const { return canvas; } // valid during Paint

    std::function<void(TObject *, TMouseButton, Qt::KeyboardModifiers, int, int)> OnMouseDown;
    std::function<void(TObject *, Qt::KeyboardModifiers, int, int)> OnMouseMove;
    std::function<void(TObject *, TMouseButton, Qt::KeyboardModifiers, int, int)> OnMouseUp;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

protected:
    virtual void MouseDown(TMouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    virtual void MouseMove(Qt::KeyboardModifiers shift, int x, int y);
    virtual void MouseUp(TMouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    virtual void Paint() {}

    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    TCursor cursorKind = crDefault;
    QPainter *canvas = nullptr;
    bool clicked = false; // a left press waits for its release
};
