#include "common/temp_folder.h"
#include "startup/crc32.h"
#include "startup/find_files.h"
#include "startup/handle.h"
#include "update/entry_writer.h"
#include "update/message_sink.h"
#include "update/rar29_writer.h"
#include "update/unpacker_thread.h"
#include "update/raw_zip_writer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

constexpr DWORD kWait = 20000;

std::string Pattern(size_t n, unsigned seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = char((i * seed + (i >> 9)) % 253);
    return s;
}

std::string ReadFixture(const char* path) {
    std::string bytes;
    if (FILE* f = fopen(path, "rb")) {
        char buf[65536];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
        fclose(f);
    }
    return bytes;
}

uint64_t WorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.WorkingSetSize : 0;
}

void Append(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += char(value >> (8 * i));
}

// A ZIP package with one stored entry of `size` zero bytes, written sparse:
// it takes no disk space and no time to make.
void MakeSparseZip(const std::wstring& path, const std::string& name, uint32_t size) {
    // The CRC-32 of 2^k zero bytes by doubling: zlib combines two runs.
    const std::vector<char> zeros(1 << 20);
    ASSERT_EQ(0u, size % zeros.size());
    uint32_t crc = Crc32(zeros.data(), zeros.size());
    for (uint64_t run = zeros.size(); run < size; run *= 2) crc = uint32_t(crc32_combine(crc, crc, z_off_t(run)));
    ASSERT_EQ(uint64_t(size), uint64_t(1) << __builtin_ctz(size)) << "a power of two";
    std::string local, directory, end;
    for (uint32_t v : {0x04034B50u, 10u, 0u, 0u, 0u, 0u}) Append(local, v, v == 0x04034B50u ? 4 : 2);
    for (uint32_t v : {crc, size, size}) Append(local, v, 4);
    Append(local, uint32_t(name.size()), 2);
    Append(local, 0, 2);
    local += name;
    Append(directory, 0x02014B50u, 4);
    for (int i = 0; i < 6; ++i) Append(directory, i < 2 ? 20u : 0u, 2);
    for (uint32_t v : {crc, size, size}) Append(directory, v, 4);
    for (uint32_t v : {uint32_t(name.size()), 0u, 0u, 0u, 0u}) Append(directory, v, 2);
    Append(directory, 0, 4);
    Append(directory, 0, 4);
    directory += name;
    for (uint32_t v : {0x06054B50u, 0u, 0u, 1u, 1u}) Append(end, v, v == 0x06054B50u ? 4 : 2);
    Append(end, uint32_t(directory.size()), 4);
    Append(end, uint32_t(local.size()) + size, 4);
    Append(end, 0, 2);
    CFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.IsValid());
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.Get(), local.data(), DWORD(local.size()), &written, nullptr));
    LARGE_INTEGER skip;
    skip.QuadPart = size;
    ASSERT_TRUE(SetFilePointerEx(file.Get(), skip, nullptr, FILE_CURRENT));
    const std::string tail = directory + end;
    ASSERT_TRUE(WriteFile(file.Get(), tail.data(), DWORD(tail.size()), &written, nullptr));
}

class UnpackerTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        install_ = path(L"game");
        downloads_ = path(L"tmp");
        CreateDirectoryW(install_.c_str(), nullptr);
        CreateDirectoryW(downloads_.c_str(), nullptr);
    }

    void StartUnpacker(bool ignoreWriteErrors = false) {
        unpacker_.Configure(install_, sink_.window(), true, ignoreWriteErrors);
        ASSERT_TRUE(unpacker_.Start());
    }

    // Hands the package over in parts of at most `part` bytes.
    std::wstring Feed(const std::wstring& name, const std::string& bytes, size_t part = 7000) {
        const std::wstring package = downloads_ + L"\\" + name;
        for (size_t at = 0; at < bytes.size(); at += part) {
            CBuffer buffer;
            const uint32_t n = uint32_t(std::min(part, bytes.size() - at));
            buffer.append(bytes.data() + at, n);
            EXPECT_TRUE(unpacker_.AddFilePart(package, buffer, n));
            EXPECT_EQ(0u, buffer.length()) << "the part's storage is taken over";
        }
        return package;
    }

    // Unpacks one package and returns the finish result (-1: none came).
    LPARAM Unpack(const std::wstring& name, const std::string& bytes) {
        const std::wstring package = Feed(name, bytes);
        unpacker_.AddPackageTask(package);
        unpacker_.Finish();
        PostedMessage m{};
        return sink_.WaitFor(CUnpackerThread::kFinishedMessage, kWait, &m) ? m.l : -1;
    }

    // A large download already on disk, known to the unpacker and queued
    // to be copied into the installation.
    void QueueLargeCopy() {
        const std::wstring source = downloads_ + L"\\large.bin";
        MakeSparseFile(source, uint64_t(512) << 20);
        CBuffer none;
        ASSERT_TRUE(unpacker_.AddFilePart(source, none, 0));
        unpacker_.AddFileTask(source, L"large.bin");
    }

    std::string Installed(const std::wstring& relative) { return ReadFileBytes(install_ + L"\\" + relative); }

    std::wstring install_, downloads_;
    CMessageSink sink_;
    CUnpackerThread unpacker_;
};

}  // namespace

