#include "controls/SplitIt.h"
#include "forms/about.h"
#include "support/main_fixture.h"

#include <QFileInfo>
#include <QTextBlock>

namespace {

using WindowTest = MainWindowTest;

QString utf8(const char *text) { return QString::fromUtf8(text); }

TEST_F(WindowTest, StartsWithNothingToEditOrSave)
{
    EXPECT_EQ(form->Caption(), "Marel");
    EXPECT_FALSE(form->windowIcon().isNull());
    for (TControl *control : std::initializer_list<TControl *>{
             form->sbtnCDRead, form->sbtnCDOpen, form->sbtnDel, form->sbtnHelp, form->edtSerial,
             form->rchEdit, form->rchMemo})
        EXPECT_TRUE(control->Enabled());
    for (TControl *control : std::initializer_list<TControl *>{
             form->sbtnCDSave, form->sbtnCopy, form->edtTitle, form->edtArtist})
        EXPECT_FALSE(control->Enabled());
    for (TEdit *edit : {form->edtTitle, form->edtArtist, form->edtSerial}) {
        EXPECT_EQ(edit->Text(), "");
        EXPECT_EQ(edit->Color(), clBtnFace);
    }
    EXPECT_TRUE(form->edtSerial->isReadOnly());
    for (TRichEdit *editor : {form->rchEdit, form->rchMemo}) {
        EXPECT_EQ(editor->Text(), "");
        EXPECT_FALSE(editor->isReadOnly());
        EXPECT_FALSE(editor->Modified());
        EXPECT_GT(editor->document()->firstBlock().blockFormat().textIndent(), 0);
    }
    EXPECT_EQ(form->statusBar->PanelText(0), sj(" ｵｰﾃﾞｨｵﾄﾗｯｸが見つかりません"));
    EXPECT_EQ(form->statusBar->PanelText(1), sj("1 行"));
    EXPECT_EQ(form->discId, "");
    EXPECT_EQ(form->trackCount, 0);
    EXPECT_EQ(form->selectMode, smEdit);
}

TEST_F(WindowTest, ControlsStandWhereTheLayoutPutsThem)
{
    struct Place {
        TControl *control;
        int left, top, width, height;
    };
    const int client = 332;
    for (const Place &p : {
             Place{form->pnlTop, 0, 0, client, 97},
             Place{form->sbtnCDRead, 8, 4, 23, 22},
             Place{form->sbtnCDOpen, 39, 4, 23, 22},
             Place{form->sbtnCDSave, 64, 4, 23, 22},
             Place{form->sbtnCopy, 92, 4, 23, 22},
             Place{form->sbtnDel, 118, 4, 23, 22},
             Place{form->sbtnHelp, 299, 4, 23, 22},
             Place{form->Label2, 165, 10, 21, 12},
             Place{form->edtSerial, 190, 6, 77, 20},
             Place{form->Bevel1, 3, 29, 326, 2},
             Place{form->labTitle, 7, 40, 48, 12},
             Place{form->edtTitle, 68, 36, 255, 20},
             Place{form->labArtist, 7, 64, 58, 12},
             Place{form->edtArtist, 68, 60, 255, 20},
             Place{form->Label1, 8, 83, 300, 12},
             Place{form->rchEdit, 0, 97, client, 150},
             Place{form->Split1, 0, 247, client, 4},
         }) {
        EXPECT_EQ(p.control->Left(), p.left) << p.control->widget()->metaObject()->className();
        EXPECT_EQ(p.control->Top(), p.top) << p.control->Left();
        EXPECT_EQ(p.control->Width(), p.width) << p.control->Left();
        EXPECT_EQ(p.control->Height(), p.height) << p.control->Left();
    }
    EXPECT_EQ(form->Width(), 340);
    EXPECT_EQ(form->statusBar->Height(), 19);
    EXPECT_EQ(form->statusBar->Top() + 19, form->height());
    EXPECT_EQ(form->Panel2->Top(), 251);
    EXPECT_EQ(form->Panel2->Top() + form->Panel2->Height(), form->statusBar->Top());
    EXPECT_EQ(form->pnlMemo->Height(), 18);
    EXPECT_EQ(form->rchMemo->Top(), form->pnlMemo->Top() + 18);
}

TEST_F(WindowTest, TitleAndArtistTakeFiftyBytes)
{
    readDisc("255", 0, "1");
    typeText(form->edtTitle, std::string(49, 'x') + "曲y");
    EXPECT_EQ(form->edtTitle->Text(), std::string(49, 'x') + "y");
    typeText(form->edtArtist, std::string(60, 'a'));
    EXPECT_EQ(form->edtArtist->Text(), std::string(50, 'a'));
}

TEST_F(WindowTest, TextsFontsAndToolTips)
{
    EXPECT_EQ(form->labTitle->text(), utf8("ﾀｲﾄﾙ(&T)："));
    EXPECT_EQ(form->labArtist->text(), utf8("ｱｰﾁｽﾄ(&A)："));
    EXPECT_EQ(form->Label2->text(), "S/N");
    EXPECT_EQ(form->Label1->text(), "----+----|----+----|----+----|----+----|----+----|");
    EXPECT_EQ(form->labTitle->buddy(), form->edtTitle);
    EXPECT_EQ(form->labArtist->buddy(), form->edtArtist);

    // Six pixels a column: the ruler spans the 50 columns of a track line.
    EXPECT_EQ(QFontMetrics(form->Label1->font()).horizontalAdvance(form->Label1->text()), 300);
    EXPECT_EQ(QFontMetrics(form->rchEdit->font()).horizontalAdvance(QString(50, 'W')), 300);
    EXPECT_EQ(form->rchEdit->font().family(), form->Label1->font().family());
    EXPECT_EQ(form->rchMemo->font().family(), form->Label1->font().family());
    EXPECT_NE(form->edtTitle->font().family(), form->Label1->font().family());
    EXPECT_EQ(form->edtTitle->font().pixelSize(), 12);

    struct Tip {
        QWidget *widget;
        const char *text;
    };
    for (const Tip &tip : {Tip{form->sbtnCDRead, "CDからｼﾘｱﾙ/曲数を取得"},
                           Tip{form->sbtnCDOpen, "設定済みﾘｽﾄ編集"},
                           Tip{form->sbtnCDSave, "保存"},
                           Tip{form->sbtnCopy, "設定済みﾘｽﾄからｲﾝﾎﾟｰﾄ"},
                           Tip{form->sbtnDel, "設定済みﾘｽﾄ削除"},
                           Tip{form->sbtnHelp, "MARELについて"},
                           Tip{form->edtSerial, "CDのｼﾘｱﾙ番号"},
                           Tip{form->edtTitle, "CDﾀｲﾄﾙ（最大50字）"},
                           Tip{form->edtArtist, "ｱｰﾁｽﾄ名（最大50字）"},
                           Tip{form->pnlMemo, "追加ﾒﾓ"}})
        EXPECT_EQ(tip.widget->toolTip(), utf8(tip.text));
    for (QWidget *widget : std::initializer_list<QWidget *>{form->rchEdit, form->rchMemo, form->Label1})
        EXPECT_EQ(widget->toolTip(), "");
}

// The widgets the Tab key visits, from `from` on, once round.
std::vector<QWidget *> tabChain(QWidget *from)
{
    std::vector<QWidget *> chain;
    for (QWidget *w = from->nextInFocusChain(); w != from; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(w->window()))
            chain.push_back(w);
    chain.push_back(from);
    return chain;
}

TEST_F(WindowTest, TabVisitsTitleArtistTracksAndMemo)
{
    EXPECT_EQ(tabChain(form->rchEdit), (std::vector<QWidget *>{form->rchMemo, form->rchEdit}));

    readDisc("255", 0, "1");
    EXPECT_EQ(tabChain(form->edtTitle), (std::vector<QWidget *>{form->edtArtist, form->rchEdit,
                                                                form->rchMemo, form->edtTitle}));
}

TEST_F(WindowTest, AccessKeysMoveToTheEditsOnlyWhenEnabled)
{
    form->rchEdit->setFocus();
    pressKey(form->rchEdit, Qt::Key_T, Qt::AltModifier, "t");
    pressKey(form->rchEdit, Qt::Key_A, Qt::AltModifier, "a");
    EXPECT_TRUE(form->rchEdit->hasFocus());
    EXPECT_EQ(form->rchEdit->Text(), "");

    readDisc("255", 0, "1");
    pressKey(form->rchEdit, Qt::Key_T, Qt::AltModifier, "t");
    EXPECT_TRUE(form->edtTitle->hasFocus());
    pressKey(form->edtTitle, Qt::Key_A, Qt::AltModifier, "a");
    EXPECT_TRUE(form->edtArtist->hasFocus());
}

TEST_F(WindowTest, CreationSettlesTheProgramFolderAndMakesTheDataFolder)
{
    EXPECT_EQ(form->appDir, progDir + "/");
    EXPECT_EQ(form->iniFile, progDir + "/marel.ini");
    EXPECT_TRUE(QFileInfo(QString::fromStdString(progDir + "/data")).isDir());
}

class DataFileTest : public MainWindowTest {
protected:
    void beforeCreate() override { writeFile(progDir + "/data", "not a folder"); }
};

TEST_F(DataFileTest, AFileNamedDataIsLeftAlone)
{
    EXPECT_EQ(readFile(progDir + "/data"), "not a folder");
}

TEST_F(WindowTest, HelpShowsTheAboutBoxAndDestroysIt)
{
    typeText(form->rchMemo, "memo");
    for (int round = 0; round < 2; ++round) {
        const TForm *shown = nullptr;
        testSeam().onModal = [&](TForm &box) {
            shown = &box;
            EXPECT_EQ(frmAbout, &box);
            box.SetModalResult(mrOk);
        };
        click(form->sbtnHelp);
        EXPECT_NE(shown, nullptr);
        EXPECT_EQ(frmAbout, nullptr);
    }
    EXPECT_TRUE(form->rchMemo->Modified());
}

}
