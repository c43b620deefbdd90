// Starting the game client and restarting the launcher from the logic
// collaborators, with the stand-in client game_client.exe as the program.

#include "logic/client_link.h"
#include "logic/logic_fixture.h"
#include "logic/self_replacement.h"
#include "logic/server_link.h"
#include "system/process_list.h"

#include <thread>

namespace {

template <class Done>
bool WaitUntil(Done done, DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (!done()) {
        if (GetTickCount64() > end) return false;
        Sleep(50);
    }
    return true;
}

// Counts the exits asked for; a restart that started its program asks for one.
class CountingHost : public ILogicHost {
public:
    bool StartWork() override { return true; }
    void SetProgressStage(int) override {}
    void Exit() override { ++exits; }
    void ShowError(int) override {}
    void ShowError(const std::wstring&) override {}
    void ShowWorkProgress(int) override {}
    void OnControl(int) override {}
    int exits = 0;
};

class ClientStart : public LogicObject {
protected:
    void TearDown() override {
        for (const std::wstring& program : programs_) TerminateProcessesWithModulePath(program);
        SetEnvironmentVariableW(L"GAME_CLIENT_DOUBLE", nullptr);
        LogicObject::TearDown();
    }
    // A copy of the stand-in client at `target`, ended after the test.
    void PlaceClient(const std::wstring& target) {
        ASSERT_TRUE(CopyFileW(BuiltProgramPath(L"game_client.exe").c_str(), target.c_str(), FALSE));
        programs_.push_back(target);
    }
    std::vector<std::wstring> programs_;
};

}  // namespace

TEST_F(ClientStart, ASecondLaunchWhileTheClientStartsNeitherWaitsNorStartsAnother) {
    ASSERT_TRUE(logic_.init(rcNone, L""));
    const std::wstring client = path(L"GameClient.exe");
    PlaceClient(client);
    SetEnvironmentVariableW(L"GAME_CLIENT_DOUBLE", L"nosignal exit=30000");
    LogicContext ctx(wizard_);
    ctx.installFolder = dir();
    ctx.settings.process = "GameClient.exe";
    ctx.settings.windowClassName = "NoSuchClientWindowClass";
    CServerLink server(ctx);
    ctx.server = &server;
    CClientLink link(ctx);

    link.RunClient();
    ASSERT_TRUE(WaitUntil([&] { return ProcessesWithModulePath(client).size() == 1; }, 20000));
    // A press that waited for the first start would be released by the
    // client's start event after five seconds.
    CHandle started(CreateEventA(nullptr, TRUE, FALSE, CClientLaunchThread::kStartEventName));
    ASSERT_TRUE(started.IsValid());
    std::thread release([&] {
        Sleep(5000);
        SetEvent(started.Get());
    });
    const ULONGLONG before = GetTickCount64();
    link.RunClient();
    EXPECT_LT(GetTickCount64() - before, 2000u);
    release.join();
    link.Stop(10000);
    EXPECT_EQ(1u, ProcessesWithModulePath(client).size());
}

// "My.exe" beside "My Games" is what an unquoted path would start first.
TEST_F(ClientStart, RestartStartsTheLauncherOfAFolderWithSpacesNotAStrayProgram) {
    const std::wstring folder = path(L"My Games");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    PlaceClient(folder + L"\\Launcher.exe");
    PlaceClient(path(L"My.exe"));
    SetEnvironmentVariableW(L"GAME_CLIENT_DOUBLE", L"exit=5000");
    CountingHost host;
    LogicContext ctx(wizard_);
    ctx.host = &host;
    ctx.installFolder = folder;
    ctx.automatic = true;
    CSelfReplacement replacement(ctx);

    ASSERT_TRUE(replacement.RestartLauncher(L"Launcher.exe"));
    EXPECT_EQ(1, host.exits);
    const std::wstring recorded = folder + L"\\client_cmdline.txt";
    ASSERT_TRUE(WaitUntil([&] { return PathExists(recorded) || PathExists(path(L"client_cmdline.txt")); }, 20000));
    EXPECT_FALSE(PathExists(path(L"client_cmdline.txt")));
    const std::string line = ReadFileBytes(recorded);
    EXPECT_EQ(0u, line.find('"')) << line;
    EXPECT_NE(std::string::npos, line.find("Launcher.exe\" /restart /auto\r\n")) << line;
}
