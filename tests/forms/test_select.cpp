// The registered-disc dialog on its own: layout, the list it builds from the
// catalogue, and how it ends.
#include "forms/select.h"
#include "support/main_fixture.h"

#include <QMouseEvent>
#include <QScreen>
#include <functional>
#include <memory>

namespace {

class SelectDialogTest : public MainWindowTest {
protected:
    // Shows the dialog as the command of the mode does; act runs inside its
    // modal loop. The dialog stays for inspection.
    int showDialog(int mode, const std::function<void(TfrmSelect &)> &act = {})
    {
        form->selectMode = mode;
        dialog = std::make_unique<TfrmSelect>();
        modalRan = false;
        testSeam().onModal = [&](TForm &) {
            modalRan = true;
            if (act)
                act(*dialog);
        };
        return dialog->ShowModal();
    }

    std::vector<std::string> listedSections() const
    {
        std::vector<std::string> sections;
        for (int i = 0; i < dialog->lstSelect->Count(); ++i)
            sections.push_back(dialog->ItemSection(i));
        return sections;
    }

    static void key(QWidget *widget, int key, const QString &text = {})
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(widget, &release);
    }

    // A double click as the window system reports it: press, release, double
    // click, release.
    static void doubleClick(TListBox *list, QPoint at)
    {
        const QPoint global = list->viewport()->mapToGlobal(at);
        for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent event(type, at, global, Qt::LeftButton, held, Qt::NoModifier);
            QApplication::sendEvent(list->viewport(), &event);
        }
    }

    // Where Tab moves the focus from the widget.
    static QWidget *nextTabStop(QWidget *widget)
    {
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus));
        return widget;
    }

    std::unique_ptr<TfrmSelect> dialog;
    bool modalRan = false;
};

TEST_F(SelectDialogTest, LayoutFollowsTheFormAndCaptionFollowsTheMode)
{
    writeCatalogue("");
    const struct {
        int mode;
        const char *caption;
    } cases[] = {
        {smEdit, "登録情報の変更"},
        {smDelete, "登録情報の削除"},
        {smImport, "登録情報のｲﾝﾎﾟｰﾄ"},
        {7, "登録情報の変更"}, // an unknown mode keeps the form's caption
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mode);
        showDialog(c.mode);
        EXPECT_EQ(dialog->Caption(), sj(c.caption));
    }

    EXPECT_EQ(dialog->QWidget::size(), QSize(277, 255));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    EXPECT_FALSE(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE(std::abs(dialog->Left() + dialog->Width() / 2 - centre.x()), 1);
    EXPECT_LE(std::abs(dialog->Top() + dialog->Height() / 2 - centre.y()), 1);
    const struct {
        TControl *control;
        QRect bounds;
    } controls[] = {
        {dialog->lstSelect, {4, 7, 269, 213}},
        {dialog->btnOK, {144, 228, 61, 21}},
        {dialog->btnCancel, {212, 228, 61, 21}},
    };
    for (const auto &c : controls)
        EXPECT_EQ(QRect(c.control->Left(), c.control->Top(), c.control->Width(), c.control->Height()),
                  c.bounds);
    EXPECT_EQ(dialog->lstSelect->font().family(), fontNamed("ＭＳ ゴシック", 12).family());
    EXPECT_EQ(dialog->lstSelect->font().pixelSize(), 12);
    EXPECT_EQ(dialog->font().family(), fontNamed("ＭＳ Ｐゴシック", 12).family());
    EXPECT_EQ(dialog->btnOK->text(), "OK");
    EXPECT_EQ(dialog->btnCancel->text(), QString::fromUtf8("ｷｬﾝｾﾙ"));
    EXPECT_TRUE(dialog->btnOK->isDefault());
    EXPECT_TRUE(dialog->btnCancel->Cancel());
    EXPECT_EQ(nextTabStop(dialog->lstSelect), dialog->btnOK);
    EXPECT_EQ(nextTabStop(dialog->btnOK), dialog->btnCancel);
    EXPECT_EQ(nextTabStop(dialog->btnCancel), dialog->lstSelect);
}

