// A stand-in for the game client, started by the launcher in tests.
//
// It appends its command line to client_cmdline.txt beside itself, shows a
// window of the client's class, answers the launcher's WM_COPYDATA query
// for the product's short name, and sets the start event. Behaviour is
// chosen by the environment variable GAME_CLIENT_DOUBLE (inherited from
// the test through the launcher), a list of words:
//   nosignal        never set the start event
//   exit=<ms>       end by itself after <ms> (default: 60 s, so nothing is left behind)
//   name=<text>     answer the query for this short name instead of "Velomar"

#include <windows.h>

#include <string>

namespace {

std::string g_shortName = "Velomar";

std::wstring Option(const std::wstring& options, const std::wstring& key) {
    size_t at = 0;
    while ((at = options.find(key, at)) != std::wstring::npos) {
        if (at == 0 || options[at - 1] == L' ') {
            const size_t end = options.find(L' ', at);
            return options.substr(at + key.size(), end == std::wstring::npos ? std::wstring::npos : end - at - key.size());
        }
        at += key.size();
    }
    return {};
}

bool HasWord(const std::wstring& options, const std::wstring& word) {
    return (L" " + options + L" ").find(L" " + word + L" ") != std::wstring::npos;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(l);
        if (data->dwData != 1000 || !data->lpData || !data->cbData) return 0;
        const std::string asked(static_cast<const char*>(data->lpData), strnlen(static_cast<const char*>(data->lpData), data->cbData));
        return asked == g_shortName ? 1 : 0;
    }
    if (message == WM_TIMER || message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    wchar_t buffer[4096] = {};
    GetEnvironmentVariableW(L"GAME_CLIENT_DOUBLE", buffer, 4096);
    const std::wstring options = buffer;
    const std::wstring name = Option(options, L"name=");
    if (!name.empty()) g_shortName.assign(name.begin(), name.end());

    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self, length);
    folder.erase(folder.rfind(L'\\'));
    HANDLE log = CreateFileW((folder + L"\\client_cmdline.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                             OPEN_ALWAYS, 0, nullptr);
    if (log != INVALID_HANDLE_VALUE) {
        const std::wstring line = std::wstring(GetCommandLineW()) + L"\r\n";
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), int(line.size()), nullptr, 0, nullptr, nullptr);
        std::string utf8(size_t(bytes), '\0');
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), int(line.size()), &utf8[0], bytes, nullptr, nullptr);
        DWORD written = 0;
        WriteFile(log, utf8.data(), DWORD(utf8.size()), &written, nullptr);
        CloseHandle(log);
    }

    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"Ostrel Game Client Window Class";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(wc.lpszClassName, L"Game Client", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                instance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);

    if (!HasWord(options, L"nosignal")) {
        HANDLE started = CreateEventA(nullptr, TRUE, FALSE, "{E44BFF50-25BA-49A3-9C71-EBC1AAC8D22E}");
        if (started) {
            SetEvent(started);
            CloseHandle(started);
        }
    }
    const std::wstring exitAfter = Option(options, L"exit=");
    SetTimer(window, 1, exitAfter.empty() ? 60000 : UINT(_wtoi(exitAfter.c_str())), nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
