#pragma once
#include "platform/cdaudio.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A CD audio device that gives the answers a test sets, including those no
// real disc gives ("0", "-1", "2147483648", "", "12abc"), and records every
// command string it gets. The answers may be changed between commands.
//
//   ScriptedCdAudio *cd = ScriptedCdAudio::install("12345", 0, "12");
//   ... run the command under test ...
//   EXPECT_EQ(cd->commands, (std::vector<std::string>{"info cdaudio identity wait", ...}));
//   setCdAudioDevice(nullptr);  // back to the real device, e.g. in TearDown
class ScriptedCdAudio final : public CdAudioDevice {
public:
    ScriptedCdAudio(std::string identity, unsigned identityCode, std::string trackCount)
        : identity(std::move(identity)), identityCode(identityCode),
          trackCount(std::move(trackCount))
    {
    }

    // Puts a new scripted device behind the command strings. The layer owns
    // it until another device replaces it.
    static ScriptedCdAudio *install(std::string identity, unsigned identityCode,
                                    std::string trackCount)
    {
        auto device = std::make_unique<ScriptedCdAudio>(std::move(identity), identityCode,
                                                        std::move(trackCount));
        ScriptedCdAudio *scripted = device.get();
        setCdAudioDevice(std::move(device));
        return scripted;
    }

    CdAudioAnswer send(std::string_view command) override
    {
        commands.emplace_back(command);
        if (command == "info cdaudio identity wait")
            return {identityCode, identity};
        if (command == "status cdaudio number of tracks")
            return {0, trackCount};
        if (command == "open cdaudio" || command == "close cdaudio")
            return {};
        return {MCIERR_UNRECOGNIZED_COMMAND, {}};
    }

    std::string identity;
    unsigned identityCode;
    std::string trackCount;
    std::vector<std::string> commands;
};
