#include "net/httx_503_answer.h"

#include "startup/date_time.h"
#include "startup/text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const LCID kEnglish = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);

std::string Page(const std::string& year, const std::string& extra = "") {
    return "<?xml version=\"1.0\"?><html><body>"
           "<div id=\"time\"><span class=\"year\">" + year + "</span><span class=\"month\">1</span>"
           "<span class=\"day\">2</span><span class=\"hour\">3</span><span class=\"minute\">4</span></div>"
           "<div id=\"en\"><h1 class=\"title\">Maintenance</h1><p class=\"line1\">We are\xC2\xA0updating.</p>"
           "<p class=\"line2\">Back at <span class=\"time\">x</span> 100%s <b>bold</b>!</p></div>" + extra +
           "</body></html>";
}

struct Pictures {
    wchar_t date[256] = {};
    wchar_t time[256] = {};
    Pictures() {
        LocaleFormatPicture(date, kEnglish, true, true, 0x7FF);
        LocaleFormatPicture(time, kEnglish, false, false, 0x27E000);
    }
};

// The local rendering of 2 January <year> 03:04 UTC.
std::string Rendered(int year, const Pictures& p) {
    SYSTEMTIME st{};
    st.wYear = WORD(year);
    st.wMonth = 1;
    st.wDay = 2;
    st.wHour = 3;
    st.wMinute = 4;
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    const int64_t ms = (((int64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) / 10000) - 11644473600000LL;
    wchar_t text[128];
    EXPECT_NE(0, FormatLocalDateTime(text, ms, kEnglish, p.date, p.time));
    return WideToUtf8(text);
}

}  // namespace

TEST(Httx503Answer, FutureEndTimeIsShownInLineTwo) {
    Pictures p;
    std::string title, message;
    bool shown = false;
    ASSERT_TRUE(ParseHttx503Answer(Page("2030").c_str(), "en", title, message, shown, kEnglish, p.date, p.time));
    EXPECT_EQ("Maintenance", title);
    EXPECT_TRUE(shown);
    // The page's own "%s" stays text; only the time element is replaced.
    EXPECT_EQ("We are updating.\n\nBack at " + Rendered(2030, p) + " 100%s !", message);
}

TEST(Httx503Answer, PastEndTimeLeavesLineOneAlone) {
    Pictures p;
    std::string title, message;
    bool shown = true;
    ASSERT_TRUE(ParseHttx503Answer(Page("2020").c_str(), "en", title, message, shown, kEnglish, p.date, p.time));
    EXPECT_FALSE(shown);
    EXPECT_EQ("We are updating.", message);
}

TEST(Httx503Answer, OtherLanguageIsNotRecognised) {
    Pictures p;
    std::string title, message;
    bool shown = false;
    EXPECT_FALSE(ParseHttx503Answer(Page("2030").c_str(), "ru", title, message, shown, kEnglish, p.date, p.time));
}

TEST(Httx503Answer, CyrillicTextKeepsItsLetters) {
    Pictures p;
    // "Работы" holds the byte A0 inside the letter Р (D0 A0).
    const std::string page = "<html><div id=\"ru\"><b class=\"title\">\xD0\xA0\xD0\xB0\xD0\xB1</b>"
                             "<i class=\"line1\">\xD0\xA0\xD0\xB0\xC2\xA0\xD0\xB1</i></div></html>";
    std::string title, message;
    bool shown = false;
    ASSERT_TRUE(ParseHttx503Answer(page.c_str(), "ru", title, message, shown, kEnglish, p.date, p.time));
    EXPECT_EQ("\xD0\xA0\xD0\xB0\xD0\xB1", title);
    EXPECT_EQ("\xD0\xA0\xD0\xB0 \xD0\xB1", message);
}

TEST(Httx503Answer, DamagedPagesAreNotRecognised) {
    Pictures p;
    std::string title, message;
    bool shown = false;
    const char* pages[] = {
        "<html><body>down",                                                               // not XML
        "plain text",                                                                     // not XML
        "<html><div id=\"en\"><h1 class=\"title\">T</h1></div></html>",                   // no line1
        "<html><div id=\"en\"><h1 class=\"title\">T</h1><p class=\"line1\"></p></div></html>",  // empty line1
        "<html><div id=\"en\"><p class=\"line1\">L</p></div></html>",                     // no title
        "<html><div class=\"x\" id=\"en\"><h1 class=\"title\">T</h1><p class=\"line1\">L</p></div></html>",
    };
    for (const char* page : pages)
        EXPECT_FALSE(ParseHttx503Answer(page, "en", title, message, shown, kEnglish, p.date, p.time)) << page;
    EXPECT_FALSE(ParseHttx503Answer(nullptr, "en", title, message, shown, kEnglish, p.date, p.time));
    EXPECT_FALSE(ParseHttx503Answer("", "en", title, message, shown, kEnglish, p.date, p.time));
    EXPECT_FALSE(ParseHttx503Answer(Page("2030").c_str(), "", title, message, shown, kEnglish, p.date, p.time));
}
