#include "platform/cdaudio.h"
#include "support/cd_image.h"
#include "support/scripted_cdaudio.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Reply {
    unsigned code;
    std::string text;
};

class CdAudio : public ::testing::Test {
protected:
    void TearDown() override
    {
        setCdAudioDevice(nullptr);
        qunsetenv("MAREL_CD_DEVICE");
    }

    static void useDevice(const QString &path) { qputenv("MAREL_CD_DEVICE", QFile::encodeName(path)); }

    // Sends with the program's 40-byte buffer, filled beforehand so that an
    // answer that leaves it alone shows.
    static Reply send(const char *command)
    {
        char buffer[40];
        std::strcpy(buffer, "stale");
        const unsigned code = mciSendStringA(command, buffer, sizeof buffer, nullptr);
        return {code, buffer};
    }

    QTemporaryDir dir;
};

struct Disc {
    const char *name;
    std::vector<CueTrack> tracks;
    const char *length;
    const char *identity;
    const char *trackCount;
};

// The .bin starts at absolute 00:02:00 (the 150-frame lead-in), so a track
// at "00:00:00" has the address M=0 S=2 F=0 and adds 2*256 = 512.
// "one track, F not 0": the track starts at 00:01:10 + 00:02:00 = 00:03:10,
// which adds 3*256 + 10 = 778; the disc has fewer than 3 tracks, so add its
// F (10) and the frames to the lead-out: 150 + 3*60*75 - 235 = 13415.
// 778 + 10 + 13415 = 14203.
const std::vector<Disc> discs = {
    {"one track", {{1, "AUDIO", "00:00:00"}}, "03:00:00", "14012", "1"},  // 512 + 0 + 13500
    {"one track, F not 0", {{1, "AUDIO", "00:01:10"}}, "03:00:00", "14203", "1"},
    // 512 + 197120 (03:02:00) + 0 + 22500
    {"two tracks",
     {{1, "AUDIO", "00:00:00"}, {2, "AUDIO", "03:00:00"}},
     "05:00:00",
     "220132",
     "2"},
    // 512 + 197120 + 328192 (05:02:00), no length added
    {"three tracks",
     {{1, "AUDIO", "00:00:00"}, {2, "AUDIO", "03:00:00"}, {3, "AUDIO", "05:00:00"}},
     "07:00:00",
     "525824",
     "3"},
    // Track k (0 to 11) at 4k:58:k, absolute (4k+1):00:k, carrying the
    // lead-in into the minutes: 65536 * (4*66 + 12) + 66.
    {"twelve tracks",
     {{1, "AUDIO", "00:58:00"},
      {2, "AUDIO", "04:58:01"},
      {3, "AUDIO", "08:58:02"},
      {4, "AUDIO", "12:58:03"},
      {5, "AUDIO", "16:58:04"},
      {6, "AUDIO", "20:58:05"},
      {7, "AUDIO", "24:58:06"},
      {8, "AUDIO", "28:58:07"},
      {9, "AUDIO", "32:58:08"},
      {10, "AUDIO", "36:58:09"},
      {11, "AUDIO", "40:58:10"},
      {12, "AUDIO", "44:58:11"}},
     "48:00:00",
     "18088002",
     "12"},
    // The data track counts, both as a track and among the short disc's.
    {"audio then data",
     {{1, "AUDIO", "00:00:00"}, {2, "MODE1/2352", "03:00:00"}},
     "05:00:00",
     "220132",
     "2"},
    // 512 + 0 + 45000; no audio track, so no count.
    {"data only", {{1, "MODE1/2352", "00:00:00"}}, "10:00:00", "45512", ""},
    // Two tracks numbered 5 and 6: a short disc of two tracks.
    {"first track 5",
     {{5, "AUDIO", "00:00:00"}, {6, "AUDIO", "03:00:00"}},
     "05:00:00",
     "220132",
     "2"},
};

TEST_F(CdAudio, ImageGivesIdentityAndTrackCount)
{
    for (const Disc &disc : discs) {
        SCOPED_TRACE(disc.name);
        const QString image = writeCueImage(dir.path(), disc.name, disc.tracks, disc.length);
        ASSERT_FALSE(image.isEmpty());
        useDevice(image);

        const Reply identity = send("info cdaudio identity wait");
        EXPECT_EQ(identity.code, 0u);
        EXPECT_EQ(identity.text, disc.identity);
        EXPECT_EQ(send("open cdaudio").code, 0u);
        const Reply count = send("status cdaudio number of tracks");
        EXPECT_EQ(count.code, 0u);
        EXPECT_EQ(count.text, disc.trackCount);
        EXPECT_EQ(send("close cdaudio").code, 0u);
    }
}

TEST_F(CdAudio, TocImageIsReadToo)
{
    // libcdio takes a .toc's file names from the current folder, so this
    // one names its .bin in full.
    const QByteArray bin = QFile::encodeName(dir.filePath("disc.bin"));
    QFile toc(dir.filePath("disc.toc"));
    ASSERT_TRUE(toc.open(QIODevice::WriteOnly));
    toc.write("CD_DA\n"
              "TRACK AUDIO\nFILE \"" + bin + "\" 0 03:00:00\n"
              "TRACK AUDIO\nFILE \"" + bin + "\" 03:00:00 02:00:00\n");
    toc.close();
    QFile data(bin);
    ASSERT_TRUE(data.open(QIODevice::WriteOnly) && data.resize(cueFrames("05:00:00") * 2352));
    useDevice(toc.fileName());

    EXPECT_EQ(send("info cdaudio identity wait").text, "220132");  // as "two tracks"
    EXPECT_EQ(send("status cdaudio number of tracks").text, "2");
}

