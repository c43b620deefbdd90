#pragma once
// Filtering of Windows date/time pictures ("d MMMM yyyy", "h:mm:ss tt")
// down to selected token classes. Portable; no state.

#include <cstdint>
#include <string>

// Class bits of the picture tokens.
enum : uint32_t {
    kPicDdd = 0x1, kPicDddd = 0x2, kPicD = 0x4, kPicDd = 0x8,
    kPicM = 0x10, kPicMm = 0x20, kPicMmm = 0x40, kPicMmmm = 0x80,
    kPicY = 0x100, kPicYy = 0x200, kPicYyyy = 0x400, kPicGg = 0x800,
    kPicH12 = 0x2000, kPicHh12 = 0x4000, kPicH24 = 0x8000, kPicHh24 = 0x10000,
    kPicMin = 0x20000, kPicMinMin = 0x40000, kPicS = 0x80000, kPicSs = 0x100000,
    kPicTt = 0x200000,
};

// The mask that keeps a picture whole.
constexpr uint32_t kPictureWhole = 0x7FF;
// Hours of both kinds, minutes and the am/pm marker: a time without seconds.
constexpr uint32_t kPictureHoursMinutes = 0x27E000;

// Keeps the token runs whose class meets `mask`; a dropped date token loses
// the separator after it, a dropped time token the one before it.
std::wstring FilterPicture(const std::wstring& picture, bool isDate, uint32_t mask);
