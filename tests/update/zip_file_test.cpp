#include "update/zip_file.h"
#include "update/raw_zip_writer.h"

#include <gtest/gtest.h>

#include <zlib.h>

namespace {

std::string Pattern(size_t n, unsigned seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = char((i * seed + (i >> 7)) % 251);
    return s;
}

uint32_t Open(CZipFile& zip, CSimpleMemReadStream& stream) { return zip.Open(stream); }

void PutU32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = char((v >> (8 * i)) & 0xFF);
}

// Offset of the central directory's first entry in an archive we wrote
// without comment: right after the local parts.
size_t DirectoryStart(const std::string& zip) {
    const size_t end = zip.size() - 22;
    const uint32_t size = uint8_t(zip[end + 12]) | uint8_t(zip[end + 13]) << 8 | uint8_t(zip[end + 14]) << 16 |
                          uint32_t(uint8_t(zip[end + 15])) << 24;
    return end - size;
}

}  // namespace

TEST(ZipFile, StoredAndDeflatedEntriesComeBackWithBackslashNames) {
    const std::string big = Pattern(200000, 7);
    CSimpleMemReadStream stream(WriteZip({{"data/big.bin", big, true},
                                          {"data/sub/", "", false},
                                          {"readme.txt", "hello", false},
                                          {"empty.txt", "", true}}));
    CZipFile zip;
    ASSERT_EQ(kZipOk, Open(zip, stream));
    ASSERT_EQ(4u, zip.Entries().size());
    EXPECT_EQ("data\\big.bin", zip.Entries()[0].name);
    EXPECT_EQ("data\\sub\\", zip.Entries()[1].name);
    EXPECT_EQ(-1, zip.Find("data/big.bin"));
    ASSERT_EQ(0, zip.Find("data\\big.bin"));
    std::string out;
    ASSERT_EQ(kZipOk, zip.Extract(0, out));
    EXPECT_EQ(big, out);
    ASSERT_EQ(kZipOk, zip.Extract(size_t(zip.Find("readme.txt")), out));
    EXPECT_EQ("hello", out);
    ASSERT_EQ(kZipOk, zip.Extract(3, out));
    EXPECT_EQ("", out);
}

TEST(ZipFile, ArchivesMadeByTheZipToolOpen) {
    // A fixture made at build time with Info-ZIP: deflated text, a folder
    // entry and extra fields in the local headers.
    std::string bytes;
    {
        FILE* f = fopen(LAUNCHER_TEST_ZIP_TOOL, "rb");
        ASSERT_NE(nullptr, f) << LAUNCHER_TEST_ZIP_TOOL;
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
        fclose(f);
    }
    CSimpleMemReadStream stream(bytes);
    CZipFile zip;
    ASSERT_EQ(kZipOk, Open(zip, stream));
    const int index = zip.Find("tree\\sub\\update.xml");
    ASSERT_GE(index, 0);
    std::string out;
    ASSERT_EQ(kZipOk, zip.Extract(size_t(index), out));
    EXPECT_NE(std::string::npos, out.find("clientVersion"));
}

TEST(ZipFile, ATrailingCommentOrShortDataIsNoArchive) {
    CSimpleMemReadStream withComment(WriteZip({{"a", "1", false}}, "published 2026"));
    CZipFile zip;
    EXPECT_EQ(kZipErrNoDirectoryEnd, Open(zip, withComment));
    CSimpleMemReadStream tiny(std::string("PK\x05\x06", 4));
    EXPECT_EQ(kZipErrNoDirectoryEnd, Open(zip, tiny));
    CSimpleMemReadStream garbage(std::string(4096, 'x'));
    EXPECT_EQ(kZipErrNoDirectoryEnd, Open(zip, garbage));
}

TEST(ZipFile, AnArchiveWithoutEntriesIsEmpty) {
    CSimpleMemReadStream stream(WriteZip({}));
    CZipFile zip;
    EXPECT_EQ(kZipErrEmpty, Open(zip, stream));
}

