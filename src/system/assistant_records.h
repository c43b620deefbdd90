#pragma once
// The assistant's pipe protocol: command and error codes, the fixed
// 5148-byte parameter record and the 654-byte shortcut record, and the
// texts the launcher logs for them. Portable: the records are encoded byte
// by byte (little-endian, UTF-16 code units), never copied as structs.

#include "startup/window_messages.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum eLauncherCmd : uint32_t {
    eLauncherCmd_Install = 1,
    eLauncherCmd_InstallKB = 2,
    eLauncherCmd_Uninstall = 3,
    eLauncherCmd_GetRights = 4,
    eLauncherCmd_IconUpdate = 5,
    eLauncherCmd_Progress = 6,  // only the code of progress reports
    eLauncherCmd_KillProcess = 7,
    eLauncherCmd_SetLongName = 8,
    eLauncherCmd_Cancel = 9,  // written by the launcher while a command runs
};

// Codes 1..9 may arrive on the pipe; 0 and anything above 9 may not.
inline bool IsValidLauncherCmd(uint32_t code) { return code >= 1 && code <= 9; }

// The assistant's last error, sent as the result of a command.
enum EAssistantError : int32_t {
    eAssistantOk = 0,
    eAssistantCntCreateDir = 1,
    eAssistantShortInstallationPath = 2,
    eAssistantEmptyFullNameEx = 3,
    eAssistantCntSetRights = 4,
    eAssistantCntCreateUninstallRegPath = 5,
    eAssistantTooManyClients = 6,
    eAssistantCntPutInstDirToReg = 7,
    eAssistantCntDelInstDirFromReg = 8,
    eAssistantCntFoundDir = 9,
    eAssistantCntMakeSD = 10,
    eAssistantCntOpenPipe = 11,
    eAssistantCntReadPipe = 12,
    eAssistantUnknownPipeCmd = 13,
    eAssistantCntKillProcess = 14,
    eAssistantCntStartKB = 15,
    eAssistantCntWaitKB = 16,
    eAssistantKBFailed = 17,
};

constexpr size_t kAssistantDataSize = 5148;
constexpr size_t kAssistantIconSize = 654;

// Capacities in UTF-16 code units, terminating zero included. Longer texts
// are cut so that the zero always fits.
constexpr size_t kInstallFolderChars = 261, kUserNameChars = 257, kShortNameChars = 33, kFullNameChars = 65,
                 kIconNameChars = 65, kRegPathChars = 261, kUrlChars = 261, kLnkDesktopChars = 261,
                 kLauncherNameChars = 65, kTempChars = 517, kIconNameFieldChars = 65, kIconExecChars = 261;

struct LauncherAssistantData {
    uint32_t command = 0;
    std::u16string chInstallFolder;
    std::u16string chUserName;
    std::u16string chShortName;
    std::u16string chFullName;
    std::u16string chIconName;
    std::u16string chRegPath;
    std::u16string chHelpLink;
    std::u16string chUrlInfoAbout;
    std::u16string chUrlUpdateInfo;
    std::u16string chLnkDesctopIcon;
    std::u16string chLauncherName;
    std::u16string chTemp;
    bool bIconPrograms = false;
    bool bIconProgramsFolder = false;
    bool bIconStartMenu = false;
    uint32_t iconCount = 0;  // number of icon records that follow on the pipe
};

struct LauncherAssistantIcon {
    std::u16string name;  // the shortcut's display name
    std::u16string exec;  // target, relative to the installation folder
    uint8_t action = 0;   // 1 add, 0 delete
};

// A record's text as the wide text of the platform.
inline std::wstring AssistantText(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
inline std::u16string AssistantU16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

// Exactly kAssistantDataSize / kAssistantIconSize bytes.
std::vector<uint8_t> EncodeAssistantData(const LauncherAssistantData& data);
std::vector<uint8_t> EncodeAssistantIcon(const LauncherAssistantIcon& icon);
// `bytes` must hold at least the record's size. A text field ends at its
// first zero or at the end of its array; flag bytes other than 0 read as set.
LauncherAssistantData DecodeAssistantData(const uint8_t* bytes);
LauncherAssistantIcon DecodeAssistantIcon(const uint8_t* bytes);

// "eLauncherCmd_Install" ... for codes 1..9, else an empty text.
std::string LauncherCmdName(uint32_t code);
// The log text of a result: " .. OK", " .. error: CntCreateDir", ...,
// " .. error: CntOpenPipe, GetLastError() = <systemError>", " .. error: Unknown".
std::string AssistantResultText(int32_t error, uint32_t systemError);

// Window messages the assistant sends to the launcher's main window.
constexpr unsigned kAssistantInitResultMessage = eWindowsMessage_LauncherAssistantInitResult;
constexpr unsigned kAssistantWorkResultMessage = eWindowsMessage_LauncherAssistantWorkResult;
constexpr unsigned kAssistantNoRightsMessage = eWindowsMessage_LauncherAssistantNoRights;
