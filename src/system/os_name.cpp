#include "system/os_name.h"

#include <cwchar>

namespace {

constexpr uint16_t kArchIntel = 0, kArchIa64 = 6, kArchAmd64 = 9;
constexpr uint16_t kSuiteEnterprise = 0x2, kSuiteDatacenter = 0x80, kSuitePersonal = 0x200, kSuiteBlade = 0x400,
               kSuiteStorage = 0x2000, kSuiteCompute = 0x4000, kSuiteHomeServer = 0x8000;

const wchar_t* EditionSuffix(uint32_t productType) {
    switch (productType) {
    case 1: return L" Ultimate Edition";
    case 2: return L" Home Basic Edition";
    case 3: return L" Home Premium Edition";
    case 4:
    case 10: return L" Enterprise Edition";
    case 6: return L" Business Edition";
    case 7: return L" Standard Edition";
    case 8: return L" Datacenter Edition";
    case 9: return L" Small Business Server";
    case 11: return L" Starter Edition";
    case 12: return L" Datacenter Edition (core installation)";
    case 13: return L" Standard Edition (core installation)";
    case 14: return L" Enterprise Edition (core installation)";
    case 15: return L" Enterprise Edition for Itanium-based Systems";
    case 17: return L" Web Server Edition";
    case 18: return L" Cluster Server Edition";
    case 25: return L" Small Business Server Premium Edition";
    case 48: return L" Professional";
    case 72: return L" Enterprise Evaluation";
    case 84: return L" Enterprise N Evaluation";
    case 98: return L" Home N";
    case 99: return L" Home China";
    case 100: return L" Home Single Language";
    case 101: return L" Home";
    case 121: return L" Education";
    case 122: return L" Education N";
    case 123: return L" IoT Core";
    case 125: return L" Enterprise 2015 LTSB";
    case 126: return L" Enterprise 2015 LTSB N";
    case 129: return L" Enterprise 2015 LTSB Evaluation";
    case 130: return L" Enterprise 2015 LTSB N Evaluation";
    default: return L"";
    }
}

std::wstring Server2003Name(const OsFacts& v) {
    const uint16_t suite = v.suiteMask, arch = v.architecture;
    const bool workstation = v.workstation;
    std::wstring name;
    if (v.serverR2)
        name = L"Windows Server 2003 R2,";
    else if (suite & kSuiteStorage)
        name = L"Windows Storage Server 2003";
    else if (suite & kSuiteHomeServer)
        name = L"Windows Home Server";
    else if (workstation && arch == kArchAmd64)
        name = L"Windows XP Professional x64 Edition";
    else
        name = L"Windows Server 2003,";
    if (workstation) return name;
    if (arch == kArchIa64) {
        if (suite & kSuiteDatacenter) name += L" Datacenter Edition for Itanium-based Systems";
        else if (suite & kSuiteEnterprise) name += L" Enterprise Edition for Itanium-based Systems";
    } else if (arch == kArchAmd64) {
        if (suite & kSuiteDatacenter) name += L" Datacenter Edition";
        else if (suite & kSuiteEnterprise) name += L" Enterprise Edition";
        else name += L" Standard Edition";
    } else {
        if (suite & kSuiteCompute) name += L" Compute Cluster Edition";
        else if (suite & kSuiteDatacenter) name += L" Datacenter Edition";
        else if (suite & kSuiteEnterprise) name += L" Enterprise Edition";
        else if (suite & kSuiteBlade) name += L" Web Edition";
        else name += L" Standard Edition";
    }
    return name;
}

}  // namespace

std::wstring OsName(const OsFacts& v) {
    const bool workstation = v.workstation;
    const uint32_t major = v.major, minor = v.minor, build = v.build;
    const std::wstring edition = v.hasProductInfo ? EditionSuffix(v.productType) : L"";
    std::wstring product;
    if (major == 5) {
        if (minor == 0) {
            product = L"Windows 2000";
            if (workstation) product += L" Professional";
            else if (v.suiteMask & kSuiteDatacenter) product += L" Datacenter Server";
            else if (v.suiteMask & kSuiteEnterprise) product += L" Advanced Server";
            else product += L" Server";
        } else if (minor == 1) {
            product = L"Windows XP";
            product += (v.suiteMask & kSuitePersonal) ? L" Home Edition" : L" Professional";
        } else if (minor == 2) {
            product = Server2003Name(v);
        }
    } else if (major == 6) {
        static const wchar_t* const kWorkstation[] = {L"Windows Vista", L"Windows 7", L"Windows 8", L"Windows 8.1",
                                                      L"Windows 10 Technical Preview"};
        static const wchar_t* const kServer[] = {L"Windows Server 2008", L"Windows Server 2008 R2",
                                                 L"Windows Server 2012", L"Windows Server 2012 R2",
                                                 L"Windows 10 Technical Preview"};
        if (minor <= 4) product = (workstation ? kWorkstation : kServer)[minor];
        product += edition;
    } else if (major == 10) {
        if (minor == 0) {
            if (workstation)
                product = build > 21995 ? L"Windows 11" : L"Windows 10";
            else
                product = build <= 17676   ? L"Windows Server 2016"
                          : build == 17677 ? L"Windows Server 2019 Preview"
                                           : L"Windows Server 2019";
        }
        product += edition;
    }
    std::wstring name = L"Microsoft " + product;
    if (!v.servicePack.empty()) name += L" " + v.servicePack;
    wchar_t buildText[64];
    swprintf(buildText, 64, L" (Build %d)", int(build));
    name += buildText;
    if (major > 5) {
        if (v.architecture == kArchAmd64) name += L", 64-bit";
        else if (v.architecture == kArchIntel) name += L", 32-bit";
    }
    return name;
}
