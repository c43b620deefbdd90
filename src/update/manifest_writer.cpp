#include "manifest_writer.h"

#include <openssl/evp.h>
#include <tinyxml2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

using tinyxml2::XMLElement;

namespace {

std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\n': out += "&#10;"; break;
        case '\r': out += "&#13;"; break;
        case '\t': out += "&#9;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Attr(const char* name, const std::string& value) { return std::string(" ") + name + "=\"" + Escape(value) + "\""; }

std::string Attr(const char* name, uint64_t value) { return Attr(name, std::to_string(value)); }

std::string HelpText(const std::string& help) {
    std::string out;
    for (char c : help) out += c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

void TextElement(std::string& out, const char* name, const std::string& text) {
    out += std::string("<") + name + ">" + Escape(text) + "</" + name + ">";
}

const char* Text(const XMLElement* parent, const char* name) {
    const XMLElement* e = parent->FirstChildElement(name);
    const char* t = e ? e->GetText() : nullptr;
    return t ? t : "";
}

const char* AttrOr(const XMLElement* e, const char* name) {
    const char* v = e->Attribute(name);
    return v ? v : "";
}

uint64_t Number(const XMLElement* e, const char* name) {
    const char* v = e->Attribute(name);
    return v && *v ? std::strtoull(v, nullptr, 10) : 0;
}

}  // namespace

std::string WriteManifest(const ManifestDocument& doc) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<update";
    out += Attr("clientVersion", doc.clientVersion);
    out += Attr("modification", doc.modification);
    if (doc.hasLauncher) {
        out += Attr("launcherVersion", doc.launcherVersion);
        out += Attr("launcherSize", doc.launcherSize);
        if (doc.hasLauncherCrc) out += Attr("launcherCRC", doc.launcherCrc);
        if (!doc.launcherUrl.empty()) out += Attr("launcherUrl", doc.launcherUrl);
        if (!doc.launcherSha256.empty()) out += Attr("launcherSHA256", doc.launcherSha256);
    }
    out += ">\n";
    for (const ManifestDocPack& p : doc.packs) {
        out += "  <PACK" + Attr("type", p.type);
        if (!p.platform.empty()) out += Attr("platform", p.platform);
        out += Attr("file", p.file) + Attr("crc", p.crc) + Attr("size", p.size);
        if (!p.sha256.empty()) out += Attr("sha256", p.sha256);
        out += ">\n";
        for (const ManifestDocInfo& i : p.infos) {
            out += "    <INFO" + Attr("lang", i.lang) + Attr("sel", std::string(i.sel ? "true" : "false")) + ">";
            TextElement(out, "NAME", i.name);
            TextElement(out, "EXEC", i.exec);
            TextElement(out, "CMDL", i.cmdl);
            TextElement(out, "HELP", HelpText(i.help));
            out += "</INFO>\n";
        }
        for (const ManifestDocFile& f : p.files)
            out += "    <FILE" + Attr("file", f.file) + Attr("crc", f.crc) + Attr("size", f.size) + "/>\n";
        out += "  </PACK>\n";
    }
    if (!doc.ignores.empty()) {
        out += "  <IGNORE>\n";
        for (const std::string& i : doc.ignores) out += "    <FILE" + Attr("file", i) + "/>\n";
        out += "  </IGNORE>\n";
    }
    out += "</update>\n";
    return out;
}

bool ReadManifestDocument(const std::string& text, ManifestDocument& doc, std::string& error) {
    doc = ManifestDocument();
    tinyxml2::XMLDocument xml;
    if (xml.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS || !xml.RootElement())
        return error = std::string("not a manifest: ") + (xml.ErrorStr() ? xml.ErrorStr() : "no root element"), false;
    const XMLElement* root = xml.RootElement();
    doc.clientVersion = AttrOr(root, "clientVersion");
    doc.modification = AttrOr(root, "modification");
    doc.hasLauncher = root->Attribute("launcherVersion") && root->Attribute("launcherSize");
    if (doc.hasLauncher) {
        doc.launcherVersion = AttrOr(root, "launcherVersion");
        doc.launcherSize = Number(root, "launcherSize");
        doc.hasLauncherCrc = *AttrOr(root, "launcherCRC") != 0;
        doc.launcherCrc = uint32_t(Number(root, "launcherCRC"));
        doc.launcherUrl = AttrOr(root, "launcherUrl");
        doc.launcherSha256 = AttrOr(root, "launcherSHA256");
    }
    for (const XMLElement* e = root->FirstChildElement("PACK"); e; e = e->NextSiblingElement("PACK")) {
        ManifestDocPack p;
        if (!e->Attribute("file")) return error = "a PACK has no file attribute", false;
        p.type = AttrOr(e, "type");
        p.platform = AttrOr(e, "platform");
        p.file = AttrOr(e, "file");
        p.crc = uint32_t(Number(e, "crc"));
        p.size = Number(e, "size");
        p.sha256 = AttrOr(e, "sha256");
        for (const XMLElement* i = e->FirstChildElement("INFO"); i; i = i->NextSiblingElement("INFO")) {
            ManifestDocInfo info;
            info.lang = AttrOr(i, "lang");
            info.sel = std::strcmp(AttrOr(i, "sel"), "false") != 0;
            info.name = Text(i, "NAME");
            info.exec = Text(i, "EXEC");
            info.cmdl = Text(i, "CMDL");
            info.help = Text(i, "HELP");
            for (size_t at; (at = info.help.find("\\n")) != std::string::npos;) info.help.replace(at, 2, "\n");
            p.infos.push_back(info);
        }
        for (const XMLElement* f = e->FirstChildElement("FILE"); f; f = f->NextSiblingElement("FILE")) {
            if (!f->Attribute("file")) return error = "a FILE of " + p.file + " has no file attribute", false;
            p.files.push_back({AttrOr(f, "file"), uint32_t(Number(f, "crc")), Number(f, "size")});
        }
        doc.packs.push_back(p);
    }
    for (const XMLElement* g = root->FirstChildElement("IGNORE"); g; g = g->NextSiblingElement("IGNORE"))
        for (const XMLElement* f = g->FirstChildElement("FILE"); f; f = f->NextSiblingElement("FILE")) {
            if (!f->Attribute("file")) return error = "an IGNORE entry has no file attribute", false;
            doc.ignores.push_back(AttrOr(f, "file"));
        }
    return true;
}

std::string ContentStamp(const ManifestDocument& doc) {
    std::string listing;
    for (const ManifestDocPack& p : doc.packs) {
        if (p.type == "increment") continue;
        listing += p.type + "\t" + p.platform + "\n";
        for (const ManifestDocFile& f : p.files)
            listing += f.file + "\t" + std::to_string(f.crc) + "\t" + std::to_string(f.size) + "\n";
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(listing.data(), listing.size(), digest, &length, EVP_sha256(), nullptr);
    std::string stamp;
    char hex[3];
    for (unsigned int i = 0; i < 8 && i < length; ++i) {
        std::snprintf(hex, sizeof hex, "%02x", digest[i]);
        stamp += hex;
    }
    return stamp;
}
