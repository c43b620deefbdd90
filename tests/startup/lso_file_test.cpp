#include "startup/lso_file.h"

#include <gtest/gtest.h>

TEST(LsoFormat, EncodeDecodeRoundTripWithEmptyAndMultiLineEntries) {
    const std::vector<std::string> entries = {"", "Game Launcher", "line one\nline two", "\xD0\x9F%s"};
    const std::string bytes = EncodeLso(entries);
    EXPECT_EQ(std::string("\x04\0\0\0\0\0\0\0\0\0\0\0", 12), bytes.substr(0, 12));
    std::vector<std::string> back;
    std::string error;
    ASSERT_TRUE(DecodeLso(bytes, back, error)) << error;
    EXPECT_EQ(entries, back);
}

TEST(LsoFormat, DamagedFilesAreRefused) {
    std::vector<std::string> out;
    std::string error;
    EXPECT_FALSE(DecodeLso(std::string("\0\0\0\0\0\0\0\0", 8), out, error));  // zero count
    EXPECT_FALSE(DecodeLso(std::string("\1\0\0\0\1\0\0\0\0\0\0\0", 12), out, error));  // second word
    EXPECT_FALSE(DecodeLso(std::string("\1\0\0\0\0\0\0\0\xFF\0\0\0ab", 14), out, error));  // lying length
    EXPECT_FALSE(DecodeLso(std::string("\2\0\0\0\0\0\0\0\0\0\0\0", 12), out, error));  // missing entry
    EXPECT_FALSE(DecodeLso("abc", out, error));
}

TEST(StringSource, EscapesCommentsAndNumbering) {
    std::vector<std::string> entries;
    std::string error;
    ASSERT_TRUE(ParseStringSource("# header\n0\t\n1\ta\\nb\\\\c\r\n\n2\t%d%%\n", entries, error)) << error;
    ASSERT_EQ(3u, entries.size());
    EXPECT_EQ("", entries[0]);
    EXPECT_EQ("a\nb\\c", entries[1]);
    EXPECT_EQ("%d%%", entries[2]);
    std::vector<std::string> again;
    ASSERT_TRUE(ParseStringSource(FormatStringSource(entries, "# x\n"), again, error));
    EXPECT_EQ(entries, again);
}

TEST(StringSource, EntriesEndingInCarriageReturnsSurviveDecompiling) {
    const std::vector<std::string> entries = {"%d\r\r", "a\rb\r"};
    const std::string text = FormatStringSource(entries, "");
    std::vector<std::string> again;
    std::string error;
    ASSERT_TRUE(ParseStringSource(text, again, error)) << error;
    EXPECT_EQ(entries, again);
    ASSERT_TRUE(ParseStringSource("0\tx\\r\r\n", again, error)) << error;  // CRLF line end
    EXPECT_EQ(std::vector<std::string>{"x\r"}, again);
}

TEST(StringSource, MistakesAreReportedWithTheirLine) {
    std::vector<std::string> entries;
    std::string error;
    EXPECT_FALSE(ParseStringSource("0\t\n2\tskipped\n", entries, error));
    EXPECT_NE(std::string::npos, error.find("line 2"));
    EXPECT_FALSE(ParseStringSource("0 no tab\n", entries, error));
    EXPECT_FALSE(ParseStringSource("0\tbad \\x escape\n", entries, error));
    EXPECT_FALSE(ParseStringSource("0\tends with \\", entries, error));
    EXPECT_FALSE(ParseStringSource("# only comments\n", entries, error));
}
