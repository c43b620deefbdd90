#pragma once
// Reading the maintenance page a server sends with status 503 (XHTML): for
// one language a title and message lines, and when service returns. The
// answer (httx_503_answer.h) formats the time and makes the message.
// Portable; no state, any thread.

#include <cstddef>
#include <cstdint>
#include <string>

struct Httx503Page {
    std::string title;
    std::string line1;
    std::string line2;          // its own text pieces, without the time
    bool line2HasTime = false;  // line2 has a "time" child; it goes at timeAt
    size_t timeAt = 0;
    bool timeFound = false;     // the page has a "time" division
    uint16_t year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

// body: the zero-terminated page; languageCode: "en", "ru"... False when
// the page does not parse or has no title or an empty line1 for the language.
bool ReadHttx503Page(const char* body, const char* languageCode, Httx503Page& page);

// The UTF-8 no-break space (C2 A0) becomes an ordinary space.
void PlainSpaces(std::string& s);
