#pragma once
// The user's hands and eyes: keys, input-method commits and pastes sent to a
// widget as the window system sends them, and the texts a widget holds, read
// through Qt rather than the program's own accessors.
#include "bench/soak_data.h"
#include "platform/text.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextEdit>

#include <string>
#include <vector>

namespace soak {

inline void press(QWidget *widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                  const QString &typed = {})
{
    QKeyEvent down(QEvent::KeyPress, key, modifiers, typed);
    QApplication::sendEvent(widget, &down);
    QKeyEvent up(QEvent::KeyRelease, key, modifiers, typed);
    QApplication::sendEvent(widget, &up);
}

// A word as a Japanese input method gives it: shown in composition, then
// committed at once.
inline void compose(QWidget *widget, const QString &word)
{
    QInputMethodEvent composing(word, {});
    QApplication::sendEvent(widget, &composing);
    QInputMethodEvent commit;
    commit.setCommitString(word);
    QApplication::sendEvent(widget, &commit);
}

// Key by key, "\n" as the Enter key; a run of characters beyond ASCII now and
// then through the input method.
inline void type(Random &rng, QWidget *widget, const QString &typed)
{
    const std::u32string chars = typed.toStdU32String();
    for (std::size_t i = 0; i < chars.size();) {
        const char32_t ch = chars[i];
        if (ch >= 0x80 && rng.chance(0.5)) {
            std::size_t end = i;
            while (end < chars.size() && chars[end] >= 0x80)
                ++end;
            compose(widget, QString::fromUcs4(chars.data() + i, qsizetype(end - i)));
            i = end;
            continue;
        }
        if (ch == U'\n')
            press(widget, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        else
            press(widget, ch < 0x80 ? int(QChar::toUpper(ch)) : int(Qt::Key_unknown), Qt::NoModifier,
                  QString::fromUcs4(&ch, 1));
        ++i;
    }
}

inline void paste(QWidget *widget, const QString &clip)
{
    QApplication::clipboard()->setText(clip);
    press(widget, Qt::Key_V, Qt::ControlModifier);
}

inline std::string text(const QLineEdit *edit)
{
    return cp932::fromUnicode(edit->text());
}

// An editor's text, lines joined by CR LF.
inline std::string text(const QTextEdit *editor)
{
    return cp932::fromUnicode(editor->toPlainText().replace('\n', QStringLiteral("\r\n")));
}

inline std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> result;
    for (std::size_t pos = 0;;) {
        const std::size_t end = text.find("\r\n", pos);
        result.push_back(text.substr(pos, end - pos));
        if (end == std::string::npos)
            return result;
        pos = end + 2;
    }
}

} // namespace soak
