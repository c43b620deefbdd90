// The game client seen from the launcher: its command line, finding its
// window, starting it and waiting for its start event, and processes found
// by their executable's path. Uses the stand-in client game_client.exe.

#include "common/process.h"
#include "common/temp_folder.h"
#include "logic/client_launch_thread.h"
#include "logic/client_window.h"
#include "logic/logic.h"
#include "system/process_list.h"

#include <cwctype>

namespace {

CClientLink::ClientCommandParts Parts() {
    CClientLink::ClientCommandParts p;
    p.installFolder = L"C:\\Games\\Talvoro";
    p.clientProgram = "GameClient.exe";
    p.serverUrl = "http://127.0.0.1:8080/";
    p.updatePath = "/game-clients/win32/velomar/updates.velomar/";
    return p;
}

// Receives what the launch thread posts.
class PostTarget {
public:
    PostTarget() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ClientTestPostTarget";
        RegisterClassW(&wc);
        window_ = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }
    ~PostTarget() { DestroyWindow(window_); }
    HWND window() const { return window_; }
    // The first of 0x9DC / 0x9DD within `ms`, or 0.
    UINT Wait(DWORD ms, WPARAM* w = nullptr) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < ms) {
            MSG msg;
            while (PeekMessageW(&msg, window_, 0, 0, PM_REMOVE)) {
                if (msg.message == eWindowsMessage_Exit || msg.message == eWindowsMessage_ClientStartFailed) {
                    if (w) *w = msg.wParam;
                    return msg.message;
                }
            }
            Sleep(20);
        }
        return 0;
    }

private:
    HWND window_ = nullptr;
};

class ClientProcess : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        client_ = path(L"GameClient.exe");
        ASSERT_TRUE(CopyFileW(BuiltProgramPath(L"game_client.exe").c_str(), client_.c_str(), FALSE));
    }
    void TearDown() override {
        TerminateProcessesWithModulePath(client_);
        SetEnvironmentVariableW(L"GAME_CLIENT_DOUBLE", nullptr);
        TempFolderTest::TearDown();
    }
    std::wstring client_;
};

LRESULT CALLBACK AnswerProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(l);
        const LONG_PTR answer = GetWindowLongPtrW(window, GWLP_USERDATA);
        return data->dwData == 1000 && std::string(static_cast<const char*>(data->lpData)) == "Velomar" ? answer : 0;
    }
    return DefWindowProcW(window, message, w, l);
}

}  // namespace

TEST(ClientCommandLine, ServerAppIdAndSlotArgumentsInOrder) {
    CClientLink::ClientCommandParts p = Parts();
    EXPECT_EQ(L"\"C:\\Games\\Talvoro\\GameClient.exe\" -server http://127.0.0.1:8080/",
              CClientLink::ClientCommandLine(p));
    p.installFolder = L"C:\\Program Files\\Talvoro";
    p.clientArguments = "-windowed";
    p.appIdArgument = L" -appID \"Hollisk.TL\"";
    p.affiliateId = "aff";
    p.promoCode = "PROMO";
    EXPECT_EQ(L"\"C:\\Program Files\\Talvoro\\GameClient.exe\" -windowed -server http://127.0.0.1:8080/"
              L" -appID \"Hollisk.TL\" -affiliateid aff -promocode PROMO",
              CClientLink::ClientCommandLine(p));
    p = Parts();
    p.referrerId = "ref";
    p.updatePath = "/games-launcher/velomar/";
    EXPECT_EQ(L"\"C:\\Games\\Talvoro\\GameClient.exe\" -server http://127.0.0.1:8080/ -referrerid ref -localRun",
              CClientLink::ClientCommandLine(p));
}

