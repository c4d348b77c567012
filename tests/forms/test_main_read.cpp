#include "support/cd_image.h"
#include "support/main_fixture.h"

#include <QDir>

namespace {

using ReadTest = MainWindowTest;

const std::vector<std::string> allCommands = {"info cdaudio identity wait", "open cdaudio",
                                              "status cdaudio number of tracks", "close cdaudio"};

TEST_F(ReadTest, ReadsACataloguedDisc)
{
    // The stored count (2) is not the device's (3): the device's counts.
    writeCatalogue("[FF]\r\nartist=" + sj("歌手") + "\r\ntitle=" + sj("題名")
                   + "\r\nnumtracks=2\r\n0=A\r\n1=B\r\n");
    writeFile(memoPath("FF"), "memo\r\nline 2");

    const ScriptedCdAudio *device = readDisc("255", 0, "3");

    EXPECT_EQ(device->commands, allCommands);
    EXPECT_EQ(form->discId, "FF");
    EXPECT_EQ(form->edtSerial->Text(), " FF");
    EXPECT_EQ(form->trackCount, 3);
    EXPECT_EQ(form->statusBar->PanelText(0), sj(" CD-DA ﾄﾗｯｸ数： 3"));
    EXPECT_EQ(form->edtTitle->Text(), sj("題名"));
    EXPECT_EQ(form->edtArtist->Text(), sj("歌手"));
    EXPECT_EQ(form->rchEdit->Text(), "A\r\nB");
    EXPECT_EQ(form->rchEdit->SelStart(), 4);
    EXPECT_EQ(form->rchMemo->Text(), "memo\r\nline 2");
    EXPECT_FALSE(form->rchEdit->Modified());
    EXPECT_FALSE(form->rchMemo->Modified());
    for (TControl *control : std::initializer_list<TControl *>{
             form->sbtnCDSave, form->sbtnCopy, form->edtTitle, form->edtArtist, form->sbtnCDRead,
             form->sbtnCDOpen, form->sbtnDel})
        EXPECT_TRUE(control->Enabled());
    EXPECT_EQ(form->edtTitle->Color(), clWindow);
    EXPECT_EQ(form->edtArtist->Color(), clWindow);
    EXPECT_EQ(testSeam().beeps, 0);
    EXPECT_TRUE(testSeam().messageBoxes.empty());
}

TEST_F(ReadTest, ADiscNotInTheCatalogueStartsEmpty)
{
    writeCatalogue("[FF]\r\ntitle=other\r\nnumtracks=1\r\n0=A\r\n");
    readDisc("255", 0, "3");
    readDisc("4096", 0, "12abc"); // the status shows the device's text as it is

    EXPECT_EQ(form->discId, "1000");
    EXPECT_EQ(form->trackCount, 12);
    EXPECT_EQ(form->statusBar->PanelText(0), sj(" CD-DA ﾄﾗｯｸ数： 12abc"));
    EXPECT_EQ(form->edtTitle->Text(), "");
    EXPECT_EQ(form->rchEdit->Text(), "");
    EXPECT_EQ(form->rchMemo->Text(), "");
    EXPECT_TRUE(form->sbtnCDSave->Enabled());
}

TEST_F(ReadTest, ANegativeIdentityIsTakenAsItsUnsignedPattern)
{
    readDisc("-1", 0, "1");
    EXPECT_EQ(form->discId, "FFFFFFFF");
    EXPECT_EQ(form->edtSerial->Text(), " FFFFFFFF");
}

// What must stay as it was after a read that found no disc.
void expectUntouched(const TfrmMain &form)
{
    EXPECT_EQ(form.discId, "");
    EXPECT_EQ(form.edtSerial->Text(), "");
    EXPECT_EQ(form.trackCount, 0);
    EXPECT_EQ(form.statusBar->PanelText(0), cp932::fromUtf8(" ｵｰﾃﾞｨｵﾄﾗｯｸが見つかりません"));
    EXPECT_EQ(form.rchEdit->Text(), "typed");
    EXPECT_TRUE(form.rchEdit->Modified());
    EXPECT_FALSE(form.sbtnCDSave->Enabled());
    EXPECT_FALSE(form.edtTitle->Enabled());
}

struct NoDisc {
    const char *identity;
    unsigned code;
};

class NoDiscTest : public MainWindowTest, public ::testing::WithParamInterface<NoDisc> {};

TEST_P(NoDiscTest, BeepsAndChangesNothing)
{
    typeText(form->rchEdit, "typed");
    const ScriptedCdAudio *device = readDisc(GetParam().identity, GetParam().code, "3");

    EXPECT_EQ(testSeam().beeps, 1);
    EXPECT_EQ(device->commands, std::vector<std::string>{allCommands[0]});
    ASSERT_EQ(testSeam().messageBoxes.size(), 1u); // only the discard question
    expectUntouched(*form);
}

INSTANTIATE_TEST_SUITE_P(Answers, NoDiscTest,
                         ::testing::Values(NoDisc{"", MCIERR_DEVICE_NOT_READY},
                                           NoDisc{"", MCIERR_INVALID_DEVICE_NAME},
                                           NoDisc{"0", 0}, NoDisc{"+0", 0}));

class NotANumberTest : public MainWindowTest, public ::testing::WithParamInterface<const char *> {};

TEST_P(NotANumberTest, ShowsTheConversionErrorAndChangesNothing)
{
    typeText(form->rchEdit, "typed");
    const ScriptedCdAudio *device = readDisc(GetParam(), 0, "3");

    ASSERT_EQ(testSeam().messageBoxes.size(), 2u); // the discard question, then the error
    const MessageBoxCall &box = testSeam().messageBoxes[1];
    EXPECT_EQ(box.text, "'" + std::string(GetParam()) + sj("' は整数ではありません."));
    EXPECT_EQ(box.caption, "Marel");
    EXPECT_EQ(box.style, MB_OK | MB_ICONHAND);
    EXPECT_EQ(testSeam().beeps, 0);
    EXPECT_EQ(device->commands.size(), 1u);
    expectUntouched(*form);
}

INSTANTIATE_TEST_SUITE_P(Identities, NotANumberTest,
                         ::testing::Values("2147483648", "-2147483648", "", "12abc", " "));

TEST_F(ReadTest, ADiscWithoutAudioTracksKeepsThePreviousTexts)
{
    writeCatalogue("[FF]\r\ntitle=T\r\nartist=A\r\nnumtracks=1\r\n0=one\r\n");
    writeFile(memoPath("FF"), "memo");
    readDisc("255", 0, "1");
    typeText(form->rchMemo, "!");

    const ScriptedCdAudio *device = readDisc("300", 0, "");

    EXPECT_EQ(device->commands, allCommands);
    EXPECT_EQ(testSeam().beeps, 1);
    EXPECT_EQ(form->discId, "12C");
    EXPECT_EQ(form->edtSerial->Text(), " 12C");
    EXPECT_EQ(form->statusBar->PanelText(0), sj(" ｵｰﾃﾞｨｵﾄﾗｯｸが見つかりません"));
    EXPECT_EQ(form->trackCount, 1);
    EXPECT_EQ(form->edtTitle->Text(), "T");
    EXPECT_EQ(form->rchEdit->Text(), "one");
    EXPECT_EQ(form->rchMemo->Text(), "!memo");
    EXPECT_FALSE(form->rchMemo->Modified());
    for (TControl *control : std::initializer_list<TControl *>{
             form->sbtnCDSave, form->sbtnCopy, form->edtTitle, form->edtArtist})
        EXPECT_FALSE(control->Enabled());
    EXPECT_EQ(form->edtTitle->Color(), clBtnFace);
    EXPECT_EQ(form->edtArtist->Color(), clBtnFace);
    EXPECT_TRUE(form->sbtnCDRead->Enabled());
}

TEST_F(ReadTest, DecliningTheDiscardQuestionSendsNothing)
{
    readDisc("255", 0, "1");
    typeText(form->rchEdit, "typed");
    testSeam().answer = [](const MessageBoxCall &) { return IDNO; };

    const ScriptedCdAudio *device = readDisc("300", 0, "2");

    EXPECT_TRUE(device->commands.empty());
    ASSERT_EQ(testSeam().messageBoxes.size(), 1u);
    EXPECT_EQ(testSeam().messageBoxes[0].text, sj("編集されています。編集内容を取り消しますか？"));
    EXPECT_EQ(form->discId, "FF");
    EXPECT_EQ(form->rchEdit->Text(), "typed");
    EXPECT_TRUE(form->rchEdit->Modified());

    testSeam().answer = nullptr; // Yes
    readDisc("300", 0, "2");
    EXPECT_EQ(form->discId, "12C");
    EXPECT_EQ(form->rchEdit->Text(), "");
}

TEST_F(ReadTest, AnUnreadableMemoEndsTheReadWithTheFileError)
{
    writeCatalogue("[FF]\r\nnumtracks=1\r\n0=A\r\n");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(memoPath("FF"))));

    readDisc("255", 0, "7");

    ASSERT_EQ(testSeam().messageBoxes.size(), 1u);
    EXPECT_EQ(testSeam().messageBoxes[0].text,
              sj("ﾌｧｲﾙ ") + memoPath("FF") + sj(" は開けません."));
    EXPECT_EQ(form->edtSerial->Text(), " FF");
    EXPECT_EQ(form->trackCount, 0);
    EXPECT_FALSE(form->sbtnCDSave->Enabled());
}

