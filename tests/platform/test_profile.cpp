#include "support/file_size_limit.h"
#include "profile_fixture.h"
#include "platform/text.h"

namespace {

using namespace std::string_literals;

TEST_F(Profile, WindowsDirectoryFollowsTheEnvironment)
{
    struct Case {
        const char *windir, *xdg, *home, *expected;
    };
    const Case cases[] = {
        {"/w/in", "/x", "/h", "/w/in"},
        {"/w/in//", nullptr, "/h", "/w/in"},
        {"", "/x/data", "/h", "/x/data/marel"},
        {nullptr, "/x/data/", "/h", "/x/data/marel"},
        {nullptr, "", "/h", "/h/.local/share/marel"},
        {nullptr, "relative", "/h", "/h/.local/share/marel"},
    };
    for (const Case &c : cases) {
        EnvVar windir("WINDIR", c.windir), xdg("XDG_DATA_HOME", c.xdg), home("HOME", c.home);
        EXPECT_EQ(GetWindowsDirectory(), c.expected);
    }
}

TEST_F(Profile, ReadsLikeWindows)
{
    put(catalogue, "; a comment\r\n"
                   "title=before any section\r\n"
                   "[Disc]\r\n"
                   "  Title = Spaced Value  \r\n"
                   "artist=\"Quoted\"\r\n"
                   "single='one'\r\n"
                   "mixed=\"half'\r\n"
                   "empty=\r\n"
                   "blank =  \t\r\n"
                   "  ;hidden=commented\r\n"
                   "noequals\r\n"
                   "dup=first\r\n"
                   "DUP=second\r\n"
                   "eq=a=b\r\n"
                   " [ Other ] trailing text\r\n"
                   "key=other\r\n"
                   "[disc]\r\n"
                   "extra=only in the second\r\n"
                   "[Broken\r\n"
                   "broken=1\r\n"
                   "[\x83\x5c\x83\x6a\x81\x5b]\r\n" // ソニー
                   "kana=\x83\x5c\r\n"
                   "[\x83\x5d\x83\x93] \r\n"             // ゾン: a trail byte "]"
                   "kana=\x83\x5c\r\n"
                   "[Last]\r\n"
                   "tail=no final line end");
    struct Case {
        const char *section, *key, *value;
    };
    const Case cases[] = {
        {"Disc", "title", "Spaced Value"},
        {"DISC", "TITLE", "Spaced Value"},
        {" disc ", " title ", "Spaced Value"},
        {"Disc", "artist", "Quoted"},
        {"Disc", "single", "one"},
        {"Disc", "mixed", "\"half'"},
        {"Disc", "empty", ""},
        {"Disc", "blank", ""},
        {"Disc", "hidden", "(default)"},
        {"Disc", ";hidden", "(default)"},
        {"Disc", "noequals", "(default)"},
        {"Disc", "dup", "first"},
        {"Disc", "eq", "a=b"},
        {"Other", "key", "other"},
        {"Disc", "extra", "(default)"}, // the first section of a name wins
        {"Broken", "broken", "(default)"},
        {"\x83\x5c\x83\x6a\x81\x5b", "kana", "\x83\x5c"},
        {"\x83\x7c\x83\x6a\x81\x5b", "kana", "(default)"}, // trail bytes are not letters
        {"\x83\x5d\x83\x93", "kana", "\x83\x5c"},
        {"Last", "tail", "no final line end"},
        {"Missing", "title", "(default)"},
        {"", "title", "(default)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(read(c.section, c.key), c.value);
    }
    EXPECT_EQ(read("Disc", "title", "missing.ini"), "(default)");
    EXPECT_EQ(GetPrivateProfileKeys("disc", "cdplayer.ini"),
              (std::vector<std::string>{"Title", "artist", "single", "mixed", "empty", "blank", "dup", "DUP", "eq"}));
    EXPECT_TRUE(GetPrivateProfileKeys("Missing", "cdplayer.ini").empty());
}

TEST_F(Profile, ReadsCutToTheBuffer)
{
    put(catalogue, "[S]\r\nk=abcdef\r\nlong=" + std::string(300, 'x') + "\r\nnul=a\0b\r\n"s);
    struct Case {
        const char *key, *def;
        unsigned size;
        std::string expected;
        unsigned copied;
    };
    const Case cases[] = {
        {"k", "", 7, "abcdef", 6},
        {"k", "", 100, "abcdef", 6},
        {"k", "", 4, "abc", 3},
        {"k", "", 1, "", 0},
        {"long", "", 256, std::string(255, 'x'), 255},
        {"nul", "", 10, "a\0b"s, 3},
        {"none", "xyz", 2, "x", 1},
        {"none", nullptr, 10, "", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key + std::to_string(c.size));
        std::string buffer(c.size + 1, '#');
        EXPECT_EQ(GetPrivateProfileStringA("S", c.key, c.def, buffer.data(), c.size, "cdplayer.ini"), c.copied);
        EXPECT_EQ(buffer.substr(0, c.copied + 1), c.expected + '\0');
    }
    char untouched = '#';
    EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", &untouched, 0, "cdplayer.ini"), 0u);
    EXPECT_EQ(untouched, '#');
    char buffer[8] = "#";
    EXPECT_EQ(GetPrivateProfileStringA(nullptr, "k", "def", buffer, sizeof buffer, "cdplayer.ini"), 0u);
    EXPECT_STREQ(buffer, "");
}

TEST_F(Profile, IntegersFollowTheNumtracksRule)
{
    put(catalogue, "[S]\r\na=12abc\r\nb=abc\r\nc=-2\r\nd= +7\r\ne=\r\nf=99999999999\r\ng=-99999999999\r\n"
                   "h=\"5\"\r\ni=2147483647\r\nj=-2147483648\r\n");
    struct Case {
        const char *key;
        int value;
    };
    const Case cases[] = {
        {"a", 12}, {"b", 0}, {"c", -2}, {"d", 7}, {"e", 0}, {"f", 2147483647}, {"g", -2147483648},
        {"h", 5},  {"i", 2147483647},   {"j", -2147483648}, {"missing", 33},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(GetPrivateProfileIntA("S", c.key, 33, "cdplayer.ini"), c.value);
    }
    EXPECT_EQ(GetPrivateProfileIntA("S", "a", 33, "missing.ini"), 33);
}

struct Edit {
    const char *section, *key, *value;
};

TEST_F(Profile, WritesChangeOnlyTheLinesTheyMust)
{
    struct Case {
        const char *name;
        std::string before;
        std::vector<Edit> edits;
        std::string after;
    };
    const Case cases[] = {
        {"value replaced in place", "[S]\r\n  Title = old  \r\nx=1\r\n", {{"s", "TITLE", "new"}},
         "[S]\r\n  Title = new\r\nx=1\r\n"},
        {"empty value stays a key", "[S]\r\nk=v\r\n", {{"S", "k", ""}}, "[S]\r\nk=\r\n"},
        {"new key after the last key", "[A]\r\na=1\r\n\r\n; about B\r\n[B]\r\nb=1\r\n", {{"A", "k", "v"}},
         "[A]\r\na=1\r\nk=v\r\n\r\n; about B\r\n[B]\r\nb=1\r\n"},
        {"new key in a section without keys", "[A]\r\n; note\r\n[B]\r\n", {{"A", "k", "v"}},
         "[A]\r\nk=v\r\n; note\r\n[B]\r\n"},
        {"new section at the end", "[A]\r\na=1\r\n", {{"B", "k", "v"}}, "[A]\r\na=1\r\n[B]\r\nk=v\r\n"},
        {"no final line end, new section", "[A]\r\na=1", {{"B", "k", "v"}}, "[A]\r\na=1\r\n[B]\r\nk=v\r\n"},
        {"no final line end, new key", "[A]\r\na=1", {{"A", "b", "2"}}, "[A]\r\na=1\r\nb=2\r\n"},
        {"header without line end", "[A]", {{"A", "b", "2"}}, "[A]\r\nb=2\r\n"},
        {"last line ends in CR", "[A]\r\na=1\r", {{"A", "b", "2"}}, "[A]\r\na=1\r\nb=2\r\n"},
        {"LF file keeps its LFs", "[A]\na=1\n", {{"A", "a", "9"}, {"A", "b", "2"}}, "[A]\na=9\nb=2\r\n"},
        {"first of two sections", "[A]\r\nk=1\r\n[a]\r\nk=2\r\n", {{"a", "K", "3"}}, "[A]\r\nk=3\r\n[a]\r\nk=2\r\n"},
        {"remove a key and its duplicates", "[A]\r\nk=1\r\nx=2\r\nK=3\r\n[a]\r\nk=4\r\n", {{"A", "k", nullptr}},
         "[A]\r\nx=2\r\n[a]\r\nk=4\r\n"},
        {"remove the last line", "[A]\r\nx=1\r\nk=1", {{"A", "k", nullptr}}, "[A]\r\nx=1\r\n"},
        {"remove every section of a name", "; top\r\n[A]\r\na=1\r\n; about B\r\n[B]\r\nb=1\r\n[a] x\r\nc=1\r\n",
         {{"A", nullptr, nullptr}}, "; top\r\n[B]\r\nb=1\r\n"},
        {"remove what is absent", "[A]\r\na=1", {{"A", "b", nullptr}, {"B", "b", nullptr}, {"B", nullptr, nullptr}},
         "[A]\r\na=1"},
        {"same value again", "[A]\r\na= 1\r\n", {{"A", "a", "1"}}, "[A]\r\na= 1\r\n"},
        {"bytes that are not text stay", "\xff\xfe\r\n[A]\r\n\x82\r\nk=\x80\r\n[\x85\x40]\r\n",
         {{"A", "j", "\x81"}, {"\x85\x40", "k", "1"}},
         "\xff\xfe\r\n[A]\r\n\x82\r\nk=\x80\r\nj=\x81\r\n[\x85\x40]\r\nk=1\r\n"},
        {"a name with a trail byte \"]\"", "", {{"\x83\x5d", "k", "1"}, {"\x83\x5d", "k", "2"}}, "[\x83\x5d]\r\nk=2\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        put(catalogue, c.before);
        for (const Edit &e : c.edits)
            EXPECT_TRUE(write(e.section, e.key, e.value));
        EXPECT_EQ(contents(catalogue), c.after);
    }
}

// A catalogue as Windows' CD player leaves it, with keys Marel never touches.
TEST_F(Profile, SavingAndDeletingEntriesKeepEveryOtherByteOfAWindowsCatalogue)
{
    const auto sj = cp932::fromUtf8;
    const std::string head = "; CD Player database\r\n"
                             "\r\n"
                             "[7A0C5B08]\r\n"
                             "EntryType=1\r\n"
                             "artist=" + sj("山下達郎") + "\r\n"
                             "title=" + sj("ＭＥＬＯＤＩＥＳ") + "\r\n"
                             "numtracks=3\r\n"
                             "0=" + sj("悲しみのジャック") + "\r\n"
                             "1=" + sj("ソー・マッチ・イン・ラヴ") + "\r\n"
                             "2=" + sj("メリー・ゴー・ラウンド") + "\r\n"
                             "order=0 1 2\r\n"
                             "numplay=3\r\n"
                             "\r\n";
    const std::string deleted = "[3F2A1B0C]\r\n"
                                "EntryType=1\r\n"
                                "artist=" + sj("ﾃｽﾄ") + "\r\n"
                                "title=Old\r\n"
                                "numtracks=1\r\n"
                                "0=" + sj("ｿﾅﾀ") + "\r\n"
                                "\r\n";
    const std::string tail = "[1A2B3C4D]\r\n"
                             "EntryType=1\r\n"
                             "artist=Various\r\n"
                             "title=" + sj("\"ベスト\"") + "\r\n"
                             "numtracks=0\r\n";
    put(catalogue, head + deleted + tail);

    const auto save = [&](const char *disc, const std::vector<std::string> &tracks, const std::string &title) {
        for (std::size_t i = 0; i < tracks.size(); ++i)
            EXPECT_TRUE(write(disc, std::to_string(i).c_str(), tracks[i].c_str()));
        EXPECT_TRUE(write(disc, std::to_string(tracks.size()).c_str(), nullptr));
        EXPECT_TRUE(write(disc, "numtracks", std::to_string(tracks.size()).c_str()));
        EXPECT_TRUE(write(disc, "title", title.c_str()));
        EXPECT_TRUE(write(disc, "artist", ""));
    };
    save("7a0c5b08", {sj("悲しみのジャック"), sj("ソー・マッチ")}, sj("ＭＥＬＯＤＩＥＳ"));
    save("FF", {sj("ﾄﾗｯｸ")}, sj("新しい"));
    EXPECT_TRUE(write("3F2A1B0C", nullptr, nullptr));

    EXPECT_EQ(contents(catalogue),
              "; CD Player database\r\n"
              "\r\n"
              "[7A0C5B08]\r\n"
              "EntryType=1\r\n"
              "artist=\r\n"
              "title=" + sj("ＭＥＬＯＤＩＥＳ") + "\r\n"
              "numtracks=2\r\n"
              "0=" + sj("悲しみのジャック") + "\r\n"
              "1=" + sj("ソー・マッチ") + "\r\n"
              "order=0 1 2\r\n"
              "numplay=3\r\n"
              "\r\n" + tail +
              "[FF]\r\n"
              "0=" + sj("ﾄﾗｯｸ") + "\r\n"
              "numtracks=1\r\n"
              "title=" + sj("新しい") + "\r\n"
              "artist=\r\n");
    EXPECT_EQ(read("1A2B3C4D", "title"), sj("ベスト"));
    EXPECT_EQ(read("3F2A1B0C", "title"), "(default)");
}

TEST_F(Profile, TheFirstWriteCreatesTheFolderAndTheFile)
{
    EXPECT_EQ(read("Setup", "x"), "(default)");
    EXPECT_TRUE(write("Setup", "x", nullptr));
    EXPECT_TRUE(write("Setup", nullptr, nullptr));
    EXPECT_FALSE(fs::exists(windows)); // removing nothing writes nothing

    for (const char *key : {"x", "y", "h", "h1"})
        EXPECT_TRUE(write("Setup", key, "10"));
    EXPECT_EQ(contents(catalogue), "[Setup]\r\nx=10\r\ny=10\r\nh=10\r\nh1=10\r\n");

    // A path is used as given; its folder is not made.
    EXPECT_TRUE(write("S", "k", "v", path("marel.ini").c_str()));
    EXPECT_EQ(contents(path("marel.ini")), "[S]\r\nk=v\r\n");
    EXPECT_FALSE(write("S", "k", "v", path("no/marel.ini").c_str()));
}

TEST_F(Profile, AnExistingFileIsFoundUnderAnyCase)
{
    put(windows + "/CDPLAYER.INI", "[A]\r\nk=1\r\n");
    EXPECT_EQ(read("A", "k"), "1");
    EXPECT_TRUE(write("A", "k", "2"));
    EXPECT_EQ(contents(windows + "/CDPLAYER.INI"), "[A]\r\nk=2\r\n");
    EXPECT_FALSE(fs::exists(catalogue));
}

TEST_F(Profile, RefusesWhatWouldNotReadBack)
{
    put(catalogue, "[A]\r\nk=1\r\n");
    const Edit refused[] = {
        {"A", "k", "two\r\nlines"}, {"A", "k", "a\rb"}, {"A", "x=y", "1"}, {"A", ";k", "1"},
        {"A", "[k]", "1"},          {"A]", "k", "1"},   {"A\n", "k", "1"}, {nullptr, "k", "1"},
    };
    for (const Edit &e : refused)
        EXPECT_FALSE(write(e.section, e.key, e.value));
    EXPECT_FALSE(write("A", "k", "1", nullptr));
    EXPECT_EQ(contents(catalogue), "[A]\r\nk=1\r\n");
}

TEST_F(Profile, FailedWritesAreReportedAndLeaveTheFile)
{
    fs::create_directories(path("folder.ini"));
    put(path("plain"), "x");
    EXPECT_FALSE(write("A", "k", "1", path("folder.ini").c_str()));
    EXPECT_FALSE(write("A", "k", "1", path("plain/x.ini").c_str()));
    EXPECT_EQ(read("A", "k", path("folder.ini").c_str()), "(default)");

    put(catalogue, "[A]\r\nk=old\r\n");
    EXPECT_EQ(read("A", "k"), "old");
    {
        FileSizeLimit full(64);
        EXPECT_FALSE(write("A", "k", std::string(100, 'n').c_str()));
    }
    EXPECT_EQ(contents(catalogue), "[A]\r\nk=old\r\n");
    EXPECT_EQ(read("A", "k"), "old");
}

} // namespace
