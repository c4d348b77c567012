#include "support/file_size_limit.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/text.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

class Files : public ::testing::Test {
protected:
    std::string path(const std::string &name) const { return QFile::encodeName(dir.path()).toStdString() + "/" + name; }

    static void put(const std::string &file, const std::string &bytes)
    {
        std::ofstream(file, std::ios::binary) << bytes;
    }

    static std::string contents(const std::string &file)
    {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    std::set<std::string> names() const
    {
        std::set<std::string> found;
        for (const auto &entry : fs::directory_iterator(path("")))
            found.insert(entry.path().filename().native());
        return found;
    }

    // The message an operation throws, empty when it throws nothing.
    template <typename F>
    static std::string errorOf(F operation)
    {
        try {
            operation();
        } catch (const Exception &e) {
            return e.what();
        }
        return {};
    }

    static std::string message(const char *before, const std::string &file, const char *after)
    {
        return cp932::fromUtf8(before) + file + cp932::fromUtf8(after);
    }

    QTemporaryDir dir;
};

TEST_F(Files, LastComponentMatchesWithoutRegardToCase)
{
    put(path("7A0C5B08.cd"), "memo");
    EXPECT_TRUE(FileExists(path("7a0c5b08.CD")));
    EXPECT_EQ(ReadWholeFile(path("7a0c5b08.cd")), "memo");
    EXPECT_EQ(ResolveCaseless(path("7a0c5b08.cd")), path("7A0C5B08.cd"));

    WriteWholeFile(path("7a0c5b08.cd"), "new");
    EXPECT_EQ(names(), std::set<std::string>{"7A0C5B08.cd"});
    EXPECT_EQ(contents(path("7A0C5B08.cd")), "new");

    EXPECT_TRUE(DeleteFile(path("7a0C5b08.cd")));
    EXPECT_TRUE(names().empty());
    EXPECT_FALSE(DeleteFile(path("7a0C5b08.cd")));

    WriteWholeFile(path("ff.cd"), "x");
    EXPECT_EQ(names(), std::set<std::string>{"ff.cd"});
}

TEST_F(Files, ExactNameWinsAndOnlyTheLastComponentIsCaseless)
{
    put(path("a.cd"), "lower");
    put(path("A.cd"), "upper");
    EXPECT_EQ(ReadWholeFile(path("A.cd")), "upper");
    EXPECT_EQ(ReadWholeFile(path("a.CD")), "upper"); // the lowest name in byte order

    fs::create_directory(path("Data"));
    put(path("Data/x.cd"), "x");
    EXPECT_TRUE(FileExists(path("data")));
    EXPECT_FALSE(FileExists(path("data/x.cd")));
}

TEST_F(Files, ExistsCreateDirAndDelete)
{
    EXPECT_FALSE(FileExists(path("data")));
    EXPECT_TRUE(CreateDir(path("data")));
    EXPECT_TRUE(FileExists(path("data")));
    EXPECT_FALSE(CreateDir(path("data")));
    EXPECT_FALSE(DeleteFile(path("data"))); // a folder is not a file
    EXPECT_FALSE(CreateDir(path("missing/data")));
}

TEST_F(Files, WriteReplacesWholeAndKeepsPermissions)
{
    const std::string file = path("m.cd");
    WriteWholeFile(file, std::string("a\0b\r\n\x82", 6));
    EXPECT_EQ(ReadWholeFile(file), std::string("a\0b\r\n\x82", 6));
    chmod(file.c_str(), 0640);
    WriteWholeFile(file, "");
    EXPECT_EQ(ReadWholeFile(file), "");
    EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640));
    EXPECT_EQ(names(), std::set<std::string>{"m.cd"}); // no temporary file left
}

TEST_F(Files, WriteThroughALinkKeepsTheLink)
{
    put(path("real.ini"), "old");
    fs::create_symlink("real.ini", path("link.ini"));
    WriteWholeFile(path("link.ini"), "new");
    EXPECT_TRUE(fs::is_symlink(path("link.ini")));
    EXPECT_EQ(contents(path("real.ini")), "new");
}

