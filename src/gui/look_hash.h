#pragma once
// A running 64-bit hash of what a control shows. The window hashes the
// current page on every tick and composes a new frame only when the hash
// changed, so an idle wizard costs almost nothing. Portable; no state.

#include <cstdint>
#include <cstring>
#include <string>

inline void HashValue(uint64_t& hash, uint64_t value) {
    // FNV-1a over the eight bytes of the value.
    for (int i = 0; i < 8; ++i) {
        hash ^= (value >> (i * 8)) & 0xFF;
        hash *= 0x100000001B3ull;
    }
}

inline void HashFloat(uint64_t& hash, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    HashValue(hash, bits);
}

inline void HashText(uint64_t& hash, const std::wstring& text) {
    HashValue(hash, text.size());
    for (wchar_t c : text) {
        hash ^= uint16_t(c);
        hash *= 0x100000001B3ull;
    }
}

constexpr uint64_t kLookHashSeed = 0xCBF29CE484222325ull;
