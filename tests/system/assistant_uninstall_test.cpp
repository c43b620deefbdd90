// The assistant's removal of a standard installation, on real folders and
// keys: what goes, what another installation keeps, and damaged records.

#include "startup/app_list_file.h"
#include "system/assistant_fixture.h"

namespace {

class AssistantUninstall : public AssistantProcess {
protected:
    void SetUp() override {
        AssistantProcess::SetUp();
        product_ = L"LauncherTest" + std::to_wstring(GetCurrentProcessId());
        desktop_ = path(L"Desktop");
        CreateDirectoryW(desktop_.c_str(), nullptr);
    }
    void TearDown() override {
        for (int slot : {0, 1}) RegDeleteTreeW(HKEY_LOCAL_MACHINE, EntryKey(slot).c_str());
        AssistantProcess::TearDown();
    }

    std::wstring EntryKey(int slot) const {
        return L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + product_ + L" " + std::to_wstring(slot);
    }
    // An installation in `slot` as the installation left it: its files, a
    // program in applist.dat, its slot and its uninstall entry.
    std::wstring Installation(const std::wstring& name, int slot, const std::wstring& uninstallString) {
        const std::wstring folder = path(name);
        CreateDirectoryW(folder.c_str(), nullptr);
        CreateDirectoryW((folder + L"\\data").c_str(), nullptr);
        WriteFileBytes(folder + L"\\Launcher.exe", "launcher");
        WriteFileBytes(folder + L"\\data\\a.pak", "a");
        AppListRecord record{};
        SetRecordText(record.name, 65, L"Map");
        SetRecordText(record.exec, 261, L"tools\\map.exe");
        WriteFileBytes(AppListPath(folder), AppListBytes({record}));
        HKEY key = nullptr;
        const std::wstring value = folder;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, (regPath_ + L"\\Install").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr);
        const std::wstring slotName = slot ? L"Directory" + std::to_wstring(slot) : L"Directory";
        RegSetValueExW(key, slotName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       DWORD((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, EntryKey(slot).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        RegSetValueExW(key, L"UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(uninstallString.c_str()),
                       DWORD((uninstallString.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        return folder;
    }
    int32_t Uninstall(const std::wstring& folder) {
        LauncherAssistantData d = RightsRecord(folder);
        d.chFullName = d.chIconName = U16(product_);
        d.chTemp = U16(folder + L"\\GameClient.exe");
        const auto r = Run(eLauncherCmd_Uninstall, d);
        EXPECT_EQ(WPARAM(eLauncherCmd_Uninstall), r.w);
        EXPECT_EQ(0, child_.Wait(10000)) << AssistantLog();
        pipe_.Close();
        return int32_t(r.l);
    }

    std::wstring product_, desktop_;
};

}  // namespace

TEST_F(AssistantUninstall, TheSecondSlotGoesWithItsShortcutsAndTheFirstStays) {
    const std::wstring first = Installation(L"first", 0, L"\"x\" /uninstall \"" + desktop_ + L"\\" + product_ + L".lnk\"");
    const std::wstring second =
        Installation(L"second", 1, L"\"x\" /uninstall \"" + desktop_ + L"\\" + product_ + L" (2).lnk\"");
    for (const std::wstring& link : {product_ + L".lnk", product_ + L" (2).lnk", std::wstring(L"Map.lnk"), std::wstring(L"Map (2).lnk")})
        WriteFileBytes(desktop_ + L"\\" + link, "link");

    ASSERT_EQ(0, Uninstall(second)) << AssistantLog();
    EXPECT_FALSE(PathExists(second)) << AssistantLog();
    EXPECT_FALSE(PathExists(desktop_ + L"\\" + product_ + L" (2).lnk"));
    EXPECT_FALSE(PathExists(desktop_ + L"\\Map (2).lnk"));
    EXPECT_EQ(L"", MachineText(regPath_ + L"\\Install", L"Directory1"));
    EXPECT_EQ(L"(none)", MachineText(EntryKey(1), L"UninstallString"));

    EXPECT_EQ("launcher", ReadFileBytes(first + L"\\Launcher.exe"));
    EXPECT_TRUE(PathExists(desktop_ + L"\\" + product_ + L".lnk"));
    EXPECT_TRUE(PathExists(desktop_ + L"\\Map.lnk"));
    EXPECT_EQ(first, MachineText(regPath_ + L"\\Install", L"Directory"));
    EXPECT_NE(L"(none)", MachineText(EntryKey(0), L"UninstallString"));
}

TEST_F(AssistantUninstall, AnEntryWithoutQuotesNamesNoShortcutButTheRestGoes) {
    const std::wstring shortcut = desktop_ + L"\\" + product_ + L".lnk";
    const std::wstring folder = Installation(L"game", 0, L"x /uninstall " + shortcut);
    WriteFileBytes(shortcut, "link");
    WriteFileBytes(desktop_ + L"\\Map.lnk", "link");
    ASSERT_EQ(0, Uninstall(folder)) << AssistantLog();
    EXPECT_TRUE(PathExists(shortcut));
    EXPECT_TRUE(PathExists(desktop_ + L"\\Map.lnk"));
    EXPECT_FALSE(PathExists(folder));
    EXPECT_EQ(L"", MachineText(regPath_ + L"\\Install", L"Directory"));
    EXPECT_EQ(L"(none)", MachineText(EntryKey(0), L"UninstallString"));
}

TEST_F(AssistantUninstall, AnEntryNamingAnotherFileDeletesOnlyTheInstallation) {
    const std::wstring precious = path(L"precious.txt");
    WriteFileBytes(precious, "precious");
    const std::wstring folder = Installation(L"game", 0, L"\"x\" /uninstall \"" + precious + L"\"");
    ASSERT_EQ(0, Uninstall(folder)) << AssistantLog();
    EXPECT_EQ("precious", ReadFileBytes(precious));
    EXPECT_FALSE(PathExists(folder));
}

TEST_F(AssistantUninstall, AFolderThatIsNotRegisteredIsLeftAlone) {
    const std::wstring folder = Installation(L"game", 0, L"");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (regPath_ + L"\\Install").c_str());
    EXPECT_EQ(0, Uninstall(folder)) << AssistantLog();
    EXPECT_EQ("a", ReadFileBytes(folder + L"\\data\\a.pak"));
    EXPECT_EQ(0, Uninstall(L"C:")) << AssistantLog();
}

TEST_F(AssistantUninstall, ALinkInTheFolderKeepsWhatItPointsTo) {
    const std::wstring folder = Installation(L"game", 0, L"");
    CreateDirectoryW(path(L"outside").c_str(), nullptr);
    WriteFileBytes(path(L"outside\\saves.dat"), "precious");
    ASSERT_TRUE(MakeDirectoryLink(folder + L"\\data\\saves", path(L"outside")));
    Uninstall(folder);
    EXPECT_EQ("precious", ReadFileBytes(path(L"outside\\saves.dat")));
    EXPECT_FALSE(PathExists(folder + L"\\data\\a.pak"));
    RemoveDirectoryLink(folder + L"\\data\\saves");
}
