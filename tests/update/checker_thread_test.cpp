#include "common/temp_folder.h"
#include "startup/crc32.h"
#include "startup/log_files.h"
#include "startup/module_resources.h"
#include "update/checker_thread.h"
#include "update/file_crc.h"
#include "update/message_sink.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD kWait = 20000;
constexpr uint64_t MB = 1024 * 1024;

std::string FileXml(const std::string& path, const std::string& content) {
    return "<FILE file=\"" + path + "\" crc=\"" + std::to_string(Crc32(content.data(), content.size())) +
           "\" size=\"" + std::to_string(content.size()) + "\"/>";
}

std::string PackXml(const std::string& type, const std::string& file, uint64_t size, const std::string& body) {
    return "<PACK type=\"" + type + "\" file=\"" + file + "\" crc=\"77\" size=\"" + std::to_string(size) + "\">" +
           body + "</PACK>";
}

std::string ManifestXml(const std::string& root, const std::string& body) {
    return "<update " + root + ">" + body + "</update>";
}

class CheckerTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        install_ = path(L"game");
        CreateDirectoryW(install_.c_str(), nullptr);
        settings_.installFolder = install_;
        settings_.launcherPath = install_ + L"\\Launcher.exe";
        settings_.window = sink_.window();
        settings_.language = "en";
        settings_.queue = &queue_;
    }

    void Put(const std::wstring& relative, const std::string& content) {
        const std::wstring full = install_ + L"\\" + relative;
        for (size_t at = full.find(L'\\', install_.size() + 1); at != std::wstring::npos; at = full.find(L'\\', at + 1))
            CreateDirectoryW(full.substr(0, at).c_str(), nullptr);
        WriteFileBytes(full, content);
    }
    bool Has(const std::wstring& relative) { return PathExists(install_ + L"\\" + relative); }

    // Runs one check through the continue step; returns the final result (-1: none).
    LPARAM Check() {
        checker_.Configure(settings_);
        EXPECT_TRUE(checker_.Start());
        PostedMessage m{};
        if (!sink_.WaitFor(CCheckerThread::kFinishedMessage, kWait, &m)) return -1;
        if (m.l != crServerInfoReady) return m.l;
        EXPECT_EQ(reinterpret_cast<WPARAM>(&checker_.Manifest()), m.w);
        checker_.Continue();
        if (!sink_.WaitFor(CCheckerThread::kFinishedMessage, kWait, &m)) return -1;
        return m.l;
    }

    std::vector<std::string> QueuedNames() {
        CCriticalSection::Scope lock(checker_.Lock());
        std::vector<std::string> names;
        for (const auto& item : queue_.items) names.push_back(item.file);
        return names;
    }

    std::wstring install_;
    CMessageSink sink_;
    DownloadQueue queue_;
    CheckerSettings settings_;
    CCheckerThread checker_;
};

}  // namespace

TEST_F(CheckerTest, MissingOrDamagedFilesQueueTheirPacks) {
    Put(L"bin\\client.exe", "client");
    Put(L"data\\maps.dat", "damaged");
    Put(L"voice\\ru.dat", "ok");
    settings_.newManifest = ManifestXml(
        "clientVersion=\"1.0.0\"",
        PackXml("full", "base.pkg", 1000, FileXml("Bin\\Client.exe", "client")) +
            PackXml("full", "maps.pkg", 2000, FileXml("data\\maps.dat", "maps")) +
            PackXml("full", "sound.pkg", 3000, FileXml("sound\\music.ogg", "music")) +
            PackXml("ext", "tool.pkg", 4000, "<INFO lang=\"en\"><EXEC>tool.exe</EXEC></INFO>" + FileXml("tool.exe", "t")) +
            PackXml("full", "voice.pkg", 5000, FileXml("voice\\ru.dat", "ok")));
    ASSERT_EQ(crDone, Check());
    EXPECT_EQ((std::vector<std::string>{"maps.pkg", "sound.pkg"}), QueuedNames());
    EXPECT_EQ(5000u, queue_.bytesToDownload);
    ASSERT_EQ(2u, queue_.items.size());
    EXPECT_EQ(77u, queue_.items.front().crc);
    EXPECT_EQ(2000u, queue_.items.front().outstanding);
    EXPECT_EQ(0u, queue_.items.front().received);
    EXPECT_FALSE(checker_.CanRunResult());

    // A selected add-on is checked too.
    settings_.selectedAddOns = {L"tool.exe"};
    ASSERT_EQ(crDone, Check());
    EXPECT_EQ((std::vector<std::string>{"maps.pkg", "sound.pkg", "tool.pkg"}), QueuedNames());
}

