#include "support/seam_fixture.h"
#include "platform/application.h"
#include "platform/controls.h"
#include "platform/text.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QWindow>
#include <gtest/gtest.h>

#include <string>
#include <vector>

// What the window system hands Qt first: the active window's shortcuts, then
// a mouse event with Qt's own double-click and grab handling.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject *receiver, ulong timestamp, int key,
                                               Qt::KeyboardModifiers modifiers,
                                               const QString &text, bool autorepeat,
                                               ushort count);
Q_GUI_EXPORT void qt_handleMouseEvent(QWindow *window, const QPointF &local, const QPointF &global,
                                      Qt::MouseButtons state, Qt::MouseButton button,
                                      QEvent::Type type, Qt::KeyboardModifiers modifiers,
                                      int timestamp);

namespace {

std::string sjis(const char *utf8) { return cp932::fromUtf8(utf8); }

void type(QWidget &widget, const QString &text, int key = 0,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&widget, &press);
}

class ControlsTest : public SeamTest {
protected:
    void SetUp() override
    {
        SeamTest::SetUp();
        form.SetBounds(0, 0, 400, 300);
    }

    TForm form;
};

class EditTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        edit = new TEdit(&form);
    }

    // Puts text on the clipboard and pastes it over the selection.
    void paste(const QString &text)
    {
        QGuiApplication::clipboard()->setText(text);
        edit->paste();
    }

    TEdit *edit = nullptr;
};

TEST_F(EditTest, TypingStopsAtTheByteLimitCountingFullWidthAsTwo)
{
    struct Case {
        const char *before;
        const char *typed;
        const char *after;
    };
    const Case cases[] = {
        {"abcd", "あ", "abcd"},   // 4 + 2 bytes pass 5
        {"abcd", "ｱ", "abcdｱ"},  // a half-width katakana is one byte
        {"abc", "あ", "abcあ"},   // exactly 5
        {"ああ", "x", "ああx"},
        {"あああ", "x", "あああ"}, // already 6 bytes: nothing more goes in
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.before + std::string(" + ") + c.typed);
        edit->SetMaxLength(5);
        edit->SetText(sjis(c.before));
        edit->end(false);
        type(*edit, QString::fromUtf8(c.typed));
        EXPECT_EQ(edit->Text(), sjis(c.after));
    }
}

TEST_F(EditTest, PasteInsertsWhatFitsWithoutSplittingACharacter)
{
    struct Case {
        const char *before;
        int selStart, selLength;
        const char *pasted;
        const char *after;
        int caret;
    };
    const Case cases[] = {
        {"abc", 3, 0, "あいう", "abcあい", 5},   // 3 + 4 = 7; the next would make 9
        {"abc", 1, 0, "あいう", "aあいbc", 3},   // in the middle, the caret after what went in
        {"abcdefg", 1, 5, "あいう", "aあいうg", 4}, // over a selection, which frees its bytes
        {"abcdef", 6, 0, "ｱあ", "abcdefｱ", 7},  // one byte left: the half-width one fits
        {"", 0, 0, "one\r\ntwo", "one", 3},      // up to the first line break
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.before) + " <- " + c.pasted);
        edit->SetMaxLength(8);
        edit->SetText(sjis(c.before));
        edit->setSelection(c.selStart, c.selLength);
        paste(QString::fromUtf8(c.pasted));
        EXPECT_EQ(edit->Text(), sjis(c.after));
        EXPECT_EQ(edit->cursorPosition(), c.caret);
    }
}

TEST_F(EditTest, TheProgramsOwnTextIsNotCut)
{
    edit->SetMaxLength(4);
    edit->SetText(sjis("あいうえお"));
    EXPECT_EQ(edit->Text(), sjis("あいうえお"));
}

TEST_F(EditTest, CharactersCP932CannotHoldAreRefusedWithABeep)
{
    edit->SetText("ab");
    edit->end(false);
    type(*edit, QString::fromUtf8("😀"));
    type(*edit, QString::fromUtf8("한"));
    paste(QString::fromUtf8("x😀y"));
    EXPECT_EQ(edit->Text(), "ab");
    EXPECT_EQ(testSeam().beeps, 3);

    type(*edit, QString::fromUtf8("漢"));
    EXPECT_EQ(edit->Text(), sjis("ab漢"));
    EXPECT_EQ(testSeam().beeps, 3);
}

TEST_F(EditTest, TextCrossesTheBoundaryAsCP932)
{
    const std::string bytes = sjis("ﾀｲﾄﾙ　表") + "\x81"; // ends in a lone lead byte
    edit->SetText(bytes);
    EXPECT_EQ(edit->text(), cp932::toUnicode(bytes));
    EXPECT_EQ(edit->Text(), bytes);
}

