#include "httx_503_page.h"

#include <tinyxml2.h>

#include <cstdlib>
#include <cstring>

namespace {

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

uint16_t Number(const tinyxml2::XMLElement* e) {
    const char* text = e->GetText();
    return text ? uint16_t(strtoul(text, nullptr, 10)) : 0;
}

void ReadTimePart(const tinyxml2::XMLElement* e, Httx503Page& page) {
    if (HasClass(e, "year")) page.year = Number(e);
    else if (HasClass(e, "month")) page.month = Number(e);
    else if (HasClass(e, "day")) page.day = Number(e);
    else if (HasClass(e, "hour")) page.hour = Number(e);
    else if (HasClass(e, "minute")) page.minute = Number(e);
}

// Mixed content of line2: its own text pieces, the first "time" child as %s.
void ReadLine2(const tinyxml2::XMLElement* e, Httx503Page& page) {
    page.line2.clear();
    page.line2HasTime = false;
    bool timeTaken = false;
    for (const tinyxml2::XMLNode* n = e->FirstChild(); n; n = n->NextSibling()) {
        if (const tinyxml2::XMLText* t = n->ToText()) {
            page.line2 += t->Value();
        } else if (const tinyxml2::XMLElement* c = n->ToElement()) {
            if (!timeTaken && HasClass(c, "time")) {
                page.timeAt = page.line2.size();
                timeTaken = page.line2HasTime = true;
            }
        }
    }
}

enum class Section { None, Time, Language };

void Visit(const tinyxml2::XMLElement* e, Section section, const char* language, Httx503Page& page,
           bool& titleFound) {
    for (; e; e = e->NextSiblingElement()) {
        Section inner = section;
        if (const char* id = DivId(e)) {
            if (strcmp(id, "time") == 0) inner = Section::Time;
            else if (strcmp(id, language) == 0) inner = Section::Language;
        }
        if (section == Section::Time) {
            ReadTimePart(e, page);
        } else if (section == Section::Language) {
            const char* text = e->GetText();
            if (HasClass(e, "title")) {
                titleFound = true;
                page.title = text ? text : "";
            } else if (HasClass(e, "line1")) {
                page.line1 = text ? text : "";
            } else if (HasClass(e, "line2")) {
                ReadLine2(e, page);
            }
        }
        if (inner == Section::Time) page.timeFound = true;
        Visit(e->FirstChildElement(), inner, language, page, titleFound);
    }
}

}  // namespace

bool ReadHttx503Page(const char* body, const char* languageCode, Httx503Page& page) {
    if (!body || !*body || !languageCode || !*languageCode) return false;
    tinyxml2::XMLDocument doc;
    if (doc.Parse(body) != tinyxml2::XML_SUCCESS) return false;
    bool titleFound = false;
    Visit(doc.FirstChildElement(), Section::None, languageCode, page, titleFound);
    return titleFound && !page.line1.empty();
}

// Only the pair is replaced: A0 alone is also a continuation byte of
// Cyrillic letters (the Russian "Р" is D0 A0), which must stay intact.
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
