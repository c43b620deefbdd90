#include "startup/date_time.h"

#include <gtest/gtest.h>

#include <cwchar>

TEST(Clock, MillisecondsSinceUnixEpochAgreeWithSystemTime) {
    const int64_t ms = CurrentTimeMs();
    EXPECT_GT(ms, 1700000000000LL);  // after November 2023
    SYSTEMTIME st;
    GetSystemTime(&st);
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    const int64_t expected = ((int64_t(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) - 116444736000000000LL) / 10000;
    EXPECT_LT(std::llabs(expected - ms), 5000);
}

TEST(DateTimeText, EmptyDatePictureLeavesALeadingSpace) {
    wchar_t out[128];
    const LCID en = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
    const int n = FormatLocalDateTime(out, 0, en, L"", L"'x'");
    ASSERT_GT(n, 0);
    EXPECT_STREQ(L" x", out);
    EXPECT_EQ(3, n);
}

TEST(DateTimeText, FormatsLocalDateAndTime) {
    wchar_t out[128];
    const LCID en = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
    // 2024-01-05 12:00:00 UTC stays on the 5th in every time zone but the most extreme.
    ASSERT_GT(FormatLocalDateTime(out, 1704456000000LL, en, L"yyyy-MM", L""), 0);
    EXPECT_STREQ(L"2024-01 ", out);
}

TEST(LocalePicture, WholeAndFilteredPictures) {
    wchar_t out[256];
    const LCID en = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
    wchar_t raw[256];
    ASSERT_GT(GetLocaleInfoW(en, LOCALE_SLONGDATE, raw, 256), 0);
    const int n = LocaleFormatPicture(out, en, true, true, 0x7FF);
    ASSERT_GT(n, 0);
    EXPECT_STREQ(raw, out);
    EXPECT_EQ(int(wcslen(out)) + 1, n);

    ASSERT_GT(LocaleFormatPicture(out, en, false, true, 0x27E000), 0);
    EXPECT_EQ(nullptr, wcschr(out, L's'));  // seconds filtered out
}
