#pragma once
// The running Windows version, detected once at start for the log banner
// and for the checks that depend on version, product type and bitness.

#include <windows.h>

#include <string>

class COsVersion {
public:
    // Fills the record; false leaves the name "Unknown operating system".
    bool Detect();

    const OSVERSIONINFOEXW& info() const { return info_; }
    const std::wstring& name() const { return name_; }
    bool is64Bit() const { return is64Bit_; }

    // Builds the readable name from already-read values (testable without
    // the system calls). productType is GetProductInfo's answer, or 0
    // when that function is missing; serverR2 is GetSystemMetrics(SM_SERVERR2).
    static std::wstring BuildName(const OSVERSIONINFOEXW& v, WORD architecture, DWORD productType,
                                  bool hasProductInfo, bool serverR2);

private:
    OSVERSIONINFOEXW info_{};
    std::wstring name_ = L"Unknown operating system";
    bool is64Bit_ = false;
};
