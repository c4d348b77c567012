#include "support/seam_fixture.h"
#include "platform/application.h"
#include "platform/richedit.h"
#include "platform/text.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFragment>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string sj(const char *utf8)
{
    return cp932::fromUtf8(utf8);
}

std::string repeat(const std::string &text, int times)
{
    std::string result;
    for (int i = 0; i < times; ++i)
        result += text;
    return result;
}

// 60 distinct half-width characters, so a test sees which ones survived.
const std::string Sixty = "0123456789abcdefghijABCDEFGHIJklmnopqrstKLMNOPQRSTuvwxyzUVWX";

void press(QWidget *target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           const QString &text = {})
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &event);
}

void type(QWidget *target, const std::string &bytes)
{
    press(target, Qt::Key_unknown, Qt::NoModifier, cp932::toUnicode(bytes));
}

void paste(QWidget *target, QMimeData *data)
{
    QGuiApplication::clipboard()->setMimeData(data);
    press(target, Qt::Key_V, Qt::ControlModifier);
}

void pasteText(QWidget *target, const QString &text)
{
    auto *data = new QMimeData;
    data->setText(text);
    paste(target, data);
}

void click(TRichEdit &editor, int qtPosition)
{
    QTextCursor cursor(editor.document());
    cursor.setPosition(qtPosition);
    const QPoint at = editor.cursorRect(cursor).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, editor.viewport()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(editor.viewport(), &event);
    }
}

// Selects through Qt directly, as a user's mouse or keyboard would.
void selectInQt(TRichEdit &editor, int anchor, int position)
{
    QTextCursor cursor(editor.document());
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    editor.setTextCursor(cursor);
}

class RichEdit : public SeamTest {
protected:
    void SetUp() override
    {
        SeamTest::SetUp();
        editor.resize(900, 200);
        editor.SetWordWrap(false);
    }

    TRichEdit editor{nullptr};
};

TEST_F(RichEdit, MapsBytePositionsBothWays)
{
    // a 漢(2) ｱ CR LF 字(2) b: bytes 0 1-2 3 4-5 6-7 8, end 9
    editor.SetText("a" + sj("漢ｱ") + "\r\n" + sj("字") + "b");

    const std::pair<int, int> starts[] = {{0, 0}, {1, 1}, {2, 1}, {3, 3}, {4, 4}, {5, 4},
                                          {6, 6}, {7, 6}, {8, 8}, {9, 9}, {50, 9}, {-5, 0}};
    for (auto [set, expected] : starts) {
        editor.SetSelStart(set);
        EXPECT_EQ(editor.SelStart(), expected) << "SetSelStart(" << set << ")";
        EXPECT_EQ(editor.SelLength(), 0);
    }

    const std::pair<int, int> lines[] = {{0, 0}, {4, 0}, {5, 0}, {6, 1}, {9, 1}, {99, 1}};
    for (auto [position, line] : lines)
        EXPECT_EQ(editor.LineFromChar(position), line) << "LineFromChar(" << position << ")";

    EXPECT_EQ(editor.LineIndex(0), 0);
    EXPECT_EQ(editor.LineIndex(1), 6);
    EXPECT_EQ(editor.LineIndex(2), -1);
}

TEST_F(RichEdit, SelectsWholeCharactersAndBreaks)
{
    editor.SetText("a" + sj("漢ｱ") + "\r\n" + sj("字") + "b");
    struct Case {
        int start, length;
        int selStart, selLength;
        std::string text;
    };
    const Case cases[] = {
        {1, 1, 1, 2, sj("漢")},         // one position from a double-byte start takes it whole
        {2, 1, 1, 2, sj("漢")},         // a start inside the character means its start
        {4, 1, 4, 2, "\r\n"},           // one position from a break takes the break
        {0, 2, 0, 3, "a" + sj("漢")},   // an end inside a character reaches its end
        {3, 4, 3, 5, sj("ｱ") + "\r\n" + sj("字")},
        {8, 10, 8, 1, "b"},             // past the end stops at the end
    };
    for (const Case &c : cases) {
        editor.SetSelStart(c.start);
        editor.SetSelLength(c.length);
        EXPECT_EQ(editor.SelStart(), c.selStart) << c.start << "+" << c.length;
        EXPECT_EQ(editor.SelLength(), c.selLength) << c.start << "+" << c.length;
        EXPECT_EQ(editor.SelText(), c.text) << c.start << "+" << c.length;
    }
}

