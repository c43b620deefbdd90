#pragma once
// Writing the update manifest (update.xml) in the form the launcher's
// parser (manifest.h) reads, and reading such a document back into the
// same model so a publisher's tool can amend it. Output is deterministic:
// attributes and elements in a fixed order, UTF-8, "\n" line ends.
// Portable.

#include <cstdint>
#include <string>
#include <vector>

struct ManifestDocFile {
    std::string file;  // relative path, backslash-separated, UTF-8
    uint32_t crc = 0;
    uint64_t size = 0;
};

struct ManifestDocInfo {
    std::string lang;
    bool sel = true;
    std::string name, exec, cmdl;
    std::string help;  // line feeds are written as backslash-n
};

struct ManifestDocPack {
    std::string type = "full";  // full, ext, int, add, increment
    std::string platform;       // "", "32" or "64"
    std::string file;
    uint32_t crc = 0;
    uint64_t size = 0;
    std::string sha256;  // 64 hexadecimal digits in signed sets; written only when not empty
    std::vector<ManifestDocInfo> infos;
    std::vector<ManifestDocFile> files;
};

struct ManifestDocument {
    std::string clientVersion;
    std::string modification;
    bool hasLauncher = false;
    std::string launcherVersion;
    uint64_t launcherSize = 0;
    bool hasLauncherCrc = false;
    uint32_t launcherCrc = 0;
    std::string launcherUrl;  // written only when not empty
    std::string launcherSha256;  // as sha256 of a pack
    std::vector<ManifestDocPack> packs;
    std::vector<std::string> ignores;  // values of IGNORE/FILE/@file
};

std::string WriteManifest(const ManifestDocument& doc);

// False with a reason for text that is not such a document (XML errors,
// PACK or FILE without "file").
bool ReadManifestDocument(const std::string& text, ManifestDocument& doc, std::string& error);

// The stamp of a manifest's content: the first 16 hexadecimal digits of
// the SHA-256 over every pack's type, platform and files (path, CRC, size)
// in document order, increments left out. Equal stamps mean equal files.
std::string ContentStamp(const ManifestDocument& doc);
