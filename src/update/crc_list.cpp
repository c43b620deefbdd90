#include "crc_list.h"

#include "startup/module_resources.h"
#include "startup/safe_write.h"

#include <cstdio>
#include <cstring>

bool WriteCrcList() {
    const wchar_t kName[] = L"crc.txt";
    uint32_t value = 0;
    const DWORD error = LauncherChecksum(nullptr, ChecksumVariant::A, value);
    char text[64];
    if (error)
        snprintf(text, sizeof text, "%s %d", "error", int(error));
    else
        snprintf(text, sizeof text, "%u", unsigned(value));

    if (!WriteFileSafely(kName, text, strlen(text))) {
        // A read-only leftover blocks the file; clear it for the next run.
        const DWORD attributes = GetFileAttributesW(kName);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
            SetFileAttributesW(kName, attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
            DeleteFileW(kName);
        }
        return false;
    }
    return !error;
}
