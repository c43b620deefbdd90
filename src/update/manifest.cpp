#include "manifest.h"

#include "entry_target.h"

#include <tinyxml2.h>

#include <cstdlib>
#include <cstring>

using tinyxml2::XMLElement;

namespace {

std::wstring Wide(const std::string& s) {
    std::wstring out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        uint32_t cp = 0xFFFD;
        size_t n = 1;
        if (c < 0x80) cp = c;
        else if ((c >> 5) == 0x6 && i + 1 < s.size()) cp = (c & 0x1F) << 6 | (s[i + 1] & 0x3F), n = 2;
        else if ((c >> 4) == 0xE && i + 2 < s.size()) cp = (c & 0x0F) << 12 | (s[i + 1] & 0x3F) << 6 | (s[i + 2] & 0x3F), n = 3;
        else if ((c >> 3) == 0x1E && i + 3 < s.size())
            cp = (c & 0x07) << 18 | (s[i + 1] & 0x3F) << 12 | (s[i + 2] & 0x3F) << 6 | (s[i + 3] & 0x3F), n = 4;
        i += n;
        if (cp >= 0x10000 && sizeof(wchar_t) == 2) {
            cp -= 0x10000;
            out += wchar_t(0xD800 + (cp >> 10));
            out += wchar_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += wchar_t(cp);
        }
    }
    return out;
}

EPackType TypeOf(const char* t) {
    if (!t) return ptUnknown;
    static const char* const kNames[] = {"full", "ext", "int", "add", "increment"};
    for (int i = 0; i < 5; ++i)
        if (!std::strcmp(t, kNames[i])) return EPackType(i);
    return ptUnknown;
}

int PlatformOf(const char* p) {
    if (p && !std::strcmp(p, "32")) return 1;
    if (p && !std::strcmp(p, "64")) return 2;
    return 0;
}

uint64_t Number(const XMLElement* e, const char* name) {
    const char* v = e->Attribute(name);
    return v && *v ? std::strtoull(v, nullptr, 10) : 0;
}

std::wstring Text(const XMLElement* parent, const char* name) {
    const XMLElement* e = parent->FirstChildElement(name);
    const char* t = e ? e->GetText() : nullptr;
    return t ? Wide(t) : std::wstring();
}

const XMLElement* InfoFor(const XMLElement* pack, const std::string& language) {
    for (const XMLElement* i = pack->FirstChildElement("INFO"); i; i = i->NextSiblingElement("INFO")) {
        const char* lang = i->Attribute("lang");
        if (lang && language == lang) return i;
    }
    return nullptr;
}

bool ReadPack(const XMLElement* e, PackInfo& p) {
    const char* file = e->Attribute("file");
    if (!file) return false;
    p.type = TypeOf(e->Attribute("type"));
    p.platform = PlatformOf(e->Attribute("platform"));
    p.file = Wide(file);
    p.crc = uint32_t(Number(e, "crc"));
    p.size = Number(e, "size");
    const char* sha256 = e->Attribute("sha256");
    p.sha256 = sha256 ? sha256 : "";
    return true;
}

// The first FILE child and every following sibling element. With
// `installed` (files the checker looks at), each name must be a path
// inside the installation folder:
// the checker opens installFolder\name, and a name like "..\x" or "COM1"
// makes the manifest unreadable instead.
template <class F>
bool ForEachFile(const XMLElement* parent, bool installed, F f) {
    for (const XMLElement* e = parent->FirstChildElement("FILE"); e; e = e->NextSiblingElement()) {
        if (std::strcmp(e->Name(), "FILE") != 0) continue;
        const char* file = e->Attribute("file");
        EntryTarget target;
        if (!file || (installed && (!MakeEntryTarget(file, target) || target.folder))) return false;
        if (!f(e, std::string(file))) return false;
    }
    return true;
}

bool Accepted(const PackInfo& p, const ManifestOptions& o) { return p.platform == 0 || p.platform == o.platform; }

}  // namespace

std::wstring ManifestPath(const std::string& utf8) {
    std::wstring path = Wide(utf8);
    for (wchar_t& c : path)
        if (c >= L'A' && c <= L'Z') c = wchar_t(c - L'A' + L'a');
    return path;
}

