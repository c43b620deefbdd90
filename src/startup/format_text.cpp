#include "startup/format_text.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

std::wstring FormatText(const wchar_t* format, ...) {
    std::vector<wchar_t> buffer(512);
    for (;;) {
        va_list args;
        va_start(args, format);
        // The runtime's own _vsnwprintf keeps the Windows meaning of %s.
        const int n = _vsnwprintf(buffer.data(), buffer.size() - 1, format, args);
        va_end(args);
        if (n >= 0 && size_t(n) < buffer.size() - 1) return std::wstring(buffer.data(), size_t(n));
        if (buffer.size() >= (1u << 20)) return std::wstring(buffer.data(), buffer.size() - 1);
        buffer.resize(buffer.size() * 2);
    }
}
