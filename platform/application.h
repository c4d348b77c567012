#pragma once
#include "platform/error.h"
#include <QRect>
#include <functional>
#include <string>
#include <vector>

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
class TApplication {
public:
    TApplication(int &argc, char **argv);
    ~TApplication();

    void Initialize();
    std::string ExeName() const; // path of the program file (tests: TestSeam::exeName)
    std::string Title() const { return title; }
    // Setting the title claims it for this instance (see FindWindowA).
    void SetTitle(const std::string &value);

    // Creates the main form: sets ref before the form's OnCreate runs.
    template <class F> void CreateForm(F *&ref)
    {
        ref = new F();
        mainForm = ref;
        ref->DoCreate();
    }
    void Run(); // shows the main form and loops until it closes
    TForm *MainForm() const { return mainForm; }

    int MessageBox(const std::string &text, const std::string &caption, unsigned style);
    void ShowException(const std::exception &error); // message + ".", caption Title

private:
    std::string title;
    TForm *mainForm = nullptr;
    int lockFd = -1;
};
extern TApplication *Application;

// Whether another instance holds the title (the application window class is
// not needed on this platform).
bool FindWindowA(const char *className, const char *title);

void MessageBeep(unsigned type);

enum { SM_CXSCREEN = 0, SM_CYSCREEN = 1 };
int GetSystemMetrics(int index);

// Drawing on the screen: PatBlt with PATINVERT inverts a rectangle in screen
// coordinates; the same rectangle drawn twice restores what was there.
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
    int beeps = 0;
    std::vector<QRect> inversions;
    // Runs inside ShowModal once the form is shown; it may click, type, or
    // set the result. Unset: the form's loop runs until it ends itself.
    std::function<void(TForm &)> onModal;
};
TestSeam &testSeam();
