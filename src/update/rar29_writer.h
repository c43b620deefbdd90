#pragma once
// Writes RAR archives in the 2.9 format with stored (uncompressed)
// entries: the marker block, the archive header, one file header plus
// data per entry, and the end-of-archive header. Names are kept as given
// (backslash-separated); non-ASCII names are stored as UTF-8 with the
// Unicode flag. Entries over 4 GiB use the large-file fields. The archives
// are not solid: libarchive, which reads them in the launcher, refuses
// solid RAR 2.9 archives. Portable.

#include <cstdint>
#include <string>
#include <vector>

struct RarEntry {
    std::string name;     // "theme_kx\\config.xml"
    std::string data;     // file bytes; ignored for folders
    bool folder = false;
};

// A fixed time stamp keeps archives of the same content byte-identical.
constexpr uint32_t kRarDefaultDosTime = (uint32_t(2020 - 1980) << 25) | (1u << 21) | (1u << 16);

std::string WriteRar29(const std::vector<RarEntry>& entries, uint32_t dosTime = kRarDefaultDosTime);
