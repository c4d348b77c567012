#pragma once
#include <csignal>
#include <sys/resource.h>

// While it lives, no file of the process can grow beyond the given size: a
// write past it fails as on a full disk, whatever the permissions.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limited = old_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit old_;
    void (*oldHandler_)(int);
};
