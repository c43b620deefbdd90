#include "common/temp_folder.h"
#include "startup/handle.h"
#include "system/copy_whole_file.h"

#include <windows.h>

using CopyWholeFileTest = TempFolderTest;

TEST_F(CopyWholeFileTest, DestinationGetsExactlyTheSourceBytesEvenWhenReadOnly) {
    const std::string bytes("MZ\0\x01 launcher bytes", 20);
    WriteFileBytes(path(L"Launcher.tmp.exe"), bytes);
    WriteFileBytes(path(L"Launcher.exe"), std::string(100000, 'o'));
    ASSERT_TRUE(SetFileAttributesW(path(L"Launcher.exe").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(CopyWholeFile(path(L"Launcher.tmp.exe"), path(L"Launcher.exe")));
    EXPECT_EQ(bytes, ReadFileBytes(path(L"Launcher.exe")));
    EXPECT_FALSE(PathExists(path(L"Launcher.exe.new")));
    ASSERT_TRUE(CopyWholeFile(path(L"Launcher.tmp.exe"), path(L"New.exe")));
    EXPECT_EQ(bytes, ReadFileBytes(path(L"New.exe")));
}

TEST_F(CopyWholeFileTest, AFailedAttemptLeavesTheDestinationAsItWas) {
    WriteFileBytes(path(L"Launcher.tmp.exe"), "new");
    WriteFileBytes(path(L"Launcher.exe"), "old");
    {
        // The old launcher still runs from its file: nobody may replace it.
        const CFile held(CreateFileW(path(L"Launcher.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.IsValid());
        EXPECT_FALSE(CopyWholeFile(path(L"Launcher.tmp.exe"), path(L"Launcher.exe")));
    }
    EXPECT_EQ("old", ReadFileBytes(path(L"Launcher.exe")));
    EXPECT_FALSE(PathExists(path(L"Launcher.exe.new")));
    // A missing source never empties the destination.
    EXPECT_FALSE(CopyWholeFile(path(L"Missing.exe"), path(L"Launcher.exe")));
    EXPECT_EQ("old", ReadFileBytes(path(L"Launcher.exe")));
    EXPECT_TRUE(CopyWholeFile(path(L"Launcher.tmp.exe"), path(L"Launcher.exe")));
    EXPECT_EQ("new", ReadFileBytes(path(L"Launcher.exe")));
}
