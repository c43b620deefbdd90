// The logic object's side of the assistant, in this process: it copies
// this test executable (whose entry plays the assistant for "/assistant")
// to the temporary folder, starts it, sends the command and acts on the
// answer; and its reactions to the assistant's messages.

#include "common/assistant_link.h"
#include "logic/logic_fixture.h"
#include "logic/runtime_update.h"
#include "logic/server_link.h"
#include "net/net_test_support.h"
#include "system/runtime_update_url.h"

#include <cwctype>

namespace {

std::wstring SleeperPath() { return BuiltProgramPath(L"assistant_test_sleeper.exe"); }

std::wstring FileName(const std::wstring& path) { return path.substr(path.rfind(L'\\') + 1); }

std::wstring Upper(std::wstring s) {
    for (wchar_t& c : s) c = wchar_t(towupper(c));
    return s;
}

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

OSVERSIONINFOEXW Windows7() {
    OSVERSIONINFOEXW v{};
    v.dwMajorVersion = 6;
    v.dwMinorVersion = 1;
    v.wProductType = VER_NT_WORKSTATION;
    return v;
}

class LogicAssistant : public LogicObject {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetEnvironmentVariableW(L"TMP", temp, MAX_PATH);
        oldTmp_ = temp;
        LogicObject::SetUp();
    }
    void TearDown() override {
        logic_.uninit();
        SetEnvironmentVariableW(L"TMP", oldTmp_.c_str());
        LogicObject::TearDown();
    }

    // The temporary folder the launcher copies its assistant to. Test
    // processes share one, so the unique-name rule keeps their copies (and
    // pipes) apart; "LauncherAssistant.exe" is always taken there.
    void UseSharedTemp() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        const std::wstring shared = std::wstring(temp) + L"launcher-tests\\assistant-temp";
        CreateDirectoryW(shared.c_str(), nullptr);
        if (!PathExists(shared + L"\\LauncherAssistant.exe")) WriteFileBytes(shared + L"\\LauncherAssistant.exe", "");
        SetEnvironmentVariableW(L"TMP", shared.c_str());
    }
    void UseTemp(const std::wstring& folder) { SetEnvironmentVariableW(L"TMP", folder.c_str()); }

    // The log so far; the log stays open.
    std::string Log() { return ReadFileBytes(path(L"logic.log")); }
    bool Contains(const std::string& text) { return Log().find(text) != std::string::npos; }

    std::wstring oldTmp_;
};

}  // namespace

