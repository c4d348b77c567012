#include "platform/profile.h"

#include "platform/error.h"
#include "platform/files.h"
#include "platform/inifile.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <pwd.h>
#include <unistd.h>
#include <unordered_map>

namespace {

struct Cached {
    FileStamp stamp;
    IniFile ini;
};

// Parsed files by path, each with the stamp of the content it holds.
std::unordered_map<std::string, Cached> cache;
// Open batches by path, with their content once they have written.
std::unordered_map<std::string, std::optional<IniFile>> batches;

bool isBareName(const std::string &file)
{
    return file.find('/') == std::string::npos;
}

std::string pathOf(const std::string &file)
{
    return isBareName(file) ? GetWindowsDirectory() + "/" + file : file;
}

// The file as it is on disk, parsed again only when it has changed; null
// when it is absent or cannot be read.
Cached *onDisk(const std::string &path)
{
    const std::optional<FileStamp> stamp = StampOf(path);
    const auto it = cache.find(path);
    if (it != cache.end()) {
        if (stamp && it->second.stamp == *stamp)
            return &it->second;
        cache.erase(it);
    }
    if (!stamp)
        return nullptr;
    try {
        FileStamp read;
        std::string bytes = ReadWholeFile(path, &read);
        return &cache.try_emplace(path, Cached{read, IniFile(std::move(bytes))}).first->second;
    } catch (const Exception &) {
        return nullptr;
    }
}

const IniFile *forReading(const char *file)
{
    if (!file)
        return nullptr;
    const std::string path = pathOf(file);
    if (const auto batch = batches.find(path); batch != batches.end() && batch->second)
        return &*batch->second;
    const Cached *cached = onDisk(path);
    return cached ? &cached->ini : nullptr;
}

// Puts bytes in the file; the stamp of the new file, none on failure.
std::optional<FileStamp> store(const std::string &file, const std::string &path, const std::string &bytes)
{
    if (isBareName(file)) {
        std::error_code error;
        std::filesystem::create_directories(GetWindowsDirectory(), error);
    }
    try {
        FileStamp stamp;
        WriteWholeFile(path, bytes, &stamp);
        return stamp;
    } catch (const Exception &) {
        return std::nullopt;
    }
}

std::string withoutTrailingSlash(std::string dir)
{
    while (dir.size() > 1 && dir.ends_with('/'))
        dir.pop_back();
    return dir;
}

} // namespace

std::string GetWindowsDirectory()
{
    const auto env = [](const char *name) {
        const char *value = std::getenv(name);
        return std::string(value ? value : "");
    };
    std::string dir = env("WINDIR");
    if (dir.empty()) {
        std::string data = env("XDG_DATA_HOME");
        if (!data.starts_with('/')) {
            std::string home = env("HOME");
            if (const passwd *user = home.empty() ? getpwuid(getuid()) : nullptr)
                home = user->pw_dir;
            data = home + "/.local/share";
        }
        dir = withoutTrailingSlash(data) + "/marel";
    }
    return withoutTrailingSlash(dir);
}

unsigned GetPrivateProfileStringA(const char *section, const char *key, const char *def, char *buffer,
                                  unsigned size, const char *file)
{
    if (!buffer || size == 0)
        return 0;
    std::string_view result = def && section && key ? def : "";
    if (const IniFile *ini = section && key ? forReading(file) : nullptr)
        result = ini->value(section, key).value_or(result);
    const std::size_t n = std::min<std::size_t>(result.size(), size - 1);
    std::memmove(buffer, result.data(), n);
    buffer[n] = '\0';
    return unsigned(n);
}

int GetPrivateProfileIntA(const char *section, const char *key, int def, const char *file)
{
    const IniFile *ini = section && key ? forReading(file) : nullptr;
    const auto value = ini ? ini->value(section, key) : std::nullopt;
    return value ? LenientInt(*value) : def;
}

std::vector<std::string> GetPrivateProfileKeys(const char *section, const char *file)
{
    const IniFile *ini = section ? forReading(file) : nullptr;
    return ini ? ini->keys(section) : std::vector<std::string>();
}

bool WritePrivateProfileStringA(const char *section, const char *key, const char *value, const char *file)
{
    if (!section || !file || !IniFile::canWrite(section, key ? key : "", value ? value : ""))
        return false;
    const auto edit = [&](IniFile &ini) {
        return !key ? ini.removeSection(section) : !value ? ini.removeKey(section, key) : ini.set(section, key, value);
    };
    const std::string path = pathOf(file);
    const auto batch = batches.find(path);
    if (batch != batches.end() && batch->second) {
        edit(*batch->second);
        return true;
    }
    Cached *cached = onDisk(path);
    // A file that is there but cannot be read must not be overwritten.
    if (!cached && FileExists(path))
        return false;
    if (batch != batches.end()) {
        edit(batch->second.emplace(cached ? cached->ini : IniFile()));
        return true;
    }
    if (!cached)
        cached = &cache.try_emplace(path).first->second;
    if (!edit(cached->ini))
        return true;
    if (const auto stamp = store(file, path, cached->ini.bytes())) {
        cached->stamp = *stamp;
        return true;
    }
    cache.erase(path);
    return false;
}

ProfileBatch::ProfileBatch(const std::string &file)
    : file_(file), path_(pathOf(file)), owner_(batches.try_emplace(path_).second)
{
}

ProfileBatch::~ProfileBatch()
{
    if (owner_)
        batches.erase(path_);
}

bool ProfileBatch::commit()
{
    if (!owner_)
        return true;
    owner_ = false;
    auto node = batches.extract(path_);
    std::optional<IniFile> &pending = node.mapped();
    if (!pending)
        return true;
    const auto stamp = store(file_, path_, pending->bytes());
    if (!stamp)
        return false;
    cache.insert_or_assign(path_, Cached{*stamp, std::move(*pending)});
    return true;
}

namespace profile {

std::size_t parseCount()
{
    return IniFile::parseCount();
}

}
