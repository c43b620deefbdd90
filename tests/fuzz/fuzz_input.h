#pragma once
// Helpers shared by the harnesses: the fuzzer's bytes as the types the
// parsers take, and a check that stops the run like a crash when a
// property of the parsed result does not hold.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

inline std::string FuzzBytes(const uint8_t* data, size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

// Wide text of 16-bit little-endian units, the way the launcher gets it
// from Windows (a trailing odd byte is dropped).
inline std::wstring FuzzWide(const uint8_t* data, size_t size) {
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2) text += wchar_t(data[i] | (data[i + 1] << 8));
    return text;
}

// Whether a '\\'-separated relative path has a level made of dots and
// blanks only (Windows may read such a level as ".."); a lone "." is
// allowed only when `dotAllowed`.
inline bool HasClimbingLevel(const std::string& relative, bool dotAllowed) {
    for (size_t start = 0;;) {
        const size_t end = relative.find('\\', start);
        const std::string level = relative.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (level.find_first_not_of(". ") == std::string::npos && !(dotAllowed && level == ".")) return true;
        if (end == std::string::npos) return false;
        start = end + 1;
    }
}

#define FUZZ_CHECK(condition)                                                           \
    do {                                                                                \
        if (!(condition)) {                                                             \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                               \
        }                                                                               \
    } while (0)
