#include "common/process.h"
#include "common/temp_folder.h"

#include "startup/crc32.h"
#include "startup/find_files.h"
#include "startup/module.h"
#include "startup/module_resources.h"
#include "startup/package_store.h"
#include "startup/resource_slots.h"
#include "system/process_list.h"
#include "update/cud_cipher.h"
#include "update/rar29_writer.h"

#include <algorithm>
#include <cstdio>

class LauncherEntry : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        exe_ = path(L"Launcher.exe");
        ASSERT_TRUE(CopyFileW(BuiltLauncherPath().c_str(), exe_.c_str(), FALSE));
    }
    void TearDown() override {
        // A launcher a failed expectation left running must not outlive the test.
        TerminateProcessesWithModulePath(exe_);
        TempFolderTest::TearDown();
    }
    std::wstring OnlyLogFile() const {
        const CFindFiles find(dir() + L"\\*.log");
        return find.Found() ? path(find.Name()) : std::wstring();
    }
    bool AnyLogFile() const { return !OnlyLogFile().empty(); }
    // Runs the launcher until it shows a window whose title (or, with
    // `byText`, one of whose controls) reads `wanted`, closes that window
    // and expects the run to end with 0.
    FoundWindow RunAndClose(const std::wstring& arguments, const std::wstring& wanted, bool byText) {
        for (int attempt = 0;; ++attempt) {
            CChildProcess p;
            EXPECT_TRUE(p.Start(exe_, arguments, dir()));
            const FoundWindow w = byText ? WaitForProcessWindowText(p.id(), wanted, 20000)
                                         : WaitForProcessWindowTitle(p.id(), wanted, 20000);
            // On a loaded machine Wine now and then ends a new process
            // before any of its code ran: no window, no log. That run says
            // nothing about the launcher, so it is started once more.
            if (!w.hwnd && attempt == 0 && p.Wait(0) == 0 && !AnyLogFile()) {
                fprintf(stderr, "the launcher ended without a window or a log; starting it again\n");
                continue;
            }
            EXPECT_NE(nullptr, w.hwnd) << "no window showed " << std::string(wanted.begin(), wanted.end());
            if (w.hwnd) PostMessageW(w.hwnd, WM_CLOSE, 0, 0);
            EXPECT_EQ(0, p.Wait(20000));
            return w;
        }
    }
    // The wizard as far as it gets without a server. Its window exists
    // once initialisation succeeded; the close request is handled by the
    // message loop, after the run has set its pages up.
    void RunWizard(const std::wstring& arguments = L"") { RunAndClose(arguments, L"Launcher", false); }
    bool WaitForLog(const std::string& text, DWORD ms) const {
        for (DWORD waited = 0; waited < ms; waited += 100) {
            const std::wstring log = OnlyLogFile();
            if (!log.empty() && ReadFileBytes(log).find(text) != std::string::npos) return true;
            Sleep(100);
        }
        return false;
    }
    static bool Shows(const FoundWindow& w, const std::wstring& text) {
        return std::find(w.texts.begin(), w.texts.end(), text) != w.texts.end();
    }
    std::wstring exe_;
};

// A plain folder runs as an installation: the wizard shows, the network
// starts, and closing the window ends the run.
TEST_F(LauncherEntry, PlainFolderRunsTheInstallationWizard) {
    CChildProcess p;
    ASSERT_TRUE(p.Start(exe_, L"/skiptest", dir()));
    const FoundWindow window = WaitForProcessWindowTitle(p.id(), L"Launcher", 20000);
    ASSERT_NE(nullptr, window.hwnd) << "the wizard did not show";
    EXPECT_TRUE(WaitForLog("Downloader successfully initialized", 20000));
    EXPECT_EQ(-1, p.Wait(300));
    PostMessageW(window.hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, p.Wait(20000));

    const std::string log = ReadFileBytes(OnlyLogFile());
    EXPECT_EQ(0u, log.find(std::string(31, '=') + " launcher started "));
    EXPECT_NE(std::string::npos, log.find("\r\nv1.0.0.1\r\n"));
    EXPECT_NE(std::string::npos, log.find("\nOS: Microsoft Windows"));
    EXPECT_NE(std::string::npos, log.find("Command line:\r\n/skiptest\r\nParse command line\r\ng_rc = CLogic::rcNone\r\n"));
    EXPECT_NE(std::string::npos, log.find("Launcher run mode: rmInstall\r\n"));
    EXPECT_NE(std::string::npos, log.find("pLogic->init() succeed\r\n"));
    EXPECT_NE(std::string::npos, log.find("Set dialog title: Launcher\r\n"));
    EXPECT_NE(std::string::npos, log.find("Net transport successfully initialized\r\nDownloader successfully initialized\r\n"));
    const size_t loop = log.find("Msg cycle - start\r\n");
    EXPECT_NE(std::string::npos, loop);
    EXPECT_LT(loop, log.find("PostQuitMessage(0)\r\nMsg cycle - finish\r\n"));
    EXPECT_NE(std::string::npos, log.find("\r\n--- Start Uninit ---\r\n"));
    const std::string last = "pLogic->uninit() succeed\r\nLauncher finished\r\n";
    ASSERT_GE(log.size(), last.size());
    EXPECT_EQ(last, log.substr(log.size() - last.size()));
}

