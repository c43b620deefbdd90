// The assistant as a real second process: a copy of the built Launcher.exe
// started with "/assistant <hwnd>", driven through its pipe by the test,
// which plays the launcher.

#include "common/process.h"
#include "startup/handle.h"
#include "system/assistant_fixture.h"

#include <aclapi.h>
#include <sddl.h>

#include <cwctype>
#include <iostream>
#include <tuple>

namespace {

std::wstring SleeperPath() { return BuiltProgramPath(L"assistant_test_sleeper.exe"); }

std::wstring Upper(std::wstring s) {
    for (wchar_t& c : s) c = wchar_t(towupper(c));
    return s;
}

struct Ace {
    std::wstring sid;
    DWORD mask;
    BYTE flags;
};

std::vector<Ace> DaclOf(PSECURITY_DESCRIPTOR sd) {
    std::vector<Ace> out;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted) || !present || !dacl) return out;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace)) continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        LPWSTR text = nullptr;
        ConvertSidToStringSidW(&allowed->SidStart, &text);
        out.push_back({text ? text : L"?", allowed->Mask, allowed->Header.AceFlags});
        LocalFree(text);
    }
    return out;
}

std::vector<Ace> FileDacl(const std::wstring& path) {
    DWORD needed = 0;
    GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    std::vector<BYTE> sd(needed ? needed : 1);
    if (!GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, sd.data(), needed, &needed)) return {};
    return DaclOf(sd.data());
}

std::vector<Ace> KeyDacl(const std::wstring& path) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, READ_CONTROL, &opened) != ERROR_SUCCESS) return {};
    const CRegKeyHandle key(opened);
    DWORD size = 0;
    RegGetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, nullptr, &size);
    std::vector<BYTE> sd(size ? size : 1);
    std::vector<Ace> out;
    if (RegGetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, sd.data(), &size) == ERROR_SUCCESS)
        out = DaclOf(sd.data());
    return out;
}

std::string Describe(const std::vector<Ace>& aces) {
    std::string s;
    for (const Ace& a : aces) {
        char line[160];
        snprintf(line, sizeof line, "%ls mask=%08lx flags=%02x; ", a.sid.c_str(), a.mask, a.flags);
        s += line;
    }
    return s;
}

// The four entries the assistant grants. Generic rights may come back
// mapped to the object's specific rights.
void ExpectGrantedDacl(const std::vector<Ace>& aces, DWORD allMapped) {
    ASSERT_EQ(4u, aces.size()) << Describe(aces);
    const wchar_t* const kSids[] = {L"S-1-5-32-544", L"S-1-5-32-545", L"S-1-5-18", L"S-1-1-0"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(kSids[i], aces[i].sid) << Describe(aces);
        EXPECT_EQ(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, aces[i].flags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE))
            << Describe(aces);
        if (i < 3) {
            EXPECT_TRUE(aces[i].mask == GENERIC_ALL || aces[i].mask == allMapped) << Describe(aces);
        }
    }
    EXPECT_EQ(1u, aces[3].mask) << Describe(aces);
}

// Whether this file system keeps a DACL written to a file: one entry for
// Users with access mask 1 must read back as written.
bool FileDaclsAreKept(const std::wstring& probe) {
    WriteFileBytes(probe, "");
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID users = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0, &users))
        return false;
    BYTE aclBytes[64];
    PACL acl = reinterpret_cast<PACL>(aclBytes);
    SECURITY_DESCRIPTOR sd;
    const bool set = InitializeAcl(acl, sizeof aclBytes, ACL_REVISION) && AddAccessAllowedAce(acl, ACL_REVISION, 1, users) &&
                     InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) &&
                     SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE) &&
                     SetFileSecurityW(probe.c_str(), DACL_SECURITY_INFORMATION, &sd);
    FreeSid(users);
    const std::vector<Ace> back = FileDacl(probe);
    return set && back.size() == 1 && back[0].sid == L"S-1-5-32-545" && back[0].mask == 1;
}


}  // namespace

