#include "logic/runtime_update.h"

#include "logic/assistant_link.h"
#include "logic/control_ids.h"
#include "logic/installation.h"
#include "logic/language_texts.h"
#include "logic/server_link.h"
#include "logic/wizard_flow.h"
#include "startup/folders.h"
#include "startup/format_text.h"
#include "startup/handle.h"
#include "system/runtime_update_url.h"

#include <algorithm>

namespace {

constexpr wchar_t kPackageName[] = L"KB2999226.msu";
// The real packages are under 2 MiB; anything far larger is not one.
constexpr uint64_t kMaxPackageBytes = 64ull << 20;
// The bar's length while the server does not say the size.
constexpr double kAssumedBytes = 1024000;

bool Loads(const wchar_t* name) {
    HMODULE module = LoadLibraryW(name);
    if (!module) return false;
    FreeLibrary(module);
    return true;
}

}  // namespace

void CRuntimeUpdate::CheckRuntime() { CheckRuntime(ctx_.os.info(), ctx_.os.is64Bit(), Loads); }

void CRuntimeUpdate::CheckRuntime(const OSVERSIONINFOEXW& v, bool is64Bit, LibraryProbe loads) {
    kbUrl_.clear();
    if (v.dwMajorVersion >= 10) {
        ctx_.runtimePresent = true;
        return;
    }
    LogLine(L"Checking for UCRT...");
    int failures = 0;
    for (const wchar_t* name : {L"api-ms-win-crt-runtime-l1-1-0.dll", L"api-ms-win-crt-heap-l1-1-0.dll",
                                L"api-ms-win-crt-string-l1-1-0.dll", L"api-ms-win-core-memory-l1-1-0.dll"})
        if (!loads(name)) ++failures;
    ctx_.runtimePresent = failures == 0;
    LogLine(ctx_.runtimePresent ? L"UCRT is present, OK" : L"UCRT is not present!");
    if (!ctx_.runtimePresent)
        kbUrl_ = RuntimeUpdateUrl(v.dwMajorVersion, v.dwMinorVersion, v.wProductType == VER_NT_WORKSTATION, is64Bit);
}

void CRuntimeUpdate::AskForRuntimeUpdate() {
    if (!kbUrl_.empty())
        ctx_.flow->ShowMessage(GetString(113), kActionRuntimeUpdate, mbbYes | mbbNo, false, kExtraLink);
    else
        ctx_.flow->ShowMessage(GetString(114), kActionRuntimeUpdate, mbbOk, false, kExtraLink);
    ctx_.wizard.SetText(ControlIdForFunc("mbox_link"), GetString(117));
}

int CRuntimeUpdate::ProgressLabel() const {
    return ControlIdForFunc(ctx_.theme.singlePageMode ? "single_install_text_progress_info" : "download_info");
}

int CRuntimeUpdate::ProgressBar() const {
    return ControlIdForFunc(ctx_.theme.singlePageMode ? "single_install_progress" : "download_progress");
}

void CRuntimeUpdate::StartDownload(const std::string& url) {
    if (ctx_.theme.singlePageMode) {
        ctx_.flow->ShowPage(kSinglePageInstall);
        ctx_.wizard.ShowControl(ControlIdForFunc("single_install_spriterange_wait"), false);
        ctx_.wizard.SetProgress(ProgressBar(), 0);
    } else {
        ctx_.flow->ShowPage(kPageDownload);
    }
    ctx_.wizard.SetText(ProgressLabel(), GetString(18));
    refused_ = false;
    announced_ = 0;
    ctx_.server->downloader().DownloadKB(url);
}

void CRuntimeUpdate::OnKbProgress(uint32_t received, int32_t size) {
    if (refused_) return;
    if (size > 0) announced_ = size;
    LogLine(FormatText(L"KB file part received: %d of %d", int(received), int(size)));
    // A package the server announces, or delivers, far beyond any real one
    // is given up before it fills the memory or the disk.
    if ((size > 0 && uint64_t(size) > kMaxPackageBytes) || received > kMaxPackageBytes) {
        DownloadFailed(L"larger than any runtime package");
        return;
    }
    const double r = received / 1024.0;
    const double s = (size > 0 ? double(size) : kAssumedBytes) / 1024.0;
    ctx_.wizard.SetText(ProgressLabel(), size > 0 ? FormatText(GetString(4).c_str(), r, s)
                                                  : FormatText(GetString(5).c_str(), r));
    ctx_.wizard.SetProgress(ProgressBar(), int(std::clamp(r * 100 / s, 0.0, 100.0)));
}

void CRuntimeUpdate::OnKbData(CBuffer& body) {
    if (refused_) return;
    const uint32_t n = uint32_t(body.length());
    const bool cut = announced_ > 0 && n != uint32_t(announced_);
    OnKbProgress(n, int32_t(n));
    if (refused_) return;
    if (n == 0 || cut) {
        DownloadFailed(n == 0 ? L"empty answer" : L"shorter or longer than announced");
        return;
    }
    const std::wstring path = GetTempFolder() + kPackageName;
    {
        CFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid()) {
            LogLine(FormatText(L"Failed to open '%s' for writing.", kPackageName));
            DownloadFailed(L"cannot be saved");
            return;
        }
        DWORD written = 0;
        if (!WriteFile(file.Get(), body.data(), n, &written, nullptr) || written != n) {
            LogLine(FormatText(L"Failed to write '%s'.", kPackageName));
            file.Reset();
            DeleteFileW(path.c_str());  // a torn package must not be installed later
            DownloadFailed(L"cannot be saved");
            return;
        }
    }
    LogLine(FormatText(L"File '%s' saved, %d bytes.", kPackageName, int(n)));
    ctx_.host->SetProgressStage(7);
    LogLine(L"Installing KB2999226...");
    ctx_.assistant->RunAssistant(eLauncherCmd_InstallKB);
}

// The player is told, as for a download the network broke off, and the
// launcher ends with OK.
void CRuntimeUpdate::DownloadFailed(const wchar_t* why) {
    refused_ = true;
    LogLine(std::wstring(L"KB file refused: ") + why);
    ctx_.flow->ShowMessage(GetString(115), kActionQuit, mbbOk, false);
}

bool CRuntimeUpdate::ResumeAfterRuntimeUpdate() {
    ctx_.runtimePresent = true;
    const std::string& selected = ctx_.server->selector().selection.SelectedURL;
    if (!selected.empty()) ctx_.server->downloader().SetBaseUrl(selected);
    if (!ctx_.installation->CheckRightsBeforeUpdate()) return false;
    return ctx_.host->StartWork();
}

void CRuntimeUpdate::OnAssistantResult(int32_t result) {
    if (result == 0)
        ResumeAfterRuntimeUpdate();
    else
        ctx_.flow->ShowMessage(GetString(116), kActionQuit, mbbOk, false);
}
