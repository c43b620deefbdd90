// The update cycle's frame: licence text, manifest, the check, the decision
// after it (processStartDownload), unpack results and the end step
// (processAfterDownload). UI thread only.

#include "logic/update_cycle.h"

#include "logic/assistant_link.h"
#include "logic/client_link.h"
#include "logic/client_tasks.h"
#include "logic/control_ids.h"
#include "logic/downloads.h"
#include "logic/installation.h"
#include "logic/renaming.h"
#include "logic/server_link.h"
#include "logic/tray.h"
#include "logic/update_texts.h"
#include "logic/user_shortcuts.h"
#include "logic/wizard_flow.h"
#include "startup/folders.h"
#include "startup/format_text.h"
#include "startup/safe_write.h"
#include "startup/text.h"
#include "startup/window_messages.h"
#include "update/manifest_archive.h"

namespace {

constexpr uint64_t kManifestSizeLimit = 256u << 20;

int Id(const char* func) { return ControlIdForFunc(func); }

int WindowsPlatform() {
#ifdef _WIN64
    return 2;
#else
    BOOL wow = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow) && wow ? 2 : 1;
#endif
}

}  // namespace

void CUpdateCycle::RequestLicence() {
    ctx_.server->SetAttempts(1);
    ctx_.server->SetLastRequest(ctx_.settings.urlLicense);
    ctx_.server->downloader().DownloadLicense(ctx_.settings.urlLicense);
}

void CUpdateCycle::RequestManifest() {
    if (state_.checker.IsRunning()) return;
    // A damaged key must not turn into a launcher that takes unsigned
    // updates: it updates nothing instead.
    std::string error;
    if (!ParsePublisherKeys(ctx_.settings.publisherKeys, publisherKeys_, error)) {
        LogLine(L"Update refused: the configuration's " + Utf8ToWide(error));
        ctx_.flow->ShowMessage(GetString(21), kActionQuit, mbbOk, false);
        return;
    }
    ctx_.server->SetAttempts(1);
    ctx_.server->downloader().SetLanguage(ctx_.languages.chosenCode());
    const std::string request = ctx_.updatePath + "update.rxml";
    ctx_.server->SetLastRequest(request);
    ctx_.server->downloader().DownloadUpdateXml(request);
}

void CUpdateCycle::OnLicenseData(CBuffer& body) {
    LogLine(L"License received");
    ctx_.server->selector().AcceptCustomUrl();
    std::wstring text;
    if (!ExtractLicenceText(BufferString(body), text)) {
        ctx_.server->OnNetError(CDownloader::dkLicense, 0, 0, std::string());
        return;
    }
    termsText_ = text;
    if (ctx_.wizard.HasControl(Id("terms"))) ctx_.wizard.SetText(Id("terms"), termsText_);
    LogLine(L"License Ready");
    RequestManifest();
}

void CUpdateCycle::OnUpdateXmlData(CBuffer& body) {
    LogLine(L"update.rxml Received");
    if (publisherKeys_.empty()) {
        AcceptManifest(BufferString(body), false);
        return;
    }
    unverifiedManifest_ = BufferString(body);
    const std::string request = ctx_.updatePath + kManifestSignatureName;
    ctx_.server->SetLastRequest(request);
    if (!ctx_.server->downloader().DownloadSignature(request))
        RefuseManifest(L"update.rxml signature cannot be requested");
}

void CUpdateCycle::OnSignatureData(CBuffer& body) {
    const std::string manifest = std::move(unverifiedManifest_);
    unverifiedManifest_.clear();
    std::string error;
    if (manifest.empty() || !VerifyManifestSignature(publisherKeys_, manifest, BufferString(body), error)) {
        RefuseManifest(L"update.rxml refused: " + Utf8ToWide(manifest.empty() ? "no manifest" : error));
        return;
    }
    LogLine(L"update.rxml signature verified");
    AcceptManifest(manifest, true);
}

void CUpdateCycle::RefuseManifest(const std::wstring& reason) {
    LogLine(reason);
    ctx_.server->SetAttempts(6);
    ctx_.server->OnNetError(CDownloader::dkUpdateXml, 0, 0, WideToUtf8(GetString(21)));
}

