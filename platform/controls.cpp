#include "platform/controls.h"

#include "platform/application.h"
#include "platform/text.h"

#include <QApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QValidator>
#include <qdrawutil.h>
#include <optional>

namespace {

// Windows' list box makes every item as high as its font.
class FontHeightDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const int height = option.font.pixelSize() > 0 ? option.font.pixelSize()
                                                       : option.fontMetrics.height();
        return {QStyledItemDelegate::sizeHint(option, index).width(), height};
    }
};

std::optional<TMouseButton> mouseButton(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return mbLeft;
    case Qt::RightButton:
        return mbRight;
    case Qt::MiddleButton:
        return mbMiddle;
    default:
        return std::nullopt;
    }
}

// How many characters of the head of text fit in budget CP932 bytes,
// never splitting a surrogate pair.
qsizetype fitting(QStringView text, qsizetype budget)
{
    qsizetype used = 0;
    qsizetype count = 0;
    while (count < text.size()) {
        const qsizetype step = text[count].isHighSurrogate() && count + 1 < text.size()
                && text[count + 1].isLowSurrogate() ? 2 : 1;
        used += qsizetype(cp932::byteWidth(text.mid(count, step)));
        if (used > budget)
            break;
        count += step;
    }
    return count;
}

// A text for comparing as a user reads it: without case or width.
QString searchKey(const QString &text)
{
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

}

// Keeps an edit's text storable and within its byte limit whatever way the
// text comes in: typing, input method, paste, drop. Qt hands it the whole new
// text; what the change inserted is what lies between the parts it shares
// with the text before, ending at the caret.
class TEditFilter : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString &input, int &pos) const override
    {
        if (program || input == previous)
            return Acceptable;
        qsizetype tail = 0;
        const qsizetype tailMost = std::min(previous.size(), input.size() - pos);
        while (tail < tailMost && input[input.size() - 1 - tail] == previous[previous.size() - 1 - tail])
            ++tail;
        qsizetype head = 0;
        const qsizetype headMost = std::min(previous.size(), input.size()) - tail;
        while (head < headMost && input[head] == previous[head])
            ++head;
        QString inserted = input.mid(head, input.size() - tail - head);

        if (!cp932::canEncode(inserted)) {
            MessageBeep(MB_ICONHAND);
            return Invalid;
        }
        // A single-line edit takes a pasted text up to its first line break,
        // as Windows' edits do.
        qsizetype kept = inserted.size();
        if (const auto end = std::ranges::find_if(inserted, [](QChar c) {
                return c == u'\r' || c == u'\n' || c == u'\0';
            });
            end != inserted.end())
            kept = end - inserted.begin();
        if (maxBytes > 0) {
            const auto around = qsizetype(cp932::byteWidth(QStringView(input).first(head))
                                          + cp932::byteWidth(QStringView(input).last(tail)));
            kept = std::min(kept, fitting(QStringView(inserted).first(kept), maxBytes - around));
        }
        if (kept < inserted.size()) {
            input = input.first(head) + inserted.first(kept) + input.last(tail);
            pos = int(head + kept);
        }
        return Acceptable;
    }

    QString previous;     // the text before the change
    int maxBytes = 0;     // 0: no limit
    bool program = false; // the program's own SetText is taken as it is
};

TPanel::TPanel(QWidget *parent)
    : QFrame(parent)
    , TControl(this)
{
    setAutoFillBackground(true);
    SetBevelOuter(true);
}

void TPanel::SetCaption(const std::string &text, TBevelCaption alignment)
{
    caption = cp932::toUnicode(text);
    captionAlignment = alignment;
    update();
}

void TPanel::SetBevelOuter(bool raised)
{
    setFrameStyle(raised ? QFrame::Panel | QFrame::Raised : QFrame::NoFrame);
    setLineWidth(1);
    AlignControls(this);
}

void TPanel::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    AlignControls(this);
}

void TPanel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (caption.isEmpty())
        return;
    QPainter painter(this);
    const Qt::Alignment horizontal = captionAlignment == taLeftJustify ? Qt::AlignLeft : Qt::AlignHCenter;
    style()->drawItemText(&painter, contentsRect(), int(horizontal | Qt::AlignVCenter | Qt::TextSingleLine),
                          palette(), isEnabled(), caption, QPalette::WindowText);
}

