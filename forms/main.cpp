#include "forms/main.h"

#include "controls/SplitIt.h"
#include "forms/about.h"
#include "forms/glyphs.h"
#include "platform/application.h"
#include "platform/files.h"
#include "platform/text.h"

#include <QIcon>
#include <memory>

TfrmMain *frmMain = nullptr;
const std::string TfrmMain::noAudioTracksText = cp932::fromUtf8(" ｵｰﾃﾞｨｵﾄﾗｯｸが見つかりません");

namespace {

const std::string kFirstLine = cp932::fromUtf8("1 行");
const std::string kMemoCaption = cp932::fromUtf8(" Memo　（演奏者、録音日など）");
const char *const kFixedFont = "ＭＳ ゴシック";

TSpeedButton *speedButton(QWidget *parent, int left, const QPixmap &glyph, const char *hint,
                          bool enabled)
{
    auto *button = new TSpeedButton(parent);
    button->SetBounds(left, 4, 23, 22);
    button->SetGlyph(glyph);
    button->SetHint(cp932::fromUtf8(hint));
    button->SetEnabled(enabled);
    return button;
}

TLabel *label(QWidget *parent, int left, int top, int width, const char *caption)
{
    auto *result = new TLabel(parent);
    result->SetBounds(left, top, width, 12);
    result->SetCaption(cp932::fromUtf8(caption));
    return result;
}

// The title and artist edits: greyed until a disc is read or opened.
TEdit *textEdit(QWidget *parent, int top, const char *hint)
{
    auto *edit = new TEdit(parent);
    edit->SetBounds(68, top, 255, 20);
    edit->SetHint(cp932::fromUtf8(hint));
    edit->SetMaxLength(50);
    edit->SetEnabled(false);
    edit->SetColor(clBtnFace);
    return edit;
}

TRichEdit *richEdit(QWidget *parent, bool plainText)
{
    auto *editor = new TRichEdit(parent);
    editor->SetPlainText(plainText);
    editor->SetWordWrap(plainText);
    editor->SetFont(fontNamed(kFixedFont, 12));
    editor->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return editor;
}

}

