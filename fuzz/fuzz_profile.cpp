// The private-profile functions over any file: reads stay within their
// buffers and find what a plain reading of the file finds; a write reads back
// as written and changes no line it does not own; a refused write changes
// nothing.
#include "fuzz/support.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string folder;

constexpr std::string_view blanks = " \t";

std::string_view trim(std::string_view s)
{
    s.remove_prefix(std::min(s.find_first_not_of(blanks), s.size()));
    return s.substr(0, s.find_last_not_of(blanks) + 1);
}

std::string_view unquote(std::string_view s)
{
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

// Lines with their line ends.
std::vector<std::string_view> lines(std::string_view bytes)
{
    std::vector<std::string_view> out;
    while (!bytes.empty()) {
        const std::size_t n = std::min(bytes.find('\n'), bytes.size() - 1) + 1;
        out.push_back(bytes.substr(0, n));
        bytes.remove_prefix(n);
    }
    return out;
}

std::string_view withoutLineEnd(std::string_view line)
{
    if (line.ends_with('\n'))
        line.remove_suffix(1);
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    return line;
}

std::optional<std::string_view> headerName(std::string_view line)
{
    std::string_view s = line.substr(std::min(line.find_first_not_of(blanks), line.size()));
    if (!s.starts_with('['))
        return std::nullopt;
    for (std::size_t i = 0; i < s.size(); i += cp932::charLength(s, i))
        if (s[i] == ']')
            return trim(s.substr(1, i - 1));
    return std::nullopt;
}

bool sameName(std::string_view a, std::string_view b)
{
    return cp932::equalsCaseless(trim(a), trim(b));
}

// What a plain reading of the file finds: the first key of that name in the
// first section of that name.
std::optional<std::string> modelRead(std::string_view bytes, std::string_view section, std::string_view key)
{
    bool inside = false, seen = false;
    for (std::string_view line : lines(bytes)) {
        line = withoutLineEnd(line);
        if (const auto name = headerName(line)) {
            if (seen)
                return std::nullopt;
            inside = seen = sameName(*name, section);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inside || equals == std::string_view::npos || trim(line).starts_with(';'))
            continue;
        if (sameName(line.substr(0, equals), key))
            return std::string(unquote(trim(line.substr(equals + 1))));
    }
    return std::nullopt;
}

bool hasSection(std::string_view bytes, std::string_view section)
{
    for (std::string_view line : lines(bytes))
        if (const auto name = headerName(withoutLineEnd(line)); name && sameName(*name, section))
            return true;
    return false;
}

// Every line of before is in after, in order.
bool keepsLinesInOrder(std::string_view before, std::string_view after)
{
    const auto b = lines(before), a = lines(after);
    std::size_t j = 0;
    for (std::string_view line : a) {
        while (j < b.size() && b[j] != line)
            ++j;
        if (j++ == b.size())
            return false;
    }
    return true;
}

// after is before with at most one line replaced, and at most two lines
// added (a key, or a header and its key); a last line without a line end may
// have got one.
bool changesOnlyOwnedLines(std::string_view before, std::string_view after)
{
    const auto b = lines(before), a = lines(after);
    std::size_t head = 0, tail = 0;
    while (head < b.size() && head < a.size() && b[head] == a[head])
        ++head;
    while (tail < b.size() - head && tail < a.size() - head && b[b.size() - 1 - tail] == a[a.size() - 1 - tail])
        ++tail;
    std::size_t changed = b.size() - head - tail, added = a.size() - head - tail;
    if (changed > 0 && tail == 0 && !b.back().ends_with('\n') && added > 0 &&
        withoutLineEnd(a[head]) == withoutLineEnd(b.back()) && a[head].size() > b.back().size())
        --changed, --added;
    return changed <= 1 && added <= 2 && added >= changed;
}

// A name that any writer can store: printable ASCII but the bytes that mean
// something to the file's syntax.
bool isPlainName(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) {
        return c >= ' ' && c < 0x7F && std::string_view("[]=;\"'").find(c) == std::string_view::npos;
    });
}

struct Names {
    std::string section, key;
};

