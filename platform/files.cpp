#include "platform/files.h"

#include "platform/error.h"
#include "platform/text.h"

#include <QFile>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class Failure { open, create, write };

[[noreturn]] void fail(Failure failure, const std::string &path)
{
    static const std::string prefix = cp932::fromUtf8("ﾌｧｲﾙ ");
    static const std::array<std::string, 3> suffixes = {
        cp932::fromUtf8(" は開けません"),
        cp932::fromUtf8(" を作成できません"),
        cp932::fromUtf8(" に書き込めません"),
    };
    const QString shown = QFile::decodeName(QByteArray(path.data(), qsizetype(path.size())));
    throw Exception(prefix + cp932::fromUnicode(shown) + suffixes[std::size_t(failure)]);
}

FileStamp stampFrom(const struct stat &st)
{
    return {std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), std::int64_t(st.st_size),
            std::int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

// The folder part of a path, with its final "/"; empty for a bare name.
std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens an existing file (not a folder) for reading, or throws.
FilePtr openForReading(const std::string &path, struct stat &st)
{
    FilePtr file(std::fopen(ResolveCaseless(path).c_str(), "rbe"));
    if (!file || fstat(fileno(file.get()), &st) != 0 || S_ISDIR(st.st_mode))
        fail(Failure::open, path);
    return file;
}

FilePtr openForReading(const std::string &path)
{
    struct stat st;
    return openForReading(path, st);
}

// A new empty file in folder under a name nobody else uses; -1 on failure.
int createTemporary(const std::string &folder, std::string &temporary)
{
    static std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[40];
        std::snprintf(name, sizeof name, ".marel-%016llx.tmp", static_cast<unsigned long long>(random()));
        temporary = folder + name;
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = write(fd, data.data(), data.size());
        if (n > 0)
            data.remove_prefix(std::size_t(n));
        else if (n == 0 || errno != EINTR)
            return false;
    }
    return true;
}

// Makes a rename in the folder survive a crash of the machine.
void syncFolder(const std::string &folder)
{
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

std::string ResolveCaseless(const std::string &path)
{
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 || errno != ENOENT)
        return path;
    const std::string folder = folderOf(path);
    const std::string_view name = std::string_view(path).substr(folder.size());
    if (name.empty() || name == "." || name == "..")
        return path;
    std::string found;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, error), end;
         !error && it != end; it.increment(error)) {
        const std::filesystem::path candidate = it->path().filename();
        if (cp932::equalsCaseless(candidate.native(), name) && (found.empty() || candidate.native() < found))
            found = candidate.native();
    }
    return found.empty() ? path : folder + found;
}

std::optional<FileStamp> StampOf(const std::string &path)
{
    // One system call when the name is exact: profile reads ask at every call.
    struct stat st;
    if (stat(path.c_str(), &st) != 0 && (errno != ENOENT || stat(ResolveCaseless(path).c_str(), &st) != 0))
        return std::nullopt;
    return stampFrom(st);
}

bool FileExists(const std::string &path)
{
    return StampOf(path).has_value();
}

bool CreateDir(const std::string &path)
{
    return mkdir(path.c_str(), 0777) == 0;
}

bool DeleteFile(const std::string &path)
{
    return unlink(ResolveCaseless(path).c_str()) == 0;
}

std::string ReadWholeFile(const std::string &path, FileStamp *stamp)
{
    struct stat st;
    const FilePtr file = openForReading(path, st);
    std::string data;
    data.reserve(std::size_t(st.st_size));
    char chunk[65536];
    while (const std::size_t n = std::fread(chunk, 1, sizeof chunk, file.get()))
        data.append(chunk, n);
    if (std::ferror(file.get()))
        fail(Failure::open, path);
    if (stamp)
        *stamp = stampFrom(st);
    return data;
}

void WriteWholeFile(const std::string &path, std::string_view data, FileStamp *stamp)
{
    // A link stays a link: the file it points to gets the new content.
    std::string target = ResolveCaseless(path);
    std::error_code error;
    if (std::filesystem::is_symlink(target, error)) {
        const std::filesystem::path real = std::filesystem::canonical(target, error);
        if (!error)
            target = real.native();
    }
    struct stat old;
    const bool replacing = stat(target.c_str(), &old) == 0;

    const std::string folder = folderOf(target);
    std::string temporary;
    const int fd = createTemporary(folder, temporary);
    if (fd < 0)
        fail(Failure::create, path);
    struct stat written;
    bool ok = writeAll(fd, data) && fsync(fd) == 0 && fstat(fd, &written) == 0;
    if (ok && replacing)
        fchmod(fd, old.st_mode & 07777);
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        fail(Failure::write, path);
    }
    syncFolder(folder);
    if (stamp)
        *stamp = stampFrom(written);
}

bool isPlainFileName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    // The trail byte of a double-byte character may be "\" without being one.
    for (std::size_t i = 0; i < name.size(); i += cp932::charLength(name, i)) {
        const auto b = static_cast<unsigned char>(name[i]);
        if (cp932::charLength(name, i) == 1 && (b < 0x20 || b == 0x7F || b == '/' || b == '\\'))
            return false;
    }
    return true;
}

TextFile::TextFile(const std::string &path) : file_(openForReading(path))
{
}

bool TextFile::gets(std::string &piece, std::size_t limit)
{
    piece.clear();
    std::FILE *f = file_.get();
    while (piece.size() + 1 < limit) {
        int c = getc_unlocked(f);
        if (c == EOF)
            break;
        if (c == '\r') {
            const int next = getc_unlocked(f);
            if (next == '\n')
                c = '\n';
            else if (next != EOF)
                std::ungetc(next, f);
        }
        piece += char(c);
        if (c == '\n')
            break;
    }
    return !piece.empty();
}

std::string ExecutableDir()
{
    std::error_code error;
    const std::string folder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path().native();
    if (error || folder.empty())
        return "./";
    return folder.ends_with('/') ? folder : folder + "/";
}