TEST_F(RichEdit, TextHasCrLfBetweenLines)
{
    struct Case {
        std::string set, text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"a\nb\rc\r\n" + sj("漢"), "a\r\nb\r\nc\r\n" + sj("漢"), {"a", "b", "c", sj("漢")}},
        {"a\r\n", "a\r\n", {"a"}},
        {"\r\n\r\n", "\r\n\r\n", {"", ""}},
        {"", "", {}},
    };
    for (const Case &c : cases) {
        editor.SetText(c.set);
        EXPECT_EQ(editor.Text(), c.text);
        ASSERT_EQ(editor.LineCount(), int(c.lines.size())) << c.text;
        for (int i = 0; i < editor.LineCount(); ++i)
            EXPECT_EQ(editor.Line(i), c.lines[i]);
        EXPECT_EQ(editor.Line(editor.LineCount() + 1), "");
        EXPECT_EQ(editor.SelStart(), 0);
    }
}

TEST_F(RichEdit, KeepsBytesThatAreNotCp932)
{
    // A lead byte before a break, bytes no code uses, a bad trail byte and an
    // unassigned double-byte code, among valid text.
    const std::string line0 = std::string("x\x82");
    const std::string line1 = std::string("\xfd\xfe\xff\x81\x7f", 5) + sj("漢") + "\x85\x40";
    editor.SetText(line0 + "\r\n" + line1);

    EXPECT_EQ(editor.Text(), line0 + "\r\n" + line1);
    EXPECT_EQ(editor.Line(1), line1);
    EXPECT_EQ(editor.LineIndex(1), 4);
    editor.SetSelStart(1000);
    EXPECT_EQ(editor.SelStart(), int(line0.size() + 2 + line1.size()));
    editor.SetSelStart(4 + 5);
    editor.SetSelLength(1);
    EXPECT_EQ(editor.SelText(), sj("漢"));

    // The unassigned code is one character, as readers of the file pair it.
    const int pair = 4 + 5 + 2;
    editor.SetSelStart(pair + 1);
    EXPECT_EQ(editor.SelStart(), pair);
    editor.SetSelLength(1);
    EXPECT_EQ(editor.SelText(), "\x85\x40");
}

TEST_F(RichEdit, LinesAddPutsEachLineBeforeTheEmptyLastLine)
{
    editor.LinesAdd("A");
    editor.LinesAdd("B");
    EXPECT_EQ(editor.Text(), "A\r\nB\r\n");
    EXPECT_EQ(editor.SelStart(), 6);
    EXPECT_EQ(editor.LineCount(), 2);

    editor.LinesAdd(sj("漢字"));
    EXPECT_EQ(editor.Text(), "A\r\nB\r\n" + sj("漢字") + "\r\n");
    EXPECT_EQ(editor.SelStart(), 12);

    // A last line that is not empty gets a break first.
    editor.SetText("X");
    editor.LinesAdd("Y");
    EXPECT_EQ(editor.Text(), "X\r\nY");
    EXPECT_EQ(editor.SelStart(), 4);
}

TEST_F(RichEdit, ModifiedFollowsEveryTextChangeOnly)
{
    struct Case {
        const char *name;
        std::function<void(TRichEdit &)> act;
        bool modified;
    };
    const Case cases[] = {
        {"typing", [](TRichEdit &e) { type(&e, "x"); }, true},
        {"backspace", [](TRichEdit &e) { press(&e, Qt::Key_Backspace); }, true},
        {"pasting", [](TRichEdit &e) { pasteText(&e, "p"); }, true},
        {"SetSelText", [](TRichEdit &e) { e.SetSelStart(0); e.SetSelLength(1); e.SetSelText(""); }, true},
        {"SetText", [](TRichEdit &e) { e.SetText("abc"); }, true},
        {"LinesAdd", [](TRichEdit &e) { e.LinesAdd("d"); }, true},
        {"Clear", [](TRichEdit &e) { e.Clear(); }, true},
        {"moving the caret", [](TRichEdit &e) { e.SetSelStart(1); press(&e, Qt::Key_Right); }, false},
        {"composing, then cancelling", [](TRichEdit &e) {
             for (const char *preedit : {"か", "かん", ""}) {
                 QInputMethodEvent event(QString::fromUtf8(preedit), {});
                 QApplication::sendEvent(&e, &event);
             }
         }, false},
        {"selecting", [](TRichEdit &e) { e.SetSelStart(0); e.SetSelLength(2); }, false},
        {"indent, wrap and font", [](TRichEdit &e) {
             e.SetFirstIndent(3);
             e.SetWordWrap(true);
             e.setFont(QFont("Monospace", 20));
         }, false},
    };
    for (const Case &c : cases) {
        editor.SetText("abc");
        editor.SetSelStart(3);
        editor.SetModified(false);
        c.act(editor);
        EXPECT_EQ(editor.Modified(), c.modified) << c.name;
    }
    editor.SetModified(false);
    EXPECT_FALSE(editor.Modified());
}

