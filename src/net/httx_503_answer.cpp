#include "httx_503_answer.h"

#include "startup/date_time.h"
#include "startup/text.h"

#include <tinyxml2.h>

#include <cstdlib>
#include <cstring>

namespace {

struct PageParts {
    bool timeFound = false;
    SYSTEMTIME end{};
    bool titleFound = false;
    std::string title;
    std::string line1;
    std::string line2;
    bool line2HasTime = false;
    size_t timeAt = 0;  // where the end time goes in line2
};

bool HasClass(const tinyxml2::XMLElement* e, const char* value) {
    const char* c = e->Attribute("class");
    return c && strcmp(c, value) == 0;
}

const char* DivId(const tinyxml2::XMLElement* e) {
    if (strcmp(e->Name(), "div") != 0) return nullptr;
    const tinyxml2::XMLAttribute* first = e->FirstAttribute();
    if (!first || strcmp(first->Name(), "id") != 0) return nullptr;
    return first->Value();
}

WORD Number(const tinyxml2::XMLElement* e) {
    const char* text = e->GetText();
    return text ? WORD(strtoul(text, nullptr, 10)) : 0;
}

void ReadTimePart(const tinyxml2::XMLElement* e, PageParts& parts) {
    if (HasClass(e, "year")) parts.end.wYear = Number(e);
    else if (HasClass(e, "month")) parts.end.wMonth = Number(e);
    else if (HasClass(e, "day")) parts.end.wDay = Number(e);
    else if (HasClass(e, "hour")) parts.end.wHour = Number(e);
    else if (HasClass(e, "minute")) parts.end.wMinute = Number(e);
}

// Mixed content of line2: its own text pieces, the first "time" child as %s.
void ReadLine2(const tinyxml2::XMLElement* e, PageParts& parts) {
    parts.line2.clear();
    parts.line2HasTime = false;
    bool timeTaken = false;
    for (const tinyxml2::XMLNode* n = e->FirstChild(); n; n = n->NextSibling()) {
        if (const tinyxml2::XMLText* t = n->ToText()) {
            parts.line2 += t->Value();
        } else if (const tinyxml2::XMLElement* c = n->ToElement()) {
            if (!timeTaken && HasClass(c, "time")) {
                parts.timeAt = parts.line2.size();
                timeTaken = parts.line2HasTime = true;
            }
        }
    }
}

enum class Section { None, Time, Language };

void Visit(const tinyxml2::XMLElement* e, Section section, const char* language, PageParts& parts) {
    for (; e; e = e->NextSiblingElement()) {
        Section inner = section;
        if (const char* id = DivId(e)) {
            if (strcmp(id, "time") == 0) inner = Section::Time;
            else if (strcmp(id, language) == 0) inner = Section::Language;
        }
        if (section == Section::Time) {
            ReadTimePart(e, parts);
        } else if (section == Section::Language) {
            const char* text = e->GetText();
            if (HasClass(e, "title")) {
                parts.titleFound = true;
                parts.title = text ? text : "";
            } else if (HasClass(e, "line1")) {
                parts.line1 = text ? text : "";
            } else if (HasClass(e, "line2")) {
                ReadLine2(e, parts);
            }
        }
        if (inner == Section::Time) parts.timeFound = true;
        Visit(e->FirstChildElement(), inner, language, parts);
    }
}

bool ToMs(const SYSTEMTIME& st, int64_t& ms) {
    FILETIME ft;
    if (!SystemTimeToFileTime(&st, &ft)) return false;
    const int64_t t = (int64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    ms = t / 10000 - 11644473600000LL;
    return true;
}

// The UTF-8 no-break space (C2 A0) becomes an ordinary space. Only the
// pair is replaced: A0 alone is also a continuation byte of Cyrillic
// letters (the Russian "Р" is D0 A0), which must stay intact.
void PlainSpaces(std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (static_cast<unsigned char>(s[i]) == 0xC2 && i + 1 < s.size() &&
            static_cast<unsigned char>(s[i + 1]) == 0xA0) {
            out += ' ';
            ++i;
        } else {
            out += s[i];
        }
    }
    s.swap(out);
}

}  // namespace

bool ParseHttx503Answer(const char* body, const char* languageCode, std::string& title, std::string& message,
                        bool& timeShown, LCID locale, const wchar_t* datePicture, const wchar_t* timePicture) {
    timeShown = false;
    if (!body || !*body || !languageCode || !*languageCode) return false;
    tinyxml2::XMLDocument doc;
    if (doc.Parse(body) != tinyxml2::XML_SUCCESS) return false;
    PageParts parts;
    Visit(doc.FirstChildElement(), Section::None, languageCode, parts);
    if (!parts.titleFound || parts.line1.empty()) return false;

    std::string when;
    if (parts.line2HasTime && parts.timeFound) {
        int64_t endMs = 0;
        if (!ToMs(parts.end, endMs)) return false;
        if (endMs > CurrentTimeMs()) {
            wchar_t text[128];
            if (!FormatLocalDateTime(text, endMs, locale, datePicture, timePicture)) return false;
            when = WideToUtf8(text);
            if (when.empty() || when.size() > 512) return false;
            timeShown = true;
        }
    }
    title = parts.title;
    message = parts.line1;
    if (timeShown) {
        // Inserted as text: '%' characters of the page stay as they are.
        std::string line2 = parts.line2;
        line2.insert(parts.timeAt, when);
        message += "\n\n" + line2;
    }
    PlainSpaces(message);
    return true;
}
