#include "system/update_package.h"

#include "startup/format_text.h"
#include "startup/handle.h"
#include "startup/log_impl.h"
#include "system/assistant_records.h"

#include <shellapi.h>

int32_t InstallUpdatePackage(const std::wstring& path, DWORD limit, const std::function<bool()>& started) {
    LogLine(L"Installing KB: " + path);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // No dialog of the shell's own: nobody may be there to answer it.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = path.c_str();
    info.lpParameters = L"";
    info.nShow = SW_SHOW;
    const BOOL ok = ShellExecuteExW(&info);
    CHandle process(info.hProcess);
    if (!ok || !process.IsValid()) {
        LogLine(L"ShellExecuteEx failed");
        return eAssistantCntStartKB;
    }
    LogLine(L"ShellExecuteEx succeeded");
    if (!started()) return 0;
    LogLine(L"Waiting for process to complete");
    if (WaitForSingleObject(process.Get(), limit) != WAIT_OBJECT_0) {
        LogLine(L"Failed to wait process to complete");
        return eAssistantCntWaitKB;
    }
    LogLine(L"Process completed");
    DWORD code = 0;
    GetExitCodeProcess(process.Get(), &code);
    LogLine(FormatText(L"Process exit code: %u", unsigned(code)));
    DeleteFileW(path.c_str());
    return code == 0 ? 0 : eAssistantKBFailed;
}
