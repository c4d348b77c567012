#include "support/main_fixture.h"

#include "platform/error.h"

#include <QDir>

namespace {

using StoreTest = MainWindowTest;

struct LoadCase {
    const char *name;
    const char *section; // the lines of section [FF], CR LF after each
    const char *tracks;  // expected track editor text
    int result;
};

class LoadEntryTest : public MainWindowTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadEntryTest, LoadsTheStoredTitlesAndReturnsTheStoredCount)
{
    const LoadCase &c = GetParam();
    writeCatalogue(std::string("[00]\r\n0=other\r\nnumtracks=1\r\n[FF]\r\n") + c.section
                   + "[100]\r\n0=next\r\nnumtracks=1\r\n");
    form->rchEdit->SetText("old");

    EXPECT_EQ(form->LoadEntry("FF"), c.result);

    EXPECT_EQ(form->rchEdit->Text(), c.tracks);
    EXPECT_EQ(form->rchEdit->SelStart(), int(form->rchEdit->Text().size()));
    EXPECT_FALSE(form->rchEdit->Modified());
    EXPECT_FALSE(form->rchMemo->Modified());
}

INSTANTIATE_TEST_SUITE_P(
    Entries, LoadEntryTest,
    ::testing::Values(
        LoadCase{"MissingAndEmptyKeysLeaveNoLine",
                 "numtracks=4\r\n0=A\r\n2=C\r\n3=\r\n", "A\r\nC\r\n", 4},
        LoadCase{"NoCountLoadsNothing", "0=A\r\n1=B\r\n", "", 0},
        LoadCase{"CountWithTrailingText", "numtracks=12abc\r\n0=A\r\n1=B\r\n", "A\r\nB\r\n", 12},
        LoadCase{"CountWithoutDigits", "numtracks=abc\r\n0=A\r\n", "", 0},
        LoadCase{"NegativeCount", "numtracks=-2\r\n0=A\r\n", "", -2},
        LoadCase{"KeysBeyondTheCount", "numtracks=3\r\n0=A\r\n1=B\r\n2=C\r\n5=F\r\n3=D\r\n",
                 "A\r\nB\r\nC\r\n", 3},
        LoadCase{"KeysInAnyOrder", "2=C\r\n0=A\r\nnumtracks=3\r\n1=B\r\n", "A\r\nB\r\nC\r\n", 3},
        LoadCase{"OnlyTheDecimalSpellingNamesATrack",
                 "numtracks=3\r\n01=x\r\n+1=y\r\n 1 =B\r\n00=z\r\n0=A\r\n", "A\r\nB\r\n", 3},
        LoadCase{"FirstOfTwoEqualKeysWins", "numtracks=1\r\n0=A\r\n0=B\r\n", "A\r\n", 1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(StoreTest, LoadEntrySetsTitleAndArtistAsStored)
{
    const std::string title = sj("ｱﾙﾊﾞﾑ「夏」");
    writeCatalogue("[FF]\r\nartist=" + sj("歌手") + "\r\ntitle=" + title + "\r\n");
    form->edtTitle->SetText("old");

    form->LoadEntry("FF");
    EXPECT_EQ(form->edtTitle->Text(), title);
    EXPECT_EQ(form->edtArtist->Text(), sj("歌手"));

    form->LoadEntry("7A0C5B08"); // not in the catalogue
    EXPECT_EQ(form->edtTitle->Text(), "");
    EXPECT_EQ(form->edtArtist->Text(), "");
}

TEST_F(StoreTest, LoadEntryReadsOnly255BytesOfAValue)
{
    const std::string longTitle(300, 'x');
    writeCatalogue("[FF]\r\nnumtracks=1\r\n0=" + longTitle + "\r\n");
    form->LoadEntry("FF");
    EXPECT_EQ(form->rchEdit->Text(), longTitle.substr(0, 255) + "\r\n");
}

// Loading must not try every index up to the stored count: with this entry it
// would make two thousand million reads and the test would never end.
TEST_F(StoreTest, LoadEntryWithAHugeCountReadsOnlyTheStoredKeys)
{
    writeCatalogue("[FF]\r\nnumtracks=2147483647\r\n2000000000=Z\r\n0=A\r\n1=B\r\n");
    EXPECT_EQ(form->LoadEntry("FF"), 2147483647);
    EXPECT_EQ(form->rchEdit->Text(), "A\r\nB\r\nZ\r\n");
}

TEST_F(StoreTest, ReadTrackNameTellsAStoredTitleFromAMissingOne)
{
    writeCatalogue("[FF]\r\n0=A\r\n1=\r\n");
    char buffer[256] = "stale";
    EXPECT_EQ(form->ReadTrackName("FF", 0, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "A");
    EXPECT_EQ(form->ReadTrackName("FF", 1, buffer, sizeof buffer), -1);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(form->ReadTrackName("FF", 2, buffer, sizeof buffer), -1);
    EXPECT_EQ(form->ReadTrackName("FF", 0, buffer, 0), -1);
}

TEST_F(StoreTest, LoadEntryLoadsTheMemoFileWhole)
{
    const std::string memo = sj("演奏：某楽団\r\n録音：1999年\r\n") + "\x81\xff odd bytes";
    writeFile(memoPath("FF"), memo);
    form->LoadEntry("FF"); // no entry, but a memo file
    EXPECT_EQ(form->rchMemo->Text(), memo);
    EXPECT_FALSE(form->rchMemo->Modified());

    form->LoadEntry("EE"); // neither entry nor memo file
    EXPECT_EQ(form->rchMemo->Text(), "");
}

TEST_F(StoreTest, MemoFileNamesMatchWithoutRegardToCase)
{
    writeFile(memoPath("7a0c5b08"), "memo");
    form->LoadEntry("7A0C5B08");
    EXPECT_EQ(form->rchMemo->Text(), "memo");

    form->DeleteEntry("7A0C5B08");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(memoPath("7a0c5b08"))));
}

TEST_F(StoreTest, AMemoThatCannotBeOpenedStopsTheLoadWithTheFileError)
{
    writeCatalogue("[FF]\r\nnumtracks=1\r\n0=A\r\n");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(memoPath("FF"))));
    form->rchMemo->SetText("memo");
    form->rchMemo->SetModified(true);

    try {
        form->LoadEntry("FF");
        FAIL() << "no error";
    } catch (const Exception &error) {
        EXPECT_EQ(error.what(), sj("ﾌｧｲﾙ ") + memoPath("FF") + sj(" は開けません"));
    }
    EXPECT_EQ(form->rchEdit->Text(), "A\r\n");
    EXPECT_TRUE(form->rchMemo->Modified());
}

