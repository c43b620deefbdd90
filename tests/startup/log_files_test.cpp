#include "common/temp_folder.h"
#include "startup/log_files.h"
#include "startup/log_impl.h"

#include <windows.h>

namespace {
SYSTEMTIME At(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s) {
    SYSTEMTIME t{};
    t.wYear = y;
    t.wMonth = mo;
    t.wDay = d;
    t.wHour = h;
    t.wMinute = mi;
    t.wSecond = s;
    return t;
}
}  // namespace

using LogNaming = TempFolderTest;

TEST_F(LogNaming, RunsInTheSameSecondGetCounterSuffixes) {
    const std::wstring exe = path(L"Launcher.exe");
    const SYSTEMTIME t = At(2024, 1, 5, 9, 30, 12);
    const std::wstring first = ChooseLauncherLogPath(exe, t);
    EXPECT_EQ(path(L"20240105_093012.Launcher.exe.log"), first);
    WriteFileBytes(first, "");
    const std::wstring second = ChooseLauncherLogPath(exe, t);
    EXPECT_EQ(path(L"20240105_093012_1.Launcher.exe.log"), second);
    WriteFileBytes(second, "");
    EXPECT_EQ(path(L"20240105_093012_2.Launcher.exe.log"), ChooseLauncherLogPath(exe, t));
}

// A launcher started in the same second as another must not pick the log the
// other one holds open for writing (it could not open it and would log nothing).
TEST_F(LogNaming, ALogHeldOpenByAnotherLauncherCountsAsTaken) {
    const std::wstring exe = path(L"Launcher.exe");
    const SYSTEMTIME t = At(2024, 1, 5, 9, 30, 12);
    CLogImplW other;
    ASSERT_TRUE(other.Open(ChooseLauncherLogPath(exe, t)));
    const std::wstring mine = ChooseLauncherLogPath(exe, t);
    EXPECT_EQ(path(L"20240105_093012_1.Launcher.exe.log"), mine);
    CLogImplW log;
    EXPECT_TRUE(log.Open(mine));
}

TEST_F(LogNaming, AfterAHundredTakenNamesTheLastOneIsUsed) {
    const std::wstring exe = path(L"L.exe");
    const SYSTEMTIME t = At(2030, 12, 31, 23, 59, 59);
    for (int n = 0; n < 100; ++n) {
        const std::wstring suffix = n ? L"_" + std::to_wstring(n) : L"";
        WriteFileBytes(path(L"20301231_235959" + suffix + L".L.exe.log"), "");
    }
    EXPECT_EQ(path(L"20301231_235959_99.L.exe.log"), ChooseLauncherLogPath(exe, t));
}

TEST_F(LogNaming, PathWithoutBackslashGetsLogAppended) {
    EXPECT_EQ(L"Launcher.exe.log", ChooseLauncherLogPath(L"Launcher.exe", At(2024, 1, 1, 0, 0, 0)));
}

class LogMigration : public TempFolderTest {
protected:
    std::wstring folder() const { return dir() + L"\\"; }
    void MakeDir(const std::wstring& rel) { ASSERT_TRUE(CreateDirectoryW(path(rel).c_str(), nullptr)); }
};

TEST_F(LogMigration, MovesLogsIntoTheNewestStampedFolder) {
    MakeDir(L"logs");
    MakeDir(L"logs\\20240101_100000.77");
    MakeDir(L"logs\\20240102_090000.77");
    MakeDir(L"logs\\notes");
    WriteFileBytes(path(L"x.log"), "first");
    WriteFileBytes(path(L"keep.txt"), "not a log");
    MoveEarlierLogs(folder());
    EXPECT_EQ("first", ReadFileBytes(path(L"logs\\20240102_090000.77\\77.x.log")));
    EXPECT_FALSE(PathExists(path(L"x.log")));
    EXPECT_TRUE(PathExists(path(L"keep.txt")));

    WriteFileBytes(path(L"x.log"), "second");
    MoveEarlierLogs(folder());
    EXPECT_EQ("second", ReadFileBytes(path(L"logs\\20240102_090000.77\\77.x(1).log")));
    EXPECT_EQ("first", ReadFileBytes(path(L"logs\\20240102_090000.77\\77.x.log")));
}

