// A stand-in for the game client, started by the launcher in tests.
//
// It appends its command line to client_cmdline.txt beside itself, shows a
// window of the client's class, answers the launcher's WM_COPYDATA query
// for the product's short name, and sets the start event. Behaviour is
// chosen by the environment variable GAME_CLIENT_DOUBLE (inherited from
// the test through the launcher), a list of words:
//   nosignal        never set the start event
//   nowindow        run without a window anyone can find (a message-only one)
//   exit=<ms>       end by itself after <ms> (default: 60 s, so nothing is left behind)
//   name=<text>     answer the query for this short name instead of "Velomar"
//   mode=<m>        start the launcher the way the client does: runByClient,
//                   runByClientCritical, or download ("/download <own window>")
//   launcher=<path> the launcher to start (default: Launcher.exe beside itself)
//   tasks=<list>    download mode: the tasks to hand over, separated by ";"
//                   (one task's package names are separated by "|")
//   overstate=<n>   download mode: announce each task as <n> bytes longer
//                   than what was written for it
//
// In download mode it serves the launcher's task pipe
// "\\.\pipe\launcher_<own window>": once the launcher reports the pipe
// connected (0xA72) it writes every task as UTF-16 and announces each with
// 0xA0E (task id, byte count), all at once: the launcher ends as soon as it
// has no task left. After the answer (0xA73) to the last task it ends the
// list with 0xA0E (0, 0). Every 0xA72 and 0xA73 is appended to
// client_answers.txt beside itself ("A72 <result>", "A73 <task id> <result>").

#include "startup/handle.h"

#include <string>
#include <vector>

namespace {

constexpr UINT kClientTask = 0xA0E;
constexpr UINT kPipeReady = 0xA72;
constexpr UINT kClientAnswer = 0xA73;

std::string g_shortName = "Velomar";
std::wstring g_folder;
CFile g_pipe;
HWND g_launcher = nullptr;
std::vector<std::wstring> g_tasks;  // task ids count from 1
size_t g_answered = 0;
LPARAM g_overstate = 0;

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

void AppendUtf8(const std::wstring& file, const std::wstring& line) {
    const CFile h(CreateFileW((g_folder + L"\\" + file).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, 0, nullptr));
    if (!h.IsValid()) return;
    const std::wstring text = line + L"\r\n";
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(size_t(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), &utf8[0], bytes, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(h.Get(), utf8.data(), DWORD(utf8.size()), &written, nullptr);
}

void SendTasks() {
    for (size_t i = 0; i < g_tasks.size(); ++i) {
        DWORD written = 0;
        WriteFile(g_pipe.Get(), g_tasks[i].data(), DWORD(g_tasks[i].size() * sizeof(wchar_t)), &written, nullptr);
        PostMessageW(g_launcher, kClientTask, WPARAM(i + 1), LPARAM(written) + g_overstate);
    }
    if (g_tasks.empty()) PostMessageW(g_launcher, kClientTask, 0, 0);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(l);
        if (data->dwData != 1000 || !data->lpData || !data->cbData) return 0;
        const std::string asked(static_cast<const char*>(data->lpData), strnlen(static_cast<const char*>(data->lpData), data->cbData));
        return asked == g_shortName ? 1 : 0;
    }
    if (message == kPipeReady) {
        AppendUtf8(L"client_answers.txt", L"A72 " + std::to_wstring(l));
        g_launcher = reinterpret_cast<HWND>(w);
        // The launcher has opened the pipe already; this only completes the
        // server side (ERROR_PIPE_CONNECTED).
        if (l == 0) {
            ConnectNamedPipe(g_pipe.Get(), nullptr);
            SendTasks();
        }
        return 0;
    }
    if (message == kClientAnswer) {
        AppendUtf8(L"client_answers.txt", L"A73 " + std::to_wstring(w) + L" " + std::to_wstring(l));
        if (w == 0) PostQuitMessage(0);
        else if (++g_answered == g_tasks.size()) PostMessageW(g_launcher, kClientTask, 0, 0);
        return 0;
    }
    if (message == WM_TIMER || message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> items;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find(separator, begin);
        if (end == std::wstring::npos) end = text.size();
        if (end > begin) items.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return items;
}

// The launcher inherits the environment: without the words that start a
// launcher, a client it starts in turn does not start another one.
void DropLauncherWords(const std::wstring& options) {
    std::wstring kept;
    for (const std::wstring& word : Split(options, L' ')) {
        if (word.rfind(L"mode=", 0) == 0 || word.rfind(L"launcher=", 0) == 0 || word.rfind(L"tasks=", 0) == 0) continue;
        kept += (kept.empty() ? L"" : L" ") + word;
    }
    SetEnvironmentVariableW(L"GAME_CLIENT_DOUBLE", kept.c_str());
}

void StartLauncher(const std::wstring& options, const std::wstring& mode, HWND window) {
    std::wstring launcher = Option(options, L"launcher=");
    if (launcher.empty()) launcher = g_folder + L"\\Launcher.exe";
    std::wstring arguments = L"/" + mode;
    if (mode == L"download") {
        const std::wstring id = std::to_wstring(reinterpret_cast<UINT_PTR>(window));
        g_pipe.Reset(CreateNamedPipeW((L"\\\\.\\pipe\\launcher_" + id).c_str(), PIPE_ACCESS_DUPLEX,
                                      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr));
        g_tasks = Split(Option(options, L"tasks="), L';');
        g_overstate = LPARAM(_wtoi(Option(options, L"overstate=").c_str()));
        arguments += L" " + id;
    }
    DropLauncherWords(options);
    std::wstring commandLine = L"\"" + launcher + L"\" " + arguments;
    const std::wstring folder = launcher.substr(0, launcher.rfind(L'\\'));
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(launcher.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
        CHandle(pi.hThread).Reset();
        CHandle(pi.hProcess).Reset();
    } else {
        AppendUtf8(L"client_answers.txt", L"launcher not started " + std::to_wstring(GetLastError()));
    }
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
    g_folder.assign(self, length);
    g_folder.erase(g_folder.rfind(L'\\'));
    AppendUtf8(L"client_cmdline.txt", GetCommandLineW());

    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"Ostrel Game Client Window Class";
    RegisterClassW(&wc);
    const bool hidden = HasWord(options, L"nowindow");
    HWND window = CreateWindowW(wc.lpszClassName, L"Game Client", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                hidden ? HWND_MESSAGE : nullptr, nullptr, instance, nullptr);
    if (!hidden) ShowWindow(window, SW_SHOWNORMAL);

    if (!HasWord(options, L"nosignal")) {
        const CHandle started(CreateEventA(nullptr, TRUE, FALSE, "{E44BFF50-25BA-49A3-9C71-EBC1AAC8D22E}"));
        if (started.IsValid()) SetEvent(started.Get());
    }
    const std::wstring mode = Option(options, L"mode=");
    if (!mode.empty()) StartLauncher(options, mode, window);

    const std::wstring exitAfter = Option(options, L"exit=");
    SetTimer(window, 1, exitAfter.empty() ? 60000 : UINT(_wtoi(exitAfter.c_str())), nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    g_pipe.Reset();
    return 0;
}
