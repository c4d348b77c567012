#include "platform/richedit.h"

#include "platform/application.h"
#include "platform/text.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <utility>

namespace {

constexpr int LineBreakBytes = 2; // CR LF
constexpr int UnknownWidth = -1;  // a block's user state before its width is known

// One character of a paragraph: the UTF-16 units it takes in the widget and
// the CP932 bytes it takes in the program's text.
struct Step {
    qsizetype units;
    int bytes;
};

bool isEscapedByte(QChar c)
{
    return (c.unicode() & 0xFF00) == 0xDC00;
}

Step stepAt(QStringView text, qsizetype i)
{
    // A double-byte code CP932 leaves unassigned arrives as two escaped bytes;
    // it stays one character, as every reader of the file pairs it.
    if (i + 1 < text.size() && isEscapedByte(text[i]) && isEscapedByte(text[i + 1])) {
        const char pair[] = {char(text[i].unicode() & 0xFF), char(text[i + 1].unicode() & 0xFF)};
        if (cp932::charLength(std::string_view(pair, 2), 0) == 2)
            return {2, 2};
    }
    char32_t ch = text[i].unicode();
    qsizetype units = 1;
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        ch = QChar::surrogateToUcs4(text[i], text[i + 1]);
        units = 2;
    }
    // The text never holds a character CP932 cannot store; were one put in
    // behind the control's back, it would be written as the one byte "?".
    return {units, std::max(1, int(cp932::byteWidth(ch)))};
}

int bytesOf(QStringView text)
{
    int bytes = 0;
    for (qsizetype i = 0; i < text.size();) {
        const Step step = stepAt(text, i);
        bytes += step.bytes;
        i += step.units;
    }
    return bytes;
}

// Every CR LF, LF or CR becomes one paragraph break.
QString withParagraphBreaks(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
}

QString fromProgram(const std::string &text)
{
    return withParagraphBreaks(cp932::toUnicode(text));
}

} // namespace

TRichEdit::TRichEdit(QWidget *parent) : QTextEdit(parent), TControl(this)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves the focus on, as in a dialog; it never types a tab.
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int from, int, int added) { contentsChanged(from, added); });
    connect(this, &QTextEdit::cursorPositionChanged, this, &TRichEdit::qtSelectionChanged);
    connect(this, &QTextEdit::selectionChanged, this, &TRichEdit::qtSelectionChanged);
    connect(this, &QTextEdit::textChanged, this, &TRichEdit::qtSelectionChanged);
}

// --- Positions --------------------------------------------------------------
// Each paragraph keeps its width in CP932 bytes (without its break) in its
// user state until its text changes, so a position costs one pass over the
// paragraphs before it and over its own paragraph, not over the whole text.

int TRichEdit::blockBytes(const QTextBlock &block) const
{
    int bytes = block.userState();
    if (bytes == UnknownWidth) {
        bytes = bytesOf(block.text());
        QTextBlock(block).setUserState(bytes);
    }
    return bytes;
}

void TRichEdit::contentsChanged(int from, int added)
{
    for (QTextBlock block = document()->findBlock(from);
         block.isValid() && block.position() <= from + added; block = block.next())
        block.setUserState(UnknownWidth);
    if (!textUnchanged) {
        modified = true;
        mustReport = true;
    }
}

int TRichEdit::bytesBefore(int position) const
{
    const QTextBlock block = document()->findBlock(position);
    int bytes = 0;
    for (QTextBlock b = document()->begin(); b != block; b = b.next())
        bytes += blockBytes(b) + LineBreakBytes;
    return bytes + bytesOf(QStringView(block.text()).left(position - block.position()));
}

// The widget's position of a byte position. Inside a character or a break it
// is the character's start, or with roundUp its end.
int TRichEdit::positionOf(int bytes, bool roundUp) const
{
    QTextBlock block = document()->begin();
    int offset = 0;
    for (; block.next().isValid(); block = block.next()) {
        const int end = offset + blockBytes(block);
        if (bytes <= end)
            break;
        if (bytes < end + LineBreakBytes)
            return roundUp ? block.next().position() : block.position() + block.length() - 1;
        offset = end + LineBreakBytes;
    }
    const QString text = block.text();
    qsizetype i = 0;
    while (i < text.size() && offset < bytes) {
        const Step step = stepAt(text, i);
        if (offset + step.bytes > bytes)
            return block.position() + int(roundUp ? i + step.units : i);
        offset += step.bytes;
        i += step.units;
    }
    return block.position() + int(i);
}