TEST_F(LauncherEntry, PortableFolderRunsAsUpdate) {
    WriteFileBytes(path(L"guest.dat"), "");
    RunWizard();
    EXPECT_NE(std::string::npos, ReadFileBytes(OnlyLogFile()).find("Launcher run mode:   Portable, rmUpdate\r\n"));
}

TEST_F(LauncherEntry, UninstallHandsOverToACopyThatShowsTheUninstaller) {
    RunAndClose(L"/uninstall \"C:\\Desktop\\TL.lnk\"", L"Uninstaller", false);
    const std::string log = ReadFileBytes(OnlyLogFile());
    EXPECT_NE(std::string::npos, log.find("g_rc = CLogic::rcUninstall\r\n"));
    EXPECT_NE(std::string::npos, log.find("Launcher run mode: rmUninstaller\r\n"));
    // The copy in the temporary folder shows the page; it must not outlive
    // the test.
    const size_t at = log.find("Command line to run temporary uninstaller: \"");
    ASSERT_NE(std::string::npos, at);
    const size_t start = log.find('"', at) + 1;
    const std::string copy = log.substr(start, log.find('"', start) - start);
    EXPECT_NE(std::string::npos, log.find("Temporary uninstaller successfully started\r\n"));
    TerminateProcessesWithModulePath(std::wstring(copy.begin(), copy.end()));
}

TEST_F(LauncherEntry, DownloadFromAnUnknownFolderFailsInit) {
    EXPECT_TRUE(Shows(RunAndClose(L"/download 123 x", L"Installer Error", false), L"pLogic->init"));
    const std::string log = ReadFileBytes(OnlyLogFile());
    EXPECT_NE(std::string::npos, log.find("Launcher run mode: rmUnknown\r\n"));
    EXPECT_NE(std::string::npos, log.find("Installer Error: pLogic->init\r\n"));
    EXPECT_NE(std::string::npos, log.find("Launcher finished\r\n"));
}

namespace {
// Replaces the embedded package of an executable file.
bool ReplacePackage(const std::wstring& exe, const std::string& bytes) {
    HANDLE update = BeginUpdateResourceW(exe.c_str(), FALSE);
    if (!update) return false;
    const bool ok = UpdateResourceW(update, L"ZIP", MAKEINTRESOURCEW(130), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                    const_cast<char*>(bytes.data()), DWORD(bytes.size()));
    return EndUpdateResourceW(update, !ok) && ok;
}
}  // namespace

// A package that is not an archive, a truncated one, or one whose
// config.xml does not parse ends in the preinit box without a log.
TEST_F(LauncherEntry, DamagedPackageFailsPreinit) {
    const std::string packages[] = {"definitely not an archive", std::string("Rar!\x1a\x07\x00\x01", 8),
                                    WriteRar29({{"config.xml", "<config><common><regPath>x", false}})};
    for (const std::string& package : packages) {
        ASSERT_TRUE(ReplacePackage(exe_, package));
        EXPECT_TRUE(Shows(RunAndClose(L"", L"Installer Error", false), L"g_pSystem->preinit"));
        EXPECT_FALSE(AnyLogFile());
    }
}

