// The "/setlongname" parameters a renaming copy of the launcher reads from
// its command line, and the in-place check of the two folders.
#include "fuzz_input.h"
#include "system/renaming_parameters.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RenamingParameters p;
    if (ParseKeptParameters(FuzzWide(data, size), p)) {
        IsRenameInPlace(p.folder, p.newFolder);
        IsRenameInPlace(p.newFolder, p.oldFullName);
        // The switch the launcher writes for these values reads back the same.
        p.folder = L"C:\\Games\\Old";
        const std::wstring line = RenamingSwitch(p);
        const std::wstring kept = line.substr(line.find(L"\"", line.find(L"\"", line.find(L"\"") + 1) + 1));
        RenamingParameters q;
        FUZZ_CHECK(ParseKeptParameters(kept, q) && q.newFolder == p.newFolder && q.oldShortName == p.oldShortName &&
                   q.oldFullName == p.oldFullName && q.oldRegPath == p.oldRegPath &&
                   q.oldIconName == p.oldIconName && q.actionId == p.actionId);
    }
    return 0;
}