// Of two windows of the client's class, the one that answers the query is taken.
TEST(ClientWindow, OnlyTheWindowThatAnswersTheQueryIsTaken) {
    const std::wstring windowClass = L"ClientWindowTest" + std::to_wstring(GetCurrentProcessId());
    WNDCLASSW wc{};
    wc.lpfnWndProc = AnswerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = windowClass.c_str();
    ASSERT_TRUE(RegisterClassW(&wc));
    HWND silent = CreateWindowW(wc.lpszClassName, L"a", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    HWND ours = CreateWindowW(wc.lpszClassName, L"b", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(ours, GWLP_USERDATA, 1);
    EXPECT_EQ(ours, FindProductWindow(windowClass, "Velomar"));
    EXPECT_EQ(nullptr, FindProductWindow(windowClass, "Other"));
    EXPECT_EQ(nullptr, FindProductWindow(windowClass + L"x", "Velomar"));  // the class must match exactly
    SetWindowLongPtrW(ours, GWLP_USERDATA, 0);
    EXPECT_EQ(nullptr, FindProductWindow(windowClass, "Velomar"));
    DestroyWindow(silent);
    DestroyWindow(ours);
}

TEST_F(ClientProcess, StartedClientThatSignalsEndsTheWaitWithExitZero) {
    PostTarget target;
    const std::wstring line = client_ + L" -server http://127.0.0.1:8080/";
    CClientLaunchThread thread(line, target.window(), client_);
    ASSERT_TRUE(thread.Start());
    WPARAM w = 99;
    EXPECT_EQ(UINT(eWindowsMessage_Exit), target.Wait(20000, &w));
    EXPECT_EQ(0u, w);
    EXPECT_EQ(1u, ProcessesWithModulePath(client_).size());
    EXPECT_EQ(line + L"\r\n", [&] {
        const std::string bytes = ReadFileBytes(path(L"client_cmdline.txt"));
        return std::wstring(bytes.begin(), bytes.end());
    }());
}

TEST_F(ClientProcess, ClientThatNeverSignalsIsEndedAndReported) {
    SetEnvironmentVariableW(L"GAME_CLIENT_DOUBLE", L"nosignal");
    PostTarget target;
    CClientLaunchThread thread(client_, target.window(), client_, 1500);
    ASSERT_TRUE(thread.Start());
    EXPECT_EQ(UINT(eWindowsMessage_ClientStartFailed), target.Wait(20000));
    EXPECT_TRUE(ProcessesWithModulePath(client_).empty());
}

TEST_F(ClientProcess, MissingClientIsReportedAtOnce) {
    PostTarget target;
    CClientLaunchThread thread(path(L"Missing.exe"), target.window(), path(L"Missing.exe"));
    ASSERT_TRUE(thread.Start());
    EXPECT_EQ(UINT(eWindowsMessage_ClientStartFailed), target.Wait(5000));
}

TEST_F(ClientProcess, ProcessesAreFoundByPathWithoutCase) {
    SetEnvironmentVariableW(L"GAME_CLIENT_DOUBLE", L"nosignal");
    CChildProcess other;
    ASSERT_TRUE(other.Start(client_, L""));
    const std::wstring copy = path(L"GameClient2.exe");
    ASSERT_TRUE(CopyFileW(client_.c_str(), copy.c_str(), FALSE));
    CChildProcess second;
    ASSERT_TRUE(second.Start(copy, L""));
    Sleep(300);
    std::wstring upper = client_;
    for (wchar_t& c : upper) c = wchar_t(towupper(c));
    const std::vector<DWORD> found = ProcessesWithModulePath(upper);
    ASSERT_EQ(1u, found.size());
    EXPECT_EQ(other.id(), found[0]);
    EXPECT_TRUE(ProcessesWithModulePath(client_, other.id()).empty());

    EXPECT_TRUE(TerminateProcessesWithModulePath(client_));
    EXPECT_NE(-1, other.Wait(5000));
    EXPECT_EQ(-1, second.Wait(100));  // another path is spared
    EXPECT_TRUE(TerminateProcessesWithModulePath(copy));
}