TEST_F(ControlsTest, AccessKeyFocusesTheLabelsControlOnlyWhenItCanTakeFocus)
{
    auto *other = new TEdit(&form);
    auto *label = new TLabel(&form);
    label->SetCaption(sjis("ﾀｲﾄﾙ(&T)："));
    auto *title = new TEdit(&form);
    label->SetFocusControl(title);
    title->SetEnabled(false);
    form.Show();
    QApplication::setActiveWindow(&form);
    other->setFocus();
    ASSERT_TRUE(other->hasFocus());

    qt_sendShortcutOverrideEvent(&form, 0, Qt::Key_T, Qt::AltModifier, "t", false, 1);
    EXPECT_TRUE(other->hasFocus());

    title->SetEnabled(true);
    EXPECT_TRUE(qt_sendShortcutOverrideEvent(&form, 0, Qt::Key_T, Qt::AltModifier, "t", false, 1));
    EXPECT_TRUE(title->hasFocus());
}

class ListBoxTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        list = new TListBox(&form);
        list->SetItems({sjis("アイ"), sjis("ｱｳ"), sjis("イ"), "abc", "ABD", sjis("イロハ")});
        list->SetItemIndex(-1);
        savedInterval = QApplication::keyboardInputInterval();
    }
    void TearDown() override
    {
        QApplication::setKeyboardInputInterval(savedInterval);
        ControlsTest::TearDown();
    }

    TListBox *list = nullptr;
    int savedInterval = 0;
};

TEST_F(ListBoxTest, TypingMovesToTheNextItemBeginningWithTheText)
{
    // Every key starts a new search.
    QApplication::setKeyboardInputInterval(0);
    struct Step {
        const char *typed;
        int row;
    };
    const Step steps[] = {
        {"ア", 0}, {"ア", 1}, {"ｱ", 0}, // either width, stepping on from the current item
        {"イ", 2}, {"a", 3}, {"a", 4},  // without regard to case
        {"z", 4},                       // no match keeps the selection
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.typed);
        type(*list, QString::fromUtf8(step.typed));
        EXPECT_EQ(list->ItemIndex(), step.row);
    }
}

TEST_F(ListBoxTest, TypingOnWithinTheIntervalExtendsTheText)
{
    QApplication::setKeyboardInputInterval(60000);
    type(*list, "a");
    type(*list, "b");
    type(*list, "d");
    EXPECT_EQ(list->Item(list->ItemIndex()), "ABD");
    list->SetItemIndex(-1);
    QApplication::setKeyboardInputInterval(0);
    type(*list, QString::fromUtf8("イ"));
    EXPECT_EQ(list->ItemIndex(), 2);
    QApplication::setKeyboardInputInterval(60000);
    type(*list, QString::fromUtf8("ﾛ"));
    EXPECT_EQ(list->ItemIndex(), 5);
}

TEST_F(ListBoxTest, ItemsAreCP932AndOneIsSelected)
{
    const std::string odd = std::string("x\x81", 2) + "y"; // not valid CP932
    list->SetItems({"b", odd});
    EXPECT_EQ(list->Count(), 2);
    EXPECT_EQ(list->Item(1), odd);
    EXPECT_EQ(list->ItemIndex(), -1);
    list->SetItemIndex(1);
    EXPECT_EQ(list->ItemIndex(), 1);
    list->SetItemIndex(5);
    EXPECT_EQ(list->ItemIndex(), -1);
    list->SetFont(fontNamed("ＭＳ ゴシック", 12));
    EXPECT_EQ(list->visualItemRect(list->item(1)).height(), 12);
}

TEST_F(ListBoxTest, DoubleClickRaisesOnDblClick)
{
    int clicks = 0;
    list->OnDblClick = [&](TObject *sender) {
        EXPECT_EQ(sender, list);
        ++clicks;
    };
    form.Show();
    const QPoint at = list->visualItemRect(list->item(2)).center();
    QMouseEvent press(QEvent::MouseButtonDblClick, at, list->viewport()->mapToGlobal(at),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &press);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(list->ItemIndex(), 2);
}

TEST_F(ControlsTest, ButtonSetsTheFormsResultBeforeItsOnClick)
{
    auto *button = new TButton(&form);
    button->SetModalResult(mrOk);
    int seen = -1;
    button->OnClick = [&](TObject *) { seen = form.ModalResult(); };
    button->click();
    EXPECT_EQ(seen, mrOk);
}

TEST_F(ControlsTest, SpeedButtonClickAndGreyedGlyph)
{
    auto *button = new TSpeedButton(&form);
    QPixmap glyph(17, 16);
    glyph.fill(Qt::red);
    button->SetGlyph(glyph);
    int clicks = 0;
    button->OnClick = [&](TObject *) { ++clicks; };
    button->click();
    button->SetEnabled(false);
    button->click();
    EXPECT_EQ(clicks, 1);
    const QImage greyed = button->icon().pixmap(QSize(17, 16), QIcon::Disabled).toImage();
    EXPECT_NE(greyed.pixelColor(8, 8), QColor(Qt::red));
}

TEST_F(ControlsTest, LastStatusPanelReachesTheRightEdge)
{
    auto *bar = new TStatusBar(&form);
    bar->SetBounds(0, 0, 300, 19);
    bar->AddPanel(230, taLeft, "");
    bar->AddPanel(10, taCentered, "");
    bar->SetPanelText(1, sjis("1 行"));
    EXPECT_EQ(bar->PanelText(1), sjis("1 行"));
    EXPECT_EQ(bar->PanelText(2), "");
    // The sunken border's light edge lies at the bar's right edge, not at 240.
    const QImage image = bar->grab().toImage();
    const QColor light = bar->palette().color(QPalette::Light);
    EXPECT_EQ(image.pixelColor(299, 10), light);
    EXPECT_NE(image.pixelColor(239, 10), light);
}