TEST_F(Files, StampChangesWithTheContent)
{
    const std::string file = path("s.ini");
    EXPECT_FALSE(StampOf(file));
    FileStamp written;
    WriteWholeFile(file, "one", &written);
    EXPECT_EQ(StampOf(file), written);
    FileStamp read;
    ReadWholeFile(file, &read);
    EXPECT_EQ(read, written);
    WriteWholeFile(file, "two");
    EXPECT_NE(StampOf(file), written);
}

TEST_F(Files, FailuresRaiseThePlatformMessages)
{
    put(path("plain"), "x");
    fs::create_directory(path("folder"));
    fs::create_directory(path("メモ"));

    EXPECT_EQ(errorOf([&] { ReadWholeFile(path("absent.cd")); }),
              message("ﾌｧｲﾙ ", path("absent.cd"), " は開けません"));
    EXPECT_EQ(errorOf([&] { ReadWholeFile(path("folder")); }), message("ﾌｧｲﾙ ", path("folder"), " は開けません"));
    EXPECT_EQ(errorOf([&] { TextFile text(path("absent.ini")); }),
              message("ﾌｧｲﾙ ", path("absent.ini"), " は開けません"));
    EXPECT_EQ(errorOf([&] { WriteWholeFile(path("plain/x.cd"), "x"); }),
              message("ﾌｧｲﾙ ", path("plain/x.cd"), " を作成できません"));
    EXPECT_EQ(errorOf([&] { WriteWholeFile(path("folder"), "x"); }),
              message("ﾌｧｲﾙ ", path("folder"), " に書き込めません"));
    // The path is shown in CP932, converted from the file system's encoding.
    const std::string file = path("メモ/a.cd");
    EXPECT_EQ(errorOf([&] { ReadWholeFile(file); }),
              cp932::fromUtf8("ﾌｧｲﾙ " + file + " は開けません"));

    EXPECT_TRUE(fs::is_directory(path("folder")));
    EXPECT_EQ(names(), (std::set<std::string>{"folder", "plain", "メモ"}));
}

TEST_F(Files, AWriteThatCannotCompleteLeavesTheOldFile)
{
    const std::string file = path("m.cd");
    put(file, "old content");
    {
        FileSizeLimit full(1000);
        EXPECT_EQ(errorOf([&] { WriteWholeFile(file, std::string(5000, 'x')); }),
                  message("ﾌｧｲﾙ ", file, " に書き込めません"));
    }
    EXPECT_EQ(contents(file), "old content");
    EXPECT_EQ(names(), std::set<std::string>{"m.cd"});
}

TEST(FileNames, PlainNamesStayInTheirFolder)
{
    using namespace std::string_literals;
    struct Case {
        std::string name;
        bool plain;
    };
    const Case cases[] = {
        {"7A0C5B08", true},   {"a.b", true},      {"...", true},         {"\x83\x5c", true}, // ソ: trail byte "\"
        {"", false},          {".", false},       {"..", false},         {"a/b", false},
        {"a\\b", false},      {"a\0b"s, false},   {"a\tb", false},       {"a\x7f", false},
        {"\x1f", false},      {"\x83", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(isPlainFileName(c.name), c.plain);
    }
}

TEST_F(Files, TextModeReadsPiecesLikeFgets)
{
    struct Case {
        std::string bytes;
        std::size_t limit;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"", 20, {}},
        {"[A]\r\ntitle=x\r\n", 20, {"[A]\n", "title=x\n"}},
        {"[0123456789ABCDEFGHIJ]\r\n", 20, {"[0123456789ABCDEFGH", "IJ]\n"}},
        {"abc\r\n", 4, {"abc", "\n"}},           // CR LF counts as one byte
        {"a\rb\r\r\nc", 20, {"a\rb\r\n", "c"}},  // a lone CR stays
        {"last", 20, {"last"}},
        {"x\n\ny\r", 20, {"x\n", "\n", "y\r"}},
        {"abc", 1, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bytes);
        put(path("t.ini"), c.bytes);
        TextFile text(path("T.INI"));
        std::vector<std::string> pieces;
        std::string piece;
        while (text.gets(piece, c.limit))
            pieces.push_back(piece);
        EXPECT_EQ(pieces, c.pieces);
    }
}

TEST(ExecutableDir, IsTheFolderOfTheRunningProgram)
{
    const std::string folder = ExecutableDir();
    ASSERT_TRUE(folder.ends_with('/'));
    EXPECT_TRUE(FileExists(folder + "test_platform"));
}

} // namespace
