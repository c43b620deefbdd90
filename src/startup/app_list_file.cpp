#include "app_list_file.h"

#include "handle.h"

std::wstring AppListPath(const std::wstring& folder) { return folder + L"\\applist.dat"; }

bool ReadAppListFile(const std::wstring& folder, std::vector<AppListRecord>& list) {
    CFile file(CreateFileW(AppListPath(folder).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.IsValid()) {
        list.clear();
        return true;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart % sizeof(AppListRecord) != 0 ||
        size.QuadPart / sizeof(AppListRecord) >= 100000)
        return false;
    std::vector<AppListRecord> read(size_t(size.QuadPart / sizeof(AppListRecord)));
    DWORD got = 0;
    const DWORD want = DWORD(read.size() * sizeof(AppListRecord));
    if (want && (!ReadFile(file.Get(), read.data(), want, &got, nullptr) || got != want)) return false;
    list.swap(read);
    return true;
}

std::wstring RecordText(const wchar_t* field, size_t capacity) {
    size_t n = 0;
    while (n < capacity && field[n]) ++n;
    return std::wstring(field, n);
}
