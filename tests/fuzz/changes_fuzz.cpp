// changes.dat and the version ranges of configured actions. The first
// bytes up to a zero are a version range "start-end", the rest the file.
#include "fuzz_input.h"
#include "update/changes_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = FuzzBytes(data, size);
    const size_t zero = input.find('\0');
    const std::string range = input.substr(0, zero);
    const std::string file = zero == std::string::npos ? std::string() : input.substr(zero + 1);
    const size_t dash = range.find('-');
    const std::string start = range.substr(0, dash), end = dash == std::string::npos ? "" : range.substr(dash + 1);
    ParseDottedVersion(start);
    CChangesList list;
    list.Parse(file);
    CChangesList again;
    again.Parse(list.Bytes());
    FUZZ_CHECK(again.Bytes() == list.Bytes());
    VersionInRange(list.version(), start, end);
    for (int id : {0, 1, 7}) list.Applies(id, start, end);
    if (list.Record(7)) FUZZ_CHECK(list.Recorded(7));
    return 0;
}
