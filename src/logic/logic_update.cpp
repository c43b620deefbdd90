// The update cycle's frame: licence text, manifest, the check, the decision
// after it (processStartDownload), unpack results and the end step
// (processAfterDownload). UI thread only.

#include "logic.h"

#include "logic/control_ids.h"
#include "logic/update_texts.h"
#include "startup/folders.h"
#include "startup/format_text.h"
#include "startup/text.h"
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

void CLogic::RequestLicence() {
    attempts_ = 1;
    lastRequest_ = settings_.urlLicense;
    downloader_.DownloadLicense(lastRequest_);
}

void CLogic::RequestManifest() {
    if (checker_.IsRunning()) return;
    attempts_ = 1;
    downloader_.SetLanguage(languages_.chosenCode());
    lastRequest_ = updatePath_ + "update.rxml";
    downloader_.DownloadUpdateXml(lastRequest_);
}

void CLogic::OnLicenseData(CBuffer& body) {
    LogLine(L"License received");
    urlSelector_.AcceptCustomUrl();
    std::wstring text;
    if (!ExtractLicenceText(BufferString(body), text)) {
        OnNetError(CDownloader::dkLicense, 0, 0, std::string());
        return;
    }
    termsText_ = text;
    if (wizard_.HasControl(Id("terms"))) wizard_.SetText(Id("terms"), termsText_);
    LogLine(L"License Ready");
    RequestManifest();
}

void CLogic::OnUpdateXmlData(CBuffer& body) {
    LogLine(L"update.rxml Received");
    std::string text;
    if (!UnwrapManifest(BufferString(body), text)) {
        attempts_ = 6;
        OnNetError(CDownloader::dkUpdateXml, 0, 0, WideToUtf8(GetString(21)));
        return;
    }
    manifestText_ = text;
    urlSelector_.AcceptCustomUrl();
    LogLine(L"--- start Update.xml ---");
    LogLine(Utf8ToWide(manifestText_));
    LogLine(L"--- end Update.xml ---");
    if (runMode_ == rmUpdate) {
        LogLine(L"Load old update.xml");
        if (!ReadWholeFile(installFolder_ + L"\\update.xml", oldManifestText_, kManifestSizeLimit))
            oldManifestText_.clear();
    }
    StartCheck();
}

void CLogic::StartCheck() {
    CheckerSettings s;
    s.installFolder = installFolder_;
    s.launcherPath = installFolder_ + L"\\Launcher.exe";
    s.newManifest = manifestText_;
    s.window = wizard_.Window();
    s.platform = WindowsPlatform();
    s.language = languages_.chosenCode();
    s.queue = &queue_;
    if (fast_ && runMode_ != rmDownload && !oldManifestText_.empty()) {
        LogLine(L"Init check thread (fast mode)");
        s.oldManifest = oldManifestText_;
        s.fastCompare = true;
        s.cleanup = false;
        s.useAddPackages = true;
    } else if (runMode_ == rmDownload) {
        LogLine(L"Init check thread");
        if (clientTasks_.empty()) {
            LogLine(L"Wait task for download");
            OpenClientPipe();
            return;
        }
        s.useAddPackages = true;
        for (const ClientTask& task : clientTasks_) s.extraAddPackages.insert(task.items.begin(), task.items.end());
        checkedTasks_ = clientTasks_.size();
        waitingForTasks_ = false;
    } else {
        LogLine(L"Init check thread");
        s.cleanup = !IsClientProcessRunning() && silentMode_ == sdmFull;
        LogLine(std::wstring(L"bCanDelete = ") + (s.cleanup ? L"true" : L"false"));
        if (!(s.cleanup && FileExists(installFolder_ + L"\\silent.dat"))) s.oldManifest = oldManifestText_;
        s.useAddPackages = runMode_ == rmUpdate;
    }
    LogLine(L"Start check thread");
    checker_.Stop(INFINITE);
    checkedManifest_ = nullptr;
    checker_.Configure(s);
    checker_.Start();
    SetProgressStage(4);
}

