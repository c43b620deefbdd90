#include "startup/archive_entry_name.h"
#include "update/rar29_writer.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <clocale>
#include <map>
#include <memory>

namespace {

// Reads an archive back with libarchive (the reader the launcher uses).
std::map<std::string, std::string> ReadBack(const std::string& bytes, bool& ok) {
    // Native libarchive converts names through the C locale.
    std::setlocale(LC_CTYPE, "C.UTF-8");
    std::map<std::string, std::string> files;
    std::unique_ptr<archive, int (*)(archive*)> a(archive_read_new(), archive_read_free);
    archive_read_support_format_rar(a.get());
    ok = archive_read_open_memory(a.get(), bytes.data(), bytes.size()) == ARCHIVE_OK;
    archive_entry* e;
    int rc;
    while (ok && (rc = archive_read_next_header(a.get(), &e)) != ARCHIVE_EOF) {
        if (rc != ARCHIVE_OK && rc != ARCHIVE_WARN) {
            ok = false;
            break;
        }
        std::string data;
        char buf[4096];
        la_ssize_t n;
        while ((n = archive_read_data(a.get(), buf, sizeof buf)) > 0) data.append(buf, size_t(n));
        if (n < 0) ok = false;
        files[ArchiveEntryName(e)] = data;
    }
    return files;
}

}  // namespace

TEST(Rar29Writer, StoredEntriesReadBackExactly) {
    std::string big(300000, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = char(i * 131 % 251);
    const std::vector<RarEntry> entries = {
        {"theme_kx", "", true},
        {"config.xml", "<config/>", false},
        {"theme_kx\\fonts\\a.ttf", big, false},
        {"empty.txt", "", false},
        {"\xD0\x9C\xD0\xBE\xD0\xB2\xD0\xB0.txt", "unicode name", false},
    };
    bool ok = false;
    const auto files = ReadBack(WriteRar29(entries), ok);
    ASSERT_TRUE(ok);
    std::vector<std::string> names;
    for (const auto& f : files) names.push_back(f.first);
    ASSERT_EQ((std::vector<std::string>{"config.xml", "empty.txt", "theme_kx", "theme_kx\\fonts\\a.ttf",
                                        "\xD0\x9C\xD0\xBE\xD0\xB2\xD0\xB0.txt"}),
              names);
    EXPECT_EQ("<config/>", files.at("config.xml"));
    EXPECT_EQ(big, files.at("theme_kx\\fonts\\a.ttf"));
    EXPECT_EQ("", files.at("empty.txt"));
    EXPECT_EQ("unicode name", files.at("\xD0\x9C\xD0\xBE\xD0\xB2\xD0\xB0.txt"));
}

TEST(Rar29Writer, SameContentGivesSameBytesAndStartsWithTheMarker) {
    const std::vector<RarEntry> entries = {{"a", "1", false}, {"dir", "", true}};
    const std::string first = WriteRar29(entries);
    EXPECT_EQ(first, WriteRar29(entries));
    EXPECT_EQ(std::string("Rar!\x1a\x07\x00", 7), first.substr(0, 7));
    // Archive header after the marker: CRC, type 0x73, flags without
    // "solid", which the reader would refuse.
    EXPECT_EQ(0x73, uint8_t(first[9]));
    EXPECT_EQ(0x00, uint8_t(first[10]) & 0x08);
    bool ok = false;
    ReadBack(first, ok);
    EXPECT_TRUE(ok);
}

TEST(Rar29Writer, DamagedArchivesFailToRead) {
    std::string bytes = WriteRar29({{"a.txt", std::string(1000, 'x'), false}});
    bytes[7 + 13 + 5] ^= 0x55;  // inside the file header: its header CRC no longer matches
    bool ok = true;
    ReadBack(bytes, ok);
    EXPECT_FALSE(ok);
}