bool CManifest::Parse(const std::string& text, const ManifestOptions& o) {
    *this = CManifest();
    tinyxml2::XMLDocument doc;
    if (doc.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS || !doc.RootElement()) return false;
    auto stopped = [&o] { return o.stopRequested && o.stopRequested(); };
    const XMLElement* root = doc.RootElement();
    for (const XMLElement* e = root->FirstChildElement("PACK"); e; e = e->NextSiblingElement("PACK")) {
        if (stopped()) return true;
        PackInfo pack;
        if (!ReadPack(e, pack)) return false;
        if (!Accepted(pack, o)) continue;
        packs[pack.file] = pack;
        std::map<std::wstring, FileRecord>* table = &files;
        std::wstring program;
        bool record = true;
        switch (pack.type) {
        case ptIncrement:
            increments.push_back({pack.file, pack.size, {}});
            table = &increments.back().files;
            break;
        case ptExt:
            if (const XMLElement* info = InfoFor(e, o.language)) {
                std::wstring help = Text(info, "HELP");
                for (size_t at; (at = help.find(L"\\n")) != std::wstring::npos;) help.replace(at, 2, L"\n");
                const char* sel = info->Attribute("sel");
                program = Text(info, "EXEC");
                extAddOns.push_back({pack.file, Text(info, "NAME"), program, help, Text(info, "CMDL"),
                                     !sel || std::strcmp(sel, "false") != 0});
            }
            break;
        case ptInt:
            if (const XMLElement* info = InfoFor(e, o.language))
                intAddOns.push_back({pack.file, Text(info, "EXEC"), Text(info, "NAME")});
            break;
        case ptAdd:
            if (!o.addPackages.count(pack.file)) continue;
            break;
        case ptUnknown:
            record = false;
            break;
        case ptFull:
            break;
        }
        if ((pack.type == ptFull || pack.type == ptExt || pack.type == ptInt) && o.launcherOnly) record = false;
        bool stop = false;
        const bool ok = ForEachFile(e, record, [&](const XMLElement* f, const std::string& name) {
            if (stopped()) {
                stop = true;
                return false;
            }
            if (record)
                (*table)[ManifestPath(name)] = {pack.file, pack.type == ptExt ? program : std::wstring(), pack.type,
                                                uint32_t(Number(f, "crc")), Number(f, "size")};
            return true;
        });
        if (stop) return true;
        if (!ok) return false;
    }
    for (const XMLElement* ignore = root->FirstChildElement("IGNORE"); ignore;
         ignore = ignore->NextSiblingElement("IGNORE")) {
        const bool ok = ForEachFile(ignore, false, [&](const XMLElement*, const std::string& raw) {
            const std::string value = raw.substr(0, 255);  // the kept text area holds 256 bytes
            if (value.empty()) return true;
            if (value.size() > 2 && value.compare(0, 2, "*\\") == 0)
                keptNames.insert(ManifestPath(value.substr(2)));
            else
                keptPaths.insert(ManifestPath(value));
            return true;
        });
        if (!ok) return false;
    }
    return true;
}

bool ParseOldManifest(const std::string& text, const ManifestOptions& o, std::map<std::wstring, OldFileRecord>& files) {
    files.clear();
    tinyxml2::XMLDocument doc;
    if (doc.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS || !doc.RootElement()) return false;
    for (const XMLElement* e = doc.RootElement()->FirstChildElement("PACK"); e; e = e->NextSiblingElement("PACK")) {
        PackInfo pack;
        if (!ReadPack(e, pack)) return false;
        if (!Accepted(pack, o) || pack.type == ptExt || pack.type == ptIncrement || pack.type == ptUnknown) continue;
        if (pack.type == ptAdd && !o.addPackages.count(pack.file)) continue;
        const bool ok = ForEachFile(e, true, [&](const XMLElement* f, const std::string& name) {
            files[ManifestPath(name)] = {pack.file, uint32_t(Number(f, "crc")), Number(f, "size")};
            return true;
        });
        if (!ok) return false;
    }
    return true;
}

bool ReadLauncherInfo(const std::string& text, LauncherInfo& info) {
    tinyxml2::XMLDocument doc;
    if (doc.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS || !doc.RootElement()) return false;
    const XMLElement* root = doc.RootElement();
    const char* version = root->Attribute("launcherVersion");
    const char* size = root->Attribute("launcherSize");
    // The version becomes part of a file name in tmp\: anything but a
    // dotted number could lead that name out of the folder.
    if (!version || !size || !*version || strspn(version, "0123456789.") != strlen(version)) return false;
    info.version = version;
    info.size = std::strtoll(size, nullptr, 10);
    const char* crc = root->Attribute("launcherCRC");
    info.crcPresent = crc && *crc;
    info.crc = info.crcPresent ? uint32_t(std::strtoul(crc, nullptr, 10)) : 0;
    const char* url = root->Attribute("launcherUrl");
    info.url = url ? url : "";
    const char* sha256 = root->Attribute("launcherSHA256");
    info.sha256 = sha256 ? sha256 : "";
    return true;
}

std::string ManifestRootAttribute(const std::string& text, const char* name) {
    tinyxml2::XMLDocument doc;
    if (doc.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS || !doc.RootElement()) return {};
    const char* value = doc.RootElement()->Attribute(name);
    return value ? value : "";
}