void CUpdateCycle::AcceptManifest(const std::string& body, bool verified) {
    std::string text, error;
    if (!UnwrapManifest(body, text)) {
        RefuseManifest(L"update.rxml cannot be read");
        return;
    }
    if (verified && !CheckManifestHashes(text, error)) {
        RefuseManifest(L"update.rxml refused: " + Utf8ToWide(error));
        return;
    }
    manifestText_ = text;
    state_.verifyHashes = verified;
    ctx_.server->selector().AcceptCustomUrl();
    LogLine(L"--- start Update.xml ---");
    LogLine(Utf8ToWide(manifestText_));
    LogLine(L"--- end Update.xml ---");
    if (ctx_.runMode == rmUpdate) {
        LogLine(L"Load old update.xml");
        if (!ReadWholeFile(ctx_.installFolder + L"\\update.xml", oldManifestText_, kManifestSizeLimit))
            oldManifestText_.clear();
    }
    StartCheck();
}

void CUpdateCycle::StartCheck() {
    CheckerSettings s;
    s.installFolder = ctx_.installFolder;
    s.launcherPath = ctx_.installFolder + L"\\Launcher.exe";
    s.newManifest = manifestText_;
    s.window = ctx_.wizard.Window();
    s.platform = WindowsPlatform();
    s.language = ctx_.languages.chosenCode();
    s.queue = &state_.queue;
    if (ctx_.fast && ctx_.runMode != rmDownload && !oldManifestText_.empty()) {
        LogLine(L"Init check thread (fast mode)");
        s.oldManifest = oldManifestText_;
        s.fastCompare = true;
        s.cleanup = false;
        s.useAddPackages = true;
    } else if (ctx_.runMode == rmDownload) {
        LogLine(L"Init check thread");
        if (!ctx_.tasks->TakeForCheck(s.extraAddPackages)) {
            LogLine(L"Wait task for download");
            ctx_.tasks->OpenClientPipe();
            return;
        }
        s.useAddPackages = true;
    } else {
        LogLine(L"Init check thread");
        s.cleanup = !ctx_.client->IsClientProcessRunning() && ctx_.silentMode == sdmFull;
        LogLine(std::wstring(L"bCanDelete = ") + (s.cleanup ? L"true" : L"false"));
        if (!(s.cleanup && FileExists(ctx_.installFolder + L"\\silent.dat"))) s.oldManifest = oldManifestText_;
        s.useAddPackages = ctx_.runMode == rmUpdate;
    }
    LogLine(L"Start check thread");
    state_.checker.Stop(INFINITE);
    checkedManifest_ = nullptr;
    state_.checker.Configure(s);
    state_.checker.Start();
    ctx_.host->SetProgressStage(4);
}

void CUpdateCycle::OnCheckFinished(WPARAM w, LPARAM l) {
    switch (l) {
    case crServerInfoReady:
        LogLine(L"Server info ready");
        ctx_.server->downloader().SetClientVersion(ManifestRootAttribute(manifestText_, "clientVersion"));
        state_.checker.SetAddPkgFolder(ctx_.installFolder);
        if (ctx_.runMode == rmDownload) {
            ctx_.tasks->OpenClientPipe();
            state_.checker.Continue();
        } else if (ctx_.runMode == rmUpdate) {
            ctx_.host->OnControl(Id("next_icons"));
        } else if (ctx_.theme.singlePageMode && ctx_.settings.automaticInstall) {
            ctx_.host->OnControl(Id("single_install_button_install"));
        } else {
            ctx_.flow->ShowPage(ctx_.theme.singlePageMode ? kSinglePageInstall : kPageFolder);
        }
        return;
    case crDone:
    case crLauncherUpdate:
        if (!w) break;
        if (l == crLauncherUpdate) {
            LogLine(L"Finish check thread .. OK, only launcher update");
            state_.newLauncherKnown = ReadLauncherInfo(manifestText_, state_.launcherInfo);
        } else {
            LogLine(L"Finish check thread .. OK");
        }
        checkedManifest_ = reinterpret_cast<const CManifest*>(w);
        ContinueAfterCheck();
        return;
    default:
        break;
    }
    LogLine(L"Finish check thread .. Fail");
    ctx_.flow->ShowMessage(GetString(21), kActionQuit, mbbOk, false);
}