TEST_F(RichEdit, ReportsEachSelectionChangeOnce)
{
    std::vector<std::pair<int, int>> seen;
    editor.OnSelectionChange = [&](TObject *sender) {
        EXPECT_EQ(sender, static_cast<TObject *>(&editor));
        seen.emplace_back(editor.SelStart(), editor.SelLength());
    };
    editor.SetText("abc\r\ndef");  // same caret, new text
    editor.SetSelStart(2);
    editor.SetSelStart(2);         // no change, no event
    editor.SetSelLength(3);
    editor.SetSelText("X");
    type(&editor, "y");
    press(&editor, Qt::Key_Left, Qt::ShiftModifier);
    press(&editor, Qt::Key_Left);
    press(&editor, Qt::Key_Delete); // the caret stays, the text changes
    editor.LinesAdd("Z");
    editor.Clear();

    const std::vector<std::pair<int, int>> expected = {
        {0, 0}, {2, 0}, {2, 3}, {3, 0}, {4, 0}, {3, 1}, {3, 0}, {3, 0}, {9, 0}, {0, 0}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(editor.Text(), "");
}

// The track editor's line-length rule, as the main window runs it: a caret
// beyond column 50 shows a message and deletes the character before it; the
// step back raises the event again inside.
class LineRule : public RichEdit {
protected:
    void SetUp() override
    {
        RichEdit::SetUp();
        editor.show();
        editor.OnSelectionChange = [this](TObject *) {
            const int line = editor.LineFromChar(editor.SelStart());
            const int column = editor.SelStart() - editor.LineIndex(line);
            if (column <= 50)
                return;
            ++messages;
            editor.SetSelStart(editor.SelStart() - 1);
            editor.SetSelLength(1);
            editor.SetSelText("");
        };
    }
    int messages = 0;
};

TEST_F(LineRule, RefusesColumnsBeyondFifty)
{
    const std::string fifty = Sixty.substr(0, 50);
    const std::string kan = sj("漢");
    struct Case {
        const char *name;
        std::string text;
        int caret;
        std::function<void(TRichEdit &)> act;
        int messages;
        std::string after;
        int caretAfter;
        int selectedAfter = 0;
    };
    const Case cases[] = {
        {"typing the 51st column", fifty, 50, [](TRichEdit &e) { type(&e, "!"); }, 1, fifty, 50},
        {"typing the 50th column", Sixty.substr(0, 49), 49, [](TRichEdit &e) { type(&e, "!"); },
         0, Sixty.substr(0, 49) + "!", 50},
        {"inserting in a full line, then End", fifty, 10,
         [](TRichEdit &e) {
             type(&e, "!");
             press(&e, Qt::Key_End);
         },
         1, fifty.substr(0, 10) + "!" + fifty.substr(10, 39), 50},
        {"pasting 60 columns", "", 0, [](TRichEdit &e) { pasteText(&e, QString::fromStdString(Sixty)); },
         10, fifty, 50},
        {"clicking after column 55", Sixty, 0, [](TRichEdit &e) { click(e, 55); }, 5,
         fifty + Sixty.substr(55), 50},
        {"a selection from column 52", Sixty, 0, [](TRichEdit &e) { selectInQt(e, 52, 56); }, 2,
         fifty + Sixty.substr(52), 50},
        {"a selection across column 50", Sixty, 0, [](TRichEdit &e) { selectInQt(e, 48, 55); }, 0,
         Sixty, 48, 7},
        {"a 26th full-width character", repeat(kan, 25), 50, [&](TRichEdit &e) { type(&e, kan); }, 1,
         repeat(kan, 25), 50},
        {"a full-width character across column 50", Sixty.substr(0, 49), 49,
         [&](TRichEdit &e) { type(&e, kan); }, 1, Sixty.substr(0, 49), 49},
        {"trimming the break after a loaded 60-column title", "", 0,
         [](TRichEdit &e) {
             e.LinesAdd(Sixty);
             e.SetSelStart(e.SelStart() - 2);
             e.SetSelLength(2);
             e.SetSelText("");
         },
         10, fifty, 50},
    };
    for (const Case &c : cases) {
        editor.SetText(c.text);
        editor.SetSelStart(c.caret);
        messages = 0;
        c.act(editor);
        EXPECT_EQ(messages, c.messages) << c.name;
        EXPECT_EQ(editor.Text(), c.after) << c.name;
        EXPECT_EQ(editor.SelStart(), c.caretAfter) << c.name;
        EXPECT_EQ(editor.SelLength(), c.selectedAfter) << c.name;
    }
}

TEST_F(RichEdit, RefusesCharactersCp932CannotHold)
{
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    auto commit = [](QWidget *target, const QString &text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(target, &event);
    };
    struct Case {
        const char *name;
        std::function<void(TRichEdit &)> act;
        std::string after;
    };
    const Case cases[] = {
        {"key press", [&](TRichEdit &e) { press(&e, Qt::Key_unknown, Qt::NoModifier, emoji); }, "ab"},
        {"input method", [&](TRichEdit &e) { commit(&e, QString::fromUtf8("漢") + emoji); }, "ab"},
        {"paste", [&](TRichEdit &e) { pasteText(&e, "x" + emoji); }, "ab"},
        {"input method, storable", [&](TRichEdit &e) { commit(&e, QString::fromUtf8("漢字")); },
         "ab" + sj("漢字")},
    };
    for (const Case &c : cases) {
        editor.SetText("ab");
        editor.SetSelStart(2);
        editor.SetModified(false);
        testSeam().beeps = 0;
        c.act(editor);
        const bool refused = c.after == "ab";
        EXPECT_EQ(editor.Text(), c.after) << c.name;
        EXPECT_EQ(testSeam().beeps, refused ? 1 : 0) << c.name;
        EXPECT_EQ(editor.Modified(), !refused) << c.name;
    }
}

TEST_F(RichEdit, PastesPlainTextIntoTheTrackEditor)
{
    editor.SetPlainText(false);
    editor.SetFirstIndent(3);
    auto *data = new QMimeData;
    data->setHtml("<p><b>bold</b></p><p style='margin-left:40px'><i>line</i></p>");
    data->setText("bold\r\nline");
    paste(&editor, data);

    EXPECT_EQ(editor.Text(), "bold\r\nline");
    for (QTextBlock block = editor.document()->begin(); block.isValid(); block = block.next()) {
        EXPECT_EQ(block.blockFormat().textIndent(), 4) << block.text().toStdString();
        EXPECT_EQ(block.blockFormat().leftMargin(), 0);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            EXPECT_NE(it.fragment().charFormat().fontWeight(), QFont::Bold);
            EXPECT_FALSE(it.fragment().charFormat().fontItalic());
        }
    }
}

TEST_F(RichEdit, NewParagraphsKeepTheFirstLineIndent)
{
    editor.SetFirstIndent(3);
    type(&editor, "a");
    press(&editor, Qt::Key_Return, Qt::ShiftModifier, "\r"); // a paragraph, as Enter
    type(&editor, "b");
    press(&editor, Qt::Key_Return, Qt::NoModifier, "\r");
    editor.LinesAdd("c");

    EXPECT_EQ(editor.Text(), "a\r\nb\r\nc\r\n");
    for (QTextBlock block = editor.document()->begin(); block.isValid(); block = block.next())
        EXPECT_EQ(block.blockFormat().textIndent(), 4) << block.blockNumber();
    editor.SetText("x\r\ny");
    EXPECT_EQ(editor.document()->lastBlock().blockFormat().textIndent(), 4);
    editor.Clear();
    EXPECT_EQ(editor.document()->begin().blockFormat().textIndent(), 4);
}

TEST_F(RichEdit, UndoTakesBackOnlyTheUsersEdits)
{
    editor.SetText("abc");
    editor.SetSelStart(3);
    type(&editor, "x");
    press(&editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor.Text(), "abc");
    press(&editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor.Text(), "abc");
}

} // namespace
