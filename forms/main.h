#pragma once
#include "platform/controls.h"
#include "platform/forms.h"
#include "platform/richedit.h"
#include <string>

class TSplitIt;

enum { smEdit = 0, smDelete = 1, smImport = 2 };

// The main window: the current disc's texts, the commands on the catalogue
// and the drive.
class TfrmMain : public TForm {
    Q_OBJECT
public:
    TfrmMain();
    ~TfrmMain() override;

    TPanel *pnlTop;
    TSpeedButton *sbtnCDRead;
    TSpeedButton *sbtnCDSave;
    TSpeedButton *sbtnHelp;
    TBevel *Bevel1;
    TEdit *edtArtist;
    TEdit *edtTitle;
    TLabel *labArtist;
    TLabel *labTitle;
    TEdit *edtSerial;
    TRichEdit *rchEdit;
    TLabel *Label1;
    TStatusBar *statusBar;
    TLabel *Label2;
    TSpeedButton *sbtnCDOpen;
    TPanel *Panel2;
    TRichEdit *rchMemo;
    TPanel *pnlMemo;
    TSplitIt *Split1;
    TSpeedButton *sbtnDel;
    TSpeedButton *sbtnCopy;

    std::string appDir; // program directory, ending in "/"
    std::string iniFile; // settings file
    std::string discId;
    int trackCount = 0;
    int selectMode = smEdit;

    void FormCreate(TObject *Sender);
    void sbtnCDReadClick(TObject *Sender);
    void rchEditSelectionChange(TObject *Sender);
    void FormShow(TObject *Sender);
    void FormCloseQuery(TObject *Sender, bool &CanClose);
    void sbtnCDSaveClick(TObject *Sender);
    void sbtnCDOpenClick(TObject *Sender);
    void sbtnHelpClick(TObject *Sender);
    void Split1Split(TObject *Sender, int NewPos);
    void FormResize(TObject *Sender);
    void sbtnDelClick(TObject *Sender);
    void sbtnCopyClick(TObject *Sender);

    int LoadEntry(const std::string &section);
    int ReadTrackName(const std::string &section, int index, char *buffer, unsigned size);
    void DeleteEntry(const std::string &section);
    int ConfirmDiscard();
    void TrimTrailingBreak();

protected:
    void WMGetMinMaxInfo(TMinMaxInfo &info) override;

private:
    // The memo file of a section; empty for a name that could leave the
    // data folder, which has no memo file.
    std::string MemoPath(const std::string &section) const;
    void ApplySettings(); // the settings part of FormCreate
    // Enables or greys the save and import buttons and the title and artist
    // edits together, as a disc is or isn't there to edit.
    void SetEditing(bool enabled);
    static const std::string noAudioTracksText; // the disc status without audio tracks
};
extern TfrmMain *frmMain;
