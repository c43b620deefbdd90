#include "update/manifest_archive.h"
#include "update/rar29_writer.h"
#include "update/raw_zip_writer.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

const char kManifest[] = "<update clientVersion=\"5.2.1\"><PACK type=\"full\" file=\"a.pkg\"/></update>";

std::string ReadWhole(const char* path) {
    std::string bytes;
    if (FILE* f = fopen(path, "rb")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
        fclose(f);
    }
    return bytes;
}

}  // namespace

TEST(ManifestArchive, TheMemberComesOutOfEveryPublishedForm) {
    std::string text;
    ASSERT_TRUE(UnwrapManifest(WriteZip({{"other.txt", "x", false}, {"update.xml", kManifest, true}}), text));
    EXPECT_EQ(kManifest, text);
    ASSERT_TRUE(UnwrapManifest(WriteRar29({{"readme", "x", false}, {"update.xml", kManifest, false}}), text));
    EXPECT_EQ(kManifest, text);
    // RAR5 made by rar at build time.
    const std::string rar5 = ReadWhole(LAUNCHER_TEST_MANIFEST_RAR5);
    ASSERT_EQ("Rar!", rar5.substr(0, 4));
    ASSERT_TRUE(UnwrapManifest(rar5, text));
    EXPECT_NE(std::string::npos, text.find("clientVersion=\"5.2.100\""));
}

TEST(ManifestArchive, MissingMembersAndDamagedArchivesFail) {
    std::string text = "stale";
    EXPECT_FALSE(UnwrapManifest(WriteZip({{"Update.xml", kManifest, false}}), text));
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(UnwrapManifest(WriteZip({{"sub/update.xml", kManifest, false}}), text));
    EXPECT_FALSE(UnwrapManifest(WriteRar29({{"manifest.xml", kManifest, false}}), text));
    EXPECT_FALSE(UnwrapManifest(WriteRar29({{"update.xml", "", true}}), text));
    // "Rar!" decides the format: a ZIP behind a RAR marker is not read as ZIP.
    EXPECT_FALSE(UnwrapManifest("Rar!" + WriteZip({{"update.xml", kManifest, false}}), text));
    EXPECT_FALSE(UnwrapManifest(std::string("Rar!\x1a\x07\x00garbage", 14), text));
    EXPECT_FALSE(UnwrapManifest(kManifest, text));
    EXPECT_FALSE(UnwrapManifest("", text));
    EXPECT_FALSE(UnwrapManifest("Ra", text));
}
