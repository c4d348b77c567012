#include "forms/main.h"
#include "platform/application.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/text.h"
#include <QFile>
#include <QScopedValueRollback>
#include <string_view>
#include <vector>

namespace {

const char BoxCaption[] = "Marel";
const char Catalogue[] = "cdplayer.ini";
constexpr int TitleColumns = 50; // the width of a track title, in CP932 bytes

const std::string CountMismatch = cp932::fromUtf8("CDの曲数と編集されたﾄﾗｯｸ数が異なります");
const std::string CannotWrite = cp932::fromUtf8("ﾌｧｲﾙ %s に書き込めません");
const std::string TitleTooLong = cp932::fromUtf8("曲名は５０文字以内にして下さい");
const std::string LineSuffix = cp932::fromUtf8(" 行");

// The track titles: the editor's non-empty lines, in order.
std::vector<std::string> trackTitles(const TRichEdit &editor)
{
    std::vector<std::string> titles;
    for (int i = 0; i < editor.LineCount(); ++i)
        if (std::string line = editor.Line(i); !line.empty())
            titles.push_back(std::move(line));
    return titles;
}

// A profile read drops the blanks around a value and a pair of quotes that
// encloses it. A text that would lose them is stored inside quotes of its
// own, so that it reads back, here and on Windows, as the user typed it.
std::string storedForm(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const bool enclosed = text.size() >= 2 && (text.front() == '"' || text.front() == '\'')
                          && text.back() == text.front();
    if (text.empty() || !(blank(text.front()) || blank(text.back()) || enclosed))
        return std::string(text);
    return '"' + std::string(text) + '"';
}

std::string catalogueWriteError()
{
    const std::string path = GetWindowsDirectory() + "/" + Catalogue;
    std::string message = CannotWrite;
    return message.replace(message.find("%s"), 2,
                           cp932::fromUnicode(QFile::decodeName(QByteArray::fromStdString(path))));
}

}

void TfrmMain::sbtnCDSaveClick(TObject *)
{
    const std::vector<std::string> titles = trackTitles(*rchEdit);
    if (std::ssize(titles) != trackCount) {
        Application->MessageBox(CountMismatch, BoxCaption, MB_OK | MB_ICONHAND);
        return;
    }

    // The entry reaches the disk whole or not at all, so a failed save leaves
    // the catalogue as it was and the edits still marked unsaved.
    ProfileBatch batch(Catalogue);
    bool written = true;
    const auto write = [&](const std::string &key, const char *value) {
        written = WritePrivateProfileStringA(discId.c_str(), key.c_str(), value, Catalogue) && written;
    };
    for (std::size_t j = 0; j < titles.size(); ++j)
        write(std::to_string(j), storedForm(cp932::cut(titles[j], TitleColumns)).c_str());
    write(std::to_string(titles.size()), nullptr);
    write("numtracks", std::to_string(trackCount).c_str());
    write("title", storedForm(edtTitle->Text()).c_str());
    write("artist", storedForm(edtArtist->Text()).c_str());
    if (!written || !batch.commit())
        throw Exception(catalogueWriteError());

    // A disc ID that could leave the data folder has no memo file to write.
    if (const std::string memo = MemoPath(discId); !memo.empty())
        WriteWholeFile(memo, rchMemo->Text());
    rchEdit->SetModified(false);
    rchMemo->SetModified(false);
}

void TfrmMain::rchEditSelectionChange(TObject *)
{
    // The rule's own steps raise this event again; there they only move the
    // indicator, so a long paste doesn't nest one run per surplus character.
    static bool refusing = false;

    const int caret = rchEdit->SelStart();
    const int line = rchEdit->LineFromChar(caret);
    statusBar->SetPanelText(1, std::to_string(line + 1) + LineSuffix);
    const int lineStart = rchEdit->LineIndex(line);
    if (refusing || caret - lineStart <= TitleColumns)
        return;

    // One message per character beyond the limit, the caret stepping back
    // over it; then the characters stepped over go.
    QScopedValueRollback guard(refusing, true);
    do {
        Application->MessageBox(TitleTooLong, BoxCaption, MB_OK | MB_ICONHAND);
        rchEdit->SetSelStart(rchEdit->SelStart() - 1);
    } while (rchEdit->SelStart() - lineStart > TitleColumns);
    rchEdit->SetSelLength(caret - rchEdit->SelStart());
    rchEdit->SetSelText("");
}
