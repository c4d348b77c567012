// The Open, Delete and Import commands, driven through the main window's
// buttons and the registered-disc dialog.
#include "forms/select.h"
#include "platform/profile.h"
#include "support/main_fixture.h"

#include <QDir>
#include <QPointer>

namespace {

std::string trackName(int index)
{
    return cp932::fromUtf8("第" + std::to_string(index + 1) + "曲");
}

// The track editor's text for the first n track names.
std::string trackLines(int n)
{
    std::string text;
    for (int i = 0; i < n; ++i)
        text += (i ? "\r\n" : "") + trackName(i);
    return text;
}

// A section as the system's CD player writes it, Marel's keys among its own.
std::string entry(const std::string &section, const std::string &title, const std::string &artist,
                  int tracks, bool withNumtracks = true)
{
    std::string text = "[" + section + "]\r\nEntryType=1\r\nartist=" + artist + "\r\ntitle=" + title + "\r\n";
    if (withNumtracks)
        text += "numtracks=" + std::to_string(tracks) + "\r\n";
    std::string order;
    for (int i = 0; i < tracks; ++i) {
        text += std::to_string(i) + "=" + trackName(i) + "\r\n";
        order += (i ? " " : "") + std::to_string(i);
    }
    return text + "order=" + order + "\r\nnumplay=" + std::to_string(tracks) + "\r\n";
}

class RegisteredTest : public MainWindowTest {
protected:
    // Clicks the command's button; in the dialog, chooses the item of the
    // section with OK, or Cancel when section is empty.
    void runCommand(QAbstractButton *button, const std::string &section)
    {
        dialogShown = false;
        dialogCaption.clear();
        testSeam().onModal = [this, section](TForm &shown) {
            auto &dialog = dynamic_cast<TfrmSelect &>(shown);
            dialogShown = true;
            shownDialog = &dialog;
            EXPECT_EQ(frmSelect, &dialog);
            dialogCaption = dialog.Caption();
            if (section.empty()) {
                dialog.btnCancel->click();
                return;
            }
            for (int i = 0; i < dialog.lstSelect->Count(); ++i) {
                if (dialog.ItemSection(i) == section) {
                    dialog.lstSelect->SetItemIndex(i);
                    dialog.btnOK->click();
                    return;
                }
            }
            ADD_FAILURE() << "not listed: " << section;
        };
        click(button);
        EXPECT_EQ(frmSelect, nullptr);
        EXPECT_TRUE(shownDialog.isNull()) << "the dialog outlived its command";
    }

    void answerAll(int answer)
    {
        testSeam().answer = [answer](const MessageBoxCall &) { return answer; };
    }

    std::vector<std::string> messages() const
    {
        std::vector<std::string> texts;
        for (const MessageBoxCall &call : testSeam().messageBoxes)
            texts.push_back(call.text);
        return texts;
    }

    static std::string value(const char *section, const char *key)
    {
        char buffer[256];
        GetPrivateProfileStringA(section, key, "", buffer, sizeof buffer, "cdplayer.ini");
        return buffer;
    }

    bool modified() const { return form->rchEdit->Modified() || form->rchMemo->Modified(); }

