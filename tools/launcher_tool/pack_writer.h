#pragma once
// Writing one pack of an update set: a ZIP (deflate, our writer) or a RAR5
// archive made by the "rar" program, and the manifest entries of its
// files and of the pack itself.

#include "client_tree.h"
#include "set_description.h"

#include <filesystem>
#include <string>
#include <vector>

// Prints a progress line now and then while packs are written.
class CProgress {
public:
    explicit CProgress(uint64_t totalBytes) : total_(totalBytes) {}
    void Add(uint64_t bytes, const std::string& what);

private:
    uint64_t total_, done_ = 0, lastShown_ = 0;
};

// Writes `target` from `files` (paths relative to `root`) and fills the
// FILE entries, crc, size and sha256 of `pack`. Nothing is left at `target` on
// failure.
bool WritePack(const std::filesystem::path& root, const std::vector<const ClientFile*>& files, PackFormat format,
               const std::filesystem::path& target, ManifestDocPack& pack, CProgress& progress, std::string& error);

// CRC-32, size and SHA-256 (hexadecimal) of a whole file, read once (the
// launcher checks downloads this way).
bool PackChecksum(const std::filesystem::path& path, uint32_t& crc, uint64_t& size, std::string& sha256,
                  std::string& error);
