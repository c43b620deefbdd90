#pragma once
// The readable name of a Windows version ("Microsoft Windows 10
// Professional (Build 19045), 64-bit") built from the facts the system
// reports, so that every row of the naming table can be checked without
// that system. Pure function; any thread. Portable.

#include <cstdint>
#include <string>

struct OsFacts {
    uint32_t major = 0, minor = 0, build = 0;
    bool workstation = true;     // product type 1
    uint16_t suiteMask = 0;
    std::wstring servicePack;    // the service-pack text, may be empty
    uint16_t architecture = 0;   // the native processor architecture
    bool hasProductInfo = false; // the system can name its edition
    uint32_t productType = 0;    // the edition, when it can
    bool serverR2 = false;       // GetSystemMetrics(SM_SERVERR2)
};

std::wstring OsName(const OsFacts& facts);