    bool dialogShown = false;
    std::string dialogCaption;
    QPointer<TfrmSelect> shownDialog;
};

const std::string memoText = cp932::fromUtf8("演奏者：山田\r\n録音：1975年");

TEST_F(RegisteredTest, OpenMakesTheChosenEntryTheCurrentDisc)
{
    writeCatalogue(entry("7A0C5B08", sj("ひこうき雲"), sj("荒井由実"), 12) + entry("1F03", "Other", "X", 3));
    writeFile(memoPath("7A0C5B08"), memoText);

    runCommand(form->sbtnCDOpen, "7A0C5B08");

    EXPECT_EQ(dialogCaption, sj("登録情報の変更"));
    EXPECT_EQ(form->selectMode, smEdit);
    EXPECT_EQ(form->discId, "7A0C5B08");
    EXPECT_EQ(form->edtSerial->Text(), " 7A0C5B08");
    EXPECT_EQ(form->trackCount, 12);
    EXPECT_EQ(form->statusBar->PanelText(0), sj("cdplayer.iniの編集　ﾄﾗｯｸ数：12"));
    EXPECT_EQ(form->edtTitle->Text(), sj("ひこうき雲"));
    EXPECT_EQ(form->edtArtist->Text(), sj("荒井由実"));
    EXPECT_EQ(form->rchEdit->Text(), trackLines(12));
    EXPECT_EQ(form->rchMemo->Text(), memoText);
    for (TControl *control : std::initializer_list<TControl *>{
             form->sbtnCDSave, form->sbtnCopy, form->edtTitle, form->edtArtist})
        EXPECT_TRUE(control->Enabled());
    EXPECT_EQ(form->edtTitle->Color(), clWindow);
    EXPECT_EQ(form->edtArtist->Color(), clWindow);
    EXPECT_FALSE(modified());
    EXPECT_TRUE(testSeam().messageBoxes.empty());
}

TEST_F(RegisteredTest, OpenOfAnEntryWithoutNumtracks)
{
    writeCatalogue(entry("1F03", "Untold", "X", 3, false));
    runCommand(form->sbtnCDOpen, "1F03");
    EXPECT_EQ(form->trackCount, 0);
    EXPECT_EQ(form->statusBar->PanelText(0), sj("cdplayer.iniの編集　ﾄﾗｯｸ数：0"));
    EXPECT_EQ(form->rchEdit->Text(), "");
    EXPECT_EQ(form->edtTitle->Text(), "Untold");

    // No track count: Save takes the entry without track lines.
    click(form->sbtnCDSave);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(value("1F03", "numtracks"), "0");
    EXPECT_EQ(value("1F03", "0"), "");
}

TEST_F(RegisteredTest, OpenAndImportAskBeforeDiscardingEdits)
{
    writeCatalogue(entry("FF", "Current", "A", 3) + entry("1F03", "Other", "B", 3));
    readDisc("255", 0, "3");
    const std::string status = form->statusBar->PanelText(0);
    for (QAbstractButton *button : {static_cast<QAbstractButton *>(form->sbtnCDOpen),
                                    static_cast<QAbstractButton *>(form->sbtnCopy)}) {
        SCOPED_TRACE(button == form->sbtnCDOpen ? "Open" : "Import");
        form->rchMemo->SetText("");
        typeText(form->rchMemo, "edited");
        testSeam().messageBoxes.clear();

        answerAll(IDNO);
        runCommand(button, "1F03");
        EXPECT_FALSE(dialogShown);
        EXPECT_EQ(messages(), std::vector<std::string>{sj("編集されています。編集内容を取り消しますか？")});
        EXPECT_TRUE(form->rchMemo->Modified());

        // Yes, then Cancel in the dialog: the edits stay but count as saved.
        answerAll(IDYES);
        runCommand(button, "");
        EXPECT_TRUE(dialogShown);
        EXPECT_EQ(form->rchMemo->Text(), "edited");
        EXPECT_EQ(form->edtTitle->Text(), "Current");
        EXPECT_FALSE(modified());
        EXPECT_EQ(form->discId, "FF");
        EXPECT_EQ(form->statusBar->PanelText(0), status);
    }
}

TEST_F(RegisteredTest, MissingCatalogueEndsOpenAsCancel)
{
    typeText(form->rchEdit, "typed");
    runCommand(form->sbtnCDOpen, "1");
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(messages(), (std::vector<std::string>{sj("編集されています。編集内容を取り消しますか？"),
                                                    sj("cdplayer.iniが見つかりません")}));
    EXPECT_EQ(form->rchEdit->Text(), "typed");
    EXPECT_FALSE(modified());
    EXPECT_EQ(form->discId, "");
    EXPECT_FALSE(form->sbtnCDSave->Enabled());
}

TEST_F(RegisteredTest, UnreadableMemoEndsOpenButNotTheDialogsEnd)
{
    writeCatalogue(entry("1F03", "Other", "B", 2));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(memoPath("1F03"))));
    runCommand(form->sbtnCDOpen, "1F03");
    ASSERT_EQ(testSeam().messageBoxes.size(), 1u);
    EXPECT_EQ(testSeam().messageBoxes[0].text, sj("ﾌｧｲﾙ ") + memoPath("1F03") + sj(" は開けません."));
    EXPECT_EQ(form->discId, "1F03");
    EXPECT_TRUE(form->rchEdit->Modified()) << "a failed load leaves the flags set";
    EXPECT_EQ(form->statusBar->PanelText(0), sj(" ｵｰﾃﾞｨｵﾄﾗｯｸが見つかりません"));
}

TEST_F(RegisteredTest, DeleteAsksThenRemovesTheEntryAndItsMemo)
{
    const std::string kept = entry("B1", "Kept", "K", 2);
    const std::string catalogue = "; written by hand\r\n" + entry("A1", "\"  Blanks\t \"", "Z", 3) + kept;
    writeCatalogue(catalogue);
    writeFile(memoPath("A1"), memoText);
    writeFile(memoPath("B1"), memoText);
    typeText(form->rchEdit, "unsaved");

    runCommand(form->sbtnDel, "");
    EXPECT_TRUE(testSeam().messageBoxes.empty()) << "Delete asks nothing before the dialog";

    answerAll(IDNO);
    runCommand(form->sbtnDel, "A1");
    EXPECT_EQ(dialogCaption, sj("登録情報の削除"));
    EXPECT_EQ(form->selectMode, smDelete);
    ASSERT_EQ(testSeam().messageBoxes.size(), 1u);
    EXPECT_EQ(testSeam().messageBoxes[0].text, sj("「Blanks」を削除します。よろしいですか？"));
    EXPECT_EQ(testSeam().messageBoxes[0].caption, "Marel");
    EXPECT_EQ(testSeam().messageBoxes[0].style, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(readCatalogue(), catalogue);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(memoPath("A1"))));

    answerAll(IDYES);
    runCommand(form->sbtnDel, "A1");
    EXPECT_EQ(readCatalogue(), "; written by hand\r\n" + kept);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(memoPath("A1"))));
    EXPECT_EQ(readFile(memoPath("B1")), memoText);
    EXPECT_EQ(form->rchEdit->Text(), "unsaved");
    EXPECT_TRUE(form->rchEdit->Modified());
}

