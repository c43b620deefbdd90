#include "startup/text.h"

#include <gtest/gtest.h>

TEST(TextConversion, Utf8RoundTripKeepsEmbeddedZeros) {
    const std::string utf8("\xD0\x9F\xD1\x80\xD0\xB8\0\xE2\x82\xAC!", 11);  // "При", zero, "€!"
    const std::wstring wide = Utf8ToWide(utf8);
    ASSERT_EQ(6u, wide.size());
    EXPECT_EQ(wchar_t(0x041F), wide[0]);
    EXPECT_EQ(L'\0', wide[3]);
    EXPECT_EQ(wchar_t(0x20AC), wide[4]);
    EXPECT_EQ(utf8, WideToUtf8(wide));
}

TEST(TextConversion, InvalidUtf8BecomesReplacementCharacter) {
    const std::wstring wide = Utf8ToWide("a\xFF" "b");
    ASSERT_EQ(3u, wide.size());
    EXPECT_EQ(wchar_t(0xFFFD), wide[1]);
}

TEST(TextConversion, EmptyInputsAndAnsiAscii) {
    EXPECT_TRUE(Utf8ToWide("").empty());
    EXPECT_TRUE(WideToUtf8(L"").empty());
    EXPECT_TRUE(AnsiToWide("").empty());
    EXPECT_TRUE(WideToAnsi(L"").empty());
    EXPECT_EQ(std::wstring(L"plain\0text", 10), AnsiToWide(std::string("plain\0text", 10)));
    EXPECT_EQ(std::string("ab\0c", 4), WideToAnsi(std::wstring(L"ab\0c", 4)));
}
