#include "common/process.h"
#include "common/temp_folder.h"

#include <algorithm>

class LauncherEntry : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        exe_ = path(L"Launcher.exe");
        ASSERT_TRUE(CopyFileW(BuiltLauncherPath().c_str(), exe_.c_str(), FALSE));
    }
    bool AnyLogFile() const {
        WIN32_FIND_DATAW d;
        HANDLE h = FindFirstFileW((dir() + L"\\*.log").c_str(), &d);
        if (h == INVALID_HANDLE_VALUE) return false;
        FindClose(h);
        return true;
    }
    std::wstring exe_;
};

TEST_F(LauncherEntry, WithoutAPackageShowsThePreinitErrorAndEndsWithZero) {
    CChildProcess p;
    ASSERT_TRUE(p.Start(exe_, L"", dir()));
    const FoundWindow box = WaitForProcessWindow(p.id(), 20000);
    ASSERT_NE(nullptr, box.hwnd) << "no error box appeared";
    EXPECT_EQ(L"Installer Error", box.title);
    EXPECT_NE(box.texts.end(), std::find(box.texts.begin(), box.texts.end(), L"g_pSystem->preinit"));
    // The box blocks until the user closes it.
    EXPECT_EQ(-1, p.Wait(300));
    PostMessageW(box.hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, p.Wait(20000));
    EXPECT_FALSE(AnyLogFile());
}

TEST_F(LauncherEntry, AssistantWithoutAWindowNumberEndsQuietly) {
    CChildProcess p;
    ASSERT_TRUE(p.Start(exe_, L"/assistant", dir()));
    EXPECT_EQ(0, p.Wait(20000));
    EXPECT_TRUE(ProcessWindows(p.id()).empty());
    EXPECT_FALSE(AnyLogFile());
}

TEST_F(LauncherEntry, ChecksumRoleCreatesNoWindowAndNoLog) {
    CChildProcess p;
    ASSERT_TRUE(p.Start(exe_, L"/crc", dir()));
    EXPECT_EQ(0, p.Wait(20000));
    EXPECT_FALSE(AnyLogFile());
}

namespace {

// A hidden window of the test that records the assistant's answer.
struct AnswerWindow {
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m == 0x916) received = true;
        return DefWindowProcW(h, m, w, l);
    }
    AnswerWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"LauncherTestAnswer";
        RegisterClassW(&wc);
        hwnd = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }
    ~AnswerWindow() { DestroyWindow(hwnd); }
    void Pump(DWORD ms) {
        const ULONGLONG end = GetTickCount64() + ms;
        MSG msg;
        while (GetTickCount64() < end) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(20);
        }
    }
    HWND hwnd = nullptr;
    static bool received;
};
bool AnswerWindow::received = false;

bool TokenIsAdministrator() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &admins);
    BOOL member = FALSE;
    CheckTokenMembership(nullptr, admins, &member);
    FreeSid(admins);
    return member != FALSE;
}

}  // namespace

// Without administrator rights the assistant role tells the launcher so
// (message 0x916); with them it must not.
TEST_F(LauncherEntry, AssistantAnswersTheLauncherWindowByItsRights) {
    AnswerWindow answer;
    ASSERT_NE(nullptr, answer.hwnd);
    AnswerWindow::received = false;
    CChildProcess p;
    ASSERT_TRUE(p.Start(exe_, L"/assistant " + std::to_wstring(reinterpret_cast<uintptr_t>(answer.hwnd)), dir()));
    EXPECT_EQ(0, p.Wait(20000));
    answer.Pump(300);
    EXPECT_EQ(!TokenIsAdministrator(), AnswerWindow::received);
    EXPECT_TRUE(ProcessWindows(p.id()).empty());
}
