// Shortcuts written as real shell links into the prefix's special folders.
// Their names carry the process id and every test removes what it made:
// other test runs share these folders.

#include "common/temp_folder.h"
#include "system/shortcuts.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cwctype>
#include <memory>

namespace {

struct ComRelease {
    void operator()(IUnknown* p) const { p->Release(); }
};

struct LinkFields {
    std::wstring target, arguments, working;
};

// Read back through the shell, not through the code under test.
LinkFields ReadLink(const std::wstring& file) {
    LinkFields fields;
    IShellLinkW* rawLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&rawLink))))
        return fields;
    const std::unique_ptr<IShellLinkW, ComRelease> link(rawLink);
    IPersistFile* rawFile = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile)))) return fields;
    const std::unique_ptr<IPersistFile, ComRelease> persist(rawFile);
    if (FAILED(persist->Load(file.c_str(), STGM_READ))) return fields;
    wchar_t text[MAX_PATH] = {};
    if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, 0))) fields.target = text;
    if (SUCCEEDED(link->GetArguments(text, MAX_PATH))) fields.arguments = text;
    if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) fields.working = text;
    return fields;
}

std::wstring Folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE) ? path : std::wstring();
}

class ShortcutsTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        game = path(L"Game.exe");
        other = path(L"Other.exe");
        WriteFileBytes(game, "MZ");
        WriteFileBytes(other, "MZ");
    }
    void TearDown() override {
        DeleteAllShortcuts(game, sub);
        DeleteAllShortcuts(other, sub);
        ForceRemoveTree(subFolder());
        CoUninitialize();
        TempFolderTest::TearDown();
    }
    std::wstring subFolder() const { return Folder(CSIDL_PROGRAMS) + L"\\" + sub; }

    const std::wstring name = L"Shortcut test " + std::to_wstring(GetCurrentProcessId());
    const std::wstring sub = name + L" Online";
    std::wstring game, other;
};

}  // namespace

TEST_F(ShortcutsTest, AProgramsShortcutStartsItsTargetInTheTargetsFolder) {
    ASSERT_TRUE(CreateShortcut(game, L"-window", name, CSIDL_PROGRAMS, sub, 0, false));
    const std::wstring file = ShortcutPath(game, name, CSIDL_PROGRAMS, sub);
    EXPECT_EQ(subFolder() + L"\\" + name + L".lnk", file);
    const LinkFields link = ReadLink(file);
    EXPECT_EQ(game, link.target);
    EXPECT_EQ(L"-window", link.arguments);
    EXPECT_EQ(dir(), link.working);
    EXPECT_TRUE(DeleteShortcut(game, name, CSIDL_PROGRAMS, sub));
    EXPECT_FALSE(PathExists(subFolder()));
}

TEST_F(ShortcutsTest, TheLastShortcutOfASubFolderTakesItsDesktopIniAndTheFolderAlong) {
    ASSERT_TRUE(CreateShortcut(game, L"", name, CSIDL_PROGRAMS, sub, 0, true));
    ASSERT_TRUE(CreateShortcut(other, L"", UninstallShortcutName(name), CSIDL_PROGRAMS, sub, 1, false));
    ASSERT_TRUE(PathExists(subFolder() + L"\\Desktop.ini"));
    EXPECT_TRUE(DeleteShortcut(game, name, CSIDL_PROGRAMS, sub));
    EXPECT_TRUE(PathExists(subFolder() + L"\\Desktop.ini"));  // the uninstall shortcut is still there
    EXPECT_TRUE(DeleteUninstallShortcut(other, name, sub, false));
    EXPECT_FALSE(PathExists(subFolder()));
}

TEST_F(ShortcutsTest, DeleteAllShortcutsLeavesLinksToOtherProgramsAlsoUnderTheSameName) {
    ASSERT_TRUE(CreateShortcut(game, L"", name, CSIDL_DESKTOP, L"", 0, false));
    ASSERT_TRUE(CreateShortcut(other, L"", name, CSIDL_STARTMENU, L"", 0, false));
    ASSERT_TRUE(CreateShortcut(other, L"", name + L" 2", CSIDL_DESKTOP, L"", 0, false));
    ASSERT_TRUE(CreateShortcut(game, L"", name, CSIDL_PROGRAMS, sub, 0, true));
    std::wstring shouted = game;
    std::transform(shouted.begin(), shouted.end(), shouted.begin(), towupper);
    EXPECT_TRUE(DeleteAllShortcuts(shouted, sub));
    EXPECT_FALSE(PathExists(ShortcutPath(game, name, CSIDL_DESKTOP, L"")));
    EXPECT_TRUE(PathExists(ShortcutPath(other, name, CSIDL_STARTMENU, L"")));
    EXPECT_TRUE(PathExists(ShortcutPath(other, name + L" 2", CSIDL_DESKTOP, L"")));
    EXPECT_FALSE(PathExists(subFolder()));
}

TEST_F(ShortcutsTest, AFolderWithoutAPathOrAMissingNameFails) {
    EXPECT_FALSE(CreateShortcut(game, L"", name, CSIDL_DRIVES, L"", 0, false));  // "My Computer"
    EXPECT_FALSE(CreateShortcut(game, L"", name, 0xFE, sub, 0, true));           // no such folder
    EXPECT_FALSE(DeleteShortcut(game, name, 0xFE, sub));
    EXPECT_EQ(L"", ShortcutPath(game, name, CSIDL_DRIVES, L""));
    EXPECT_FALSE(CreateShortcut(game, L"", L"", CSIDL_DESKTOP, L"", 0, false));
    EXPECT_FALSE(DeleteAllShortcuts(L"", sub));
}
