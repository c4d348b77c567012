#include "forms/main.h"

#include "controls/SplitIt.h"
#include "platform/application.h"
#include "platform/profile.h"

#include <algorithm>
#include <string>
#include <utility>

// The window's place and heights between runs, its size limits, and the
// border between track editor and memo.

namespace {

const char *const kSetup = "Setup";
constexpr int kWidth = 340;
constexpr int kMinHeight = 250;

// At once, so the moved border shows before the next message.
void repaintEditors(const TfrmMain &form)
{
    form.rchEdit->Repaint();
    form.rchMemo->Repaint();
}

}

void TfrmMain::ApplySettings()
{
    const char *const file = iniFile.c_str();
    // A place beyond the screen (a smaller screen since the last run) falls
    // back to the default; the window's own size is not considered.
    int x = GetPrivateProfileIntA(kSetup, "x", 10, file);
    if (x > GetSystemMetrics(SM_CXSCREEN))
        x = 10;
    int y = GetPrivateProfileIntA(kSetup, "y", 10, file);
    if (y > GetSystemMetrics(SM_CYSCREEN))
        y = 10;
    SetLeft(x);
    SetTop(y);
    SetHeight(GetPrivateProfileIntA(kSetup, "h", 350, file));
    // A control has no negative height: a stored value of 0 or less leaves
    // the track editor closed until the bar is dragged.
    rchEdit->SetHeight(std::max(0, GetPrivateProfileIntA(kSetup, "h1", 150, file)));
}

void TfrmMain::FormCloseQuery(TObject *, bool &CanClose)
{
    if (!ConfirmDiscard()) {
        CanClose = false;
        return;
    }
    // The four land together, so the next start never sees half of them.
    ProfileBatch batch(iniFile);
    const std::pair<const char *, int> settings[] = {
        {"x", Left()}, {"y", Top()}, {"h", Height()}, {"h1", rchEdit->Height()}};
    for (const auto &[key, value] : settings)
        WritePrivateProfileStringA(kSetup, key, std::to_string(value).c_str(), iniFile.c_str());
    batch.commit();
}

void TfrmMain::WMGetMinMaxInfo(TMinMaxInfo &info)
{
    info.ptMinTrackSize.x = kWidth;
    info.ptMaxTrackSize.x = kWidth;
    info.ptMinTrackSize.y = kMinHeight;
    TForm::WMGetMinMaxInfo(info);
}

void TfrmMain::FormResize(TObject *)
{
    // The bar may not close the track editor, nor push the memo off the
    // window.
    Split1->Min = pnlTop->Height() + 20;
    const int limit = Height() - statusBar->Height() - pnlMemo->Height() - 50;
    Split1->Max = limit;
    // Too short for the track editor: it gives way. Growing again gives the
    // room to the memo.
    if (limit < Split1->Top())
        rchEdit->SetHeight(limit - pnlTop->Height());
    repaintEditors(*this);
}

void TfrmMain::Split1Split(TObject *, int NewPos)
{
    rchEdit->SetHeight(NewPos - pnlTop->Height());
    repaintEditors(*this);
}

