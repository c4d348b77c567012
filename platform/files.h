#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// File services. Paths are the file system's bytes, of any length. The last
// component of a path is matched without regard to ASCII case, as on
// Windows: an existing file answers under any case, a new file takes the
// name as given. Failures raise Exception with a CP932 message.

// What tells one content of a file from another without reading it: equal
// stamps mean the file was neither replaced nor written in between.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    bool operator==(const FileStamp &) const = default;
};

// The path under which an existing file or folder answers to path: path
// itself, or the name in its folder that differs only in ASCII case (the
// lowest in byte order when several do). A path naming nothing is returned
// unchanged.
std::string ResolveCaseless(const std::string &path);

// The stamp of the file at path, none when nothing is there.
std::optional<FileStamp> StampOf(const std::string &path);

bool FileExists(const std::string &path); // file or folder
bool CreateDir(const std::string &path);  // false when it exists or cannot be made
bool DeleteFile(const std::string &path); // false when absent

// Throws "ﾌｧｲﾙ %s は開けません" when the file cannot be opened or read. The
// stamp, when asked for, is that of the content read.
std::string ReadWholeFile(const std::string &path, FileStamp *stamp = nullptr);

// Replaces the file atomically: the data goes to a temporary file in the same
// folder, reaches the disk, and is renamed over the old file, so the file is
// always either the old or the new content. An existing file keeps its name
// and permissions. Throws "ﾌｧｲﾙ %s を作成できません" when the temporary file
// cannot be made and "ﾌｧｲﾙ %s に書き込めません" when the data cannot be
// written or put in place; the old file is then left as it was.
void WriteWholeFile(const std::string &path, std::string_view data, FileStamp *stamp = nullptr);

// False for a name that could leave its folder: empty, ".", "..", or holding
// "/", "\", NUL or a control character.
bool isPlainFileName(std::string_view name);

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

// A text file read in text mode, piece by piece, as fgets does: CR LF arrives
// as LF.
class TextFile {
public:
    explicit TextFile(const std::string &path); // throws "ﾌｧｲﾙ %s は開けません"

    // The rest of the current line up to and including its LF, but at most
    // limit - 1 bytes. False at the end of the file (and when limit < 2).
    bool gets(std::string &piece, std::size_t limit);

private:
    std::unique_ptr<std::FILE, FileCloser> file_;
};

// The folder of the running program, ending in "/".
std::string ExecutableDir();
