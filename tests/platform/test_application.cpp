#include "support/seam_fixture.h"
#include "platform/application.h"
#include "platform/controls.h"
#include "platform/forms.h"

#include <QApplication>
#include <QBackingStore>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class ApplicationTest : public SeamTest {};

TEST_F(ApplicationTest, MessageBoxesAreRecordedAndAnswered)
{
    EXPECT_EQ(Application->MessageBox("a", "Marel", MB_OK | MB_ICONHAND), IDOK);
    EXPECT_EQ(Application->MessageBox("b", "Marel", MB_YESNO | MB_ICONQUESTION), IDYES);
    testSeam().answer = [](const MessageBoxCall &call) { return call.text == "c" ? IDNO : IDYES; };
    EXPECT_EQ(Application->MessageBox("c", "Marel", MB_YESNO | MB_ICONHAND), IDNO);
    ASSERT_EQ(testSeam().messageBoxes.size(), 3U);
    EXPECT_EQ(testSeam().messageBoxes[1].style, unsigned(MB_YESNO | MB_ICONQUESTION));

    Application->ShowException(Exception("broken"));
    EXPECT_EQ(testSeam().messageBoxes.back().text, "broken.");
    EXPECT_EQ(testSeam().messageBoxes.back().caption, "Marel");

    MessageBeep(MB_ICONHAND);
    EXPECT_EQ(testSeam().beeps, 1);
}

TEST_F(ApplicationTest, ExeNameIsTheRunningProgramUnlessATestSetsIt)
{
    EXPECT_TRUE(QString::fromStdString(Application->ExeName()).endsWith("/test_platform"));
    testSeam().exeName = "/opt/marel/marel";
    EXPECT_EQ(Application->ExeName(), "/opt/marel/marel");
}

TEST_F(ApplicationTest, ScreenMetricsAreThePrimaryScreensSize)
{
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), screen.width());
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), screen.height());
}

// Sets an environment variable for one test.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value)
        : name(name)
        , had(qEnvironmentVariableIsSet(name))
        , old(qgetenv(name))
    {
        value ? qputenv(name, value) : qunsetenv(name);
    }
    ~ScopedEnv() { had ? qputenv(name, old) : qunsetenv(name); }

private:
    const char *name;
    bool had;
    QByteArray old;
};

TEST_F(ApplicationTest, TheTitleIsHeldByALiveProcessOnly)
{
    QTemporaryDir runtime;
    const ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().toUtf8().constData());
    const char *title = "MarelInstanceTest";
    EXPECT_FALSE(FindWindowA("TApplication", title));

    int ready[2];
    int finish[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(finish), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Claims the title, says so, and lives until told to end, or for a
        // minute at most should the test fail before telling it.
        alarm(60);
        close(ready[0]);
        close(finish[1]);
        Application->SetTitle(title);
        char byte = 1;
        (void)!write(ready[1], &byte, 1);
        (void)!read(finish[0], &byte, 1);
        _exit(0);
    }
    close(ready[1]);
    close(finish[0]);
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);

    EXPECT_TRUE(QFile::exists(runtime.filePath("MarelInstanceTest.lock")));
    EXPECT_TRUE(FindWindowA("TApplication", title));
    EXPECT_TRUE(FindWindowA(nullptr, title));
    EXPECT_FALSE(FindWindowA("OtherClass", title));
    EXPECT_FALSE(FindWindowA("TApplication", "OtherTitle"));

    close(finish[1]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_FALSE(FindWindowA("TApplication", title));
    close(ready[0]);
}

TEST_F(ApplicationTest, WithoutARuntimeFolderTheLockLiesInTmpUnderTheUserId)
{
    const ScopedEnv env("XDG_RUNTIME_DIR", nullptr);
    const std::string title = "MarelFallbackTest" + std::to_string(getpid());
    const QString path = QString::fromStdString("/tmp/" + title + "-" + std::to_string(getuid()) + ".lock");
    {
        int argc = 0;
        TApplication app(argc, nullptr);
        app.SetTitle(title);
        EXPECT_TRUE(QFile::exists(path));
        EXPECT_TRUE(FindWindowA("TApplication", title.c_str()));
    }
    EXPECT_FALSE(FindWindowA("TApplication", title.c_str()));
    QFile::remove(path);
}

