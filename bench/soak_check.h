#pragma once
// The soak's checks: each counted, the first that fails ends the run with
// exit code 1 and says where (command number, seed, what differed). A crash or
// a command that does not end reports the same through a signal handler.
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace soak {

namespace fatal {

// Written ahead of each command, since a signal handler may only write.
inline char note[512] = "before the first command";

inline void report(const char *what)
{
    for (const char *text : {"soak: ", what, static_cast<const char *>(note), "\n"})
        if (::write(2, text, std::strlen(text)) < 0)
            return;
}

inline void onCrash(int sig)
{
    report("crashed in ");
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

inline void onHang(int)
{
    report("no end after 300 s of ");
    ::_exit(3);
}

} // namespace fatal

class Checker {
public:
    Checker(std::uint64_t seed, std::string root) : seed(seed), root(std::move(root))
    {
        for (const int sig : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL})
            std::signal(sig, fatal::onCrash);
        std::signal(SIGALRM, fatal::onHang);
    }

    void begin(const char *name)
    {
        ++number;
        command = name;
        ++counts[name];
        std::snprintf(fatal::note, sizeof fatal::note, "command %ld (%s), seed %llu; the files are in %s",
                      number, name, static_cast<unsigned long long>(seed), root.c_str());
        ::alarm(300);
    }
    void end() { ::alarm(0); }

    // How the command went, counted beside the command.
    void outcome(const char *what) { count(command + ": " + what); }
    void count(const std::string &what) { ++counts[what]; }

    template <class F> void operator()(bool ok, F &&what)
    {
        ++checks;
        if (!ok)
            fail(what());
    }

    [[noreturn]] void fail(const std::string &what) const
    {
        std::fprintf(stderr, "soak: FAILED at command %ld (%s), seed %llu: %s\n(the files are kept in %s)\n",
                     number, command.c_str(), static_cast<unsigned long long>(seed), what.c_str(),
                     root.c_str());
        std::fflush(stderr);
        std::_Exit(1);
    }

    long commands() const { return number; }
    long made() const { return checks; }
    const std::map<std::string, long> &tally() const { return counts; }

private:
    std::uint64_t seed;
    std::string root;
    long number = 0;
    std::string command = "setting up";
    long checks = 0;
    std::map<std::string, long> counts;
};

} // namespace soak
