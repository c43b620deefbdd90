#include "system/os_version.h"

#include <gtest/gtest.h>

TEST(OsName, DetectionFillsARealName) {
    COsVersion os;
    ASSERT_TRUE(os.Detect());
    EXPECT_EQ(0u, os.name().rfind(L"Microsoft Windows", 0));
    EXPECT_NE(std::wstring::npos, os.name().find(L"(Build "));
    EXPECT_TRUE(os.is64Bit());  // the tests run the 64-bit build
}
