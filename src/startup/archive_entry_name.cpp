#include "archive_entry_name.h"

#include <archive_entry.h>

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#endif

std::string ArchiveEntryName(archive_entry* entry) {
    std::string name;
#ifdef _WIN32
    if (const wchar_t* wide = archive_entry_pathname_w(entry)) {
        const int wlen = int(wcslen(wide));
        const int n = WideCharToMultiByte(CP_UTF8, 0, wide, wlen, nullptr, 0, nullptr, nullptr);
        name.resize(size_t(n > 0 ? n : 0));
        if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide, wlen, &name[0], n, nullptr, nullptr);
    }
#endif
    if (name.empty()) {
        const char* utf8 = archive_entry_pathname_utf8(entry);
        if (utf8) name = utf8;
    }
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}