// Records what a graphic control reports, in order.
class Recorder : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    std::vector<std::string> log;
    bool canvasDuringPaint = false;

protected:
    void MouseDown(TMouseButton button, Qt::KeyboardModifiers shift, int x, int y) override
    {
        log.push_back("down " + std::to_string(button) + " " + std::to_string(x) + "," + std::to_string(y));
        TGraphicControl::MouseDown(button, shift, x, y);
    }
    void MouseMove(Qt::KeyboardModifiers, int x, int y) override
    {
        log.push_back("move " + std::to_string(x) + "," + std::to_string(y));
    }
    void MouseUp(TMouseButton button, Qt::KeyboardModifiers, int x, int y) override
    {
        log.push_back("up " + std::to_string(button) + " " + std::to_string(x) + "," + std::to_string(y));
    }
    void Paint() override { canvasDuringPaint = Canvas() && Canvas()->isActive(); }
};

class GraphicControlTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        control = new Recorder(&form);
        control->SetBounds(10, 100, 200, 4);
        control->OnClick = [this](TObject *) { control->log.push_back("click"); };
        control->OnDblClick = [this](TObject *) { control->log.push_back("dblclick"); };
        control->OnMouseDown = [this](TObject *, TMouseButton, Qt::KeyboardModifiers, int, int) {
            control->log.push_back("OnMouseDown");
        };
        form.Show();
        window = form.windowHandle();
        // Far from the last test's clicks, in time and place.
        clock += 10000;
        move({100, 100}, Qt::NoButton);
    }

    // A mouse event as the window system delivers it, at a point of the
    // control's client area.
    void mouse(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, QPoint at)
    {
        const QPoint local = control->mapTo(&form, at);
        clock += type == QEvent::MouseButtonPress ? 10 : 1;
        qt_handleMouseEvent(window, local, form.mapToGlobal(local), held, button, type,
                            Qt::NoModifier, clock);
    }
    void press(QPoint at, Qt::MouseButton button = Qt::LeftButton, Qt::MouseButtons held = Qt::LeftButton)
    {
        mouse(QEvent::MouseButtonPress, button, held, at);
    }
    void release(QPoint at, Qt::MouseButton button = Qt::LeftButton, Qt::MouseButtons held = Qt::NoButton)
    {
        mouse(QEvent::MouseButtonRelease, button, held, at);
    }
    void move(QPoint at, Qt::MouseButtons held) { mouse(QEvent::MouseMove, Qt::NoButton, held, at); }

    Recorder *control = nullptr;
    QWindow *window = nullptr;
    static inline int clock = 0;
};

TEST_F(GraphicControlTest, PressMoveReleaseInClientCoordinatesWhileCaptured)
{
    press({5, 2});
    move({5, 40}, Qt::LeftButton); // far outside, still reported to the control
    release({5, -20});
    // The window system moves the pointer to where a press or release is.
    const std::vector<std::string> expected = {"move 5,2", "down 0 5,2", "OnMouseDown",
                                               "move 5,40", "move 5,-20", "up 0 5,-20"};
    EXPECT_EQ(control->log, expected);
}

TEST_F(GraphicControlTest, ClickComesBeforeMouseUpAndOnlyForAReleaseInside)
{
    press({5, 2});
    release({6, 3});
    const std::vector<std::string> inside = {"move 5,2", "down 0 5,2", "OnMouseDown",
                                             "move 6,3", "click", "up 0 6,3"};
    EXPECT_EQ(control->log, inside);
    control->log.clear();
    clock += 10000;
    press({5, 2}, Qt::RightButton, Qt::RightButton);
    release({5, 2}, Qt::RightButton);
    const std::vector<std::string> right = {"move 5,2", "down 1 5,2", "OnMouseDown", "up 1 5,2"};
    EXPECT_EQ(control->log, right);
}

TEST_F(GraphicControlTest, DoubleClickRaisesOnDblClickThenThePress)
{
    press({5, 2});
    release({5, 2});
    press({5, 2});
    release({5, 2});
    const std::vector<std::string> expected = {
        "move 5,2", "down 0 5,2", "OnMouseDown", "click", "up 0 5,2",
        "dblclick", "down 0 5,2", "OnMouseDown", "click", "up 0 5,2"};
    EXPECT_EQ(control->log, expected);
}

TEST_F(GraphicControlTest, PaintHasACanvasAndSplitCursorsAreQts)
{
    control->grab();
    EXPECT_TRUE(control->canvasDuringPaint);
    EXPECT_EQ(control->Canvas(), nullptr);
    control->SetCursor(crVSplit);
    EXPECT_EQ(control->cursor().shape(), Qt::SplitVCursor);
    control->SetCursor(crHSplit);
    EXPECT_EQ(control->cursor().shape(), Qt::SplitHCursor);
}

}
