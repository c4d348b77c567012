#include "support/cd_image.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct CdInfoRun {
    int exitCode = -1;
    QStringList lines;
    QByteArray errors;
};

// Runs marel-cdinfo with $MAREL_CD_DEVICE set to envDevice, or unset when
// envDevice is null.
CdInfoRun cdinfo(const QStringList &arguments, const QString &envDevice = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("MAREL_CD_DEVICE");
    if (!envDevice.isNull())
        environment.insert("MAREL_CD_DEVICE", envDevice);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(MAREL_BINARY_DIR "/marel-cdinfo", arguments);
    CdInfoRun run;
    if (!process.waitForFinished() || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n');
    run.errors = process.readAllStandardError();
    return run;
}

const std::vector<CueTrack> threeTracks = {
    {1, "AUDIO", "00:00:00"}, {2, "AUDIO", "03:00:00"}, {3, "AUDIO", "05:00:00"}};

TEST(CdInfo, PrintsTheFourAnswersForTheImageGiven)
{
    QTemporaryDir dir;
    const QString image = writeCueImage(dir.path(), "disc", threeTracks, "07:00:00");
    ASSERT_FALSE(image.isEmpty());

    // The argument wins over the environment.
    const CdInfoRun run = cdinfo({image}, dir.filePath("gone.cue"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lines, QStringList({"info cdaudio identity wait\t0\t525824",
                                      "open cdaudio\t0\t",
                                      "status cdaudio number of tracks\t0\t3",
                                      "close cdaudio\t0\t", ""}));
    EXPECT_EQ(run.errors, "");
}

TEST(CdInfo, UsesTheEnvironmentWithoutArgument)
{
    QTemporaryDir dir;
    const QString image = writeCueImage(dir.path(), "data", {{1, "MODE1/2352", "00:00:00"}}, "10:00:00");
    ASSERT_FALSE(image.isEmpty());

    const CdInfoRun run = cdinfo({}, image);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lines, QStringList({"info cdaudio identity wait\t0\t45512",
                                      "open cdaudio\t0\t",
                                      "status cdaudio number of tracks\t0\t",
                                      "close cdaudio\t0\t", ""}));
}

TEST(CdInfo, MissingImageFailsQuietly)
{
    QTemporaryDir dir;
    const CdInfoRun run = cdinfo({dir.filePath("gone.cue")});
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.lines.size(), 5);
    const QStringList commands = {"info cdaudio identity wait", "open cdaudio",
                                  "status cdaudio number of tracks", "close cdaudio"};
    for (int i = 0; i < commands.size(); ++i) {
        const QStringList fields = run.lines[i].split('\t');
        ASSERT_EQ(fields.size(), 3) << run.lines[i].toStdString();
        EXPECT_EQ(fields[0], commands[i]);
        EXPECT_NE(fields[1], "0");
        EXPECT_EQ(fields[2], "");
    }
    EXPECT_EQ(run.errors, "") << "libcdio's warnings are silenced";

    EXPECT_NE(cdinfo({"-v", dir.filePath("gone.cue")}).errors, "") << "but -v shows them";
}

TEST(CdInfo, RefusesUnknownOptions)
{
    const CdInfoRun run = cdinfo({"--bogus"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.lines, QStringList({""}));
    EXPECT_NE(run.errors, "");
}

}