void CUpdateCycle::ContinueAfterCheck() {
    std::vector<ProgramChange> changes;
    if (state_.checker.GetShortcutChanges(changes) && !changes.empty() && ctx_.runMode != rmDownload) {
        if (ctx_.portable) {
            ctx_.shortcuts->UpdateUserShortcuts(true, changes);
        } else {
            ctx_.assistant->SetProgramChanges(changes);
            if (ctx_.assistant->RunAssistant(eLauncherCmd_IconUpdate)) return;  // its result continues below
        }
    }
    processStartDownload();
}

bool CUpdateCycle::processStartDownload() {
    LogLine(L"processStartDownload();");
    if (ctx_.settings.silentDownload && ctx_.runMode != rmDownload) {
        bool canRun = state_.checker.CanRunResult() && !(ctx_.runByClient && ctx_.runByClientCritical);
        std::wstring blocker = state_.checker.RunBlocker();
        if (ctx_.runByClient && !ctx_.runByClientCritical && state_.newLauncherKnown) {
            LogLine(L"  .. runByClient - new launcher available, exit");
            ctx_.host->Exit();
            return false;
        }
        const HWND window = ctx_.client->FindClientWindow();
        const bool clientRunning = ctx_.client->IsClientProcessRunning();
        if (FileExists(ctx_.installFolder + L"\\silent.dat")) {
            if (clientRunning && !ctx_.restart) {
                if (ctx_.silentMode == sdmFull) ctx_.silentMode = sdmRun;
            } else {
                canRun = false;
                if (ctx_.restart) blocker += L"run blocker: [silent restart]";
            }
        }
        LogLine(std::wstring(L"bCanRun = ") + (canRun ? L"true" : L"false"));
        if (!canRun) LogLine(L"  .. " + blocker);
        bool empty;
        {
            CCriticalSection::Scope lock(state_.checker.Lock());
            empty = state_.queue.items.empty() && !state_.newLauncherKnown;
        }
        if (ctx_.silentMode == sdmRun) {
            if (!canRun) {
                ctx_.client->NotifyOtherInstances(0);
                ctx_.host->Exit();
                return false;
            }
            if (ctx_.runByClient) {
                if (!window) ctx_.client->NotifyOtherInstances(0);
                ctx_.host->Exit();
                return false;
            }
            if (ctx_.debugMode || ctx_.config.multiRun || !window) {
                ctx_.client->PressLaunch();
                return true;
            }
            ctx_.client->FocusClientWindow(window);
            ctx_.host->Exit();
            return false;
        }
        if (ctx_.silentMode == sdmFull && canRun) {
            if (!empty) {
                ctx_.client->SetSilentDownload(true);
            } else {
                SaveUpdateXml();
                if (ctx_.renaming->ApplyActions(ctx_.runMode == rmInstall) || ctx_.runByClient) {
                    ctx_.host->Exit();
                    return false;
                }
                if (!window || ctx_.debugMode || ctx_.config.multiRun) {
                    ctx_.client->PressLaunch();
                    return true;
                }
                ctx_.client->FocusClientWindow(window);
                ctx_.host->Exit();
                return false;
            }
        } else if (ctx_.silentMode == sdmFull) {
            if (clientRunning) {
                if (ctx_.runByClient) {
                    ctx_.client->SetSilentDownload(true);
                } else {
                    if (window) ctx_.client->FocusClientWindow(window);
                    ctx_.host->Exit();
                    return false;
                }
            }
        }
    }
    if (ctx_.theme.singlePageMode) ctx_.wizard.ShowControl(Id("single_install_spriterange_wait"), false);
    StartUnpacker();
    CreateFolderTree(ctx_.installFolder + L"\\tmp");
    if (ctx_.runMode != rmDownload) {
        LogLine(L"Remove ext directory");
        RemoveStateFolder(L"ext");
        state_.checker.WriteAppList(true);
    }
    if (ctx_.closing) return false;
    bool handedOver = false, queued = false;
    if (ctx_.runMode == rmInstall || ctx_.runMode == rmUpdate || ctx_.runMode == rmDownload) {
        if (state_.newLauncherKnown) {
            ctx_.downloads->ClearQueue();
            handedOver = ctx_.downloads->QueueLauncherDownload();
        } else {
            handedOver = ctx_.downloads->PrepareFileDownloads();
        }
    }
    {
        CCriticalSection::Scope lock(state_.checker.Lock());
        queued = !state_.queue.items.empty();
    }
    if (queued || handedOver) {
        ctx_.downloads->RefreshProgress();
        if (!ctx_.downloads->EnoughDiskSpace()) {
            ctx_.flow->ShowMessage(GetString(22), kActionNone, mbbOk, false);
            return false;
        }
        if (!ctx_.theme.singlePageMode) ctx_.flow->ShowPage(kPageDownload);
        ctx_.downloads->StartNextDownload();
    } else {
        processAfterDownload();
    }
    return true;
}

