#pragma once
#include "platform/controls.h"
#include "platform/forms.h"
#include <string>
#include <vector>

// The registered-disc dialog: the titled entries of the catalogue, sorted.
class TfrmSelect : public TForm {
    Q_OBJECT
public:
    TfrmSelect();

    TListBox *lstSelect;
    TButton *btnOK;
    TButton *btnCancel;

    void FormShow(TObject *Sender);
    void btnOKClick(TObject *Sender);
    void btnCancelClick(TObject *Sender);

    // The section name of a listed item, whatever its title's length.
    std::string ItemSection(int index) const;

private:
    std::vector<std::string> sections; // in list order
};
extern TfrmSelect *frmSelect;
