#pragma once
// A clean folder per test inside the Wine prefix's temporary folder:
// emptied before the test, removed after a passing one.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Path of the test's folder, no trailing backslash.
    const std::wstring& dir() const { return dir_; }
    std::wstring path(const std::wstring& name) const { return dir_ + L"\\" + name; }

private:
    std::wstring dir_;
};

// Small file helpers for tests.
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
// A file of `size` zero bytes that takes no disk space (a sparse file).
void MakeSparseFile(const std::wstring& path, uint64_t size);
bool PathExists(const std::wstring& path);
// Removes a tree even when it holds read-only files.
void ForceRemoveTree(const std::wstring& path);
// Runs "<tool> <arguments> <Unix name of each path>" (Wine starts Unix
// programs like Windows ones); false outside Wine or when it fails.
bool RunUnixTool(const std::string& tool, std::initializer_list<std::wstring> paths);
// A directory symbolic link as a user could leave one; true when it shows
// as a reparse point. Windows makes it with CreateSymbolicLinkW; Wine
// accepts that call without making anything but shows a Unix symbolic
// link as a reparse point, so there the link is made with ln.
bool MakeDirectoryLink(const std::wstring& link, const std::wstring& target);
// Removes such a link itself: Wine's file calls on it reach its target.
void RemoveDirectoryLink(const std::wstring& link);