void CUpdateCycle::StartUnpacker() {
    if (state_.unpacker.HasThread()) return;
    LogLine(L"Init/start unpack thread");
    state_.unpacker.Configure(ctx_.installFolder, ctx_.wizard.Window(), !ctx_.client->silentDownloadActive(), ctx_.runMode == rmDownload);
    unpackFinishRequested_ = false;
    state_.unpacker.Start();
}

void CUpdateCycle::OnUnpackFinished(LPARAM result) {
    if (result == 0) {
        LogLine(L"Finish unpack thread .. OK");
        // A launcher started by the client in the background finishes its
        // cycle; the replacement waits for the restart that hands over.
        if (state_.launcherUpdatePending && !(ctx_.runByClient && !ctx_.runByClientCritical)) {
            ctx_.client->PressLaunch();
            return;
        }
        processAfterDownload();
        return;
    }
    LogLine(L"Finish unpack thread .. Fail");
    LogLine(state_.unpacker.ErrorText());
    if (result == 1) {
        ctx_.flow->ShowMessage(GetString(19), kActionQuit, mbbOk, false);
        return;
    }
    ctx_.tray->ShowFileErrorReport(state_.unpacker.ErrorText(), state_.unpacker.ErrorValue());
}

void CUpdateCycle::processAfterDownload() {
    LogLine(L"processAfterDownload();");
    if (ctx_.client->silentDownloadActive()) {
        CFile marker(CreateFileW((ctx_.installFolder + L"\\silent.dat").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        SaveUpdateXml();
        PostMessageW(ctx_.wizard.Window(), eWindowsMessage_Exit, 2, 0);
        return;
    }
    if (!ctx_.fast && ctx_.runMode != rmDownload) {
        ctx_.installation->RunExternalApplications();
        state_.checker.WriteAppList(false);
    }
    LogLine(L"Remove tmp directory");
    RemoveStateFolder(L"tmp");
    if (ctx_.runMode == rmDownload) {
        ctx_.tasks->FinishClientTasks();
        return;
    }
    DeleteFileW((ctx_.installFolder + L"\\silent.dat").c_str());
    SaveUpdateXml();
    if (ctx_.renaming->ApplyActions(ctx_.runMode == rmInstall)) {
        ctx_.host->Exit();
        return;
    }
    if (ctx_.fast) {
        LogLine(L"Fast update finished .. OK");
        ctx_.host->Exit();
        return;
    }
    if (ctx_.runMode == rmUpdate || state_.launcherUpdatePending || ctx_.theme.singlePageMode) {
        if (!(ctx_.runByClient && !ctx_.runByClientCritical)) ctx_.client->PressLaunch();
        return;
    }
    ctx_.flow->ShowPage(kPageFinal);
}

void CUpdateCycle::SaveUpdateXml() {
    if (ctx_.installFolder.size() < 4 || manifestText_.empty()) return;
    LogLine(L"Save update.xml");
    const std::wstring path = ctx_.installFolder + L"\\update.xml";
    // A failed write keeps the old manifest whole: a cut one would mislead
    // the next fast check.
    WriteFileSafely(path, manifestText_.data(), manifestText_.size());
}

void CUpdateCycle::RemoveStateFolder(const wchar_t* name) {
    const std::wstring path = ctx_.installFolder + L"\\" + name;
    if (path.size() > 7) DeleteFolder(path);
}

void CUpdateCycle::ResumeFullUnpacking() {
    if (unpackFinishRequested_) return;
    unpackFinishRequested_ = true;
    state_.unpacker.ResumeWork();
}

void CUpdateCycle::StopWorkers(DWORD limit) {
    state_.checker.Stop(limit);
    state_.unpacker.Stop(limit);
}
