#include "common/temp_folder.h"
#include "startup/file_log.h"
#include "startup/text.h"

using FileLog = TempFolderTest;

TEST_F(FileLog, BlocksAboveTheLimitAreCutAndMarked) {
    CLog log;
    ASSERT_TRUE(log.OpenW(path(L"t.log")));
    log.SetMaxBlock(4096);
    const std::string big(5000, 'a');
    EXPECT_TRUE(log.Write(big.data(), uint32_t(big.size())));
    EXPECT_TRUE(log.Write("tail", 4));
    log.Close();
    EXPECT_EQ(std::string(4096, 'a') + " ...block is too large..." + "tail", ReadFileBytes(path(L"t.log")));
}

TEST_F(FileLog, OpenCreatesOneFolderLevelAndAppends) {
    const std::string file = WideToAnsi(path(L"sub\\t.log"));
    {
        CLog log;
        ASSERT_TRUE(log.OpenA(file));
        EXPECT_FALSE(log.OpenA(file));  // already open
        log.Write("one", 3);
    }
    CLog again;
    ASSERT_TRUE(again.OpenA(file));
    again.Write("two", 3);
    again.Close();
    EXPECT_EQ("onetwo", ReadFileBytes(path(L"sub\\t.log")));

    CLog deep;
    EXPECT_FALSE(deep.OpenW(path(L"a\\b\\t.log")));  // only the last level is created
}

TEST_F(FileLog, RotateMovesNonEmptyFilesAsideWithCounters) {
    CLog log;
    EXPECT_FALSE(log.Rotate());
    ASSERT_TRUE(log.OpenA(WideToAnsi(path(L"r.log"))));
    EXPECT_TRUE(log.Rotate());  // empty: stays
    EXPECT_FALSE(PathExists(path(L"r.log.000")));
    log.Write("first", 5);
    EXPECT_TRUE(log.Rotate());
    log.Write("second", 6);
    EXPECT_TRUE(log.Rotate());
    log.Write("third", 5);
    log.Close();
    EXPECT_EQ("first", ReadFileBytes(path(L"r.log.000")));
    EXPECT_EQ("second", ReadFileBytes(path(L"r.log.001")));
    EXPECT_EQ("third", ReadFileBytes(path(L"r.log")));
}

TEST_F(FileLog, RotateWithEveryNameTakenGoesOnAtTheEnd) {
    for (int i = 0; i < 100; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"f.log.%03d", i);
        WriteFileBytes(path(name), "x");
    }
    CLog log;
    ASSERT_TRUE(log.OpenA(WideToAnsi(path(L"f.log"))));
    log.Write("old", 3);
    EXPECT_TRUE(log.Rotate());
    log.Write("new", 3);
    log.Close();
    EXPECT_EQ("oldnew", ReadFileBytes(path(L"f.log")));
    EXPECT_EQ("x", ReadFileBytes(path(L"f.log.099")));
}

TEST_F(FileLog, RotateWorksInAFolderNamedOutsideTheAnsiCodePage) {
    const std::wstring file = path(L"\u65e5\u672c\\r.log");
    CLog log;
    ASSERT_TRUE(log.OpenW(file));
    log.Write("first", 5);
    EXPECT_TRUE(log.Rotate());
    log.Write("second", 6);
    log.Close();
    EXPECT_EQ("first", ReadFileBytes(file + L".000"));
    EXPECT_EQ("second", ReadFileBytes(file));
}
