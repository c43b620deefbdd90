// The system tests' entry. The logic object under test copies this very
// executable and starts the copy with "/assistant <hwnd>"; such a copy
// plays the assistant exactly as Launcher.exe does.

#include "system/launcher_assistant.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <windows.h>

#include <cwchar>

namespace {

// The command line without the program name, as wWinMain receives it.
std::wstring CommandTail() {
    const wchar_t* p = GetCommandLineW();
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t') ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    const std::wstring tail = CommandTail();
    if (tail.find(L"/assistant") != std::wstring::npos) {
        RunAssistantRole(tail);
        return 0;
    }
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // Ended at once, as the other test programs (see common/test_main.cpp).
    std::fflush(stdout);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), UINT(result));
    return result;
}
