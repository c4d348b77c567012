#include "platform/forms.h"

#include "platform/application.h"
#include "platform/controls.h"
#include "platform/text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPalette>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <string_view>

namespace {

int paintDepth = 0;
int nextCreationOrder = 0;

void showError(const std::string &message)
{
    Application->ShowException(Exception(message));
}

// The frame of the normal placement: a maximized window keeps it aside, a
// minimized one keeps its geometry.
QRect placement(const QWidget &window)
{
    return window.isMaximized() || window.isFullScreen() ? window.normalGeometry()
                                                         : window.geometry();
}

// A place or size as Qt can hold it: no widget is larger than
// QWIDGETSIZE_MAX, so nothing farther out can show. Bounding first keeps the
// sums of the geometry in range for any number, a settings file's included.
int bounded(int n)
{
    return std::clamp(n, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

Qt::WindowFlags flagsFor(TFormBorderStyle style)
{
    const Qt::WindowFlags common = Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    return style == bsDialog ? Qt::Dialog | common
                             : Qt::Window | common | Qt::WindowMinimizeButtonHint;
}

// The button of the form that a key presses: one that could take the focus.
template <class Test> TButton *formButton(const TForm &form, Test test)
{
    for (TButton *button : form.findChildren<TButton *>())
        if (button->window() == &form && button->isVisibleTo(&form) && button->isEnabled()
            && test(*button))
            return button;
    return nullptr;
}

}

QColor toQColor(TColor color)
{
    const QPalette palette = QGuiApplication::palette();
    switch (color) {
    case clBtnFace:
        return palette.color(QPalette::Button);
    case clWindow:
        return palette.color(QPalette::Base);
    case clWindowText:
        return palette.color(QPalette::WindowText);
    case clBlack:
        return Qt::black;
    case clActiveBorder:
        return QColor(0xB4, 0xB4, 0xB4);
    }
    return {};
}

QFont fontNamed(const char *designName, int pixelHeight)
{
    const std::string_view name(designName);
    QFont font;
    if (name == "ＭＳ ゴシック") {
        font.setFamily(QStringLiteral("IPAGothic"));
        font.setStyleHint(QFont::TypeWriter);
    } else if (name == "ＭＳ Ｐゴシック" || name == "ＭＳ ＰＲゴシック") {
        font.setFamily(QStringLiteral("IPAPGothic"));
        font.setStyleHint(QFont::SansSerif);
    } else {
        font.setFamily(QString::fromUtf8(name.data(), qsizetype(name.size())));
    }
    font.setPixelSize(pixelHeight);
    return font;
}

void fire(const std::function<void()> &handler)
{
    std::string message;
    try {
        handler();
        return;
    } catch (const std::exception &error) {
        message = error.what();
    } catch (...) {
        message = cp932::fromUtf8("予期しないエラーが発生しました");
    }
    if (paintDepth > 0)
        QMetaObject::invokeMethod(qApp, [message] { showError(message); }, Qt::QueuedConnection);
    else
        showError(message);
}

TPaintScope::TPaintScope() { ++paintDepth; }
TPaintScope::~TPaintScope() { --paintDepth; }

TControl::TControl(QWidget *self)
    : self(self)
    , creationOrder(nextCreationOrder++)
{
}

int TControl::Left() const { return self->x(); }
int TControl::Top() const { return self->y(); }
int TControl::Width() const { return self->width(); }
int TControl::Height() const { return self->height(); }

void TControl::SetBounds(int left, int top, int width, int height)
{
    self->setGeometry(bounded(left), bounded(top), std::max(0, bounded(width)),
                      std::max(0, bounded(height)));
    if (align != alNone && self->parentWidget())
        AlignControls(self->parentWidget());
    // Its own aligned children follow at once, shown or not.
    AlignControls(self);
}

void TControl::SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }
void TControl::SetTop(int top) { SetBounds(Left(), top, Width(), Height()); }
void TControl::SetWidth(int width) { SetBounds(Left(), Top(), width, Height()); }
void TControl::SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }

