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