TfrmMain::TfrmMain()
{
    SetCaption("Marel");
    SetFont(fontNamed("ＭＳ Ｐゴシック", 12));
    setWindowIcon(QIcon(glyphs::ProgramIcon()));
    SetBounds(31, 33, 340, 389);

    // Created in layout order: the aligned controls stack in this order.
    pnlTop = new TPanel(this);
    pnlTop->SetHeight(97);
    pnlTop->SetAlign(alTop);

    sbtnCDRead = speedButton(pnlTop, 8, glyphs::CompactDisc(), "CDからｼﾘｱﾙ/曲数を取得", true);
    sbtnCDOpen = speedButton(pnlTop, 39, glyphs::OpenFolder(), "設定済みﾘｽﾄ編集", true);
    sbtnCDSave = speedButton(pnlTop, 64, glyphs::FloppyDisk(), "保存", false);
    sbtnCopy = speedButton(pnlTop, 92, glyphs::Pages(), "設定済みﾘｽﾄからｲﾝﾎﾟｰﾄ", false);
    sbtnDel = speedButton(pnlTop, 118, glyphs::Cross(), "設定済みﾘｽﾄ削除", true);

    Label2 = label(pnlTop, 165, 10, 21, "S/N");
    edtSerial = new TEdit(pnlTop);
    edtSerial->SetBounds(190, 6, 77, 20);
    edtSerial->SetHint(cp932::fromUtf8("CDのｼﾘｱﾙ番号"));
    edtSerial->SetReadOnly(true);
    edtSerial->SetColor(clBtnFace);
    edtSerial->SetTabStop(false);

    sbtnHelp = speedButton(pnlTop, 299, glyphs::Question(), "MARELについて", true);

    Bevel1 = new TBevel(pnlTop);
    Bevel1->SetBounds(3, 29, 326, 2);
    Bevel1->SetShape(bsBottomLine);

    labTitle = label(pnlTop, 7, 40, 48, "ﾀｲﾄﾙ(&T)：");
    edtTitle = textEdit(pnlTop, 36, "CDﾀｲﾄﾙ（最大50字）");
    labTitle->SetFocusControl(edtTitle);
    labArtist = label(pnlTop, 7, 64, 58, "ｱｰﾁｽﾄ(&A)：");
    edtArtist = textEdit(pnlTop, 60, "ｱｰﾁｽﾄ名（最大50字）");
    labArtist->SetFocusControl(edtArtist);

    // The ruler marks the 50 columns a track title may use, in the editor's font.
    Label1 = label(pnlTop, 8, 83, 300, "----+----|----+----|----+----|----+----|----+----|");
    Label1->SetFont(fontNamed(kFixedFont, 12));

    rchEdit = richEdit(this, false);
    rchEdit->SetHeight(150);
    rchEdit->SetAlign(alTop);
    rchEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette black = rchEdit->palette();
    black.setColor(QPalette::Text, toQColor(clBlack));
    rchEdit->setPalette(black);

    Split1 = new TSplitIt(this);
    Split1->SetHeight(4);
    Split1->SetAlign(alTop);

    Panel2 = new TPanel(this);
    Panel2->SetAlign(alClient);
    pnlMemo = new TPanel(Panel2);
    pnlMemo->SetHeight(18);
    pnlMemo->SetAlign(alTop);
    pnlMemo->SetCaption(kMemoCaption, taLeftJustify);
    pnlMemo->SetHint(cp932::fromUtf8("追加ﾒﾓ"));
    rchMemo = richEdit(Panel2, true);
    rchMemo->SetAlign(alClient);

    statusBar = new TStatusBar(this);
    statusBar->SetHeight(19);
    statusBar->SetAlign(alBottom);
    statusBar->SetFont(fontNamed("ＭＳ ＰＲゴシック", 12));
    statusBar->AddPanel(230, taLeft, noAudioTracksText);
    statusBar->AddPanel(10, taCentered, kFirstLine);

    QWidget::setTabOrder(edtTitle, edtArtist);
    QWidget::setTabOrder(edtArtist, rchEdit);
    QWidget::setTabOrder(rchEdit, rchMemo);

    OnCreate = [this](TObject *sender) { FormCreate(sender); };
    OnShow = [this](TObject *sender) { FormShow(sender); };
    OnCloseQuery = [this](TObject *sender, bool &canClose) { FormCloseQuery(sender, canClose); };
    OnResize = [this](TObject *sender) { FormResize(sender); };
    sbtnCDRead->OnClick = [this](TObject *sender) { sbtnCDReadClick(sender); };
    sbtnCDOpen->OnClick = [this](TObject *sender) { sbtnCDOpenClick(sender); };
    sbtnCDSave->OnClick = [this](TObject *sender) { sbtnCDSaveClick(sender); };
    sbtnCopy->OnClick = [this](TObject *sender) { sbtnCopyClick(sender); };
    sbtnDel->OnClick = [this](TObject *sender) { sbtnDelClick(sender); };
    sbtnHelp->OnClick = [this](TObject *sender) { sbtnHelpClick(sender); };
    rchEdit->OnSelectionChange = [this](TObject *sender) { rchEditSelectionChange(sender); };
    Split1->OnSplit = [this](TObject *sender, int newPos) { Split1Split(sender, newPos); };
}

TfrmMain::~TfrmMain()
{
    if (frmMain == this)
        frmMain = nullptr;
}

void TfrmMain::FormCreate(TObject *)
{
    const std::string exeName = Application->ExeName();
    appDir = exeName.substr(0, exeName.rfind('/') + 1);
    iniFile = appDir + "marel.ini";
    const std::string dataDir = appDir + "data";
    if (!FileExists(dataDir))
        CreateDir(dataDir);
    ApplySettings();
}

void TfrmMain::FormShow(TObject *)
{
    for (TRichEdit *editor : {rchEdit, rchMemo}) {
        editor->SetFirstIndent(3);
        editor->SetModified(false);
    }
}

void TfrmMain::sbtnHelpClick(TObject *)
{
    const std::unique_ptr<TfrmAbout> about = std::make_unique<TfrmAbout>();
    frmAbout = about.get();
    struct Forget {
        ~Forget() { frmAbout = nullptr; }
    } forget;
    about->ShowModal();
}