TEST_F(AssistantProcess, GetRightsGrantsTheTreeAndTheKeys) {
    const std::wstring inst = path(L"inst");
    ASSERT_TRUE(CreateDirectoryW(inst.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((inst + L"\\a").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((inst + L"\\a\\b").c_str(), nullptr));
    WriteFileBytes(inst + L"\\x.dat", "x");
    WriteFileBytes(inst + L"\\a\\b\\deep.txt", "deep");

    Connect();
    SendCommand(eLauncherCmd_GetRights);
    SendRecord(RightsRecord(inst + L"\\"));
    const auto r = Result();
    EXPECT_EQ(WPARAM(eLauncherCmd_GetRights), r.w);
    EXPECT_EQ(0, r.l);
    EXPECT_EQ(0, child_.Wait(10000));

    const std::string log = AssistantLog();
    EXPECT_NE(std::string::npos, log.find("launcherAssistant started"));
    EXPECT_NE(std::string::npos,
              log.find("OpenPipe '\\\\.\\pipe\\launcher_asst" + std::to_string(GetCurrentProcessId()) + ".exe' - ok\r\n"));
    EXPECT_NE(std::string::npos, log.find("Pipe closed\r\n"));
    EXPECT_EQ(std::string::npos, log.find("setLastAssistantError"));

    if (!FileDaclsAreKept(path(L"probe"))) {
        // Wine without extended attributes derives file DACLs from the
        // Unix mode bits; only the keys can be checked there.
        std::cout << "[ NOTE ] file DACLs are not kept on this file system; checked the keys only\n";
    } else {
        for (const wchar_t* item : {L"", L"\\x.dat", L"\\a", L"\\a\\b\\deep.txt"}) {
        SCOPED_TRACE(testing::Message() << "file " << std::string(item, item + wcslen(item)));
            ExpectGrantedDacl(FileDacl(inst + item), FILE_ALL_ACCESS);
        }
    }
    for (const std::wstring& key : {regPath_, regPath_ + L"\\Install"}) {
        SCOPED_TRACE("key");
        ExpectGrantedDacl(KeyDacl(key), KEY_ALL_ACCESS);
    }
}

TEST_F(AssistantProcess, GetRightsOnAMissingFolderAnswersCntFoundDir) {
    Connect();
    SendCommand(eLauncherCmd_GetRights);
    SendRecord(RightsRecord(path(L"missing")));
    const auto r = Result();
    EXPECT_EQ(WPARAM(eLauncherCmd_GetRights), r.w);
    EXPECT_EQ(9, r.l);
    EXPECT_EQ(0, child_.Wait(10000));
    EXPECT_NE(std::string::npos, AssistantLog().find("setLastAssistantError: error = 9, lastError = "));
    HKEY key = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, regPath_.c_str(), 0, KEY_READ, &key));
}

TEST_F(AssistantProcess, CommandZeroAnswers13WithoutReadingARecord) {
    Connect();
    // Only the code: an assistant that waited for a record would hang here.
    SendCommand(0);
    const auto r = Result();
    EXPECT_EQ(0u, r.w);
    EXPECT_EQ(13, r.l);
    EXPECT_EQ(0, child_.Wait(10000));
}

TEST_F(AssistantProcess, CommandTenAnswers13WithoutReadingARecord) {
    Connect();
    SendCommand(10);
    const auto r = Result();
    EXPECT_EQ(10u, r.w);
    EXPECT_EQ(13, r.l);
    EXPECT_EQ(0, child_.Wait(10000));
    EXPECT_NE(std::string::npos, AssistantLog().find("setLastAssistantError: error = 13"));
}

TEST_F(AssistantProcess, InstallKBIsNotFollowedByARecord) {
    Connect();
    SendCommand(eLauncherCmd_InstallKB);
    const auto r = Result();
    EXPECT_EQ(WPARAM(eLauncherCmd_InstallKB), r.w);
    EXPECT_NE(12, r.l);
    EXPECT_EQ(0, child_.Wait(10000));
}

TEST_F(AssistantProcess, ShortRecordAnswers12) {
    Connect();
    SendCommand(eLauncherCmd_GetRights);
    const std::vector<uint8_t> part(100, 0);
    ASSERT_TRUE(pipe_.Write(part.data(), part.size()));
    pipe_.Close();
    const auto r = Result();
    EXPECT_EQ(WPARAM(eLauncherCmd_GetRights), r.w);
    EXPECT_EQ(12, r.l);
    EXPECT_EQ(0, child_.Wait(10000));
}

TEST_F(AssistantProcess, PipeClosedBeforeTheCommandAnswers12) {
    Connect();
    pipe_.Close();
    const auto r = Result();
    EXPECT_EQ(0u, r.w);
    EXPECT_EQ(12, r.l);
    EXPECT_EQ(0, child_.Wait(10000));
}

