// The link to the update server: network start and stop, the client update
// data (CUD.dat next to the installation, with the stamp of the embedded
// configuration that decides whether it is still valid), server selection,
// network errors with the maintenance notice of a 502/503 answer, attempt
// counting and the retry timers. UI thread only.

#include "logic/server_link.h"

#include "logic/control_ids.h"
#include "logic/downloads.h"
#include "logic/runtime_update.h"
#include "logic/update_cycle.h"
#include "logic/update_texts.h"
#include "logic/wizard_flow.h"
#include "net/httx_503_answer.h"
#include "startup/date_time.h"
#include "startup/format_text.h"
#include "startup/launcher_error.h"
#include "startup/locale_picture.h"
#include "startup/log_files.h"
#include "startup/module.h"
#include "startup/module_resources.h"
#include "startup/text.h"
#include "startup/window_messages.h"
#include "update/cud_cipher.h"

namespace {

constexpr DWORD kStartLimit = 5000;
constexpr DWORD kStopLimit = 5000;
constexpr uint32_t kTraceBufferSize = 4096;
constexpr UINT_PTR kTimerCud = eWindowTimer_RetryCud, kTimerLicence = eWindowTimer_RetryLicence,
                   kTimerManifest = eWindowTimer_RetryManifest, kTimerFile = eWindowTimer_RetryFile;
constexpr int kMaxAttempts = 5;
constexpr int kEditBox = 12417;
constexpr DWORD kTimeoutCode = 12002;  // ERROR_INTERNET_TIMEOUT

const wchar_t kDashes[] =
    L"--------------------------------------------------------------------------------";

// Debuggers show the downloader's name on the logic thread.
void AnnounceThreadName(const wchar_t* name) {
    using SetDescriptionFn = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    auto fn = reinterpret_cast<SetDescriptionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
    if (fn) fn(GetCurrentThread(), name);
}

void LogCudText(void*, const std::string& text, bool endLine) {
    if (endLine)
        LogLine(Utf8ToWide(text));
    else
        LogPart(Utf8ToWide(text));
}

}  // namespace

bool CServerLink::StartNetwork() {
    transport_ = std::make_unique<NetEx::CNetTransport>();
    if (!transport_->Start(kStartLimit)) {
        transport_.reset();
        return false;
    }
    NetEx::OpenRecord open;
    open.agent = "Mozilla/5.0 (Trident/7.0; rv:11.0)";
    open.accessType = INTERNET_OPEN_TYPE_PRECONFIG;
    if (!transport_->OpenInternet(open)) {
        transport_->PostQuit();
        transport_->Stop(kStopLimit);
        transport_.reset();
        return false;
    }
    LogLine(L"Net transport successfully initialized");
    if (ctx_.config.logHTTP) {
        auto* trace = new NetEx::TraceConfig;
        trace->enabled = 1;
        trace->flushEachRecord = 1;
        trace->directory = OwnFolder() + L"\\";
        trace->bufferSize = kTraceBufferSize;
        trace->maxBlock = kTraceBufferSize;
        transport_->SetTraceConfig(trace);
    }
    downloader_.SetName("CLogic thread");
    AnnounceThreadName(L"CLogic thread");
    downloader_.SetTransport(transport_.get());
    downloader_.SetNotify(this);
    downloader_.SetLog(ctx_.log);
    downloader_.SetTlsRelaxed(ctx_.settings.tlsRelaxed);
    if (ctx_.settings.tlsRelaxed) LogLine(L"Server certificates are not checked (tls relaxed)");
    LogLine(L"Downloader successfully initialized");
    downloader_.SetBaseUrl(urlSelector_.selection.SelectedURL);
    downloader_.SetWindow(ctx_.wizard.Window());
    networkReady_ = true;
    return true;
}

