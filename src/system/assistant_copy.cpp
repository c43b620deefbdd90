#include "system/assistant_copy.h"

#include "startup/crc32.h"
#include "startup/find_files.h"
#include "startup/folders.h"
#include "system/owner_only_descriptor.h"

#include <windows.h>

namespace {

constexpr uint64_t kLargestLauncher = 256ull << 20;

}  // namespace

std::wstring CreateAssistantFolder(const std::wstring& temp) {
    COwnerOnlyDescriptor access;
    if (!access.Build()) return {};
    for (int attempt = 0; attempt < 10; ++attempt) {
        wchar_t placeholder[MAX_PATH];
        if (!GetTempFileNameW(temp.c_str(), L"LauncherAssistant", 0, placeholder)) return {};
        std::wstring folder = placeholder;
        const size_t dot = folder.rfind(L'.');
        if (dot != std::wstring::npos) folder.erase(dot);
        if (CreateDirectoryW(folder.c_str(), access.Attributes())) return folder;
        DeleteFileW(placeholder);
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

std::wstring AssistantCopyPath(const std::wstring& folder) {
    return folder + L"\\" + folder.substr(folder.rfind(L'\\') + 1) + L".exe";
}

void RemoveAssistantFolder(const std::wstring& folder) {
    for (CFindFiles find(folder + L"\\*"); find.Found(); find.Next()) {
        if (find.IsFolder()) continue;
        const std::wstring file = folder + L"\\" + find.Name();
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(file.c_str());
    }
    RemoveDirectoryW(folder.c_str());
    DeleteFileW((folder + L".tmp").c_str());
}

bool IsExactCopy(const std::wstring& copy, const std::wstring& original) {
    std::string a, b;
    if (!ReadWholeFile(copy, a, kLargestLauncher) || !ReadWholeFile(original, b, kLargestLauncher)) return false;
    return a.size() == b.size() && Crc32(a.data(), a.size()) == Crc32(b.data(), b.size());
}
