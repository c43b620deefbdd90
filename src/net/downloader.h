#pragma once
// The launcher's only network client: turns the logic's wishes into
// requests over one context, follows redirects (at most two), learns the
// size of the KB file with a HEAD probe, and reports to IDownloaderNotify.
//
// Threads: the Download* operations, HandleMessage and every notification
// run on the logic's thread. The transport callbacks run on the transport
// thread and only post eWindowsMessage_DownloadProgress (2714) and
// eWindowsMessage_DownloadComplete (2715) to the logic's window, which
// hands them back through HandleMessage. One download runs at a time.

#include "net/downloader_notify.h"
#include "net/net_client.h"
#include "startup/log_impl.h"
#include "startup/window_messages.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

class CDownloader : public NetEx::CNetClient {
public:
    enum EKind { dkNone = 0, dkCud = 1, dkKb = 2, dkLicense = 3, dkUpdateXml = 4, dkUpdate = 5, dkKind6 = 6,
                 dkSignature = 7 };
    static constexpr UINT kProgressMessage = eWindowsMessage_DownloadProgress;
    static constexpr UINT kCompleteMessage = eWindowsMessage_DownloadComplete;
    // wParam of kCompleteMessage: lParam holds a request, or an error record
    // of the transport (a context that could not be created, ...).
    static constexpr WPARAM kCarriesRequest = 0;
    static constexpr WPARAM kCarriesError = 1;
    // ... or a piece of a file part on its way (UpdatePiece).
    static constexpr WPARAM kCarriesPiece = 2;

    CDownloader();
    ~CDownloader() override;

    void SetNotify(IDownloaderNotify* notify) { notify_ = notify; }
    void SetLog(CLogImplW* log) { log_ = log; }
    void SetName(const std::string& name) { name_ = name; }
    void SetBaseUrl(const std::string& url) { baseUrl_ = url; }
    void SetLanguage(const std::string& language) { language_ = language; }
    void SetClientVersion(const std::string& version) { clientVersion_ = version; }
    void SetWindow(HWND window) { window_ = window; }
    // Accept certificates that are expired, name another server or come
    // from an unknown authority (the configuration's tls/@relaxed).
    void SetTlsRelaxed(bool relaxed) { tlsRelaxed_ = relaxed; }
    const std::string& baseUrl() const { return baseUrl_; }
    int kind() const { return kind_; }
    int32_t kbSize() const { return kbSize_; }

    bool DownloadCUDFile(const std::string& url, const std::string& header);
    bool DownloadKB(const std::string& url);
    bool DownloadLicense(const std::string& url);
    bool DownloadUpdateXml(const std::string& path);
    // The manifest's signature file: a small answer (kSignatureAnswerLimit).
    bool DownloadSignature(const std::string& path);
    static constexpr uint32_t kSignatureAnswerLimit = 1024;
    // Bytes begin..begin+length of the file (to its end for length 0).
    bool DownloadUpdate(const std::string& path, uint64_t begin, uint64_t length);

    // The logic forwards messages 2714 and 2715 here; true when handled.
    bool HandleMessage(UINT message, WPARAM w, LPARAM l);

    // Transport thread.
    void OnRequestProgress(NetEx::IRequestHttx* request) override;
    void OnRequestPiece(NetEx::IRequestHttx* request, CBuffer& piece) override;
    void OnRequestComplete(NetEx::IRequestHttx* request) override;
    void OnError(NetEx::ErrorRecord* record) override;

private:
    // Makes the request for download `kind` over the context of baseUrl_,
    // as a new download; the answer may hold at most bodyLimit bytes.
    NetEx::IRequestHttx* MakeRequest(int kind, const std::string& url, uint32_t verb, uint32_t readSize,
                                     bool traceResponseHeaders, uint32_t bodyLimit);
    // Each context gets a new id, so that the transport's errors about an
    // earlier one (that failed or was replaced) are told apart.
    bool OpenContext(const std::string& url);
    // Starts download `kind`: answers of earlier ones are dropped from now on.
    void Begin(int kind);
    bool Refuse();
    // Whether an error of the transport is about the current download; an
    // error about the current context as a whole also forgets that context.
    bool ErrorIsCurrent(const NetEx::ErrorRecord& record);
    void HandleCompletion(NetEx::IRequestHttx* request);
    void Fail(NetEx::IRequestHttx& request);
    void FollowRedirect(NetEx::IRequestHttx& request);
    void FinishProbe(NetEx::IRequestHttx& request);
    void Log(const std::string& line);
    void LogEmpty();

    std::string name_;
    IDownloaderNotify* notify_ = nullptr;
    CLogImplW* log_ = nullptr;
    std::string clientVersion_;
    std::string baseUrl_;
    std::string contextUrl_;
    std::string language_;
    int32_t contextId_ = 0;
    int32_t nextContextId_ = 0;
    // Numbers the downloads; each request carries its download's number as
    // its client value, so that answers of earlier downloads are dropped.
    std::atomic<uint32_t> download_{0};
    uint32_t timeout_ = 15000;
    uint32_t growth_ = 0x400000;
    bool tlsRelaxed_ = false;
    std::atomic<int> kind_{dkNone};
    uint32_t received_ = 0;
    int32_t kbSize_ = 0;
    std::atomic<HWND> window_{nullptr};
};
