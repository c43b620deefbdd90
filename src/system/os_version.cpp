#include "system/os_version.h"

#include "system/os_name.h"

bool COsVersion::Detect() {
    info_ = OSVERSIONINFOEXW{};
    info_.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    is64Bit_ = false;
    name_ = L"Unknown operating system";
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info_))) {
        info_.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info_))) return false;
    }
#pragma GCC diagnostic pop
    if (info_.dwPlatformId != VER_PLATFORM_WIN32_NT || info_.dwMajorVersion < 5) return false;

    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    SYSTEM_INFO si{};
    using NativeInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
    auto native = reinterpret_cast<NativeInfoFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetNativeSystemInfo")));
    if (native) native(&si);
    else GetSystemInfo(&si);

    using ProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);
    auto productInfo = reinterpret_cast<ProductInfoFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetProductInfo")));
    DWORD productType = 0;
    if (productInfo) productInfo(info_.dwMajorVersion, info_.dwMinorVersion, 0, 0, &productType);

    OsFacts facts;
    facts.major = info_.dwMajorVersion;
    facts.minor = info_.dwMinorVersion;
    facts.build = info_.dwBuildNumber;
    facts.workstation = info_.wProductType == VER_NT_WORKSTATION;
    facts.suiteMask = info_.wSuiteMask;
    facts.servicePack = info_.szCSDVersion;
    facts.architecture = si.wProcessorArchitecture;
    facts.hasProductInfo = productInfo != nullptr;
    facts.productType = productType;
    facts.serverR2 = GetSystemMetrics(SM_SERVERR2) != 0;
    name_ = OsName(facts);
    is64Bit_ = facts.major > 5 && facts.architecture == PROCESSOR_ARCHITECTURE_AMD64;
    return true;
}
