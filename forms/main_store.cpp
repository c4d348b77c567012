#include "forms/main.h"

#include "platform/application.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <vector>

namespace {

const char *const kCatalogue = "cdplayer.ini";
const std::string kDiscardQuestion =
    cp932::fromUtf8("編集されています。編集内容を取り消しますか？");

// The indices below count whose track key the section may hold, in
// ascending order. Reading just these gives the same titles as trying every
// index, but a stored count far beyond any disc costs no more than the
// section's keys. Another spelling of a number ("01") only adds an index:
// the read of its "%d" key decides.
std::vector<int> storedTrackIndices(const std::string &section, int count)
{
    std::vector<int> indices;
    for (const std::string &key : GetPrivateProfileKeys(section.c_str(), kCatalogue)) {
        int index = 0;
        const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), index);
        if (error == std::errc() && end == key.data() + key.size() && index >= 0 && index < count)
            indices.push_back(index);
    }
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    return indices;
}

}

int TfrmMain::LoadEntry(const std::string &section)
{
    rchEdit->Clear();
    rchMemo->Clear();
    char value[256];
    GetPrivateProfileStringA(section.c_str(), "artist", "", value, sizeof value, kCatalogue);
    edtArtist->SetText(value);
    GetPrivateProfileStringA(section.c_str(), "title", "", value, sizeof value, kCatalogue);
    edtTitle->SetText(value);
    GetPrivateProfileStringA(section.c_str(), "numtracks", "", value, sizeof value, kCatalogue);
    const int count = LenientInt(value);
    for (int index : storedTrackIndices(section, count))
        if (ReadTrackName(section, index, value, sizeof value) == 0)
            rchEdit->LinesAdd(value);
    const std::string memo = MemoPath(section);
    if (!memo.empty() && FileExists(memo))
        rchMemo->SetText(ReadWholeFile(memo));
    rchEdit->SetModified(false);
    rchMemo->SetModified(false);
    return count;
}

int TfrmMain::ReadTrackName(const std::string &section, int index, char *buffer, unsigned size)
{
    char key[12];
    std::snprintf(key, sizeof key, "%d", index);
    // The read empties the buffer when the key is absent.
    return GetPrivateProfileStringA(section.c_str(), key, "", buffer, size, kCatalogue) > 0 ? 0 : -1;
}

void TfrmMain::DeleteEntry(const std::string &section)
{
    WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, kCatalogue);
    const std::string memo = MemoPath(section);
    if (!memo.empty())
        DeleteFile(memo);
}

int TfrmMain::ConfirmDiscard()
{
    const bool trackEdited = rchEdit->Modified();
    const bool memoEdited = rchMemo->Modified();
    if (!trackEdited && !memoEdited)
        return 1;
    return Application->MessageBox(kDiscardQuestion, "Marel", MB_YESNO | MB_ICONHAND) == IDYES;
}

void TfrmMain::TrimTrailingBreak()
{
    rchEdit->setFocus();
    rchEdit->SetSelStart(std::max(rchEdit->SelStart() - 2, 0));
    rchEdit->SetSelLength(2);
    rchEdit->SetSelText("");
}

std::string TfrmMain::MemoPath(const std::string &section) const
{
    if (!isPlainFileName(section))
        return {};
    return appDir + "data/" + section + ".cd";
}
