#include "support/main_fixture.h"

#include <QClipboard>
#include <QTextCursor>

#include <string>

namespace {

std::string repeat(std::string_view text, int times)
{
    std::string result;
    for (int i = 0; i < times; ++i)
        result += text;
    return result;
}

class TrackRulesTest : public MainWindowTest {
protected:
    TRichEdit *editor() const { return form->rchEdit; }

    // How many times the line-length message was shown; every box must be
    // that message, captioned "Marel", with the error icon.
    static int refusals()
    {
        for (const MessageBoxCall &box : testSeam().messageBoxes) {
            EXPECT_EQ(box.text, sj("曲名は５０文字以内にして下さい"));
            EXPECT_EQ(box.caption, "Marel");
            EXPECT_EQ(box.style, unsigned(MB_OK | MB_ICONHAND));
        }
        return int(testSeam().messageBoxes.size());
    }

    int column() const
    {
        const int caret = editor()->SelStart();
        return caret - editor()->LineIndex(editor()->LineFromChar(caret));
    }

    std::string indicator() const { return form->statusBar->PanelText(1); }

    static void paste(QWidget *widget, const std::string &utf8)
    {
        QApplication::clipboard()->setText(QString::fromStdString(utf8));
        pressKey(widget, Qt::Key_V, Qt::ControlModifier);
    }
};

const std::string sixty = repeat("0123456789", 6);

TEST_F(TrackRulesTest, TypingTheFiftyFirstColumnIsRefused)
{
    typeText(editor(), repeat("a", 50));
    EXPECT_EQ(refusals(), 0);
    EXPECT_EQ(column(), 50);

    editor()->SetModified(false);
    typeText(editor(), "b");
    EXPECT_EQ(refusals(), 1);
    EXPECT_EQ(editor()->Text(), repeat("a", 50));
    EXPECT_EQ(column(), 50);
    EXPECT_TRUE(editor()->Modified());
}

TEST_F(TrackRulesTest, InsertingInAFullLineIsRefusedOnlyOnceTheCaretPassesTheLimit)
{
    typeText(editor(), repeat("a", 50));
    pressKey(editor(), Qt::Key_Home);
    for (int i = 0; i < 10; ++i)
        pressKey(editor(), Qt::Key_Right);
    typeText(editor(), "x");
    EXPECT_EQ(refusals(), 0);
    EXPECT_EQ(editor()->Text(), repeat("a", 10) + "x" + repeat("a", 40));

    pressKey(editor(), Qt::Key_End);
    EXPECT_EQ(refusals(), 1);
    EXPECT_EQ(editor()->Text(), repeat("a", 10) + "x" + repeat("a", 39));
    EXPECT_EQ(column(), 50);
}

TEST_F(TrackRulesTest, APasteKeepsTheFirstFiftyColumnsOfItsLine)
{
    typeText(editor(), "A\n");
    paste(editor(), sixty);
    EXPECT_EQ(refusals(), 10);
    EXPECT_EQ(editor()->Text(), "A\r\n" + sixty.substr(0, 50));
    EXPECT_EQ(column(), 50);
    EXPECT_EQ(indicator(), sj("2 行"));
}

// Positions inside a double-byte character mean its start, so the rule
// removes whole characters and never leaves half of one in the editor.
TEST_F(TrackRulesTest, FullWidthCharactersAreRemovedWhole)
{
    const struct {
        std::string before;
        std::string typed;
        int refusals;
        std::string after;
    } cases[] = {
        {repeat("あ", 25), "い", 1, repeat("あ", 25)},
        {"a" + repeat("あ", 24), "い", 1, "a" + repeat("あ", 24)},
        {repeat("a", 48), "あ", 0, repeat("a", 48) + "あ"},
        {"", repeat("あ", 30), 5, repeat("あ", 25)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.before + " + " + c.typed);
        editor()->Clear();
        typeText(editor(), c.before);
        testSeam().messageBoxes.clear();
        paste(editor(), c.typed);
        EXPECT_EQ(refusals(), c.refusals);
        EXPECT_EQ(editor()->Text(), sj(c.after));
    }
}

TEST_F(TrackRulesTest, LongLoadedTitlesAreCutWhenTheCaretPassesTheLimit)
{
    writeCatalogue("[FF]\r\nnumtracks=3\r\n0=" + sixty + "\r\n1=B\r\n2=" + sixty + "\r\n");
    readDisc("255", 0, "3");
    // Removing the break after the last title puts the caret after its 60th
    // column first.
    EXPECT_EQ(refusals(), 10);
    EXPECT_EQ(editor()->Text(), sixty + "\r\nB\r\n" + sixty.substr(0, 50));
    EXPECT_EQ(column(), 50);

    testSeam().messageBoxes.clear();
    editor()->SetSelStart(55); // a click after the 55th column of the first line
    EXPECT_EQ(refusals(), 5);
    EXPECT_EQ(editor()->Line(0), sixty.substr(0, 50) + sixty.substr(55));
    EXPECT_EQ(editor()->SelStart(), 50);
}

TEST_F(TrackRulesTest, ASelectionIsJudgedByItsStart)
{
    editor()->SetText(sixty);
    QTextCursor cursor = editor()->textCursor();

    cursor.setPosition(45);
    cursor.setPosition(58, QTextCursor::KeepAnchor);
    editor()->setTextCursor(cursor);
    EXPECT_EQ(refusals(), 0);
    EXPECT_EQ(editor()->SelLength(), 13);

    cursor.setPosition(52);
    cursor.setPosition(55, QTextCursor::KeepAnchor);
    editor()->setTextCursor(cursor);
    EXPECT_EQ(refusals(), 2);
    EXPECT_EQ(editor()->Text(), sixty.substr(0, 50) + sixty.substr(52));
    EXPECT_EQ(editor()->SelStart(), 50);
    EXPECT_EQ(editor()->SelLength(), 0);
}

TEST_F(TrackRulesTest, TheIndicatorShowsTheLineOfTheSelectionStart)
{
    typeText(editor(), "A\nB\nC");
    EXPECT_EQ(indicator(), sj("3 行"));
    pressKey(editor(), Qt::Key_Up);
    EXPECT_EQ(indicator(), sj("2 行"));

    QTextCursor cursor = editor()->textCursor();
    cursor.setPosition(4);
    cursor.setPosition(0, QTextCursor::KeepAnchor);
    editor()->setTextCursor(cursor);
    EXPECT_EQ(indicator(), sj("1 行"));
    cursor.setPosition(2);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    editor()->setTextCursor(cursor);
    EXPECT_EQ(indicator(), sj("2 行"));
}

TEST_F(TrackRulesTest, TheMemoHasNoLineRule)
{
    typeText(form->rchMemo, "first\n" + sixty + "\nthird");
    paste(form->rchMemo, sixty);
    EXPECT_EQ(refusals(), 0);
    EXPECT_EQ(form->rchMemo->Line(1), sixty);
    EXPECT_EQ(indicator(), sj("1 行"));
}

}
