// marel-cdinfo: asks the CD drive or image what Marel's Read CD command asks,
// in the same order and through the same layer, and prints each answer as
//   command <TAB> result code <TAB> return text
// so a user can see what Marel would get from the disc without a display.

#include "platform/cdaudio.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

void usage(std::FILE *out)
{
    std::fputs("Usage: marel-cdinfo [-v] [DEVICE-OR-IMAGE]\n"
               "Reads the disc's identity and track count as Marel does.\n"
               "DEVICE-OR-IMAGE is a drive such as /dev/sr0 or a .cue, .toc or .nrg image;\n"
               "without it $MAREL_CD_DEVICE is used, else the default drive.\n"
               "  -v  show libcdio's warnings on stderr\n"
               "Exit status: 0 when the identity was read, 1 when not, 2 on bad usage.\n",
               out);
}

}

int main(int argc, char **argv)
{
    const char *source = nullptr;
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            usage(stdout);
            return 0;
        }
        if (arg == "-v")
            verbose = true;
        else if (arg.starts_with('-') || source) {
            usage(stderr);
            return 2;
        } else
            source = argv[i];
    }
    if (source)
        setenv("MAREL_CD_DEVICE", source, 1);
    showCdAudioWarnings(verbose);

    char answer[40];
    const auto ask = [&answer](const char *command) {
        const unsigned code = mciSendStringA(command, answer, sizeof answer, nullptr);
        std::printf("%s\t%u\t%s\n", command, code, answer);
        return code;
    };
    const unsigned identityCode = ask("info cdaudio identity wait");
    for (const char *command : {"open cdaudio", "status cdaudio number of tracks", "close cdaudio"})
        ask(command);
    return identityCode == 0 ? 0 : 1;
}
