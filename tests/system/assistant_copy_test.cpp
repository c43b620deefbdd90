// The folder and the check of the assistant's copy.

#include "common/temp_folder.h"
#include "system/assistant_copy.h"

namespace {
class AssistantCopy : public TempFolderTest {};
}  // namespace

// The launcher starts its copy only when it is the running launcher byte
// for byte; a file swapped in or cut short is not started.
TEST_F(AssistantCopy, OnlyAnExactCopyPassesTheCheckBeforeTheStart) {
    const std::string launcher(70000, 'L');
    WriteFileBytes(path(L"Launcher.exe"), launcher);
    WriteFileBytes(path(L"same.exe"), launcher);
    std::string swapped = launcher;
    swapped[4321] = 'X';
    WriteFileBytes(path(L"swapped.exe"), swapped);
    WriteFileBytes(path(L"short.exe"), launcher.substr(1));
    EXPECT_TRUE(IsExactCopy(path(L"same.exe"), path(L"Launcher.exe")));
    EXPECT_FALSE(IsExactCopy(path(L"swapped.exe"), path(L"Launcher.exe")));
    EXPECT_FALSE(IsExactCopy(path(L"short.exe"), path(L"Launcher.exe")));
    EXPECT_FALSE(IsExactCopy(path(L"missing.exe"), path(L"Launcher.exe")));
}
