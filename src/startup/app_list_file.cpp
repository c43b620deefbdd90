#include "app_list_file.h"

#include "handle.h"

std::wstring AppListPath(const std::wstring& folder) { return folder + L"\\applist.dat"; }

bool ReadAppListFile(const std::wstring& folder, std::vector<AppListRecord>& list) {
    CFile file(CreateFileW(AppListPath(folder).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.IsValid()) {
        list.clear();
        return true;
    }
    // A list over the limit is refused before it is read.
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || uint64_t(size.QuadPart) >= kAppListRecordLimit * sizeof(AppListRecord))
        return false;
    std::string bytes(size_t(size.QuadPart), '\0');
    DWORD got = 0;
    if (!bytes.empty() && (!ReadFile(file.Get(), &bytes[0], DWORD(bytes.size()), &got, nullptr) || got != bytes.size()))
        return false;
    return ParseAppListRecords(bytes, list);
}