TEST_F(RegisteredTest, TitlesLongerThanFiftyBytesNameTheirOwnSection)
{
    // 49 bytes and a full-width character: the question's 50-byte cut would
    // fall inside it.
    const std::string title = std::string(49, 'x') + sj("長い題名");
    writeCatalogue(entry("2A", title, "L", 1) + entry("B1", "Kept", "K", 1));

    runCommand(form->sbtnCDOpen, "2A");
    EXPECT_EQ(form->discId, "2A");
    EXPECT_EQ(form->edtTitle->Text(), title);

    answerAll(IDYES);
    runCommand(form->sbtnDel, "2A");
    ASSERT_EQ(testSeam().messageBoxes.size(), 1u);
    EXPECT_EQ(testSeam().messageBoxes[0].text,
              sj("「") + std::string(49, 'x') + sj("」を削除します。よろしいですか？"));
    EXPECT_EQ(readCatalogue(), entry("B1", "Kept", "K", 1));
}

TEST_F(RegisteredTest, DeletedCurrentDiscIsWrittenAgainBySave)
{
    writeCatalogue(entry("A1", "Mine", "M", 3));
    writeFile(memoPath("A1"), memoText);
    runCommand(form->sbtnCDOpen, "A1");

    runCommand(form->sbtnDel, "A1");
    EXPECT_EQ(readCatalogue(), "");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(memoPath("A1"))));
    EXPECT_EQ(form->discId, "A1");
    EXPECT_EQ(form->edtTitle->Text(), "Mine");
    EXPECT_EQ(form->rchEdit->Text(), trackLines(3));

    click(form->sbtnCDSave);
    EXPECT_EQ(readCatalogue(), "[A1]\r\n0=" + trackName(0) + "\r\n1=" + trackName(1) + "\r\n2="
                                   + trackName(2) + "\r\nnumtracks=3\r\ntitle=Mine\r\nartist=M\r\n");
    EXPECT_EQ(readFile(memoPath("A1")), memoText);
}

TEST_F(RegisteredTest, ImportLoadsAnotherEntryIntoTheCurrentDisc)
{
    const std::string catalogue = entry("FF", "Current", "A", 12) + entry("1F03", sj("借り物"), "B", 10);
    writeCatalogue(catalogue);
    writeFile(memoPath("FF"), memoText);
    const ScriptedCdAudio *drive = readDisc("255", 0, "12");
    const std::size_t driveCommands = drive->commands.size();
    const std::string status = form->statusBar->PanelText(0);

    runCommand(form->sbtnCopy, "1F03");
    EXPECT_EQ(drive->commands.size(), driveCommands) << "the registered discs need no drive";
    EXPECT_EQ(dialogCaption, sj("登録情報のｲﾝﾎﾟｰﾄ"));
    EXPECT_EQ(form->selectMode, smImport);
    EXPECT_EQ(form->edtTitle->Text(), sj("借り物"));
    EXPECT_EQ(form->edtArtist->Text(), "B");
    EXPECT_EQ(form->rchEdit->Text(), trackLines(10));
    EXPECT_EQ(form->rchMemo->Text(), "") << "the entry has no memo";
    EXPECT_FALSE(modified());
    EXPECT_EQ(form->discId, "FF");
    EXPECT_EQ(form->edtSerial->Text(), " FF");
    EXPECT_EQ(form->trackCount, 12);
    EXPECT_EQ(form->statusBar->PanelText(0), status);

    // Ten titles for a disc of twelve tracks: Save refuses.
    click(form->sbtnCDSave);
    EXPECT_EQ(messages(), std::vector<std::string>{sj("CDの曲数と編集されたﾄﾗｯｸ数が異なります")});
    EXPECT_EQ(readCatalogue(), catalogue);

    typeText(form->rchEdit, "\nEleven\nTwelve");
    click(form->sbtnCDSave);
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(readFile(memoPath("FF")), "") << "the imported empty memo replaces the disc's own";
    EXPECT_TRUE(QFile::exists(QString::fromStdString(memoPath("FF"))));
    EXPECT_EQ(value("FF", "title"), sj("借り物"));
    EXPECT_EQ(value("FF", "artist"), "B");
    EXPECT_EQ(value("FF", "10"), "Eleven");
    EXPECT_EQ(value("FF", "11"), "Twelve");
    EXPECT_TRUE(readCatalogue().ends_with(entry("1F03", sj("借り物"), "B", 10)));
}

} // namespace
