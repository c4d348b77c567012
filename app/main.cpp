#include "forms/main.h"
#include "platform/application.h"

#include <exception>

int main(int argc, char **argv)
{
    TApplication application(argc, argv);
    // One instance at a time: a second start only beeps. The test comes before
    // this instance claims the title, so it never finds itself.
    if (FindWindowA("TApplication", "Marel")) {
        MessageBeep(MB_ICONHAND);
        return 0;
    }
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
