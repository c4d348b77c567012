#pragma once
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

// A broken promise stops the run: libFuzzer keeps the input that broke it.
inline void require(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// A fresh folder for the files a target writes, and the Windows directory of
// the run. It lies in /dev/shm when the machine has it, so writes that flush
// to disk stay fast.
inline std::string useScratchWindowsDirectory()
{
    const bool shm = std::filesystem::is_directory("/dev/shm");
    std::string folder = (shm ? std::string("/dev/shm") : std::filesystem::temp_directory_path().string()) +
                         "/marel-fuzz-XXXXXX";
    require(mkdtemp(folder.data()) != nullptr, "scratch folder made");
    setenv("WINDIR", folder.c_str(), 1);
    // Gone when the run ends, so runs leave nothing in memory behind them.
    static std::string made;
    made = folder;
    std::atexit([] {
        std::error_code error;
        std::filesystem::remove_all(made, error);
    });
    return folder;
}
