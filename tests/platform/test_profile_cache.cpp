#include "support/file_size_limit.h"
#include "platform/files.h"
#include "platform/inifile.h"
#include "profile_fixture.h"

#include <charconv>
#include <chrono>
#include <cstring>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::string_literals;

// Runs f in a child process and waits for it.
template <typename F>
void inAnotherProcess(F f)
{
    const pid_t child = fork();
    if (child == 0) {
        f();
        _exit(0);
    }
    waitpid(child, nullptr, 0);
}

TEST_F(Profile, AnUnchangedFileIsParsedOnce)
{
    put(catalogue, "[A]\r\ntitle=a\r\n");
    const std::size_t before = profile::parseCount();
    for (int i = 0; i < 10000; ++i)
        ASSERT_EQ(read("a", "title"), "a");
    EXPECT_EQ(profile::parseCount(), before + 1);
}

TEST_F(Profile, AChangeByAnotherProcessIsSeenByTheNextRead)
{
    struct Case {
        const char *name;
        void (*change)(const std::string &file);
    };
    const Case cases[] = {
        {"rewritten, longer", [](const std::string &file) { put(file, "[A]\r\ntitle=changed\r\n"); }},
        {"replaced by rename, same size",
         [](const std::string &file) {
             put(file + ".new", "[A]\r\ntitle=b\r\n");
             fs::rename(file + ".new", file);
         }},
        {"rewritten in place, same size, later time",
         [](const std::string &file) {
             const auto time = fs::last_write_time(file);
             std::fstream(file, std::ios::in | std::ios::out | std::ios::binary).seekp(11) << 'c';
             fs::last_write_time(file, time + std::chrono::nanoseconds(1));
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        put(catalogue, "[A]\r\ntitle=a\r\n");
        ASSERT_EQ(read("A", "title"), "a");
        inAnotherProcess([&] { c.change(catalogue); });
        EXPECT_NE(read("A", "title"), "a");
    }
    inAnotherProcess([&] { fs::remove(catalogue); });
    EXPECT_EQ(read("A", "title"), "(default)");
}

TEST_F(Profile, WritesKeepTheCacheCurrent)
{
    std::string bytes;
    for (int i = 0; i < 2000; ++i)
        bytes += "[" + std::to_string(i) + "]\r\ntitle=t" + std::to_string(i) + "\r\nnumtracks=1\r\n";
    put(catalogue, bytes);
    const std::size_t before = profile::parseCount();
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(read(std::to_string(i).c_str(), "title"), "t" + std::to_string(i));
    EXPECT_TRUE(write("5", "title", "a longer title than before"));
    EXPECT_TRUE(write("5", "artist", "new key"));
    EXPECT_TRUE(write("new", "title", "new section"));
    EXPECT_EQ(read("5", "title"), "a longer title than before");
    EXPECT_EQ(read("1999", "title"), "t1999");
    EXPECT_EQ(read("new", "title"), "new section");
    EXPECT_EQ(profile::parseCount(), before + 1);
}

TEST_F(Profile, ABatchWritesOnceAtCommit)
{
    put(catalogue, "[A]\r\nk=1\r\n");
    const auto stamp = StampOf(catalogue);
    {
        ProfileBatch batch("cdplayer.ini");
        EXPECT_TRUE(write("A", "k", "2"));
        EXPECT_TRUE(write("B", "k", "3"));
        EXPECT_TRUE(write("A", "j", nullptr));
        EXPECT_EQ(read("A", "k"), "2");
        EXPECT_EQ(read("B", "k"), "3");
        EXPECT_EQ(StampOf(catalogue), stamp);
        EXPECT_TRUE(batch.commit());
        EXPECT_TRUE(batch.commit()); // nothing left to write
    }
    EXPECT_EQ(contents(catalogue), "[A]\r\nk=2\r\n[B]\r\nk=3\r\n");
    EXPECT_EQ(read("B", "k"), "3");
}

TEST_F(Profile, ABatchWithoutCommitChangesNothing)
{
    {
        ProfileBatch batch("cdplayer.ini");
        EXPECT_TRUE(write("A", "k", "1"));
        EXPECT_EQ(read("A", "k"), "1");
    }
    EXPECT_EQ(read("A", "k"), "(default)");
    EXPECT_FALSE(fs::exists(windows));
    ProfileBatch empty("cdplayer.ini");
    EXPECT_TRUE(empty.commit());
    EXPECT_FALSE(fs::exists(windows));
}

TEST_F(Profile, AFailedCommitLeavesTheFileAsItWas)
{
    put(catalogue, "[A]\r\nk=1\r\n");
    ProfileBatch batch(catalogue);
    EXPECT_TRUE(write("A", "k", std::string(200, '2').c_str()));
    {
        FileSizeLimit full(64);
        EXPECT_FALSE(batch.commit());
    }
    EXPECT_EQ(contents(catalogue), "[A]\r\nk=1\r\n");
    EXPECT_EQ(read("A", "k"), "1");
}

TEST_F(Profile, ABatchInsideABatchOfTheSameFileJoinsIt)
{
    ProfileBatch outer("cdplayer.ini");
    {
        ProfileBatch inner("cdplayer.ini");
        EXPECT_TRUE(write("A", "k", "1"));
        EXPECT_TRUE(inner.commit());
    }
    EXPECT_FALSE(fs::exists(catalogue));
    EXPECT_EQ(read("A", "k"), "1");
    EXPECT_TRUE(outer.commit());
    EXPECT_EQ(contents(catalogue), "[A]\r\nk=1\r\n");
}

// Kills a child process that keeps rewriting the file, at random moments;
// each time the file must hold one complete state.
TEST_F(Profile, AKilledWriterLeavesACompletelyWrittenState)
{
    const std::string file = path("crash.ini");
    const auto state = [](unsigned n) { return std::to_string(n) + ":" + std::string(20000 + n % 4096, 'a' + n % 26); };
    const auto fileOf = [&](unsigned n) { return "[S]\r\nv=" + state(n) + "\r\n"; };
    ASSERT_TRUE(write("S", "v", state(0).c_str(), file.c_str()));

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(seed);
    std::mt19937 random(seed);
    unsigned changed = 0;
    unsigned last = 0;
    for (unsigned kill = 1; kill <= 120; ++kill) {
        const pid_t child = fork();
        if (child == 0)
            for (unsigned n = kill * 1000000;; ++n)
                WritePrivateProfileStringA("S", "v", state(n).c_str(), file.c_str());
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
        ::kill(child, SIGKILL);
        waitpid(child, nullptr, 0);

        const std::string bytes = contents(file);
        unsigned n = 0;
        std::from_chars(bytes.data() + std::min<std::size_t>(7, bytes.size()), bytes.data() + bytes.size(), n);
        ASSERT_EQ(bytes, fileOf(n)) << "after kill " << kill;
        changed += n != last;
        last = n;
    }
    RecordProperty("kills that found a new state", int(changed));
}

TEST_F(Profile, MalformedFilesReadWithoutHarm)
{
    struct Case {
        std::string bytes;
        const char *section, *key;
        std::string value;
    };
    const std::string longLine(1 << 20, 'x');
    const Case cases[] = {
        {"[A]\0 junk\r\nk=1\r\n"s, "A", "k", "1"},
        {"\0\0\0\xff\xfe"s, "A", "k", "(default)"},
        {"[A]\r\nk=" + longLine + "\r\nj=2\r\n", "A", "j", "2"},
        {"[A]\r\nk=" + longLine + "\r\nj=2\r\n", "A", "k", std::string(255, 'x')},
        {"[" + longLine + "\r\nk=1\r\n", "A", "k", "(default)"},
        {"[A\r\nk=1\r\n", "A", "k", "(default)"},
        {"[\r\n]\r\n=\r\n[]\r\n=v\r\n", "", "", "v"},
        {"[\xa0\x80]\r\n\xfd=\xff\x82", "\xa0\x80", "\xfd", "\xff\x82"},
        {"[\x82]\r\nk=1\r\n", "\x82", "k", "(default)"}, // the "]" is the lead byte's trail
        {"\n\n\n\r\r\r[A]\rk=1", "A", "k", "(default)"},
        {"[A]\r\n\r\r\nk=1\r", "A", "k", "1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 40));
        put(catalogue, c.bytes);
        EXPECT_EQ(read(c.section, c.key), c.value);
    }
}

TEST_F(Profile, ALargeGarbageFileIsReadAndKeptByteForByte)
{
    std::mt19937_64 random(7);
    std::string garbage(100 << 20, '\0');
    for (std::size_t i = 0; i + 8 <= garbage.size(); i += 8) {
        const std::uint64_t r = random();
        std::memcpy(&garbage[i], &r, 8);
    }
    garbage.replace(1000, 13, "\n[Found]\nk=1\n");
    put(catalogue, garbage);
    EXPECT_EQ(read("Found", "k"), "1");
    EXPECT_EQ(read("Missing", "k"), "(default)");

    garbage.resize(1 << 20);
    put(catalogue, garbage);
    EXPECT_TRUE(write("New", "k", "v"));
    const std::string after = contents(catalogue);
    ASSERT_TRUE(after.starts_with(garbage));
    EXPECT_TRUE(after.ends_with("[New]\r\nk=v\r\n"));
    EXPECT_LE(after.size() - garbage.size(), std::string("\r\n[New]\r\nk=v\r\n").size());
}

// Edits keep the index of a parsed file in step with its bytes: after each
// one, every lookup answers as a fresh parse of the same bytes does.
TEST(IniFile, EditsKeepTheIndexInStep)
{
    const char *const lines[] = {"[A]", "[a] x", " [ B ] ", "[C", "k=1", " K = 2 ", "j=", ";k=3", "", "junk", "[\x83\x5d]"};
    const char *const ends[] = {"\r\n", "\n", "\r\n"};
    const char *const sections[] = {"A", "b", "C", "D", "\x83\x5d"};
    const char *const keys[] = {"k", "j", "K2"};
    const char *const values[] = {"v", "", "x y"};
    std::mt19937 random(99);
    const auto pick = [&](const auto &options) { return options[random() % std::size(options)]; };
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        for (unsigned n = random() % 12; n > 0; --n)
            bytes += std::string(pick(lines)) + (n > 1 || random() % 2 ? pick(ends) : "");
        IniFile ini(bytes);
        for (int step = 0; step < 8; ++step) {
            switch (random() % 4) {
            case 0:
                ini.removeKey(pick(sections), pick(keys));
                break;
            case 1:
                ini.removeSection(pick(sections));
                break;
            default:
                ini.set(pick(sections), pick(keys), pick(values));
            }
            const IniFile fresh(ini.bytes());
            for (const char *section : sections) {
                ASSERT_EQ(ini.keys(section), fresh.keys(section)) << ini.bytes();
                for (const char *key : keys)
                    ASSERT_EQ(ini.value(section, key), fresh.value(section, key)) << ini.bytes();
            }
        }
    }
}

} // namespace
