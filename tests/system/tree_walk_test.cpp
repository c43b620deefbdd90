// The uninstall walk on a real folder: counting, sparing the launcher,
// links to elsewhere and cancelling.

#include "common/temp_folder.h"
#include "system/tree_walk.h"

#include <windows.h>

#include <atomic>

namespace {

class TreeWalkTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        root = path(L"game");
        ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((root + L"\\data").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((root + L"\\data\\maps").c_str(), nullptr));
        WriteFileBytes(root + L"\\Launcher.exe", "launcher");
        WriteFileBytes(root + L"\\GameClient.exe", "client");
        WriteFileBytes(root + L"\\data\\a.pak", "a");
        WriteFileBytes(root + L"\\data\\maps\\b.map", "b");
    }

    std::wstring root;
};

}  // namespace

TEST_F(TreeWalkTest, CountsEveryFileAndFolderBelow) {
    EXPECT_EQ(6, CountFiles(root));
    EXPECT_EQ(0, CountFiles(path(L"missing")));
}

TEST_F(TreeWalkTest, DeletesAllButTheSparedNameAndCountsEachEntryOnce) {
    WriteFileBytes(root + L"\\data\\maps\\LAUNCHER.EXE", "copy");
    TreeWalk walk;
    walk.spare = L"Launcher.exe";
    int steps = 0;
    walk.step = [&] { ++steps; };
    // The sub-folders holding a spared file cannot go, so the walk is not complete.
    EXPECT_FALSE(DeleteTree(root, walk));
    EXPECT_EQ(7, steps);
    EXPECT_EQ("launcher", ReadFileBytes(root + L"\\Launcher.exe"));
    EXPECT_EQ("copy", ReadFileBytes(root + L"\\data\\maps\\LAUNCHER.EXE"));
    EXPECT_FALSE(PathExists(root + L"\\GameClient.exe"));
    EXPECT_FALSE(PathExists(root + L"\\data\\a.pak"));
    EXPECT_FALSE(PathExists(root + L"\\data\\maps\\b.map"));

    ASSERT_TRUE(DeleteFileW((root + L"\\data\\maps\\LAUNCHER.EXE").c_str()));
    EXPECT_TRUE(DeleteTree(root, walk));
    EXPECT_FALSE(PathExists(root + L"\\data"));
    EXPECT_TRUE(PathExists(root + L"\\Launcher.exe"));
}

TEST_F(TreeWalkTest, ALinkToAnOutsideFolderIsNeverEntered) {
    const std::wstring outside = path(L"outside");
    ASSERT_TRUE(CreateDirectoryW(outside.c_str(), nullptr));
    WriteFileBytes(outside + L"\\saves.dat", "precious");
    ASSERT_TRUE(MakeDirectoryLink(root + L"\\data\\link", outside));

    EXPECT_EQ(7, CountFiles(root));
    TreeWalk walk;
    walk.spare = L"Launcher.exe";
    DeleteTree(root, walk);
    EXPECT_EQ("precious", ReadFileBytes(outside + L"\\saves.dat"));
    EXPECT_FALSE(PathExists(root + L"\\data\\a.pak"));
    EXPECT_FALSE(PathExists(root + L"\\data\\maps"));
    RemoveDirectoryLink(root + L"\\data\\link");
}

TEST_F(TreeWalkTest, AnInstallationFolderThatIsItselfALinkKeepsItsTarget) {
    const std::wstring outside = path(L"outside");
    ASSERT_TRUE(CreateDirectoryW(outside.c_str(), nullptr));
    WriteFileBytes(outside + L"\\saves.dat", "precious");
    ASSERT_TRUE(MakeDirectoryLink(path(L"linked"), outside));
    TreeWalk walk;
    DeleteTree(path(L"linked"), walk);
    EXPECT_EQ("precious", ReadFileBytes(outside + L"\\saves.dat"));
    RemoveDirectoryLink(path(L"linked"));
}

TEST_F(TreeWalkTest, AShortFolderIsRefused) {
    TreeWalk walk;
    int steps = 0;
    walk.step = [&] { ++steps; };
    EXPECT_FALSE(DeleteTree(L"C:", walk));
    EXPECT_FALSE(DeleteTree(L"", walk));
    EXPECT_EQ(0, steps);
}

TEST_F(TreeWalkTest, CancellingStopsTheWalkAtTheNextEntry) {
    std::atomic<bool> cancel{false};
    TreeWalk walk;
    walk.cancel = &cancel;
    int steps = 0;
    walk.step = [&] {
        if (++steps == 2) cancel = true;
    };
    EXPECT_FALSE(DeleteTree(root, walk));
    EXPECT_EQ(2, steps);
    EXPECT_EQ(4, CountFiles(root));
}
