#include "controls/SplitIt.h"
#include "support/main_fixture.h"

#include <QMouseEvent>

namespace {

// The window's geometry as it starts from a settings file, and what it
// stores when it closes.
class GeometryTest : public MainWindowTest {
protected:
    std::string settingsPath() const { return progDir + "/marel.ini"; }

    // Starts the program again on these settings.
    void restartWith(std::string_view settings)
    {
        destroyWindow();
        writeFile(settingsPath(), settings);
        createWindow();
    }

    // Drags the bar with the mouse until its top edge would be at y in
    // the window's client area, and drops it there.
    void dragBarTo(int y)
    {
        TSplitIt *bar = form->Split1;
        const auto send = [bar](QEvent::Type type, QPoint at, Qt::MouseButton button,
                                Qt::MouseButtons held) {
            QMouseEvent event(type, at, bar->mapToGlobal(at), button, held, Qt::NoModifier);
            QApplication::sendEvent(bar, &event);
        };
        send(QEvent::MouseButtonPress, {20, 1}, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, {20, y - bar->Top()}, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, {20, y - bar->Top()}, Qt::LeftButton, Qt::NoButton);
    }

    static std::string setup(int x, int y, int h, int h1)
    {
        return "[Setup]\r\nx=" + std::to_string(x) + "\r\ny=" + std::to_string(y) + "\r\nh=" +
               std::to_string(h) + "\r\nh1=" + std::to_string(h1) + "\r\n";
    }
};

TEST_F(GeometryTest, FirstStartUsesTheDefaultsAndTheCloseStoresThem)
{
    EXPECT_EQ(form->Left(), 10);
    EXPECT_EQ(form->Top(), 10);
    EXPECT_EQ(form->Width(), 340);
    EXPECT_EQ(form->Height(), 350);
    EXPECT_EQ(form->rchEdit->Height(), 150);
    EXPECT_EQ(form->Split1->Top(), 247);
    EXPECT_EQ(form->Split1->Min, 117);
    EXPECT_EQ(form->Split1->Max, 263);
    EXPECT_EQ(readFile(settingsPath()), "") << "nothing is written before the close";

    ASSERT_TRUE(form->Close());
    EXPECT_EQ(readFile(settingsPath()), setup(10, 10, 350, 150));
}

TEST_F(GeometryTest, SettingsSurviveARestart)
{
    form->SetBounds(-2, -15, 340, 420);
    dragBarTo(180);
    ASSERT_TRUE(form->Close());
    EXPECT_EQ(readFile(settingsPath()), setup(-2, -15, 420, 83));

    destroyWindow();
    createWindow();
    EXPECT_EQ(form->Left(), -2);
    EXPECT_EQ(form->Top(), -15);
    EXPECT_EQ(form->Height(), 420);
    EXPECT_EQ(form->rchEdit->Height(), 83);

    // A later close replaces the values in place.
    form->SetTop(60);
    ASSERT_TRUE(form->Close());
    EXPECT_EQ(readFile(settingsPath()), setup(-2, 60, 420, 83));
}

TEST_F(GeometryTest, StoredValuesAreReadByTheirRules)
{
    // Negative places stay small: Qt's offscreen platform nudges a window
    // whose client area would begin left of x 2 or above y 2 on the screen.
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    struct Case {
        const char *name;
        std::string settings;
        int left, top, height, editor;
    };
    const Case cases[] = {
        {"beyond the screen", setup(screenWidth + 1, screenHeight + 1, 350, 150), 10, 10, 350, 150},
        {"at the screen's size", setup(screenWidth, screenHeight, 350, 150),
         screenWidth, screenHeight, 350, 150},
        {"negative", setup(-2, -15, 350, 150), -2, -15, 350, 150},
        {"keys missing", "[Setup]\r\nh1=120\r\n", 10, 10, 350, 120},
        {"too short a window", setup(10, 10, 100, 40), 10, 10, 250, 40},
        {"too tall an editor: cut to Max", setup(10, 10, 350, 300), 10, 10, 350, 263 - 97},
        {"the smallest window shortens the editor", setup(10, 10, 250, 150), 10, 10, 250, 66},
        {"an editor of no height", setup(10, 10, 350, 0), 10, 10, 350, 0},
        {"a negative editor height shows none", setup(10, 10, 350, -40), 10, 10, 350, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        restartWith(c.settings);
        EXPECT_EQ(form->Left(), c.left);
        EXPECT_EQ(form->Top(), c.top);
        EXPECT_EQ(form->Width(), 340);
        EXPECT_EQ(form->Height(), c.height);
        EXPECT_EQ(form->rchEdit->Height(), c.editor);
        EXPECT_EQ(form->Split1->Top(), 97 + c.editor);
        EXPECT_EQ(form->Split1->Max, c.height - 87);
    }
}

TEST_F(GeometryTest, SizeLimitsBindEveryChange)
{
    form->SetBounds(10, 10, 500, 100);
    EXPECT_EQ(form->Width(), 340);
    EXPECT_EQ(form->Height(), 250);
    EXPECT_EQ(form->rchEdit->Height(), 66) << "the editor gives way at the smallest height";
    EXPECT_EQ(form->Split1->Max, 163);

    // A window drawn taller gives the room to the memo.
    const int memoHeight = form->rchMemo->height();
    form->SetHeight(450);
    EXPECT_EQ(form->Height(), 450);
    EXPECT_EQ(form->rchEdit->Height(), 66);
    EXPECT_EQ(form->rchMemo->height(), memoHeight + 200);
    EXPECT_EQ(form->Split1->Max, 363);

    // The frame dragged as the window system does it: on the client area.
    form->resize(400, 150);
    EXPECT_EQ(form->Width(), 340);
    EXPECT_EQ(form->Height(), 250);
}

TEST_F(GeometryTest, DroppingTheBarSetsTheEditorsHeight)
{
    dragBarTo(200);
    EXPECT_EQ(form->rchEdit->Height(), 103);
    EXPECT_EQ(form->Split1->Top(), 200);
    EXPECT_EQ(form->Panel2->y(), 204);

    // Held within the range the window gives the bar.
    dragBarTo(30);
    EXPECT_EQ(form->rchEdit->Height(), 20);
    dragBarTo(1000);
    EXPECT_EQ(form->rchEdit->Height(), 263 - 97);

    // A shorter editor than the smallest window allows is kept.
    dragBarTo(140);
    form->SetHeight(250);
    EXPECT_EQ(form->rchEdit->Height(), 43);
}

TEST_F(GeometryTest, RefusedCloseWritesNothing)
{
    const std::string before = setup(20, 30, 300, 100);
    restartWith(before);
    typeText(form->rchMemo, "unsaved");
    form->SetTop(80);
    testSeam().answer = [](const MessageBoxCall &) { return IDNO; };
    EXPECT_FALSE(form->Close());
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(testSeam().messageBoxes.size(), 1u);
    EXPECT_EQ(testSeam().messageBoxes[0].style, unsigned(MB_YESNO | MB_ICONHAND));
    EXPECT_EQ(readFile(settingsPath()), before);

    testSeam().answer = {};
    ASSERT_TRUE(form->Close());
    EXPECT_EQ(readFile(settingsPath()), setup(20, 80, 300, 100));
}

TEST_F(GeometryTest, MinimizedWindowStoresItsNormalPlacement)
{
    form->SetBounds(40, 50, 340, 300);
    form->showMinimized();
    QApplication::processEvents();
    ASSERT_TRUE(form->Minimized());
    ASSERT_TRUE(form->Close());
    EXPECT_EQ(readFile(settingsPath()), setup(40, 50, 300, 300 - 87 - 97));
}

TEST_F(GeometryTest, SessionEndAsksAboutUnsavedEditsFirst)
{
    destroyWindow();
    int argc = 0;
    TApplication program(argc, nullptr); // owns the main form from here
    program.CreateForm(frmMain);
    form = frmMain;
    form->Show();
    typeText(form->rchEdit, "unsaved");

    testSeam().answer = [](const MessageBoxCall &) { return IDNO; };
    EXPECT_FALSE(program.QueryEndSession());
    EXPECT_EQ(testSeam().messageBoxes.size(), 1u);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(readFile(settingsPath()), "");

    testSeam().answer = {};
    EXPECT_TRUE(program.QueryEndSession());
    EXPECT_EQ(readFile(settingsPath()), setup(10, 10, 350, 150));
    form = nullptr;
}

}
