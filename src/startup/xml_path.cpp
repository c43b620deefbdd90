#include "xml_path.h"

#include <cerrno>
#include <cstdlib>

using tinyxml2::XMLElement;

const XMLElement* XmlElement(const XMLElement* base, const std::string& path) {
    const XMLElement* e = base;
    size_t at = 0;
    while (e && at <= path.size()) {
        const size_t end = std::min(path.find('/', at), path.size());
        if (end > at) e = e->FirstChildElement(path.substr(at, end - at).c_str());
        at = end + 1;
    }
    return e;
}

bool XmlText(const XMLElement* base, const std::string& path, std::string& out) {
    if (!base) return false;
    const size_t slash = path.rfind('/');
    const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string parent = slash == std::string::npos ? std::string() : path.substr(0, slash);
    const XMLElement* e = XmlElement(base, parent);
    if (!e) return false;
    if (last == "text()") {
        const char* text = e->GetText();
        if (!text) return false;
        out = text;
        return true;
    }
    if (last.size() > 1 && last[0] == '@') {
        const char* value = e->Attribute(last.c_str() + 1);
        if (!value) return false;
        out = value;
        return true;
    }
    return false;
}

bool XmlBool(const XMLElement* base, const std::string& path, bool& out) {
    std::string text;
    if (!XmlText(base, path, text)) return false;
    if (text == "true" || text == "1") out = true;
    else if (text == "false" || text == "0") out = false;
    else return false;
    return true;
}

bool XmlInt(const XMLElement* base, const std::string& path, int64_t& out) {
    std::string text;
    if (!XmlText(base, path, text) || text.empty()) return false;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
    if (errno || *end) return false;
    out = v;
    return true;
}