TEST_F(UnpackerTest, PartsKeepARunningCrcAndCount) {
    StartUnpacker();
    const std::string bytes = Pattern(50000, 3);
    const std::wstring package = Feed(L"a.pkg", bytes, 4096);
    uint32_t crc = 0;
    uint64_t count = 0;
    ASSERT_TRUE(unpacker_.GetPackageInfo(package, crc, count));
    EXPECT_EQ(Crc32(bytes.data(), bytes.size()), crc);
    EXPECT_EQ(bytes.size(), count);
    Sha256Digest sha{};
    ASSERT_TRUE(unpacker_.GetPackageSha256(package, sha));
    EXPECT_EQ(Sha256Of(bytes.data(), bytes.size()), sha);
    EXPECT_FALSE(unpacker_.GetPackageInfo(downloads_ + L"\\other.pkg", crc, count));
    EXPECT_FALSE(unpacker_.GetPackageSha256(downloads_ + L"\\other.pkg", sha));
    // Forgotten parts restart the count, the CRC and the hash.
    unpacker_.ForgetParts(package);
    const std::wstring again = Feed(L"a.pkg", "xyz");
    ASSERT_TRUE(unpacker_.GetPackageInfo(again, crc, count));
    EXPECT_EQ(Crc32("xyz", 3), crc);
    EXPECT_EQ(3u, count);
    ASSERT_TRUE(unpacker_.GetPackageSha256(again, sha));
    EXPECT_EQ(Sha256Of("xyz", 3), sha);
}

TEST_F(UnpackerTest, ADownloadResumedFromDiskContinuesItsCrcAndIsAssembledWithTheParts) {
    const std::string bytes = WriteZip({{"data/a.bin", Pattern(90000, 5), true}, {"b.txt", "bbb", false}});
    const size_t half = bytes.size() / 2;
    WriteFileBytes(downloads_ + L"\\p.pkg", bytes.substr(0, half));
    StartUnpacker();
    const std::wstring package = downloads_ + L"\\p.pkg";
    CBuffer rest;
    rest.append(bytes.data() + half, uint32_t(bytes.size() - half));
    ASSERT_TRUE(unpacker_.AddFilePart(package, rest, uint32_t(bytes.size() - half)));
    uint32_t crc = 0;
    uint64_t count = 0;
    ASSERT_TRUE(unpacker_.GetPackageInfo(package, crc, count));
    EXPECT_EQ(Crc32(bytes.data(), bytes.size()), crc);
    EXPECT_EQ(bytes.size(), count);
    // The hash, too, goes on from the bytes on disk.
    Sha256Digest sha{};
    ASSERT_TRUE(unpacker_.GetPackageSha256(package, sha));
    EXPECT_EQ(Sha256Of(bytes.data(), bytes.size()), sha);
    unpacker_.AddPackageTask(package);
    unpacker_.Finish();
    PostedMessage m{};
    ASSERT_TRUE(sink_.WaitFor(CUnpackerThread::kFinishedMessage, kWait, &m));
    EXPECT_EQ(0, m.l) << std::string(unpacker_.ErrorText().begin(), unpacker_.ErrorText().end());
    EXPECT_EQ(Pattern(90000, 5), Installed(L"data\\a.bin"));
    EXPECT_EQ("bbb", Installed(L"b.txt"));
}