TEST_F(CheckerTest, TheSmallerIncrementReplacesTheFullPacks) {
    auto manifest = [](uint64_t incrementSize) {
        return ManifestXml("", PackXml("full", "a.pkg", 10 * MB, FileXml("a", "a")) +
                                   PackXml("full", "b.pkg", 20 * MB, FileXml("b", "b")) +
                                   PackXml("full", "c.pkg", 30 * MB, FileXml("c", "c")) +
                                   PackXml("increment", "delta.pkg", incrementSize,
                                           FileXml("a", "a") + FileXml("b", "b") + FileXml("c", "c")));
    };
    settings_.newManifest = manifest(50 * MB);
    ASSERT_EQ(crDone, Check());
    EXPECT_EQ(std::vector<std::string>{"delta.pkg"}, QueuedNames());
    EXPECT_EQ(50 * MB, queue_.bytesToDownload);
    settings_.newManifest = manifest(70 * MB);
    ASSERT_EQ(crDone, Check());
    EXPECT_EQ((std::vector<std::string>{"a.pkg", "b.pkg", "c.pkg"}), QueuedNames());
    EXPECT_EQ(60 * MB, queue_.bytesToDownload);
}

TEST_F(CheckerTest, QueueSumsBeyond4GiBDoNotWrap) {
    settings_.newManifest = ManifestXml("", PackXml("full", "a.pkg", 3ull << 30, FileXml("a", "a")) +
                                                PackXml("full", "b.pkg", 3ull << 30, FileXml("b", "b")));
    ASSERT_EQ(crDone, Check());
    EXPECT_EQ(6ull << 30, queue_.bytesToDownload);
    settings_.newManifest = ManifestXml(
        "", "<PACK type=\"full\" file=\"a.pkg\" size=\"99999999999999999999999\">" + FileXml("a", "a") + "</PACK>" +
                PackXml("full", "b.pkg", 3ull << 30, FileXml("b", "b")));
    ASSERT_EQ(crDone, Check());
    EXPECT_EQ(UINT64_MAX, queue_.bytesToDownload) << "absurd sizes saturate";
}

TEST_F(CheckerTest, CanRunFollowsTheVersionRuleAndTheFilesOnDisk) {
    Put(L"client.exe", "client");
    const std::string files = PackXml("full", "base.pkg", 10, FileXml("client.exe", "client"));
    const struct {
        const char* oldVersion;
        const char* newVersion;
        bool canRun;
    } cases[] = {{"5.2.100", "5.2.101", true}, {"5.3.0", "5.2.0", false}, {"5.2", "5.2", false}, {"5.2.", "5.2.9", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.oldVersion) + " -> " + c.newVersion);
        settings_.oldManifest = ManifestXml(std::string("modification=\"m\" clientVersion=\"") + c.oldVersion + "\"", files);
        settings_.newManifest = ManifestXml(std::string("modification=\"m\" clientVersion=\"") + c.newVersion + "\"", files);
        ASSERT_EQ(crDone, Check());
        EXPECT_EQ(c.canRun, checker_.CanRunResult());
        EXPECT_FALSE(checker_.ManifestChanged());
    }
    // Another modification stamp marks the manifest as changed.
    settings_.newManifest = ManifestXml("modification=\"m2\" clientVersion=\"5.2.100\"", files);
    ASSERT_EQ(crDone, Check());
    EXPECT_FALSE(checker_.CanRunResult());
    EXPECT_TRUE(checker_.ManifestChanged());
}