void TControl::SetAlign(TAlign value)
{
    align = value;
    if (self->parentWidget())
        AlignControls(self->parentWidget());
}

bool TControl::Enabled() const
{
    // The control's own setting, whatever its parents'.
    return !self->testAttribute(Qt::WA_ForceDisabled);
}

void TControl::SetEnabled(bool value) { self->setEnabled(value); }

void TControl::SetColor(TColor value)
{
    color = value;
    QPalette palette = self->palette();
    palette.setColor(QPalette::Window, toQColor(value));
    palette.setColor(QPalette::Base, toQColor(value));
    self->setPalette(palette);
}

void TControl::SetHint(const std::string &hint) { self->setToolTip(cp932::toUnicode(hint)); }
void TControl::SetFont(const QFont &font) { self->setFont(font); }
void TControl::Repaint() { self->repaint(); }

void AlignControls(QWidget *parent)
{
    std::vector<TControl *> aligned;
    for (QObject *child : parent->children()) {
        auto *control = dynamic_cast<TControl *>(child);
        if (control && control->align != alNone && !control->self->isWindow()
            && !control->self->isHidden())
            aligned.push_back(control);
    }
    if (aligned.empty())
        return;
    std::ranges::sort(aligned, {}, &TControl::creationOrder);

    const QRect area = parent->contentsRect();
    int top = area.top();
    int bottom = area.top() + area.height();
    const auto place = [&](TControl *control, int y, int height) {
        control->self->setGeometry(area.left(), y, area.width(), std::max(0, height));
        AlignControls(control->self);
    };
    for (TControl *control : aligned)
        if (control->align == alTop) {
            const int height = control->self->height();
            place(control, top, height);
            top += height;
        }
    for (TControl *control : aligned)
        if (control->align == alBottom) {
            const int height = control->self->height();
            bottom -= height;
            place(control, bottom, height);
        }
    for (TControl *control : aligned)
        if (control->align == alClient)
            place(control, top, bottom - top);
}

TForm::TForm(QWidget *owner)
    : QWidget(owner, flagsFor(bsSizeable))
    , TControl(this)
{
}

void TForm::SetCaption(const std::string &caption) { setWindowTitle(cp932::toUnicode(caption)); }
std::string TForm::Caption() const { return cp932::fromUnicode(windowTitle()); }

void TForm::SetClientSize(int width, int height)
{
    SetBounds(Left(), Top(), width + FrameLeft + FrameRight, height + FrameTop + FrameBottom);
}

void TForm::SetBorderStyle(TFormBorderStyle style)
{
    borderStyle = style;
    setWindowFlags(flagsFor(style));
    SetBounds(Left(), Top(), Width(), Height());
}

void TForm::SetPosition(TPosition value) { position = value; }
bool TForm::Minimized() const { return isMinimized(); }

int TForm::Left() const { return placement(*this).x() - FrameLeft; }
int TForm::Top() const { return placement(*this).y() - FrameTop; }
int TForm::Width() const { return placement(*this).width() + FrameLeft + FrameRight; }
int TForm::Height() const { return placement(*this).height() + FrameTop + FrameBottom; }

void TForm::SetBounds(int left, int top, int width, int height)
{
    const QSize frame(FrameLeft + FrameRight, FrameTop + FrameBottom);
    QSize client = QSize(bounded(width), bounded(height)) - frame;
    if (borderStyle == bsDialog) {
        client = client.expandedTo(QSize(0, 0));
        setFixedSize(client);
    } else {
        TMinMaxInfo info;
        info.ptMinTrackSize = {frame.width(), frame.height()};
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            const QSize most = screen->availableGeometry().size() + frame;
            info.ptMaxTrackSize = {most.width(), most.height()};
        }
        WMGetMinMaxInfo(info);
        // As the window system does, the least size wins over the greatest.
        const QSize least = (QSize(info.ptMinTrackSize.x, info.ptMinTrackSize.y) - frame)
                                .expandedTo(QSize(0, 0));
        const QSize most = (QSize(info.ptMaxTrackSize.x, info.ptMaxTrackSize.y) - frame)
                               .expandedTo(least);
        setMinimumSize(least);
        setMaximumSize(most);
        client = client.boundedTo(most).expandedTo(least);
    }
    setGeometry(QRect(QPoint(bounded(left) + FrameLeft, bounded(top) + FrameTop), client));
    AlignControls(this);
}

