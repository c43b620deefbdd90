#include "common/temp_folder.h"
#include "startup/folders.h"

#include <windows.h>

using FolderTree = TempFolderTest;

TEST_F(FolderTree, CreatesMissingLevelsUnderAnExistingOne) {
    ASSERT_TRUE(CreateDirectoryW(path(L"a").c_str(), nullptr));
    EXPECT_TRUE(CreateFolderTree(path(L"a\\b\\c")));
    EXPECT_TRUE(IsDirectory(path(L"a\\b\\c")));
}

TEST_F(FolderTree, FailsWhenALevelIsAFileAndCreatesNothingBelowIt) {
    WriteFileBytes(path(L"a"), "file");
    EXPECT_FALSE(CreateFolderTree(path(L"a\\b\\c")));
    EXPECT_FALSE(PathExists(path(L"a\\b")));
    EXPECT_EQ("file", ReadFileBytes(path(L"a")));
}

TEST_F(FolderTree, DoubledAndTrailingBackslashesCountAsOne) {
    EXPECT_TRUE(CreateFolderTree(dir() + L"\\a\\\\b\\"));
    EXPECT_TRUE(IsDirectory(path(L"a\\b")));
    EXPECT_TRUE(CreateFolderTree(dir() + L"\\a\\\\b\\"));  // already there
}

TEST_F(FolderTree, SingleComponentSucceedsOnlyWhenAlreadyADirectory) {
    EXPECT_TRUE(CreateFolderTree(L"C:"));
    EXPECT_FALSE(CreateFolderTree(L"Q:"));
}

TEST_F(FolderTree, DeleteFolderRemovesNestedContent) {
    ASSERT_TRUE(CreateFolderTree(path(L"x\\y\\z")));
    WriteFileBytes(path(L"x\\1.txt"), "1");
    WriteFileBytes(path(L"x\\y\\z\\2.txt"), "2");
    EXPECT_FALSE(IsFolderEmpty(path(L"x")));
    EXPECT_TRUE(DeleteFolder(path(L"x") + L"\\"));
    EXPECT_FALSE(PathExists(path(L"x")));
}

TEST_F(FolderTree, ReadOnlyFileMakesDeleteFailAndStays) {
    ASSERT_TRUE(CreateFolderTree(path(L"x\\sub")));
    WriteFileBytes(path(L"x\\keep.txt"), "keep");
    WriteFileBytes(path(L"x\\sub\\gone.txt"), "gone");
    ASSERT_TRUE(SetFileAttributesW(path(L"x\\keep.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(DeleteFolder(path(L"x")));
    EXPECT_EQ("keep", ReadFileBytes(path(L"x\\keep.txt")));
    EXPECT_TRUE(IsDirectory(path(L"x")));
    // The walk went on after the failure.
    EXPECT_FALSE(PathExists(path(L"x\\sub")));
    SetFileAttributesW(path(L"x\\keep.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FolderTree, EmptyFolderKeepsTheFolderItself) {
    WriteFileBytes(path(L"f.txt"), "f");
    ASSERT_TRUE(CreateDirectoryW(path(L"d").c_str(), nullptr));
    EXPECT_TRUE(EmptyFolder(dir()));
    EXPECT_TRUE(IsDirectory(dir()));
    EXPECT_TRUE(IsFolderEmpty(dir()));
    EXPECT_FALSE(EmptyFolder(path(L"missing")));
}

using FolderQueries = TempFolderTest;

TEST_F(FolderQueries, ExistenceAndEmptiness) {
    EXPECT_TRUE(IsFolderEmpty(path(L"missing")));
    WriteFileBytes(path(L"file"), "x");
    EXPECT_TRUE(IsFolderEmpty(path(L"file")));
    EXPECT_TRUE(FileExists(path(L"file")));
    EXPECT_FALSE(FileExists(path(L"missing")));
    EXPECT_FALSE(IsDirectory(path(L"file")));
    EXPECT_TRUE(IsDirectory(dir()));
}

TEST(FolderText, TrailingBackslashAndTempFolder) {
    std::wstring p = L"C:\\a\\\\";
    EXPECT_TRUE(RemoveTrailingBackslash(p));
    EXPECT_EQ(L"C:\\a\\", p);
    std::wstring q = L"C:\\a";
    EXPECT_FALSE(RemoveTrailingBackslash(q));
    std::wstring empty;
    EXPECT_FALSE(RemoveTrailingBackslash(empty));
    const std::wstring temp = GetTempFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(L'\\', temp.back());
    EXPECT_TRUE(IsDirectory(temp.substr(0, temp.size() - 1)));
}

TEST_F(FolderTree, DeleteFolderRemovesLinksWithoutEnteringThem) {
    ASSERT_TRUE(CreateFolderTree(path(L"x\\sub")));
    ASSERT_TRUE(CreateDirectoryW(path(L"outside").c_str(), nullptr));
    WriteFileBytes(path(L"outside\\saves.dat"), "precious");
    ASSERT_TRUE(MakeDirectoryLink(path(L"x\\sub\\link"), path(L"outside")));
    ASSERT_TRUE(MakeDirectoryLink(path(L"linked"), path(L"outside")));
    DeleteFolder(path(L"x"));
    DeleteFolder(path(L"linked"));
    EXPECT_EQ("precious", ReadFileBytes(path(L"outside\\saves.dat")));
    RemoveDirectoryLink(path(L"x\\sub\\link"));
    RemoveDirectoryLink(path(L"linked"));
}
