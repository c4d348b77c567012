// How long the registered-disc dialog takes to build its list from catalogues
// of 1,000, 10,000 and 100,000 entries written the way the system's CD player
// writes them, and how much memory the process needs for it.
//
// cold: the first scan of a catalogue, which parses the file for the title
//       reads; warm: the same scan again, with the parsed file reused.
// fill: putting the sorted items into the dialog's list box.
// Each is given as wall-clock time and as the process's processor time, which
// other programs busy on the machine disturb less.
#include "forms/select.h"
#include "platform/text.h"

#include <QApplication>
#include <QTemporaryDir>
#include <sys/resource.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::string> words(std::initializer_list<const char *> utf8)
{
    std::vector<std::string> cp932;
    for (const char *word : utf8)
        cp932.push_back(cp932::fromUtf8(word));
    return cp932;
}

// Titles and artists from a mix of kana, kanji, full-width, half-width and
// Latin words, at most 50 bytes as the title edit allows.
class Names {
public:
    std::string make(int count)
    {
        std::string name;
        for (int i = 0; i < count; ++i) {
            const std::string &word = parts[pick(random) % parts.size()];
            if (name.size() + word.size() + 1 > 50)
                break;
            name += (name.empty() ? "" : " ") + word;
        }
        return name;
    }
    std::mt19937 random{20240611};

private:
    std::vector<std::string> parts = words({
        "ひこうき雲", "あの日に帰りたい", "卒業写真", "ルージュの伝言", "やさしさに包まれたなら",
        "カンナ8号線", "ｼﾝｸﾞﾙ･ｺﾚｸｼｮﾝ", "ＢＥＳＴ", "Live", "at", "Budokan", "夏の終わり",
        "さよならをもう一度", "Ａｌｂｕｍ", "冬のリヴィエラ", "ﾗｲﾌﾞ", "Greatest Hits", "第九",
        "交響曲", "ベートーヴェン", "Disc 1", "Disc 2", "青春の影", "いちご白書をもう一度",
    });
    std::uniform_int_distribution<std::size_t> pick;
};

std::string catalogue(int entries)
{
    Names names;
    std::string text;
    for (int i = 0; i < entries; ++i) {
        char id[12];
        std::snprintf(id, sizeof id, "%X", static_cast<unsigned>(i) * 2654435761u ^ 0x5A5A5A5Au);
        text += "[" + std::string(id) + "]\r\nEntryType=1\r\n";
        text += "artist=" + names.make(2) + "\r\ntitle=" + names.make(3) + "\r\nnumtracks=12\r\n";
        std::string order;
        for (int track = 0; track < 12; ++track) {
            text += std::to_string(track) + "=" + names.make(2) + "\r\n";
            order += (track ? " " : "") + std::to_string(track);
        }
        text += "order=" + order + "\r\nnumplay=12\r\n";
    }
    return text;
}

struct Timing {
    double wall; // ms
    double cpu;  // ms
};

double processorMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

Timing timingOf(const auto &work)
{
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = processorMilliseconds();
    work();
    return {std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
            processorMilliseconds() - cpuStart};
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir windows;
    qputenv("WINDIR", windows.path().toLocal8Bit());
    const std::string path = windows.filePath("cdplayer.ini").toStdString();

    // The collation and the code page load once per process: leave that out
    // of the first figure.
    std::ofstream(path, std::ios::binary) << "[1]\r\ntitle=x\r\n";
    ScanRegisteredDiscs();

    std::printf("%9s %8s %17s %17s %17s %12s\n", "entries", "file MB", "cold ms wall/cpu",
                "warm ms wall/cpu", "fill ms wall/cpu", "peak RSS MB");
    for (const int entries : {1000, 10000, 100000}) {
        const std::string text = catalogue(entries);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        std::size_t listed = 0;
        const Timing cold = timingOf([&] { listed = ScanRegisteredDiscs()->size(); });
        std::vector<std::string> items;
        const Timing warm = timingOf([&] {
            auto discs = ScanRegisteredDiscs();
            for (RegisteredDisc &disc : *discs)
                items.push_back(std::move(disc.item));
        });
        TListBox list(nullptr);
        const Timing fill = timingOf([&] { list.SetItems(std::move(items)); });
        if (listed != static_cast<std::size_t>(entries) || list.Count() != entries) {
            std::fprintf(stderr, "listed %zu of %d entries\n", listed, entries);
            return 1;
        }
        std::printf("%9d %8.1f %8.1f/%-8.1f %8.1f/%-8.1f %8.1f/%-8.1f %12.1f\n", entries,
                    text.size() / 1e6, cold.wall, cold.cpu, warm.wall, warm.cpu, fill.wall, fill.cpu,
                    peakMegabytes());
    }
    return 0;
}
