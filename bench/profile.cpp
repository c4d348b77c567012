// Figures for the profile functions on a catalogue of 100,000 discs with 15
// keys each: the first parse, reading every title, and writes.
#include "platform/profile.h"
#include "platform/text.h"

#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

template <typename F>
void measure(const char *what, F f)
{
    const std::size_t parses = profile::parseCount();
    const auto start = std::chrono::steady_clock::now();
    f();
    std::printf("%-44s %9.1f ms  (%zu parses)\n", what, secondsSince(start) * 1000,
                profile::parseCount() - parses);
}

std::string sectionName(int i)
{
    char name[16];
    std::snprintf(name, sizeof name, "%X", 0x10000000 + i * 7919);
    return name;
}

} // namespace

int main()
{
    constexpr int discs = 100000;
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/cdplayer.ini";
    const std::string title = cp932::fromUtf8("ベスト・オブ・サウンドトラック");
    const std::string track = cp932::fromUtf8("第一楽章 アレグロ");

    std::string bytes;
    for (int i = 0; i < discs; ++i) {
        bytes += "[" + sectionName(i) + "]\r\nEntryType=1\r\nartist=Artist " + std::to_string(i) + "\r\ntitle=" +
                 title + std::to_string(i) + "\r\nnumtracks=9\r\n";
        for (int t = 0; t < 9; ++t)
            bytes += std::to_string(t) + "=" + track + "\r\n";
        bytes += "order=0 1 2 3 4 5 6 7 8\r\nnumplay=9\r\n";
    }
    std::ofstream(file, std::ios::binary) << bytes;
    std::printf("catalogue: %d sections, %.1f MB\n", discs, bytes.size() / 1e6);

    char value[256];
    measure("first read (read + parse)", [&] {
        GetPrivateProfileStringA(sectionName(0).c_str(), "title", "", value, sizeof value, file.c_str());
    });
    measure("title of every section, one after another", [&] {
        for (int i = 0; i < discs; ++i)
            GetPrivateProfileStringA(sectionName(i).c_str(), "title", "", value, sizeof value, file.c_str());
    });
    measure("10,000 reads of the last section's key", [&] {
        for (int i = 0; i < 10000; ++i)
            GetPrivateProfileIntA(sectionName(discs - 1).c_str(), "numtracks", 0, file.c_str());
    });
    measure("one write (whole file to disk)", [&] {
        WritePrivateProfileStringA(sectionName(50000).c_str(), "title", "new", file.c_str());
    });
    measure("a save of 13 keys in one batch", [&] {
        ProfileBatch batch(file);
        const std::string section = sectionName(60000);
        for (int t = 0; t < 9; ++t)
            WritePrivateProfileStringA(section.c_str(), std::to_string(t).c_str(), "t", file.c_str());
        WritePrivateProfileStringA(section.c_str(), "9", nullptr, file.c_str());
        WritePrivateProfileStringA(section.c_str(), "numtracks", "9", file.c_str());
        WritePrivateProfileStringA(section.c_str(), "title", "T", file.c_str());
        WritePrivateProfileStringA(section.c_str(), "artist", "A", file.c_str());
        batch.commit();
    });
    measure("removing a section", [&] {
        WritePrivateProfileStringA(sectionName(70000).c_str(), nullptr, nullptr, file.c_str());
    });
    return 0;
}
