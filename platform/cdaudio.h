#pragma once
#include <memory>
#include <string>
#include <string_view>

// The multimedia command-string interface, for the CD audio device only. It
// knows exactly four commands:
//   "info cdaudio identity wait"       the disc's identity number as decimal
//                                      text; opens the device for itself when
//                                      it is not open
//   "open cdaudio"                     opens the device (again, if it is open)
//   "status cdaudio number of tracks"  the number of tracks as decimal text,
//                                      or an empty text when no track is audio
//   "close cdaudio"                    releases the device
// The device is the drive or image (.cue, .toc, .nrg) named by
// $MAREL_CD_DEVICE, else the default drive. Returns 0 on success, else one of
// the error codes below. The answer is copied into returnString, cut to
// returnLength - 1 bytes and terminated; nothing is written when returnLength
// is 0. An answer that had to be cut reports MCIERR_PARAM_OVERFLOW rather than
// success. callback is ignored.
unsigned mciSendStringA(const char *command, char *returnString, unsigned returnLength,
                        void *callback);

// The codes of the platform whose interface this is, so that a number shown to
// a user means what it means there.
inline constexpr unsigned MCIERR_UNRECOGNIZED_COMMAND = 261;
inline constexpr unsigned MCIERR_INVALID_DEVICE_NAME = 263;  // no such drive or image; not open
inline constexpr unsigned MCIERR_MISSING_COMMAND_STRING = 267;
inline constexpr unsigned MCIERR_PARAM_OVERFLOW = 268;
inline constexpr unsigned MCIERR_DEVICE_NOT_READY = 276;  // no disc, or its TOC is unreadable

struct CdAudioAnswer {
    unsigned code = 0;
    std::string text;
};

// What stands behind the command strings: it gets every command string and
// answers it; mciSendStringA only copies the answer into the caller's buffer.
class CdAudioDevice {
public:
    virtual ~CdAudioDevice() = default;
    virtual CdAudioAnswer send(std::string_view command) = 0;
};

// Puts a device behind the command strings; nullptr restores the real one
// (which starts closed). For tests.
void setCdAudioDevice(std::unique_ptr<CdAudioDevice> device);

// libcdio's warnings are dropped unless shown; shown, they go to stderr.
void showCdAudioWarnings(bool show);
