#include "text.h"

#include <windows.h>

#include <climits>

namespace {

std::wstring ToWide(UINT codePage, const std::string& s) {
    if (s.empty() || s.size() > INT_MAX) return {};
    const int n = MultiByteToWideChar(codePage, 0, s.data(), int(s.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(size_t(n), L'\0');
    if (MultiByteToWideChar(codePage, 0, s.data(), int(s.size()), &out[0], n) != n) return {};
    return out;
}

std::string FromWide(UINT codePage, const std::wstring& s) {
    if (s.empty() || s.size() > INT_MAX) return {};
    const int n = WideCharToMultiByte(codePage, 0, s.data(), int(s.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(size_t(n), '\0');
    if (WideCharToMultiByte(codePage, 0, s.data(), int(s.size()), &out[0], n, nullptr, nullptr) != n) return {};
    return out;
}

}  // namespace

std::wstring AnsiToWide(const std::string& s) { return ToWide(CP_ACP, s); }
std::string WideToAnsi(const std::wstring& s) { return FromWide(CP_ACP, s); }
std::wstring Utf8ToWide(const std::string& s) { return ToWide(CP_UTF8, s); }
std::string WideToUtf8(const std::wstring& s) { return FromWide(CP_UTF8, s); }
