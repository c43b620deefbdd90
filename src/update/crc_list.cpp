#include "crc_list.h"

#include "startup/handle.h"
#include "startup/module_resources.h"

#include <cstdio>

bool WriteCrcList() {
    const wchar_t kName[] = L"crc.txt";
    uint32_t value = 0;
    const DWORD error = LauncherChecksum(nullptr, ChecksumVariant::A, value);
    char text[64];
    if (error)
        snprintf(text, sizeof text, "%s %d", "error", int(error));
    else
        snprintf(text, sizeof text, "%u", unsigned(value));

    CFile file(CreateFileW(kName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) {
        // A read-only leftover blocks the file; clear it for the next run.
        const DWORD attributes = GetFileAttributesW(kName);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
            SetFileAttributesW(kName, attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
            DeleteFileW(kName);
        }
        return false;
    }
    DWORD written = 0;
    const DWORD length = DWORD(strlen(text));
    return WriteFile(file.Get(), text, length, &written, nullptr) && written == length && !error;
}
