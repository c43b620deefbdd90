#pragma once
// GDI+ for the process, started with the wizard's window; it sets the
// process-wide UiScale (gui/ui_scale.h) from the screen's DPI.

#include <windows.h>

#include <cstdint>

class CGdiPlusSession {
public:
    CGdiPlusSession() = default;
    CGdiPlusSession(const CGdiPlusSession&) = delete;
    CGdiPlusSession& operator=(const CGdiPlusSession&) = delete;
    ~CGdiPlusSession();

    // Starts GDI+ (version 1) and sets UiScale from the screen's DPI.
    bool Start();
    bool started() const { return token_ != 0; }

private:
    ULONG_PTR token_ = 0;
};