TEST_F(UnpackerTest, StopWritesPendingPartsToThePackageFile) {
    StartUnpacker();
    const std::string bytes = Pattern(30000, 7);
    const std::wstring package = Feed(L"big.pkg", bytes, 1000);
    unpacker_.Stop(5000);
    EXPECT_EQ(bytes, ReadFileBytes(package));
    unpacker_.AddPackageTask(package);  // ignored after Stop
    unpacker_.Finish();
    sink_.Pump(300);
    EXPECT_EQ(0u, sink_.Count(CUnpackerThread::kFinishedMessage));
}

// Packages are unpacked from their files: a complete download waits on
// disk, not in memory, like a running one.
TEST_F(UnpackerTest, AWakeWritesEveryReceivedPartToDisk) {
    StartUnpacker();
    const std::wstring running = Feed(L"running.pkg", "first bytes");
    const std::wstring complete = Feed(L"complete.pkg", "all bytes");
    unpacker_.Finish();
    ASSERT_TRUE(sink_.WaitFor(CUnpackerThread::kFinishedMessage, kWait));
    EXPECT_EQ("first bytes", ReadFileBytes(running));
    EXPECT_EQ("all bytes", ReadFileBytes(complete));
}

// A killed launcher resumes from what reached tmp\: received parts are
// written soon after they arrive, without waiting for any task.
TEST_F(UnpackerTest, ReceivedPartsReachTheDiskWithoutATask) {
    StartUnpacker();
    const std::string bytes = Pattern(20000, 3);
    const std::wstring package = Feed(L"partial.pkg", bytes);
    for (int i = 0; i < 100 && ReadFileBytes(package) != bytes; ++i) Sleep(20);
    EXPECT_EQ(bytes, ReadFileBytes(package));
}

// With no thread to write them (as when the disk falls behind the download),
// parts beyond the memory limit are written by the caller: memory stays
// bounded.
TEST_F(UnpackerTest, PartsBeyondTheMemoryLimitAreWrittenByTheCaller) {
    const std::string part(8u << 20, 'x');
    std::wstring package;
    for (int i = 0; i < 16; ++i) package = Feed(L"huge.pkg", part, part.size());
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(package.c_str(), GetFileExInfoStandard, &data));
    const uint64_t onDisk = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    EXPECT_GE(onDisk, 32u << 20) << "the parts stayed in memory";
    uint32_t crc = 0;
    uint64_t count = 0;
    ASSERT_TRUE(unpacker_.GetPackageInfo(package, crc, count));
    EXPECT_EQ(uint64_t(16) * part.size(), count);
}

TEST_F(UnpackerTest, ZipEntriesLandWithCleanedNamesAndProgressReachesThePackageSize) {
    StartUnpacker();
    // Larger than what is held before the target is written, with a tail.
    const std::string big = Pattern(CEntryWriter::kHeld * 2 + (1 << 20) + 12345, 11);
    const std::string zip = WriteZip({{"dir//sub\\file.txt", "doubled", false},
                                      {"\"quoted\".txt", "quotes", true},
                                      {"maps/", "", false},
                                      {"bin/client.dll", big, true},
                                      {"empty.cfg", "", false}});
    ASSERT_EQ(0, Unpack(L"client.pkg", zip));
    EXPECT_EQ("doubled", Installed(L"dir\\sub\\file.txt"));
    EXPECT_EQ("quotes", Installed(L"quoted.txt"));
    EXPECT_TRUE(PathExists(install_ + L"\\maps"));
    EXPECT_EQ(big, Installed(L"bin\\client.dll"));
    EXPECT_TRUE(PathExists(install_ + L"\\empty.cfg"));
    PostedMessage last{};
    for (const auto& m : sink_.received())
        if (m.message == CUnpackerThread::kProgressMessage) last = m;
    EXPECT_EQ(zip.size(), UnpackProgressBytes(last.w, last.l));
    EXPECT_EQ(zip.size(), unpacker_.UnpackedBytes());
}

TEST_F(UnpackerTest, RarIsChosenByItsMarkerWhateverTheName) {
    StartUnpacker();
    const std::string rar = WriteRar29({{"data", "", true}, {"data\\x.txt", "from rar", false}});
    ASSERT_EQ(0, Unpack(L"patch.bin", rar));
    EXPECT_EQ("from rar", Installed(L"data\\x.txt"));
}

