#pragma once
// Every private window message, timer identifier and the private-message
// range of the launcher's main window, defined once. Workers of every
// layer post these to the window; the window forwards the range and
// WM_COPYDATA to the logic object on its own thread. Portable: numbers only.

#include <cstdint>

// Messages in this range (and WM_COPYDATA) go to the logic object.
constexpr unsigned kFirstPrivateMessage = 0x914;  // 2324
constexpr unsigned kLastPrivateMessage = 0xB08;   // 2824

enum eWindowsMessage : unsigned {
    eWindowsMessage_LauncherAssistantInitResult = 0x914,  // process id or system error / 0 or 11
    eWindowsMessage_LauncherAssistantWorkResult = 0x915,  // command (6: progress) / error or percent
    eWindowsMessage_LauncherAssistantNoRights = 0x916,    // 0 / 0
    eWindowsMessage_Exit = 0x9DC,
    eWindowsMessage_ClientStartFailed = 0x9DD,
    eWindowsMessage_ClientTask = 0xA0E,
    eWindowsMessage_UnpackFinished = 0xA40,
    eWindowsMessage_CheckFinished = 0xA41,
    eWindowsMessage_UninstallFinished = 0xA42,
    eWindowsMessage_UnpackProgress = 0xA43,
    eWindowsMessage_UninstallProgress = 0xA44,
    eWindowsMessage_ClientPipeReady = 0xA72,
    eWindowsMessage_ClientAnswer = 0xA73,
    eWindowsMessage_DownloadProgress = 0xA9A,
    eWindowsMessage_DownloadComplete = 0xA9B,
    eWindowsMessage_IconTrayCallbackMessage = 0xAA5,
    eWindowsMessage_SilentDownloadOff = 0xAAE,
    eWindowsMessage_SilentDownloadQuery = 0xAAF,
    eWindowsMessage_Activate = 0xAB0,
};

// Timers of the main window.
enum eWindowTimer : uintptr_t {
    eWindowTimer_Paint = 2,  // the wizard's 10 ms frame timer
    // One-second waits before the server link asks again.
    eWindowTimer_RetryCud = 2222,
    eWindowTimer_RetryLicence = 2223,
    eWindowTimer_RetryManifest = 2224,
    eWindowTimer_RetryFile = 2225,
};