TEST_F(CheckerTest, RunBlockersNameTheFileThatStopsTheClient) {
    Put(L"client.exe", "client");
    const std::string root = "modification=\"m\" clientVersion=\"1.0.0\"";
    settings_.newManifest = ManifestXml(root, PackXml("full", "base.pkg", 10, FileXml("client.exe", "client")));
    settings_.oldManifest = ManifestXml(root, PackXml("full", "base.pkg", 10, FileXml("client.exe", "other")));
    ASSERT_EQ(crDone, Check());
    EXPECT_FALSE(checker_.CanRunResult());
    EXPECT_EQ(L"run blocker: [crc mismatch], file = " + install_ + L"\\client.exe", checker_.RunBlocker());

    settings_.oldManifest = ManifestXml(root, PackXml("full", "base.pkg", 10, FileXml("gone.dll", "x")));
    ASSERT_EQ(crDone, Check());
    EXPECT_EQ(L"run blocker: [can't open file (GetLastError() = 2) ], file = " + install_ + L"\\gone.dll",
              checker_.RunBlocker());

    // Fast compare trusts the old manifest: no file is read, the client may not start.
    settings_.oldManifest = settings_.newManifest;
    settings_.fastCompare = true;
    DeleteFileW((install_ + L"\\client.exe").c_str());
    Put(L"client.exe", "client");
    ASSERT_EQ(crDone, Check());
    EXPECT_TRUE(queue_.items.empty());
    EXPECT_FALSE(checker_.CanRunResult());
    EXPECT_EQ(L"run blocker: [cmd - fast check]", checker_.RunBlocker());
}

TEST_F(CheckerTest, FastCompareUsesTheOldManifestAndFallsBackWhenItDoesNotParse) {
    Put(L"a.dat", "a");
    settings_.fastCompare = true;
    settings_.newManifest = ManifestXml("", PackXml("full", "a.pkg", 1, FileXml("a.dat", "a")));
    settings_.oldManifest = ManifestXml("", PackXml("full", "a.pkg", 1, FileXml("a.dat", "b")));
    ASSERT_EQ(crDone, Check());
    EXPECT_EQ(std::vector<std::string>{"a.pkg"}, QueuedNames());  // differs from the old manifest only
    settings_.oldManifest = "<not xml";
    ASSERT_EQ(crDone, Check());
    EXPECT_TRUE(QueuedNames().empty());  // the file on disk was read
}

TEST_F(CheckerTest, AnUnparsableManifestFails) {
    settings_.newManifest = "<update><PACK type=\"full\"></update>";
    checker_.Configure(settings_);
    ASSERT_TRUE(checker_.Start());
    PostedMessage m{};
    ASSERT_TRUE(sink_.WaitFor(CCheckerThread::kFinishedMessage, kWait, &m));
    EXPECT_EQ(crFailed, m.l);
    EXPECT_EQ(0u, m.w);
}

TEST_F(CheckerTest, AStopDuringTheWaitPostsNoResult) {
    settings_.newManifest = ManifestXml("", PackXml("full", "a.pkg", 1, FileXml("a", "a")));
    checker_.Configure(settings_);
    ASSERT_TRUE(checker_.Start());
    PostedMessage m{};
    ASSERT_TRUE(sink_.WaitFor(CCheckerThread::kFinishedMessage, kWait, &m));
    ASSERT_EQ(crServerInfoReady, m.l);
    EXPECT_TRUE(checker_.Stop(5000));
    sink_.Pump(300);
    EXPECT_EQ(1u, sink_.Count(CCheckerThread::kFinishedMessage));
    EXPECT_TRUE(queue_.items.empty());
}

