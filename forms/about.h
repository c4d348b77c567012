#pragma once
#include "platform/controls.h"
#include "platform/forms.h"

// The About box: name, version, credit and where to reach the project.
class TfrmAbout : public TForm {
    Q_OBJECT
public:
    TfrmAbout();

    TLabel *Label1;
    TLabel *Label2;
    TLabel *Label3;
    TLabel *Label4;
    TButton *Button1;
    TBevel *Bevel1;
    TImage *Image1;
};
extern TfrmAbout *frmAbout;