TEST_F(UnpackerTest, CompressedRar5PackagesUnpack) {
    StartUnpacker();
    const std::string rar5 = ReadFixture(LAUNCHER_TEST_PACKAGE_RAR5);
    ASSERT_EQ("Rar!", rar5.substr(0, 4));
    ASSERT_EQ(0, Unpack(L"tree.pkg", rar5));
    EXPECT_EQ(ReadFixture(LAUNCHER_TEST_UPDATE_XML), Installed(L"tree\\sub\\update.xml"));
    EXPECT_EQ(ReadFixture(LAUNCHER_SOURCE_DIR "/assets/package/config.xml"), Installed(L"tree\\config.xml"));
}

namespace {

// Every file below `folder` with its size, for seeing what a case wrote.
void ListTree(const std::wstring& folder, std::map<std::wstring, uint64_t>& files) {
    for (CFindFiles find(folder + L"\\*"); find.Found(); find.Next()) {
        const std::wstring name = find.Name(), child = folder + L"\\" + name;
        if (name == L"." || name == L"..") continue;
        if (find.IsFolder())
            ListTree(child, files);
        else
            files[child] = uint64_t(find.Data().nFileSizeHigh) << 32 | find.Data().nFileSizeLow;
    }
}

}  // namespace

// Hostile entry names, each after a harmless entry, in ZIP and in RAR: a
// name that could leave the folder or name a device fails the package
// before anything is written; an over-long one may fail to write but
// lands nowhere else. The whole test folder is compared after each case.
TEST_F(UnpackerTest, HostileEntryNamesWriteNothingOutsideTheFolder) {
    const std::string self(dir().begin(), dir().end());
    const std::string unc = "\\\\localhost\\C$" + self.substr(2) + "\\unc.dll";
    const std::vector<std::string> refused = {
        "..\\..\\evil.dll", "a\\..\\..\\evil.dll", "../evil.dll", "..\\tmp\\evil.pkg", "dir\\...\\evil.dll",
        "dir\\. .\\evil.dll", self + "\\abs.dll", "C:evil.dll", "\\evil.dll", "/evil.dll",
        unc, "\\\\?\\" + self + "\\long.dll", "\\\\.\\" + self + "\\dev.dll", "first.txt:stream",
        "first.txt::$DATA", "CON", "nul.txt", "data\\COM1", "LPT1.log", "AUX .x", "evil.dll.", "evil.dll ",
        "dir.\\evil.dll"};
    const std::vector<std::string> overLong = {std::string(300, 'n') + ".dll",
                                               std::string(120, 'a') + "\\" + std::string(120, 'b') + "\\" +
                                                   std::string(120, 'c') + ".dll"};
    int cases = 0, outside = 0;
    for (const std::vector<std::string>* names : {&refused, &overLong}) {
        for (const std::string& evil : *names) {
            for (bool rar : {false, true}) {
                SCOPED_TRACE(evil + (rar ? " in RAR" : " in ZIP"));
                ForceRemoveTree(install_);
                CreateDirectoryW(install_.c_str(), nullptr);
                std::map<std::wstring, uint64_t> before, after;
                ListTree(dir(), before);
                CMessageSink sink;
                CUnpackerThread unpacker;
                unpacker.Configure(install_, sink.window(), true, false);
                ASSERT_TRUE(unpacker.Start());
                const std::string bytes = rar ? WriteRar29({{"first.txt", "1", false}, {evil, "MZ", false}})
                                              : WriteZip({{"first.txt", "1", false}, {evil, "MZ", false}});
                const std::wstring package = downloads_ + L"\\evil.pkg";
                CBuffer buffer;
                buffer.append(bytes.data(), uint32_t(bytes.size()));
                ASSERT_TRUE(unpacker.AddFilePart(package, buffer, uint32_t(bytes.size())));
                unpacker.AddPackageTask(package);
                unpacker.Finish();
                PostedMessage m{};
                ASSERT_TRUE(sink.WaitFor(CUnpackerThread::kFinishedMessage, kWait, &m));
                unpacker.Stop(5000);
                DeleteFileW(package.c_str());
                ListTree(dir(), after);
                ++cases;
                for (const auto& [file, size] : after) {
                    const bool inside = file.compare(0, install_.size() + 1, install_ + L"\\") == 0;
                    if (!inside && !before.count(file)) {
                        ++outside;
                        ADD_FAILURE() << "written outside: " << std::string(file.begin(), file.end());
                    }
                }
                if (names == &refused) {
                    EXPECT_EQ(1, m.l);
                    EXPECT_EQ((rar ? L"pkg(rar) unpack error : " : L"pkg unpack error : ") + package,
                              unpacker.ErrorText());
                    EXPECT_FALSE(PathExists(install_ + L"\\first.txt")) << "written before the names were checked";
                }
            }
        }
    }
    printf("hostile entry names: %d cases, %d written outside the folder\n", cases, outside);
}

