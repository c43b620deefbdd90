#include "logic/error_reports.h"

#include "startup/format_text.h"
#include "startup/lang_table.h"


std::wstring FileErrorReportText(const std::wstring& path, DWORD code) {
    const size_t slash = path.rfind(L'\\');
    std::wstring name = slash == std::wstring::npos || slash == 0 ? path : path.substr(slash + 1);
    if (name.empty()) name = path;
    const std::wstring head = GetString(20) + L"\n" + GetString(39);
    std::wstring report = FormatText(head.c_str(), name.c_str());
    if (code == 0) return report;
    report += L"\n" + GetString(6) + L": " + std::to_wstring(long(code)) + L"\n";
    wchar_t text[2048];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                  2048, nullptr);
    if (length) {
        if (length >= 2 && text[length - 2] == L'\r' && text[length - 1] == L'\n')
            length -= 2;
        else if (text[length - 1] == L'\n' || text[length - 1] == L'\r')
            --length;
        report += L"\n" + GetString(7) + L":\n" + std::wstring(text, length);
    }
    return report;
}

std::wstring SystemErrorReportText(const std::wstring& prefix, DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD length = FormatMessageW(flags, nullptr, code, 1033, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (!length && GetLastError() == ERROR_RESOURCE_LANG_NOT_FOUND)
        length = FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length && buffer ? std::wstring(buffer, length) : std::wstring();
    if (buffer) LocalFree(buffer);
    for (wchar_t& c : text)
        if (c == L'\n' || c == L'\r') c = L' ';
    return prefix.empty() ? text : prefix + L": " + text;
}

std::wstring CutToField(const std::wstring& text, size_t capacity) {
    return text.size() > capacity ? text.substr(0, capacity) : text;
}
