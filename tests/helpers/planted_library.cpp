// A library planted beside a launcher under a system library's name: when
// loaded, it leaves planted_library_loaded.txt beside itself. It exports
// nothing; a program that took it would fail at its first call into it.

#include <windows.h>

namespace {

void LeaveMark(HMODULE self) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    wchar_t* slash = wcsrchr(path, L'\\');
    if (!slash || slash + 32 >= path + MAX_PATH) return;
    wcscpy(slash + 1, L"planted_library_loaded.txt");
    const HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) LeaveMark(self);
    return TRUE;
}
