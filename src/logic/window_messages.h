#pragma once
// The private window messages of the launcher's main window. Workers of the
// layers below define the numbers they post; this list names them all.

#include "net/downloader.h"
#include "system/assistant_records.h"
#include "update/checker_thread.h"
#include "update/unpacker_thread.h"

#include <windows.h>

enum eWindowsMessage : UINT {
    eWindowsMessage_LauncherAssistantInitResult = kAssistantInitResultMessage,
    eWindowsMessage_LauncherAssistantWorkResult = kAssistantWorkResultMessage,
    eWindowsMessage_LauncherAssistantNoRights = kAssistantNoRightsMessage,
    eWindowsMessage_Exit = 0x9DC,
    eWindowsMessage_ClientStartFailed = 0x9DD,
    eWindowsMessage_ClientTask = 0xA0E,
    eWindowsMessage_UnpackFinished = CUnpackerThread::kFinishedMessage,
    eWindowsMessage_CheckFinished = CCheckerThread::kFinishedMessage,
    eWindowsMessage_UninstallFinished = 0xA42,
    eWindowsMessage_UnpackProgress = CUnpackerThread::kProgressMessage,
    eWindowsMessage_UninstallProgress = 0xA44,
    eWindowsMessage_ClientPipeReady = 0xA72,
    eWindowsMessage_ClientAnswer = 0xA73,
    eWindowsMessage_DownloadProgress = CDownloader::kProgressMessage,
    eWindowsMessage_DownloadComplete = CDownloader::kCompleteMessage,
    eWindowsMessage_IconTrayCallbackMessage = 0xAA5,
    eWindowsMessage_SilentDownloadOff = 0xAAE,
    eWindowsMessage_SilentDownloadQuery = 0xAAF,
    eWindowsMessage_Activate = 0xAB0,
};
