// Network errors of the update cycle: the error text (with the maintenance
// notice of a 502/503 answer), attempt counting, the four retry timers and
// switching to the next server or data-update URL. UI thread only.

#include "logic.h"

#include "logic/control_ids.h"
#include "logic/update_texts.h"
#include "net/httx_503_answer.h"
#include "startup/date_time.h"
#include "startup/format_text.h"
#include "startup/locale_picture.h"
#include "startup/text.h"

namespace {

constexpr UINT_PTR kTimerCud = 2222, kTimerLicence = 2223, kTimerManifest = 2224, kTimerFile = 2225;
constexpr int kMaxAttempts = 5;
constexpr int kEditBox = 12417;
constexpr DWORD kTimeoutCode = 12002;  // ERROR_INTERNET_TIMEOUT

const wchar_t kDashes[] =
    L"--------------------------------------------------------------------------------";

}  // namespace

void CLogic::OnNetError(int errorKind, uint32_t errorCode, uint32_t httpStatus, const std::string& text) {
    const bool maintenance = httpStatus == 502 || httpStatus == 503;
    const std::wstring systemText = errorCode ? NetSystemText(errorCode) : std::wstring();
    std::wstring message = NetErrorText(errorKind, errorCode, int(httpStatus), text, systemText);
    if (maintenance) {
        const CLauncherLang* current = languages_.tables() ? languages_.tables()->Current() : nullptr;
        const LCID lcid = current ? current->lcid() : 0;
        wchar_t date[256], time[256];
        if (LocaleFormatPicture(date, lcid, true, true, kPictureWhole) &&
            LocaleFormatPicture(time, lcid, false, false, kPictureWhole)) {
            std::string title, notice;
            bool timeShown = false;
            message = ParseHttx503Answer(text.c_str(), languages_.chosenCode().c_str(), title, notice, timeShown,
                                         lcid, date, time)
                          ? Utf8ToWide(notice)
                          : GetString(32);
            if (!timeShown) message += L"\n\n" + GetString(33);
        }
    }
    if (errorKind == CDownloader::dkUpdateXml || errorKind == CDownloader::dkUpdate) {
        if (log_) log_->WriteNewLines(1);
        LogLine(FormatText(L"Network error, Request: %s\n  .. System error code: %d, %s\n  .. Http error code: %d",
                           Utf8ToWide(lastRequest_).c_str(), int(errorCode), systemText.c_str(), int(httpStatus)));
        if (log_) log_->WriteNewLines(1);
    }
    lastErrorText_ = message;
    switch (errorKind) {
    case CDownloader::dkCud:
        LogLine(L"net error CUD file");
        ArmRetryTimer(kTimerCud);
        break;
    case CDownloader::dkKb:
        LogLine(L"net error KB file");
        wizard_.ShowMessage(10, message, mbbOk, false);
        break;
    case CDownloader::dkLicense:
        if (!maintenance) LogLine(L"net error License");
        CountAttempt(httpStatus, errorCode);
        ArmRetryTimer(kTimerLicence);
        break;
    case CDownloader::dkUpdateXml:
        CountAttempt(httpStatus, errorCode);
        ArmRetryTimer(kTimerManifest);
        break;
    case CDownloader::dkUpdate:
        CountAttempt(httpStatus, errorCode);
        ArmRetryTimer(kTimerFile);
        break;
    case CDownloader::dkKind6:
        if (!maintenance) LogLine(L"net error update Affiliate");
        break;
    default:
        break;
    }
}

void CLogic::CountAttempt(uint32_t status, uint32_t code) {
    // A server in maintenance or one that does not answer in time is not
    // asked again: the next server is tried at once.
    if (status == 503 || code == kTimeoutCode)
        attempts_ = kMaxAttempts + 1;
    else
        ++attempts_;
}

void CLogic::ArmRetryTimer(UINT_PTR id) {
    if (wizard_.Window()) SetTimer(wizard_.Window(), id, 1000, nullptr);
}

void CLogic::OnTimer(UINT_PTR id) {
    if (id < kTimerCud || id > kTimerFile) return;
    if (wizard_.Window()) KillTimer(wizard_.Window(), id);
    if (closing_) return;
    if (id == kTimerCud)
        SelectNextDataUrl();
    else
        RetryDownload(id);
}

void CLogic::RetryDownload(UINT_PTR id) {
    if (attempts_ > kMaxAttempts) {
        LogLine(L"attempts run out");
        SwitchServer(id == kTimerLicence ? 5 : id == kTimerManifest ? 6 : 7);
        return;
    }
    switch (id) {
    case kTimerLicence:
        LogLine(FormatText(L"continue downloading license attempt #%d", attempts_));
        downloader_.DownloadLicense(settings_.urlLicense);
        break;
    case kTimerManifest:
        LogLine(FormatText(L"continue downloading xml attempt #%d", attempts_));
        wizard_.SetText(ControlIdForFunc("firstpage_info"), FormatText(GetString(37).c_str(), attempts_));
        lastRequest_ = updatePath_ + "update.rxml";
        downloader_.DownloadUpdateXml(lastRequest_);
        break;
    default:
        if (paused_) return;  // resuming asks for the part again
        LogLine(FormatText(L"continue downloading attempt #%d", attempts_));
        RequestFrontItem();
        break;
    }
}

void CLogic::SwitchServer(int failureKind) {
    failureKind_ = failureKind;
    if (urlSelector_.SelectServerUrl()) {
        downloader_.SetBaseUrl(urlSelector_.selection.SelectedURL);
        RestartServerInfo();
        return;
    }
    // Every listed server failed: fresher client update data may name others.
    SelectNextDataUrl();
}

void CLogic::SelectNextDataUrl() {
    LogLine(kDashes);
    LogPart(L"Selecting update URL: ");
    if (!CUrlSelector::SelectNext(urlSelector_.face.DataUpdateURLs, urlSelector_.selectedUpdateURL, dataUrlCounter_)) {
        LogLine(L"list depleted");
        LogLine(kDashes);
        ShowServerFailure();
        return;
    }
    LogLine(debugMode_ ? Utf8ToWide(urlSelector_.selectedUpdateURL) : std::wstring(L"OK"));
    LogLine(kDashes);
    attempts_ = 1;
    downloader_.DownloadCUDFile(urlSelector_.selectedUpdateURL, userAgent_);
}

void CLogic::OnCudData(CBuffer& body) {
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

void CLogic::ShowServerFailure() {
    if (urlSelector_.face.askLoginURL) {
        wizard_.ShowMessage(kActionCustomUrl, lastErrorText_, mbbOk, true);
        wizard_.SetText(ControlIdForFunc("mbox_link"), GetString(112));
        wizard_.SetText(kEditBox, Utf8ToWide(urlSelector_.customURL));
        return;
    }
    // "Getting Server Info" failed: the user may try the manifest again.
    wizard_.ShowMessage(kActionRetryManifest, lastErrorText_, mbbRetry | mbbCancel, true);
}

void CLogic::RestartServerInfo() {
    SetProgressStage(3);
    if (runMode_ == rmInstall && !theme_.singlePageMode && termsText_.empty())
        RequestLicence();
    else
        RequestManifest();
}