void CServerLink::StopNetwork() {
    LogPart(L"Downloader uninit .. ");
    LogLine(downloader_.RemoveAllContexts(kStopLimit) ? L"OK" : L"timed out");
    downloader_.SetTransport(nullptr);
    downloader_.SetNotify(nullptr);
    downloader_.SetWindow(nullptr);
    LogPart(L"Net transport shutdown .. ");
    transport_->PostQuit();
    LogLine(transport_->Stop(kStopLimit) ? L"OK" : L"timed out");
    transport_.reset();
    networkReady_ = false;
}

// CIF.dat holds the CRC-32 of the embedded config.xml. CUD.dat written by a
// build with another configuration no longer belongs to this one.
void CServerLink::CheckConfigStamp(const std::wstring& folder) {
    const uint32_t crc = ctx_.config.crc;
    const char stamp[4] = {char(crc), char(crc >> 8), char(crc >> 16), char(crc >> 24)};
    const std::wstring cifPath = folder + L"\\CIF.dat";

    CFile file(CreateFileW(cifPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    char stored[5] = {};
    DWORD got = 0;
    if (file.IsValid() && ReadFile(file.Get(), stored, sizeof stored, &got, nullptr) && got == 4 &&
        memcmp(stored, stamp, 4) == 0)
        return;
    file.Reset();
    DeleteFileW(cudPath_.c_str());
    file.Reset(CreateFileW(cifPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file.IsValid()) WriteFile(file.Get(), stamp, 4, &written, nullptr);
}

bool CServerLink::PrepareClientUpdateData() {
    const std::wstring folder = ctx_.installFolder.empty() ? OwnFolder() : ctx_.installFolder;
    cudPath_ = folder + L"\\CUD.dat";
    CheckConfigStamp(folder);
    const std::vector<std::string> serverUrls = ReadServerUrlSlot();
    urlSelector_.SetKey(kLauncherCudKey);
    urlSelector_.SetLogCallback(LogCudText, nullptr);
    const tinyxml2::XMLElement* shipped = ctx_.config.root()->FirstChildElement("ClientUpdateData");
    if (!urlSelector_.Init(shipped, &serverUrls, cudPath_, ctx_.debugMode))
        throw CLauncherError{"Failed to initialize client update data"};
    if (!urlSelector_.SelectServerUrl()) throw CLauncherError{"Failed to select server URL"};
    userAgent_ = "User-Agent: " + urlSelector_.face.id + " " + WideToUtf8(ReadFileVersion(ModulePath(nullptr))) + "\r\n";
    return true;
}

void CServerLink::SaveClientUpdateData() {
    if (urlSelector_.initialized) urlSelector_.SaveCudFile(true);
}

std::wstring CServerLink::CurrentServerUrl() const { return Utf8ToWide(urlSelector_.selection.SelectedURL); }

void CServerLink::OnNetError(int errorKind, uint32_t errorCode, uint32_t httpStatus, const std::string& answer) {
    std::string text = answer;
    if (errorKind == CDownloader::dkSignature) {
        // The signature belongs to the manifest: its failures are the
        // manifest's. A server that has none (404, 403, ...) serves an
        // unsigned set, refused like an unreadable manifest.
        errorKind = CDownloader::dkUpdateXml;
        if (httpStatus >= 400 && httpStatus < 500) {
            LogLine(FormatText(L"update.rxml refused: no signature file (HTTP status %d)", int(httpStatus)));
            attempts_ = kMaxAttempts + 1;
            text = WideToUtf8(GetString(21));
        } else {
            LogLine(L"update.rxml signature not received");
        }
    }
    const bool maintenance = httpStatus == 502 || httpStatus == 503;
    const std::wstring systemText = errorCode ? NetSystemText(errorCode) : std::wstring();
    std::wstring message = NetErrorText(errorKind, errorCode, int(httpStatus), text, systemText);
    if (maintenance) {
        const CLauncherLang* current = ctx_.languages.tables() ? ctx_.languages.tables()->Current() : nullptr;
        const LCID lcid = current ? current->lcid() : 0;
        wchar_t date[256], time[256];
        if (LocaleFormatPicture(date, lcid, true, true, kPictureWhole) &&
            LocaleFormatPicture(time, lcid, false, false, kPictureHoursMinutes)) {
            std::string title, notice;
            bool timeShown = false;
            message = ParseHttx503Answer(text.c_str(), ctx_.languages.chosenCode().c_str(), title, notice, timeShown,
                                         lcid, date, time)
                          ? Utf8ToWide(notice)
                          : GetString(32);
            if (!timeShown) message += L"\n\n" + GetString(33);
        }
    }
    if (errorKind == CDownloader::dkUpdateXml || errorKind == CDownloader::dkUpdate) {
        if (ctx_.log) ctx_.log->WriteNewLines(1);
        LogLine(FormatText(L"Network error, Request: %s\n  .. System error code: %d, %s\n  .. Http error code: %d",
                           Utf8ToWide(lastRequest_).c_str(), int(errorCode), systemText.c_str(), int(httpStatus)));
        if (ctx_.log) ctx_.log->WriteNewLines(1);
    }
    lastErrorText_ = message;
    switch (errorKind) {
    case CDownloader::dkCud:
        LogLine(L"net error CUD file");
        ArmRetryTimer(kTimerCud);
        break;
    case CDownloader::dkKb:
        LogLine(L"net error KB file");
        ctx_.flow->ShowMessage(message, kActionQuit, mbbOk, false);
        break;
    case CDownloader::dkLicense:
        if (!maintenance) LogLine(L"net error License");
        CountAttempt(httpStatus, errorCode, true);
        ArmRetryTimer(kTimerLicence);
        break;
    case CDownloader::dkUpdateXml:
        CountAttempt(httpStatus, errorCode, true);
        ArmRetryTimer(kTimerManifest);
        break;
    case CDownloader::dkUpdate:
        CountAttempt(httpStatus, errorCode, false);
        ArmRetryTimer(kTimerFile);
        break;
    case CDownloader::dkKind6:
        if (!maintenance) LogLine(L"net error update Affiliate");
        break;
    default:
        break;
    }
}

void CServerLink::CountAttempt(uint32_t status, uint32_t code, bool wholeAnswer) {
    // A server in maintenance, one that does not answer in time and one
    // whose whole answer is over the size limit (it would be as large
    // again) is not asked again: the next server is tried at once. A part
    // over its range's length is a broken transfer like any other.
    if (status == 503 || code == kTimeoutCode || (wholeAnswer && code == ERROR_FILE_TOO_LARGE))
        attempts_ = kMaxAttempts + 1;
    else
        ++attempts_;
}

void CServerLink::ArmRetryTimer(UINT_PTR id) {
    ctx_.wizard.StartTimer(id, 1000);
}

void CServerLink::OnTimer(UINT_PTR id) {
    if (id < kTimerCud || id > kTimerFile) return;
    ctx_.wizard.StopTimer(id);
    if (ctx_.closing) return;
    if (id == kTimerCud)
        SelectNextDataUrl();
    else
        RetryDownload(id);
}

void CServerLink::RetryDownload(UINT_PTR id) {
    if (attempts_ > kMaxAttempts) {
        LogLine(L"attempts run out");
        SwitchServer();
        return;
    }
    switch (id) {
    case kTimerLicence:
        LogLine(FormatText(L"continue downloading license attempt #%d", attempts_));
        downloader_.DownloadLicense(ctx_.settings.urlLicense);
        break;
    case kTimerManifest:
        LogLine(FormatText(L"continue downloading xml attempt #%d", attempts_));
        ctx_.wizard.SetText(ControlIdForFunc("firstpage_info"), FormatText(GetString(37).c_str(), attempts_));
        lastRequest_ = ctx_.updatePath + "update.rxml";
        downloader_.DownloadUpdateXml(lastRequest_);
        break;
    default:
        if (ctx_.downloads->paused()) return;  // resuming asks for the part again
        LogLine(FormatText(L"continue downloading attempt #%d", attempts_));
        ctx_.downloads->RequestFrontItem();
        break;
    }
}

void CServerLink::SwitchServer() {
    if (urlSelector_.SelectServerUrl()) {
        downloader_.SetBaseUrl(urlSelector_.selection.SelectedURL);
        RestartServerInfo();
        return;
    }
    // Every listed server failed: fresher client update data may name others.
    SelectNextDataUrl();
}

void CServerLink::SelectNextDataUrl() {
    LogLine(kDashes);
    LogPart(L"Selecting update URL: ");
    if (!CUrlSelector::SelectNext(urlSelector_.face.DataUpdateURLs, urlSelector_.selectedUpdateURL, dataUrlCounter_)) {
        LogLine(L"list depleted");
        LogLine(kDashes);
        ShowServerFailure();
        return;
    }
    LogLine(ctx_.debugMode ? Utf8ToWide(urlSelector_.selectedUpdateURL) : std::wstring(L"OK"));
    LogLine(kDashes);
    attempts_ = 1;
    downloader_.DownloadCUDFile(urlSelector_.selectedUpdateURL, userAgent_);
}

void CServerLink::OnCudData(CBuffer& body) {
    urlSelector_.AcceptCustomUrl();
    if (urlSelector_.MergeIncoming(BufferString(body))) {
        urlSelector_.SaveCudFile(true);
        if (urlSelector_.SelectServerUrl()) {
            downloader_.SetBaseUrl(urlSelector_.selection.SelectedURL);
            RestartServerInfo();
            return;
        }
    }
    SelectNextDataUrl();
}

void CServerLink::ShowServerFailure() {
    if (urlSelector_.face.askLoginURL) {
        ctx_.flow->ShowMessage(lastErrorText_, kActionCustomUrl, mbbOk, true, kExtraEdit);
        ctx_.wizard.SetText(ControlIdForFunc("mbox_link"), GetString(112));
        ctx_.wizard.SetText(kEditBox, Utf8ToWide(urlSelector_.customURL));
        return;
    }
    // "Getting Server Info" failed: the user may try the manifest again.
    ctx_.flow->ShowMessage(lastErrorText_, kActionRetryManifest, mbbRetry | mbbCancel, true);
}

void CServerLink::RestartServerInfo() {
    ctx_.host->SetProgressStage(3);
    if (ctx_.runMode == rmInstall && !ctx_.theme.singlePageMode && !ctx_.update->HasTerms())
        ctx_.update->RequestLicence();
    else
        ctx_.update->RequestManifest();
}

void CServerLink::OnCustomUrlEntered(const std::wstring& text, int action) {
    if (urlSelector_.SetCustomUrl(WideToUtf8(text))) {
        downloader_.SetBaseUrl(urlSelector_.selection.SelectedURL);
        RestartServerInfo();
    } else {
        ctx_.flow->ShowMessage(lastErrorText_, action, mbbOk, true, kExtraEdit);
    }
}

// The update cycle's answers go to their collaborators.
void CServerLink::OnLicenseData(CBuffer& body) { ctx_.update->OnLicenseData(body); }
void CServerLink::OnUpdateXmlData(CBuffer& body) { ctx_.update->OnUpdateXmlData(body); }
void CServerLink::OnSignatureData(CBuffer& body) { ctx_.update->OnSignatureData(body); }
void CServerLink::OnUpdatePiece(CBuffer& piece) { ctx_.downloads->OnUpdatePiece(piece); }
void CServerLink::OnUpdateData(CBuffer& body, bool partial) { ctx_.downloads->OnUpdateData(body, partial); }
void CServerLink::OnUpdateFileDone() { ctx_.downloads->OnUpdateFileDone(); }
void CServerLink::OnUpdateProgress(uint32_t bytes, bool add) { ctx_.downloads->OnUpdateProgress(bytes, add); }
void CServerLink::OnKbProgress(uint32_t received, int32_t size) { ctx_.runtime->OnKbProgress(received, size); }
void CServerLink::OnKbData(CBuffer& body) { ctx_.runtime->OnKbData(body); }
// No download of this launcher is of kind 6.
void CServerLink::OnKind6Complete() {}
