#include "system/renaming_parameters.h"

#include <cstdint>
#include <cwctype>
#include <vector>

namespace {

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = wchar_t(std::towlower(c));
    return s;
}

}  // namespace

std::wstring RenamingSwitch(const RenamingParameters& p) {
    std::wstring line = L"/setlongname";
    for (const std::wstring* v : {&p.folder, &p.newFolder, &p.oldShortName, &p.oldFullName, &p.oldRegPath,
                                  &p.oldIconName})
        line += L" " + Quoted(*v);
    return line + L" " + std::to_wstring(p.actionId);
}

bool ParseKeptParameters(const std::wstring& text, RenamingParameters& p) {
    std::vector<std::wstring> values;
    size_t at = 0;
    while (values.size() < 5) {
        if (at >= text.size() || text[at] != L'"') return false;
        const size_t close = text.find(L'"', at + 1);
        if (close == std::wstring::npos) return false;
        values.push_back(text.substr(at + 1, close - at - 1));
        at = close + 1;
        if (at >= text.size() || text[at] != L' ') return false;
        ++at;
    }
    const std::wstring number = text.substr(at);
    const size_t sign = !number.empty() && number[0] == L'-' ? 1 : 0;
    if (sign == number.size() || number.size() > sign + 10) return false;
    long long id = 0;
    for (size_t i = sign; i < number.size(); ++i) {
        if (number[i] < L'0' || number[i] > L'9') return false;
        id = id * 10 + (number[i] - L'0');
    }
    if (sign) id = -id;
    if (id < INT32_MIN || id > INT32_MAX) return false;
    p.newFolder = values[0];
    p.oldShortName = values[1];
    p.oldFullName = values[2];
    p.oldRegPath = values[3];
    p.oldIconName = values[4];
    p.actionId = int(id);
    return true;
}

bool IsRenameInPlace(const std::wstring& from, const std::wstring& to) {
    const size_t a = from.find_last_of(L'\\'), b = to.find_last_of(L'\\');
    if (a == std::wstring::npos || b == std::wstring::npos || a < 2 || a != b) return false;
    if (from.size() < 4 || from[1] != L':' || Lower(from.substr(0, a)) != Lower(to.substr(0, b))) return false;
    const std::wstring name = to.substr(b + 1);
    if (name.empty() || name.find_first_of(L"/:*?\"<>|") != std::wstring::npos) return false;
    const size_t meaningful = name.find_first_not_of(L". ");
    return meaningful != std::wstring::npos && name.back() != L'.' && name.back() != L' ';
}