// Rebuilds an executable's embedded package with one entry's text edited.
void EditPackageEntry(const std::wstring& exe, const std::string& entry, const std::string& from,
                      const std::string& to) {
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(130), L"ZIP");
    ASSERT_NE(nullptr, res);
    CArchiveHelperRar shipped;
    ASSERT_TRUE(shipped.OpenPackage(LockResource(LoadResource(module, res)), SizeofResource(module, res)));
    FreeLibrary(module);
    std::vector<RarEntry> entries;
    for (const auto& [name, data] : shipped.entries()) entries.push_back({name, data, false});
    bool edited = false;
    for (RarEntry& e : entries) {
        const size_t at = e.name == entry ? e.data.find(from) : std::string::npos;
        if (at == std::string::npos) continue;
        e.data.replace(at, from.size(), to);
        edited = true;
    }
    ASSERT_TRUE(edited) << entry << " holds no " << from;
    ASSERT_TRUE(ReplacePackage(exe, WriteRar29(entries)));
}

namespace {
std::string PackageEntry(const std::wstring& exe, const std::string& entry) {
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC res = module ? FindResourceW(module, MAKEINTRESOURCEW(130), L"ZIP") : nullptr;
    CArchiveHelperRar shipped;
    std::string bytes;
    if (res && shipped.OpenPackage(LockResource(LoadResource(module, res)), SizeofResource(module, res)))
        shipped.ExtractFile(entry, bytes);
    if (module) FreeLibrary(module);
    return bytes;
}

std::string SavedClientUpdateData(const std::wstring& file) {
    const std::string bytes = ReadFileBytes(file);
    std::string plain;
    CudDecipher(kLauncherCudKey, bytes, plain);
    return plain;
}
}  // namespace

// CUD.dat is kept while CIF.dat carries the stamp of the embedded
// configuration; a build with another configuration starts from its own.
TEST_F(LauncherEntry, ClientUpdateDataSurvivesOnlyAnUnchangedConfiguration) {
    RunWizard();
    const std::string config = PackageEntry(exe_, "config.xml");
    ASSERT_FALSE(config.empty());
    const uint32_t crc = Crc32(config.data(), config.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&crc), 4), ReadFileBytes(path(L"CIF.dat")));
    std::string cud = SavedClientUpdateData(path(L"CUD.dat"));
    EXPECT_NE(std::string::npos, cud.find("<Face id=\"velomar\">")) << cud;
    EXPECT_NE(std::string::npos, cud.find("<SelectedURL>http://127.0.0.1:8080/</SelectedURL>")) << cud;
    const std::string log = ReadFileBytes(OnlyLogFile());
    EXPECT_NE(std::string::npos, log.find("\r\nInitializing CUD... OK\r\nLoading CUD file... cannot open CUD file\r\n"));
    EXPECT_NE(std::string::npos, log.find("Saving CUD file... need to merge RTD\r\n"));

    WriteFileBytes(path(L"CUD.dat"), "<ClientUpdateData><Face id=\"velomar\"><LoginURLs><URL>http://mirror.test/</URL>"
                                     "</LoginURLs></Face></ClientUpdateData>");
    RunWizard();
    EXPECT_NE(std::string::npos, SavedClientUpdateData(path(L"CUD.dat")).find("<SelectedURL>http://mirror.test/"));

    WriteFileBytes(path(L"CIF.dat"), "stale");
    RunWizard();
    cud = SavedClientUpdateData(path(L"CUD.dat"));
    EXPECT_EQ(std::string::npos, cud.find("mirror.test")) << cud;
    EXPECT_NE(std::string::npos, cud.find("<SelectedURL>http://127.0.0.1:8080/</SelectedURL>"));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&crc), 4), ReadFileBytes(path(L"CIF.dat")));
}