TEST_F(SelectDialogTest, ListsTitledHeadersAsTheScanFindsThem)
{
    const struct {
        const char *what;
        std::string catalogue;
        std::vector<std::string> sections; // in list order
    } cases[] = {
        {"sorted by title", "[1]\r\ntitle=B\r\n[2]\r\ntitle=A\r\n", {"2", "1"}},
        {"no title or an empty one",
         "[1]\r\nartist=X\r\nnumtracks=3\r\n0=a\r\n[2]\r\ntitle=\r\n[3]\r\ntitle=C\r\n", {"3"}},
        {"a header twice", "[1]\r\ntitle=T\r\n[1]\r\nartist=Z\r\n", {"1", "1"}},
        {"a 16-byte name", "[0123456789ABCDEF]\r\ntitle=T\r\n", {"0123456789ABCDEF"}},
        {"a 17-byte name", "[0123456789ABCDEFG]\r\ntitle=T\r\n", {}},
        {"a 17-byte name is looked up by its first 16 bytes",
         "[0123456789ABCDEF]\r\ntitle=T\r\n[0123456789ABCDEFG]\r\ntitle=U\r\n",
         {"0123456789ABCDEF", "0123456789ABCDEF"}},
        {"a blank after the bracket", "[1] \r\ntitle=T\r\n[2]\r\ntitle=U\r\n", {"2"}},
        {"line feeds alone", "[1]\ntitle=T\n", {"1"}},
        {"a bracket where a long line is cut",
         "[1]\r\ntitle=ABCDEFGHIJKLM[2]\r\n[2]\r\ntitle=Two\r\n", {"1", "2", "2"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        writeCatalogue(c.catalogue);
        showDialog(smEdit);
        EXPECT_EQ(listedSections(), c.sections);
        EXPECT_EQ(dialog->lstSelect->ItemIndex(), c.sections.empty() ? -1 : 0);
    }
}

TEST_F(SelectDialogTest, ItemsPadTheTitleToFiftyBytes)
{
    const std::string thirty = sj("三十バイトの題名ですＡＢＣＤＥ"); // 30 bytes
    const std::string sixty = std::string(50, 'x') + sj("六十バイト");
    const std::string hundred(100, 'y');
    writeCatalogue("[7A0C5B08]\r\ntitle=" + thirty + "\r\n[1]\r\ntitle=" + sixty
                   + "\r\n[2]\r\ntitle=" + hundred + "\r\n");
    ASSERT_EQ(thirty.size(), 30u);
    showDialog(smEdit);

    ASSERT_EQ(dialog->lstSelect->Count(), 3);
    const struct {
        int index;
        std::string item;
        std::string section;
    } expected[] = {
        {0, sixty + " 1", "1"}, // longer than 50 bytes: not cut, one blank
        {1, std::string(79, 'y') + " 2", "2"}, // the title read stops at 79 bytes
        {2, thirty + std::string(20, ' ') + " 7A0C5B08", "7A0C5B08"},
    };
    for (const auto &e : expected) {
        SCOPED_TRACE(e.index);
        EXPECT_EQ(dialog->lstSelect->Item(e.index), e.item);
        EXPECT_EQ(dialog->ItemSection(e.index), e.section);
    }
    EXPECT_EQ(dialog->lstSelect->Item(2).substr(51), "7A0C5B08");
    EXPECT_EQ(dialog->ItemSection(3), "");
}

TEST_F(SelectDialogTest, SortsWithJapaneseCollation)
{
    // Kana in the order of the syllabary whatever their kind or width, letters
    // whatever their case; then the rest of the item: the padding (one blank
    // more after a half-width character) and the section name; items equal so
    // far by their bytes.
    writeCatalogue(sj("[01]\r\ntitle=カ\r\n[02]\r\ntitle=あ\r\n[03]\r\ntitle=ｶ\r\n"
                      "[04]\r\ntitle=B\r\n[05]\r\ntitle=い\r\n[06]\r\ntitle=a\r\n"
                      "[07]\r\ntitle=A\r\n[08]\r\ntitle=ア\r\n[s]\r\ntitle=b\r\n[S]\r\ntitle=b\r\n"));
    showDialog(smEdit);
    EXPECT_EQ(listedSections(),
              (std::vector<std::string>{"06", "07", "04", "S", "s", "02", "08", "05", "03", "01"}));
}

TEST_F(SelectDialogTest, EmptyOrMissingCatalogue)
{
    writeCatalogue("");
    bool stayedOpen = false;
    EXPECT_EQ(showDialog(smEdit, [&](TfrmSelect &d) {
                  d.btnOK->click();
                  doubleClick(d.lstSelect, {10, 10});
                  key(d.lstSelect, Qt::Key_Return);
                  stayedOpen = d.ModalResult() == mrNone;
              }),
              mrCancel);
    EXPECT_TRUE(stayedOpen) << "OK without a selection must not end the dialog";
    EXPECT_EQ(testSeam().beeps, 3);
    EXPECT_TRUE(testSeam().messageBoxes.empty());

    QFile::remove(QString::fromStdString(cataloguePath()));
    EXPECT_EQ(showDialog(smEdit), mrCancel);
    EXPECT_FALSE(modalRan);
    ASSERT_EQ(testSeam().messageBoxes.size(), 1u);
    EXPECT_EQ(testSeam().messageBoxes[0].text, sj("cdplayer.iniが見つかりません"));
    EXPECT_EQ(testSeam().messageBoxes[0].caption, "Marel");
    EXPECT_EQ(testSeam().messageBoxes[0].style, MB_OK | MB_ICONHAND);
    EXPECT_EQ(dialog->lstSelect->Count(), 0);
}

TEST_F(SelectDialogTest, KeysAndMouseEndTheDialog)
{
    writeCatalogue("[1]\r\ntitle=Alpha\r\n[2]\r\ntitle=Beta\r\n[3]\r\ntitle=Bravo\r\n");
    const struct {
        const char *what;
        std::function<void(TfrmSelect &)> act;
        int result;
        int index;
    } cases[] = {
        {"Enter", [](TfrmSelect &d) { key(d.lstSelect, Qt::Key_Return); }, mrOk, 0},
        {"Esc", [](TfrmSelect &d) { key(d.lstSelect, Qt::Key_Escape); }, mrCancel, 0},
        {"the close box", [](TfrmSelect &d) { d.close(); }, mrCancel, 0},
        {"the Cancel button", [](TfrmSelect &d) { d.btnCancel->click(); }, mrCancel, 0},
        {"a double click",
         [](TfrmSelect &d) {
             doubleClick(d.lstSelect, d.lstSelect->visualItemRect(d.lstSelect->item(2)).center());
         },
         mrOk, 2},
        {"typing the start of an item",
         [](TfrmSelect &d) {
             key(d.lstSelect, Qt::Key_B, "b");
             key(d.lstSelect, Qt::Key_R, "r");
             d.btnOK->click();
         },
         mrOk, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(showDialog(smEdit, c.act), c.result);
        EXPECT_EQ(dialog->lstSelect->ItemIndex(), c.index);
    }
    EXPECT_EQ(testSeam().beeps, 0);
}

} // namespace
