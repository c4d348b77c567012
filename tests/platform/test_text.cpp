#include "platform/error.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace std::string_literals;

TEST(Cp932, DecodesCharactersAndEscapesWhatIsNotText)
{
    struct Case {
        std::string bytes;
        std::u16string unicode;
    };
    const Case cases[] = {
        {"A\\~", u"A\\~"},
        {"\x82\xa0\x8a\xbf", u"あ漢"},
        {"\xb1\xdf", u"ｱﾟ"},                       // half-width katakana
        {"\x87\x54\xfa\x40", u"Ⅰⅰ"},               // NEC and IBM extensions
        {"\x80\xa0\xfd\xff", u"\xdc80\xdca0\xdcfd\xdcff"}, // bytes that are no character
        {"\x85\x40", u"\xdc85\xdc40"},              // a pair CP932 leaves unassigned
        {"\x82 a", u"\xdc82 a"},                   // a lead byte without its trail
        {"a\x82", u"a\xdc82"},                     // cut off at the end
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(cp932::toUnicode(c.bytes), QString::fromStdU16String(c.unicode));
        EXPECT_EQ(cp932::fromUnicode(QString::fromStdU16String(c.unicode)), c.bytes);
    }
}

// Only the lead bytes 0x87, 0xED, 0xEE and 0xFA to 0xFC begin codes that share
// their character with another code; every other byte sequence comes back
// exactly, whether or not it is text.
TEST(Cp932, AnyBytesSurviveTheWidgetBoundary)
{
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> byte(0, 255);
    const std::string shared = "\x87\xed\xee\xfa\xfb\xfc";
    for (int round = 0; round < 5000; ++round) {
        std::string bytes(std::size_t(byte(random) % 24), '\0');
        for (char &b : bytes)
            do
                b = char(byte(random));
            while (shared.find(b) != std::string::npos);
        ASSERT_EQ(cp932::fromUnicode(cp932::toUnicode(bytes)), bytes);
    }
}

TEST(Cp932, SharedCharactersComeBackInTheCodeWindowsWrites)
{
    struct Case {
        std::string read, written;
    };
    const Case cases[] = {
        {"\xed\x40", "\xfa\x5c"}, // 纊: NEC-selected IBM extension -> IBM extension
        {"\x87\x90", "\x81\xe0"}, // ≒: NEC row 13 -> JIS
        {"\xfa\x4a", "\x87\x54"}, // Ⅰ: IBM extension -> NEC row 13
        {"\xfa\x54", "\x81\xca"}, // ￢
    };
    for (const Case &c : cases)
        EXPECT_EQ(cp932::fromUnicode(cp932::toUnicode(c.read)), c.written);
}

TEST(Cp932, WhatCannotBeStoredBecomesAQuestionMark)
{
    EXPECT_EQ(cp932::fromUnicode(u"aé😀b\xd800"), "a??b?");
}

TEST(Cp932, FixedTextsConvertFromUtf8)
{
    EXPECT_EQ(cp932::fromUtf8("ﾌｧｲﾙ は開けません"), "\xcc\xa7\xb2\xd9 \x82\xcd\x8aJ\x82\xaf\x82\xdc\x82\xb9\x82\xf1");
}

TEST(Cp932, WidthAndStorability)
{
    struct Case {
        char32_t ch;
        std::size_t width;
    };
    const Case cases[] = {
        {U'A', 1}, {U'ｱ', 1}, {U'あ', 2}, {U'Ⅰ', 2}, {0xdc85, 1}, {U'é', 0}, {U'한', 0}, {U'😀', 0}, {0xd800, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(unsigned(c.ch));
        EXPECT_EQ(cp932::byteWidth(c.ch), c.width);
        EXPECT_EQ(cp932::canEncode(c.ch), c.width != 0);
    }
    EXPECT_EQ(cp932::byteWidth(u"aｱあ\xdc85"), 5u);
    EXPECT_TRUE(cp932::canEncode(u"aｱあ\xdc85"));
    EXPECT_FALSE(cp932::canEncode(u"ab😀"));
    EXPECT_FALSE(cp932::canEncode(QStringView(u"\xd83d"))); // half a pair
}

TEST(Cp932, CutNeverSplitsADoubleByteCharacter)
{
    struct Case {
        std::string text;
        std::size_t n;
        std::string head;
    };
    const Case cases[] = {
        {"abc", 0, ""},
        {"abc", 2, "ab"},
        {"abc", 9, "abc"},
        {"a\x82\xa0", 2, "a"},
        {"a\x82\xa0", 3, "a\x82\xa0"},
        {"\x82\xa0\x82\xa2", 3, "\x82\xa0"},
        {"\xb1\xb2", 1, "\xb1"},                // half-width: one byte each
        {"a\x82", 2, "a\x82"},                  // a lone lead byte stands alone
        {"\x82 b", 1, "\x82"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text + " " + std::to_string(c.n));
        EXPECT_EQ(cp932::cut(c.text, c.n), c.head);
    }
}

TEST(Cp932, CaseFoldingLeavesTrailBytesAlone)
{
    EXPECT_EQ(cp932::foldCase("7A0C5B08"), "7a0c5b08");
    EXPECT_EQ(cp932::foldCase("\x83\x41Z"), "\x83\x41z"); // ア keeps its trail "A"
    EXPECT_TRUE(cp932::equalsCaseless("Title", "tITLE"));
    EXPECT_FALSE(cp932::equalsCaseless("\x83\x41", "\x83\x61")); // ア and ツ
    EXPECT_FALSE(cp932::equalsCaseless("ab", "abc"));
}

TEST(StrToInt, AcceptsDecimalAndHexadecimal)
{
    struct Case {
        std::string text;
        int value;
    };
    const Case cases[] = {
        {"0", 0},           {"123", 123},      {"  -45", -45},        {"+7", 7},
        {"007", 7},         {"2147483647", 2147483647},  {"-2147483647", -2147483647},
        {"$1F", 31},        {"x1f", 31},       {"X10", 16},           {"0x7fffffff", 2147483647},
        {"0XFFFFFFFF", -1}, {" $A", 10},       {"0000000000000001", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(StrToInt(c.text), c.value);
    }
}

TEST(StrToInt, RefusesEverythingElse)
{
    for (const std::string &text : {""s, " "s, "2147483648"s, "-2147483648"s, "12a"s, "1 "s, "\t5"s, "--1"s, "+-1"s,
                                   "-"s, "$"s, "0x"s, "$123456789"s, "-$1"s, "1.5"s, "\x82\xa0"s}) {
        SCOPED_TRACE(text);
        try {
            StrToInt(text);
            ADD_FAILURE() << "no error";
        } catch (const EConvertError &e) {
            EXPECT_EQ(e.what(), "'" + text + cp932::fromUtf8("' は整数ではありません"));
        }
    }
}

TEST(LenientInt, ReadsTheLeadingNumberAndSaturates)
{
    struct Case {
        std::string text;
        int value;
    };
    const Case cases[] = {
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"-2", -2},
        {" +7", 7},
        {"\t\r\n 42", 42},
        {"+", 0},
        {"- 5", 0},
        {"+-5", 0},
        {"2147483647", 2147483647},
        {"2147483648", 2147483647},
        {"99999999999999999999999", 2147483647},
        {"-2147483648", -2147483648},
        {"-2147483649", -2147483648},
        {"-99999999999999999999999", -2147483648},
        {"00000000000000000000012", 12},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(LenientInt(c.text), c.value);
    }
}

} // namespace
