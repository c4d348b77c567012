#include "forms/select.h"
#include "forms/main.h"
#include "platform/application.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/text.h"
#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <utility>

TfrmSelect *frmSelect = nullptr;

namespace {

const std::string captionEdit = cp932::fromUtf8("登録情報の変更");
const std::string captionDelete = cp932::fromUtf8("登録情報の削除");
const std::string captionImport = cp932::fromUtf8("登録情報のｲﾝﾎﾟｰﾄ");
const std::string captionCancel = cp932::fromUtf8("ｷｬﾝｾﾙ");
const std::string catalogueMissing = cp932::fromUtf8("cdplayer.iniが見つかりません");

// The title padded with blanks to 50 bytes (a longer one is not cut), one
// blank, the section name: the section names stand in one column in the
// fixed-pitch font.
std::string ItemText(const std::string &title, const std::string &section)
{
    std::string item = title;
    item.resize(std::max<std::size_t>(item.size(), 50), ' ');
    item += ' ';
    item += section;
    return item;
}

// Japanese collation whatever the machine's locale, so kana sort in the order
// a Japanese reader expects; letters without regard to case. Items the
// collation holds equal (upper and lower case, kana of either kind or width)
// keep a fixed order: that of their bytes. A sort key per item keeps the sort
// fast for a large catalogue.
void SortAsListed(std::vector<RegisteredDisc> &discs)
{
    QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<std::pair<QCollatorSortKey, std::size_t>> keys;
    keys.reserve(discs.size());
    for (std::size_t i = 0; i < discs.size(); ++i)
        keys.emplace_back(collator.sortKey(cp932::toUnicode(discs[i].item)), i);
    std::sort(keys.begin(), keys.end(), [&](const auto &a, const auto &b) {
        const int order = a.first.compare(b.first);
        return order != 0 ? order < 0 : discs[a.second].item < discs[b.second].item;
    });
    std::vector<RegisteredDisc> sorted;
    sorted.reserve(discs.size());
    for (const auto &key : keys)
        sorted.push_back(std::move(discs[key.second]));
    discs = std::move(sorted);
}

} // namespace

std::optional<std::vector<RegisteredDisc>> ScanRegisteredDiscs()
{
    std::optional<TextFile> file;
    try {
        file.emplace(GetWindowsDirectory() + "/cdplayer.ini");
    } catch (const Exception &) {
        return std::nullopt;
    }
    std::vector<RegisteredDisc> discs;
    std::string piece;
    // Only header lines matter. Read in pieces of at most 19 bytes, a header
    // "[" name "]" LF comes whole when its name has at most 16 bytes; the name
    // is the piece without "[" and its last two bytes. A longer name is cut,
    // and a header with anything after "]" loses the wrong bytes: such
    // sections normally have no title under the name found and stay unlisted.
    while (file->gets(piece, 20)) {
        if (piece.size() < 3 || piece.front() != '[')
            continue;
        // As a C string: a NUL byte ends the name.
        const std::string section = piece.substr(1, piece.size() - 3).c_str();
        char title[80];
        GetPrivateProfileStringA(section.c_str(), "title", "", title, sizeof title, "cdplayer.ini");
        if (title[0] != '\0')
            discs.push_back({ItemText(title, section), section});
    }
    SortAsListed(discs);
    return discs;
}

TfrmSelect::TfrmSelect()
{
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientSize(277, 255);
    SetFont(fontNamed("ＭＳ Ｐゴシック", 12));
    SetCaption(captionEdit);
    OnShow = [this](TObject *Sender) { FormShow(Sender); };

    lstSelect = new TListBox(this);
    lstSelect->SetBounds(4, 7, 269, 213);
    lstSelect->SetFont(fontNamed("ＭＳ ゴシック", 12));
    lstSelect->OnDblClick = [this](TObject *Sender) { btnOKClick(Sender); };

    btnOK = new TButton(this);
    btnOK->SetBounds(144, 228, 61, 21);
    btnOK->SetCaption("OK");
    btnOK->SetDefault(true);
    btnOK->OnClick = [this](TObject *Sender) { btnOKClick(Sender); };

    btnCancel = new TButton(this);
    btnCancel->SetBounds(212, 228, 61, 21);
    btnCancel->SetCaption(captionCancel);
    btnCancel->SetCancel(true);
    btnCancel->OnClick = [this](TObject *Sender) { btnCancelClick(Sender); };

    setTabOrder(lstSelect, btnOK);
    setTabOrder(btnOK, btnCancel);
}

void TfrmSelect::FormShow(TObject *)
{
    switch (frmMain->selectMode) {
    case smEdit:
        SetCaption(captionEdit);
        break;
    case smDelete:
        SetCaption(captionDelete);
        break;
    case smImport:
        SetCaption(captionImport);
        break;
    default:
        break;
    }
    lstSelect->Clear();
    sections.clear();
    auto discs = ScanRegisteredDiscs();
    if (!discs) {
        Application->MessageBox(catalogueMissing, "Marel", MB_OK | MB_ICONHAND);
        SetModalResult(mrCancel);
        return;
    }
    std::vector<std::string> items;
    items.reserve(discs->size());
    sections.reserve(discs->size());
    for (auto &disc : *discs) {
        items.push_back(std::move(disc.item));
        sections.push_back(std::move(disc.section));
    }
    lstSelect->SetItems(std::move(items));
    if (!sections.empty())
        lstSelect->SetItemIndex(0);
}

void TfrmSelect::btnOKClick(TObject *)
{
    if (lstSelect->ItemIndex() < 0)
        MessageBeep(MB_ICONHAND);
    else
        SetModalResult(mrOk);
}

void TfrmSelect::btnCancelClick(TObject *)
{
    SetModalResult(mrCancel);
}

std::string TfrmSelect::ItemSection(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= sections.size())
        return {};
    return sections[index];
}
