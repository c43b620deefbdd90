#include "common/process.h"

#include <cstdio>

std::wstring BuiltProgramPath(const std::wstring& name) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.rfind(L'\\') + 1) + name;
}

std::wstring BuiltLauncherPath() { return BuiltProgramPath(L"Launcher.exe"); }

bool CChildProcess::Start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& workDir) {
    std::wstring cmd = L"\"" + exe + L"\"";
    if (!arguments.empty()) cmd += L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    // Under a loaded CI machine Wine now and then fails to bring up a new
    // process at all; a stand-in that never started says nothing about the
    // code under test, so a start is tried up to three times and each miss
    // is said on stderr.
    bool started = false;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        started = CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                                 workDir.empty() ? nullptr : workDir.c_str(), &si, &pi) != FALSE;
        if (!started) {
            const DWORD error = GetLastError();
            fwprintf(stderr, L"starting %ls failed with error %lu\n", exe.c_str(), error);
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
            Sleep(200);
        }
    }
    if (!started) return false;
    CHandle(pi.hThread).Reset();
    process_.Reset(pi.hProcess);
    id_ = pi.dwProcessId;
    return true;
}

CChildProcess::~CChildProcess() {
    if (process_.IsValid() && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT)
        TerminateProcess(process_.Get(), 99);
}

long CChildProcess::Wait(DWORD ms) {
    if (WaitForSingleObject(process_.Get(), ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.Get(), &code);
    return long(code);
}

namespace {

std::wstring TextOf(HWND hwnd) {
    wchar_t buf[1024];
    const int n = GetWindowTextW(hwnd, buf, 1024);
    return std::wstring(buf, n > 0 ? n : 0);
}

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    auto* w = reinterpret_cast<FoundWindow*>(param);
    const std::wstring text = TextOf(child);
    if (!text.empty()) w->texts.push_back(text);
    return TRUE;
}

struct Search {
    DWORD pid;
    std::vector<FoundWindow> found;
};

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid || !IsWindowVisible(hwnd)) return TRUE;
    FoundWindow w;
    w.hwnd = hwnd;
    w.title = TextOf(hwnd);
    EnumChildWindows(hwnd, CollectChild, reinterpret_cast<LPARAM>(&w));
    s->found.push_back(w);
    return TRUE;
}

}  // namespace

std::vector<FoundWindow> ProcessWindows(DWORD pid) {
    Search s{pid, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&s));
    return s.found;
}


namespace {
template <class Match>
FoundWindow WaitFor(DWORD pid, DWORD ms, Match match) {
    const ULONGLONG end = GetTickCount64() + ms;
    do {
        for (const FoundWindow& w : ProcessWindows(pid))
            if (match(w)) return w;
        Sleep(50);
    } while (GetTickCount64() < end);
    return {};
}
}  // namespace

FoundWindow WaitForProcessWindowTitle(DWORD pid, const std::wstring& title, DWORD ms) {
    return WaitFor(pid, ms, [&](const FoundWindow& w) { return w.title == title; });
}

FoundWindow WaitForProcessWindowText(DWORD pid, const std::wstring& text, DWORD ms) {
    return WaitFor(pid, ms, [&](const FoundWindow& w) {
        for (const std::wstring& t : w.texts)
            if (t == text) return true;
        return false;
    });
}
