#include "forms/main.h"
#include "platform/application.h"

#include <exception>

int main(int argc, char **argv)
{
    // One instance at a time: a second start only beeps.
    if (FindWindowA("TApplication", "Marel")) {
        MessageBeep(MB_ICONHAND);
        return 0;
    }
    TApplication application(argc, argv);
    try {
        application.Initialize();
        application.SetTitle("Marel");
        application.CreateForm(frmMain);
        application.Run();
    } catch (const std::exception &error) {
        application.ShowException(error);
    }
    return 0;
}