void TForm::WMGetMinMaxInfo(TMinMaxInfo &) {}

void TForm::setVisible(bool visible)
{
    if (visible && isHidden()) {
        SetBounds(Left(), Top(), Width(), Height());
        const QScreen *screen = QGuiApplication::primaryScreen();
        if (position == poScreenCenter && screen) {
            const QRect area = screen->availableGeometry();
            SetBounds(area.x() + (area.width() - Width()) / 2,
                      area.y() + (area.height() - Height()) / 2, Width(), Height());
        }
    }
    QWidget::setVisible(visible);
}

void TForm::Show()
{
    // A window already shown comes to the front; a new one appears there.
    if (isVisible())
        raise();
    show();
    activateWindow();
}

int TForm::ShowModal()
{
    modalResult = mrNone;
    setWindowModality(Qt::ApplicationModal);
    // A dialog stays above the window it was opened from.
    QWidget *opener = QApplication::activeWindow();
    if (!parentWidget() && opener && opener != this) {
        winId();
        windowHandle()->setTransientParent(opener->windowHandle());
    }
    Show();
    if (modalResult == mrNone) {
        TestSeam &seam = testSeam();
        if (seam.active) {
            if (seam.onModal)
                seam.onModal(*this);
            QCoreApplication::processEvents();
        } else {
            QEventLoop loop;
            modalLoop = &loop;
            loop.exec(QEventLoop::DialogExec);
            modalLoop = nullptr;
        }
    }
    // Ended by the application quitting, or by a test that set nothing.
    if (modalResult == mrNone)
        modalResult = mrCancel;
    hide();
    setWindowModality(Qt::NonModal);
    return modalResult;
}

void TForm::SetModalResult(int result)
{
    modalResult = result;
    if (modalLoop && result != mrNone)
        modalLoop->quit();
}

bool TForm::CloseQuery()
{
    bool canClose = true;
    fire(OnCloseQuery, this, canClose);
    return canClose;
}

bool TForm::Close() { return close(); }

void TForm::DoCreate() { fire(OnCreate, this); }

void TForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Restoring a minimized window sends a spontaneous show: not a new show.
    if (!event->spontaneous())
        fire(OnShow, this);
}

void TForm::closeEvent(QCloseEvent *event)
{
    if (!CloseQuery()) {
        event->ignore();
        return;
    }
    if (isModal() && modalResult == mrNone)
        SetModalResult(mrCancel);
    event->accept();
    // Closing the main form ends the program's loop, whatever else is open.
    if (Application->MainForm() == this)
        Application->Terminate();
}

void TForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    AlignControls(this);
    fire(OnResize, this);
}

void TForm::keyPressEvent(QKeyEvent *event)
{
    TButton *target = nullptr;
    if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        switch (event->key()) {
        case Qt::Key_Escape:
            target = formButton(*this, [](const TButton &button) { return button.Cancel(); });
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // A focused button takes Enter itself; else the default button does.
            target = formButton(*this, [this](const TButton &button) {
                return &button == focusWidget();
            });
            if (!target)
                target = formButton(*this, [](const TButton &button) { return button.isDefault(); });
            break;
        default:
            break;
        }
    }
    if (target)
        target->click();
    else
        QWidget::keyPressEvent(event);
}
