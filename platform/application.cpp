#include "platform/application.h"

#include "platform/forms.h"
#include "platform/text.h"

#include <QApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRegion>
#include <QScreen>
#include <QSessionManager>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TApplication &builtInApplication()
{
    static TApplication application;
    return application;
}

// The per-user lock file of a title: in the user's runtime folder, else in
// /tmp under a name that holds the user id.
std::string lockPath(const std::string &title)
{
    std::string name = title;
    std::ranges::replace(name, '/', '_');
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        return std::string(runtime) + "/" + name + ".lock";
    return "/tmp/" + name + "-" + std::to_string(getuid()) + ".lock";
}

// The inverted bands over one of the program's windows: a child on top of
// all others that inverts what lies beneath it, lets the mouse through and
// never takes part in a layout.
class InvertedBands : public QWidget {
public:
    explicit InvertedBands(QWidget *window)
        : QWidget(window)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

    static InvertedBands &of(QWidget *window)
    {
        for (QObject *child : window->children())
            if (auto *bands = dynamic_cast<InvertedBands *>(child))
                return *bands;
        return *new InvertedBands(window);
    }

    // Inverting a band twice restores it, so the bands form the XOR of all
    // rectangles drawn; the change shows at once.
    void invert(const QRect &band)
    {
        region ^= band;
        setGeometry(parentWidget()->rect());
        raise();
        show();
        repaint(band);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (region.isEmpty())
            return;
        QPainter painter(this);
        painter.setClipRegion(region);
        painter.setCompositionMode(QPainter::CompositionMode_Difference);
        painter.fillRect(rect(), Qt::white);
    }

private:
    QRegion region;
};

}

// The screen's drawing context: the only one there is.
struct HDC__ {};

namespace {
HDC__ screenContext;
}

TApplication *Application = &builtInApplication();

TestSeam &testSeam()
{
    static TestSeam seam;
    return seam;
}

TApplication::TApplication() = default;

TApplication::TApplication(int &argc, char **argv)
    : previous(Application)
{
    if (!QCoreApplication::instance())
        ownApp = std::make_unique<QApplication>(argc, argv);
    Application = this;
}

TApplication::~TApplication()
{
    QObject::disconnect(sessionEnd);
    // Widgets can't outlive the QApplication: the built-in object, gone at
    // exit, leaves a form it was given to the process's end.
    if (QCoreApplication::instance())
        delete mainForm;
    ownApp.reset();
    if (Application == this)
        Application = previous;
    if (lockFd >= 0)
        close(lockFd);
}

void TApplication::Initialize()
{
    auto *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!gui)
        return;
    QObject::disconnect(sessionEnd);
    sessionEnd = QObject::connect(gui, &QGuiApplication::commitDataRequest, gui,
        [this](QSessionManager &manager) {
            // Unsaved edits are asked about even when the session grants no
            // interaction: a question beats losing them.
            const bool granted = manager.allowsInteraction();
            const bool canClose = QueryEndSession();
            if (granted)
                manager.release();
            if (!canClose)
                manager.cancel();
        },
        Qt::DirectConnection);
}

std::string TApplication::ExeName() const
{
    if (!testSeam().exeName.empty())
        return testSeam().exeName;
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

void TApplication::SetTitle(const std::string &value)
{
    title = value;
    if (lockFd >= 0)
        close(lockFd);
    lockFd = open(lockPath(value).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd >= 0 && flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
        close(lockFd);
        lockFd = -1;
    }
}

void TApplication::Run()
{
    if (!mainForm)
        return;
    mainForm->Show();
    if (!mainForm->isVisible())
        return;
    running = true;
    QApplication::exec();
    running = false;
}

void TApplication::Terminate()
{
    // Outside the loop, exit() would make the next nested loop end at once.
    if (running)
        QCoreApplication::exit(0);
}

bool TApplication::QueryEndSession() { return !mainForm || mainForm->CloseQuery(); }

int TApplication::MessageBox(const std::string &text, const std::string &caption, unsigned style)
{
    const bool yesNo = (style & 0xF) == MB_YESNO;
    TestSeam &seam = testSeam();
    if (seam.active) {
        const MessageBoxCall call{text, caption, style};
        seam.messageBoxes.push_back(call);
        return seam.answer ? seam.answer(call) : yesNo ? IDYES : IDOK;
    }

    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if ((style & 0xF0) == MB_ICONHAND)
        icon = QMessageBox::Critical;
    else if ((style & 0xF0) == MB_ICONQUESTION)
        icon = QMessageBox::Question;
    QMessageBox box(icon, cp932::toUnicode(caption), cp932::toUnicode(text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    if (yesNo) {
        QPushButton *yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        QPushButton *no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        // Closing the box answers No: a question goes on only on Yes.
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? IDYES : IDNO;
    }
    QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return IDOK;
}

void TApplication::ShowException(const std::exception &error)
{
    MessageBox(std::string(error.what()) + ".", title, MB_OK | MB_ICONHAND);
}

bool FindWindowA(const char *className, const char *title)
{
    if (!title || (className && std::string_view(className) != "TApplication"))
        return false;
    const int fd = open(lockPath(title).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    // A file another user put there says nothing about this user's instance.
    struct stat status {};
    const bool held = fstat(fd, &status) == 0 && status.st_uid == getuid()
        && flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return held;
}

void MessageBeep(unsigned)
{
    TestSeam &seam = testSeam();
    ++seam.beeps;
    if (seam.active)
        return;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        QApplication::beep();
}

int GetSystemMetrics(int index)
{
    const QScreen *screen = qobject_cast<QGuiApplication *>(QCoreApplication::instance())
        ? QGuiApplication::primaryScreen()
        : nullptr;
    if (!screen)
        return 0;
    switch (index) {
    case SM_CXSCREEN:
        return screen->geometry().width();
    case SM_CYSCREEN:
        return screen->geometry().height();
    default:
        return 0;
    }
}

HDC GetWindowDC(void *window) { return window ? nullptr : &screenContext; }

bool PatBlt(HDC dc, int x, int y, int width, int height, unsigned rop)
{
    if (dc != &screenContext || rop != PATINVERT)
        return false;
    const QRect band(x, y, width, height);
    // Only a test reads them back; the running program would pile up one per
    // pointer move of every drag.
    if (testSeam().active)
        testSeam().inversions.push_back(band);
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return true;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || window->isMinimized())
            continue;
        const QRect local = QRect(window->mapFromGlobal(band.normalized().topLeft()),
                                  band.normalized().size())
                                .intersected(window->rect());
        if (!local.isEmpty())
            InvertedBands::of(window).invert(local);
    }
    return true;
}

int ReleaseDC(void *, HDC) { return 1; }
