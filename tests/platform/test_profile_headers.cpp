#include "profile_fixture.h"

// A header is "[" name "]" read in CP932: a name ending in a lead byte would
// swallow the "]" as its trail byte, and the section would never read back.
TEST_F(Profile, SectionNamesEndingInALeadByteAreRefused)
{
    put(catalogue, "[A]\r\nk=1\r\n");
    for (const char *section : {"A\x81", "\x81", "\x83\x5d\x81 ", "[[\x81"})
        EXPECT_FALSE(write(section, "k", "1")) << section;
    EXPECT_EQ(contents(catalogue), "[A]\r\nk=1\r\n");

    // A double-byte character whose trail byte is "]" closes nothing.
    EXPECT_TRUE(write("\x83\x5d", "k", "2"));
    EXPECT_EQ(read("\x83\x5d", "k"), "2");
    EXPECT_EQ(contents(catalogue), "[A]\r\nk=1\r\n[\x83\x5d]\r\nk=2\r\n");
}
