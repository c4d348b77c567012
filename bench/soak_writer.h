#pragma once
// The other program: a process of its own that changes the catalogue, the
// memo files and the settings file while the window runs. It acts only when
// told, over a pipe, and answers when done, so every change falls between two
// commands of the window, never inside one.
#include "platform/profile.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace soak {

using Request = std::vector<std::string>;

namespace wire {

inline bool writeAll(int fd, const void *data, std::size_t size)
{
    const char *p = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= std::size_t(n);
    }
    return true;
}

inline bool readAll(int fd, void *data, std::size_t size)
{
    char *p = static_cast<char *>(data);
    while (size > 0) {
        const ssize_t n = ::read(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= std::size_t(n);
    }
    return true;
}

// A message: the number of fields, then each field's length and bytes.
inline bool send(int fd, const Request &fields)
{
    std::string bytes;
    const auto put = [&](std::uint32_t n) { bytes.append(reinterpret_cast<const char *>(&n), sizeof n); };
    put(std::uint32_t(fields.size()));
    for (const std::string &field : fields) {
        put(std::uint32_t(field.size()));
        bytes += field;
    }
    return writeAll(fd, bytes.data(), bytes.size());
}

inline bool receive(int fd, Request &fields)
{
    std::uint32_t count = 0;
    if (!readAll(fd, &count, sizeof count))
        return false;
    fields.assign(count, {});
    for (std::string &field : fields) {
        std::uint32_t size = 0;
        if (!readAll(fd, &size, sizeof size))
            return false;
        field.resize(size);
        if (size > 0 && !readAll(fd, field.data(), size))
            return false;
    }
    return true;
}

} // namespace wire

// A whole-file rewrite of the other program's own: a temporary file in the
// same folder, synced, renamed over the old one.
inline bool rewriteFile(const std::string &path, const std::string &content)
{
    std::string temp = path + ".other-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    const bool written = wire::writeAll(fd, content.data(), content.size()) && ::fsync(fd) == 0;
    ::close(fd);
    if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

inline std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Replaces the value of a key line in the section whose header is spelled
// exactly "[section]", by editing the file's text.
inline bool replaceValue(const std::string &path, const std::string &section, const std::string &key,
                         const std::string &value)
{
    std::string bytes = readFile(path);
    const std::string header = "[" + section + "]\r\n";
    std::size_t at = bytes.starts_with(header) ? 0 : bytes.find("\n" + header);
    if (at == std::string::npos)
        return false;
    const std::size_t end = std::min(bytes.find("\n[", at + 1), bytes.size());
    const std::size_t line = bytes.find("\n" + key + "=", at);
    if (line == std::string::npos || line >= end)
        return false;
    const std::size_t valueStart = line + 1 + key.size() + 1;
    bytes.replace(valueStart, bytes.find("\r\n", valueStart) - valueStart, value);
    return rewriteFile(path, bytes);
}

// What the process does for one request; the answer is "ok" or what failed.
inline std::string perform(const Request &r)
{
    const auto need = [&](std::size_t n) { return r.size() == n; };
    bool done = false;
    if (r[0] == "set" && need(5))
        done = WritePrivateProfileStringA(r[2].c_str(), r[3].c_str(), r[4].c_str(), r[1].c_str());
    else if (r[0] == "removekey" && need(4))
        done = WritePrivateProfileStringA(r[2].c_str(), r[3].c_str(), nullptr, r[1].c_str());
    else if (r[0] == "removesection" && need(3))
        done = WritePrivateProfileStringA(r[2].c_str(), nullptr, nullptr, r[1].c_str());
    else if (r[0] == "append" && need(3))
        done = rewriteFile(r[1], readFile(r[1]) + r[2]);
    else if (r[0] == "replace" && need(5))
        done = replaceValue(r[1], r[2], r[3], r[4]);
    else if (r[0] == "write" && need(3))
        done = rewriteFile(r[1], r[2]);
    else if (r[0] == "rename" && need(3))
        done = ::rename(r[1].c_str(), r[2].c_str()) == 0;
    else if (r[0] == "unlink" && need(2))
        done = ::unlink(r[1].c_str()) == 0;
    else
        return "unknown request " + r[0];
    return done ? "ok" : r[0] + " failed on " + r[1];
}

class OtherProgram {
public:
    // Forks the process; call it before any thread exists.
    void start()
    {
        int toChild[2], toParent[2];
        if (::pipe(toChild) != 0 || ::pipe(toParent) != 0) {
            std::perror("soak: pipe");
            std::exit(2);
        }
        pid = ::fork();
        if (pid < 0) {
            std::perror("soak: fork");
            std::exit(2);
        }
        if (pid == 0) {
            ::close(toChild[1]);
            ::close(toParent[0]);
            Request request;
            while (wire::receive(toChild[0], request) && !request.empty())
                if (!wire::send(toParent[1], {perform(request)}))
                    break;
            ::_exit(0); // leaves the parent's temporary folder alone
        }
        ::close(toChild[0]);
        ::close(toParent[1]);
        requests = toChild[1];
        answers = toParent[0];
    }

    // Has the request done; the empty text when it was, else what failed.
    std::string run(const Request &request)
    {
        Request answer;
        if (!wire::send(requests, request) || !wire::receive(answers, answer) || answer.size() != 1)
            return "the other process does not answer";
        return answer[0] == "ok" ? std::string() : answer[0];
    }

    ~OtherProgram()
    {
        if (pid <= 0)
            return;
        ::close(requests);
        ::close(answers);
        ::waitpid(pid, nullptr, 0);
    }

private:
    pid_t pid = -1;
    int requests = -1;
    int answers = -1;
};

} // namespace soak
