#pragma once
#include "platform/controls.h"
#include "platform/forms.h"
#include <optional>
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

    // The section name of a listed item, whatever its title's length; empty
    // for an index that lists no item.
    std::string ItemSection(int index) const;

private:
    std::vector<std::string> sections; // in list order
};
extern TfrmSelect *frmSelect;

// One listed entry: the item text "%-50s %s" of its title and section name
// (CP932, padded in bytes) and the section it was made from.
struct RegisteredDisc {
    std::string item;
    std::string section;
};

// The titled entries of the catalogue in the Windows directory, in the order
// the dialog lists them; none when the catalogue cannot be opened.
std::optional<std::vector<RegisteredDisc>> ScanRegisteredDiscs();