// The exit gives the workers a few seconds: the CRC of one huge file must
// not outlast them.
TEST_F(CheckerTest, AStopDuringTheCrcOfAHugeFileEndsTheThreadWithinItsLimit) {
    const uint64_t size = uint64_t(8) << 30;
    MakeSparseFile(install_ + L"\\huge.bin", size);
    settings_.newManifest = ManifestXml(
        "", PackXml("full", "a.pkg", 1, "<FILE file=\"huge.bin\" crc=\"1\" size=\"" + std::to_string(size) + "\"/>"));
    checker_.Configure(settings_);
    ASSERT_TRUE(checker_.Start());
    PostedMessage m{};
    ASSERT_TRUE(sink_.WaitFor(CCheckerThread::kFinishedMessage, kWait, &m));
    ASSERT_EQ(crServerInfoReady, m.l);
    checker_.Continue();
    Sleep(300);  // well into the file
    EXPECT_TRUE(checker_.Stop(1000));
    sink_.Pump(100);
    EXPECT_EQ(1u, sink_.Count(CCheckerThread::kFinishedMessage));
}

TEST_F(CheckerTest, CleanupKeepsIgnoredLogsAndStateAndRemovesTheRest) {
    Put(L"client.exe", "client");
    Put(L"damaged.dll", "bad");
    Put(L"obsolete.dll", "old");
    Put(L"settings.cfg", "user settings");
    Put(L"cfg\\keys.cfg", "keys");
    Put(L"client.log", "log");
    Put(L"logs\\old\\x.LOG", "log");
    Put(L"saves\\slot1.dat", "save");
    Put(L"saves\\slot2.dat", "other save");
    Put(L"old_folder\\sub\\junk.txt", "junk");
    Put(L"noext", "x");
    Put(L".hidden", "x");
    Put(L"Launcher.exe", "launcher");
    Put(L"update.xml", "<update/>");
    Put(L"tmp\\part.pkg", "resume me");
    // The launcher's own state, which no manifest lists.
    const wchar_t* const state[] = {L"guest.dat", L"CUD.dat", L"CIF.dat", L"silent.dat", L"addpkg.dat",
                                    L"applist.dat", L"changes.dat", L"crc.txt", L"Launcher.tmp.exe",
                                    L"ext\\addon.bin"};
    for (const wchar_t* name : state) Put(name, "");
    settings_.cleanup = true;
    settings_.newManifest = ManifestXml(
        "", PackXml("full", "base.pkg", 10, FileXml("client.exe", "client") + FileXml("damaged.dll", "good")) +
                "<IGNORE><FILE file=\"*\\*.cfg\"/><FILE file=\"saves\\Slot1.dat\"/><FILE file=\"\"/></IGNORE>");
    ASSERT_EQ(crDone, Check());
    EXPECT_TRUE(Has(L"client.exe"));
    EXPECT_FALSE(Has(L"damaged.dll"));
    EXPECT_FALSE(Has(L"obsolete.dll"));
    EXPECT_TRUE(Has(L"settings.cfg"));
    EXPECT_TRUE(Has(L"cfg\\keys.cfg"));
    EXPECT_TRUE(Has(L"client.log"));
    EXPECT_TRUE(Has(L"logs\\old\\x.LOG"));
    EXPECT_TRUE(Has(L"saves\\slot1.dat"));
    EXPECT_FALSE(Has(L"saves\\slot2.dat"));
    EXPECT_FALSE(Has(L"old_folder"));
    EXPECT_FALSE(Has(L"noext"));
    EXPECT_FALSE(Has(L".hidden"));
    EXPECT_TRUE(Has(L"Launcher.exe"));
    EXPECT_TRUE(Has(L"update.xml"));
    EXPECT_TRUE(Has(L"tmp\\part.pkg"));
    for (const wchar_t* name : state) EXPECT_TRUE(Has(name)) << "deleted " << std::string(name, name + wcslen(name));
    EXPECT_EQ(std::vector<std::string>{"base.pkg"}, QueuedNames());
}

