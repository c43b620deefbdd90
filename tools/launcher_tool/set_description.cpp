#include "set_description.h"

#include <tinyxml2.h>

#include <cstring>

using tinyxml2::XMLElement;

namespace {

std::string Attr(const XMLElement* e, const char* name) {
    const char* v = e->Attribute(name);
    return v ? v : "";
}

std::string Text(const XMLElement* parent, const char* name) {
    const XMLElement* e = parent->FirstChildElement(name);
    const char* t = e ? e->GetText() : nullptr;
    return t ? t : "";
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Glob match of p against the whole of s.
bool Glob(const char* p, const char* s) {
    for (; *p; ++p, ++s) {
        if (p[0] == '*' && p[1] == '*') {
            p += 2;
            if (*p == '/') ++p;  // "**/" also matches no folder at all
            for (const char* t = s;; ++t) {
                if (Glob(p, t)) return true;
                if (!*t) return false;
            }
        }
        if (*p == '*') {
            for (const char* t = s;; ++t) {
                if (Glob(p + 1, t)) return true;
                if (!*t || *t == '/') return false;
            }
        }
        if (!*s || (*p == '?' ? *s == '/' : Lower(*p) != Lower(*s))) return false;
    }
    return !*s;
}

bool ReadPack(const XMLElement* e, PackRule& rule, std::string& error) {
    ManifestDocPack& p = rule.pack;
    p.type = Attr(e, "type");
    if (p.type.empty()) p.type = "full";
    static const char* const kTypes[] = {"full", "ext", "int", "add"};
    bool known = false;
    for (const char* t : kTypes) known |= p.type == t;
    p.file = Attr(e, "file");
    if (!known) return error = "pack " + p.file + ": type must be full, ext, int or add (increments come from make-increment)", false;
    if (p.file.size() < 5 || p.file.compare(p.file.size() - 4, 4, ".pkg") != 0 ||
        p.file.find_first_of("/\\:*?\"<>|") != std::string::npos)
        return error = "pack file '" + p.file + "' must be a plain name ending in .pkg (the launcher unpacks only .pkg downloads)", false;
    p.platform = Attr(e, "platform");
    if (!p.platform.empty() && p.platform != "32" && p.platform != "64")
        return error = "pack " + p.file + ": platform must be 32 or 64", false;
    const std::string format = Attr(e, "format");
    if (format == "rar5") rule.format = PackFormat::Rar5;
    else if (!format.empty() && format != "zip") return error = "pack " + p.file + ": format must be zip or rar5", false;
    for (const XMLElement* i = e->FirstChildElement("include"); i; i = i->NextSiblingElement("include")) {
        const std::string path = Attr(i, "path");
        if (path.empty()) return error = "pack " + p.file + ": include without path", false;
        rule.include.push_back(path);
    }
    for (const XMLElement* i = e->FirstChildElement("info"); i; i = i->NextSiblingElement("info")) {
        ManifestDocInfo info;
        info.lang = Attr(i, "lang");
        if (info.lang.empty()) return error = "pack " + p.file + ": info without lang", false;
        const std::string sel = Attr(i, "sel");
        if (!sel.empty() && sel != "true" && sel != "false")
            return error = "pack " + p.file + ": sel must be true or false", false;
        info.sel = sel != "false";
        info.name = Text(i, "name");
        info.exec = Text(i, "exec");
        info.cmdl = Text(i, "cmdl");
        info.help = Text(i, "help");
        for (size_t at; (at = info.help.find("\\n")) != std::string::npos;) info.help.replace(at, 2, "\n");
        // The program list holds 64 characters of a name and 260 of an exec.
        if (info.name.size() > 64 * 3 || info.exec.size() > 260 * 3 || info.exec.empty())
            return error = "pack " + p.file + ": info needs an exec of at most 260 and a name of at most 64 characters", false;
        p.infos.push_back(info);
    }
    if ((p.type == "ext" || p.type == "int") && p.infos.empty())
        return error = "pack " + p.file + ": " + p.type + " packs need at least one info", false;
    return true;
}

}  // namespace

bool PatternMatches(const std::string& pattern, const std::string& rel) {
    std::string pat = pattern;
    while (!pat.empty() && pat.back() == '/') pat.pop_back();
    if (Glob(pat.c_str(), rel.c_str())) return true;
    for (size_t slash = rel.find('/'); slash != std::string::npos; slash = rel.find('/', slash + 1))
        if (Glob(pat.c_str(), rel.substr(0, slash).c_str())) return true;
    return false;
}

const std::vector<std::string>& LauncherStateIgnores() {
    static const std::vector<std::string> kIgnores = {
        "*\\guest.dat",   "*\\CUD.dat",     "*\\CIF.dat",  "*\\update.xml", "*\\silent.dat", "*\\applist.dat",
        "*\\addpkg.dat",  "*\\changes.dat", "*\\crc.txt",  "*\\tmp",       "*\\ext",       "*\\logs"};
    return kIgnores;
}

bool ReadSetDescription(const std::string& text, SetDescription& d, std::string& error) {
    d = SetDescription();
    tinyxml2::XMLDocument xml;
    if (xml.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS)
        return error = std::string("description is not XML: ") + xml.ErrorStr(), false;
    const XMLElement* root = xml.RootElement();
    if (!root || std::strcmp(root->Name(), "updateSet") != 0) return error = "description's root must be updateSet", false;
    d.clientVersion = Attr(root, "clientVersion");
    if (d.clientVersion.empty()) return error = "description has no clientVersion", false;
    d.launcherUrl = Attr(root, "launcherUrl");
    const std::string rxml = Attr(root, "manifestArchive");
    if (rxml == "rar") d.manifestAsRar = true;
    else if (!rxml.empty() && rxml != "zip") return error = "manifestArchive must be zip or rar", false;
    const std::string format = Attr(root, "packFormat");
    if (!format.empty() && format != "zip" && format != "rar5") return error = "packFormat must be zip or rar5", false;
    for (const XMLElement* e = root->FirstChildElement("pack"); e; e = e->NextSiblingElement("pack")) {
        PackRule rule;
        rule.format = format == "rar5" ? PackFormat::Rar5 : PackFormat::Zip;
        if (!ReadPack(e, rule, error)) return false;
        for (const PackRule& other : d.packs)
            if (other.pack.file == rule.pack.file) return error = "pack " + rule.pack.file + " is described twice", false;
        d.packs.push_back(rule);
    }
    if (d.packs.empty()) return error = "description names no pack", false;
    for (const XMLElement* e = root->FirstChildElement("exclude"); e; e = e->NextSiblingElement("exclude"))
        d.exclude.push_back(Attr(e, "path"));
    for (const XMLElement* e = root->FirstChildElement("ignore"); e; e = e->NextSiblingElement("ignore")) {
        const std::string file = Attr(e, "file");
        // The launcher keeps 255 bytes of an IGNORE value.
        if (file.empty() || file.size() > 255) return error = "ignore entries need a file of 1 to 255 bytes", false;
        d.ignores.push_back(file);
    }
    return true;
}
