#include "startup/run_mode.h"

#include <gtest/gtest.h>

TEST(RunModeChoice, PlainStartInstallsOrUpdates) {
    EXPECT_EQ(rmInstall, ChooseRunMode(rcNone, L"Launcher.exe", false, false).mode);
    EXPECT_EQ(rmUpdate, ChooseRunMode(rcNone, L"Launcher.exe", false, true).mode);
    const RunModeChoice portable = ChooseRunMode(rcNone, L"launcher.EXE", true, false);
    EXPECT_EQ(rmUpdate, portable.mode);
    EXPECT_TRUE(portable.portable);
    EXPECT_EQ(L"Launcher run mode:   Portable, rmUpdate", portable.logLine);
    EXPECT_EQ(L"Launcher run mode: rmInstall", ChooseRunMode(rcNone, L"Launcher.exe", false, false).logLine);
}

TEST(RunModeChoice, OtherExecutableNamesIgnoreThePortableMarker) {
    const RunModeChoice renamed = ChooseRunMode(rcNone, L"Setup_TL.exe", true, false);
    EXPECT_EQ(rmInstall, renamed.mode);
    EXPECT_FALSE(renamed.portable);
    EXPECT_EQ(rmUpdate, ChooseRunMode(rcNone, L"Setup_TL.exe", true, true).mode);
    EXPECT_EQ(rmUpdate, ChooseRunMode(rcNone, L"Launcher.tmp.exe", true, false).mode);
}

TEST(RunModeChoice, UninstallCodes) {
    EXPECT_EQ(rmUninstaller, ChooseRunMode(rcUninstall, L"Launcher.exe", false, true).mode);
    EXPECT_EQ(rmUninstaller, ChooseRunMode(rcUninstallFrom, L"LAU1234.tmp", false, false).mode);
    const RunModeChoice guest = ChooseRunMode(rcUninstallGuest, L"LAU1234.tmp", false, false);
    EXPECT_EQ(rmUninstaller, guest.mode);
    EXPECT_TRUE(guest.portable);
}

TEST(RunModeChoice, DownloadNeedsTheLauncherNameAndAKnownFolder) {
    EXPECT_EQ(rmDownload, ChooseRunMode(rcDownload, L"Launcher.exe", false, true).mode);
    const RunModeChoice portable = ChooseRunMode(rcDownload, L"Launcher.exe", true, false);
    EXPECT_EQ(rmDownload, portable.mode);
    EXPECT_EQ(L"Launcher run mode:   Portable, rmDownload", portable.logLine);
    EXPECT_EQ(rmUnknown, ChooseRunMode(rcDownload, L"Launcher.exe", false, false).mode);
    EXPECT_EQ(rmUnknown, ChooseRunMode(rcDownload, L"Launcher.tmp.exe", true, true).mode);
}

TEST(RunModeChoice, FastSurvivesOnlyInUpdateMode) {
    EXPECT_TRUE(ChooseRunMode(rcNone, L"Launcher.exe", false, true).keepFast);
    EXPECT_FALSE(ChooseRunMode(rcNone, L"Launcher.exe", false, false).keepFast);
    EXPECT_FALSE(ChooseRunMode(rcUninstall, L"Launcher.exe", false, true).keepFast);
    EXPECT_EQ(rmSetLongName, ChooseRunMode(rcSetLongName, L"RNM1.exe", true, false).mode);
}
