#pragma once
// Which packs an update downloads: the packs of the files that need it,
// or one increment (delta) pack when it covers every such file and is not
// bigger than those packs together. Portable.

#include "update/manifest.h"

#include <string>
#include <vector>

struct NeededFile {
    std::wstring path;
    std::wstring pack;
};

// Pack names in name order; sizes are summed in 64 bits.
std::vector<std::wstring> ChooseDownloads(const std::vector<NeededFile>& needed,
                                          const std::map<std::wstring, PackInfo>& packs,
                                          const std::vector<IncrementPack>& increments);
