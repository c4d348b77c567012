#pragma once
#include "platform/forms.h"
#include <QTextEdit>
#include <string>

class QTextBlock;

// A rich edit control. Positions (SelStart, SelLength, LineIndex, ...) count
// CP932 bytes with a line break as two, as the forms expect. A position that
// falls inside a double-byte character (or between the CR and the LF of a
// break) means the start of that character, and a selection of one position
// from the start of a double-byte character (or of a line break) takes the
// whole character. A line is a paragraph: word wrap never splits one.
class TRichEdit : public QTextEdit, public TControl {
    Q_OBJECT
public:
    explicit TRichEdit(QWidget *parent);

    // CP932, lines separated by CR LF; a break at the end only when the last
    // line is empty. SetText takes CR LF, LF or CR as line ends and leaves
    // the caret at the start.
    std::string Text() const;
    void SetText(const std::string &text);
    void Clear();
    int LineCount() const;              // lines, without an empty last line
    std::string Line(int index) const;  // without its break; "" out of range
    // The line and a break at the start of the empty last line, or a break
    // and the line after a last line that is not empty; caret after them.
    void LinesAdd(const std::string &line);

    int SelStart() const;
    void SetSelStart(int position); // collapses the selection; below 0 counts as 0
    int SelLength() const;
    void SetSelLength(int length); // from SelStart
    std::string SelText() const;
    void SetSelText(const std::string &text); // replaces the selection; caret after the new text

    int LineFromChar(int position) const; // line index holding the position
    int LineIndex(int line) const;        // position of the line's first character; -1 past the last

    // Set by every change of the text, the program's own included; the
    // program's text changes cannot be undone.
    bool Modified() const { return modified; }
    void SetModified(bool value) { modified = value; }

    void SetPlainText(bool value);
    void SetWordWrap(bool value);
    void SetFirstIndent(int points); // the paragraph at the insertion point

    // Raised synchronously after every change of the caret or the selection,
    // and after every change of the text, the program's own included; the
    // handler may change the selection again (the event then nests).
    TNotifyEvent OnSelectionChange;

protected:
    bool event(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    int blockBytes(const QTextBlock &block) const;
    int bytesBefore(int position) const;
    int positionOf(int bytes, bool roundUp) const;
    void contentsChanged(int from, int added);
    void qtSelectionChanged();
    void selectionMaybeChanged();
    template <class F> bool deferReports(F handle);
    template <class F> void changeSelection(F change);
    template <class F> void changeContents(F change);

    bool modified = false;
    bool mustReport = false; // the text changed, or a change went unreported
    bool textUnchanged = false;   // contents changes that keep the text: formats, compositions
    bool programChanging = false; // Qt's signals are ignored: the change reports itself
    int eventDepth = 0;           // inside Qt's handling of an event, reports wait for its end
    bool reportPending = false;
    int lastStart = 0;
    int lastLength = 0;
};
