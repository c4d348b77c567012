#pragma once
#include "platform/forms.h"
#include <QTextEdit>
#include <string>

// A rich edit control. Positions (SelStart, SelLength, LineIndex, ...) count
// CP932 bytes with a line break as two, as the forms expect. A position that
// falls inside a double-byte character means the start of that character,
// and a selection of one position from the start of a double-byte character
// (or of a line break) takes the whole character.
class TRichEdit : public QTextEdit, public TControl {
    Q_OBJECT
public:
    explicit TRichEdit(QWidget *parent);

    std::string Text() const; // CP932, lines separated by CR LF
    void SetText(const std::string &text);
    void Clear();
    int LineCount() const;
    std::string Line(int index) const;
    void LinesAdd(const std::string &line); // the line and a line break at the end; caret after them

    int SelStart() const;
    void SetSelStart(int position); // collapses the selection
    int SelLength() const;
    void SetSelLength(int length); // from SelStart
    std::string SelText() const;
    void SetSelText(const std::string &text); // replaces the selection; caret after the new text

    int LineFromChar(int position) const; // line index holding the position
    int LineIndex(int line) const;        // position of the line's first character

    bool Modified() const { return modified; }
    void SetModified(bool value) { modified = value; }

    void SetPlainText(bool value);
    void SetWordWrap(bool value);
    void SetFirstIndent(int points); // the paragraph at the insertion point

    // Raised synchronously after every change of the caret or the selection,
    // the program's own included; the handler may change the selection again.
    TNotifyEvent OnSelectionChange;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    void selectionMaybeChanged();
    bool modified = false;
    int lastStart = 0;
    int lastLength = 0;
};
