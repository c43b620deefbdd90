#include "system/uninstaller_thread.h"

#include "startup/app_list_file.h"
#include "startup/folders.h"
#include "startup/window_messages.h"
#include "system/shortcuts.h"
#include "system/tree_walk.h"
#include "system/uninstall_rules.h"

#include <shlobj.h>

#include <vector>

CUninstallerThread::~CUninstallerThread() { Stop(INFINITE); }

bool CUninstallerThread::Start(const UninstallerInput& input) {
    if (HasThread()) return false;
    input_ = input;
    cancelled_ = false;
    return CThread::Start();
}

bool CUninstallerThread::Stop(DWORD limit) {
    cancelled_ = true;
    return CThread::Stop(limit);
}

void CUninstallerThread::Run() {
    const bool ok = Uninstall();
    if (!cancelled_) PostMessageW(input_.hwnd, eWindowsMessage_UninstallFinished, 0, ok ? 0 : 1);
}

void CUninstallerThread::Report(int percent) {
    if (!cancelled_ && progress_.Admit(percent, GetTickCount()))
        PostMessageW(input_.hwnd, eWindowsMessage_UninstallProgress, 0, percent);
}

bool CUninstallerThread::Uninstall() {
    const std::wstring& folder = input_.folder;
    if (folder.size() < 4) return false;
    Report(0);
    progress_.SetStepTotal(int(CountFiles(folder)));
    TreeWalk walk;
    walk.spare = input_.launcherName;
    walk.cancel = &cancelled_;
    walk.step = [this] {
        const int percent = progress_.Step();
        if (percent >= 0) Report(percent);
    };
    // The shortcut list goes with the files, so it is read first.
    std::vector<AppListRecord> programs;
    ReadAppListFile(folder, programs);
    if (DeleteTree(folder, walk)) {
        DeleteFileW((folder + L"\\" + input_.launcherName).c_str());
        RemoveDirectoryW(folder.c_str());
    }
    if (cancelled_) return false;

    const std::wstring name = ShortcutNameOfPath(input_.shortcutPath);
    const std::wstring launcher = folder + L"\\" + input_.launcherName;
    const int places[] = {CSIDL_DESKTOP, CSIDL_STARTMENU, CSIDL_PROGRAMS};
    auto deleteEverywhere = [&](const std::wstring& target, const std::wstring& shortcut) {
        for (int csidl : places) DeleteShortcut(target, shortcut, csidl, csidl == CSIDL_PROGRAMS ? input_.fullName : L"");
    };
    deleteEverywhere(launcher, name);
    DeleteUninstallShortcut(launcher, name, input_.fullName, false);
    // Without a suffix the program shortcuts carry the names of a standard
    // installation's, which are not ours to delete.
    const std::wstring suffix = PortableShortcutSuffix(name);
    if (!suffix.empty())
        for (const AppListRecord& record : programs) {
            const std::wstring program = RecordText(record.name, 65);
            if (!program.empty()) deleteEverywhere(folder + L"\\" + RecordText(record.exec, 261), program + suffix);
        }
    DeleteFolder(folder);
    Report(100);
    return true;
}
