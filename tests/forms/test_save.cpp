#include "support/file_size_limit.h"
#include "support/main_fixture.h"

#include "platform/profile.h"

#include <QDir>
#include <QFileInfo>

#include <string>

namespace {

class SaveTest : public MainWindowTest {
protected:
    void save() { click(form->sbtnCDSave); }

    // Reads the disc FF with the given track count and types the track lines.
    void readAndType(const std::string &tracks, std::string_view lines)
    {
        readDisc("255", 0, tracks);
        form->rchEdit->Clear();
        typeText(form->rchEdit, lines);
    }

    void expectEditsUnsaved() const
    {
        EXPECT_TRUE(form->rchEdit->Modified());
        EXPECT_TRUE(form->rchMemo->Modified());
    }

    void expectErrorBox(const std::string &text) const
    {
        ASSERT_EQ(testSeam().messageBoxes.size(), 1u);
        EXPECT_EQ(testSeam().messageBoxes[0].text, text);
        EXPECT_EQ(testSeam().messageBoxes[0].caption, "Marel");
        EXPECT_EQ(testSeam().messageBoxes[0].style, unsigned(MB_OK | MB_ICONHAND));
    }
};

TEST_F(SaveTest, NonEmptyLinesBecomeTheTrackKeysFromZero)
{
    const struct {
        const char *tracks;
        const char *lines;
        const char *entry;
    } cases[] = {
        {"2", "A\n\nB", "0=A\r\n1=B\r\nnumtracks=2\r\n"},
        {"3", "A\n   \nB\n", "0=A\r\n1=\"   \"\r\n2=B\r\nnumtracks=3\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.lines);
        QFile::remove(QString::fromStdString(cataloguePath()));
        readAndType(c.tracks, c.lines);
        save();
        EXPECT_TRUE(testSeam().messageBoxes.empty());
        EXPECT_EQ(readCatalogue(), "[FF]\r\n" + std::string(c.entry) + "title=\r\nartist=\r\n");
        EXPECT_TRUE(QFile::exists(QString::fromStdString(memoPath("FF"))));
        EXPECT_EQ(readFile(memoPath("FF")), "");
        EXPECT_FALSE(form->rchEdit->Modified());
        EXPECT_FALSE(form->rchMemo->Modified());
        EXPECT_TRUE(form->sbtnCDSave->isEnabled());
    }
}

// Blanks around a value and quotes enclosing it belong to the file format, so
// a text with them is stored inside quotes of its own: it reads back as typed,
// and loads so again. Other texts are stored as they are.
TEST_F(SaveTest, TextsWithOuterBlanksOrQuotesReadBackAsTyped)
{
    const std::string lines[] = {" Intro", "   ", "\"Heroes\"", "'Live' ", "a \"b\""};
    std::string text;
    for (const std::string &line : lines)
        text += (text.empty() ? "" : "\r\n") + line;
    readDisc("255", 0, "5");
    form->rchEdit->SetText(text);
    form->edtTitle->SetText(" Title ");
    form->edtArtist->SetText("'Artist'");
    save();
    EXPECT_TRUE(testSeam().messageBoxes.empty());
    EXPECT_EQ(readCatalogue(), "[FF]\r\n0=\" Intro\"\r\n1=\"   \"\r\n2=\"\"Heroes\"\"\r\n3=\"'Live' \"\r\n"
                               "4=a \"b\"\r\nnumtracks=5\r\ntitle=\" Title \"\r\nartist=\"'Artist'\"\r\n");
    char value[256];
    for (int i = 0; i < 5; ++i) {
        GetPrivateProfileStringA("FF", std::to_string(i).c_str(), "", value, sizeof value, "cdplayer.ini");
        EXPECT_EQ(value, lines[i]) << i;
    }
    readDisc("255", 0, "5");
    EXPECT_EQ(form->rchEdit->Text(), text);
    EXPECT_EQ(form->edtTitle->Text(), " Title ");
    EXPECT_EQ(form->edtArtist->Text(), "'Artist'");
}

TEST_F(SaveTest, ACountMismatchWritesNothing)
{
    const std::string catalogue = "[FF]\r\nnumtracks=3\r\n0=X\r\n";
    writeCatalogue(catalogue);
    readAndType("3", "A\n\nB");
    typeText(form->rchMemo, "memo");
    save();
    expectErrorBox(sj("CDの曲数と編集されたﾄﾗｯｸ数が異なります"));
    EXPECT_EQ(readCatalogue(), catalogue);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(memoPath("FF"))));
    expectEditsUnsaved();
}

TEST_F(SaveTest, KeysAfterTheFollowingOneStayAndEverythingElseIsKept)
{
    std::string tracks;
    for (int i = 0; i < 12; ++i)
        tracks += std::to_string(i) + "=old" + std::to_string(i) + "\r\n";
    const std::string before = "; written by the CD player\r\n[FF]\r\nEntryType=1\r\nartist=Old\r\n"
                               "title=" + sj("旧題") + "\r\nnumtracks=12\r\n" + tracks
                               + "order=0 1 2\r\n\r\n[1234]\r\ntitle=Other\r\n";
    writeCatalogue(before);
    readDisc("255", 0, "10");
    std::string lines;
    std::string expected = "; written by the CD player\r\n[FF]\r\nEntryType=1\r\nartist=Artist\r\n"
                           "title=" + sj("新題") + "\r\nnumtracks=10\r\n";
    for (int i = 0; i < 10; ++i) {
        lines += (i ? "\r\n" : "") + sj("曲") + std::to_string(i);
        expected += std::to_string(i) + "=" + sj("曲") + std::to_string(i) + "\r\n";
    }
    expected += "11=old11\r\norder=0 1 2\r\n\r\n[1234]\r\ntitle=Other\r\n";
    form->rchEdit->SetText(lines);
    form->edtTitle->SetText(sj("新題"));
    form->edtArtist->SetText("Artist");
    save();
    EXPECT_TRUE(testSeam().messageBoxes.empty());
    EXPECT_EQ(readCatalogue(), expected);
}