TEST_F(UnpackerTest, ALockedTargetWithTheSameBytesCountsAsWritten) {
    CreateDirectoryW((install_ + L"\\bin").c_str(), nullptr);
    const std::wstring target = install_ + L"\\bin\\client.exe";
    WriteFileBytes(target, "same bytes");
    CFile lock(CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock.IsValid());
    StartUnpacker();
    EXPECT_EQ(0, Unpack(L"a.pkg", WriteZip({{"bin/client.exe", "same bytes", false}, {"after.txt", "x", false}})));
    EXPECT_EQ("x", Installed(L"after.txt"));
    lock.Reset();
}

TEST_F(UnpackerTest, ALockedTargetWithOtherBytesFailsWithTheCreateError) {
    const std::wstring target = install_ + L"\\client.exe";
    WriteFileBytes(target, "old bytes");
    CFile lock(CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock.IsValid());
    StartUnpacker();
    EXPECT_EQ(2, Unpack(L"a.pkg", WriteZip({{"client.exe", "new bytes", false}, {"after.txt", "x", false}})));
    EXPECT_EQ(L"unpacker: file can't be create : " + target, unpacker_.ErrorText());
    EXPECT_EQ(DWORD(ERROR_SHARING_VIOLATION), unpacker_.ErrorValue());
    EXPECT_FALSE(PathExists(install_ + L"\\after.txt"));
    lock.Reset();
    EXPECT_EQ("old bytes", ReadFileBytes(target));
}

TEST_F(UnpackerTest, IgnoredWriteErrorsLetTheUnpackingGoOn) {
    const std::wstring target = install_ + L"\\client.exe";
    WriteFileBytes(target, "old bytes");
    CFile lock(CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock.IsValid());
    StartUnpacker(true);
    EXPECT_EQ(0, Unpack(L"a.pkg", WriteZip({{"client.exe", "new bytes", false}, {"after.txt", "x", false}})));
    EXPECT_EQ("x", Installed(L"after.txt"));
    lock.Reset();
}

TEST_F(UnpackerTest, UnreadablePackagesFailWithTheirTexts) {
    const struct {
        const wchar_t* name;
        std::string bytes;
        const wchar_t* text;
    } cases[] = {
        {L"garbage.pkg", std::string(5000, 'g'), L"pkg file error or empty : "},
        {L"comment.pkg", WriteZip({{"a", "1", false}}, "comment"), L"pkg file error or empty : "},
        {L"empty.pkg", WriteZip({}), L"pkg file error or empty : "},
        {L"fake.rar", std::string("Rar!\x1a\x07\x00", 7) + std::string(300, 'r'), L"pkg(rar) file error or empty : "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name, c.name + wcslen(c.name)));
        CMessageSink sink;
        CUnpackerThread unpacker;
        unpacker.Configure(install_, sink.window(), true, false);
        ASSERT_TRUE(unpacker.Start());
        const std::wstring package = downloads_ + L"\\" + c.name;
        CBuffer buffer;
        buffer.append(c.bytes.data(), uint32_t(c.bytes.size()));
        ASSERT_TRUE(unpacker.AddFilePart(package, buffer, uint32_t(c.bytes.size())));
        unpacker.AddPackageTask(package);
        PostedMessage m{};
        ASSERT_TRUE(sink.WaitFor(CUnpackerThread::kFinishedMessage, kWait, &m));
        EXPECT_EQ(1, m.l);
        EXPECT_EQ(c.text + package, unpacker.ErrorText());
        // The failure flushed the downloaded bytes for a later attempt.
        EXPECT_EQ(c.bytes, ReadFileBytes(package));
    }
}

