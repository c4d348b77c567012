#include "forms/about.h"
#include "support/main_fixture.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

#include <cstdlib>

namespace {

class AboutBoxTest : public MainWindowTest {};

TEST_F(AboutBoxTest, ShowsNameVersionAndCreditCentredOnTheScreen)
{
    int shown = 0;
    testSeam().onModal = [&](TForm &box) {
        ++shown;
        auto *about = dynamic_cast<TfrmAbout *>(&box);
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(frmAbout, about);
        EXPECT_EQ(about->Caption(), sj("Marelについて"));
        EXPECT_EQ(about->size(), QSize(264, 118)) << "client area";
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        EXPECT_LE(std::abs(about->Left() + about->Width() / 2 - screen.center().x()), 1);
        EXPECT_LE(std::abs(about->Top() + about->Height() / 2 - screen.center().y()), 1);

        EXPECT_EQ(about->Label1->text(), "Marel V1.00");
        for (TLabel *label : {about->Label1, about->Label2, about->Label3, about->Label4}) {
            EXPECT_FALSE(label->text().isEmpty());
            EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), 160)
                << label->text().toStdString() << " does not fit its label";
        }
        EXPECT_EQ(about->Image1->pixmap().size(), QSize(32, 32));

        EXPECT_EQ(about->Button1->text(), "OK");
        EXPECT_TRUE(about->Button1->isDefault());
        for (const QWidget *child : about->findChildren<QWidget *>())
            EXPECT_EQ(bool(child->focusPolicy() & Qt::TabFocus), child == about->Button1)
                << child->metaObject()->className();
        about->Button1->click();
    };
    click(form->sbtnHelp);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(frmAbout, nullptr);
}

TEST_F(AboutBoxTest, EachOpeningMakesANewBoxAndLeavesTheWindowAsItWas)
{
    typeText(form->rchEdit, "Track one");
    typeText(form->rchMemo, "a memo");
    const std::string tracks = form->rchEdit->Text();
    const std::string memo = form->rchMemo->Text();
    const QRect place = form->geometry();
    const int editorHeight = form->rchEdit->Height();

    std::vector<QPointer<TfrmAbout>> boxes;
    testSeam().onModal = [&](TForm &box) {
        boxes.emplace_back(dynamic_cast<TfrmAbout *>(&box));
        // The first closes by its button, the second by its frame.
        if (boxes.size() == 1)
            boxes.back()->Button1->click();
        else
            box.Close();
    };
    click(form->sbtnHelp);
    click(form->sbtnHelp);

    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[0].isNull()) << "destroyed once closed";
    EXPECT_TRUE(boxes[1].isNull());
    EXPECT_EQ(frmAbout, nullptr);
    EXPECT_EQ(form->rchEdit->Text(), tracks);
    EXPECT_EQ(form->rchMemo->Text(), memo);
    EXPECT_TRUE(form->rchEdit->Modified());
    EXPECT_TRUE(form->rchMemo->Modified());
    EXPECT_EQ(form->geometry(), place);
    EXPECT_EQ(form->rchEdit->Height(), editorHeight);
    EXPECT_FALSE(form->sbtnCDSave->isEnabled());
    EXPECT_TRUE(testSeam().messageBoxes.empty());
}

}
