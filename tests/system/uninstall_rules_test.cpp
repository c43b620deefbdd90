// Where an uninstall entry names its desktop shortcut, and which shortcut
// names belong to a portable installation.

#include "system/shortcut_names.h"
#include "system/uninstall_rules.h"

#include <gtest/gtest.h>

TEST(UninstallString, TheDesktopShortcutIsBetweenTheThirdAndFourthQuote) {
    EXPECT_EQ(L"C:\\Users\\u\\Desktop\\Talvoro (2).lnk",
              DesktopShortcutOfUninstallString(
                  L"\"C:\\Games\\Talvoro\\Launcher.exe\" /uninstall \"C:\\Users\\u\\Desktop\\Talvoro (2).lnk\""));
    EXPECT_EQ(L"C:\\Users\\u\\Desktop", FolderOfPath(L"C:\\Users\\u\\Desktop\\Talvoro (2).lnk"));
}

TEST(UninstallString, AMissingOrDamagedValueNamesNoShortcut) {
    EXPECT_EQ(L"", DesktopShortcutOfUninstallString(L""));
    EXPECT_EQ(L"", DesktopShortcutOfUninstallString(L"C:\\Games\\Talvoro\\Launcher.exe /uninstall C:\\x.lnk"));
    // Three quotes: the path is never closed.
    EXPECT_EQ(L"", DesktopShortcutOfUninstallString(L"\"C:\\L.exe\" /uninstall \"C:\\Users\\u\\Desktop\\T.lnk"));
    // Whatever stands there must be a shortcut file, not any file.
    EXPECT_EQ(L"", DesktopShortcutOfUninstallString(L"\"C:\\L.exe\" /uninstall \"C:\\Windows\\win.ini\""));
    EXPECT_EQ(L"", DesktopShortcutOfUninstallString(L"\"C:\\L.exe\" /uninstall \"\""));
    // A bare name has no folder to delete program shortcuts from.
    EXPECT_EQ(L"", FolderOfPath(L"T.lnk"));
}

TEST(PortableSuffix, NumberedAndFirstPortableShortcutsKeepTheirSuffix) {
    const std::wstring third = ShortcutNameOfPath(L"\"C:\\Users\\u\\Desktop\\Talvoro Portable (3).lnk\"");
    EXPECT_EQ(L"Talvoro Portable (3)", third);
    EXPECT_EQ(L" Portable (3)", PortableShortcutSuffix(third));
    // A program's shortcut of that installation carries the same suffix.
    EXPECT_EQ(ShortcutDisplayName(L"Map Editor", true, 2), L"Map Editor" + PortableShortcutSuffix(third));
    EXPECT_EQ(L" Portable", PortableShortcutSuffix(ShortcutNameOfPath(L"\"C:\\D\\Talvoro Portable.lnk\"")));
    // An icon name with spaces of its own.
    EXPECT_EQ(L" Portable (12)", PortableShortcutSuffix(L"Great Game Portable (12)"));
}

TEST(PortableSuffix, ANameWithoutASpaceHasNoSuffix) {
    EXPECT_EQ(L"", PortableShortcutSuffix(L"Talvoro"));
    EXPECT_EQ(L"", PortableShortcutSuffix(L"Talvoro(3)"));
    EXPECT_EQ(L"", PortableShortcutSuffix(ShortcutNameOfPath(L"\"\"")));
    EXPECT_EQ(L"", PortableShortcutSuffix(L""));
}