TEST_F(AssistantProcess, KillProcessEndsOnlyTheProcessOfThatPath) {
    const std::wstring a = path(L"a"), b = path(L"b");
    ASSERT_TRUE(CreateDirectoryW(a.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(b.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(SleeperPath().c_str(), (a + L"\\GameClient.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(SleeperPath().c_str(), (b + L"\\GameClient.exe").c_str(), FALSE));
    CChildProcess target, bystander;
    ASSERT_TRUE(target.Start(a + L"\\GameClient.exe", L""));
    ASSERT_TRUE(bystander.Start(b + L"\\GameClient.exe", L""));
    Sleep(300);  // let both load their modules

    Connect();
    SendCommand(eLauncherCmd_KillProcess);
    LauncherAssistantData d;
    d.command = eLauncherCmd_KillProcess;
    d.chTemp = U16(Upper(a + L"\\GameClient.exe"));  // case does not matter
    SendRecord(d);
    const auto r = Result();
    EXPECT_EQ(WPARAM(eLauncherCmd_KillProcess), r.w);
    EXPECT_EQ(0, r.l);
    EXPECT_EQ(0, target.Wait(5000));  // ended by the assistant (exit code 0)
    EXPECT_EQ(-1, bystander.Wait(0));  // still running
    EXPECT_EQ(0, child_.Wait(10000));
    const std::string log = AssistantLog();
    EXPECT_NE(std::string::npos, log.find("KillProcesses: "));
    const size_t ended = log.find("  terminate ");
    ASSERT_NE(std::string::npos, ended) << log;
    EXPECT_NE(std::string::npos, log.find("\\a\\GameClient.exe\r\n", ended)) << log;
    EXPECT_EQ(std::string::npos, log.find("  terminate ", ended + 1)) << log;
}

// The pipe is served by the test, the window given belongs to another
// process: the assistant takes no command from such a pipe.
TEST_F(AssistantProcess, ACommandFromAPipeServerOtherThanTheLauncherIsNotCarriedOut) {
    const std::wstring a = path(L"a");
    ASSERT_TRUE(CreateDirectoryW(a.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(SleeperPath().c_str(), (a + L"\\GameClient.exe").c_str(), FALSE));
    CChildProcess target;
    ASSERT_TRUE(target.Start(a + L"\\GameClient.exe", L""));
    DWORD desktopProcess = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &desktopProcess);
    ASSERT_NE(GetCurrentProcessId(), desktopProcess);

    ASSERT_TRUE(Start(GetDesktopWindow()));
    // Until the assistant has the pipe open, or has let go of it again.
    for (int i = 0; i < 400; ++i) {
        DWORD available = 0;
        if (PeekNamedPipe(pipe_.Handle(), nullptr, 0, nullptr, &available, nullptr) ||
            GetLastError() != ERROR_PIPE_LISTENING)
            break;
        Sleep(50);
    }
    const uint32_t command = eLauncherCmd_KillProcess;
    pipe_.Write(&command, sizeof command);
    LauncherAssistantData d;
    d.command = command;
    d.chTemp = U16(a + L"\\GameClient.exe");
    const std::vector<uint8_t> bytes = EncodeAssistantData(d);
    pipe_.Write(bytes.data(), bytes.size());
    EXPECT_EQ(0, child_.Wait(20000));
    EXPECT_EQ(-1, target.Wait(500)) << AssistantLog();  // still running
}

TEST_F(AssistantProcess, AHalfReadShortcutListIsNeverActedOn) {
    const std::wstring a = path(L"a");
    ASSERT_TRUE(CreateDirectoryW(a.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(SleeperPath().c_str(), (a + L"\\GameClient.exe").c_str(), FALSE));
    CChildProcess target;
    ASSERT_TRUE(target.Start(a + L"\\GameClient.exe", L""));

    Connect();
    SendCommand(eLauncherCmd_KillProcess);
    LauncherAssistantData d;
    d.command = eLauncherCmd_KillProcess;
    d.chTemp = U16(a + L"\\GameClient.exe");
    d.iconCount = 0xFFFFFFFFu;  // four billion records announced, two sent
    LauncherAssistantIcon icon;
    icon.name = u"n";
    icon.exec = u"e";
    SendRecord(d, {icon, icon});
    pipe_.Close();
    const auto r = Result();
    EXPECT_EQ(WPARAM(eLauncherCmd_KillProcess), r.w);
    EXPECT_EQ(12, r.l);
    EXPECT_EQ(0, child_.Wait(10000));
    EXPECT_EQ(-1, target.Wait(0));  // the kill never ran
}

TEST_F(AssistantProcess, CancelStopsALongRightsWalkAndTheResultStillArrives) {
    // Enough files that the walk takes far longer than the watcher needs
    // to see the cancel code.
    const std::wstring inst = path(L"inst");
    ASSERT_TRUE(CreateDirectoryW(inst.c_str(), nullptr));
    for (int d = 0; d < 40; ++d) {
        const std::wstring sub = inst + L"\\d" + std::to_wstring(d);
        ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
        for (int f = 0; f < 100; ++f) WriteFileBytes(sub + L"\\f" + std::to_wstring(f), "");
    }
    Connect();
    SendCommand(eLauncherCmd_GetRights);
    SendRecord(RightsRecord(inst));
    SendCommand(eLauncherCmd_Cancel);
    const auto r = Result();
    EXPECT_EQ(WPARAM(eLauncherCmd_GetRights), r.w);
    EXPECT_EQ(0, r.l);
    EXPECT_EQ(0, child_.Wait(10000));
    EXPECT_NE(std::string::npos, AssistantLog().find("GrantRights: cancelled\r\n"));
}

TEST_F(AssistantProcess, WithoutAPipeTheConnectionReportCarriesTheSystemError) {
    ASSERT_TRUE(Start(window_.hwnd(), false));
    CAssistantWindow::Report r{};
    ASSERT_TRUE(window_.WaitFor(0x914, r, 60000));
    EXPECT_EQ(11, r.l);
    EXPECT_EQ(WPARAM(ERROR_FILE_NOT_FOUND), r.w);
    EXPECT_EQ(0, child_.Wait(10000));
    EXPECT_NE(std::string::npos, AssistantLog().find("' - fail\r\n"));
}

TEST_F(AssistantProcess, AGoneLauncherWindowEndsTheAssistantQuietly) {
    HWND gone = nullptr;
    {
        CAssistantWindow temporary;
        gone = temporary.hwnd();
    }
    ASSERT_FALSE(IsWindow(gone));
    ASSERT_TRUE(Start(gone));
    // The launcher's end of the pipe goes away without a command.
    Sleep(500);
    pipe_.Close();
    EXPECT_EQ(0, child_.Wait(15000));
    EXPECT_TRUE(window_.reports().empty());
}

TEST_F(AssistantProcess, WithoutANumberTheRoleDoesNothing) {
    ASSERT_TRUE(pipe_.Create(AssistantPipeName(copy_)));
    ASSERT_TRUE(child_.Start(copy_, L"/assistant", dir()));
    EXPECT_EQ(0, child_.Wait(10000));
    EXPECT_FALSE(PathExists(copy_ + L".log"));
}


TEST_F(AssistantProcess, InstallationsTakeTheirOwnSlotsAndAReinstallKeepsItsOwn) {
    const std::wstring product = L"LauncherTest" + std::to_wstring(GetCurrentProcessId());
    const std::wstring uninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + product;
    const std::wstring first = path(L"first"), second = path(L"second");
    // An installation holds files; an empty folder's slot is pruned.
    for (const std::wstring& folder : {first, second}) {
        CreateDirectoryW(folder.c_str(), nullptr);
        WriteFileBytes(folder + L"\\client.exe", "x");
    }
    // (folder, slot it must own)
    for (const auto& [folder, slot] : {std::make_pair(first, 0), std::make_pair(second, 1), std::make_pair(first, 0)}) {
        LauncherAssistantData d = RightsRecord(folder);
        d.chFullName = d.chIconName = U16(product);
        d.chLnkDesctopIcon = u"C:\\Desktop";
        d.chHelpLink = u"http://help/";
        const auto r = Run(eLauncherCmd_Install, d);
        EXPECT_EQ(WPARAM(eLauncherCmd_Install), r.w);
        ASSERT_EQ(0, r.l) << AssistantLog();
        ASSERT_EQ(0, child_.Wait(10000)) << AssistantLog();
        pipe_.Close();

        const std::wstring entry = uninstall + L" " + std::to_wstring(slot);
        EXPECT_EQ(slot ? product + L" (2)" : product, MachineText(entry, L"DisplayName"));
        const std::wstring shortcut = slot ? product + L" (2).lnk" : product + L".lnk";
        EXPECT_EQ(L"\"" + folder + L"\\Launcher.exe\" /uninstall \"C:\\Desktop\\" + shortcut + L"\"",
                  MachineText(entry, L"UninstallString"));
        EXPECT_EQ(folder, MachineText(entry, L"InstallLocation"));
        EXPECT_EQ(L"http://help/", MachineText(entry, L"HelpLink"));
    }
    EXPECT_EQ(first, MachineText(regPath_ + L"\\Install", L"Directory"));
    EXPECT_EQ(second, MachineText(regPath_ + L"\\Install", L"Directory1"));
    EXPECT_EQ(L"", MachineText(regPath_ + L"\\Install", L"Directory2"));
    for (int slot : {0, 1}) RegDeleteTreeW(HKEY_LOCAL_MACHINE, (uninstall + L" " + std::to_wstring(slot)).c_str());
}
