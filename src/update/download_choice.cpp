#include "download_choice.h"

#include <set>

std::vector<std::wstring> ChooseDownloads(const std::vector<NeededFile>& needed,
                                          const std::map<std::wstring, PackInfo>& packs,
                                          const std::vector<IncrementPack>& increments) {
    std::set<std::wstring> chosen;
    for (const NeededFile& f : needed) chosen.insert(f.pack);
    const IncrementPack* best = nullptr;
    for (const IncrementPack& inc : increments) {
        bool covers = true;
        for (const NeededFile& f : needed)
            if (!inc.files.count(f.path)) {
                covers = false;
                break;
            }
        if (covers && (!best || inc.size < best->size)) best = &inc;
    }
    if (!needed.empty() && best) {
        uint64_t sum = 0;
        for (const std::wstring& pack : chosen) {
            const auto it = packs.find(pack);
            if (it != packs.end()) sum = AddBytes(sum, it->second.size);
        }
        if (sum >= best->size) chosen = {best->pack};
    }
    std::vector<std::wstring> out;
    for (const std::wstring& pack : chosen)
        if (!pack.empty() && packs.count(pack)) out.push_back(pack);
    return out;
}
