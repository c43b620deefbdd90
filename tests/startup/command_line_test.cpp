#include "startup/command_line.h"

#include <gtest/gtest.h>

#include <random>

TEST(CommandLineOrder, EarlySwitchesStopTheScan) {
    const CommandLineFlags restart = ParseCommandLine(L"C:\\Games\\TL\\Launcher.exe /fast /restart /auto");
    EXPECT_TRUE(restart.fast);
    EXPECT_FALSE(restart.restart);
    EXPECT_FALSE(restart.automatic);
    EXPECT_EQ(rcNone, restart.runCode);

    const CommandLineFlags both = ParseCommandLine(L"/runByClient /runByClientCritical");
    EXPECT_TRUE(both.runByClientCritical);
    EXPECT_FALSE(both.runByClient);

    const CommandLineFlags client = ParseCommandLine(L"/runByClient");
    EXPECT_TRUE(client.runByClient);
    EXPECT_FALSE(client.runByClientCritical);

    const CommandLineFlags assistant = ParseCommandLine(L"/assistant 1234 /fast /uninstall");
    EXPECT_TRUE(assistant.assistant);
    EXPECT_FALSE(assistant.fast);
    EXPECT_EQ(rcNone, assistant.runCode);
}

TEST(CommandLineOrder, RestartAndAutoAreBothReadThenStop) {
    const CommandLineFlags f = ParseCommandLine(L"C:\\x\\Launcher.exe /restart /auto");
    EXPECT_TRUE(f.restart);
    EXPECT_TRUE(f.automatic);

    const CommandLineFlags autoOnly = ParseCommandLine(L"/auto /uninstall \"C:\\a.lnk\"");
    EXPECT_TRUE(autoOnly.automatic);
    EXPECT_FALSE(autoOnly.restart);
    EXPECT_EQ(rcNone, autoOnly.runCode);
    EXPECT_TRUE(autoOnly.quotedPath.empty());
}

TEST(CommandLineUninstall, QuotedPathKeepsBothQuotes) {
    const CommandLineFlags f =
        ParseCommandLine(L"\"C:\\Games\\TL\\Launcher.exe\" /uninstall \"C:\\Users\\u\\Desktop\\TL.lnk\"");
    EXPECT_EQ(rcUninstall, f.runCode);
    // The first quoted text of the whole tail is taken, as the producers put
    // the launcher path first only when they also quote the shortcut.
    EXPECT_EQ(L"\"C:\\Games\\TL\\Launcher.exe\"", f.quotedPath);

    const CommandLineFlags plain = ParseCommandLine(L"/uninstall \"C:\\Desktop\\TL.lnk\"");
    EXPECT_EQ(L"\"C:\\Desktop\\TL.lnk\"", plain.quotedPath);
}

TEST(CommandLineUninstall, UnbalancedOrMissingQuotes) {
    EXPECT_EQ(L"\"C:\\open ended", ParseCommandLine(L"/uninstall \"C:\\open ended").quotedPath);
    EXPECT_EQ(L"/uninstall C:\\x", ParseCommandLine(L"/uninstall C:\\x").quotedPath);
}

TEST(CommandLineUninstall, GuestTakesQuotedPathAndFolder) {
    const CommandLineFlags f = ParseCommandLine(L"/ug \"C:\\Desktop\\TL Portable.lnk\" D:\\Games\\TL");
    EXPECT_EQ(rcUninstallGuest, f.runCode);
    EXPECT_EQ(L"\"C:\\Desktop\\TL Portable.lnk\"", f.quotedPath);
    EXPECT_EQ(L"D:\\Games\\TL", f.argument);
}

TEST(CommandLineUninstall, FromTakesTheFolderAfterTheSwitch) {
    const CommandLineFlags f = ParseCommandLine(L"/u C:\\Games\\TL");
    EXPECT_EQ(rcUninstallFrom, f.runCode);
    EXPECT_EQ(L"C:\\Games\\TL", f.argument);
    EXPECT_TRUE(f.quotedPath.empty());
}

TEST(CommandLineArguments, DownloadSetLongNameAndCrc) {
    const CommandLineFlags d = ParseCommandLine(L"/download 655360 a|b|c");
    EXPECT_EQ(rcDownload, d.runCode);
    EXPECT_EQ(L"655360 a|b|c", d.argument);

    const CommandLineFlags s =
        ParseCommandLine(L"/setlongname \"C:\\Old\" \"C:\\New\" \"s\" \"f\" \"r\" \"i\" 7");
    EXPECT_EQ(rcSetLongName, s.runCode);
    EXPECT_EQ(L"\"C:\\Old\" \"C:\\New\" \"s\" \"f\" \"r\" \"i\" 7", s.argument);

    EXPECT_EQ(rcCrc, ParseCommandLine(L"/crc").runCode);
    EXPECT_EQ(rcNone, ParseCommandLine(L"\"C:\\x\\Launcher.exe\" /skiptest").runCode);
    EXPECT_EQ(rcNone, ParseCommandLine(L"").runCode);
}

TEST(CommandLineArguments, SwitchesAtTheVeryEndGiveEmptyArguments) {
    EXPECT_EQ(L"", ParseCommandLine(L"/download").argument);
    EXPECT_EQ(L"", ParseCommandLine(L"/u").argument);
    EXPECT_EQ(L"", ParseCommandLine(L"/setlongname").argument);
    const CommandLineFlags g = ParseCommandLine(L"/ug \"x\"");
    EXPECT_EQ(L"\"x\"", g.quotedPath);
    EXPECT_EQ(L"", g.argument);
    EXPECT_EQ(rcUninstallFrom, ParseCommandLine(L"x/u").runCode);
}

TEST(CommandLineArguments, SwitchesAreCaseSensitive) {
    EXPECT_FALSE(ParseCommandLine(L"/FAST").fast);
    EXPECT_EQ(rcNone, ParseCommandLine(L"/CRC").runCode);
}

TEST(CommandLineRobustness, ArbitraryTailsNeverCrash) {
    std::mt19937 rng(3);
    const wchar_t alphabet[] = L"/\" ugdownlascrisetfbxR\\0123";
    for (int i = 0; i < 20000; ++i) {
        std::wstring tail(rng() % 40, L' ');
        for (auto& c : tail) c = alphabet[rng() % (sizeof(alphabet) / sizeof(wchar_t) - 1)];
        const CommandLineFlags f = ParseCommandLine(tail);
        EXPECT_LE(f.argument.size(), tail.size());
        EXPECT_LE(f.quotedPath.size(), tail.size());
    }
    const std::wstring huge(1 << 20, L'"');
    EXPECT_EQ(rcUninstall, ParseCommandLine(huge + L"/uninstall").runCode);
}

TEST(RunTexts, LogTextsOfRunCodesAndModes) {
    EXPECT_STREQ(L"CLogic::rcNone", RunCodeLogText(rcNone));
    EXPECT_STREQ(L"CLogic::rcUninstall", RunCodeLogText(rcUninstall));
    EXPECT_STREQ(L"CLogic::rcUninstallFrom", RunCodeLogText(rcUninstallFrom));
    EXPECT_STREQ(L"CLogic::rcNone", RunCodeLogText(rcUninstallGuest));
    EXPECT_STREQ(L"CLogic::rcNone", RunCodeLogText(rcDownload));
    EXPECT_STREQ(L"CLogic::rcNone", RunCodeLogText(rcSetLongName));
    EXPECT_STREQ(L"rmUnknown", RunModeName(rmUnknown));
    EXPECT_STREQ(L"rmDownload", RunModeName(rmDownload));
}