TEST_F(CdAudio, MissingImageAnswersErrorsAndEmptyTexts)
{
    useDevice(dir.filePath("gone.cue"));
    for (const char *command : {"info cdaudio identity wait", "open cdaudio",
                                "status cdaudio number of tracks", "close cdaudio"}) {
        SCOPED_TRACE(command);
        const Reply reply = send(command);
        EXPECT_NE(reply.code, 0u);
        EXPECT_EQ(reply.text, "");
    }
}

TEST_F(CdAudio, UnreadableImageAnswersErrors)
{
    QFile cue(dir.filePath("broken.cue"));
    ASSERT_TRUE(cue.open(QIODevice::WriteOnly));
    cue.write("FILE \"broken.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    cue.close();
    useDevice(cue.fileName());  // the .bin is missing

    EXPECT_NE(send("info cdaudio identity wait").code, 0u);
    EXPECT_EQ(send("status cdaudio number of tracks").text, "");
}

TEST_F(CdAudio, CloseReleasesTheOpenDevice)
{
    useDevice(writeCueImage(dir.path(), "disc", {{1, "AUDIO", "00:00:00"}}, "03:00:00"));
    EXPECT_NE(send("close cdaudio").code, 0u) << "nothing is open yet";
    EXPECT_EQ(send("open cdaudio").code, 0u);
    EXPECT_EQ(send("close cdaudio").code, 0u);
    EXPECT_NE(send("close cdaudio").code, 0u) << "already closed";
}

TEST_F(CdAudio, OnlyTheFourCommandsAreKnown)
{
    useDevice(writeCueImage(dir.path(), "disc", {{1, "AUDIO", "00:00:00"}}, "03:00:00"));
    for (const char *command : {"", "play cdaudio", "info cdaudio identity",
                                "INFO CDAUDIO IDENTITY WAIT", "status cdaudio number of tracks ",
                                "open cdaudio wait", "close"}) {
        SCOPED_TRACE(command);
        const Reply reply = send(command);
        EXPECT_EQ(reply.code, MCIERR_UNRECOGNIZED_COMMAND);
        EXPECT_EQ(reply.text, "");
    }
    EXPECT_NE(send(nullptr).code, 0u);
}

TEST_F(CdAudio, AnswerIsCutToTheBuffer)
{
    ScriptedCdAudio::install("123456789", 0, "12");
    struct Case {
        unsigned size;
        unsigned code;
        const char *text;
    };
    for (const Case &c : {Case{1, MCIERR_PARAM_OVERFLOW, ""}, Case{5, MCIERR_PARAM_OVERFLOW, "1234"},
                          Case{9, MCIERR_PARAM_OVERFLOW, "12345678"}, Case{10, 0, "123456789"}}) {
        SCOPED_TRACE(c.size);
        char buffer[16];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(mciSendStringA("info cdaudio identity wait", buffer, c.size, nullptr), c.code);
        EXPECT_STREQ(buffer, c.text);
        EXPECT_EQ(buffer[c.size], '#') << "written past the buffer";
    }

    char untouched[4] = "abc";
    EXPECT_EQ(mciSendStringA("info cdaudio identity wait", untouched, 0, nullptr),
              MCIERR_PARAM_OVERFLOW);
    EXPECT_STREQ(untouched, "abc");
    EXPECT_EQ(mciSendStringA("info cdaudio identity wait", nullptr, 0, nullptr),
              MCIERR_PARAM_OVERFLOW);
    EXPECT_EQ(mciSendStringA("open cdaudio", nullptr, 0, nullptr), 0u);
}

TEST_F(CdAudio, ScriptedDeviceGivesItsAnswersAndRecordsCommands)
{
    for (const char *identity : {"0", "-1", "2147483648", "", "12abc"}) {
        SCOPED_TRACE(identity);
        ScriptedCdAudio *cd = ScriptedCdAudio::install(identity, 0, "");
        const Reply reply = send("info cdaudio identity wait");
        EXPECT_EQ(reply.code, 0u);
        EXPECT_EQ(reply.text, identity);
        EXPECT_EQ(send("status cdaudio number of tracks").text, "");
        EXPECT_EQ(cd->commands, (std::vector<std::string>{"info cdaudio identity wait",
                                                          "status cdaudio number of tracks"}));
    }

    ScriptedCdAudio *cd = ScriptedCdAudio::install("", 263, "12");
    EXPECT_EQ(send("info cdaudio identity wait").code, 263u);
    EXPECT_EQ(send("status cdaudio number of tracks").text, "12");
    EXPECT_EQ(send("status cdaudio mode").code, MCIERR_UNRECOGNIZED_COMMAND);
    EXPECT_EQ(cd->commands.size(), 3u);

    useDevice(dir.filePath("gone.cue"));
    setCdAudioDevice(nullptr);
    EXPECT_NE(send("info cdaudio identity wait").code, 0u) << "the real device is back";
}

}