TEST_F(LogMigration, NewestIsChosenByTimeNotByName) {
    MakeDir(L"logs");
    MakeDir(L"logs\\20231231_235959.b");
    MakeDir(L"logs\\20240101_000010.a");
    WriteFileBytes(path(L"run.log"), "r");
    MoveEarlierLogs(folder());
    EXPECT_TRUE(PathExists(path(L"logs\\20240101_000010.a\\a.run.log")));
}

TEST_F(LogMigration, WithoutStampedFoldersNothingMoves) {
    MakeDir(L"logs");
    MakeDir(L"logs\\notes");
    WriteFileBytes(path(L"logs\\20240101_000010.file"), "a file, not a folder");
    WriteFileBytes(path(L"x.log"), "stay");
    MoveEarlierLogs(folder());
    EXPECT_EQ("stay", ReadFileBytes(path(L"x.log")));

    ForceRemoveTree(path(L"logs"));
    MoveEarlierLogs(folder());
    EXPECT_EQ("stay", ReadFileBytes(path(L"x.log")));
}

TEST_F(LogMigration, FoldersNamedLogAreNotMoved) {
    MakeDir(L"logs");
    MakeDir(L"logs\\20240101_000010.z");
    MakeDir(L"dir.log");
    MoveEarlierLogs(folder());
    EXPECT_TRUE(PathExists(path(L"dir.log")));
}

TEST_F(LogMigration, ChoosingANameMovesEarlierLogsFirst) {
    MakeDir(L"logs");
    MakeDir(L"logs\\20240101_000010.q");
    WriteFileBytes(path(L"20240101_000001.Launcher.exe.log"), "old run");
    const std::wstring chosen = ChooseLauncherLogPath(path(L"Launcher.exe"), At(2024, 1, 1, 0, 0, 1));
    EXPECT_EQ(path(L"20240101_000001.Launcher.exe.log"), chosen);
    EXPECT_EQ("old run", ReadFileBytes(path(L"logs\\20240101_000010.q\\q.20240101_000001.Launcher.exe.log")));
}

using LogBanner = TempFolderTest;

TEST_F(LogBanner, FirstLinesOfARun) {
    CLogImplW log;
    ASSERT_TRUE(log.Open(path(L"b.log")));
    log.SetUtf8(true);
    WriteStartupBanner(log, L"1.2.3.4", L"Microsoft Windows 10 (Build 19045), 64-bit", L"/fast",
                       L"CLogic::rcNone");
    log.Close();
    const std::string text = ReadFileBytes(path(L"b.log"));
    const std::string title = std::string(31, '=') + " launcher started " + std::string(31, '=') + "\r\n";
    ASSERT_EQ(title, text.substr(0, title.size()));
    size_t at = title.size();
    EXPECT_EQ("v1.2.3.4\r\n", text.substr(at, 10));
    at = text.find("\r\n", at + 10) + 2;  // skip the time title
    const std::string rest = text.substr(at);
    EXPECT_EQ("\nOS: Microsoft Windows 10 (Build 19045), 64-bit\n\r\n"
              "Command line:\r\n/fast\r\nParse command line\r\ng_rc = CLogic::rcNone\r\n",
              rest);
}

TEST(FileVersion, ModulesWithAndWithoutAVersionResource) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(L"", ReadFileVersion(self));  // the test exe carries no version resource
    std::wstring launcher = self;
    launcher = launcher.substr(0, launcher.rfind(L'\\') + 1) + L"Launcher.exe";
    const std::wstring v = ReadFileVersion(launcher);
    int a, b, c, d;
    EXPECT_EQ(4, swscanf(v.c_str(), L"%d.%d.%d.%d", &a, &b, &c, &d)) << "version text: " << std::string(v.begin(), v.end());
}
