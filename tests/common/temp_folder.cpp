#include "common/temp_folder.h"

#include <windows.h>

#include <fstream>
#include <sstream>

void ForceRemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW d;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &d);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = d.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                ForceRemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(find, &d));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
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
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD written = 0;
    WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(h);
    ASSERT_EQ(bytes.size(), written);
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string out;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
    CloseHandle(h);
    return out;
}

bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
