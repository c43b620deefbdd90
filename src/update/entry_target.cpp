#include "entry_target.h"

#include <algorithm>

namespace {

// Windows may drop trailing dots and spaces from a path level, so any
// level made of nothing else ("...", ". .") is treated like "..". A lone
// "." stays: it names the folder itself.
bool ClimbsUp(const std::string& level) {
    return level.find_first_not_of(". ") == std::string::npos && level != ".";
}

}  // namespace

bool MakeEntryTarget(const std::string& entryName, EntryTarget& target) {
    std::string name;
    for (char c : entryName) {
        if (c == '"') continue;
        if (c == '/') c = '\\';
        if (c == '\\' && !name.empty() && name.back() == '\\') continue;
        name += c;
    }
    if (name.empty() || name[0] == '\\' || name.find(':') != std::string::npos) return false;
    const bool folder = name.back() == '\\';
    if (folder) name.pop_back();
    for (size_t at = 0; at <= name.size();) {
        const size_t end = std::min(name.find('\\', at), name.size());
        if (ClimbsUp(name.substr(at, end - at))) return false;
        at = end + 1;
    }
    if (name.empty()) return false;
    target.relative = name;
    target.folder = folder;
    return true;
}
