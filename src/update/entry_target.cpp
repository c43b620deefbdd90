#include "entry_target.h"

#include <algorithm>
#include <cctype>

namespace {

// Windows may drop trailing dots and spaces from a path level, so any
// level made of nothing else ("...", ". .") is treated like "..". A lone
// "." stays: it names the folder itself.
bool ClimbsUp(const std::string& level) {
    return level.find_first_not_of(". ") == std::string::npos && level != ".";
}

// Windows opens a device, not a file, for these names at any level and
// with any extension ("nul.txt", "COM1 .log"), and it drops trailing dots
// and spaces, so "a.txt." would land on "a.txt".
bool NamesNoFile(const std::string& level) {
    if (level != "." && (level.back() == '.' || level.back() == ' ')) return true;
    std::string base = level.substr(0, level.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = char(std::toupper(static_cast<unsigned char>(c)));
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (base == device) return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
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
        const std::string level = name.substr(at, end - at);
        if (ClimbsUp(level) || (!level.empty() && NamesNoFile(level))) return false;
        at = end + 1;
    }
    if (name.empty()) return false;
    target.relative = name;
    target.folder = folder;
    return true;
}
