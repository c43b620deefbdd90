// Test helper: prints the target and the arguments of a shortcut file, read
// back through the shell's own link object, as "<target>\n<arguments>\n".
// usage: shortcut_target <file.lnk>; exit code 1 when it cannot be read.

#include <windows.h>
#include <shlobj.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 || FAILED(CoInitialize(nullptr))) return 2;
    int code = 1;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t target[MAX_PATH] = {}, arguments[1024] = {};
            if (SUCCEEDED(file->Load(argv[1], STGM_READ)) && SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) &&
                SUCCEEDED(link->GetArguments(arguments, 1024))) {
                wprintf(L"%ls\n%ls\n", target, arguments);
                code = 0;
            }
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return code;
}
