#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

// Starts of the built program from a copy in its own program folder, with
// its own lock folder and Windows directory, on the offscreen platform.
class Startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        for (const char *dir : {"prog", "run", "win"})
            ASSERT_TRUE(QDir(tmp.path()).mkdir(dir));
        ASSERT_TRUE(QFile::copy(MAREL_BINARY_DIR "/marel", program()));
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_RUNTIME_DIR", tmp.filePath("run"));
        environment.insert("WINDIR", tmp.filePath("win"));
    }

    QString program() const { return tmp.filePath("prog/marel"); }

    void start(QProcess &process)
    {
        process.setProcessEnvironment(environment);
        process.start(program(), {});
        ASSERT_TRUE(process.waitForStarted());
    }

    QTemporaryDir tmp;
    QProcessEnvironment environment;
};

TEST_F(Startup, ASecondStartEndsAtOnceWhileTheFirstRuns)
{
    QProcess first;
    start(first);
    // The data folder is made after the instance has claimed its title.
    const QString data = tmp.filePath("prog/data");
    for (QDeadlineTimer deadline(30000); !QFileInfo(data).isDir() && !deadline.hasExpired();)
        QThread::msleep(20);
    ASSERT_TRUE(QFileInfo(data).isDir());

    QProcess second;
    start(second);
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    first.kill();
    first.waitForFinished();
}

}
