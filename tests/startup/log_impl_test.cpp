#include "common/temp_folder.h"
#include "startup/log_impl.h"

TEST(LogTitle, ShortTextsAreCentredInEightyColumns) {
    const std::wstring line = MakeTitleLine(L"launcher started");
    ASSERT_EQ(80u, line.size());
    EXPECT_EQ(std::wstring(31, L'=') + L" launcher started " + std::wstring(31, L'='), line);
    const std::wstring odd = MakeTitleLine(L"abc");
    ASSERT_EQ(80u, odd.size());
    EXPECT_EQ(std::wstring(37, L'=') + L" abc " + std::wstring(38, L'='), odd);
}

TEST(LogTitle, TextsOfSeventySixOrMoreGetShortFrames) {
    const std::wstring t75(75, L'x'), t76(76, L'x');
    EXPECT_EQ(80u, MakeTitleLine(t75).size());
    EXPECT_EQ(L"=== " + t76 + L" ===", MakeTitleLine(t76));
    EXPECT_EQ(L"=  =", MakeTitleLine(L"").substr(38, 4));
}

class LauncherLog : public TempFolderTest {
protected:
    std::string Contents() {
        log.Close();
        return ReadFileBytes(path(L"a.log"));
    }
    CLogImplW log;
};

TEST_F(LauncherLog, WritesUtf8LinesAndCompletesSplitLines) {
    ASSERT_TRUE(log.Open(path(L"a.log")));
    log.SetUtf8(true);
    EXPECT_TRUE(log.WriteLine(L"Downloader uninit .. ", false));
    EXPECT_TRUE(log.WriteLine(L"OK", true));
    EXPECT_TRUE(log.WriteLine(L"\x0423\x043A\x0440", true));
    EXPECT_EQ("Downloader uninit .. OK\r\n\xD0\xA3\xD0\xBA\xD1\x80\r\n", Contents());
}

TEST_F(LauncherLog, WritesUtf16BeforeUtf8IsSwitchedOn) {
    ASSERT_TRUE(log.Open(path(L"a.log")));
    EXPECT_TRUE(log.WriteLine(L"ab", false));
    EXPECT_EQ(std::string("a\0b\0", 4), Contents());
}

TEST_F(LauncherLog, OpenTruncatesAnEarlierFile) {
    WriteFileBytes(path(L"a.log"), "old contents");
    ASSERT_TRUE(log.Open(path(L"a.log")));
    EXPECT_TRUE(log.Open(path(L"other.log")));  // already open: stays on a.log
    EXPECT_EQ("", Contents());
    EXPECT_FALSE(PathExists(path(L"other.log")));
}

TEST_F(LauncherLog, UnwritableFolderLeavesTheLogClosedAndSilent) {
    EXPECT_FALSE(log.Open(path(L"missing\\a.log")));
    EXPECT_FALSE(log.IsOpen());
    EXPECT_FALSE(log.WriteLine(L"nothing", true));
    EXPECT_FALSE(PathExists(path(L"missing")));
}

TEST_F(LauncherLog, NewLinesAcceptOneToTen) {
    ASSERT_TRUE(log.Open(path(L"a.log")));
    log.SetUtf8(true);
    EXPECT_FALSE(log.WriteNewLines(0));
    EXPECT_FALSE(log.WriteNewLines(11));
    EXPECT_FALSE(log.WriteNewLines(-1));
    EXPECT_TRUE(log.WriteNewLines(1));
    EXPECT_TRUE(log.WriteNewLines(10));
    std::string expected;
    for (int i = 0; i < 11; ++i) expected += "\r\n";
    EXPECT_EQ(expected, Contents());
}

TEST_F(LauncherLog, DisabledWritesSucceedWithoutWriting) {
    ASSERT_TRUE(log.Open(path(L"a.log")));
    log.SetUtf8(true);
    EXPECT_TRUE(log.SetDisabled(true));
    EXPECT_FALSE(log.SetDisabled(true));
    EXPECT_TRUE(log.IsDisabled());
    EXPECT_TRUE(log.WriteLine(L"hidden", true));
    EXPECT_TRUE(log.WriteTitle(L"hidden", true));
    EXPECT_TRUE(log.WriteSeparator());
    EXPECT_TRUE(log.WriteNewLines(2));
    EXPECT_TRUE(log.WriteTimePrefix());
    EXPECT_TRUE(log.WriteRaw(4, L"xy"));
    EXPECT_TRUE(log.SetDisabled(false));
    EXPECT_TRUE(log.WriteLine(L"shown", false));
    EXPECT_EQ("shown", Contents());
}

TEST_F(LauncherLog, ClosedLogOrMissingTextRefusesWrites) {
    EXPECT_FALSE(log.WriteLine(L"x", true));
    EXPECT_FALSE(log.WriteTitle(L"x", true));
    EXPECT_FALSE(log.WriteNewLines(1));
    EXPECT_FALSE(log.Truncate());
    ASSERT_TRUE(log.Open(path(L"a.log")));
    EXPECT_FALSE(log.WriteLine(nullptr, true));
    EXPECT_FALSE(log.WriteRaw(2, nullptr));
}

TEST_F(LauncherLog, RawWritesHonourTheByteCountOnlyInUtf16Mode) {
    ASSERT_TRUE(log.Open(path(L"a.log")));
    EXPECT_TRUE(log.WriteRaw(2, L"xyz"));
    log.SetUtf8(true);
    EXPECT_TRUE(log.WriteRaw(2, L"xyz"));
    EXPECT_EQ(std::string("x\0xyz", 5), Contents());
}

TEST_F(LauncherLog, TimePrefixAndTitleShapes) {
    ASSERT_TRUE(log.Open(path(L"a.log")));
    log.SetUtf8(true);
    EXPECT_TRUE(log.WriteTimePrefix());
    EXPECT_TRUE(log.WriteNewLines(1));
    EXPECT_TRUE(log.WriteTimeTitle());
    EXPECT_TRUE(log.WriteSeparator());
    const std::string text = Contents();
    int d, mo, y, h, mi, s;
    ASSERT_EQ(6, sscanf(text.c_str(), "%d/%d/%d -- %02d:%02d:%02d  :", &d, &mo, &y, &h, &mi, &s));
    EXPECT_NE(std::string::npos, text.find("  :\r\n"));
    const size_t second = text.find("\r\n") + 2;
    const std::string title = text.substr(second, text.find("\r\n", second) - second);
    EXPECT_EQ(80u, title.size());
    EXPECT_EQ('=', title.front());
    EXPECT_NE(std::string::npos, title.find(" -- "));
    EXPECT_EQ(std::string(80, '=') + "\r\n", text.substr(text.size() - 82));
}

TEST_F(LauncherLog, ConvenienceWritersGoThroughThePointerAndAreSilentWithoutIt) {
    ASSERT_TRUE(log.Open(path(L"a.log")));
    log.SetUtf8(true);
    CLogImplW* saved = g_pLog;
    g_pLog = nullptr;
    LogLine(L"lost");
    LogPart(L"lost");
    LogFormat(L"%d", 1);
    g_pLog = &log;
    LogPart(L"a ");
    LogLine(L"b");
    LogFormat(L"%d-%d", 2, 3);
    g_pLog = saved;
    EXPECT_EQ("a b\r\n2-3\r\n", Contents());
}
