#include "common/temp_folder.h"

#include "startup/find_files.h"
#include "startup/handle.h"

#include <fstream>
#include <sstream>

void ForceRemoveTree(const std::wstring& path) {
    for (CFindFiles find(path + L"\\*"); find.Found(); find.Next()) {
        const std::wstring name = find.Name();
        if (name == L"." || name == L"..") continue;
        const std::wstring child = path + L"\\" + name;
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (find.IsFolder())
            ForceRemoveTree(child);
        else
            DeleteFileW(child.c_str());
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

bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
