#pragma once
// Which packs an update downloads: the packs of the files that need it,
// or one increment (delta) pack when it covers every such file and is not
// bigger than those packs together. Portable.

#include "update/manifest.h"

#include <cstdint>
#include <string>
#include <vector>

// Byte sums stop at the largest value instead of wrapping: a manifest may
// claim absurd sizes, and a wrapped sum would pass a disk-space check.
inline uint64_t AddBytes(uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; }

struct NeededFile {
    std::wstring path;
    std::wstring pack;
};

// Pack names in name order; sizes are summed in 64 bits.
std::vector<std::wstring> ChooseDownloads(const std::vector<NeededFile>& needed,
                                          const std::map<std::wstring, PackInfo>& packs,
                                          const std::vector<IncrementPack>& increments);
