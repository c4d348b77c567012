#include "platform/cdaudio.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

constexpr std::string_view identityCommand = "info cdaudio identity wait";
constexpr std::string_view openCommand = "open cdaudio";
constexpr std::string_view trackCountCommand = "status cdaudio number of tracks";
constexpr std::string_view closeCommand = "close cdaudio";

bool warningsShown = false;

// libcdio's own handler writes warnings to stdout and exits the process on an
// error; a lost CD must never end the program. Only a failed assertion inside
// libcdio still stops it, as nothing there can go on safely after one.
void logHandler(cdio_log_level_t level, const char *message)
{
    if (level == CDIO_LOG_ASSERT)
        std::abort();
    if (warningsShown && level >= CDIO_LOG_WARN)
        std::fprintf(stderr, "libcdio: %s\n", message);
}

struct CdioCloser {
    void operator()(CdIo_t *cd) const { cdio_destroy(cd); }
};
using CdioHandle = std::unique_ptr<CdIo_t, CdioCloser>;

CdioHandle openSource()
{
    const char *source = std::getenv("MAREL_CD_DEVICE");
    if (source && *source)
        return CdioHandle(cdio_open(source, DRIVER_UNKNOWN));
    // Only drives: the image drivers would take a file of their default name
    // in the current folder.
    return CdioHandle(cdio_open(nullptr, DRIVER_DEVICE));
}

// Addresses are absolute frames (75 a second) with the 150-frame lead-in
// included, as the TOC gives them.
struct Toc {
    std::vector<std::uint32_t> starts;  // first track to last
    std::uint32_t leadOut = 0;
    bool hasAudio = false;
};

std::optional<Toc> readToc(CdIo_t *cd)
{
    const int first = cdio_get_first_track_num(cd);
    const int last = cdio_get_last_track_num(cd);
    if (first == CDIO_INVALID_TRACK || last == CDIO_INVALID_TRACK || first == 0 || first > last)
        return std::nullopt;
    // Tracks in order and a lead-out after them, or the TOC is not believed.
    Toc toc;
    for (int track = first; track <= last; ++track) {
        const lba_t start = cdio_get_track_lba(cd, track);
        if (start < 0 || (!toc.starts.empty() && std::uint32_t(start) < toc.starts.back()))
            return std::nullopt;
        toc.starts.push_back(start);
        toc.hasAudio |= cdio_get_track_format(cd, track) == TRACK_FORMAT_AUDIO;
    }
    const lba_t leadOut = cdio_get_track_lba(cd, CDIO_CDROM_LEADOUT_TRACK);
    if (leadOut < 0 || std::uint32_t(leadOut) <= toc.starts.back())
        return std::nullopt;
    toc.leadOut = leadOut;
    return toc;
}

// The number the Windows CD audio driver gives the disc, so that catalogues
// made there name the same discs here. The sum wraps as a 32-bit number.
std::uint32_t identity(const Toc &toc)
{
    constexpr std::uint32_t framesPerSecond = 75;
    std::uint32_t sum = 0;
    for (const std::uint32_t start : toc.starts) {
        const std::uint32_t minutes = start / (60 * framesPerSecond);
        const std::uint32_t seconds = start / framesPerSecond % 60;
        const std::uint32_t frames = start % framesPerSecond;
        sum += minutes * 65536 + seconds * 256 + frames;
    }
    // Few tracks give few distinct sums, so short discs add their length.
    const std::uint32_t first = toc.starts.front();
    if (toc.starts.size() < 3)
        sum += first % framesPerSecond + (toc.leadOut - first);
    return sum;
}

CdAudioAnswer identityAnswer(const Toc &toc)
{
    return {0, std::to_string(identity(toc))};
}

CdAudioAnswer trackCountAnswer(const Toc &toc)
{
    return {0, toc.hasAudio ? std::to_string(toc.starts.size()) : std::string()};
}

// The drive or image, through libcdio. A query uses the open device, or opens
// one for itself and closes it again, so each such query reads the disc anew.
class CdioDevice final : public CdAudioDevice {
public:
    CdioDevice() { cdio_log_set_handler(logHandler); }

    CdAudioAnswer send(std::string_view command) override
    {
        if (command == identityCommand)
            return query(identityAnswer);
        if (command == openCommand) {
            open_ = openSource();
            return {open_ ? 0 : MCIERR_INVALID_DEVICE_NAME, {}};
        }
        if (command == trackCountCommand)
            return query(trackCountAnswer);
        if (command == closeCommand) {
            const bool wasOpen = open_ != nullptr;
            open_.reset();
            return {wasOpen ? 0 : MCIERR_INVALID_DEVICE_NAME, {}};
        }
        return {MCIERR_UNRECOGNIZED_COMMAND, {}};
    }

private:
    CdAudioAnswer query(CdAudioAnswer (*answer)(const Toc &))
    {
        CdioHandle temporary;
        CdIo_t *cd = open_.get();
        if (!cd) {
            temporary = openSource();
            cd = temporary.get();
        }
        if (!cd)
            return {MCIERR_INVALID_DEVICE_NAME, {}};
        const std::optional<Toc> toc = readToc(cd);
        if (!toc)
            return {MCIERR_DEVICE_NOT_READY, {}};
        return answer(*toc);
    }

    CdioHandle open_;
};

std::unique_ptr<CdAudioDevice> &installedDevice()
{
    static std::unique_ptr<CdAudioDevice> device;
    return device;
}

CdAudioDevice &device()
{
    std::unique_ptr<CdAudioDevice> &device = installedDevice();
    if (!device)
        device = std::make_unique<CdioDevice>();
    return *device;
}

}

unsigned mciSendStringA(const char *command, char *returnString, unsigned returnLength, void *)
{
    const CdAudioAnswer answer =
        command ? device().send(command) : CdAudioAnswer{MCIERR_MISSING_COMMAND_STRING, {}};
    std::size_t room = 0;
    if (returnString && returnLength > 0) {
        room = returnLength - 1;
        returnString[answer.text.copy(returnString, room)] = '\0';
    }
    if (answer.code == 0 && answer.text.size() > room)
        return MCIERR_PARAM_OVERFLOW;
    return answer.code;
}

void setCdAudioDevice(std::unique_ptr<CdAudioDevice> device)
{
    installedDevice() = std::move(device);
}

void showCdAudioWarnings(bool show)
{
    warningsShown = show;
}
