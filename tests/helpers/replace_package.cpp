// Test helper: swaps the embedded package of a built launcher for another
// archive, so that a test can run the launcher with a configuration of its
// own (for example one that renames the product).
// usage: replace_package <Launcher.exe> <package.rar>; exit code 1 on failure.

#include <windows.h>

#include <cstdio>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    HANDLE file = CreateFileW(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    std::vector<char> bytes(GetFileSize(file, nullptr));
    DWORD read = 0;
    const BOOL ok = ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr);
    CloseHandle(file);
    if (!ok || read != bytes.size()) return 1;
    HANDLE update = BeginUpdateResourceW(argv[1], FALSE);
    if (!update) return 1;
    // The package is resource 130 of type "ZIP", language neutral.
    if (!UpdateResourceW(update, L"ZIP", MAKEINTRESOURCEW(130), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                         bytes.data(), DWORD(bytes.size()))) {
        EndUpdateResourceW(update, TRUE);
        return 1;
    }
    return EndUpdateResourceW(update, FALSE) ? 0 : 1;
}
