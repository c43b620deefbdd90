// A RAR package through libarchive: the header list, every entry's data,
// and the search for one member.
#include "fuzz_input.h"
#include "update/rar_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CRarArchive archive;
    if (archive.Open(data, size) && archive.Rewind()) {
        RarItem item;
        std::string bytes;
        for (size_t n = 0; n <= archive.Items().size() && archive.Next(item) == 1; ++n)
            if (!item.folder) archive.ReadData(bytes);
    }
    std::string member;
    CRarArchive::FindMember(data, size, "update.xml", member);
    return 0;
}
