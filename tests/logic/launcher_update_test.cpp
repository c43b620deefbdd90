#include "common/process.h"
#include "common/temp_folder.h"
#include "logic/launcher_update.h"
#include "startup/module_resources.h"

TEST(LauncherDownload, UrlGainsOnlyTheSlotsThatHoldValuesInNameOrder) {
    LauncherSlotArguments slots;
    slots.language = "ru";
    slots.promoCode = "X1";
    EXPECT_EQ("http://cdn.test/Launcher.exe?LANG=ru&PROMOCODE=X1",
              LauncherDownloadUrl("http://cdn.test/Launcher.exe", slots));
    slots.affiliateId = "a7";
    slots.referrerId = "r9";
    EXPECT_EQ("http://cdn.test/Launcher.exe?CAMPAIGNID=a7&LANG=ru&PROMOCODE=X1&REFERRED_BY=r9",
              LauncherDownloadUrl("http://cdn.test/Launcher.exe", slots));
    EXPECT_EQ("", LauncherDownloadUrl("", slots));  // fetched from the update path instead
    EXPECT_EQ("http://cdn.test/L.exe", LauncherDownloadUrl("http://cdn.test/L.exe", LauncherSlotArguments{}));
}

TEST(LauncherDownload, AcceptedBySizeAndChecksum) {
    const std::string bytes = ReadFileBytes(BuiltLauncherPath());
    ASSERT_FALSE(bytes.empty());
    uint32_t a = 0;
    ASSERT_EQ(0u, LauncherChecksum(&bytes, ChecksumVariant::A, a));
    EXPECT_TRUE(AcceptDownloadedLauncher(bytes, bytes.size(), true, a, false));
    EXPECT_TRUE(AcceptDownloadedLauncher(bytes, 0, true, a, false));  // no size given
    EXPECT_FALSE(AcceptDownloadedLauncher(bytes, bytes.size(), true, a ^ 1, false));
    EXPECT_FALSE(AcceptDownloadedLauncher(bytes, bytes.size() + 1, true, a, false));
    EXPECT_FALSE(AcceptDownloadedLauncher(bytes.substr(0, bytes.size() - 1), bytes.size(), false, 0, false));
    // Without a checksum, or when the manifest changed meanwhile, the size alone decides.
    EXPECT_TRUE(AcceptDownloadedLauncher(bytes, bytes.size(), false, 0, false));
    EXPECT_TRUE(AcceptDownloadedLauncher(bytes, bytes.size(), true, a ^ 1, true));
    // Bytes that are no executable have no checksum.
    EXPECT_FALSE(AcceptDownloadedLauncher("not an exe", 10, true, a, false));
}