void CLogic::OnCheckFinished(WPARAM w, LPARAM l) {
    switch (l) {
    case crServerInfoReady:
        LogLine(L"Server info ready");
        downloader_.SetClientVersion(ManifestRootAttribute(manifestText_, "clientVersion"));
        checker_.SetAddPkgFolder(installFolder_);
        if (runMode_ == rmDownload) {
            OpenClientPipe();
            checker_.Continue();
        } else if (runMode_ == rmUpdate) {
            OnControl(Id("next_icons"));
        } else if (theme_.singlePageMode && settings_.automaticInstall) {
            OnControl(Id("single_install_button_install"));
        } else {
            wizard_.ShowPage(theme_.singlePageMode ? 4 : 2, flowKind_);
        }
        return;
    case crDone:
    case crLauncherUpdate:
        if (!w) break;
        if (l == crLauncherUpdate) {
            LogLine(L"Finish check thread .. OK, only launcher update");
            newLauncherKnown_ = ReadLauncherInfo(manifestText_, launcherInfo_);
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
    wizard_.ShowMessage(kActionQuit, GetString(21), mbbOk, false);
}

void CLogic::ContinueAfterCheck() {
    std::vector<ProgramChange> changes;
    if (checker_.GetShortcutChanges(changes) && !changes.empty() && !portable_ && runMode_ != rmDownload) {
        assistantIcons_.clear();
        for (const ProgramChange& c : changes) {
            LauncherAssistantIcon icon;
            icon.name.assign(c.name.begin(), c.name.end());
            icon.exec.assign(c.exec.begin(), c.exec.end());
            icon.action = c.add ? 1 : 0;
            assistantIcons_.push_back(icon);
        }
        if (RunAssistant(5)) return;  // the icon result continues with processStartDownload
    }
    processStartDownload();
}

bool CLogic::processStartDownload() {
    LogLine(L"processStartDownload();");
    if (settings_.silentDownload && runMode_ != rmDownload) {
        bool canRun = checker_.CanRunResult() && !(runByClient_ && runByClientCritical_);
        std::wstring blocker = checker_.RunBlocker();
        if (runByClient_ && !runByClientCritical_ && newLauncherKnown_) {
            LogLine(L"  .. runByClient - new launcher available, exit");
            Exit();
            return false;
        }
        const HWND window = FindClientWindow();
        const bool clientRunning = IsClientProcessRunning();
        if (FileExists(installFolder_ + L"\\silent.dat")) {
            if (window && !restart_) {
                if (silentMode_ == sdmFull) silentMode_ = sdmRun;
            } else {
                canRun = false;
                if (restart_) blocker += L"run blocker: [silent restart]";
            }
        }
        LogLine(std::wstring(L"bCanRun = ") + (canRun ? L"true" : L"false"));
        if (!canRun) LogLine(L"  .. " + blocker);
        bool empty;
        {
            CCriticalSection::Scope lock(checker_.Lock());
            empty = queue_.items.empty() && !newLauncherKnown_;
        }
        if (silentMode_ == sdmRun) {
            if (!canRun) {
                NotifyOtherInstances(0);
                Exit();
                return false;
            }
            if (runByClient_) {
                if (!window) NotifyOtherInstances(0);
                Exit();
                return false;
            }
            if (debugMode_ || config_.multiRun || !window) {
                PressLaunch();
                return true;
            }
            FocusClientWindow(window);
            Exit();
            return false;
        }
        if (silentMode_ == sdmFull && canRun) {
            if (!empty) {
                SetSilentDownload(true);
            } else {
                SaveUpdateXml();
                bool exitRequested = false;
                RunConfiguredActions(exitRequested);
                if (exitRequested || runByClient_) {
                    Exit();
                    return false;
                }
                if (!window || debugMode_ || config_.multiRun) {
                    PressLaunch();
                    return true;
                }
                FocusClientWindow(window);
                Exit();
                return false;
            }
        } else if (silentMode_ == sdmFull) {
            if (clientRunning) {
                if (runByClient_) {
                    SetSilentDownload(true);
                } else {
                    if (window) FocusClientWindow(window);
                    Exit();
                    return false;
                }
            }
        }
    }
    if (theme_.singlePageMode) wizard_.ShowControl(Id("single_install_spriterange_wait"), false);
    StartUnpacker();
    CreateFolderTree(installFolder_ + L"\\tmp");
    if (runMode_ != rmDownload) {
        LogLine(L"Remove ext directory");
        RemoveStateFolder(L"ext");
        checker_.WriteAppList(true);
    }
    if (closing_) return false;
    bool handedOver = false, queued = false;
    if (runMode_ == rmInstall || runMode_ == rmUpdate || runMode_ == rmDownload) {
        if (newLauncherKnown_) {
            ClearQueue();
            handedOver = QueueLauncherDownload();
        } else {
            handedOver = PrepareFileDownloads();
        }
    }
    {
        CCriticalSection::Scope lock(checker_.Lock());
        queued = !queue_.items.empty();
    }
    if (queued || handedOver) {
        RefreshProgress();
        if (!EnoughDiskSpace()) {
            wizard_.ShowMessage(0, GetString(22), mbbOk, false);
            return false;
        }
        if (!theme_.singlePageMode) wizard_.ShowPage(3, flowKind_);
        StartNextDownload();
    } else {
        processAfterDownload();
    }
    return true;
}

void CLogic::StartUnpacker() {
    if (unpacker_.HasThread()) return;
    LogLine(L"Init/start unpack thread");
    unpacker_.Configure(installFolder_, wizard_.Window(), !silentDownloadActive_, runMode_ == rmDownload);
    unpackFinishRequested_ = false;
    unpacker_.Start();
}

void CLogic::OnUnpackFinished(LPARAM result) {
    if (result == 0) {
        LogLine(L"Finish unpack thread .. OK");
        if (launcherUpdatePending_) {
            if (!(runByClient_ && !runByClientCritical_)) PressLaunch();
            return;
        }
        processAfterDownload();
        return;
    }
    LogLine(L"Finish unpack thread .. Fail");
    LogLine(unpacker_.ErrorText());
    if (result == 1) {
        wizard_.ShowMessage(kActionQuit, GetString(19), mbbOk, false);
        return;
    }
    ShowFileErrorReport(unpacker_.ErrorText(), unpacker_.ErrorValue());
}

void CLogic::processAfterDownload() {
    LogLine(L"processAfterDownload();");
    if (silentDownloadActive_) {
        CFile marker(CreateFileW((installFolder_ + L"\\silent.dat").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        SaveUpdateXml();
        PostMessageW(wizard_.Window(), eWindowsMessage_Exit, 2, 0);
        return;
    }
    if (!fast_ && runMode_ != rmDownload) {
        RunExternalApplications();
        checker_.WriteAppList(false);
    }
    LogLine(L"Remove tmp directory");
    RemoveStateFolder(L"tmp");
    if (runMode_ == rmDownload) {
        FinishClientTasks();
        return;
    }
    DeleteFileW((installFolder_ + L"\\silent.dat").c_str());
    SaveUpdateXml();
    bool exitRequested = false;
    RunConfiguredActions(exitRequested);
    if (exitRequested) {
        Exit();
        return;
    }
    if (fast_) {
        LogLine(L"Fast update finished .. OK");
        Exit();
        return;
    }
    if (runMode_ == rmUpdate || launcherUpdatePending_ || theme_.singlePageMode) {
        if (!(runByClient_ && !runByClientCritical_)) PressLaunch();
        return;
    }
    wizard_.ShowPage(4, flowKind_);
}

void CLogic::SaveUpdateXml() {
    if (installFolder_.size() < 4 || manifestText_.empty()) return;
    LogLine(L"Save update.xml");
    const std::wstring path = installFolder_ + L"\\update.xml";
    CFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file.IsValid() || !WriteFile(file.Get(), manifestText_.data(), DWORD(manifestText_.size()), &written, nullptr) ||
        written != manifestText_.size()) {
        file.Reset();
        DeleteFileW(path.c_str());  // a cut manifest would mislead the next fast check
    }
}

void CLogic::RemoveStateFolder(const wchar_t* name) {
    const std::wstring path = installFolder_ + L"\\" + name;
    if (path.size() > 7) DeleteFolder(path);
}

void CLogic::ResumeFullUnpacking() {
    if (unpackFinishRequested_) return;
    unpackFinishRequested_ = true;
    unpacker_.ResumeWork();
}