// A main form that checks, when created, that the application's reference
// to it is already set.
class MainProbe;
MainProbe *probeRef = nullptr;
class MainProbe : public TForm {
public:
    bool refSetOnCreate = false;
    MainProbe()
    {
        SetBounds(0, 0, 200, 100);
        OnCreate = [this](TObject *) { refSetOnCreate = probeRef == this; };
    }
};

TEST_F(ApplicationTest, ProgramObjectCreatesTheMainFormAndRunsUntilItCloses)
{
    TApplication *builtIn = Application;
    {
        int argc = 0;
        TApplication app(argc, nullptr);
        EXPECT_EQ(Application, &app);
        app.Initialize();
        app.CreateForm(probeRef);
        EXPECT_EQ(app.MainForm(), probeRef);
        EXPECT_TRUE(probeRef->refSetOnCreate);

        bool shownInLoop = false;
        QTimer::singleShot(0, probeRef, [&] {
            shownInLoop = probeRef->isVisible();
            probeRef->Close();
        });
        app.Run();
        EXPECT_TRUE(shownInLoop);
        EXPECT_FALSE(probeRef->isVisible());
    }
    EXPECT_EQ(Application, builtIn);
}

TEST_F(ApplicationTest, ClosingTheMainFormOutsideRunLeavesLaterLoopsAlone)
{
    int argc = 0;
    TApplication app(argc, nullptr);
    TForm *form = nullptr;
    app.CreateForm(form);
    form->SetBounds(0, 0, 200, 100);
    form->Show();
    EXPECT_TRUE(form->Close());

    testSeam().active = false;
    TForm dialog;
    dialog.SetBounds(0, 0, 200, 100);
    QTimer::singleShot(0, &dialog, [&] { dialog.SetModalResult(mrOk); });
    EXPECT_EQ(dialog.ShowModal(), mrOk);
}

TEST_F(ApplicationTest, SessionEndAsksTheMainFormAndKeepsItOpenWhenRefused)
{
    int argc = 0;
    TApplication app(argc, nullptr);
    EXPECT_TRUE(app.QueryEndSession());

    TForm *form = nullptr;
    app.CreateForm(form);
    bool allow = false;
    int asked = 0;
    form->OnCloseQuery = [&](TObject *, bool &canClose) {
        ++asked;
        canClose = allow;
    };
    form->SetBounds(0, 0, 200, 100);
    form->Show();
    EXPECT_FALSE(app.QueryEndSession());
    EXPECT_TRUE(form->isVisible());
    allow = true;
    EXPECT_TRUE(app.QueryEndSession());
    EXPECT_EQ(asked, 2);
}

TEST_F(ApplicationTest, InvertingARectangleTwiceRestoresTheWindow)
{
    TForm form;
    form.SetBounds(100, 100, 208, 123); // client 200 x 100 at (104, 119)
    auto *panel = new TPanel(&form);
    panel->SetAlign(alClient);
    form.Show();
    QCoreApplication::processEvents();
    const auto *store = dynamic_cast<QImage *>(form.backingStore()->paintDevice());
    ASSERT_NE(store, nullptr);
    ASSERT_EQ(store->size(), QSize(200, 100));
    const QPoint inside = form.mapFromGlobal(QPoint(150, 170));
    const QPoint outside = form.mapFromGlobal(QPoint(150, 180));
    const QRgb before = store->pixel(inside);
    const QRgb beside = store->pixel(outside);

    const HDC dc = GetWindowDC(nullptr);
    // Seen at once, with no event processed in between.
    EXPECT_TRUE(PatBlt(dc, 110, 168, 100, 4, PATINVERT));
    EXPECT_EQ(store->pixel(inside) & 0xFFFFFF, ~before & 0xFFFFFF);
    EXPECT_EQ(store->pixel(outside), beside);
    EXPECT_TRUE(PatBlt(dc, 110, 168, 100, 4, PATINVERT));
    EXPECT_EQ(store->pixel(inside), before);
    ASSERT_EQ(testSeam().inversions.size(), 2U);
    EXPECT_EQ(testSeam().inversions[0], QRect(110, 168, 100, 4));

    // Drawn but not kept when no test looks.
    testSeam().active = false;
    EXPECT_TRUE(PatBlt(dc, 110, 168, 100, 4, PATINVERT));
    EXPECT_EQ(store->pixel(inside) & 0xFFFFFF, ~before & 0xFFFFFF);
    EXPECT_EQ(testSeam().inversions.size(), 2U);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(panel->geometry(), QRect(0, 0, 200, 100));
}

}
