#include "support/seam_fixture.h"
#include "platform/application.h"
#include "platform/controls.h"
#include "platform/forms.h"
#include "platform/text.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

class FormsTest : public SeamTest {};

void key(QWidget &widget, int code)
{
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
}

TEST_F(FormsTest, OuterGeometryIsTheClientAreaWithTheNominalFrame)
{
    TForm form;
    form.SetBounds(31, 33, 340, 389);
    EXPECT_EQ(form.geometry(), QRect(35, 52, 332, 366));
    EXPECT_EQ(form.Left(), 31);
    EXPECT_EQ(form.Top(), 33);
    EXPECT_EQ(form.Width(), 340);
    EXPECT_EQ(form.Height(), 389);

    TForm dialog;
    dialog.SetBorderStyle(bsDialog);
    dialog.SetClientSize(277, 255);
    EXPECT_EQ(dialog.Width(), 285);
    EXPECT_EQ(dialog.Height(), 278);
    EXPECT_EQ(dialog.minimumSize(), QSize(277, 255));
    EXPECT_EQ(dialog.maximumSize(), QSize(277, 255));
    EXPECT_FALSE(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
}

// A form stacked as the main window is: a top panel, an editor, a bar and a
// memo panel holding its own caption panel and editor, a status bar.
struct Stack {
    TForm form;
    TPanel *top = new TPanel(&form);
    TPanel *editor = new TPanel(&form);
    TPanel *bar = new TPanel(&form);
    TPanel *memo = new TPanel(&form);
    TPanel *memoCaption = new TPanel(memo);
    TPanel *memoText = new TPanel(memo);
    TPanel *status = new TPanel(&form);

    Stack()
    {
        form.SetBounds(0, 0, 340, 389);
        // Aligned out of order: the order of creation counts.
        status->SetHeight(19);
        status->SetAlign(alBottom);
        top->SetHeight(97);
        top->SetAlign(alTop);
        memo->SetAlign(alClient);
        bar->SetHeight(4);
        bar->SetAlign(alTop);
        editor->SetHeight(150);
        editor->SetAlign(alTop);
        memoCaption->SetHeight(18);
        memoCaption->SetAlign(alTop);
        memoText->SetAlign(alClient);
    }
};

TEST_F(FormsTest, AlignedControlsStackInCreationOrder)
{
    Stack s;
    EXPECT_EQ(s.top->geometry(), QRect(0, 0, 332, 97));
    EXPECT_EQ(s.editor->geometry(), QRect(0, 97, 332, 150));
    EXPECT_EQ(s.bar->geometry(), QRect(0, 247, 332, 4));
    EXPECT_EQ(s.memo->geometry(), QRect(0, 251, 332, 96));
    EXPECT_EQ(s.status->geometry(), QRect(0, 347, 332, 19));
    // Inside the memo panel's raised bevel.
    EXPECT_EQ(s.memoCaption->geometry(), QRect(1, 1, 330, 18));
    EXPECT_EQ(s.memoText->geometry(), QRect(1, 19, 330, 76));
}

TEST_F(FormsTest, AChildsNewHeightOrTheFormsNewSizeLaysOutAgain)
{
    Stack s;
    s.editor->SetHeight(100);
    EXPECT_EQ(s.bar->geometry(), QRect(0, 197, 332, 4));
    EXPECT_EQ(s.memo->geometry(), QRect(0, 201, 332, 146));
    EXPECT_EQ(s.memoText->geometry(), QRect(1, 19, 330, 126));

    s.form.Show();
    s.form.SetHeight(289);
    EXPECT_EQ(s.memo->geometry(), QRect(0, 201, 332, 46));
    EXPECT_EQ(s.status->geometry(), QRect(0, 247, 332, 19));
    EXPECT_EQ(s.memoText->geometry(), QRect(1, 19, 330, 26));
}

// The main window's limits: 340 wide, at least 250 high.
class LimitedForm : public TForm {
public:
    std::vector<TMinMaxInfo> proposals;

protected:
    void WMGetMinMaxInfo(TMinMaxInfo &info) override
    {
        proposals.push_back(info);
        info.ptMinTrackSize.x = 340;
        info.ptMaxTrackSize.x = 340;
        info.ptMinTrackSize.y = 250;
    }
};

TEST_F(FormsTest, SizeLimitsBindEveryChange)
{
    LimitedForm form;
    form.SetBounds(10, 10, 500, 100);
    EXPECT_EQ(form.Width(), 340);
    EXPECT_EQ(form.Height(), 250);
    // The user's drag of the frame is bound by the same limits.
    EXPECT_EQ(form.minimumSize(), QSize(332, 227));
    EXPECT_EQ(form.maximumWidth(), 332);

    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    ASSERT_FALSE(form.proposals.empty());
    EXPECT_EQ(form.proposals[0].ptMinTrackSize.x, 8);
    EXPECT_EQ(form.proposals[0].ptMinTrackSize.y, 23);
    EXPECT_EQ(form.proposals[0].ptMaxTrackSize.x, screen.width() + 8);
    EXPECT_EQ(form.proposals[0].ptMaxTrackSize.y, screen.height() + 23);

    form.SetHeight(100000);
    EXPECT_EQ(form.Height(), screen.height() + 23);
    form.SetHeight(300);
    EXPECT_EQ(form.Height(), 300);
    EXPECT_EQ(form.Left(), 10);
}

// A settings file may hold any number: places and sizes at the ends of the
// range are held within what Qt can show, and no sum of the geometry
// overflows on the way.
TEST_F(FormsTest, PlacesAndSizesAtTheEndsOfTheRangeAreBounded)
{
    LimitedForm form;
    auto *top = new TPanel(&form);
    top->SetAlign(alTop);
    auto *rest = new TPanel(&form);
    rest->SetAlign(alClient);
    const int tallest = QGuiApplication::primaryScreen()->availableGeometry().height() + 23;
    for (const int n : {std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}) {
        SCOPED_TRACE(n);
        form.SetBounds(n, n, n, n);
        const int place = n < 0 ? -QWIDGETSIZE_MAX : QWIDGETSIZE_MAX;
        EXPECT_EQ(form.Left(), place);
        EXPECT_EQ(form.Top(), place);
        EXPECT_EQ(form.Width(), 340);
        EXPECT_EQ(form.Height(), n < 0 ? 250 : tallest);
        top->SetBounds(n, n, n, n);
        EXPECT_EQ(top->Height(), n < 0 ? 0 : QWIDGETSIZE_MAX);
        EXPECT_EQ(top->Top(), 0) << "laid out again in its place";
        EXPECT_EQ(rest->Height(), n < 0 ? form.Height() - 23 : 0);
    }
}

TEST_F(FormsTest, ResizeComesAfterEveryChangeAndWhenFirstShownThenShow)
{
    TForm form;
    std::vector<std::string> events;
    form.OnResize = [&](TObject *sender) {
        EXPECT_EQ(sender, &form);
        events.push_back("resize " + std::to_string(form.Height()));
    };
    form.OnShow = [&](TObject *) { events.push_back("show"); };
    form.SetBounds(0, 0, 200, 100);
    form.SetHeight(150); // hidden: applied, reported when shown
    EXPECT_TRUE(events.empty());
    form.Show();
    form.SetHeight(120);
    form.hide();
    form.Show();
    const std::vector<std::string> expected = {"resize 150", "show", "resize 120", "show"};
    EXPECT_EQ(events, expected);
}

TEST_F(FormsTest, CenteredOnTheScreenWhenShown)
{
    TForm form;
    form.SetPosition(poScreenCenter);
    form.SetBounds(0, 0, 300, 200);
    form.Show();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(form.Left(), screen.x() + (screen.width() - 300) / 2);
    EXPECT_EQ(form.Top(), screen.y() + (screen.height() - 200) / 2);
}

// A dialog with OK (default) and Cancel (cancel) buttons, and a third one.
struct Dialog {
    TForm form;
    TButton *ok = new TButton(&form);
    TButton *cancel = new TButton(&form);
    TButton *other = new TButton(&form);
    std::vector<std::string> clicks;

    Dialog()
    {
        form.SetBorderStyle(bsDialog);
        form.SetClientSize(200, 100);
        ok->SetDefault(true);
        ok->OnClick = [this](TObject *) {
            clicks.push_back("ok");
            form.SetModalResult(mrOk);
        };
        cancel->SetCancel(true);
        cancel->SetModalResult(mrCancel);
        cancel->OnClick = [this](TObject *) { clicks.push_back("cancel"); };
        other->OnClick = [this](TObject *) { clicks.push_back("other"); };
    }
};

TEST_F(FormsTest, ShowModalEndsByEnterEscTheCloseBoxOrNothing)
{
    struct Case {
        const char *name;
        std::function<void(Dialog &)> act;
        int result;
        std::vector<std::string> clicks;
    };
    const Case cases[] = {
        {"Enter", [](Dialog &d) { key(d.form, Qt::Key_Return); }, mrOk, {"ok"}},
        {"Esc", [](Dialog &d) { key(d.form, Qt::Key_Escape); }, mrCancel, {"cancel"}},
        {"Enter on a focused button",
         [](Dialog &d) {
             d.other->setFocus();
             key(*d.other, Qt::Key_Enter);
         },
         mrCancel, {"other"}},
        {"Enter on a disabled default button",
         [](Dialog &d) {
             d.ok->SetEnabled(false);
             key(d.form, Qt::Key_Return);
         },
         mrCancel, {}},
        {"close box", [](Dialog &d) { d.form.close(); }, mrCancel, {}},
        {"nothing", [](Dialog &) {}, mrCancel, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Dialog dialog;
        bool shownDuringModal = false;
        testSeam().onModal = [&](TForm &form) {
            shownDuringModal = form.isVisible() && form.isModal();
            c.act(dialog);
        };
        EXPECT_EQ(dialog.form.ShowModal(), c.result);
        EXPECT_EQ(dialog.form.ModalResult(), c.result);
        EXPECT_EQ(dialog.clicks, c.clicks);
        EXPECT_TRUE(shownDuringModal);
        EXPECT_FALSE(dialog.form.isVisible());
    }
}

TEST_F(FormsTest, AFormEndedInOnShowIsNotDriven)
{
    Dialog dialog;
    dialog.form.OnShow = [&](TObject *) { dialog.form.SetModalResult(mrCancel); };
    bool driven = false;
    testSeam().onModal = [&](TForm &) { driven = true; };
    EXPECT_EQ(dialog.form.ShowModal(), mrCancel);
    EXPECT_FALSE(driven);
}

TEST_F(FormsTest, ShowModalRunsItsOwnLoopUntilAResultIsSet)
{
    testSeam().active = false;
    Dialog dialog;
    QTimer::singleShot(0, dialog.ok, [&] { dialog.ok->click(); });
    EXPECT_EQ(dialog.form.ShowModal(), mrOk);
    EXPECT_FALSE(dialog.form.isVisible());

    QTimer::singleShot(0, &dialog.form, [&] { dialog.form.close(); });
    EXPECT_EQ(dialog.form.ShowModal(), mrCancel);
}

TEST_F(FormsTest, CloseAsksOnCloseQuery)
{
    TForm form;
    form.SetBounds(0, 0, 200, 100);
    bool allow = false;
    form.OnCloseQuery = [&](TObject *, bool &canClose) { canClose = allow; };
    form.Show();
    EXPECT_FALSE(form.Close());
    EXPECT_TRUE(form.isVisible());
    allow = true;
    EXPECT_TRUE(form.Close());
    EXPECT_FALSE(form.isVisible());
}

TEST_F(FormsTest, AnExceptionEndsItsHandlerAndShowsTheErrorBox)
{
    TForm form;
    bool rest = false;
    form.OnCreate = [&](TObject *) {
        throw Exception(cp932::fromUtf8("ファイルを作成できません"));
        rest = true;
    };
    form.DoCreate();
    fire([] { throw std::runtime_error("plain"); });
    EXPECT_FALSE(rest);
    ASSERT_EQ(testSeam().messageBoxes.size(), 2U);
    EXPECT_EQ(testSeam().messageBoxes[0].text, cp932::fromUtf8("ファイルを作成できません."));
    EXPECT_EQ(testSeam().messageBoxes[0].caption, "Marel");
    EXPECT_EQ(testSeam().messageBoxes[0].style, unsigned(MB_OK | MB_ICONHAND));
    EXPECT_EQ(testSeam().messageBoxes[1].text, "plain.");
}

// A control whose painting fails.
class FailingPaint : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    bool boxWhilePainting = true;

protected:
    void Paint() override
    {
        fire([] { throw Exception("paint"); });
        boxWhilePainting = !testSeam().messageBoxes.empty();
    }
};

TEST_F(FormsTest, AnErrorWhilePaintingIsShownAfterThePaint)
{
    TForm form;
    auto *control = new FailingPaint(&form);
    control->SetBounds(0, 0, 10, 10);
    control->grab();
    EXPECT_FALSE(control->boxWhilePainting);
    QCoreApplication::processEvents();
    ASSERT_EQ(testSeam().messageBoxes.size(), 1U);
    EXPECT_EQ(testSeam().messageBoxes[0].text, "paint.");
}

TEST_F(FormsTest, DesignFontsAreSubstitutedAtTheirPixelSize)
{
    const struct {
        const char *design;
        const char *family;
    } cases[] = {
        {"ＭＳ ゴシック", "IPAGothic"},
        {"ＭＳ Ｐゴシック", "IPAPGothic"},
        {"ＭＳ ＰＲゴシック", "IPAPGothic"},
    };
    for (const auto &c : cases) {
        const QFont font = fontNamed(c.design, 12);
        EXPECT_EQ(font.family(), c.family);
        EXPECT_EQ(font.pixelSize(), 12);
        EXPECT_EQ(QFontInfo(font).family(), c.family) << "installed font";
    }
}

}