// A package file cut short or changed on disk after it was received is
// never unpacked: it is deleted and forgotten, so that it is fetched again.
TEST_F(UnpackerTest, APackageChangedOnDiskFailsIsDeletedAndLaterTasksAreNotRun) {
    const std::string good = WriteZip({{"good.txt", "g", false}});
    // The name in the directory is no part of any entry's CRC-32.
    std::string renamed = good;
    renamed[renamed.rfind("good.txt") + 2] = 'l';  // "gold.txt"
    for (const std::string& onDisk : {good.substr(0, 10), renamed}) {
        SCOPED_TRACE(onDisk.size());
        CMessageSink sink;
        CUnpackerThread unpacker;
        unpacker.Configure(install_, sink.window(), true, false);
        ASSERT_TRUE(unpacker.Start());
        const std::wstring package = downloads_ + L"\\damaged" + std::to_wstring(onDisk.size()) + L".pkg";
        CBuffer buffer;
        buffer.append(good.data(), uint32_t(good.size()));
        ASSERT_TRUE(unpacker.AddFilePart(package, buffer, uint32_t(good.size())));
        unpacker.FlushParts();
        WriteFileBytes(package, onDisk);
        unpacker.AddPackageTask(package);
        const std::wstring later = downloads_ + L"\\later.pkg";
        CBuffer other;
        other.append(good.data(), uint32_t(good.size()));
        ASSERT_TRUE(unpacker.AddFilePart(later, other, uint32_t(good.size())));
        unpacker.AddPackageTask(later);
        unpacker.Finish();
        PostedMessage m{};
        ASSERT_TRUE(sink.WaitFor(CUnpackerThread::kFinishedMessage, kWait, &m));
        EXPECT_EQ(1, m.l);
        EXPECT_EQ(L"pkg/bin file can not be open : " + package, unpacker.ErrorText());
        sink.Pump(300);
        EXPECT_EQ(1u, sink.Count(CUnpackerThread::kFinishedMessage));
        EXPECT_FALSE(PathExists(install_ + L"\\good.txt"));
        EXPECT_FALSE(PathExists(install_ + L"\\gold.txt"));
        EXPECT_FALSE(PathExists(package));
        uint32_t crc = 0;
        uint64_t count = 1;
        EXPECT_TRUE(unpacker.GetPackageInfo(package, crc, count));
        EXPECT_EQ(0u, count) << "a new download starts from nothing";
        unpacker.Stop(5000);
        DeleteFileW(later.c_str());
    }
}

TEST_F(UnpackerTest, AFileTaskWritesTheDownloadAsOneFile) {
    StartUnpacker();
    const std::string exe = Pattern(70000, 17);
    const std::wstring source = Feed(L"Launcher.exe", exe);
    unpacker_.AddFileTask(source, L"Launcher.tmp.exe");
    unpacker_.Finish();
    PostedMessage m{};
    ASSERT_TRUE(sink_.WaitFor(CUnpackerThread::kFinishedMessage, kWait, &m));
    EXPECT_EQ(0, m.l);
    EXPECT_EQ(exe, Installed(L"Launcher.tmp.exe"));
}

// The logic hands over every received part on its window's thread: the
// unpacker's file work must not hold that up, nor keep the parts from the
// disk, where a killed run resumes from.
TEST_F(UnpackerTest, PartsAreTakenAtOnceAndWrittenWhileTheThreadCopiesALargeDownload) {
    StartUnpacker();
    QueueLargeCopy();
    unpacker_.Finish();
    ULONGLONG slowest = 0;
    bool writtenDuringTheCopy = false;
    PostedMessage m{};
    while (!sink_.WaitFor(CUnpackerThread::kFinishedMessage, 5, &m)) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        const std::wstring other = downloads_ + L"\\other.pkg";
        writtenDuringTheCopy |= GetFileAttributesExW(other.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeLow;
        const ULONGLONG before = GetTickCount64();
        Feed(L"other.pkg", "part");
        slowest = std::max(slowest, GetTickCount64() - before);
    }
    EXPECT_EQ(0, m.l);
    EXPECT_LT(slowest, 250u);
    EXPECT_TRUE(writtenDuringTheCopy);
}

// The exit gives the workers a few seconds: one large file must not
// outlast them.
TEST_F(UnpackerTest, AStopDuringALargeCopyEndsTheThreadWithinItsLimit) {
    StartUnpacker();
    QueueLargeCopy();
    Sleep(100);  // the copy is under way
    EXPECT_TRUE(unpacker_.Stop(300));
    sink_.Pump(100);
    EXPECT_EQ(0u, sink_.Count(CUnpackerThread::kFinishedMessage)) << "a stop is no failure";
}

