// A ZIP package or manifest archive: its directory, then every entry.
#include "fuzz_input.h"
#include "update/zip_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CSimpleMemReadStream stream(FuzzBytes(data, size));
    CZipFile zip;
    if (zip.Open(stream) != kZipOk) return 0;
    std::string out;
    for (size_t i = 0; i < zip.Entries().size(); ++i) {
        FUZZ_CHECK(zip.Find(zip.Entries()[i].name) >= 0);
        if (zip.Extract(i, out) == kZipOk) FUZZ_CHECK(out.size() == zip.Entries()[i].size);
    }
    return 0;
}