TSpeedButton::TSpeedButton(QWidget *parent)
    : QToolButton(parent)
    , TControl(this)
{
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setIconSize(QSize(17, 16));
    connect(this, &QToolButton::clicked, this, [this] { fire(OnClick, this); });
}

// The icon's disabled mode is the greyed glyph.
void TSpeedButton::SetGlyph(const QPixmap &glyph) { setIcon(QIcon(glyph)); }

TEdit::TEdit(QWidget *parent)
    : QLineEdit(parent)
    , TControl(this)
    , filter(new TEditFilter(this))
{
    setValidator(filter);
    SetColor(clWindow);
    connect(this, &QLineEdit::textChanged, this, [this](const QString &text) { filter->previous = text; });
}

std::string TEdit::Text() const { return cp932::fromUnicode(text()); }

void TEdit::SetText(const std::string &value)
{
    filter->program = true;
    setText(cp932::toUnicode(value));
    filter->program = false;
}

void TEdit::SetMaxLength(int bytes) { filter->maxBytes = bytes; }
void TEdit::SetReadOnly(bool value) { setReadOnly(value); }
void TEdit::SetTabStop(bool value) { setFocusPolicy(value ? Qt::StrongFocus : Qt::ClickFocus); }

TLabel::TLabel(QWidget *parent)
    : QLabel(parent)
    , TControl(this)
{
    setTextFormat(Qt::PlainText);
}

void TLabel::SetCaption(const std::string &caption) { setText(cp932::toUnicode(caption)); }
// Qt's buddy gives the focus on Alt+letter, and a disabled buddy takes none.
void TLabel::SetFocusControl(QWidget *control) { setBuddy(control); }
void TLabel::SetAlignment(Qt::Alignment alignment) { setAlignment(alignment); }

TBevel::TBevel(QWidget *parent)
    : QFrame(parent)
    , TControl(this)
{
    setFrameStyle(QFrame::NoFrame);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TBevel::SetShape(TBevelShape value, TBevelStyle bevelStyle)
{
    shape = value;
    style = bevelStyle;
    update();
}

void TBevel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    // A lowered bevel is dark above and left, light below and right.
    const QColor &first = style == bsLowered ? shadow : light;
    const QColor &second = style == bsLowered ? light : shadow;
    const int right = width() - 1;
    const int bottom = height() - 1;
    if (shape == bsBottomLine) {
        painter.setPen(first);
        painter.drawLine(0, bottom - 1, right, bottom - 1);
        painter.setPen(second);
        painter.drawLine(0, bottom, right, bottom);
        return;
    }
    painter.setPen(first);
    painter.drawLine(0, 0, right, 0);
    painter.drawLine(0, 0, 0, bottom);
    painter.setPen(second);
    painter.drawLine(right, 0, right, bottom);
    painter.drawLine(0, bottom, right, bottom);
}

TStatusBar::TStatusBar(QWidget *parent)
    : QWidget(parent)
    , TControl(this)
{
    setAutoFillBackground(true);
}

void TStatusBar::AddPanel(int width, TAlignment alignment, const std::string &text)
{
    panels.push_back({width, alignment, text});
    update();
}

std::string TStatusBar::PanelText(int index) const
{
    return index >= 0 && std::size_t(index) < panels.size() ? panels[index].text : std::string();
}

void TStatusBar::SetPanelText(int index, const std::string &text)
{
    if (index < 0 || std::size_t(index) >= panels.size())
        return;
    panels[index].text = text;
    update();
}

void TStatusBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    int left = 0;
    for (std::size_t i = 0; i < panels.size(); ++i) {
        const Panel &panel = panels[i];
        // The last panel reaches the right edge whatever its width; the
        // others keep a gap of two pixels to the next.
        const bool last = i + 1 == panels.size();
        const QRect cell(left, 0, last ? width() - left : panel.width - 2, height());
        left += panel.width;
        if (cell.width() <= 0)
            continue;
        qDrawShadePanel(&painter, cell, palette(), true, 1);
        const Qt::Alignment horizontal = panel.alignment == taCentered ? Qt::AlignHCenter : Qt::AlignLeft;
        style()->drawItemText(&painter, cell.adjusted(2, 1, -2, -1),
                              int(horizontal | Qt::AlignVCenter | Qt::TextSingleLine), palette(),
                              isEnabled(), cp932::toUnicode(panel.text), QPalette::WindowText);
    }
}

TImage::TImage(QWidget *parent)
    : QLabel(parent)
    , TControl(this)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TImage::SetPicture(const QPixmap &picture) { setPixmap(picture); }

