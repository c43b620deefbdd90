#include "common/temp_folder.h"
#include "startup/package_store.h"
#include "startup/text.h"
#include "update/rar29_writer.h"

#include <gtest/gtest.h>

namespace {
std::string Package() {
    return WriteRar29({{"config.xml", "<config/>", false},
                       {"theme_kx", "", true},
                       {"theme_kx\\config.xml", "<theme/>", false},
                       {"theme_kx\\fonts\\b.ttf", "B", false},
                       {"theme_kx\\fonts\\a.ttf", "A", false},
                       {"theme_kx\\fonts\\c.TTF", "C", false},
                       {"theme_kx\\other\\d.ttf", "D", false},
                       {"fonts\\e.ttf", "E", false}});
}
}  // namespace

TEST(PackageStore, OpensARar29PackageAndExtractsByName) {
    CArchiveHelperRar store;
    const std::string bytes = Package();
    ASSERT_TRUE(store.OpenPackage(bytes.data(), bytes.size()));
    std::string out;
    ASSERT_TRUE(store.ExtractFile("theme_kx\\config.xml", out));
    EXPECT_EQ("<theme/>", out);
    EXPECT_TRUE(store.ExtractFile("\\config.xml", out));  // one leading backslash is dropped
    EXPECT_TRUE(store.ExtractFile("theme_kx\\..\\config.xml", out));
    EXPECT_EQ("<config/>", out);
    EXPECT_FALSE(store.ExtractFile("theme_kx", out));  // folders are not stored
    EXPECT_FALSE(store.ExtractFile("Config.xml", out));  // names are case-sensitive
}

TEST(PackageStore, FontEntriesAreThoseDirectlyInAFontsFolder) {
    CArchiveHelperRar store;
    const std::string bytes = Package();
    ASSERT_TRUE(store.OpenPackage(bytes.data(), bytes.size()));
    EXPECT_EQ((std::vector<std::wstring>{L"fonts\\e.ttf", L"theme_kx\\fonts\\a.ttf", L"theme_kx\\fonts\\b.ttf"}),
              store.ListFontEntries());
}

TEST(PackageStore, DamagedPackagesLeaveTheStoreEmpty) {
    CArchiveHelperRar store;
    const std::string bytes = Package();
    const std::string notArchive = "this is not an archive at all";
    EXPECT_FALSE(store.OpenPackage(notArchive.data(), notArchive.size()));
    EXPECT_TRUE(store.Empty());
    EXPECT_FALSE(store.OpenPackage(bytes.data(), bytes.size() / 2));  // truncated
    EXPECT_TRUE(store.Empty());
    EXPECT_FALSE(store.OpenPackage(nullptr, 0));
}

TEST(PackageStore, ReadsCompressedRar5Packages) {
    const std::string bytes = ReadFileBytes(Utf8ToWide(LAUNCHER_TEST_RAR5));
    ASSERT_FALSE(bytes.empty());
    CArchiveHelperRar store;
    ASSERT_TRUE(store.OpenPackage(bytes.data(), bytes.size()));
    std::string config, theme;
    ASSERT_TRUE(store.ExtractFile("config.xml", config));
    ASSERT_TRUE(store.ExtractFile("theme_kx\\config.xml", theme));
    EXPECT_EQ(ReadFileBytes(Utf8ToWide(std::string(LAUNCHER_SOURCE_DIR) + "/assets/package/config.xml")), config);
    EXPECT_EQ(2u, store.entries().size());  // the folder entry is not stored
}

TEST(PackageStore, NameNormalisation) {
    EXPECT_EQ("b", CArchiveHelperRar::NormaliseName("a\\..\\b"));
    EXPECT_EQ("a\\c", CArchiveHelperRar::NormaliseName("\\a\\b\\..\\c"));
    EXPECT_EQ("x", CArchiveHelperRar::NormaliseName("..\\x"));
}
