#include "system/assistant_records.h"

namespace {

// Field offsets of LauncherAssistantData.
constexpr size_t kOffInstallFolder = 4, kOffUserName = 526, kOffShortName = 1040, kOffFullName = 1106,
                 kOffIconName = 1236, kOffRegPath = 1366, kOffHelpLink = 1888, kOffUrlInfoAbout = 2410,
                 kOffUrlUpdateInfo = 2932, kOffLnkDesktop = 3454, kOffLauncherName = 3976, kOffTemp = 4106,
                 kOffIconPrograms = 5140, kOffIconProgramsFolder = 5141, kOffIconStartMenu = 5142,
                 kOffIconCount = 5144;
// Of LauncherAssistantIcon.
constexpr size_t kOffShortcutName = 0, kOffShortcutExec = 130, kOffShortcutAction = 652;

void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
}

uint32_t GetU32(const uint8_t* in, size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(in[at + i]) << (8 * i);
    return v;
}

void PutText(std::vector<uint8_t>& out, size_t at, size_t capacity, const std::u16string& text) {
    const size_t n = text.size() < capacity ? text.size() : capacity - 1;
    for (size_t i = 0; i < n; ++i) {
        out[at + 2 * i] = uint8_t(text[i]);
        out[at + 2 * i + 1] = uint8_t(text[i] >> 8);
    }
}

std::u16string GetText(const uint8_t* in, size_t at, size_t capacity) {
    std::u16string text;
    for (size_t i = 0; i < capacity; ++i) {
        const char16_t c = char16_t(in[at + 2 * i] | (in[at + 2 * i + 1] << 8));
        if (c == 0) break;
        text.push_back(c);
    }
    return text;
}

}  // namespace

std::vector<uint8_t> EncodeAssistantData(const LauncherAssistantData& d) {
    std::vector<uint8_t> out(kAssistantDataSize, 0);
    PutU32(out, 0, d.command);
    PutText(out, kOffInstallFolder, kInstallFolderChars, d.chInstallFolder);
    PutText(out, kOffUserName, kUserNameChars, d.chUserName);
    PutText(out, kOffShortName, kShortNameChars, d.chShortName);
    PutText(out, kOffFullName, kFullNameChars, d.chFullName);
    PutText(out, kOffIconName, kIconNameChars, d.chIconName);
    PutText(out, kOffRegPath, kRegPathChars, d.chRegPath);
    PutText(out, kOffHelpLink, kUrlChars, d.chHelpLink);
    PutText(out, kOffUrlInfoAbout, kUrlChars, d.chUrlInfoAbout);
    PutText(out, kOffUrlUpdateInfo, kUrlChars, d.chUrlUpdateInfo);
    PutText(out, kOffLnkDesktop, kLnkDesktopChars, d.chLnkDesctopIcon);
    PutText(out, kOffLauncherName, kLauncherNameChars, d.chLauncherName);
    PutText(out, kOffTemp, kTempChars, d.chTemp);
    out[kOffIconPrograms] = d.bIconPrograms ? 1 : 0;
    out[kOffIconProgramsFolder] = d.bIconProgramsFolder ? 1 : 0;
    out[kOffIconStartMenu] = d.bIconStartMenu ? 1 : 0;
    PutU32(out, kOffIconCount, d.iconCount);
    return out;
}

LauncherAssistantData DecodeAssistantData(const uint8_t* in) {
    LauncherAssistantData d;
    d.command = GetU32(in, 0);
    d.chInstallFolder = GetText(in, kOffInstallFolder, kInstallFolderChars);
    d.chUserName = GetText(in, kOffUserName, kUserNameChars);
    d.chShortName = GetText(in, kOffShortName, kShortNameChars);
    d.chFullName = GetText(in, kOffFullName, kFullNameChars);
    d.chIconName = GetText(in, kOffIconName, kIconNameChars);
    d.chRegPath = GetText(in, kOffRegPath, kRegPathChars);
    d.chHelpLink = GetText(in, kOffHelpLink, kUrlChars);
    d.chUrlInfoAbout = GetText(in, kOffUrlInfoAbout, kUrlChars);
    d.chUrlUpdateInfo = GetText(in, kOffUrlUpdateInfo, kUrlChars);
    d.chLnkDesctopIcon = GetText(in, kOffLnkDesktop, kLnkDesktopChars);
    d.chLauncherName = GetText(in, kOffLauncherName, kLauncherNameChars);
    d.chTemp = GetText(in, kOffTemp, kTempChars);
    d.bIconPrograms = in[kOffIconPrograms] != 0;
    d.bIconProgramsFolder = in[kOffIconProgramsFolder] != 0;
    d.bIconStartMenu = in[kOffIconStartMenu] != 0;
    d.iconCount = GetU32(in, kOffIconCount);
    return d;
}

std::vector<uint8_t> EncodeAssistantIcon(const LauncherAssistantIcon& icon) {
    std::vector<uint8_t> out(kAssistantIconSize, 0);
    PutText(out, kOffShortcutName, kIconNameFieldChars, icon.name);
    PutText(out, kOffShortcutExec, kIconExecChars, icon.exec);
    out[kOffShortcutAction] = icon.action;
    return out;
}

LauncherAssistantIcon DecodeAssistantIcon(const uint8_t* in) {
    LauncherAssistantIcon icon;
    icon.name = GetText(in, kOffShortcutName, kIconNameFieldChars);
    icon.exec = GetText(in, kOffShortcutExec, kIconExecChars);
    icon.action = in[kOffShortcutAction];
    return icon;
}

std::string LauncherCmdName(uint32_t code) {
    static const char* const kNames[] = {"eLauncherCmd_Install",     "eLauncherCmd_InstallKB",
                                         "eLauncherCmd_Uninstall",   "eLauncherCmd_GetRights",
                                         "eLauncherCmd_IconUpdate",  "eLauncherCmd_Progress",
                                         "eLauncherCmd_KillProcess", "eLauncherCmd_SetLongName",
                                         "eLauncherCmd_Cancel"};
    return IsValidLauncherCmd(code) ? kNames[code - 1] : std::string();
}

std::string AssistantResultText(int32_t error, uint32_t systemError) {
    switch (error) {
    case eAssistantOk: return " .. OK";
    case eAssistantCntCreateDir: return " .. error: CntCreateDir";
    case eAssistantShortInstallationPath: return " .. error: ShortInstallationPath";
    case eAssistantEmptyFullNameEx: return " .. error: EmptyFullNameEx";
    case eAssistantCntSetRights: return " .. error: CntSetRights";
    case eAssistantCntCreateUninstallRegPath: return " .. error: CntCreateUninstallRegPath";
    case eAssistantCntPutInstDirToReg: return " .. error: CntPutInstDirToReg";
    case eAssistantCntDelInstDirFromReg: return " .. error: CntDelInstDirFromReg";
    case eAssistantCntFoundDir: return " .. error: CntFoundDir";
    case eAssistantCntMakeSD: return " .. error: CntMakeSD";
    case eAssistantCntOpenPipe:
        return " .. error: CntOpenPipe, GetLastError() = " + std::to_string(int32_t(systemError));
    case eAssistantCntReadPipe: return " .. error: CntReadPipe";
    case eAssistantUnknownPipeCmd: return " .. error: UnknownPipeCmd";
    case eAssistantCntKillProcess: return " .. error: CntKillProcess";
    default: return " .. error: Unknown";
    }
}