// A section name that would lead out of the data folder names no memo file:
// nothing outside it is read or deleted.
TEST_F(StoreTest, UnsafeSectionNamesHaveNoMemo)
{
    writeFile(progDir + "/x.cd", "outside");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(progDir + "/data/a")));
    writeFile(progDir + "/data/a/b.cd", "below");
    writeCatalogue("[../x]\r\ntitle=X\r\n[a/b]\r\ntitle=AB\r\n");

    for (const std::string section : {"../x", "a/b"}) {
        form->LoadEntry(section);
        EXPECT_EQ(form->rchMemo->Text(), "") << section;
        form->DeleteEntry(section);
    }
    EXPECT_EQ(readFile(progDir + "/x.cd"), "outside");
    EXPECT_EQ(readFile(progDir + "/data/a/b.cd"), "below");
    EXPECT_EQ(readCatalogue(), "");
}

TEST_F(StoreTest, DeleteEntryRemovesTheSectionAndItsMemoOnly)
{
    writeCatalogue("; CD player\r\n[AA]\r\ntitle=A\r\n[FF]\r\ntitle=F\r\n0=x\r\n\r\n[BB]\r\ntitle=B\r\n");
    writeFile(memoPath("FF"), "memo");
    writeFile(memoPath("AA"), "other");

    form->DeleteEntry("FF");
    EXPECT_EQ(readCatalogue(), "; CD player\r\n[AA]\r\ntitle=A\r\n[BB]\r\ntitle=B\r\n");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(memoPath("FF"))));
    EXPECT_EQ(readFile(memoPath("AA")), "other");

    form->DeleteEntry("FF"); // neither section nor memo: nothing to report
    form->DeleteEntry("AA");
    EXPECT_EQ(readCatalogue(), "; CD player\r\n[BB]\r\ntitle=B\r\n");
    EXPECT_TRUE(testSeam().messageBoxes.empty());
}

TEST_F(StoreTest, ConfirmDiscardAsksOnlyWhenAnEditorIsModified)
{
    form->edtTitle->SetEnabled(true);
    typeText(form->edtTitle, "title");
    EXPECT_EQ(form->ConfirmDiscard(), 1);
    EXPECT_TRUE(testSeam().messageBoxes.empty());

    struct Case {
        bool track, memo;
        int answer, result;
    };
    for (const Case c : {Case{true, false, IDYES, 1}, Case{false, true, IDYES, 1},
                         Case{true, true, IDNO, 0}, Case{false, true, IDNO, 0}}) {
        testSeam().messageBoxes.clear();
        testSeam().answer = [&](const MessageBoxCall &) { return c.answer; };
        form->rchEdit->SetModified(c.track);
        form->rchMemo->SetModified(c.memo);

        EXPECT_EQ(form->ConfirmDiscard(), c.result);
        ASSERT_EQ(testSeam().messageBoxes.size(), 1u);
        const MessageBoxCall &box = testSeam().messageBoxes[0];
        EXPECT_EQ(box.text, sj("編集されています。編集内容を取り消しますか？"));
        EXPECT_EQ(box.caption, "Marel");
        EXPECT_EQ(box.style, MB_YESNO | MB_ICONHAND);
        EXPECT_EQ(form->rchEdit->Modified(), c.track);
        EXPECT_EQ(form->rchMemo->Modified(), c.memo);
    }
}

TEST_F(StoreTest, TrimTrailingBreakRemovesTheBreakAfterTheLastTitle)
{
    writeCatalogue("[FF]\r\nnumtracks=2\r\n0=A\r\n1=" + sj("曲") + "\r\n[EE]\r\nnumtracks=2\r\n");

    form->LoadEntry("FF");
    form->TrimTrailingBreak();
    EXPECT_EQ(form->rchEdit->Text(), "A\r\n" + sj("曲"));
    EXPECT_EQ(form->rchEdit->SelStart(), 5);
    EXPECT_EQ(form->rchEdit->SelLength(), 0);
    EXPECT_TRUE(form->rchEdit->hasFocus());

    form->LoadEntry("EE");
    form->TrimTrailingBreak();
    EXPECT_EQ(form->rchEdit->Text(), "");
    EXPECT_EQ(form->rchEdit->SelStart(), 0);
}

}
