#include "system/runtime_update_url.h"

namespace {

struct Package {
    uint32_t minor;
    bool workstation;
    bool is64Bit;
    const char* url;
};

// Microsoft's download centre. A server of 6.1, 6.2 or 6.3 takes the x64
// package of the workstation of the same version: it is the same file,
// made for both.
const Package kPackages[] = {
    // Windows 7 and Windows Server 2008 R2: Windows6.1-KB2999226-x64.msu
    {1, true, true,
     "https://download.microsoft.com/download/F/1/3/F13BEC9A-8FC6-4489-9D6A-F84BDC9496FE/Windows6.1-KB2999226-x64.msu"},
    {1, false, true,
     "https://download.microsoft.com/download/F/1/3/F13BEC9A-8FC6-4489-9D6A-F84BDC9496FE/Windows6.1-KB2999226-x64.msu"},
    // Windows 7, 32-bit: Windows6.1-KB2999226-x86.msu
    {1, true, false,
     "https://download.microsoft.com/download/4/F/E/4FE73868-5EDD-4B47-8B33-CE1BB7B2B16A/Windows6.1-KB2999226-x86.msu"},
    // Windows 8 and Windows Server 2012: Windows8-RT-KB2999226-x64.msu
    {2, true, true,
     "https://download.microsoft.com/download/A/C/1/AC15393F-A6E6-469B-B222-C44B3BB6ECCC/Windows8-RT-KB2999226-x64.msu"},
    {2, false, true,
     "https://download.microsoft.com/download/A/C/1/AC15393F-A6E6-469B-B222-C44B3BB6ECCC/Windows8-RT-KB2999226-x64.msu"},
    // Windows 8, 32-bit: Windows8-RT-KB2999226-x86.msu
    {2, true, false,
     "https://download.microsoft.com/download/1/E/8/1E8AFE90-5217-464D-9292-7D0B95A56CE4/Windows8-RT-KB2999226-x86.msu"},
    // Windows 8.1 and Windows Server 2012 R2: Windows8.1-KB2999226-x64.msu
    {3, true, true,
     "https://download.microsoft.com/download/D/1/3/D13E3150-3BB2-4B22-9D8A-47EE2D609FFF/Windows8.1-KB2999226-x64.msu"},
    {3, false, true,
     "https://download.microsoft.com/download/D/1/3/D13E3150-3BB2-4B22-9D8A-47EE2D609FFF/Windows8.1-KB2999226-x64.msu"},
    // Windows 8.1, 32-bit: Windows8.1-KB2999226-x86.msu
    {3, true, false,
     "https://download.microsoft.com/download/E/4/6/E4694323-8290-4A08-82DB-81F2EB9452C2/Windows8.1-KB2999226-x86.msu"},
};

}  // namespace

std::string RuntimeUpdateUrl(uint32_t major, uint32_t minor, bool workstation, bool is64Bit) {
    if (major != 6) return {};
    for (const Package& p : kPackages)
        if (p.minor == minor && p.workstation == workstation && p.is64Bit == is64Bit) return p.url;
    return {};
}