TEST_F(CheckerTest, ANamedIgnoreEntryKeepsThatFileAnywhere) {
    Put(L"settings.cfg", "a");
    Put(L"deep\\settings.cfg", "b");
    Put(L"other.cfg", "c");
    settings_.cleanup = true;
    settings_.newManifest = ManifestXml(
        "", PackXml("full", "base.pkg", 10, FileXml("x", "x")) + "<IGNORE><FILE file=\"*\\Settings.cfg\"/></IGNORE>");
    ASSERT_EQ(crDone, Check());
    EXPECT_TRUE(Has(L"settings.cfg"));
    EXPECT_TRUE(Has(L"deep\\settings.cfg"));
    EXPECT_FALSE(Has(L"other.cfg"));
}

TEST_F(CheckerTest, TheLauncherTestComparesVersionSizeAndChecksum) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring launcher = self;
    launcher = launcher.substr(0, launcher.rfind(L'\\')) + L"\\Launcher.exe";
    const std::string bytes = ReadFileBytes(launcher);
    ASSERT_FALSE(bytes.empty());
    uint32_t checksum = 0;
    ASSERT_EQ(0u, LauncherChecksum(&bytes, ChecksumVariant::A, checksum));
    const std::wstring wide = ReadFileVersion(launcher);
    const std::string version(wide.begin(), wide.end());
    ASSERT_FALSE(version.empty());
    settings_.launcherPath = launcher;
    const std::string files = PackXml("full", "a.pkg", 1, FileXml("a", "a"));
    auto root = [&](const std::string& v, size_t size, const std::string& crc) {
        return "launcherVersion=\"" + v + "\" launcherSize=\"" + std::to_string(size) + "\" launcherCRC=\"" + crc + "\"";
    };
    settings_.newManifest = ManifestXml(root(version, bytes.size(), std::to_string(checksum)), files);
    ASSERT_EQ(crDone, Check());
    EXPECT_FALSE(checker_.LauncherUpdate());
    settings_.newManifest = ManifestXml(root(version, bytes.size(), ""), files);
    ASSERT_EQ(crDone, Check());
    EXPECT_FALSE(checker_.LauncherUpdate());
    for (const std::string& r : {root(version, bytes.size() + 1, ""), root(version + ".0", bytes.size(), ""),
                                 root(version, bytes.size(), std::to_string(checksum ^ 1))}) {
        SCOPED_TRACE(r);
        settings_.newManifest = ManifestXml(r, files);
        ASSERT_EQ(crLauncherUpdate, Check());
        EXPECT_TRUE(checker_.LauncherUpdate());
        EXPECT_EQ(L"run blocker: [new launcher available]", checker_.RunBlocker());
        EXPECT_TRUE(checker_.NeededFiles().empty()) << "the check ends before the files";
    }
}

TEST_F(CheckerTest, AddPackagesComeFromAddpkgDat) {
    settings_.useAddPackages = true;
    CAddPkg list;
    list.SetAddPkgFolder(install_);
    list.Add(L"hd.pkg", false);
    settings_.newManifest = ManifestXml("", PackXml("add", "hd.pkg", 1, FileXml("hd.dat", "x")) +
                                                PackXml("add", "sd.pkg", 1, FileXml("sd.dat", "x")));
    ASSERT_EQ(crDone, Check());
    EXPECT_EQ(std::vector<std::string>{"hd.pkg"}, QueuedNames());
}

TEST(FileCrc, MatchesTheOneShotCrcAcrossChunkBoundaries) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"launcher-filecrc.bin";
    for (size_t size : {size_t(0), size_t(1), size_t(1 << 20), size_t((1 << 20) * 3 + 7)}) {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) bytes[i] = char(i * 2654435761u >> 24);
        WriteFileBytes(path, bytes);
        uint32_t crc = 0;
        uint64_t length = 0;
        DWORD error = 0;
        ASSERT_TRUE(FileCrc(path, crc, length, error));
        EXPECT_EQ(Crc32(bytes.data(), bytes.size()), crc) << size;
        EXPECT_EQ(size, length);
    }
    DeleteFileW(path.c_str());
    uint32_t crc = 0;
    uint64_t length = 0;
    DWORD error = 0;
    EXPECT_FALSE(FileCrc(path, crc, length, error));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), error);
}