// The shipped package with config.xml switching the launcher log off.
TEST_F(LauncherEntry, DisabledLauncherLogCreatesNoFileAndMovesNothing) {
    EditPackageEntry(exe_, "config.xml", "<logLauncher enable=\"true\"/>", "<logLauncher enable=\"false\"/>");
    ASSERT_TRUE(CreateDirectoryW(path(L"logs").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(path(L"logs\\20240101_000000.x").c_str(), nullptr));
    WriteFileBytes(path(L"old.log"), "earlier run");

    RunWizard();
    EXPECT_EQ("earlier run", ReadFileBytes(path(L"old.log")));
    EXPECT_FALSE(PathExists(path(L"logs\\20240101_000000.x\\x.old.log")));
    DeleteFileW(path(L"old.log").c_str());
    EXPECT_FALSE(AnyLogFile());
}

// Another uninstaller holds the uninstall mutex: this one leaves quietly.
TEST_F(LauncherEntry, SecondUninstallerEndsWithoutAWindow) {
    const CHandle mutex(CreateMutexA(nullptr, TRUE, "Global\\{420B48D2-AC21-4ec6-8295-BB0C8D8BD72C}"));
    ASSERT_TRUE(mutex.IsValid());
    CChildProcess p;
    ASSERT_TRUE(p.Start(exe_, L"/uninstall \"C:\\Desktop\\TL.lnk\"", dir()));
    const long code = p.Wait(20000);
    const bool windowShown = !ProcessWindows(p.id()).empty();
    ReleaseMutex(mutex.Get());
    EXPECT_EQ(0, code);
    EXPECT_FALSE(windowShown);
    const std::string log = ReadFileBytes(OnlyLogFile());
    EXPECT_NE(std::string::npos, log.find("g_rc = CLogic::rcUninstall\r\n"));
    EXPECT_NE(std::string::npos, log.find("other launcher instance detected, exiting\r\nLauncher finished\r\n"));
}

TEST_F(LauncherEntry, ThemeWithoutARequiredControlFailsRun) {
    // The retry button loses its function name: no control answers to it.
    EditPackageEntry(exe_, "theme_kx\\config.xml", "func=\"mbox_retry\"", "func=\"\"");
    EXPECT_TRUE(Shows(RunAndClose(L"", L"Installer Error", false), L"Check skin controls failed"));
    const std::string log = ReadFileBytes(OnlyLogFile());
    EXPECT_NE(std::string::npos, log.find("Installer Error: Check skin controls failed\r\n")) << log;
}

// The shipped theme is a single-page one and has no terms list, which every
// run of the wizard above shows to be enough; in multi-page mode it is not.
TEST_F(LauncherEntry, MultiPageModeNeedsTheTermsControl) {
    EditPackageEntry(exe_, "theme_kx\\config.xml", "<singlePageMode value=\"true\"/>",
                     "<singlePageMode value=\"false\"/>");
    EXPECT_TRUE(Shows(RunAndClose(L"", L"Installer Error", false), L"Failed create terms listbox"));
    EXPECT_NE(std::string::npos, ReadFileBytes(OnlyLogFile()).find("Installer Error: Failed create terms listbox\r\n"));
}

TEST_F(LauncherEntry, TitleFallsBackToStringTwo) {
    EditPackageEntry(exe_, "config.xml", "<taskbarCaption>Launcher</taskbarCaption>", "");
    // An installation run takes the LANGUAGE slot's "en".
    RunAndClose(L"", L"Game Launcher", false);
    EXPECT_NE(std::string::npos, ReadFileBytes(OnlyLogFile()).find("Set dialog title: Game Launcher\r\n"));
}

TEST_F(LauncherEntry, ChecksumRoleWritesTheSlotNeutralChecksum) {
    CChildProcess p;
    ASSERT_TRUE(p.Start(exe_, L"/crc", dir()));
    EXPECT_EQ(0, p.Wait(20000));
    EXPECT_FALSE(AnyLogFile());
    const std::string image = ReadFileBytes(exe_);
    const uint32_t expected = SlotNeutralChecksum(reinterpret_cast<const uint8_t*>(image.data()), image.size(),
                                                  AllSlotSpans(), ChecksumVariant::A);
    EXPECT_EQ(std::to_string(expected), ReadFileBytes(path(L"crc.txt")));
}

TEST_F(LauncherEntry, PatchedSlotsKeepTheChecksumAndReadBackInOrder) {
    std::string image = ReadFileBytes(exe_);
    std::string error;
    ASSERT_TRUE(PatchSlot(image, *FindSlotInfo("SERVER_URL"), JoinSlotList({"https://one/", "https://two/"}), error));
    ASSERT_TRUE(PatchSlot(image, *FindSlotInfo("PROMOCODE"), "SPRING", error));
    const std::wstring patched = path(L"patched\\Launcher.exe");
    ASSERT_TRUE(CreateDirectoryW(path(L"patched").c_str(), nullptr));
    WriteFileBytes(patched, image);

    CChildProcess original, copy;
    ASSERT_TRUE(original.Start(exe_, L"/crc", dir()));
    ASSERT_TRUE(copy.Start(patched, L"/crc", path(L"patched")));
    EXPECT_EQ(0, original.Wait(20000));
    EXPECT_EQ(0, copy.Wait(20000));
    EXPECT_FALSE(ReadFileBytes(path(L"crc.txt")).empty());
    EXPECT_EQ(ReadFileBytes(path(L"crc.txt")), ReadFileBytes(path(L"patched\\crc.txt")));

    // The patched executable's resources carry both URLs, in order.
    HMODULE module = LoadLibraryExW(patched.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    SetModuleInstance(module);
    EXPECT_EQ((std::vector<std::string>{"https://one/", "https://two/"}), ReadServerUrlSlot());
    EXPECT_EQ("SPRING", ReadSlotValue(*FindSlotInfo("PROMOCODE")));
    EXPECT_EQ("en", ReadSlotValue(*FindSlotInfo("LANGUAGE")));
    SetModuleInstance(nullptr);
    FreeLibrary(module);
}

// The launcher (and so its assistant copy in the temporary folder) takes
// system libraries from System32, never from its own folder. Wininet is
// the one Wine's own libraries do not load before the launcher's entry.
TEST_F(LauncherEntry, ALibraryPlantedBesideTheLauncherIsNotLoaded) {
    ASSERT_TRUE(CopyFileW(BuiltProgramPath(L"planted_library.dll").c_str(), path(L"wininet.dll").c_str(), FALSE));
    // Under Wine this test runs with wininet.dll searched for as Windows
    // does (tests.cmake); Wine would otherwise take its own build.
    RunWizard();
    EXPECT_FALSE(PathExists(path(L"planted_library_loaded.txt")));
}

TEST_F(LauncherEntry, AssistantWithoutAWindowNumberEndsQuietly) {
    CChildProcess p;
    ASSERT_TRUE(p.Start(exe_, L"/assistant", dir()));
    EXPECT_EQ(0, p.Wait(20000));
    EXPECT_TRUE(ProcessWindows(p.id()).empty());
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

namespace {
// The first log below `folder` (earlier runs' logs are moved into logs\)
// that contains `text`.
std::string LogContaining(const std::wstring& folder, const std::string& text) {
    std::string found;
    for (CFindFiles find(folder + L"\\*"); found.empty() && find.Found(); find.Next()) {
        const std::wstring name = find.Name();
        if (name == L"." || name == L"..") continue;
        if (find.IsFolder()) {
            found = LogContaining(folder + L"\\" + name, text);
        } else if (name.size() > 4 && name.compare(name.size() - 4, 4, L".log") == 0) {
            const std::string log = ReadFileBytes(folder + L"\\" + name);
            if (log.find(text) != std::string::npos) found = log;
        }
    }
    return found;
}
}  // namespace

// The temporary copy overwrites Launcher.exe, starts it with " /fast" only,
// and the new Launcher.exe removes the temporary copy (once that has ended).
TEST_F(LauncherEntry, TemporaryCopyReplacesTheLauncherAndIsRemovedByIt) {
    WriteFileBytes(path(L"guest.dat"), "");  // a portable folder keeps fast mode
    const std::wstring temporary = path(L"Launcher.tmp.exe");
    ASSERT_TRUE(MoveFileW(exe_.c_str(), temporary.c_str()));
    WriteFileBytes(exe_, "the old launcher");
    const std::string newLauncher = ReadFileBytes(temporary);
    CChildProcess copy;
    ASSERT_TRUE(copy.Start(temporary, L"/fast /restart /auto", dir()));
    EXPECT_EQ(0, copy.Wait(20000));
    EXPECT_TRUE(newLauncher == ReadFileBytes(exe_)) << "Launcher.exe does not hold the temporary copy's bytes";

    const std::string copyLog = LogContaining(dir(), "Runned temp copy of launcher");
    EXPECT_NE(std::string::npos, copyLog.find("replaceLoader()\r\nInstall Folder  "));
    EXPECT_NE(std::string::npos, copyLog.find("Runned temp copy of launcher\r\nCopy Launcher.tmp.exe to Launcher.exe\r\n"
                                              "Create process Launcher.exe from Launcher.tmp.exe\r\n"
                                              "Process started succesful\r\n"));

    std::vector<DWORD> started;
    for (int i = 0; i < 100 && started.empty(); ++i, Sleep(100)) started = ProcessesWithModulePath(exe_);
    ASSERT_EQ(1u, started.size());
    const FoundWindow w = WaitForProcessWindowTitle(started[0], L"Launcher", 20000);
    ASSERT_NE(nullptr, w.hwnd);
    PostMessageW(w.hwnd, WM_CLOSE, 0, 0);
    for (int i = 0; i < 100 && !ProcessesWithModulePath(exe_).empty(); ++i) Sleep(100);
    const std::string newLog = LogContaining(dir(), "Command line:\r\n/fast\r\n");
    EXPECT_NE(std::string::npos, newLog.find("replaceLoader()\r\nInstall Folder  " + std::string(dir().begin(), dir().end()) +
                                             "\r\ndelete Launcher.tmp.exe\r\n"))
        << newLog;
    if (PathExists(temporary)) RunWizard();  // it may still have been running then
    EXPECT_FALSE(PathExists(temporary));
}

TEST_F(LauncherEntry, RegularStartWithoutATemporaryCopyDeletesNothing) {
    RunWizard();
    const std::string log = ReadFileBytes(OnlyLogFile());
    EXPECT_NE(std::string::npos, log.find("replaceLoader()\r\n"));
    EXPECT_EQ(std::string::npos, log.find("delete "));
}

// A second launcher asks the first over the silent pipe; the first shows its
// wizard (no background download), answers 0, and the second leaves at once.
TEST_F(LauncherEntry, SecondInstanceLeavesWhileTheFirstShowsItsWizard) {
    CChildProcess first;
    ASSERT_TRUE(first.Start(exe_, L"", dir()));
    const FoundWindow w = WaitForProcessWindowTitle(first.id(), L"Launcher", 20000);
    ASSERT_NE(nullptr, w.hwnd);

    CChildProcess second;
    ASSERT_TRUE(second.Start(exe_, L"", dir()));
    EXPECT_EQ(0, second.Wait(20000));
    EXPECT_TRUE(ProcessWindows(second.id()).empty());
    // Its log is not looked at: two launchers starting in one folder may
    // share a log name.

    // "/restart" runs in full whatever else runs.
    CChildProcess third;
    ASSERT_TRUE(third.Start(exe_, L"/restart", dir()));
    const FoundWindow w3 = WaitForProcessWindowTitle(third.id(), L"Launcher", 20000);
    EXPECT_NE(nullptr, w3.hwnd);
    if (w3.hwnd) PostMessageW(w3.hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, third.Wait(20000));

    PostMessageW(w.hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, first.Wait(20000));
    EXPECT_NE(std::string::npos, LogContaining(dir(), "AnswerSilentDownload()\r\n").find("Msg cycle - start"));
}

// A launcher started by the client downloads in the background: no window,
// a tray icon, and it answers 1 to a second launcher, which then runs.
TEST_F(LauncherEntry, BackgroundLauncherAnswersOneAndTheSecondRuns) {
    CChildProcess first;
    ASSERT_TRUE(first.Start(exe_, L"/runByClient", dir()));
    std::vector<HWND> windows;
    for (int i = 0; i < 200 && LogContaining(dir(), "Msg cycle - start").empty(); ++i) Sleep(100);
    windows = ProcessTopLevelWindows(first.id());
    ASSERT_FALSE(windows.empty());
    for (HWND w : windows) EXPECT_FALSE(IsWindowVisible(w));
    const std::string firstLog = LogContaining(dir(), "SetSilentDownload(true);");
    EXPECT_NE(std::string::npos, firstLog.find("SetSilentDownload(true);\r\nShowTrayIcon(true);\r\n")) << firstLog;

    CChildProcess second;
    ASSERT_TRUE(second.Start(exe_, L"", dir()));
    const FoundWindow w = WaitForProcessWindowTitle(second.id(), L"Launcher", 20000);
    ASSERT_NE(nullptr, w.hwnd);
    // A second launcher told sdmExit would have left without a window.
    PostMessageW(w.hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, second.Wait(20000));

    for (HWND window : windows) PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, first.Wait(20000));
    EXPECT_NE(std::string::npos, LogContaining(dir(), "AnswerSilentDownload()\r\n").find("ShowTrayIcon(false);\r\n"));
}