// The real device on a disc image: three audio tracks starting at the
// absolute addresses 00:02:00, 02:02:00 and 04:02:00, whose identity is
// 2*256 + (2*65536 + 2*256) + (4*65536 + 2*256) = 394752 = 0x60600.
TEST_F(ReadTest, ReadsADiscImageThroughTheRealDevice)
{
    const QString cue = writeCueImage(tmp.path(), "disc",
                                      {{1, "AUDIO", "00:00:00"},
                                       {2, "AUDIO", "02:00:00"},
                                       {3, "AUDIO", "04:00:00"}},
                                      "06:00:00");
    ASSERT_FALSE(cue.isEmpty());
    qputenv("MAREL_CD_DEVICE", QFile::encodeName(cue));
    setCdAudioDevice(nullptr);
    writeCatalogue("[60600]\r\ntitle=" + sj("夏の歌") + "\r\nnumtracks=3\r\n0=a\r\n1=b\r\n2=c\r\n");

    click(form->sbtnCDRead);
    qunsetenv("MAREL_CD_DEVICE");

    EXPECT_EQ(form->edtSerial->Text(), " 60600");
    EXPECT_EQ(form->statusBar->PanelText(0), sj(" CD-DA ﾄﾗｯｸ数： 3"));
    EXPECT_EQ(form->trackCount, 3);
    EXPECT_EQ(form->edtTitle->Text(), sj("夏の歌"));
    EXPECT_EQ(form->rchEdit->Text(), "a\r\nb\r\nc");
}

}