TEST(ZipFile, HeadersPointingOutsideTheDataFail) {
    const std::string good = WriteZip({{"a.txt", Pattern(5000, 3), true}, {"b.txt", "bbb", false}});
    const size_t dir = DirectoryStart(good);
    CZipFile zip;
    std::string out;
    {
        std::string bad = good;  // directory larger than the file
        PutU32(bad, bad.size() - 22 + 12, uint32_t(bad.size() * 2));
        CSimpleMemReadStream s(bad);
        EXPECT_EQ(kZipErrBadHeader, Open(zip, s));
    }
    {
        std::string bad = good;  // damaged directory signature
        bad[dir] = 'X';
        CSimpleMemReadStream s(bad);
        EXPECT_EQ(kZipErrBadHeader, Open(zip, s));
    }
    {
        std::string bad = good;  // name length running past the directory
        bad[dir + 28] = char(0xFF);
        bad[dir + 29] = char(0xFF);
        CSimpleMemReadStream s(bad);
        EXPECT_EQ(kZipErrBadHeader, Open(zip, s));
    }
    {
        std::string bad = good;  // local header offset past the end
        PutU32(bad, dir + 42, 0x7FFFFFF0);
        CSimpleMemReadStream s(bad);
        ASSERT_EQ(kZipOk, Open(zip, s));
        EXPECT_EQ(kZipErrBadHeader, zip.Extract(0, out));
        EXPECT_EQ(kZipOk, zip.Extract(1, out));
        EXPECT_EQ("bbb", out);
    }
    {
        std::string bad = good;  // packed size past the end
        PutU32(bad, dir + 20, 0x7FFFFFF0);
        CSimpleMemReadStream s(bad);
        ASSERT_EQ(kZipOk, Open(zip, s));
        EXPECT_EQ(kZipErrBadHeader, zip.Extract(0, out));
    }
    {
        std::string bad = good;  // local signature damaged
        bad[0] = 'Q';
        CSimpleMemReadStream s(bad);
        ASSERT_EQ(kZipOk, Open(zip, s));
        EXPECT_EQ(kZipErrBadHeader, zip.Extract(0, out));
    }
}

TEST(ZipFile, UnknownMethodsLyingSizesAndDamagedDataFail) {
    const std::string data = Pattern(5000, 11);
    const std::string good = WriteZip({{"a.bin", data, true}});
    const size_t dir = DirectoryStart(good);
    CZipFile zip;
    std::string out;
    {
        std::string bad = good;
        bad[dir + 10] = 12;  // bzip2
        CSimpleMemReadStream s(bad);
        ASSERT_EQ(kZipOk, Open(zip, s));
        EXPECT_EQ(kZipErrBadMethod, zip.Extract(0, out));
    }
    {
        std::string bad = good;  // claims 4 GiB from a few KB: refused before allocating
        PutU32(bad, dir + 24, 0xFFFFFFF0);
        CSimpleMemReadStream s(bad);
        ASSERT_EQ(kZipOk, Open(zip, s));
        EXPECT_EQ(kZipErrBadData, zip.Extract(0, out));
    }
    {
        std::string bad = good;  // claims fewer bytes than the stream holds
        PutU32(bad, dir + 24, uint32_t(data.size() - 100));
        CSimpleMemReadStream s(bad);
        ASSERT_EQ(kZipOk, Open(zip, s));
        EXPECT_EQ(kZipErrBadData, zip.Extract(0, out));
        EXPECT_TRUE(out.empty());
    }
    {
        std::string bad = good;  // damaged deflate stream or CRC
        bad[30 + 5 + 40] ^= 0x5A;
        CSimpleMemReadStream s(bad);
        ASSERT_EQ(kZipOk, Open(zip, s));
        EXPECT_EQ(kZipErrBadData, zip.Extract(0, out));
    }
}

TEST(ZipFile, EveryTruncationAndByteFlipIsHandled) {
    const std::string good =
        WriteZip({{"dir/a.txt", Pattern(700, 5), true}, {"b", "stored bytes", false}, {"c/", "", false}});
    auto tryAll = [](const std::string& bytes) {
        CSimpleMemReadStream s(bytes);
        CZipFile zip;
        if (zip.Open(s) != kZipOk) return;
        std::string out;
        for (size_t i = 0; i < zip.Entries().size(); ++i) zip.Extract(i, out);
    };
    for (size_t n = 0; n < good.size(); ++n) tryAll(good.substr(0, n));
    size_t opened = 0;
    for (size_t i = 0; i < good.size(); ++i) {
        std::string bad = good;
        bad[i] = char(bad[i] ^ 0xFF);
        tryAll(bad);
        CSimpleMemReadStream s(bad);
        CZipFile zip;
        if (zip.Open(s) == kZipOk) ++opened;
    }
    // Flips inside the entry data leave the directory readable.
    EXPECT_GT(opened, 0u);
}
