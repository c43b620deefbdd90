#pragma once
// The link to the update server: the transport and the downloader (brought
// up by StartWork, down by uninit), the client update data with the server
// URL selection, and what happens when a request fails: attempt counting,
// the one-second retry timers 2222 ... 2225 and moving on to the next
// server or data-update URL. The downloader's notifications arrive here
// and go to the update cycle and the downloads. UI thread only.

#include "logic/logic_context.h"
#include "net/downloader.h"
#include "net/net_transport.h"
#include "update/url_selector.h"

#include <memory>
#include <string>

class CServerLink : public IDownloaderNotify {
public:
    explicit CServerLink(LogicContext& ctx) : ctx_(ctx) {}

    // Client update data (CUD.dat) and the first server URL; throws
    // CLauncherError when either fails.
    bool PrepareClientUpdateData();
    void SaveClientUpdateData();
    std::wstring CurrentServerUrl() const;

    bool StartNetwork();
    void StopNetwork();
    bool ready() const { return networkReady_; }
    CDownloader& downloader() { return downloader_; }
    CUrlSelector& selector() { return urlSelector_; }

    // Requests of the update cycle count their attempts here; the last one
    // is named in the failure log.
    int attempts() const { return attempts_; }
    void SetAttempts(int attempts) { attempts_ = attempts; }
    void SetLastRequest(const std::string& request) { lastRequest_ = request; }
    void SetLastErrorText(const std::wstring& text) { lastErrorText_ = text; }

    void CountAttempt(uint32_t status, uint32_t code, bool wholeAnswer);
    void ArmRetryTimer(UINT_PTR id);
    void RetryDownload(UINT_PTR id);
    // Timers 2222 ... 2225; other timers are not this link's.
    void OnTimer(UINT_PTR id);
    void RestartServerInfo();
    // The user's own server address from the message page's edit box.
    void OnCustomUrlEntered(const std::wstring& text, int action);

    // IDownloaderNotify.
    void OnCudData(CBuffer& body) override;
    void OnKbProgress(uint32_t received, int32_t size) override;
    void OnKbData(CBuffer& body) override;
    void OnLicenseData(CBuffer& body) override;
    void OnUpdateXmlData(CBuffer& body) override;
    void OnSignatureData(CBuffer& body) override;
    void OnUpdatePiece(CBuffer& piece) override;
    void OnUpdateData(CBuffer& body, bool partial) override;
    void OnUpdateFileDone() override;
    void OnUpdateProgress(uint32_t bytes, bool add) override;
    void OnKind6Complete() override;
    void OnNetError(int errorKind, uint32_t errorCode, uint32_t httpStatus, const std::string& text) override;

private:
    void CheckConfigStamp(const std::wstring& folder);
    void SwitchServer();
    void SelectNextDataUrl();
    void ShowServerFailure();

    LogicContext& ctx_;
    // The transport outlives the downloader, its client.
    std::unique_ptr<NetEx::CNetTransport> transport_;
    CDownloader downloader_;
    bool networkReady_ = false;
    CUrlSelector urlSelector_;
    std::string userAgent_;
    std::wstring cudPath_;
    int attempts_ = 0;
    std::wstring lastErrorText_;
    std::string lastRequest_;
    int dataUrlCounter_ = 0;
};
