#include "system/os_version.h"

#include <gtest/gtest.h>

namespace {
OSVERSIONINFOEXW Version(DWORD major, DWORD minor, DWORD build, BYTE type, WORD suite = 0) {
    OSVERSIONINFOEXW v{};
    v.dwOSVersionInfoSize = sizeof v;
    v.dwMajorVersion = major;
    v.dwMinorVersion = minor;
    v.dwBuildNumber = build;
    v.dwPlatformId = VER_PLATFORM_WIN32_NT;
    v.wProductType = type;
    v.wSuiteMask = suite;
    return v;
}
}  // namespace

TEST(OsName, WorkstationsByVersionAndEdition) {
    EXPECT_EQ(L"Microsoft Windows 10 Professional (Build 19045), 64-bit",
              COsVersion::BuildName(Version(10, 0, 19045, 1), 9, 48, true, false));
    EXPECT_EQ(L"Microsoft Windows 11 Home (Build 22631), 64-bit",
              COsVersion::BuildName(Version(10, 0, 22631, 1), 9, 101, true, false));
    EXPECT_EQ(L"Microsoft Windows 7 Ultimate Edition (Build 7601), 32-bit",
              COsVersion::BuildName(Version(6, 1, 7601, 1), 0, 1, true, false));
    EXPECT_EQ(L"Microsoft Windows Vista (Build 6000), 32-bit",
              COsVersion::BuildName(Version(6, 0, 6000, 1), 0, 0, false, false));
}

TEST(OsName, ServersAndOlderSystems) {
    EXPECT_EQ(L"Microsoft Windows Server 2019 Datacenter Edition (Build 17763), 64-bit",
              COsVersion::BuildName(Version(10, 0, 17763, 3), 9, 8, true, false));
    EXPECT_EQ(L"Microsoft Windows Server 2016 (Build 14393), 64-bit",
              COsVersion::BuildName(Version(10, 0, 14393, 3), 9, 0, true, false));
    EXPECT_EQ(L"Microsoft Windows XP Home Edition (Build 2600)",
              COsVersion::BuildName(Version(5, 1, 2600, 1, 0x200), 0, 0, false, false));
    EXPECT_EQ(L"Microsoft Windows Server 2003, Enterprise Edition (Build 3790)",
              COsVersion::BuildName(Version(5, 2, 3790, 3, 0x2), 9, 0, false, false));
    EXPECT_EQ(L"Microsoft Windows Server 2003 R2, Standard Edition (Build 3790)",
              COsVersion::BuildName(Version(5, 2, 3790, 3), 0, 0, false, true));
    EXPECT_EQ(L"Microsoft Windows 2000 Advanced Server (Build 2195)",
              COsVersion::BuildName(Version(5, 0, 2195, 3, 0x2), 0, 0, false, false));
}

TEST(OsName, ServicePackAndOtherArchitectures) {
    OSVERSIONINFOEXW v = Version(6, 1, 7601, 1);
    wcscpy(v.szCSDVersion, L"Service Pack 1");
    EXPECT_EQ(L"Microsoft Windows 7 Professional Service Pack 1 (Build 7601)",
              COsVersion::BuildName(v, 12, 48, true, false));
}

TEST(OsName, DetectionFillsARealName) {
    COsVersion os;
    ASSERT_TRUE(os.Detect());
    EXPECT_EQ(0u, os.name().rfind(L"Microsoft Windows", 0));
    EXPECT_NE(std::wstring::npos, os.name().find(L"(Build "));
    EXPECT_TRUE(os.is64Bit());  // the tests run the 64-bit build
}
