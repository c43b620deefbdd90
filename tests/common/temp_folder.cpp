#include "common/temp_folder.h"

#include "startup/find_files.h"
#include "startup/handle.h"

#include <fstream>
#include <sstream>

namespace {

using WineUnixName = char*(CDECL*)(const wchar_t*);

WineUnixName WineUnixNameCall() {
    return reinterpret_cast<WineUnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

}  // namespace

bool RunUnixTool(const std::string& tool, std::initializer_list<std::wstring> paths) {
    const WineUnixName unixName = WineUnixNameCall();
    if (!unixName) return false;
    std::string command = "Z:\\bin\\" + tool;
    for (const std::wstring& path : paths) {
        char* name = unixName(path.c_str());
        if (!name) return false;
        command += std::string(" \"") + name + "\"";
        HeapFree(GetProcessHeap(), 0, name);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CHandle thread(process.hThread), handle(process.hProcess);
    DWORD code = 1;
    return WaitForSingleObject(handle.Get(), 10000) == WAIT_OBJECT_0 && GetExitCodeProcess(handle.Get(), &code) &&
           code == 0;
}

namespace {

bool IsReparsePoint(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

bool MakeDirectoryLink(const std::wstring& link, const std::wstring& target) {
    if (!CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) || !IsReparsePoint(link))
        RunUnixTool("ln -s", {target, link});
    // Wine may report a Unix program ended before its work shows.
    for (int i = 0; i < 100 && !IsReparsePoint(link); ++i) Sleep(20);
    return IsReparsePoint(link);
}

void RemoveDirectoryLink(const std::wstring& link) {
    if (!RunUnixTool("rm -f", {link})) RemoveDirectoryW(link.c_str());
}

void ForceRemoveTree(const std::wstring& path) {
    for (CFindFiles find(path + L"\\*"); find.Found(); find.Next()) {
        const std::wstring name = find.Name();
        if (name == L"." || name == L"..") continue;
        const std::wstring child = path + L"\\" + name;
        if (find.Data().dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            RemoveDirectoryLink(child);
            continue;
        }
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (find.IsFolder())
            ForceRemoveTree(child);
        else
            DeleteFileW(child.c_str());
    }
    // Wine does not list a link whose target is gone, so such a link keeps
    // the folder; rm sees it.
    if (!RemoveDirectoryW(path.c_str()) && GetLastError() == ERROR_DIR_NOT_EMPTY) RunUnixTool("rm -rf", {path});
}

void TempFolderTest::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::string name = std::string(info->test_suite_name()) + "." + info->name();
    const std::wstring root = std::wstring(temp) + L"launcher-tests";
    CreateDirectoryW(root.c_str(), nullptr);
    dir_ = root + L"\\" + std::wstring(name.begin(), name.end());
    ForceRemoveTree(dir_);
    ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr)) << "cannot create the test folder";
}

void TempFolderTest::TearDown() {
    if (!HasFailure()) ForceRemoveTree(dir_);
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    CFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.IsValid());
    DWORD written = 0;
    WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
    ASSERT_EQ(bytes.size(), written);
}

std::string ReadFileBytes(const std::wstring& path) {
    const CFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    if (!file.IsValid()) return {};
    std::string out;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(file.Get(), buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
    return out;
}

void MakeSparseFile(const std::wstring& path, uint64_t size) {
    CFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.IsValid());
    LARGE_INTEGER end;
    end.QuadPart = LONGLONG(size);
    ASSERT_TRUE(SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.Get()));
}

bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
