#pragma once
// A clean folder per test inside the Wine prefix's temporary folder:
// emptied before the test, removed after a passing one.

#include <gtest/gtest.h>

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
bool PathExists(const std::wstring& path);
// Removes a tree even when it holds read-only files.
void ForceRemoveTree(const std::wstring& path);