// A read through the functions, with the buffer's bounds watched.
void checkRead(const std::string &file, const std::string &bytesOnDisk, const Names &names, const std::string &def,
               unsigned size)
{
    const std::optional<std::string> expected = modelRead(bytesOnDisk, names.section, names.key);
    const std::string whole = expected.value_or(def);

    constexpr char guard = 0x55;
    std::vector<char> buffer(size + 8, guard);
    const unsigned n = GetPrivateProfileStringA(names.section.c_str(), names.key.c_str(), def.c_str(), buffer.data(),
                                                size, file.c_str());
    if (size == 0) {
        require(n == 0 && std::all_of(buffer.begin(), buffer.end(), [](char c) { return c == guard; }),
                "a read into no buffer writes nothing");
        return;
    }
    require(n == std::min<std::size_t>(whole.size(), size - 1), "a read copies the value cut to size - 1");
    require(std::string_view(buffer.data(), n) == std::string_view(whole).substr(0, n),
            "a read finds what the file holds");
    require(buffer[n] == '\0', "a read ends its copy with NUL");
    require(std::all_of(buffer.begin() + size, buffer.end(), [](char c) { return c == guard; }),
            "a read stays within its buffer");

    const int fallback = 0x1234567;
    require(GetPrivateProfileIntA(names.section.c_str(), names.key.c_str(), fallback, file.c_str()) ==
                (expected ? LenientInt(*expected) : fallback),
            "an integer read reads the value leniently");
}

enum class Edit { set, removeKey, removeSection };

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    folder = useScratchWindowsDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string path = folder + "/cdplayer.ini";
    const bool absent = in.ConsumeIntegralInRange(0, 15) == 0;
    const int steps = in.ConsumeIntegralInRange(1, 4);
    struct Step {
        Names names;
        std::string value;
        Edit edit;
        unsigned bufferSize;
        bool bareName;
    };
    std::vector<Step> plan;
    for (int i = 0; i < steps; ++i) {
        Step step;
        step.names.section = in.ConsumeRandomLengthString(24).c_str();
        step.names.key = in.ConsumeRandomLengthString(16).c_str();
        step.value = in.ConsumeRandomLengthString(40).c_str();
        const int edit = in.ConsumeIntegralInRange(0, 3); // setting is the common case
        step.edit = edit < 2 ? Edit::set : edit == 2 ? Edit::removeKey : Edit::removeSection;
        step.bufferSize = in.ConsumeIntegralInRange<unsigned>(0, 90);
        step.bareName = in.ConsumeBool();
        plan.push_back(step);
    }
    std::string bytes = in.ConsumeRemainingBytesAsString();
    // A new file each time: the cache must see the change.
    if (absent) {
        DeleteFile(path);
        bytes.clear();
    } else {
        WriteWholeFile(path, bytes);
    }

    for (const Step &step : plan)
        checkRead(path, bytes, step.names, step.value, step.bufferSize);

    for (const Step &step : plan) {
        const std::string file = step.bareName ? "cdplayer.ini" : path;
        const char *section = step.names.section.c_str();
        const char *key = step.edit == Edit::removeSection ? nullptr : step.names.key.c_str();
        const char *value = step.edit == Edit::set ? step.value.c_str() : nullptr;
        const bool written = WritePrivateProfileStringA(section, key, value, file.c_str());
        const std::string before = bytes;
        bytes = FileExists(path) ? ReadWholeFile(path) : std::string();

        if (!written) {
            require(bytes == before, "a refused write changes nothing");
            require(!(isPlainName(step.names.section) && isPlainName(step.names.key) && isPlainName(step.value)),
                    "a write of plain names and value is done");
            continue;
        }
        switch (step.edit) {
        case Edit::set:
            require(modelRead(bytes, step.names.section, step.names.key) == unquote(trim(step.value)),
                    "a value written reads back as written");
            require(changesOnlyOwnedLines(before, bytes), "a write changes only the lines it owns");
            break;
        case Edit::removeKey:
            require(!modelRead(bytes, step.names.section, step.names.key), "a removed key reads as absent");
            require(keepsLinesInOrder(before, bytes), "a removal keeps every other line");
            break;
        case Edit::removeSection:
            require(!hasSection(bytes, step.names.section), "a removed section is gone");
            require(keepsLinesInOrder(before, bytes), "a removal keeps every other line");
            break;
        }
        // The cached state after the edit reads as the file on disk does.
        for (const Step &other : plan)
            checkRead(file, bytes, other.names, other.value, other.bufferSize);
    }
    return 0;
}
