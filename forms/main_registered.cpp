// The commands on registered discs: Open, Delete and Import, each through the
// registered-disc dialog.
#include "forms/main.h"
#include "forms/select.h"
#include "platform/application.h"
#include "platform/text.h"
#include <memory>
#include <string_view>

namespace {

const std::string openStatus = cp932::fromUtf8("cdplayer.iniの編集　ﾄﾗｯｸ数：");
const std::string deleteQuestionHead = cp932::fromUtf8("「");
const std::string deleteQuestionTail = cp932::fromUtf8("」を削除します。よろしいですか？");

// The dialog lives for one command and goes on every path, an error in the
// command included; frmSelect refers to it while it exists.
struct DestroySelect {
    void operator()(TfrmSelect *form) const
    {
        frmSelect = nullptr;
        delete form;
    }
};
using SelectForm = std::unique_ptr<TfrmSelect, DestroySelect>;

SelectForm CreateSelect()
{
    SelectForm form(new TfrmSelect());
    frmSelect = form.get();
    return form;
}

std::string ChosenSection(const TfrmSelect &form)
{
    return form.ItemSection(form.lstSelect->ItemIndex());
}

// The title as the delete question shows it: the item's first 50 bytes
// (never half a character) without blanks and control bytes at either end.
std::string TitlePart(const std::string &item)
{
    std::string_view title = cp932::cut(item, 50);
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!title.empty() && blank(title.front()))
        title.remove_prefix(1);
    while (!title.empty() && blank(title.back()))
        title.remove_suffix(1);
    return std::string(title);
}

} // namespace

void TfrmMain::sbtnCDOpenClick(TObject *)
{
    if (!ConfirmDiscard())
        return;
    selectMode = smEdit;
    SelectForm dialog = CreateSelect();
    if (dialog->ShowModal() == mrOk) {
        discId = ChosenSection(*dialog);
        edtSerial->SetText(" " + discId);
        SetEditing(true);
        trackCount = LoadEntry(discId);
        statusBar->SetPanelText(0, openStatus + std::to_string(trackCount));
        TrimTrailingBreak();
    }
    dialog.reset();
    rchEdit->SetModified(false);
    rchMemo->SetModified(false);
}

void TfrmMain::sbtnDelClick(TObject *)
{
    selectMode = smDelete;
    SelectForm dialog = CreateSelect();
    if (dialog->ShowModal() != mrOk)
        return;
    const std::string section = ChosenSection(*dialog);
    const std::string question = deleteQuestionHead
        + TitlePart(dialog->lstSelect->Item(dialog->lstSelect->ItemIndex())) + deleteQuestionTail;
    if (Application->MessageBox(question, "Marel", MB_YESNO | MB_ICONQUESTION) == IDYES)
        DeleteEntry(section);
}

void TfrmMain::sbtnCopyClick(TObject *)
{
    if (!ConfirmDiscard())
        return;
    selectMode = smImport;
    SelectForm dialog = CreateSelect();
    if (dialog->ShowModal() == mrOk) {
        SetEditing(true); // the import button among them was enabled already
        LoadEntry(ChosenSection(*dialog));
        TrimTrailingBreak();
    }
    dialog.reset();
    rchEdit->SetModified(false);
    rchMemo->SetModified(false);
}
