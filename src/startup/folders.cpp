#include "folders.h"

#include "find_files.h"
#include "handle.h"

#include <vector>

namespace {

bool IsDots(const wchar_t* name) {
    return (name[0] == L'.' && name[1] == 0) || (name[0] == L'.' && name[1] == L'.' && name[2] == 0);
}

}  // namespace

bool FileExists(const std::wstring& path) {
    CFile f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    return f.IsValid();
}

bool IsDirectory(const std::wstring& path) {
    CFindFiles find(path);
    return find.Found() && (find.Data().dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveTrailingBackslash(std::wstring& path) {
    if (path.empty() || path.back() != L'\\') return false;
    path.pop_back();
    return true;
}

bool CreateFolderTree(std::wstring path) {
    RemoveTrailingBackslash(path);
    std::vector<std::wstring> parts;
    for (size_t i = 0; i < path.size();) {
        const size_t end = std::min(path.find(L'\\', i), path.size());
        if (end > i) parts.push_back(path.substr(i, end - i));
        i = end + 1;
    }
    if (parts.empty()) return false;
    // A rooted (\a) or UNC (\\server) path keeps its leading backslashes.
    const size_t lead = path.find_first_not_of(L'\\');
    std::wstring built = path.substr(0, std::min<size_t>(lead, 2)) + parts[0];
    for (size_t i = 1; i < parts.size(); ++i) {
        if (built.back() != L'\\') built += L'\\';
        built += parts[i];
        CFindFiles find(built);
        if (!find.Found()) {
            if (!CreateDirectoryW(built.c_str(), nullptr)) return false;
        } else if (!(find.Data().dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return false;
        }
    }
    const DWORD attr = GetFileAttributesW(built.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsLink(uint32_t attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool RemoveLink(const std::wstring& path, uint32_t attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str()) != 0 : DeleteFileW(path.c_str()) != 0;
}

bool EmptyFolder(const std::wstring& path) {
    CFindFiles find(path + L"\\*.*");
    if (!find.Found()) return false;
    bool ok = true;
    for (; find.Found(); find.Next()) {
        if (IsDots(find.Name())) continue;
        const std::wstring child = path + L"\\" + find.Name();
        const DWORD attributes = find.Data().dwFileAttributes;
        // A junction or symbolic link goes as the link: what it points to
        // lies outside this folder and is not ours to delete.
        if (IsLink(attributes))
            ok = RemoveLink(child, attributes) && ok;
        else if (find.IsFolder())
            ok = DeleteFolder(child) && ok;
        else
            ok = DeleteFileW(child.c_str()) && ok;
    }
    return ok;
}

bool DeleteFolder(std::wstring path) {
    RemoveTrailingBackslash(path);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (IsLink(attributes)) return RemoveLink(path, attributes);
    if (!EmptyFolder(path)) return false;
    return RemoveDirectoryW(path.c_str()) != 0;
}

bool IsFolderEmpty(const std::wstring& path) {
    if (!IsDirectory(path)) return true;
    CFindFiles find(path + L"\\*.*");
    if (!find.Found()) return true;
    for (; find.Found(); find.Next())
        if (!IsDots(find.Name())) return false;
    return true;
}

std::wstring GetTempFolder() {
    wchar_t buf[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH, buf);
    return n && n <= MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes, uint64_t maxBytes) {
    CFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file.IsValid() || !GetFileSizeEx(file.Get(), &size) || uint64_t(size.QuadPart) > maxBytes) return false;
    bytes.resize(size_t(size.QuadPart));
    DWORD got = 0;
    return bytes.empty() || (ReadFile(file.Get(), &bytes[0], DWORD(bytes.size()), &got, nullptr) && got == bytes.size());
}
