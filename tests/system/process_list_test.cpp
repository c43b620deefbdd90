// Finding and ending processes by their executable's path, as the launcher
// and the assistant's KillProcess command do.

#include "common/process.h"
#include "common/temp_folder.h"
#include "system/launcher_assistant.h"
#include "system/process_list.h"

namespace {

class ProcessList : public TempFolderTest {
protected:
    std::wstring Sleeper() {
        const std::wstring copy = path(L"GameClient.exe");
        CopyFileW(BuiltProgramPath(L"assistant_test_sleeper.exe").c_str(), copy.c_str(), FALSE);
        return copy;
    }
};

}  // namespace

// A process whose modules are not loaded yet (here: started suspended) has
// no module list to read; its executable's path is known all the same.
TEST_F(ProcessList, AProcessIsFoundByItsExecutableBeforeItsModulesAreLoaded) {
    const std::wstring exe = Sleeper();
    std::wstring line = QuotedCommandLine(exe, L"");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &si, &pi));
    const CHandle process(pi.hProcess), thread(pi.hThread);

    const std::vector<DWORD> found = ProcessesWithModulePath(exe);
    EXPECT_EQ(std::vector<DWORD>{pi.dwProcessId}, found);
    EXPECT_TRUE(TerminateProcessesWithModulePath(exe));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.Get(), 5000));
}

// Nothing ended because nothing could be listed is a failure, not a success.
TEST_F(ProcessList, AProcessListThatCannotBeReadIsAFailure) {
    const std::wstring exe = Sleeper();
    CChildProcess running;
    ASSERT_TRUE(running.Start(exe, L""));
    EXPECT_FALSE(TerminateProcessesWithPath(std::nullopt, exe, 0));
    CLauncherAssistant assistant;
    EXPECT_FALSE(assistant.KillListedProcesses(std::nullopt, exe));
    EXPECT_EQ(-1, running.Wait(0));
    EXPECT_TRUE(assistant.KillListedProcesses(ListProcessIds(), exe));
    EXPECT_EQ(0, running.Wait(5000));
}
