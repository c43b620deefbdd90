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

private:
    OSVERSIONINFOEXW info_{};
    std::wstring name_ = L"Unknown operating system";
    bool is64Bit_ = false;
};
