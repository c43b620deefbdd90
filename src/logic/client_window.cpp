#include "logic/client_window.h"

#include "startup/log_impl.h"

namespace {

// dwData of the WM_COPYDATA query that asks a window whether it is ours.
constexpr ULONG_PTR kClientIdQuery = 1000;

struct Search {
    std::wstring windowClass;
    std::string shortName;
    HWND found = nullptr;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    wchar_t name[1024];
    const int length = GetClassNameW(window, name, 1024);
    if (length <= 0 || s->windowClass != std::wstring(name, size_t(length))) return TRUE;
    LogPart(L"Found client window, checking Id... ");
    std::string id = s->shortName;
    COPYDATASTRUCT query{kClientIdQuery, DWORD(id.size() + 1), &id[0]};
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&query), SMTO_BLOCK | SMTO_ABORTIFHUNG,
                             5000, &result)) {
        LogFormat(L"failed to send message, error code = %u.", unsigned(GetLastError()));
        return TRUE;
    }
    if (!result) {
        LogLine(L"doesn't match.");
        return TRUE;
    }
    LogLine(L"match.");
    s->found = window;
    return FALSE;
}

}  // namespace

HWND FindProductWindow(const std::wstring& windowClass, const std::string& shortName) {
    Search search{windowClass, shortName, nullptr};
    EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
