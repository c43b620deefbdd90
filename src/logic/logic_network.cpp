// Bringing the network up in StartWork and down in uninit.

#include "logic.h"

#include "startup/module.h"
#include "startup/text.h"

namespace {

constexpr DWORD kStartLimit = 5000;
constexpr DWORD kStopLimit = 5000;
constexpr uint32_t kTraceBufferSize = 4096;

// Debuggers show the downloader's name on the logic thread.
void AnnounceThreadName(const wchar_t* name) {
    using SetDescriptionFn = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    auto fn = reinterpret_cast<SetDescriptionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
    if (fn) fn(GetCurrentThread(), name);
}

}  // namespace

bool CLogic::StartNetwork() {
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
    if (config_.logHTTP) {
        auto* trace = new NetEx::TraceConfig;
        trace->enabled = 1;
        trace->flushEachRecord = 1;
        trace->directory = WideToAnsi(OwnFolder()) + "\\";
        trace->bufferSize = kTraceBufferSize;
        trace->maxBlock = kTraceBufferSize;
        transport_->SetTraceConfig(trace);
    }
    downloader_.SetName("CLogic thread");
    AnnounceThreadName(L"CLogic thread");
    downloader_.SetTransport(transport_.get());
    downloader_.SetNotify(this);
    downloader_.SetLog(log_);
    LogLine(L"Downloader successfully initialized");
    downloader_.SetBaseUrl(urlSelector_.selection.SelectedURL);
    downloader_.SetWindow(wizard_.Window());
    networkReady_ = true;
    return true;
}

void CLogic::StopNetwork() {
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