// A stored title never ends in half a character; the editor keeps its lines.
TEST_F(SaveTest, TitlesAreStoredAsAtMostFiftyBytes)
{
    const std::string sixty = std::string(60, 'x');
    const std::string lines[] = {
        sixty,
        std::string(49, 'a') + sj("あい"),
        sj("ああああああああああああああああああああああああああ"), // 26 characters
        "last",
    };
    const std::string stored[] = {
        std::string(50, 'x'),
        std::string(49, 'a'),
        sj("あああああああああああああああああああああああああ"), // 25 characters
        "last",
    };
    writeCatalogue("[FF]\r\nnumtracks=4\r\n0=" + lines[0] + "\r\n1=" + lines[1] + "\r\n2=" + lines[2]
                   + "\r\n3=" + lines[3] + "\r\n");
    readDisc("255", 0, "4");
    save();
    char value[256];
    for (int i = 0; i < 4; ++i) {
        GetPrivateProfileStringA("FF", std::to_string(i).c_str(), "", value, sizeof value,
                                 "cdplayer.ini");
        EXPECT_EQ(value, stored[i]) << i;
        EXPECT_EQ(form->rchEdit->Line(i), lines[i]) << i;
    }
}

TEST_F(SaveTest, SavingTwiceWritesTheSameEntryAndMemo)
{
    readAndType("2", "One\nTwo");
    typeText(form->edtTitle, "Title");
    typeText(form->edtArtist, "Artist");
    typeText(form->rchMemo, "line 1\nline 2");
    save();
    const std::string catalogue = readCatalogue();
    EXPECT_EQ(catalogue, "[FF]\r\n0=One\r\n1=Two\r\nnumtracks=2\r\ntitle=Title\r\nartist=Artist\r\n");
    EXPECT_EQ(readFile(memoPath("FF")), "line 1\r\nline 2");
    save();
    EXPECT_TRUE(testSeam().messageBoxes.empty());
    EXPECT_EQ(readCatalogue(), catalogue);
    EXPECT_EQ(readFile(memoPath("FF")), "line 1\r\nline 2");
}

// A catalogue that cannot be replaced is reported, stays as it was, and the
// edits stay unsaved; the memo waits for the catalogue.
TEST_F(SaveTest, AFailedCatalogueWriteChangesNothing)
{
    const std::string catalogue = "[FF]\r\nnumtracks=2\r\n0=Old\r\n";
    const std::string failure = sj("ﾌｧｲﾙ ") + cataloguePath() + sj(" に書き込めません.");

    writeCatalogue(catalogue);
    readAndType("2", "One\nTwo");
    typeText(form->rchMemo, "memo");
    {
        FileSizeLimit full(catalogue.size());
        save();
    }
    expectErrorBox(failure);
    EXPECT_EQ(readCatalogue(), catalogue);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(memoPath("FF"))));
    expectEditsUnsaved();

    // Once there is room, the same edits save.
    testSeam().messageBoxes.clear();
    save();
    EXPECT_TRUE(testSeam().messageBoxes.empty());
    EXPECT_EQ(readFile(memoPath("FF")), "memo");
    EXPECT_FALSE(form->rchEdit->Modified());
}

TEST_F(SaveTest, AnUnreadableCatalogueIsNotReplaced)
{
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(cataloguePath())));
    readAndType("1", "One");
    save();
    expectErrorBox(sj("ﾌｧｲﾙ ") + cataloguePath() + sj(" に書き込めません."));
    EXPECT_TRUE(QFileInfo(QString::fromStdString(cataloguePath())).isDir());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(memoPath("FF"))));
    EXPECT_TRUE(form->rchEdit->Modified());
}

TEST_F(SaveTest, AMemoThatCannotBeCreatedIsReportedAfterTheCatalogue)
{
    readAndType("1", "One");
    typeText(form->rchMemo, "memo");
    const QString data = QString::fromStdString(progDir + "/data");
    ASSERT_TRUE(QDir(data).removeRecursively());
    writeFile(data.toStdString(), "");
    save();
    expectErrorBox(sj("ﾌｧｲﾙ ") + memoPath("FF") + sj(" を作成できません."));
    EXPECT_EQ(readCatalogue(), "[FF]\r\n0=One\r\nnumtracks=1\r\ntitle=\r\nartist=\r\n");
    expectEditsUnsaved();
}

// A section name taken from the catalogue may be no file name; such an entry
// is saved without a memo file, and nothing is written outside the data folder.
TEST_F(SaveTest, ADiscIdThatIsNoFileNameSavesWithoutAMemo)
{
    readAndType("1", "One");
    typeText(form->rchMemo, "memo");
    form->discId = "../FF";
    save();
    EXPECT_TRUE(testSeam().messageBoxes.empty());
    EXPECT_EQ(readCatalogue(), "[../FF]\r\n0=One\r\nnumtracks=1\r\ntitle=\r\nartist=\r\n");
    EXPECT_TRUE(QDir(QString::fromStdString(progDir)).entryList({"*.cd"}).isEmpty());
    EXPECT_TRUE(QDir(QString::fromStdString(progDir + "/data")).isEmpty());
    EXPECT_FALSE(form->rchEdit->Modified());
    EXPECT_FALSE(form->rchMemo->Modified());
}

}
