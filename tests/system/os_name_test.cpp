#include "system/os_name.h"
#include "system/runtime_update_url.h"

#include <gtest/gtest.h>

namespace {

OsFacts Facts(uint32_t major, uint32_t minor, uint32_t build, bool workstation, uint16_t arch, uint32_t edition = 0,
              uint16_t suite = 0) {
    OsFacts f;
    f.major = major;
    f.minor = minor;
    f.build = build;
    f.workstation = workstation;
    f.architecture = arch;
    f.hasProductInfo = true;
    f.productType = edition;
    f.suiteMask = suite;
    return f;
}

}  // namespace

TEST(OsName, TheNamingTable) {
    const struct {
        OsFacts facts;
        const wchar_t* name;
    } rows[] = {
        {Facts(10, 0, 19045, true, 9, 48), L"Microsoft Windows 10 Professional (Build 19045), 64-bit"},
        {Facts(10, 0, 21996, true, 9, 101), L"Microsoft Windows 11 Home (Build 21996), 64-bit"},
        {Facts(10, 0, 21995, true, 9, 101), L"Microsoft Windows 10 Home (Build 21995), 64-bit"},
        {Facts(10, 0, 17676, false, 9, 8), L"Microsoft Windows Server 2016 Datacenter Edition (Build 17676), 64-bit"},
        {Facts(10, 0, 17677, false, 9), L"Microsoft Windows Server 2019 Preview (Build 17677), 64-bit"},
        {Facts(10, 0, 17763, false, 9, 7), L"Microsoft Windows Server 2019 Standard Edition (Build 17763), 64-bit"},
        {Facts(10, 1, 30000, true, 9, 121), L"Microsoft  Education (Build 30000), 64-bit"},
        {Facts(6, 5, 9000, false, 0, 7), L"Microsoft  Standard Edition (Build 9000), 32-bit"},
        {Facts(6, 1, 7601, true, 0, 1), L"Microsoft Windows 7 Ultimate Edition (Build 7601), 32-bit"},
        {Facts(6, 2, 9200, false, 9, 12),
         L"Microsoft Windows Server 2012 Datacenter Edition (core installation) (Build 9200), 64-bit"},
        {Facts(6, 3, 9600, true, 12, 48), L"Microsoft Windows 8.1 Professional (Build 9600)"},
        {Facts(6, 1, 7601, true, 6, 4), L"Microsoft Windows 7 Enterprise Edition (Build 7601)"},
        {Facts(5, 1, 2600, true, 0, 0, 0x200), L"Microsoft Windows XP Home Edition (Build 2600)"},
        {Facts(5, 0, 2195, false, 0, 0, 0x2), L"Microsoft Windows 2000 Advanced Server (Build 2195)"},
        {Facts(5, 2, 3790, false, 9, 0, 0x2), L"Microsoft Windows Server 2003, Enterprise Edition (Build 3790)"},
        {Facts(5, 2, 3790, true, 9), L"Microsoft Windows XP Professional x64 Edition (Build 3790)"},
        {Facts(5, 2, 3790, false, 6, 0, 0x80),
         L"Microsoft Windows Server 2003, Datacenter Edition for Itanium-based Systems (Build 3790)"},
        {Facts(5, 2, 3790, false, 0, 0, 0x400), L"Microsoft Windows Server 2003, Web Edition (Build 3790)"},
        {Facts(11, 0, 1, true, 9, 48), L"Microsoft  (Build 1), 64-bit"},
    };
    for (const auto& row : rows) EXPECT_EQ(row.name, OsName(row.facts));

    OsFacts r2 = Facts(5, 2, 3790, false, 0);
    r2.serverR2 = true;
    EXPECT_EQ(L"Microsoft Windows Server 2003 R2, Standard Edition (Build 3790)", OsName(r2));
    OsFacts sp = Facts(6, 0, 6002, true, 9, 3);
    sp.servicePack = L"Service Pack 2";
    sp.hasProductInfo = false;
    EXPECT_EQ(L"Microsoft Windows Vista Service Pack 2 (Build 6002), 64-bit", OsName(sp));
}

TEST(RuntimeUpdateUrl, OnePackagePerVersionAndBitnessAndNoneForOlderOr32BitServers) {
    EXPECT_NE(std::string::npos, RuntimeUpdateUrl(6, 1, true, true).find("/Windows6.1-KB2999226-x64.msu"));
    EXPECT_NE(std::string::npos, RuntimeUpdateUrl(6, 1, true, false).find("/Windows6.1-KB2999226-x86.msu"));
    EXPECT_NE(std::string::npos, RuntimeUpdateUrl(6, 2, false, true).find("/Windows8-RT-KB2999226-x64.msu"));
    EXPECT_NE(std::string::npos, RuntimeUpdateUrl(6, 3, true, false).find("/Windows8.1-KB2999226-x86.msu"));
    for (uint32_t minor : {1u, 2u, 3u}) {
        EXPECT_EQ(0u, RuntimeUpdateUrl(6, minor, true, true).rfind("https://", 0));
        EXPECT_EQ("", RuntimeUpdateUrl(6, minor, false, false));
    }
    EXPECT_EQ("", RuntimeUpdateUrl(6, 0, true, true));
    EXPECT_EQ("", RuntimeUpdateUrl(5, 1, true, false));
    EXPECT_EQ("", RuntimeUpdateUrl(10, 0, true, true));
}
