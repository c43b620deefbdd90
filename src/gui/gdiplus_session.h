#pragma once
// GDI+ for the process (started by init, shut down with the logic object)
// and the process-wide UiScale: horizontal screen DPI / 96.

#include <windows.h>

#include <cstdint>

extern float g_uiScale;

class CGdiPlusSession {
public:
    CGdiPlusSession() = default;
    CGdiPlusSession(const CGdiPlusSession&) = delete;
    CGdiPlusSession& operator=(const CGdiPlusSession&) = delete;
    ~CGdiPlusSession();

    // Starts GDI+ (version 1) and sets g_uiScale from the screen's DPI.
    bool Start();
    bool started() const { return token_ != 0; }

private:
    ULONG_PTR token_ = 0;
};
