#pragma once
// The update manifest (update.xml): packs, the files each installs, add-on
// descriptions, ignore lists and the launcher that belongs to the version.
// Portable: parsed by the integrity checker's thread and by the host tools.
// Paths are wide, relative to the installation folder and lowered (A-Z).

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

enum EPackType { ptFull = 0, ptExt = 1, ptInt = 2, ptAdd = 3, ptIncrement = 4, ptUnknown = 5 };

struct PackInfo {
    EPackType type = ptUnknown;
    int platform = 0;  // 0 every platform, 1 32-bit, 2 64-bit
    std::wstring file;
    uint32_t crc = 0;
    uint64_t size = 0;
    std::string sha256;  // "sha256" as written (signed sets), else empty
};

struct FileRecord {
    std::wstring pack;
    std::wstring program;  // EXEC of an "ext" pack's description
    EPackType type = ptFull;
    uint32_t crc = 0;
    uint64_t size = 0;
};

struct IncrementPack {
    std::wstring pack;
    uint64_t size = 0;
    std::map<std::wstring, FileRecord> files;
};

struct ExtAddOn {
    std::wstring pack, name, exec, help, cmdl;
    bool selected = true;
};

struct IntAddOn {
    std::wstring pack, exec, name;
};

struct OldFileRecord {
    std::wstring pack;
    uint32_t crc = 0;
    uint64_t size = 0;
};

struct ManifestOptions {
    int platform = 2;                   // the running system: 1 or 2
    std::string language;               // current language code
    std::set<std::wstring> addPackages; // packs listed in addpkg.dat
    bool launcherOnly = false;          // record no files of full/ext/int packs
    std::function<bool()> stopRequested;
};

struct LauncherInfo {
    std::string version;
    int64_t size = 0;
    bool crcPresent = false;
    uint32_t crc = 0;
    std::string url;
    std::string sha256;  // launcherSHA256 as written (signed sets), else empty
};

class CManifest {
public:
    // False for text that is not well-formed XML, a PACK/FILE that cannot
    // be read, or a recorded FILE whose path would leave the installation
    // folder or name a device. A stop request ends the parse early with success.
    bool Parse(const std::string& text, const ManifestOptions& options);

    std::map<std::wstring, PackInfo> packs;
    std::map<std::wstring, FileRecord> files;
    std::vector<IncrementPack> increments;
    std::vector<ExtAddOn> extAddOns;
    std::vector<IntAddOn> intAddOns;
    std::set<std::wstring> keptNames;  // IGNORE entries written "*\name"
    std::set<std::wstring> keptPaths;
};

// The old manifest's files (full, int and listed add packs).
bool ParseOldManifest(const std::string& text, const ManifestOptions& options,
                      std::map<std::wstring, OldFileRecord>& files);

// False when launcherVersion or launcherSize is missing, or the version is
// not a dotted number: then the manifest offers no launcher.
bool ReadLauncherInfo(const std::string& text, LauncherInfo& info);

// UTF-8 to wide text, lowered A-Z.
std::wstring ManifestPath(const std::string& utf8);

// A root attribute such as "clientVersion" or "modification"; empty when
// it is missing or the text does not parse.
std::string ManifestRootAttribute(const std::string& text, const char* name);
