#pragma once
#include "platform/error.h"
#include <QMetaObject>
#include <QRect>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QApplication;
class TForm;

// Message box styles and answers.
enum : unsigned {
    MB_OK = 0x0,
    MB_YESNO = 0x4,
    MB_ICONHAND = 0x10,
    MB_ICONQUESTION = 0x20,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// The application object: title, main form, message loop, message boxes and
// the error box for exceptions that escape a handler.
//
// `Application` always points to one: a built-in object over whatever
// QApplication exists (so message boxes and error boxes work in code and
// tests that make none), or, while the program's own object lives, that one.
class TApplication {
public:
    TApplication(); // uses the QApplication that exists; owns none
    // Makes the QApplication unless one exists, and becomes `Application`
    // until destroyed.
    TApplication(int &argc, char **argv);
    ~TApplication(); // destroys the main form, then the QApplication it made
    TApplication(const TApplication &) = delete;
    TApplication &operator=(const TApplication &) = delete;

    // Hooks the session's end: logging off asks the main form's
    // OnCloseQuery, and a refusal cancels the log-off.
    void Initialize();
    std::string ExeName() const; // path of the program file (tests: TestSeam::exeName)
    std::string Title() const { return title; } // "Marel" until set
    // Setting the title claims it for this instance (see FindWindowA).
    void SetTitle(const std::string &value);

    // Creates a form: sets ref before the form's OnCreate runs. The first
    // form made is the main form, owned by the application.
    template <class F> void CreateForm(F *&ref)
    {
        ref = new F();
        if (!mainForm)
            mainForm = ref;
        ref->DoCreate();
    }
    void Run(); // shows the main form and loops until it closes
    void Terminate(); // ends Run's loop (closing the main form does); nothing outside it
    TForm *MainForm() const { return mainForm; }
    // What the session's end asks: true when the main form may close.
    bool QueryEndSession();

    int MessageBox(const std::string &text, const std::string &caption, unsigned style);
    void ShowException(const std::exception &error); // message + ".", caption Title

private:
    std::string title = "Marel";
    TForm *mainForm = nullptr;
    bool running = false; // Run's loop runs
    int lockFd = -1;
    std::unique_ptr<QApplication> ownApp;
    TApplication *previous = nullptr;
    QMetaObject::Connection sessionEnd;
};
extern TApplication *Application;

// Whether another live process holds the title (a per-user lock named after
// it; the kernel drops it when that process ends). Only the application
// window class "TApplication" (or none) is known on this platform.
bool FindWindowA(const char *className, const char *title);

// The desktop's bell (made through a short-lived QApplication when the
// program has none yet).
void MessageBeep(unsigned type);

enum { SM_CXSCREEN = 0, SM_CYSCREEN = 1 };
int GetSystemMetrics(int index); // the primary screen's size; 0 for other indexes

// Drawing on the screen: PatBlt with PATINVERT on GetWindowDC(nullptr)
// inverts a rectangle in screen coordinates over the program's windows at
// once; the same rectangle drawn twice restores what was there. Nothing is
// laid out or repainted beneath it.
struct HDC__;
using HDC = HDC__ *;
enum : unsigned { PATINVERT = 0x005A0049 };
HDC GetWindowDC(void *window);
bool PatBlt(HDC dc, int x, int y, int width, int height, unsigned rop);
int ReleaseDC(void *window, HDC dc);

// One seam for tests: answers message boxes and records them, records beeps
// and screen inversions, and drives modal forms.
struct MessageBoxCall {
    std::string text;
    std::string caption;
    unsigned style;
};
struct TestSeam {
    bool active = false; // no real box is shown while active
    std::string exeName;  // when set, the program file's path as ExeName reports it
    std::function<int(const MessageBoxCall &)> answer; // unset: IDOK / IDYES
    std::vector<MessageBoxCall> messageBoxes;
    int beeps = 0;                 // counted active or not
    std::vector<QRect> inversions; // every PatBlt while active
    // Runs inside ShowModal once the form is shown (after OnShow, unless
    // that ended the form); it may click, type, or set the result. Then
    // pending events are processed and ShowModal returns the form's
    // ModalResult, mrCancel when none is set: no loop runs while active.
    std::function<void(TForm &)> onModal;
};
TestSeam &testSeam();
