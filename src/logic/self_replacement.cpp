// The launcher replacing itself: the temporary copy "Launcher.tmp.exe"
// overwrites "Launcher.exe" and starts it; the regular file removes the
// temporary copy; any run can restart the launcher of the installation.

#include "logic/self_replacement.h"

#include "logic/wizard_flow.h"
#include "startup/module.h"
#include "system/copy_whole_file.h"
#include "system/process_list.h"

namespace {

constexpr int kCopyAttempts = 101;
constexpr DWORD kTemporaryCopyEndLimit = 10000;

}  // namespace

bool CSelfReplacement::RestartLauncher(const std::wstring& fileName) {
    std::wstring arguments = ctx_.fast ? L"/fast /restart" : L"/restart";
    if (ctx_.automatic) arguments += L" /auto";
    LogLine(L"Create process " + fileName + L" from Launcher.exe");
    if (!StartProcess(QuotedCommandLine(ctx_.installFolder + L"\\" + fileName, arguments))) {
        ctx_.flow->ShowMessage(GetString(94), kActionQuit, mbbOk, false);
        return false;
    }
    LogLine(L"Process started succesful");
    ctx_.host->Exit();
    return true;
}

bool CSelfReplacement::ReplaceLoader() {
    LogLine(L"replaceLoader()");
    const std::wstring exe = ModulePath(nullptr);
    const size_t slash = exe.rfind(L'\\');
    const std::wstring ownFolder = slash == std::wstring::npos || slash == 0 ? std::wstring() : exe.substr(0, slash);
    const std::wstring exeName = slash == std::wstring::npos ? exe : exe.substr(slash + 1);
    LogLine(L"Install Folder  " + ctx_.installFolder);

    if (_wcsicmp(exeName.c_str(), L"Launcher.tmp.exe") == 0) {
        LogLine(L"Runned temp copy of launcher");
        ctx_.host->SetProgressStage(1);
        const std::wstring destination = ownFolder + L"\\Launcher.exe";
        LogLine(L"Copy Launcher.tmp.exe to Launcher.exe");
        for (int attempt = 1;; ++attempt) {
            if (CopyWholeFile(exe, destination)) break;
            LogLine(L" .. copy failed, waiting 0.25 second and try again");
            if (attempt == kCopyAttempts) {
                LogLine(L"Copy failed, exit");
                ctx_.flow->ShowMessage(GetString(94), kActionQuit, mbbOk, false);
                return false;
            }
            Sleep(250);
        }
        LogLine(L"Create process Launcher.exe from Launcher.tmp.exe");
        if (StartProcess(QuotedCommandLine(destination, ctx_.fast ? L"/fast" : L""))) {
            LogLine(L"Process started succesful");
            ctx_.host->Exit();
        } else {
            ctx_.flow->ShowMessage(GetString(94), kActionQuit, mbbOk, false);
        }
        return false;
    }

    const std::wstring temporary = ownFolder + L"\\Launcher.tmp.exe";
    CFile probe(CreateFileW(temporary.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (probe.IsValid()) {
        probe.Reset();
        LogLine(L"delete Launcher.tmp.exe");
        if (!DeleteFileW(temporary.c_str())) {
            // The temporary copy that started this run may still be ending;
            // its file can go once it is gone.
            for (DWORD id : ProcessesWithModulePath(temporary)) {
                CHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
                if (process.IsValid()) WaitForSingleObject(process.Get(), kTemporaryCopyEndLimit);
            }
            DeleteFileW(temporary.c_str());
        }
    }
    return true;
}
