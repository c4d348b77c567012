// A long random run of the whole program: the main window, driven offscreen
// through its buttons, editors and dialogs, on a large catalogue that another
// process changes between two commands. After every command and every change
// of the other process the catalogue, the memo files and the settings file
// are compared with models of what they must hold, and the window with what
// it must show. The first difference ends the run with exit code 1.
//
//   bench_soak [--commands N] [--entries N] [--seed S]
#include "bench/soak_check.h"
#include "bench/soak_data.h"
#include "bench/soak_files.h"
#include "bench/soak_input.h"
#include "bench/soak_writer.h"
#include "controls/SplitIt.h"
#include "forms/main.h"
#include "forms/select.h"
#include "platform/application.h"
#include "platform/cdaudio.h"
#include "platform/text.h"
#include "tests/support/scripted_cdaudio.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <optional>
#include <random>
#include <string_view>

using namespace soak;

namespace {

// The program's fixed texts, as it shows them.
const std::string discardQuestion = cp932::fromUtf8("編集されています。編集内容を取り消しますか？");
const std::string deleteHead = cp932::fromUtf8("「");
const std::string deleteTail = cp932::fromUtf8("」を削除します。よろしいですか？");
const std::string countMismatch = cp932::fromUtf8("CDの曲数と編集されたﾄﾗｯｸ数が異なります");
const std::string titleTooLong = cp932::fromUtf8("曲名は５０文字以内にして下さい");
const std::string noAudio = cp932::fromUtf8(" ｵｰﾃﾞｨｵﾄﾗｯｸが見つかりません");
const std::string readStatus = cp932::fromUtf8(" CD-DA ﾄﾗｯｸ数： ");
const std::string openStatus = cp932::fromUtf8("cdplayer.iniの編集　ﾄﾗｯｸ数：");
const std::string firstLine = cp932::fromUtf8("1 行");
const std::string catalogueMissing = cp932::fromUtf8("cdplayer.iniが見つかりません");
const std::string notAnInteger = cp932::fromUtf8("' は整数ではありません."); // as the error box shows it
const std::string captions[] = {cp932::fromUtf8("登録情報の変更"), cp932::fromUtf8("登録情報の削除"),
                                cp932::fromUtf8("登録情報のｲﾝﾎﾟｰﾄ")};

// The blanks and control bytes at either end removed, as the delete question
// shows a title.
std::string_view trimControls(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

// A disc answer no image gives, and what the window makes of it.
struct ScriptedDisc {
    const char *identity;
    unsigned code;
    const char *discId; // empty: refused with the beep or the error box
    bool notInteger;
};
const std::vector<ScriptedDisc> scriptedDiscs = {{"-1", 0, "FFFFFFFF", false},
                                                 {"305419896", 0, "12345678", false},
                                                 {" 42", 0, "2A", false},
                                                 {"0", 0, "", false},
                                                 {"", 0, "", true},
                                                 {"2147483648", 0, "", true},
                                                 {"7", MCIERR_DEVICE_NOT_READY, "", false}};
const std::vector<std::string> scriptedCounts = {"12", "3", "", "12abc", "0", "1"};

struct Options {
    long commands = 2000;
    long entries = 10000;
    std::uint64_t seed = std::random_device()();
};

class Soak {
public:
    Soak(const Options &options, const std::string &root, OtherProgram &other)
        : options(options), root(root), check(options.seed, root), rng(options.seed),
          files(check, rng, other, root)
    {
    }

    int run();

private:
    struct Expected { // what the window stands for
        std::string discId;
        int trackCount = 0;
        bool editing = false;
    };
    struct Shown { // what it shows
        std::string title, artist, tracks, memo, discId, serial, status;
        int trackCount;
    };
    using Step = void (Soak::*)();

    void setUp();
    void createWindow();
    void checkBoxes(std::initializer_list<std::string_view> allowed);
    bool discardGoesOn(bool wasDirty);
    bool dirty() const { return form->rchEdit->Modified() || form->rchMemo->Modified(); }
    Shown shown() const;
    void checkUnchanged(const Shown &before, const char *why);
    void checkFlagsClear(const char *why);
    void checkLoaded(const std::string &section);
    void checkWindow();
    std::optional<std::string> choose(QAbstractButton *button, int mode, bool &shownDialog);
    void checkDialog(bool shownDialog, bool missing);

    void readImage();
    void readScripted();
    void afterRead(const Shown &before, const std::string &discId, const std::string &count);
    void typeTitle() { typeLine(form->edtTitle); }
    void typeArtist() { typeLine(form->edtArtist); }
    void typeLine(TEdit *edit);
    void editTracks();
    void pasteTracks();
    void fillTracks();
    void typeMemo();
    void save();
    void open();
    void remove();
    void import();
    void restart();
    void resize();
    void about();

    Options options;
    std::string root;
    Checker check;
    Random rng;
    Files files;
    std::vector<Image> images;
    TfrmMain *form = nullptr;
    Expected expect;
    bool discardYes = false;
    bool deleteYes = false;
    std::string chosenItem; // the item chosen in the dialog
};

// Images of several lengths, one with a data track first, one of data only;
// the catalogue; the test seam answering the window's questions at random.
void Soak::setUp()
{
    const QString cdDir = QString::fromStdString(root + "/cd");
    QDir().mkpath(cdDir);
    std::set<std::string> ids;
    for (const int tracks : {1, 2, 3, 5, 9, 12, 12, 15, 20}) {
        Image image;
        do
            image = makeImage(rng, cdDir, "disc" + QString::number(images.size()), tracks, false, true);
        while (!ids.insert(image.discId).second);
        images.push_back(image);
    }
    images.push_back(makeImage(rng, cdDir, "mixed", 10, true, true));
    images.push_back(makeImage(rng, cdDir, "data", 1, false, false));
    files.create(options.entries, images);

    testSeam() = TestSeam{};
    testSeam().active = true;
    testSeam().exeName = files.progDir + "/marel";
    testSeam().answer = [this](const MessageBoxCall &box) {
        if (box.text == discardQuestion)
            return (discardYes = rng.chance(0.6)) ? IDYES : IDNO;
        if (box.style == (MB_YESNO | MB_ICONQUESTION))
            return (deleteYes = rng.chance(0.5)) ? IDYES : IDNO;
        return IDOK;
    };
    createWindow();
}

// As the program starts it: frmMain set before OnCreate, then shown.
void Soak::createWindow()
{
    frmMain = new TfrmMain();
    form = frmMain;
    form->DoCreate();
    form->Show();
    form->activateWindow();
    QApplication::processEvents();
    expect = {};
}

// Every message box of the command is one of these.
void Soak::checkBoxes(std::initializer_list<std::string_view> allowed)
{
    for (const MessageBoxCall &box : testSeam().messageBoxes)
        check(std::find(allowed.begin(), allowed.end(), box.text) != allowed.end(),
              [&] { return "unexpected message " + soak::shown(box.text); });
}

// Whether a command that guards unsaved edits went on: the question is asked
// exactly when an editor was modified, and Yes goes on.
bool Soak::discardGoesOn(bool wasDirty)
{
    const auto asked = std::count_if(testSeam().messageBoxes.begin(), testSeam().messageBoxes.end(),
                                     [](const MessageBoxCall &box) { return box.text == discardQuestion; });
    check(asked == (wasDirty ? 1 : 0), [&] {
        return "the discard question was asked " + std::to_string(asked)
            + " times; modified: " + std::to_string(wasDirty);
    });
    const bool goesOn = !wasDirty || discardYes;
    if (!goesOn)
        check.outcome("edits kept");
    return goesOn;
}

Soak::Shown Soak::shown() const
{
    return {text(form->edtTitle), text(form->edtArtist), text(form->rchEdit),           text(form->rchMemo),
            form->discId,         text(form->edtSerial), form->statusBar->PanelText(0), form->trackCount};
}

void Soak::checkUnchanged(const Shown &before, const char *why)
{
    const Shown now = shown();
    const auto same = [&](const std::string &was, const std::string &is, const char *what) {
        check(was == is, [&] {
            return std::string(what) + " changed " + why + ": " + soak::shown(was) + " -> " + soak::shown(is);
        });
    };
    same(before.title, now.title, "the title");
    same(before.artist, now.artist, "the artist");
    same(before.tracks, now.tracks, "the track editor");
    same(before.memo, now.memo, "the memo");
    same(before.discId, now.discId, "the disc ID");
    same(before.serial, now.serial, "the serial field");
    same(before.status, now.status, "the disc status");
    check(before.trackCount == now.trackCount, [&] { return std::string("the track count changed ") + why; });
}

void Soak::checkFlagsClear(const char *why)
{
    check(!dirty(), [&] { return std::string("an editor is still marked modified ") + why; });
}

// The editors show the entry; a last title past the 50 columns has been cut
// back by the line-length rule as the caret came to its end.
void Soak::checkLoaded(const std::string &section)
{
    const Entry entry = files.entryOf(section);
    const Shown now = shown();
    const std::string where = " of [" + section + "]";
    check(now.title == entry.title, [&] { return "title shown " + soak::shown(now.title) + where; });
    check(now.artist == entry.artist, [&] { return "artist shown " + soak::shown(now.artist) + where; });
    if (entry.memoPlain)
        check(now.memo == entry.memo,
              [&] { return "memo shown " + soak::shown(now.memo) + ", stored " + soak::shown(entry.memo); });
    const std::vector<std::string> shownTracks = lines(now.tracks);
    std::vector<std::string> want = entry.tracks;
    if (want.empty())
        want.push_back("");
    check(shownTracks.size() == want.size(), [&] {
        return std::to_string(shownTracks.size()) + " track lines shown, " + std::to_string(want.size())
            + " stored" + where;
    });
    for (std::size_t i = 0; i < want.size(); ++i) {
        const std::string &line = shownTracks[i];
        const bool cut = i + 1 == want.size() && want[i].size() > 50;
        const bool ok
            = cut ? want[i].starts_with(line) && line.size() >= 48 && line.size() <= 50 : line == want[i];
        check(ok, [&] {
            return "track line " + std::to_string(i) + " shows " + soak::shown(line) + ", stored "
                + soak::shown(want[i]) + where;
        });
    }
}

// What every command leaves true of the window.
void Soak::checkWindow()
{
    check(form->discId == expect.discId,
          [&] { return "the disc ID is " + form->discId + ", expected " + expect.discId; });
    check(form->trackCount == expect.trackCount, [&] {
        return "the track count is " + std::to_string(form->trackCount) + ", expected "
            + std::to_string(expect.trackCount);
    });
    for (QWidget *w :
         std::initializer_list<QWidget *>{form->sbtnCDSave, form->sbtnCopy, form->edtTitle, form->edtArtist})
        check(w->isEnabled() == expect.editing,
              [&] { return "editing is " + std::string(w->isEnabled() ? "on" : "off"); });
    check(frmSelect == nullptr,
          [] { return std::string("the registered-disc dialog outlived its command"); });
    check(cp932::canEncode(form->rchEdit->toPlainText()) && cp932::canEncode(form->rchMemo->toPlainText())
              && cp932::canEncode(form->edtTitle->text()) && cp932::canEncode(form->edtArtist->text()),
          [] { return std::string("an editor holds a character CP932 cannot store"); });
    check(form->Width() == 340 && form->Height() >= 250 && form->rchEdit->Height() >= 0, [&] {
        return "the window is " + std::to_string(form->Width()) + " x " + std::to_string(form->Height());
    });
}

// Shows the registered-disc dialog through the button; in it, checks the
// list and chooses an item with OK, or cancels, or presses OK with nothing
// selected. The chosen section, none after Cancel.
std::optional<std::string> Soak::choose(QAbstractButton *button, int mode, bool &shownDialog)
{
    std::optional<std::string> chosen;
    shownDialog = false;
    chosenItem.clear();
    testSeam().onModal = [&](TForm &shownForm) {
        auto *dialog = dynamic_cast<TfrmSelect *>(&shownForm);
        if (!dialog)
            return;
        shownDialog = true;
        check(dialog->Caption() == captions[mode],
              [&] { return "the dialog's caption is " + soak::shown(dialog->Caption()); });
        // Every titled section once, the first item selected.
        const std::set<std::string> want = files.listing();
        TListBox *list = dialog->lstSelect;
        std::set<std::string> listed;
        for (int i = 0; i < list->Count(); ++i) {
            const std::string item = list->Item(i);
            check(want.contains(item),
                  [&] { return "the dialog lists " + soak::shown(item) + ", which is no entry"; });
            check(listed.insert(item).second,
                  [&] { return "the dialog lists " + soak::shown(item) + " twice"; });
        }
        check(listed.size() == want.size(), [&] {
            return "the dialog lists " + std::to_string(listed.size()) + " entries of "
                + std::to_string(want.size());
        });
        check(list->ItemIndex() == (want.empty() ? -1 : 0),
              [] { return std::string("the first item is not selected"); });

        const int roll = rng.below(100);
        if (roll < 12 || list->Count() == 0)
            return dialog->btnCancel->click();
        if (roll < 16) {
            const int beeps = testSeam().beeps;
            list->SetItemIndex(-1);
            dialog->btnOK->click();
            check(testSeam().beeps == beeps + 1,
                  [] { return std::string("OK without a choice did not beep"); });
            return;
        }
        const int index = rng.below(list->Count());
        list->SetItemIndex(index);
        chosenItem = list->Item(index);
        chosen = chosenItem.substr(chosenItem.rfind(' ') + 1); // section names hold no blank
        check(dialog->ItemSection(index) == *chosen, [&] {
            return "the item " + soak::shown(chosenItem) + " gives the section " + dialog->ItemSection(index);
        });
        dialog->btnOK->click();
    };
    button->click();
    testSeam().onModal = nullptr;
    return chosen;
}

// The dialog shows, or, without a catalogue, the message that says so.
void Soak::checkDialog(bool shownDialog, bool missing)
{
    const auto said = std::count_if(testSeam().messageBoxes.begin(), testSeam().messageBoxes.end(),
                                    [](const MessageBoxCall &box) { return box.text == catalogueMissing; });
    check(shownDialog != missing && said == (missing ? 1 : 0), [&] {
        return std::string(shownDialog ? "a dialog" : "no dialog") + " and " + std::to_string(said)
            + " messages about a missing catalogue; missing: " + std::to_string(missing);
    });
}

void Soak::readImage()
{
    const Image &image = rng.pick(images);
    const bool noDisc = rng.chance(0.05);
    setCdAudioDevice(nullptr);
    qputenv("MAREL_CD_DEVICE", QByteArray::fromStdString(noDisc ? root + "/cd/none.cue" : image.path));
    const Shown before = shown();
    const bool wasDirty = dirty();
    form->sbtnCDRead->click();
    checkBoxes({discardQuestion, titleTooLong});
    if (!discardGoesOn(wasDirty))
        return checkUnchanged(before, "after No to the discard question");
    if (noDisc) {
        check(testSeam().beeps == 1, [] { return std::string("no beep without a disc"); });
        check.outcome("no disc");
        return checkUnchanged(before, "without a disc");
    }
    afterRead(before, image.discId, image.audio ? std::to_string(image.tracks) : std::string());
}

void Soak::readScripted()
{
    const ScriptedDisc &disc = rng.pick(scriptedDiscs);
    const std::string &count = rng.pick(scriptedCounts);
    ScriptedCdAudio::install(disc.identity, disc.code, count);
    const Shown before = shown();
    const bool wasDirty = dirty();
    form->sbtnCDRead->click();
    const std::string conversionError = "'" + std::string(disc.identity) + notAnInteger;
    checkBoxes({discardQuestion, titleTooLong, conversionError});
    if (!discardGoesOn(wasDirty))
        return checkUnchanged(before, "after No to the discard question");
    if (*disc.discId == '\0') {
        const auto errors
            = std::count_if(testSeam().messageBoxes.begin(), testSeam().messageBoxes.end(),
                            [&](const MessageBoxCall &box) { return box.text == conversionError; });
        check(disc.notInteger ? errors == 1 : testSeam().beeps == 1, [&] {
            return "identity " + soak::shown(disc.identity) + " was neither refused nor beeped at";
        });
        check.outcome("identity refused");
        return checkUnchanged(before, "by a refused identity");
    }
    afterRead(before, disc.discId, count);
}

// After a read that gave a disc ID: its entry, or the previous texts when it
// has no audio track.
void Soak::afterRead(const Shown &before, const std::string &discId, const std::string &count)
{
    expect.discId = discId;
    const Shown now = shown();
    check(now.serial == " " + discId, [&] { return "the serial field shows " + soak::shown(now.serial); });
    if (count.empty()) {
        expect.editing = false;
        check(testSeam().beeps == 1 && now.status == noAudio,
              [] { return std::string("no audio track went unreported"); });
        check(now.title == before.title && now.artist == before.artist && now.tracks == before.tracks
                  && now.memo == before.memo,
              [] { return std::string("a disc without audio tracks changed the editors"); });
        check.outcome("no audio track");
    } else {
        expect.trackCount = LenientInt(count);
        expect.editing = true;
        check(now.status == readStatus + count,
              [&] { return "the disc status shows " + soak::shown(now.status); });
        checkLoaded(discId);
        check.outcome("loaded");
    }
    checkFlagsClear("after Read CD");
}

// A disabled edit takes no typing: the user types into the memo instead.
void Soak::typeLine(TEdit *edit)
{
    if (!edit->isEnabled())
        return typeMemo();
    const std::size_t before = text(edit).size();
    const int roll = rng.below(100);
    if (roll < 20) {
        for (int n = rng.between(1, 8); n > 0; --n)
            press(edit, Qt::Key_Backspace);
    } else {
        if (roll < 50)
            press(edit, Qt::Key_A, Qt::ControlModifier);
        else
            press(edit, roll < 80 ? Qt::Key_End : Qt::Key_Home);
        type(rng, edit, typedText(rng, false));
    }
    checkBoxes({});
    const std::size_t after = text(edit).size();
    check(before > 50 || after <= 50, [&] { return "the edit holds " + std::to_string(after) + " bytes"; });
}

// Caret moves, selections, typing, Enter, deletions, cut, undo and redo.
void Soak::editTracks()
{
    static const std::vector<std::pair<int, Qt::KeyboardModifiers>> moves
        = {{Qt::Key_Up, Qt::NoModifier},        {Qt::Key_Down, Qt::NoModifier},
           {Qt::Key_Left, Qt::NoModifier},      {Qt::Key_Right, Qt::NoModifier},
           {Qt::Key_Home, Qt::NoModifier},      {Qt::Key_End, Qt::NoModifier},
           {Qt::Key_Home, Qt::ControlModifier}, {Qt::Key_End, Qt::ControlModifier},
           {Qt::Key_Right, Qt::ShiftModifier},  {Qt::Key_Down, Qt::ShiftModifier},
           {Qt::Key_X, Qt::ControlModifier},    {Qt::Key_Z, Qt::ControlModifier},
           {Qt::Key_Y, Qt::ControlModifier}};
    TRichEdit *editor = form->rchEdit;
    const std::string before = text(editor);
    for (int step = rng.between(1, 6); step > 0; --step) {
        const int roll = rng.below(100);
        if (roll < 40) {
            for (int n = rng.between(1, 8); n > 0; --n) {
                const auto &[key, modifiers] = rng.pick(moves);
                press(editor, key, modifiers);
            }
        } else if (roll < 75) {
            type(rng, editor, typedText(rng, true));
        } else {
            for (int n = rng.between(1, 4); n > 0; --n)
                press(editor, roll < 90 ? Qt::Key_Backspace : Qt::Key_Delete);
        }
    }
    checkBoxes({titleTooLong});
    check(text(editor) == before || editor->Modified(),
          [] { return std::string("a typed change left the track editor unmodified"); });
}

// Lines pasted at the caret, some past the 50 columns, now and then one with a
// character CP932 cannot hold, which refuses the whole paste.
void Soak::pasteTracks()
{
    TRichEdit *editor = form->rchEdit;
    press(editor, rng.chance(0.5) ? Qt::Key_Down : Qt::Key_Up);
    QString clip;
    for (int n = rng.between(1, 4); n > 0; --n)
        clip += cp932::toUnicode(phrase(rng, 40) + (rng.chance(0.3) ? " " + phrase(rng, 40) : "")) + '\n';
    const bool refused = rng.chance(0.1);
    if (refused)
        clip += QStringLiteral("😀");
    const std::string before = text(editor);
    paste(editor, clip);
    checkBoxes({titleTooLong});
    check(!refused || text(editor) == before,
          [] { return std::string("a paste CP932 cannot hold went in"); });
}

// The track list made whole at once, as a user pastes it from elsewhere: as
// many titles as the disc has, with empty lines between some, a few with
// blanks or quotes around them or longer than 50 columns.
void Soak::fillTracks()
{
    if (!expect.editing || expect.trackCount < 0 || expect.trackCount > 40)
        return editTracks();
    QString clip;
    for (int i = 0; i < expect.trackCount; ++i) {
        std::string title = phrase(rng, 45);
        const int roll = rng.below(100);
        if (roll < 5)
            title = " " + title;
        else if (roll < 8)
            title = "\"" + title + "\"";
        else if (roll < 13)
            title += " " + phrase(rng, 30);
        if (rng.chance(0.1))
            clip += '\n';
        clip += cp932::toUnicode(title) + (i + 1 < expect.trackCount ? "\n" : "");
    }
    press(form->rchEdit, Qt::Key_A, Qt::ControlModifier);
    paste(form->rchEdit, clip);
    checkBoxes({titleTooLong});
    const std::vector<std::string> now = lines(text(form->rchEdit));
    const auto titles
        = std::count_if(now.begin(), now.end(), [](const std::string &line) { return !line.empty(); });
    check(titles == expect.trackCount, [&] {
        return "after pasting " + std::to_string(expect.trackCount) + " titles the editor holds "
            + std::to_string(titles);
    });
}

void Soak::typeMemo()
{
    TRichEdit *memo = form->rchMemo;
    const std::string before = text(memo);
    press(memo, rng.chance(0.5) ? Qt::Key_End : Qt::Key_Up,
          rng.chance(0.3) ? Qt::ControlModifier : Qt::NoModifier);
    if (rng.chance(0.2))
        press(memo, Qt::Key_Backspace);
    type(rng, memo, typedText(rng, true));
    checkBoxes({});
    check(text(memo) == before || memo->Modified(),
          [] { return std::string("a typed change left the memo unmodified"); });
}

// The entry as the editors hold it: the non-empty lines cut to 50 columns,
// renumbered from 0, the key after them removed, the count, title and artist;
// the memo file holds the memo.
void Soak::save()
{
    const bool enabled = form->sbtnCDSave->isEnabled();
    const Shown before = shown();
    const bool wasDirty = dirty();
    std::vector<std::string> titles;
    for (std::string &line : lines(before.tracks))
        if (!line.empty())
            titles.push_back(std::move(line));
    form->sbtnCDSave->click();
    if (!enabled) {
        checkBoxes({});
        check.outcome("disabled");
        return checkUnchanged(before, "by a disabled save button");
    }
    if (std::ssize(titles) != before.trackCount) {
        checkBoxes({countMismatch});
        check(testSeam().messageBoxes.size() == 1,
              [] { return std::string("a count mismatch went unreported"); });
        check(dirty() == wasDirty, [] { return std::string("a refused save changed the modified flags"); });
        check.outcome("count differs");
        return checkUnchanged(before, "by a refused save");
    }
    checkBoxes({});
    files.saved(before.discId, titles, before.trackCount, before.title, before.artist, before.memo);
    check.outcome("written");
    checkFlagsClear("after Save");
    checkUnchanged(before, "by Save");
}

void Soak::open()
{
    const Shown before = shown();
    const bool wasDirty = dirty();
    bool shownDialog;
    const bool missing = files.catalogueMissing();
    const std::optional<std::string> chosen = choose(form->sbtnCDOpen, smEdit, shownDialog);
    checkBoxes({discardQuestion, titleTooLong, catalogueMissing});
    if (!discardGoesOn(wasDirty)) {
        check(!shownDialog, [] { return std::string("the dialog came after No to the discard question"); });
        return checkUnchanged(before, "after No to the discard question");
    }
    checkDialog(shownDialog, missing);
    if (chosen) {
        expect = {*chosen, files.entryOf(*chosen).count, true};
        const Shown now = shown();
        check(now.serial == " " + *chosen,
              [&] { return "the serial field shows " + soak::shown(now.serial); });
        check(now.status == openStatus + std::to_string(expect.trackCount),
              [&] { return "the disc status shows " + soak::shown(now.status); });
        checkLoaded(*chosen);
        check.outcome("opened");
    } else {
        checkUnchanged(before, "by a cancelled Open");
        check.outcome("cancelled");
    }
    checkFlagsClear("after Open");
}

// Delete asks about the chosen entry by its title and, on Yes, removes its
// section and memo file; the window stays as it was.
void Soak::remove()
{
    const Shown before = shown();
    const bool wasDirty = dirty();
    bool shownDialog;
    const bool missing = files.catalogueMissing();
    const std::optional<std::string> chosen = choose(form->sbtnDel, smDelete, shownDialog);
    checkDialog(shownDialog, missing);
    if (chosen) {
        const std::string question
            = deleteHead + std::string(trimControls(cutColumns(chosenItem, 50))) + deleteTail;
        checkBoxes({question});
        check(testSeam().messageBoxes.size() == 1, [] { return std::string("Delete asked nothing"); });
        if (deleteYes)
            files.deleted(*chosen);
        check.outcome(deleteYes ? "deleted" : "kept");
    } else {
        checkBoxes({catalogueMissing});
        check.outcome("cancelled");
    }
    check(dirty() == wasDirty, [] { return std::string("Delete changed the modified flags"); });
    checkUnchanged(before, "by Delete");
}

// Import loads the chosen entry's texts for the current disc.
void Soak::import()
{
    const bool enabled = form->sbtnCopy->isEnabled();
    const Shown before = shown();
    const bool wasDirty = dirty();
    bool shownDialog;
    const bool missing = files.catalogueMissing();
    const std::optional<std::string> chosen = choose(form->sbtnCopy, smImport, shownDialog);
    if (!enabled) {
        check(!shownDialog && testSeam().messageBoxes.empty(),
              [] { return std::string("a disabled Import acted"); });
        check.outcome("disabled");
        return checkUnchanged(before, "by a disabled Import");
    }
    checkBoxes({discardQuestion, titleTooLong, catalogueMissing});
    if (!discardGoesOn(wasDirty)) {
        check(!shownDialog, [] { return std::string("the dialog came after No to the discard question"); });
        return checkUnchanged(before, "after No to the discard question");
    }
    checkDialog(shownDialog, missing);
    if (chosen) {
        checkLoaded(*chosen);
        const Shown now = shown();
        check(now.serial == before.serial && now.status == before.status,
              [] { return std::string("Import changed the serial field or the disc status"); });
        expect.editing = true;
        check.outcome("imported");
    } else {
        checkUnchanged(before, "by a cancelled Import");
        check.outcome("cancelled");
    }
    checkFlagsClear("after Import");
}

// Closing stores the geometry in marel.ini; the new window starts empty, where
// the old one stood.
void Soak::restart()
{
    const bool wasDirty = dirty();
    const std::pair<const char *, int> geometry[]
        = {{"x", form->Left()}, {"y", form->Top()}, {"h", form->Height()}, {"h1", form->rchEdit->Height()}};
    const bool closed = form->Close();
    checkBoxes({discardQuestion});
    check(closed == discardGoesOn(wasDirty),
          [&] { return std::string(closed ? "closed" : "stayed open") + " against the answer"; });
    if (!closed)
        return;
    check.outcome("restarted");
    const bool tampered = files.closed(geometry);
    delete form;
    frmMain = nullptr;
    createWindow();
    const Shown now = shown();
    const bool empty = now.title.empty() && now.artist.empty() && now.tracks.empty() && now.memo.empty()
        && now.serial.empty() && now.status == noAudio && form->statusBar->PanelText(1) == firstLine;
    check(empty, [] { return std::string("the new window does not start empty"); });
    checkFlagsClear("in the new window");
    const int restored[] = {form->Left(), form->Top(), form->Height(), form->rchEdit->Height()};
    for (std::size_t i = 0; i < std::size(restored) && !tampered; ++i)
        check(restored[i] == geometry[i].second, [&] {
            return std::string(geometry[i].first) + " is " + std::to_string(restored[i])
                + " after the restart, was " + std::to_string(geometry[i].second);
        });
}

void Soak::resize()
{
    form->SetHeight(rng.between(100, 1200));
    QApplication::processEvents();
    TSplitIt *bar = form->Split1;
    if (bar->Min <= bar->Max && rng.chance(0.6))
        form->Split1Split(bar, rng.between(bar->Min, bar->Max));
    checkBoxes({});
}

void Soak::about()
{
    form->sbtnHelp->click();
    checkBoxes({});
}

int Soak::run()
{
    setUp();
    files.verify("at the start");
    struct Kind {
        const char *name;
        int weight;
        Step step;
    };
    static const Kind kinds[] = {{"read image", 8, &Soak::readImage},
                                 {"read scripted", 2, &Soak::readScripted},
                                 {"type title", 7, &Soak::typeTitle},
                                 {"type artist", 5, &Soak::typeArtist},
                                 {"edit tracks", 12, &Soak::editTracks},
                                 {"paste tracks", 4, &Soak::pasteTracks},
                                 {"fill tracks", 8, &Soak::fillTracks},
                                 {"type memo", 7, &Soak::typeMemo},
                                 {"save", 14, &Soak::save},
                                 {"open", 10, &Soak::open},
                                 {"delete", 5, &Soak::remove},
                                 {"import", 6, &Soak::import},
                                 {"restart", 3, &Soak::restart},
                                 {"resize", 2, &Soak::resize},
                                 {"about", 1, &Soak::about}};
    int total = 0;
    for (const Kind &kind : kinds)
        total += kind.weight;
    long otherChanges = 0;
    QElapsedTimer timer;
    timer.start();
    while (check.commands() < options.commands) {
        int roll = rng.below(total);
        const Kind *kind = kinds;
        for (; roll >= kind->weight; ++kind)
            roll -= kind->weight;
        check.begin(kind->name);
        testSeam().messageBoxes.clear();
        testSeam().beeps = 0;
        (this->*kind->step)();
        QApplication::processEvents();
        checkWindow();
        files.verify("after the command");
        if (rng.chance(0.5)) {
            const Change change = files.otherRound(expect.discId);
            otherChanges += change.changed;
            check.count("other: " + change.kind);
            files.verify("after the other process's " + change.kind + " [" + change.section + "]");
        }
    }
    check.end();
    const double seconds = timer.elapsed() / 1000.0;
    delete form;
    frmMain = nullptr;
    std::printf("soak: %ld commands on %ld entries in %.1f s (%.1f ms a command), seed %llu\n",
                check.commands(), options.entries, seconds,
                check.commands() ? seconds * 1000 / check.commands() : 0.0,
                static_cast<unsigned long long>(options.seed));
    std::printf("soak: %ld checks passed; the other process changed the files %ld times\n", check.made(),
                otherChanges);
    for (const auto &[name, count] : check.tally())
        std::printf("  %-40s %6ld\n", name.c_str(), count);
    return 0;
}

std::optional<Options> parseOptions(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; i += 2) {
        const std::string_view name = argv[i];
        if (i + 1 == argc)
            return std::nullopt;
        char *end = nullptr;
        const unsigned long long value = std::strtoull(argv[i + 1], &end, 10);
        if (*end != '\0' || end == argv[i + 1])
            return std::nullopt;
        if (name == "--commands")
            options.commands = long(value);
        else if (name == "--entries")
            options.entries = long(value);
        else if (name == "--seed")
            options.seed = value;
        else
            return std::nullopt;
    }
    return options;
}

} // namespace

int main(int argc, char **argv)
{
    const std::optional<Options> options = parseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr, "usage: bench_soak [--commands N] [--entries N] [--seed S]\n");
        return 2;
    }
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "soak: no temporary folder\n");
        return 2;
    }
    const std::string root = dir.path().toStdString();
    qputenv("WINDIR", QByteArray::fromStdString(root + "/win"));
    // Forked while this process has no thread yet.
    OtherProgram other;
    other.start();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    return Soak(*options, root, other).run();
}
