// applist.dat as read from an installation folder: whole records of two
// zero-padded UTF-16LE fields. What is read writes back byte for byte, a
// field's text stops at its first zero or its end, and a text set into a
// field reads back cut so that the zero fits.
#include "fuzz_input.h"
#include "startup/app_list_record.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes = FuzzBytes(data, size);
    std::vector<AppListRecord> list;
    const bool read = ParseAppListRecords(bytes, list);
    FUZZ_CHECK(read == (size % sizeof(AppListRecord) == 0 && size / sizeof(AppListRecord) < kAppListRecordLimit));
    if (!read) return 0;
    FUZZ_CHECK(AppListBytes(list) == bytes);
    for (AppListRecord& record : list) {
        const std::wstring name = RecordText(record.name, 65), exec = RecordText(record.exec, 261);
        FUZZ_CHECK(name.size() <= 65 && name.find(L'\0') == std::wstring::npos);
        FUZZ_CHECK(exec.size() <= 261 && exec.find(L'\0') == std::wstring::npos);
        AppListRecord copy{};
        SetRecordText(copy.name, 65, exec);
        SetRecordText(copy.exec, 261, name);
        FUZZ_CHECK(RecordText(copy.name, 65) == exec.substr(0, 64) && RecordText(copy.exec, 261) == name);
    }
    return 0;
}
