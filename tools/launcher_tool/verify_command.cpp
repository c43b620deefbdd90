// verify: compares an installed folder with a manifest the way the
// launcher's integrity checker does (CRC-32 and size of every file the
// manifest lists) and lists what its cleanup would remove; for a set
// folder also the signature (with the publisher's keys) and the SHA-256 of
// the packs and the launcher that a signed manifest names.

#include "client_tree.h"
#include "commands.h"
#include "options.h"
#include "file_io.h"
#include "pack_writer.h"
#include "set_files.h"
#include "signing.h"
#include "update/manifest_writer.h"
#include "update/manifest.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

std::string Narrow(const std::wstring& w) {
    std::string out;
    for (size_t i = 0; i < w.size(); ++i) {
        uint32_t c = uint32_t(w[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < w.size())
            c = 0x10000 + ((c - 0xD800) << 10) + (uint32_t(w[++i]) - 0xDC00);
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | c >> 6);
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | c >> 12);
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | c >> 18);
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring Widen(const std::string& s) {
    std::wstring out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const int n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
        uint32_t cp = n == 1 ? c : c & (0x3F >> (n - 1));
        for (int k = 1; k < n && i + size_t(k) < s.size(); ++k) cp = cp << 6 | (uint32_t(s[i + size_t(k)]) & 0x3F);
        i += size_t(n);
        if (cp >= 0x10000 && sizeof(wchar_t) == 2) {
            out += wchar_t(0xD800 + ((cp - 0x10000) >> 10));
            out += wchar_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += wchar_t(cp);
        }
    }
    return out;
}

std::wstring Key(const std::string& rel) {
    std::wstring k = ManifestPath(rel);
    for (wchar_t& c : k)
        if (c == L'/') c = L'\\';
    return k;
}

std::wstring Extension(const std::wstring& name) {
    const size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos || dot == 0 ? std::wstring() : name.substr(dot + 1);
}

// The checker's cleanup keeps a file or folder not in the manifest when its
// path or name is kept, or (files) "*." plus its extension is a kept name.
bool Kept(const CManifest& m, const std::wstring& key, const std::wstring& name, bool file) {
    if (m.keptPaths.count(key) || m.keptNames.count(name)) return true;
    if (!file) return false;
    const std::wstring ext = Extension(name);
    return !ext.empty() && (ext == L"log" || m.keptNames.count(L"*." + ext));
}

// The folder of a set named by its folder, update.rxml or update.xml.
fs::path SetFolder(const fs::path& source) {
    std::error_code ec;
    return fs::is_directory(source, ec) ? source : source.parent_path();
}

// One line per problem: "signature ..." and "sha256 <file>" for a pack or
// launcher in the folder whose hash differs from the manifest's.
size_t CheckSignedSet(const fs::path& set, const std::string& text, const std::vector<PublisherKey>& keys) {
    size_t problems = 0;
    std::string error, manifest, signature;
    std::error_code ec;
    const bool hasSignature = fs::exists(set / kManifestSignatureName, ec);
    if (!keys.empty()) {
        if (!ReadWholeFile(U8(set / "update.rxml"), manifest, error) ||
            !ReadWholeFile(U8(set / kManifestSignatureName), signature, error) ||
            !VerifyManifestSignature(keys, manifest, signature, error) || !CheckManifestHashes(text, error)) {
            std::printf("signature %s\n", error.c_str());
            ++problems;
        } else {
            std::printf("signature good\n");
        }
    } else if (hasSignature) {
        std::printf("note: %s not checked (give --publisher-key)\n", kManifestSignatureName);
    }
    ManifestDocument doc;
    if (!ReadManifestDocument(text, doc, error)) return problems;
    for (const ManifestDocPack& p : doc.packs) {
        const fs::path file = set / fs::u8path(p.file);
        uint32_t crc;
        uint64_t size;
        std::string sha256;
        if (p.sha256.empty() || !fs::exists(file, ec)) continue;
        if (!PackChecksum(file, crc, size, sha256, error) || sha256 != p.sha256) {
            std::printf("sha256 %s\n", p.file.c_str());
            ++problems;
        }
    }
    std::string image;
    if (!doc.launcherSha256.empty() && doc.launcherUrl.empty() &&
        ReadWholeFile(U8(set / "Launcher.exe"), image, error) &&
        Sha256Hex(LauncherImageSha256(image)) != doc.launcherSha256) {
        std::printf("sha256 Launcher.exe\n");
        ++problems;
    }
    return problems;
}

}  // namespace