int TRichEdit::SelStart() const
{
    return bytesBefore(textCursor().selectionStart());
}

int TRichEdit::SelLength() const
{
    const QTextCursor cursor = textCursor();
    return bytesBefore(cursor.selectionEnd()) - bytesBefore(cursor.selectionStart());
}

std::string TRichEdit::SelText() const
{
    QString text = textCursor().selectedText();
    return cp932::fromUnicode(text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n")));
}

int TRichEdit::LineFromChar(int position) const
{
    return document()->findBlock(positionOf(position, false)).blockNumber();
}

int TRichEdit::LineIndex(int line) const
{
    const QTextBlock block = document()->findBlockByNumber(line);
    return block.isValid() ? bytesBefore(block.position()) : -1;
}

// --- Lines and text ---------------------------------------------------------

std::string TRichEdit::Text() const
{
    QStringList lines;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        lines += block.text();
    return cp932::fromUnicode(lines.join(QStringLiteral("\r\n")));
}

int TRichEdit::LineCount() const
{
    const int count = document()->blockCount();
    return document()->lastBlock().length() == 1 ? count - 1 : count;
}

std::string TRichEdit::Line(int index) const
{
    const QTextBlock block = document()->findBlockByNumber(index);
    return block.isValid() ? cp932::fromUnicode(block.text()) : std::string();
}

// --- The program's changes --------------------------------------------------
// Qt's own signals are ignored while the program changes the widget; the
// change is reported once, when it is complete, so a handler that changes the
// selection again always finds the widget in a settled state.

template <class F> void TRichEdit::changeSelection(F change)
{
    {
        QScopedValueRollback guard(programChanging, true);
        QTextCursor cursor = textCursor();
        change(cursor);
        setTextCursor(cursor);
    }
    selectionMaybeChanged();
}

// Undoing would replay the user's edits over text the program has replaced
// since, so the program's own changes of the contents end the undo history.
template <class F> void TRichEdit::changeContents(F change)
{
    changeSelection([&](QTextCursor &cursor) {
        document()->setUndoRedoEnabled(false);
        change(cursor);
        document()->setUndoRedoEnabled(true);
    });
}

void TRichEdit::SetSelStart(int position)
{
    changeSelection([&](QTextCursor &cursor) { cursor.setPosition(positionOf(position, false)); });
}

void TRichEdit::SetSelLength(int length)
{
    changeSelection([&](QTextCursor &cursor) {
        const int start = cursor.selectionStart();
        cursor.setPosition(start);
        cursor.setPosition(positionOf(bytesBefore(start) + length, length > 0), QTextCursor::KeepAnchor);
    });
}

void TRichEdit::SetSelText(const std::string &text)
{
    changeContents([&](QTextCursor &cursor) { cursor.insertText(fromProgram(text)); });
}

void TRichEdit::SetText(const std::string &text)
{
    changeContents([&](QTextCursor &cursor) {
        cursor.select(QTextCursor::Document);
        cursor.insertText(fromProgram(text));
        cursor.setPosition(0);
    });
}

void TRichEdit::Clear()
{
    changeContents([](QTextCursor &cursor) {
        cursor.select(QTextCursor::Document);
        cursor.removeSelectedText();
    });
}

void TRichEdit::LinesAdd(const std::string &line)
{
    changeContents([&](QTextCursor &cursor) {
        const QTextBlock last = document()->lastBlock();
        if (last.length() == 1) {
            cursor.setPosition(last.position());
            cursor.insertText(fromProgram(line) + u'\n');
        } else {
            cursor.movePosition(QTextCursor::End);
            cursor.insertText(u'\n' + fromProgram(line));
        }
    });
}

// --- Modes ------------------------------------------------------------------

// Pasted and dropped text always comes in plain (insertFromMimeData), so the
// mode only tells Qt what the control is.
void TRichEdit::SetPlainText(bool value)
{
    setAcceptRichText(!value);
}

void TRichEdit::SetWordWrap(bool value)
{
    setLineWrapMode(value ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
}

// New paragraphs take the format of the one they split from, so the indent
// carries on as the user types.
void TRichEdit::SetFirstIndent(int points)
{
    QTextBlockFormat format;
    format.setTextIndent(points * 96.0 / 72.0); // pixels at 96 dpi
    changeContents([&](QTextCursor &cursor) {
        QScopedValueRollback keepsText(textUnchanged, true);
        cursor.mergeBlockFormat(format);
    });
}

// --- The user's changes -----------------------------------------------------

bool TRichEdit::event(QEvent *event)
{
    return deferReports([&] { return QTextEdit::event(event); });
}

bool TRichEdit::viewportEvent(QEvent *event)
{
    return deferReports([&] { return QTextEdit::viewportEvent(event); });
}

// Qt signals a change while it is still handling the event that made it; the
// report waits until the event is done, so the handler may change the text.
template <class F> bool TRichEdit::deferReports(F handle)
{
    bool handled;
    {
        QScopedValueRollback depth(eventDepth, eventDepth + 1);
        handled = handle();
    }
    if (eventDepth == 0 && std::exchange(reportPending, false))
        selectionMaybeChanged();
    return handled;
}

void TRichEdit::qtSelectionChanged()
{
    if (programChanging)
        return;
    if (eventDepth > 0)
        reportPending = true;
    else
        selectionMaybeChanged();
}

void TRichEdit::selectionMaybeChanged()
{
    // Without a handler (the memo) the positions are not worth working out;
    // the first report after one is set goes out whatever the numbers.
    if (!OnSelectionChange) {
        mustReport = true;
        return;
    }
    const QTextCursor cursor = textCursor();
    const int start = bytesBefore(cursor.selectionStart());
    const int length = bytesBefore(cursor.selectionEnd()) - start;
    if (start == lastStart && length == lastLength && !mustReport)
        return;
    lastStart = start;
    lastLength = length;
    mustReport = false;
    fire(OnSelectionChange, this);
}

// Characters CP932 cannot hold are refused whole, with the error beep: what
// the user sees is what is stored.

void TRichEdit::keyPressEvent(QKeyEvent *event)
{
    if (!cp932::canEncode(event->text())) {
        MessageBeep(MB_ICONHAND);
        event->accept();
        return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers().testFlag(Qt::ShiftModifier)) {
        // Qt would break the line inside the paragraph, which the text cannot
        // hold; Shift+Enter starts a paragraph like Enter.
        QKeyEvent plain(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier,
                        event->text(), event->isAutoRepeat(), event->count());
        QTextEdit::keyPressEvent(&plain);
        event->setAccepted(plain.isAccepted());
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void TRichEdit::inputMethodEvent(QInputMethodEvent *event)
{
    if (!cp932::canEncode(event->commitString())) {
        MessageBeep(MB_ICONHAND);
        QInputMethodEvent withoutCommit(event->preeditString(), event->attributes());
        inputMethodEvent(&withoutCommit);
        event->accept();
        return;
    }
    // Qt redraws the paragraph under a composition as if its contents had
    // changed; the text changes only by a commit, a replacement, or a
    // selection that the composition replaces.
    const bool composing = event->commitString().isEmpty() && event->replacementLength() == 0
                           && !textCursor().hasSelection();
    QScopedValueRollback guard(textUnchanged, textUnchanged || composing);
    QTextEdit::inputMethodEvent(event);
}

bool TRichEdit::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasText();
}

void TRichEdit::insertFromMimeData(const QMimeData *source)
{
    const QString text = withParagraphBreaks(source->text());
    if (!cp932::canEncode(text)) {
        MessageBeep(MB_ICONHAND);
        return;
    }
    insertPlainText(text);
    ensureCursorVisible();
}
