#include "forms/main.h"

#include "platform/application.h"
#include "platform/cdaudio.h"
#include "platform/text.h"

#include <cstdio>
#include <initializer_list>

namespace {

const std::string kTrackCount = cp932::fromUtf8(" CD-DA ﾄﾗｯｸ数： ");

}

void TfrmMain::sbtnCDReadClick(TObject *)
{
    if (!ConfirmDiscard())
        return;
    char answer[40] = "";
    const unsigned result = mciSendStringA("info cdaudio identity wait", answer, sizeof answer, nullptr);
    const int identity = result == 0 ? StrToInt(answer) : 0;
    if (identity == 0) {
        MessageBeep(MB_ICONHAND);
        return;
    }
    char id[18];
    std::snprintf(id, sizeof id, "%X", static_cast<unsigned>(identity));
    discId = id;
    edtSerial->SetText(" " + discId);

    mciSendStringA("open cdaudio", nullptr, 0, nullptr);
    mciSendStringA("status cdaudio number of tracks", answer, sizeof answer, nullptr);
    mciSendStringA("close cdaudio", nullptr, 0, nullptr);
    const std::string tracks = answer;

    if (tracks.empty()) {
        MessageBeep(MB_ICONHAND);
        statusBar->SetPanelText(0, noAudioTracksText);
        SetEditing(false);
    } else {
        LoadEntry(discId);
        trackCount = LenientInt(tracks);
        statusBar->SetPanelText(0, kTrackCount + tracks);
        SetEditing(true);
        TrimTrailingBreak();
    }
    rchEdit->SetModified(false);
    rchMemo->SetModified(false);
}

void TfrmMain::SetEditing(bool enabled)
{
    for (TControl *control : std::initializer_list<TControl *>{sbtnCDSave, sbtnCopy, edtArtist, edtTitle})
        control->SetEnabled(enabled);
    edtArtist->SetColor(enabled ? clWindow : clBtnFace);
    edtTitle->SetColor(enabled ? clWindow : clBtnFace);
}
