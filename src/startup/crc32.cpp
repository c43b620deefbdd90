#include "crc32.h"

#include <array>
#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define LAUNCHER_CRC_CLMUL 1
#include <immintrin.h>
#endif

namespace {

using Tables = std::array<std::array<uint32_t, 256>, 16>;

constexpr Tables MakeTables() {
    Tables t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i)
        for (int s = 1; s < 16; ++s) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
    return t;
}

constexpr Tables kTables = MakeTables();

inline uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;  // all targets are little-endian
}

// Slicing-by-16 over the raw (non-complemented) register.
uint32_t Slice16(const uint8_t* p, size_t n, uint32_t reg) {
    const auto& t = kTables;
    while (n >= 16) {
        const uint32_t a = Load32(p) ^ reg, b = Load32(p + 4), c = Load32(p + 8), d = Load32(p + 12);
        reg = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
              t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^
              t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^ t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^
              t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^ t[0][d >> 24];
        p += 16;
        n -= 16;
    }
    while (n--) reg = (reg >> 8) ^ t[0][(reg ^ *p++) & 0xFF];
    return reg;
}

#ifdef LAUNCHER_CRC_CLMUL
#define CLMUL_TARGET __attribute__((target("pclmul,sse4.1")))

// Folds 128 bits of register forward by the distance in `key` onto `data`.
CLMUL_TARGET inline __m128i Fold(__m128i x, __m128i key, __m128i data) {
    const __m128i lo = _mm_clmulepi64_si128(x, key, 0x00);
    const __m128i hi = _mm_clmulepi64_si128(x, key, 0x11);
    return _mm_xor_si128(_mm_xor_si128(hi, lo), data);
}

// Carry-less multiplication folding (four 128-bit lanes, then one, then a
// Barrett reduction). Needs n >= 64 and n a multiple of 16.
CLMUL_TARGET uint32_t FoldClmul(const uint8_t* p, size_t n, uint32_t reg) {
    alignas(16) static const uint64_t k1k2[] = {0x0154442bd4, 0x01c6e41596};
    alignas(16) static const uint64_t k3k4[] = {0x01751997d0, 0x00ccaa009e};
    alignas(16) static const uint64_t k5k0[] = {0x0163cd6124, 0x0000000000};
    alignas(16) static const uint64_t poly[] = {0x01db710641, 0x01f7011641};

    __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    __m128i x3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
    __m128i x4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48));
    x1 = _mm_xor_si128(x1, _mm_cvtsi32_si128(int(reg)));
    __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(k1k2));
    p += 64;
    n -= 64;

    while (n >= 64) {
        x1 = Fold(x1, k, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
        x2 = Fold(x2, k, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)));
        x3 = Fold(x3, k, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)));
        x4 = Fold(x4, k, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)));
        p += 64;
        n -= 64;
    }

    k = _mm_load_si128(reinterpret_cast<const __m128i*>(k3k4));
    x1 = Fold(x1, k, x2);
    x1 = Fold(x1, k, x3);
    x1 = Fold(x1, k, x4);
    while (n >= 16) {
        x1 = Fold(x1, k, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
        p += 16;
        n -= 16;
    }

    // 128 -> 64 bits.
    const __m128i mask32 = _mm_setr_epi32(~0, 0, ~0, 0);
    x2 = _mm_clmulepi64_si128(x1, k, 0x10);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2);
    k = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(k5k0));
    x2 = _mm_srli_si128(x1, 4);
    x1 = _mm_clmulepi64_si128(_mm_and_si128(x1, mask32), k, 0x00);
    x1 = _mm_xor_si128(x1, x2);

    // Barrett reduction to 32 bits.
    k = _mm_load_si128(reinterpret_cast<const __m128i*>(poly));
    x2 = _mm_clmulepi64_si128(_mm_and_si128(x1, mask32), k, 0x10);
    x2 = _mm_clmulepi64_si128(_mm_and_si128(x2, mask32), k, 0x00);
    x1 = _mm_xor_si128(x1, x2);
    return uint32_t(_mm_extract_epi32(x1, 1));
}

bool HasClmul() {
    static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return has;
}
#endif

uint32_t Update(const uint8_t* p, size_t n, uint32_t reg) {
#ifdef LAUNCHER_CRC_CLMUL
    if (n >= 64 && HasClmul()) {
        const size_t bulk = n & ~size_t(15);
        reg = FoldClmul(p, bulk, reg);
        p += bulk;
        n -= bulk;
    }
#endif
    return Slice16(p, n, reg);
}

}  // namespace

uint32_t Crc32(const void* data, size_t length) {
    if (length == 0) return 0xFFFFFFFFu;
    return ~Update(static_cast<const uint8_t*>(data), length, 0xFFFFFFFFu);
}

uint32_t Crc32Continue(const void* data, size_t length, uint32_t previous) {
    if (length == 0) return previous;
    return ~Update(static_cast<const uint8_t*>(data), length, ~previous);
}

uint32_t Crc32Reference(const void* data, size_t length, uint32_t previous) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    uint32_t reg = ~previous;
    while (length--) reg = (reg >> 8) ^ kTables[0][(reg ^ *p++) & 0xFF];
    return ~reg;
}
