#pragma once
// Millisecond clock and locale-dependent date/time texts. No state; any thread.

#include <windows.h>

#include <cstdint>

// Milliseconds since 1 January 1970 UTC.
int64_t CurrentTimeMs();

// Reads the locale's long/short date or time picture into out[256] and
// filters it to the token classes in `mask` (0x7FF keeps it whole).
// Returns the length written plus one, or 0 on failure.
int LocaleFormatPicture(wchar_t* out, LCID locale, bool isDate, bool isLong, uint32_t mask);

// Writes "<date> <time>" for `timeMs` (ms since 1970 UTC) in local time into
// out[128]; an empty picture leaves its half empty. Returns the length
// written plus one, or 0 when formatting fails or the area is full.
int FormatLocalDateTime(wchar_t* out, int64_t timeMs, LCID locale, const wchar_t* datePicture,
                        const wchar_t* timePicture);
