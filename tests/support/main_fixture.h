#pragma once
#include "support/seam_fixture.h"
#include "forms/main.h"
#include "platform/application.h"
#include "platform/cdaudio.h"
#include "platform/text.h"
#include "support/scripted_cdaudio.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>
#include <string_view>

// Where the window system hands a key press first: the shortcuts (access
// keys) of the active window. True when a shortcut took it.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject *receiver, ulong timestamp, int key,
                                               Qt::KeyboardModifiers modifiers,
                                               const QString &text, bool autorepeat,
                                               ushort count);

// The main window as the program starts it, with its program folder
// (tmp/prog, the program file tmp/prog/marel) and its Windows directory
// (tmp/win, holding cdplayer.ini) in a temporary folder. Message boxes are
// answered by testSeam().answer (unset: Yes / OK) and recorded with the
// beeps in testSeam(). A test that needs files in place before the window
// is made overrides beforeCreate().
//
//   TEST_F(MainWindowTest, ReadsADisc) {
//       writeCatalogue("[FF]\r\ntitle=T\r\n");
//       readDisc("255", 0, "3");
//       EXPECT_EQ(form->edtTitle->Text(), "T");
//   }
class MainWindowTest : public SeamTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        progDir = tmp.filePath("prog").toStdString();
        winDir = tmp.filePath("win").toStdString();
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(progDir)));
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(winDir)));
        hadWindir = qEnvironmentVariableIsSet("WINDIR");
        savedWindir = qgetenv("WINDIR");
        qputenv("WINDIR", QByteArray::fromStdString(winDir));
        SeamTest::SetUp();
        testSeam().exeName = progDir + "/marel";
        beforeCreate();
        createWindow();
    }

    void TearDown() override
    {
        destroyWindow();
        setCdAudioDevice(nullptr);
        SeamTest::TearDown();
        if (hadWindir)
            qputenv("WINDIR", savedWindir);
        else
            qunsetenv("WINDIR");
    }

    virtual void beforeCreate() {}

    // The steps of start-up: frmMain is set before OnCreate runs, then the
    // window is shown (FormShow).
    void createWindow()
    {
        frmMain = new TfrmMain();
        form = frmMain;
        form->DoCreate();
        form->Show();
        form->activateWindow();
        QApplication::processEvents();
    }

    void destroyWindow()
    {
        delete form;
        form = nullptr;
        frmMain = nullptr;
    }

    // CP932 bytes of a UTF-8 text of the test.
    static std::string sj(std::string_view utf8) { return cp932::fromUtf8(utf8); }

    static void writeFile(const std::string &path, std::string_view bytes)
    {
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path;
        ASSERT_EQ(file.write(bytes.data(), qint64(bytes.size())), qint64(bytes.size()));
    }

    static std::string readFile(const std::string &path)
    {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }

    std::string cataloguePath() const { return winDir + "/cdplayer.ini"; }
    void writeCatalogue(std::string_view bytes) { writeFile(cataloguePath(), bytes); }
    std::string readCatalogue() const { return readFile(cataloguePath()); }
    std::string memoPath(const std::string &discId) const
    {
        return progDir + "/data/" + discId + ".cd";
    }

    // A key pressed and released while the widget has the focus: an access
    // key of the window takes it first, as from the keyboard.
    static void pressKey(QWidget *widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                         const QString &text = {})
    {
        if (qt_sendShortcutOverrideEvent(widget, 0, key, modifiers, text, false, 1))
            return;
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(widget, &release);
    }

    // Types the text key by key into the widget, as the user would; "\n"
    // is the Enter key.
    static void typeText(QWidget *widget, std::string_view utf8)
    {
        const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
        for (const char32_t ch : text.toUcs4()) {
            if (ch == U'\n')
                pressKey(widget, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
            else
                pressKey(widget, int(QChar::toUpper(ch)), Qt::NoModifier, QString::fromUcs4(&ch, 1));
        }
    }

    // A click of the user: a disabled button does nothing.
    static void click(QAbstractButton *button) { button->click(); }

    // Puts a disc answering these texts in the drive and clicks the read
    // button; the device records the commands it got.
    ScriptedCdAudio *readDisc(const std::string &identity, unsigned code,
                              const std::string &tracks)
    {
        ScriptedCdAudio *device = ScriptedCdAudio::install(identity, code, tracks);
        click(form->sbtnCDRead);
        return device;
    }

    QTemporaryDir tmp;
    std::string progDir;
    std::string winDir;
    TfrmMain *form = nullptr;

private:
    bool hadWindir = false;
    QByteArray savedWindir;
};
