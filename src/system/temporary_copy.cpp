#include "system/temporary_copy.h"

#include "startup/folders.h"
#include "startup/module.h"
#include "system/copy_whole_file.h"
#include "system/process_list.h"
#include "system/shortcuts.h"

#include <windows.h>

TemporaryCopyResult StartTemporaryCopy(const wchar_t* prefix, const std::wstring& arguments,
                                       std::wstring& commandLine) {
    commandLine.clear();
    const std::wstring temp = GetTempFolder();
    wchar_t placeholder[MAX_PATH] = {};
    if (temp.empty() || !GetTempFileNameW(temp.c_str(), prefix, 0, placeholder)) return TemporaryCopyResult::CopyFailed;
    RegisterForDeletionAtReboot(placeholder);
    std::wstring copy = placeholder;
    const size_t dot = copy.find_last_of(L".\\");
    if (dot != std::wstring::npos && copy[dot] == L'.') copy.erase(dot);
    copy += L".exe";
    if (!CopyWholeFile(ModulePath(nullptr), copy)) return TemporaryCopyResult::CopyFailed;
    RegisterForDeletionAtReboot(copy);
    commandLine = L"\"" + copy + L"\" " + arguments;
    return StartProcess(commandLine, temp) ? TemporaryCopyResult::Started : TemporaryCopyResult::StartFailed;
}
