#include "startup/crc32.h"
#include "startup/archive_entry_name.h"
#include "update/zip_writer.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <clocale>
#include <cstring>
#include <map>
#include <memory>
#include <random>

namespace {

uint16_t U16(const std::string& b, size_t at) { return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); }
uint32_t U32(const std::string& b, size_t at) { return uint32_t(U16(b, at)) | uint32_t(U16(b, at + 2)) << 16; }

// Reads an archive the way the launcher's ZIP reader does: the end record
// in the last 22 bytes, the central directory right before it, each local
// header, and one raw-inflate call per deflated entry.
std::map<std::string, std::string> ReadLikeLauncher(const std::string& zip) {
    std::map<std::string, std::string> out;
    EXPECT_GE(zip.size(), 22u);
    const size_t end = zip.size() - 22;
    EXPECT_EQ(0x06054B50u, U32(zip, end));
    const uint32_t dirSize = U32(zip, end + 12);
    const uint16_t count = U16(zip, end + 10);
    size_t at = end - dirSize;
    EXPECT_EQ(U32(zip, end + 16), at);  // directory offset agrees
    for (uint16_t i = 0; i < count; ++i) {
        EXPECT_EQ(0x02014B50u, U32(zip, at));
        const uint16_t method = U16(zip, at + 10);
        const uint32_t crc = U32(zip, at + 16), packed = U32(zip, at + 20), size = U32(zip, at + 24);
        const uint16_t nameLen = U16(zip, at + 28), extra = U16(zip, at + 30), comment = U16(zip, at + 32);
        const uint32_t local = U32(zip, at + 42);
        const std::string name = zip.substr(at + 46, nameLen);
        at += 46 + nameLen + extra + comment;
        EXPECT_EQ(0x04034B50u, U32(zip, local)) << name;
        const size_t data = local + 30 + U16(zip, local + 26) + U16(zip, local + 28);
        std::string content(size, '\0');
        if (method == 0) {
            content = zip.substr(data, packed);
        } else {
            EXPECT_EQ(8, method);
            z_stream z{};
            inflateInit2(&z, -15);
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zip.data() + data));
            z.avail_in = packed;
            z.next_out = reinterpret_cast<Bytef*>(&content[0]);
            z.avail_out = size;
            const int rc = inflate(&z, Z_FINISH);
            EXPECT_TRUE(rc == Z_STREAM_END || rc == Z_BUF_ERROR) << name;
            EXPECT_EQ(size, z.total_out) << name;
            inflateEnd(&z);
        }
        if (size) {
            EXPECT_EQ(crc, Crc32(content.data(), content.size())) << name;
        }
        out[name] = content;
    }
    EXPECT_EQ(end, at);
    return out;
}

std::map<std::string, std::string> ReadWithLibarchive(const std::string& zip) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
    std::map<std::string, std::string> files;
    std::unique_ptr<archive, int (*)(archive*)> a(archive_read_new(), archive_read_free);
    archive_read_support_format_zip(a.get());
    EXPECT_EQ(ARCHIVE_OK, archive_read_open_memory(a.get(), zip.data(), zip.size()));
    archive_entry* e;
    int rc;
    while ((rc = archive_read_next_header(a.get(), &e)) == ARCHIVE_OK || rc == ARCHIVE_WARN) {
        std::string data;
        char buf[4096];
        la_ssize_t n;
        while ((n = archive_read_data(a.get(), buf, sizeof buf)) > 0) data.append(buf, size_t(n));
        EXPECT_EQ(0, n) << ArchiveEntryName(e) << ": " << archive_error_string(a.get());
        files[ArchiveEntryName(e)] = data;
    }
    return files;
}

std::string Noise(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s) c = char(rng());
    return s;
}

std::string Build(const std::vector<std::pair<std::string, std::string>>& entries, std::string* error = nullptr) {
    std::string zip;
    CZipWriter w([&zip](const void* d, size_t n) {
        zip.append(static_cast<const char*>(d), n);
        return true;
    });
    bool ok = true;
    for (const auto& e : entries) ok = ok && (e.first.back() == '/' ? w.AddFolder(e.first) : w.AddFile(e.first, e.second));
    ok = ok && w.Finish();
    if (error) *error = w.Error();
    return ok ? zip : std::string();
}

}  // namespace

TEST(ZipWriter, LauncherAndLibarchiveReadEveryEntryBack) {
    const std::string cyrillic = "\xD0\x94\xD0\xB0\xD0\xBD\xD1\x96/\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB \xD1\x82.txt";
    const std::vector<std::pair<std::string, std::string>> entries = {
        {"bin/", ""},
        {"bin/game.exe", Noise(3 << 20, 1)},               // incompressible, several 1 MiB pieces
        {"data/zeros.bin", std::string(5 << 20, '\0')},   // compresses to almost nothing
        {"empty.cfg", ""},
        {cyrillic, "text with a name outside ASCII"},
    };
    const std::string zip = Build(entries);
    ASSERT_FALSE(zip.empty());
    EXPECT_LT(zip.size(), size_t(4 << 20));  // the zeros were deflated
    const auto launcher = ReadLikeLauncher(zip);
    const auto libarchive = ReadWithLibarchive(zip);
    for (const auto& e : entries) {
        if (e.first.back() == '/') continue;
        EXPECT_EQ(e.second, launcher.at(e.first)) << e.first;
    }
    EXPECT_EQ(entries[1].second, libarchive.at("bin\\game.exe"));
    EXPECT_EQ("text with a name outside ASCII",
              libarchive.at("\xD0\x94\xD0\xB0\xD0\xBD\xD1\x96\\\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB \xD1\x82.txt"));
    // Only the non-ASCII name carries the UTF-8 flag (general flags at 8).
    const size_t nameAt = zip.find(cyrillic);
    EXPECT_EQ(1 << 11, U16(zip, nameAt - 30 + 6) & (1 << 11));
    EXPECT_EQ(0, U16(zip, 6) & (1 << 11));
}

TEST(ZipWriter, SameInputSameBytes) {
    const std::vector<std::pair<std::string, std::string>> entries = {{"a.txt", "alpha"}, {"b/c.bin", Noise(70000, 7)}};
    EXPECT_EQ(Build(entries), Build(entries));
    EXPECT_NE(Build(entries), Build({entries[1], entries[0]}));
}

TEST(ZipWriter, FailuresStickAndNameTheCause) {
    CZipWriter broken([](const void*, size_t) { return false; });
    EXPECT_FALSE(broken.AddFile("a.txt", "data"));
    EXPECT_FALSE(broken.Finish());
    EXPECT_EQ("cannot write the archive", broken.Error());

    std::string zip;
    CZipWriter w([&zip](const void* d, size_t n) {
        zip.append(static_cast<const char*>(d), n);
        return true;
    });
    EXPECT_FALSE(w.AddFile("bad.bin", [](void*, size_t) -> int64_t { return -1; }));
    EXPECT_EQ("cannot read bad.bin", w.Error());
    EXPECT_FALSE(w.AddFile("later.txt", "x"));
    EXPECT_TRUE(zip.empty());  // nothing of the failed entry was written
}
