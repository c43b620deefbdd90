#include "common/process.h"
#include "common/temp_folder.h"
#include "startup/registry_key.h"
#include "system/assistant_records.h"
#include "system/process_list.h"
#include "system/update_package.h"

#include <shlwapi.h>

namespace {

// Files of a type of the running test's own are "installed" by `command`.
// The type is named after the test: the tests run in parallel processes, and
// one test's cleanup must not remove the type another is starting.
class TestPackageType {
public:
    explicit TestPackageType(const std::wstring& command) {
        CRegistryKey key;
        key.Create(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + Extension());
        key.SetString(L"", ClassName());
        CRegistryKey open;
        open.Create(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + ClassName() + L"\\shell\\open\\command");
        open.SetString(L"", command);
    }
    ~TestPackageType() {
        SHDeleteKeyW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + Extension()).c_str());
        SHDeleteKeyW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + ClassName()).c_str());
    }
    static std::wstring Extension() { return L".lnch" + TestName(); }

private:
    static std::wstring ClassName() { return L"LauncherTestPackage" + TestName(); }
    static std::wstring TestName() {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        return std::wstring(name.begin(), name.end());
    }
};

class UpdatePackage : public TempFolderTest {
protected:
    std::wstring Package() {
        const std::wstring file = path(L"KB" + TestPackageType::Extension());
        WriteFileBytes(file, "not really an update");
        return file;
    }
    static bool Started() { return true; }
    // A copy of the sleeping stand-in of this test's own, so that ending it
    // ends no other test's.
    std::wstring OwnSleeper() {
        const std::wstring copy = path(L"sleeper.exe");
        CopyFileW(BuiltProgramPath(L"assistant_test_sleeper.exe").c_str(), copy.c_str(), FALSE);
        return copy;
    }
};

}  // namespace

// One start per test: a second ShellExecuteEx in one process fails under
// Wine.
TEST_F(UpdatePackage, AnInstallerThatFailsIsReportedAndTheFileGoes) {
    TestPackageType type(L"cmd.exe /c exit 3");
    const std::wstring file = Package();
    EXPECT_EQ(eAssistantKBFailed, InstallUpdatePackage(file, 60000, Started));
    EXPECT_FALSE(PathExists(file));
}

TEST_F(UpdatePackage, AnInstallerThatSucceedsTakesTheFile) {
    TestPackageType type(L"cmd.exe /c exit 0");
    const std::wstring file = Package();
    EXPECT_EQ(0, InstallUpdatePackage(file, 60000, Started));
    EXPECT_FALSE(PathExists(file));
}

TEST_F(UpdatePackage, AFileNothingInstallsIsNotStartedAndStays) {
    const std::wstring orphan = path(L"KB.nosuchtypeoffile");
    WriteFileBytes(orphan, "x");
    EXPECT_EQ(eAssistantCntStartKB, InstallUpdatePackage(orphan, 60000, Started));
    EXPECT_TRUE(PathExists(orphan));
}

TEST_F(UpdatePackage, AnInstallerThatDoesNotEndInTimeLeavesTheFile) {
    const std::wstring sleeper = OwnSleeper();
    TestPackageType type(L"\"" + sleeper + L"\" \"%1\"");
    const std::wstring file = Package();
    EXPECT_EQ(eAssistantCntWaitKB, InstallUpdatePackage(file, 300, Started));
    EXPECT_TRUE(PathExists(file));
    TerminateProcessesWithModulePath(sleeper);
}

TEST_F(UpdatePackage, ACancelledCommandDoesNotWaitForTheInstaller) {
    const std::wstring sleeper = OwnSleeper();
    TestPackageType type(L"\"" + sleeper + L"\" \"%1\"");
    const std::wstring file = Package();
    const DWORD before = GetTickCount();
    EXPECT_EQ(0, InstallUpdatePackage(file, 60000, [] { return false; }));
    EXPECT_LT(GetTickCount() - before, 10000u);
    EXPECT_TRUE(PathExists(file));
    TerminateProcessesWithModulePath(sleeper);
}
