#include "date_time.h"

#include "locale_picture.h"

#include <cwchar>
#include <string>

namespace {
constexpr int64_t kEpochDifference100ns = 116444736000000000LL;
constexpr int64_t kEpochDifferenceMs = 11644473600000LL;
constexpr int kPictureArea = 256;
constexpr int kDateTimeArea = 128;
}  // namespace

int64_t CurrentTimeMs() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    const int64_t t = (int64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return (t - kEpochDifference100ns) / 10000;
}

int LocaleFormatPicture(wchar_t* out, LCID locale, bool isDate, bool isLong, uint32_t mask) {
    const LCTYPE type = isDate ? (isLong ? LOCALE_SLONGDATE : LOCALE_SSHORTDATE)
                               : (isLong ? LOCALE_STIMEFORMAT : LOCALE_SSHORTTIME);
    wchar_t picture[kPictureArea];
    if (!GetLocaleInfoW(locale, type, picture, kPictureArea)) return 0;
    const std::wstring filtered =
        mask == kPictureWhole ? std::wstring(picture) : FilterPicture(picture, isDate, mask);
    if (filtered.size() >= size_t(kPictureArea)) return 0;
    wmemcpy(out, filtered.c_str(), filtered.size() + 1);
    return int(filtered.size()) + 1;
}

int FormatLocalDateTime(wchar_t* out, int64_t timeMs, LCID locale, const wchar_t* datePicture,
                        const wchar_t* timePicture) {
    const int64_t t = (timeMs + kEpochDifferenceMs) * 10000;
    FILETIME utc{DWORD(t & 0xFFFFFFFF), DWORD(uint64_t(t) >> 32)};
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return 0;
    int used = 0;
    out[0] = L'\0';
    if (datePicture && *datePicture) {
        const int n = GetDateFormatW(locale, 0, &st, datePicture, out, kDateTimeArea);
        if (n <= 0) return 0;
        used = n - 1;
    }
    if (used + 1 >= kDateTimeArea) return 0;
    out[used++] = L' ';
    out[used] = L'\0';
    if (timePicture && *timePicture) {
        const int n = GetTimeFormatW(locale, 0, &st, timePicture, out + used, kDateTimeArea - used);
        if (n <= 0) return 0;
        used += n - 1;
    }
    return used + 1;
}