int Verify(const Args& args) {
    Options o;
    std::string error;
    if (!ParseOptions(args, {"--platform", "--lang", "--add", "--ext", "--launcher-name", "--publisher-key"}, {}, o,
                      error))
        return Fail(error);
    if (o.positional.size() != 2) return Usage("verify");
    std::vector<PublisherKey> keys;
    if (o.values.count("--publisher-key"))
        for (const std::string& k : o.values.at("--publisher-key")) {
            keys.emplace_back();
            if (!ReadPublicKeyArgument(k, keys.back(), error)) return Fail(error);
        }
    const fs::path folder = fs::u8path(o.positional[0]);
    std::string text;
    if (!LoadManifestText(fs::u8path(o.positional[1]), text, error)) return Fail(error);
    ManifestOptions mo;
    const std::string platform = o.Value("--platform", "64");
    if (platform != "32" && platform != "64") return Fail("--platform must be 32 or 64");
    mo.platform = platform == "32" ? 1 : 2;
    mo.language = o.Value("--lang", "en");
    if (o.values.count("--add"))
        for (const std::string& a : o.values.at("--add")) mo.addPackages.insert(Widen(a));
    CManifest m;
    if (!m.Parse(text, mo)) return Fail(o.positional[1] + ": the manifest does not parse");
    // Add-on files count when their program is selected: all, none or a
    // comma-separated list of EXEC texts.
    const std::string ext = o.Value("--ext", "all");
    std::set<std::string> selected;
    for (size_t at = 0; ext != "all" && ext != "none" && at <= ext.size();) {
        const size_t end = std::min(ext.find(',', at), ext.size());
        selected.insert(ext.substr(at, end - at));
        at = end + 1;
    }

    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return Fail(o.positional[0] + " is not a folder");
    std::map<std::wstring, fs::path> disk;  // folded relative path -> file
    std::vector<std::string> extra;
    const std::wstring launcher = Key(o.Value("--launcher-name", "Launcher.exe"));
    // The cleanup does not enter kept folders; the files the manifest lists
    // in them are still checked.
    std::vector<std::wstring> keptFolders;
    auto inKeptFolder = [&keptFolders](const std::wstring& key) {
        for (const std::wstring& k : keptFolders)
            if (key.compare(0, k.size(), k) == 0) return true;
        return false;
    };
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string rel = fs::relative(it->path(), folder, ec).generic_u8string();
        const std::wstring key = Key(rel), name = Key(it->path().filename().u8string());
        const bool isFile = !it->is_directory();
        if (isFile) disk[key] = it->path();
        if (m.files.count(key) || key == launcher || inKeptFolder(key)) continue;
        if (Kept(m, key, name, isFile)) {
            if (!isFile) keptFolders.push_back(key + L"\\");
        } else if (isFile) {
            extra.push_back(BackslashPath(rel));
        }
    }
    if (ec) return Fail("cannot list " + o.positional[0] + ": " + ec.message());

    size_t differences = 0, checked = 0;
    uint64_t bytes = 0, shown = 0;
    for (const auto& [key, record] : m.files) {
        if (record.type == ptExt && ext != "all" && (ext == "none" || !selected.count(Narrow(record.program)))) continue;
        ++checked;
        const auto found = disk.find(key);
        if (found == disk.end()) {
            std::printf("missing %s\n", Narrow(key).c_str());
            ++differences;
            continue;
        }
        uint32_t crc;
        uint64_t size;
        if (!HashFile(found->second, crc, size, error)) {
            std::printf("unreadable %s (%s)\n", Narrow(key).c_str(), error.c_str());
            ++differences;
            continue;
        }
        bytes += size;
        if (bytes - shown >= (256u << 20)) {
            shown = bytes;
            std::printf("  checked %zu files, %llu MB\n", checked, (unsigned long long)(bytes >> 20));
            std::fflush(stdout);
        }
        if (size != record.size) {
            std::printf("size %s: manifest %llu, found %llu\n", Narrow(key).c_str(), (unsigned long long)record.size,
                        (unsigned long long)size);
            ++differences;
        } else if (crc != record.crc) {
            std::printf("crc %s: manifest %u, found %u\n", Narrow(key).c_str(), record.crc, crc);
            ++differences;
        }
    }
    for (const std::string& e : extra) std::printf("extra %s\n", e.c_str());
    differences += extra.size();
    differences += CheckSignedSet(SetFolder(fs::u8path(o.positional[1])), text, keys);
    std::fflush(stdout);
    if (differences) return Fail(std::to_string(differences) + " difference(s) between " + o.positional[0] + " and the manifest");
    std::printf("%zu files match the manifest\n", checked);
    return 0;
}
