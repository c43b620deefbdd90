#pragma once
// The pack description of make-update-set: an XML file that names the
// client version, the packs with the files each takes (by path patterns),
// add-on descriptions, excluded files and extra IGNORE entries. The format
// is documented in docs/update-set.md.

#include "update/manifest_writer.h"

#include <string>
#include <vector>

enum class PackFormat { Zip, Rar5 };

struct PackRule {
    ManifestDocPack pack;            // type, platform, file and the INFO texts
    PackFormat format = PackFormat::Zip;
    std::vector<std::string> include;  // patterns
};

struct SetDescription {
    std::string clientVersion;
    std::string launcherUrl;
    bool manifestAsRar = false;  // update.rxml as RAR 2.9 instead of ZIP
    std::vector<PackRule> packs;
    std::vector<std::string> exclude;
    std::vector<std::string> ignores;  // added to the launcher's own
};

bool ReadSetDescription(const std::string& text, SetDescription& d, std::string& error);

// Case-insensitive match of a '/'-separated relative path: '*' matches
// within one name, '?' one character, '**' across folders; a pattern that
// matches a leading folder matches everything below it.
bool PatternMatches(const std::string& pattern, const std::string& rel);

// The launcher's own state files and folders, which every set keeps.
const std::vector<std::string>& LauncherStateIgnores();
