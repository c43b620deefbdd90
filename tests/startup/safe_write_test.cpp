#include "startup/safe_write.h"

#include "common/small_disk.h"
#include "common/temp_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

class SafeWrite : public TempFolderTest {};

}  // namespace

TEST_F(SafeWrite, ReplacesTheWholeFileAndLeavesNoNeighbour) {
    const std::wstring file = path(L"state.dat");
    WriteFileBytes(file, std::string(5000, 'o'));
    ASSERT_TRUE(WriteFileSafely(file, "new", 3));
    EXPECT_EQ("new", ReadFileBytes(file));
    EXPECT_FALSE(PathExists(SafeWriteNeighbour(file)));
    ASSERT_TRUE(WriteFileSafely(path(L"fresh.dat"), "", 0));
    EXPECT_TRUE(PathExists(path(L"fresh.dat")));
}

TEST_F(SafeWrite, AFullDiskKeepsTheOldFile) {
    const CSmallDisk disk(path(L"disk"), 64);
    ASSERT_TRUE(disk.Mounted());
    const std::wstring file = path(L"disk\\state.dat");
    WriteFileBytes(file, "old state");
    ASSERT_TRUE(disk.Fill(L"filler"));
    const std::string bytes(128 * 1024, 'n');
    EXPECT_FALSE(WriteFileSafely(file, bytes.data(), bytes.size()));
    EXPECT_EQ(DWORD(ERROR_DISK_FULL), GetLastError());
    EXPECT_EQ("old state", ReadFileBytes(file));
    EXPECT_FALSE(PathExists(SafeWriteNeighbour(file)));
}
