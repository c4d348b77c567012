// The registered-disc scan over any catalogue file: it lists exactly the
// titled sections whose headers a text-mode read in 20-byte pieces finds,
// each as a "%-50s %s" item.
#include "fuzz/support.h"
#include "forms/select.h"
#include "platform/files.h"
#include "platform/profile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string catalogue;

// The section names the scan should find: the file read as text (CR LF as
// LF), in pieces of at most 19 bytes, each ending at a line feed or at the
// limit; a piece "[" ... of three bytes or more names its middle, up to a NUL.
std::vector<std::string> headerNames(std::string_view bytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n'))
            text += bytes[i];
    std::vector<std::string> names;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t lf = text.find('\n', pos);
        const std::size_t length = std::min<std::size_t>(19, (lf == std::string::npos ? text.size() : lf + 1) - pos);
        const std::string piece = text.substr(pos, length);
        pos += length;
        if (piece.size() >= 3 && piece.front() == '[')
            names.emplace_back(piece.substr(1, piece.size() - 3).c_str());
    }
    return names;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    catalogue = useScratchWindowsDirectory() + "/cdplayer.ini";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    // A new file each time: the profile cache must see the change.
    WriteWholeFile(catalogue, bytes);

    const auto discs = ScanRegisteredDiscs();
    require(discs.has_value(), "an existing catalogue is scanned");

    std::vector<std::pair<std::string, std::string>> expected;
    for (const std::string &section : headerNames(bytes)) {
        char title[80];
        GetPrivateProfileStringA(section.c_str(), "title", "", title, sizeof title, "cdplayer.ini");
        if (title[0] == '\0')
            continue;
        char item[256];
        std::snprintf(item, sizeof item, "%-50s %s", title, section.c_str());
        expected.emplace_back(item, section);
    }

    std::vector<std::pair<std::string, std::string>> listed;
    for (const RegisteredDisc &disc : *discs) {
        require(disc.section.size() <= 16, "a section name found has at most 16 bytes");
        require(disc.item.size() <= 96, "an item has at most 96 bytes");
        listed.emplace_back(disc.item, disc.section);
    }
    std::sort(expected.begin(), expected.end());
    std::sort(listed.begin(), listed.end());
    require(listed == expected, "the scan lists the titled headers, each as \"%-50s %s\"");
    return 0;
}
