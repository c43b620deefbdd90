// Archive entry names as libarchive gives them, and the target path below
// the installation folder made of them: never rooted, never with a drive
// or stream, never a level up (a lone "." names the folder itself).
#include "fuzz_input.h"
#include "startup/archive_entry_name.h"
#include "update/entry_target.h"

#include <archive_entry.h>

#include <algorithm>

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string name = FuzzBytes(data, size);
    name.erase(std::find(name.begin(), name.end(), '\0'), name.end());
    std::unique_ptr<archive_entry, void (*)(archive_entry*)> entry(archive_entry_new(), archive_entry_free);
    archive_entry_update_pathname_utf8(entry.get(), name.c_str());
    const std::string entryName = ArchiveEntryName(entry.get());
    for (const std::string& candidate : {name, entryName}) {
        EntryTarget target;
        if (!MakeEntryTarget(candidate, target)) continue;
        FUZZ_CHECK(!target.relative.empty() && target.relative.front() != '\\' && target.relative.back() != '\\');
        FUZZ_CHECK(target.relative.find(':') == std::string::npos && target.relative.find('/') == std::string::npos);
        FUZZ_CHECK(!HasClimbingLevel(target.relative, true));
    }
    return 0;
}
