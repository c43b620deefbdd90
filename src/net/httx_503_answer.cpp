#include "httx_503_answer.h"

#include "net/httx_503_page.h"
#include "startup/date_time.h"
#include "startup/text.h"

namespace {

bool ToMs(const Httx503Page& page, int64_t& ms) {
    SYSTEMTIME st{};
    st.wYear = page.year;
    st.wMonth = page.month;
    st.wDay = page.day;
    st.wHour = page.hour;
    st.wMinute = page.minute;
    FILETIME ft;
    if (!SystemTimeToFileTime(&st, &ft)) return false;
    const int64_t t = (int64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    ms = t / 10000 - 11644473600000LL;
    return true;
}

}  // namespace

bool ParseHttx503Answer(const char* body, const char* languageCode, std::string& title, std::string& message,
                        bool& timeShown, LCID locale, const wchar_t* datePicture, const wchar_t* timePicture) {
    timeShown = false;
    Httx503Page page;
    if (!ReadHttx503Page(body, languageCode, page)) return false;

    std::string when;
    if (page.line2HasTime && page.timeFound) {
        int64_t endMs = 0;
        if (!ToMs(page, endMs)) return false;
        if (endMs > CurrentTimeMs()) {
            wchar_t text[128];
            if (!FormatLocalDateTime(text, endMs, locale, datePicture, timePicture)) return false;
            when = WideToUtf8(text);
            if (when.empty() || when.size() > 512) return false;
            timeShown = true;
        }
    }
    title = page.title;
    message = page.line1;
    if (timeShown) {
        // Inserted as text: '%' characters of the page stay as they are.
        std::string line2 = page.line2;
        line2.insert(page.timeAt, when);
        message += "\n\n" + line2;
    }
    PlainSpaces(message);
    return true;
}