TListBox::TListBox(QWidget *parent)
    : QListWidget(parent)
    , TControl(this)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setItemDelegate(new FontHeightDelegate(this));
    SetColor(clWindow);
}

void TListBox::Clear() { clear(); }

void TListBox::SetItems(std::vector<std::string> items)
{
    QStringList texts;
    texts.reserve(qsizetype(items.size()));
    for (const std::string &item : items)
        texts.append(cp932::toUnicode(item));
    clear();
    addItems(texts);
}

int TListBox::Count() const { return count(); }

std::string TListBox::Item(int index) const
{
    const QListWidgetItem *found = item(index);
    return found ? cp932::fromUnicode(found->text()) : std::string();
}

int TListBox::ItemIndex() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TListBox::SetItemIndex(int index)
{
    if (index >= 0 && index < count()) {
        setCurrentRow(index);
    } else {
        clearSelection();
        setCurrentRow(-1);
    }
}

void TListBox::keyboardSearch(const QString &search)
{
    if (count() == 0 || search.isEmpty())
        return;
    if (!sinceTyped.isValid() || sinceTyped.elapsed() >= QApplication::keyboardInputInterval())
        typed.clear();
    sinceTyped.start();
    typed += search;

    // One character, or one repeated, steps to the next item beginning with
    // it; a longer text looks from the current item on.
    const bool stepping = typed.count(typed.front()) == typed.size();
    const QString wanted = searchKey(stepping ? QString(typed.front()) : typed);
    const int current = std::max(currentRow(), 0);
    const int first = stepping && currentRow() >= 0 ? current + 1 : current;
    for (int i = 0; i < count(); ++i) {
        const int row = (first + i) % count();
        if (searchKey(item(row)->text()).startsWith(wanted)) {
            setCurrentRow(row);
            return;
        }
    }
}

void TListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        fire(OnDblClick, this);
}

TButton::TButton(QWidget *parent)
    : QPushButton(parent)
    , TControl(this)
{
    connect(this, &QPushButton::clicked, this, [this] {
        if (modalResult != mrNone)
            if (auto *form = dynamic_cast<TForm *>(window()))
                form->SetModalResult(modalResult);
        fire(OnClick, this);
    });
}

void TButton::SetCaption(const std::string &caption) { setText(cp932::toUnicode(caption)); }
void TButton::SetDefault(bool value) { setDefault(value); }
void TButton::SetCancel(bool value) { cancel = value; }
void TButton::SetModalResult(int result) { modalResult = result; }

TGraphicControl::TGraphicControl(QWidget *parent)
    : QWidget(parent)
    , TControl(this)
{
    // Moves come without a button held too, as Windows sends them.
    setMouseTracking(true);
}

void TGraphicControl::SetCursor(TCursor value)
{
    cursorKind = value;
    switch (value) {
    case crVSplit:
        setCursor(Qt::SplitVCursor);
        break;
    case crHSplit:
        setCursor(Qt::SplitHCursor);
        break;
    case crDefault:
        unsetCursor();
        break;
    }
}

void TGraphicControl::MouseDown(TMouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TGraphicControl::MouseMove(Qt::KeyboardModifiers shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TGraphicControl::MouseUp(TMouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TGraphicControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const TPaintScope scope;
    canvas = &painter;
    fire([this] { Paint(); });
    canvas = nullptr;
}

void TGraphicControl::mousePressEvent(QMouseEvent *event)
{
    const auto button = mouseButton(event->button());
    if (!button) {
        event->ignore();
        return;
    }
    if (*button == mbLeft)
        clicked = true;
    const QPoint at = event->position().toPoint();
    fire([&] { MouseDown(*button, event->modifiers(), at.x(), at.y()); });
}

void TGraphicControl::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    fire([&] { MouseMove(event->modifiers(), at.x(), at.y()); });
}

void TGraphicControl::mouseReleaseEvent(QMouseEvent *event)
{
    const auto button = mouseButton(event->button());
    if (!button) {
        event->ignore();
        return;
    }
    const QPoint at = event->position().toPoint();
    if (*button == mbLeft && clicked) {
        clicked = false;
        if (rect().contains(at))
            fire(OnClick, this);
    }
    fire([&] { MouseUp(*button, event->modifiers(), at.x(), at.y()); });
}

void TGraphicControl::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        fire(OnDblClick, this);
    mousePressEvent(event);
}
