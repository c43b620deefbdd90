#pragma once
// Small helpers shared by the Windows pipeline benchmarks: a message-only
// window to receive worker results, the process's peak memory, a clock.

#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdint>

// Peak working set of this process so far, in MiB (under Wine: the peak
// resident set, comparable with GNU time's maximum resident size).
inline double PeakMemoryMiB() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return -1;
    return double(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

inline double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A message-only window; Wait pumps until `message` arrives.
class CBenchWindow {
public:
    CBenchWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"LauncherBenchWindow";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }
    ~CBenchWindow() { DestroyWindow(window_); }
    HWND window() const { return window_; }
    LPARAM Wait(UINT message) {
        MSG msg;
        while (GetMessageW(&msg, window_, 0, 0) > 0)
            if (msg.message == message) return msg.lParam;
        return -1;
    }

private:
    HWND window_ = nullptr;
};