TEST_F(LogicAssistant, KillProcessRunsTheCopyEndToEndAndTheCopyGoesAtExit) {
    UseSharedTemp();
    // The uninstaller's way of naming the installation folder.
    const std::wstring inst = path(L"inst"), other = path(L"other");
    ASSERT_TRUE(CreateDirectoryW(inst.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(other.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(SleeperPath().c_str(), (inst + L"\\GameClient.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(SleeperPath().c_str(), (other + L"\\GameClient.exe").c_str(), FALSE));
    CChildProcess client, bystander;
    ASSERT_TRUE(client.Start(inst + L"\\GameClient.exe", L""));
    ASSERT_TRUE(bystander.Start(other + L"\\GameClient.exe", L""));
    ASSERT_TRUE(logic_.init(rcUninstallFrom, Upper(inst)));

    ASSERT_TRUE(logic_.assistant().RunAssistant(eLauncherCmd_KillProcess));
    const std::wstring copy = logic_.assistant().assistantPath();
    EXPECT_NE(L"LauncherAssistant.exe", FileName(copy));
    EXPECT_EQ(L".exe", copy.substr(copy.size() - 4));
    EXPECT_TRUE(PathExists(copy));
    EXPECT_EQ(9, wizard_.CurrentPage());

    // The answer ends the launcher.
    ASSERT_TRUE(PumpUntil([&] { return logic_.closing(); }, 30000)) << Log();
    EXPECT_EQ(0, client.Wait(5000));
    EXPECT_EQ(-1, bystander.Wait(0));
    EXPECT_EQ(eLauncherCmd_KillProcess, logic_.assistant().assistantData().command);
    EXPECT_EQ(Upper(inst) + L"\\GameClient.exe",
              std::wstring(logic_.assistant().assistantData().chTemp.begin(), logic_.assistant().assistantData().chTemp.end()));

    const std::wstring folder = copy.substr(0, copy.rfind(L'\\'));
    for (const std::wstring& leftover : {copy, copy + L".log", folder, folder + L".tmp"})
        EXPECT_FALSE(PathExists(leftover)) << Narrow(leftover);

    const std::string log = Log();
    for (const std::string& line :
         {std::string("Unpacking LauncherAssistant to temp .. OK\r\n"),
          "Pipe name: \\\\.\\pipe\\launcher_" + Narrow(FileName(copy)) + " create .. OK\r\n",
          std::string("Run LauncherAssistant .. OK\r\n"),
          std::string("OnUserMessage: eWindowsMessage_LauncherAssistantInitResult\r\n"),
          std::string("::eLauncherCmd_KillProcess .. OK\r\n"), std::string("FillDataForAssistant()\r\n"),
          std::string("\r\n--- SendDataToAssistant ---\r\n\r\n  chInstallFolder = " + Narrow(Upper(inst)) + "\r\n"),
          "  chTemp = " + Narrow(Upper(inst)) + "\\GameClient.exe\r\n",
          std::string("  chLauncherName = Launcher.exe\r\n  chTemp = "),
          std::string("  bIconStartMenu = false\r\n\r\n  Icons:\r\n\r\n---------------------------\r\n\r\n"),
          std::string("OnUserMessage: eWindowsMessage_LauncherAssistantWorkResult\r\n"
                      "::eLauncherCmd_KillProcess .. OK\r\n"),
          std::string("Deleting launcher assistant from temp\r\nPostQuitMessage(0)\r\n")})
        EXPECT_NE(std::string::npos, log.find(line)) << line << "\n--- log ---\n" << log;
}

TEST_F(LogicAssistant, GetRightsOnAFolderTreeEndsWithSuccess) {
    UseSharedTemp();
    const std::wstring inst = path(L"inst");
    ASSERT_TRUE(CreateDirectoryW(inst.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((inst + L"\\sub").c_str(), nullptr));
    WriteFileBytes(inst + L"\\sub\\file.bin", "data");
    // The product's key is created by the rights grant; leave the prefix as found.
    HKEY existing = nullptr;
    const bool productKeyExisted =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Hollisk Games", 0, KEY_READ, &existing) == ERROR_SUCCESS;
    CRegKeyHandle(existing).Reset();

    ASSERT_TRUE(logic_.init(rcUninstallFrom, inst));
    ASSERT_TRUE(logic_.assistant().RunAssistant(eLauncherCmd_GetRights));
    const bool answered =
        PumpUntil([&] { return Contains("OnUserMessage: eWindowsMessage_LauncherAssistantWorkResult"); }, 30000);
    if (!productKeyExisted) RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Hollisk Games");
    ASSERT_TRUE(answered) << Log();
    EXPECT_TRUE(Contains("OnUserMessage: eWindowsMessage_LauncherAssistantWorkResult\r\n::eLauncherCmd_GetRights .. OK\r\n"))
        << Log();
    // Success continues the flow (here: the uninstaller's page), no error shown.
    EXPECT_TRUE(wizard_.messages().empty());
    const std::wstring copy = logic_.assistant().assistantPath();
    logic_.Exit();
    EXPECT_FALSE(PathExists(copy));
}

// Windows 7 without the runtime: the player is asked; Yes fetches the
// package (here from the test server, given as its address), saves it and
// hands it to the assistant, whose failure the player is told.
TEST_F(LogicAssistant, WithoutTheRuntimeYesFetchesThePackageAndHandsItToTheAssistant) {
    UseSharedTemp();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring package = std::wstring(temp) + L"KB2999226.msu";
    DeleteFileW(package.c_str());
    ASSERT_TRUE(logic_.init(rcNone, L""));
    CRuntimeUpdate& runtime = logic_.runtime();
    runtime.CheckRuntime(Windows7(), true, [](const wchar_t*) { return false; });
    EXPECT_EQ(RuntimeUpdateUrl(6, 1, true, true), runtime.packageUrl());
    runtime.AskForRuntimeUpdate();
    ASSERT_EQ(1u, wizard_.messages().size());
    EXPECT_EQ(GetString(113), wizard_.messages().back().text);
    EXPECT_EQ(unsigned(mbbYes | mbbNo), wizard_.messages().back().buttons);

    ASSERT_TRUE(logic_.server().StartNetwork());
    const std::string address = ServerBase() + "/t/" + UniqueMarker() + "/data/300000";
    runtime.StartDownload(address);
    EXPECT_EQ(kPageDownload, wizard_.CurrentPage());

    // Nothing on this system installs such a package: the assistant says so,
    // the player is told, and the file it never started stays.
    ASSERT_TRUE(PumpUntil([&] { return Contains("OnUserMessage: eWindowsMessage_LauncherAssistantWorkResult"); }, 30000))
        << Log();
    EXPECT_EQ(GetString(116), wizard_.messages().back().text);
    EXPECT_EQ(Pattern(0, 300000), ReadFileBytes(package));
    DeleteFileW(package.c_str());
    for (const char* line : {"File 'KB2999226.msu' saved, 300000 bytes.\r\n", "Installing KB2999226...\r\n",
                             "::eLauncherCmd_InstallKB .. error: "})
        EXPECT_TRUE(Contains(line)) << line << "\n--- log ---\n" << Log();
}

// Where there is no update for the system the player is only pointed to
// help; with one, No goes on with the installation without it.
TEST_F(LogicAssistant, WithoutTheRuntimeNoGoesOnWithTheInstallation) {
    ASSERT_TRUE(logic_.init(rcNone, L""));
    CRuntimeUpdate& runtime = logic_.runtime();
    OSVERSIONINFOEXW server32 = Windows7();
    server32.wProductType = VER_NT_SERVER;
    runtime.CheckRuntime(server32, false, [](const wchar_t*) { return false; });
    EXPECT_TRUE(runtime.packageUrl().empty());
    runtime.AskForRuntimeUpdate();
    ASSERT_EQ(1u, wizard_.messages().size());
    EXPECT_EQ(GetString(114), wizard_.messages().back().text);
    EXPECT_EQ(unsigned(mbbOk), wizard_.messages().back().buttons);

    runtime.CheckRuntime(Windows7(), true, [](const wchar_t*) { return false; });
    runtime.AskForRuntimeUpdate();
    EXPECT_EQ(GetString(113), wizard_.messages().back().text);
    logic_.OnControl(Id("mbox_no"));
    EXPECT_TRUE(logic_.server().ready()) << "the installation went on with the network";
    EXPECT_EQ(kPageServerInfo, wizard_.CurrentPage());
    EXPECT_EQ(std::string::npos, Log().find("KB file"));
}

// Each launcher copies its assistant into a fresh folder of its own, named
// after the copy. (Its access list cannot be read back under Wine, which
// shows a file's Unix mode bits instead.)
TEST_F(LogicAssistant, EachLauncherCopiesItsAssistantIntoAFreshFolderOfItsOwn) {
    const std::wstring temp = path(L"tmp");
    ASSERT_TRUE(CreateDirectoryW(temp.c_str(), nullptr));
    UseTemp(temp);
    ASSERT_TRUE(logic_.init(rcUninstallFrom, path(L"inst")));
    ASSERT_TRUE(logic_.assistant().PrepareAssistantCopy());
    const std::wstring copy = logic_.assistant().assistantPath();
    const std::wstring folder = copy.substr(0, copy.rfind(L'\\'));
    EXPECT_EQ(temp + L"\\", folder.substr(0, temp.size() + 1));
    EXPECT_EQ(folder + L"\\" + FileName(folder) + L".exe", copy);
    EXPECT_TRUE(PathExists(folder + L".tmp"));  // the name's placeholder
    EXPECT_EQ(ReadFileBytes(BuiltProgramPath(L"logic_tests.exe")), ReadFileBytes(copy));
    // The path is kept: the next command replaces the same file.
    WriteFileBytes(copy, "stale");
    SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(logic_.assistant().PrepareAssistantCopy());
    EXPECT_EQ(copy, logic_.assistant().assistantPath());
    EXPECT_GT(ReadFileBytes(copy).size(), 5u);

    // Another launcher gets another folder.
    CStandInWizard secondWizard;
    CLogic second(secondWizard);
    ASSERT_TRUE(second.preinit());
    ASSERT_TRUE(second.assistant().PrepareAssistantCopy());
    const std::wstring other = second.assistant().assistantPath();
    const std::wstring otherFolder = other.substr(0, other.rfind(L'\\'));
    EXPECT_NE(folder, otherFolder);
    EXPECT_EQ(temp + L"\\", otherFolder.substr(0, temp.size() + 1));
    WriteFileBytes(other + L".log", "log");

    second.assistant().DeleteAssistantCopy();
    for (const std::wstring& leftover : {other, other + L".log", otherFolder, otherFolder + L".tmp"})
        EXPECT_FALSE(PathExists(leftover)) << Narrow(leftover);
    EXPECT_TRUE(PathExists(copy));  // not the second launcher's
    logic_.Exit();
    EXPECT_FALSE(PathExists(copy));
    EXPECT_FALSE(PathExists(folder));
}

TEST_F(LogicAssistant, AFailedStartShowsString105WithRetry) {
    UseTemp(path(L"no-such-folder"));
    ASSERT_TRUE(logic_.init(rcUninstallFrom, path(L"inst")));
    EXPECT_FALSE(logic_.assistant().RunAssistant(eLauncherCmd_GetRights));
    ASSERT_EQ(1u, wizard_.messages().size());
    const auto& m = wizard_.messages().back();
    EXPECT_EQ(9, logic_.flow().MessageAction());
    EXPECT_EQ(GetString(105), m.text);
    EXPECT_EQ(unsigned(mbbRetry | mbbCancel), m.buttons);
    EXPECT_TRUE(Contains("Unpacking LauncherAssistant to temp .. Fail\r\n"));
    EXPECT_FALSE(Contains("Run LauncherAssistant"));
}

TEST_F(LogicAssistant, APipeThatCannotBeCreatedShowsString105) {
    const std::wstring temp = path(L"tmp");
    ASSERT_TRUE(CreateDirectoryW(temp.c_str(), nullptr));
    UseTemp(temp);
    ASSERT_TRUE(logic_.init(rcUninstallFrom, path(L"inst")));
    ASSERT_TRUE(logic_.assistant().PrepareAssistantCopy());
    // Someone else holds the only instance of that pipe name.
    CNamedPipe squatter;
    ASSERT_TRUE(squatter.Create(AssistantPipeName(logic_.assistant().assistantPath())));
    EXPECT_FALSE(logic_.assistant().RunAssistant(eLauncherCmd_GetRights));
    ASSERT_FALSE(wizard_.messages().empty());
    EXPECT_EQ(GetString(105), wizard_.messages().back().text);
    EXPECT_TRUE(Contains(" create .. Fail\r\n"));
    EXPECT_FALSE(Contains("Run LauncherAssistant"));
}

TEST_F(LogicAssistant, AnswersBecomeTheMessagesOfTheirCommands) {
    UseTemp(path(L"no-such-folder"));  // nothing really starts
    ASSERT_TRUE(logic_.init(rcNone, L""));
    const HWND window = wizard_.Window();
    auto lastText = [&] { return wizard_.messages().back().text; };

    // Without a command nothing is acted on.
    SendMessageW(window, eWindowsMessage_LauncherAssistantWorkResult, eLauncherCmd_GetRights, 0);
    EXPECT_TRUE(wizard_.messages().empty());
    EXPECT_TRUE(Contains("  .. no assistant command pending, ignored\r\n"));

    logic_.assistant().RunAssistant(eLauncherCmd_GetRights);
    SendMessageW(window, eWindowsMessage_LauncherAssistantWorkResult, eLauncherCmd_GetRights, 4);
    EXPECT_EQ(GetString(70), lastText());
    EXPECT_TRUE(Contains("::eLauncherCmd_GetRights .. error: CntSetRights\r\n"));

    logic_.assistant().RunAssistant(eLauncherCmd_Install);
    SendMessageW(window, eWindowsMessage_LauncherAssistantWorkResult, eLauncherCmd_Install, 6);
    EXPECT_NE(std::wstring::npos, lastText().find(L"Talvoro")) << Narrow(lastText());
    EXPECT_EQ(std::wstring::npos, lastText().find(L"%s"));
    SendMessageW(window, eWindowsMessage_LauncherAssistantWorkResult, eLauncherCmd_Install, 5);
    EXPECT_EQ(GetString(108), lastText());
    EXPECT_TRUE(Contains("::eLauncherCmd_Install .. error: CntCreateUninstallRegPath\r\n"));

    logic_.assistant().RunAssistant(eLauncherCmd_InstallKB);
    SendMessageW(window, eWindowsMessage_LauncherAssistantWorkResult, eLauncherCmd_InstallKB, 17);
    EXPECT_EQ(GetString(116), lastText());
    EXPECT_TRUE(Contains("::eLauncherCmd_InstallKB .. error: Unknown\r\n"));

    logic_.assistant().RunAssistant(eLauncherCmd_Uninstall);
    SendMessageW(window, eWindowsMessage_LauncherAssistantWorkResult, eLauncherCmd_Uninstall, 14);
    EXPECT_EQ(GetString(108), lastText());

    SendMessageW(window, eWindowsMessage_LauncherAssistantWorkResult, 12, 0);
    EXPECT_EQ(GetString(101), lastText());
    EXPECT_TRUE(Contains("error: unknown eLauncherCmd\r\n"));

    // A connection failure names the system error.
    SendMessageW(window, eWindowsMessage_LauncherAssistantInitResult, 2, 11);
    EXPECT_EQ(GetString(101), lastText());
    EXPECT_TRUE(Contains("::eLauncherCmd_Init .. error: CntOpenPipe, GetLastError() = 2\r\n"));

    // No rights: string 106 with Retry and Cancel.
    SendMessageW(window, eWindowsMessage_LauncherAssistantNoRights, 0, 0);
    EXPECT_EQ(GetString(106), lastText());
    EXPECT_EQ(9, logic_.flow().MessageAction());

    // Progress moves the bar and is not a result.
    const size_t shown = wizard_.messages().size();
    logic_.assistant().RunAssistant(eLauncherCmd_KillProcess);
    logic_.flow().ShowPage(9);
    SendMessageW(window, eWindowsMessage_LauncherAssistantWorkResult, eLauncherCmd_Progress, 42);
    EXPECT_EQ(42, wizard_.Progress(wizard_.FindControl("progress_progress")));
    EXPECT_FALSE(logic_.closing());
    // KillProcess ends the launcher whatever its result.
    SendMessageW(window, eWindowsMessage_LauncherAssistantWorkResult, eLauncherCmd_KillProcess, 14);
    EXPECT_TRUE(logic_.closing());
    EXPECT_EQ(shown + 1, wizard_.messages().size());  // only the 105 of the failed start
}

TEST_F(LogicAssistant, CancelStopsTheRunningAssistant) {
    UseSharedTemp();
    const std::wstring inst = path(L"inst");
    ASSERT_TRUE(CreateDirectoryW(inst.c_str(), nullptr));
    for (int d = 0; d < 40; ++d) {
        const std::wstring sub = inst + L"\\d" + std::to_wstring(d);
        ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
        for (int f = 0; f < 100; ++f) WriteFileBytes(sub + L"\\f" + std::to_wstring(f), "");
    }
    HKEY existing = nullptr;
    const bool productKeyExisted =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Hollisk Games", 0, KEY_READ, &existing) == ERROR_SUCCESS;
    CRegKeyHandle(existing).Reset();

    ASSERT_TRUE(logic_.init(rcUninstallFrom, inst));
    EXPECT_FALSE(logic_.assistant().CancelAssistant());  // nothing to cancel yet
    ASSERT_TRUE(logic_.assistant().RunAssistant(eLauncherCmd_GetRights));
    ASSERT_TRUE(PumpUntil([&] { return Contains("---------------------------\r\n"); }, 30000)) << Log();
    const std::wstring copy = logic_.assistant().assistantPath();
    EXPECT_TRUE(logic_.assistant().CancelAssistant());  // the assistant ended within its limit
    // Its answer was sent before it ended.
    const bool answered =
        PumpUntil([&] { return Contains("OnUserMessage: eWindowsMessage_LauncherAssistantWorkResult"); }, 10000);
    if (!productKeyExisted) RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Hollisk Games");
    EXPECT_TRUE(answered);
    EXPECT_TRUE(Contains("Sending cancel to launcher assistant\r\n"));
    EXPECT_NE(std::string::npos, ReadFileBytes(copy + L".log").find("GrantRights: cancelled\r\n"));
    logic_.Exit();
    EXPECT_FALSE(PathExists(copy));
}

TEST_F(LogicAssistant, AnAssistantThatCannotBeWatchedIsAbandoned) {
    UseTemp(path(L"no-such-folder"));  // nothing really starts
    ASSERT_TRUE(logic_.init(rcNone, L""));
    const HWND window = wizard_.Window();
    logic_.assistant().RunAssistant(eLauncherCmd_GetRights);
    const size_t shown = wizard_.messages().size();
    // A process id that names no process.
    SendMessageW(window, eWindowsMessage_LauncherAssistantInitResult, 0xFFFFFFF0u, 0);
    ASSERT_EQ(shown + 1, wizard_.messages().size());
    EXPECT_EQ(GetString(101), wizard_.messages().back().text);
    EXPECT_FALSE(Contains("FillDataForAssistant()"));
    // Its late answer is not acted on.
    SendMessageW(window, eWindowsMessage_LauncherAssistantWorkResult, eLauncherCmd_GetRights, 0);
    EXPECT_TRUE(Contains("  .. no assistant command pending, ignored\r\n"));
    EXPECT_FALSE(Contains("::eLauncherCmd_GetRights .. OK"));
    EXPECT_EQ(shown + 1, wizard_.messages().size());

    // Progress and cancel codes are never commands to start.
    logic_.assistant().RunAssistant(eLauncherCmd_Progress);
    SendMessageW(window, eWindowsMessage_LauncherAssistantInitResult, GetCurrentProcessId(), 0);
    EXPECT_TRUE(Contains(" .. error: unknown eLauncherCmd\r\n"));
    EXPECT_EQ(GetString(101), wizard_.messages().back().text);
    EXPECT_FALSE(Contains("FillDataForAssistant()"));
}
