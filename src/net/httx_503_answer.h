#pragma once
// The maintenance page a server sends with status 503: per language a
// title and message lines, and possibly the time service returns. Any
// thread; no state.

#include <windows.h>

#include <string>

// body: the zero-terminated answer body (XHTML); languageCode: "en", "ru"...
// Title and message come out as UTF-8. The end time, when it lies in the
// future and line2 asks for it, is formatted in local time with the
// pictures (see LocaleFormatPicture) and appended after two line feeds.
// False when the page is not recognised; the caller then uses its own texts.
bool ParseHttx503Answer(const char* body, const char* languageCode, std::string& title, std::string& message,
                        bool& timeShown, LCID locale, const wchar_t* datePicture, const wchar_t* timePicture);