TEST_F(UnpackerTest, TasksWaitForFinishWhenNotStartedByTheFirstOne) {
    unpacker_.Configure(install_, sink_.window(), false, false);
    ASSERT_TRUE(unpacker_.Start());
    unpacker_.AddPackageTask(Feed(L"a.pkg", WriteZip({{"a.txt", "a", false}})));
    sink_.Pump(300);
    EXPECT_FALSE(PathExists(install_ + L"\\a.txt"));
    unpacker_.Finish();
    PostedMessage m{};
    ASSERT_TRUE(sink_.WaitFor(CUnpackerThread::kFinishedMessage, kWait, &m));
    EXPECT_EQ(0, m.l);
    EXPECT_EQ("a", Installed(L"a.txt"));
}

TEST_F(UnpackerTest, ProgressDuringExtractionIsMoreThan55MsApart) {
    StartUnpacker();
    std::vector<ZipWriterEntry> entries;
    for (int i = 0; i < 300; ++i) entries.push_back({"f/" + std::to_string(i) + ".bin", Pattern(100000, unsigned(3 + i)), i % 2 == 1});
    const std::string zip = WriteZip(entries);
    const ULONGLONG start = GetTickCount64();
    ASSERT_EQ(0, Unpack(L"many.pkg", zip));
    const ULONGLONG elapsed = GetTickCount64() - start;
    std::vector<uint64_t> progress;
    for (const auto& m : sink_.received())
        if (m.message == CUnpackerThread::kProgressMessage) progress.push_back(UnpackProgressBytes(m.w, m.l));
    ASSERT_GE(progress.size(), 3u) << "the package unpacks too fast to see progress";
    // Message time stamps are too coarse under Wine to compare one by one;
    // the count bounds the rate: the first message, one per 55 ms after it,
    // and the package's own final message.
    EXPECT_LE(progress.size(), elapsed / 56 + 2) << elapsed << " ms";
    for (size_t i = 1; i < progress.size(); ++i) {
        EXPECT_GE(progress[i], progress[i - 1]);
        EXPECT_LE(progress[i], zip.size());
    }
    EXPECT_EQ(zip.size(), progress.back());
}

// Packages are read from their files in pieces: a 2 GiB package with a
// 2 GiB entry unpacks within the same memory as a small one.
TEST_F(UnpackerTest, A2GiBPackageUnpacksInBoundedMemory) {
    constexpr uint32_t kSize = uint32_t(1) << 31;
    const std::wstring package = downloads_ + L"\\huge.pkg";
    MakeSparseZip(package, "data/huge.bin", kSize);
    StartUnpacker();
    CBuffer none;
    ASSERT_TRUE(unpacker_.AddFilePart(package, none, 0));
    const uint64_t before = WorkingSet();
    unpacker_.AddPackageTask(package);
    unpacker_.Finish();
    uint64_t peak = before;
    PostedMessage m{};
    for (int i = 0; i < 6000 && !sink_.WaitFor(CUnpackerThread::kFinishedMessage, 20, &m); ++i)
        peak = std::max(peak, WorkingSet());
    EXPECT_EQ(0, m.l) << std::string(unpacker_.ErrorText().begin(), unpacker_.ErrorText().end());
    EXPECT_LT(peak - before, uint64_t(64) << 20) << "peak working set grew by " << ((peak - before) >> 20) << " MiB";
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW((install_ + L"\\data\\huge.bin").c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(uint64_t(kSize), (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    DeleteFileW((install_ + L"\\data\\huge.bin").c_str());
}

TEST(UnpackProgress, CountsBeyond4GiBSurviveTheMessage) {
    const uint64_t bytes = (uint64_t(5) << 30) + 12345;
    EXPECT_EQ(bytes, UnpackProgressBytes(WPARAM(uint32_t(bytes >> 32)), LPARAM(bytes)));
}

// The exit stops the unpacker right after its finish arrives, while the
// worker may be deciding that it has nothing more to do.
TEST_F(UnpackerTest, AStopRightAfterTheFinishIsNeverMissed) {
    for (int round = 0; round < 300; ++round) {
        CUnpackerThread unpacker;
        unpacker.Configure(install_, sink_.window(), true, false);
        ASSERT_TRUE(unpacker.Start());
        unpacker.Finish();
        ASSERT_TRUE(sink_.WaitFor(CUnpackerThread::kFinishedMessage, kWait)) << "round " << round;
        ASSERT_TRUE(unpacker.Stop(2000)) << "round " << round;
    }
}
