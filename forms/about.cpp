#include "forms/about.h"

#include "forms/glyphs.h"
#include "platform/text.h"

TfrmAbout *frmAbout = nullptr;

namespace {

// A line of text centred in the 160 pixels right of the picture.
TLabel *line(QWidget *parent, int top, const char *text)
{
    auto *label = new TLabel(parent);
    label->SetBounds(72, top, 160, 12);
    label->SetAlignment(Qt::AlignCenter);
    label->SetCaption(cp932::fromUtf8(text));
    return label;
}

}

TfrmAbout::TfrmAbout()
{
    SetBorderStyle(bsDialog);
    SetCaption(cp932::fromUtf8("Marelについて"));
    SetClientSize(264, 118);
    SetPosition(poScreenCenter);
    SetFont(fontNamed("ＭＳ Ｐゴシック", 12));

    // The sunken frame comes first so that the picture and texts lie over it.
    Bevel1 = new TBevel(this);
    Bevel1->SetBounds(8, 4, 249, 81);
    Bevel1->SetShape(bsBox, bsLowered);

    Image1 = new TImage(this);
    Image1->SetBounds(20, 28, 32, 32);
    Image1->SetPicture(glyphs::ProgramIcon());

    Label1 = line(this, 12, "Marel V1.00");
    QPalette black = Label1->palette();
    black.setColor(QPalette::WindowText, toQColor(clBlack));
    Label1->setPalette(black);
    Label2 = line(this, 36, "by the Marel developers");
    Label3 = line(this, 52, "Issues: the project tracker");
    Label4 = line(this, 65, "Help: README.md");

    // The one control that takes the focus; Enter and Esc both close the box.
    Button1 = new TButton(this);
    Button1->SetBounds(97, 93, 69, 21);
    Button1->SetCaption("OK");
    Button1->SetModalResult(mrOk);
    Button1->SetDefault(true);
    Button1->SetCancel(true);
}
