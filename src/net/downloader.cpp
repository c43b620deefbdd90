#include "downloader.h"

#include "net/net_transport.h"
#include "net/pico_http_parser.h"
#include "startup/date_time.h"
#include "startup/text.h"

#include <cinttypes>
#include <cstdio>
#include <memory>

namespace {

// Packages can be gigabytes: WinINet must not copy them into its cache.
constexpr uint32_t kRequestFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_CACHE_WRITE;
// What the launcher runs comes from these answers, so a certificate must be
// valid, current, name the server and lead to a trusted authority. Only a
// revocation list that cannot be reached is let pass, as browsers do: an
// unreachable list server must not stop every update.
constexpr uint32_t kSecurityFlags = SECURITY_FLAG_IGNORE_REVOCATION;
// A publisher whose servers cannot show a valid certificate relaxes the
// checks in its configuration and takes the risk of a forged update.
constexpr uint32_t kRelaxedRequestFlags =
    kRequestFlags | INTERNET_FLAG_IGNORE_CERT_DATE_INVALID | INTERNET_FLAG_IGNORE_CERT_CN_INVALID;
constexpr uint32_t kRelaxedSecurityFlags = kSecurityFlags | SECURITY_FLAG_IGNORE_UNKNOWN_CA;
constexpr uint32_t kKbReadSize = 102400;
constexpr uint32_t kMaxRedirects = 2;
// Answers are held in memory whole. A manifest may be large, the other
// texts are small; a runtime package is held to the manifest's limit (the
// real ones are under 2 MiB).
constexpr uint32_t kLargeAnswerLimit = 64u << 20;
constexpr uint32_t kSmallAnswerLimit = 1u << 20;
// File parts go on to their files in pieces as they arrive, so a part of
// any length needs no more memory than a piece or two, and a part broken
// off keeps what arrived whole. A part is as long as the range asked for.
constexpr uint32_t kPartPieceBytes = 1u << 20;

// A piece of a file part on its way to the logic's thread, with the
// download it belongs to.
struct PartPiece {
    uint32_t download = 0;
    CBuffer body;
};

}  // namespace

CDownloader::CDownloader() = default;

CDownloader::~CDownloader() {
    // The transport may still call back while contexts exist.
    RemoveAllContexts(INFINITE);
    SetTransport(nullptr);
}

void CDownloader::Log(const std::string& line) {
    if (log_) log_->WriteLine(Utf8ToWide(line).c_str(), true);
}

void CDownloader::LogEmpty() {
    if (log_) log_->WriteNewLines(1);
}

void CDownloader::Begin(int kind) {
    kind_ = kind;
    ++download_;
}

bool CDownloader::Refuse() {
    kind_ = dkNone;
    return false;
}

bool CDownloader::OpenContext(const std::string& url) {
    if (url.empty()) return false;
    if (url == contextUrl_) return true;
    NetEx::CNetTransport* t = transport();
    if (!contextUrl_.empty() && t && t->IsRootOpen())
        PostMessageW(t->window(), NetEx::tmDestroyContext, reinterpret_cast<WPARAM>(static_cast<CNetClient*>(this)),
                     LPARAM(contextId_));
    contextUrl_.clear();
    if (!t) return false;
    NetEx::CContextHttx* context = nullptr;
    if (t->NewContext(this, context)) {
        const int32_t id = nextContextId_;
        nextContextId_ = nextContextId_ == INT32_MAX ? 0 : nextContextId_ + 1;
        context->Init(id, name_, url, timeout_, growth_);
        const int scheme = context->baseUrl().scheme();
        if (t->IsRootOpen() && (scheme == CUrlComponents::kSchemeHttp || scheme == CUrlComponents::kSchemeHttps) &&
            growth_ &&
            PostMessageW(t->window(), NetEx::tmCreateContext, reinterpret_cast<WPARAM>(static_cast<CNetClient*>(this)),
                         reinterpret_cast<LPARAM>(context))) {
            contextId_ = id;
            contextUrl_ = url;
            return true;
        }
    }
    delete context;
    return false;
}

NetEx::IRequestHttx* CDownloader::MakeRequest(int kind, const std::string& url, uint32_t verb, uint32_t readSize,
                                              bool traceResponseHeaders, uint32_t bodyLimit) {
    NetEx::IRequestHttx* r = nullptr;
    if (!NewRequest(r)) return nullptr;
    r->Init(contextId_, kind, url.c_str(), true, verb, 0, tlsRelaxed_ ? kRelaxedRequestFlags : kRequestFlags,
            tlsRelaxed_ ? kRelaxedSecurityFlags : kSecurityFlags, readSize, false, traceResponseHeaders, "", nullptr);
    r->SetClientValue(download_);
    r->SetBodyLimit(bodyLimit);
    r->AddHeader("Accept: application/xml\r\n");
    return r;
}

bool CDownloader::DownloadCUDFile(const std::string& url, const std::string& header) {
    Log("CDownloader::DownloadCUDFile");
    Begin(dkCud);
    if (!notify_ || url.empty()) return Refuse();
    CUrlComponents parsed;
    if (!parsed.Parse(url.c_str())) return Refuse();
    baseUrl_ = parsed.BaseUrl();
    if (!OpenContext(baseUrl_)) return Refuse();
    NetEx::IRequestHttx* r = MakeRequest(dkCud, parsed.PathAndQuery(), NetEx::verbGet, 0, false, kSmallAnswerLimit);
    if (!r) return Refuse();
    r->AddHeader(header);
    return Send(r) || Refuse();
}

bool CDownloader::DownloadKB(const std::string& url) {
    const bool probe = kbSize_ == 0;
    if (probe) Log("CDownloader::DownloadKB: " + url);
    Begin(dkKb);
    if (!notify_ || url.empty()) return Refuse();
    CUrlComponents parsed;
    if (!parsed.Parse(url.c_str())) return Refuse();
    baseUrl_ = parsed.BaseUrl();
    if (probe && !OpenContext(baseUrl_)) return Refuse();
    NetEx::IRequestHttx* r =
        MakeRequest(dkKb, parsed.PathAndQuery(), probe ? NetEx::verbHead : NetEx::verbGet, kKbReadSize, true,
                    kLargeAnswerLimit);
    if (!r) return Refuse();
    return Send(r) || Refuse();
}

bool CDownloader::DownloadLicense(const std::string& url) {
    Log("CDownloader::DownloadLicense: " + url);
    Begin(dkLicense);
    if (!notify_ || url.empty() || !OpenContext(baseUrl_)) return Refuse();
    NetEx::IRequestHttx* r = MakeRequest(dkLicense, url, NetEx::verbGet, 0, false, kSmallAnswerLimit);
    if (!r) return Refuse();
    r->AddHeader("Accept-Encoding: gzip, deflate\r\n");
    r->url().AddArgument("LANG", language_);
    return Send(r) || Refuse();
}

bool CDownloader::DownloadUpdateXml(const std::string& path) {
    Begin(dkUpdateXml);
    if (!notify_ || path.empty() || !OpenContext(baseUrl_)) {
        LogEmpty();
        Log("CDownloader::DownloadUpdateXml: " + path);
        return Refuse();
    }
    NetEx::IRequestHttx* r = MakeRequest(dkUpdateXml, path, NetEx::verbGet, 0, false, kLargeAnswerLimit);
    if (!r) return Refuse();
    char now[32];
    snprintf(now, sizeof now, "%" PRId64, CurrentTimeMs());
    r->url().AddArgument(now);
    LogEmpty();
    Log("CDownloader::DownloadUpdateXml: " + r->url().PathAndQuery());
    return Send(r) || Refuse();
}

bool CDownloader::DownloadSignature(const std::string& path) {
    Begin(dkSignature);
    NetEx::IRequestHttx* r = nullptr;
    if (notify_ && !path.empty() && OpenContext(baseUrl_))
        r = MakeRequest(dkSignature, path, NetEx::verbGet, 0, false, kSignatureAnswerLimit);
    if (r) {
        // Fetched with the same time argument as the manifest, past every cache.
        char now[32];
        snprintf(now, sizeof now, "%" PRId64, CurrentTimeMs());
        r->url().AddArgument(now);
    }
    LogEmpty();
    Log("CDownloader::DownloadSignature: " + (r ? r->url().PathAndQuery() : path));
    if (!r) return Refuse();
    return Send(r) || Refuse();
}

bool CDownloader::DownloadUpdate(const std::string& path, uint64_t begin, uint64_t length) {
    Begin(dkUpdate);
    NetEx::IRequestHttx* r = nullptr;
    const uint32_t limit = length && length < UINT32_MAX ? uint32_t(length + 1) : 0;
    if (notify_ && !path.empty() && OpenContext(baseUrl_))
        r = MakeRequest(dkUpdate, path, NetEx::verbGet, NetEx::kAdaptiveReadSize, false, limit);
    if (r) {
        r->SetPieceSize(kPartPieceBytes);
        r->AddRange(begin, length);
        if (!clientVersion_.empty()) r->url().AddArgument(clientVersion_);
    }
    char line[80];
    snprintf(line, sizeof line, " (begin: %" PRIu64 ", length: %" PRIu64 ")", begin, length);
    LogEmpty();
    Log("CDownloader::DownloadUpdate: " + (r ? r->url().PathAndQuery() : path) + line);
    if (!r) return Refuse();
    return Send(r) || Refuse();
}

void CDownloader::OnRequestProgress(NetEx::IRequestHttx* request) {
    if (request->clientValue() != download_) return;
    const int id = request->requestId();
    const HWND window = window_;
    if ((id == dkKb || id == dkUpdate) && window) PostMessageW(window, kProgressMessage, 0, LPARAM(request->passBytes()));
}

void CDownloader::OnRequestPiece(NetEx::IRequestHttx* request, CBuffer& piece) {
    const HWND window = window_;
    if (request->clientValue() != download_ || !window) return;
    auto held = std::make_unique<PartPiece>();
    held->download = request->clientValue();
    held->body.take(piece);
    if (PostMessageW(window, kCompleteMessage, kCarriesPiece, reinterpret_cast<LPARAM>(held.get()))) held.release();
}

void CDownloader::OnRequestComplete(NetEx::IRequestHttx* request) {
    const HWND window = window_;
    if (!window || !PostMessageW(window, kCompleteMessage, kCarriesRequest, reinterpret_cast<LPARAM>(request)))
        delete request;
}

void CDownloader::OnError(NetEx::ErrorRecord* record) {
    // Reported on the logic's thread like every other outcome.
    const HWND window = window_;
    if (kind_ == dkNone || !window ||
        !PostMessageW(window, kCompleteMessage, kCarriesError, reinterpret_cast<LPARAM>(record)))
        delete record;
}

bool CDownloader::HandleMessage(UINT message, WPARAM w, LPARAM l) {
    if (message == kProgressMessage) {
        const uint32_t bytes = uint32_t(l);
        if (!notify_) return true;
        if (kind_ == dkUpdate) {
            notify_->OnUpdateProgress(bytes, true);
        } else if (kind_ == dkKb) {
            received_ += bytes;
            notify_->OnKbProgress(received_, kbSize_);
        }
        return true;
    }
    if (message != kCompleteMessage) return false;
    if (w == kCarriesPiece) {
        std::unique_ptr<PartPiece> piece(reinterpret_cast<PartPiece*>(l));
        // A piece of an earlier download: that one has had its outcome.
        if (kind_ == dkUpdate && piece->download == download_ && notify_) notify_->OnUpdatePiece(piece->body);
        return true;
    }
    if (w == kCarriesError) {
        std::unique_ptr<NetEx::ErrorRecord> record(reinterpret_cast<NetEx::ErrorRecord*>(l));
        if (ErrorIsCurrent(*record)) {
            const int kind = kind_;
            kind_ = dkNone;
            notify_->OnNetError(kind, 0, 404, std::string());
        }
        return true;
    }
    HandleCompletion(reinterpret_cast<NetEx::IRequestHttx*>(l));
    return true;
}

bool CDownloader::ErrorIsCurrent(const NetEx::ErrorRecord& record) {
    // Errors about an earlier context (one replaced by a change of server
    // or one that failed) say nothing about the current download.
    if (record.contextId != contextId_) return false;
    if (record.requestId == NetEx::kWholeContext)
        contextUrl_.clear();  // the context does not exist: the next download creates it again
    else if (int(record.requestId) != kind_)
        return false;
    return kind_ != dkNone && notify_;
}

void CDownloader::HandleCompletion(NetEx::IRequestHttx* request) {
    std::unique_ptr<NetEx::IRequestHttx> owned(request);
    if (!request) return;
    const int id = request->requestId();
    if (id < dkCud || id > dkSignature || !notify_) return;
    // An answer of an earlier download: that one has had its outcome.
    if (id != kind_ || request->clientValue() != download_) return;
    const uint32_t status = request->status();
    if (request->errorCategory() || request->errorCode() || (status && (status < 200 || status > 399))) {
        Fail(*request);
        return;
    }
    if (status >= 300 && status <= 399) {
        FollowRedirect(*request);
        return;
    }
    if (id == dkKb && kbSize_ == 0) {
        FinishProbe(*request);
        return;
    }
    // Ended before the notice: the logic may start the next download in it.
    kind_ = dkNone;
    switch (id) {
    case dkKb: notify_->OnKbData(request->body()); break;
    case dkLicense: notify_->OnLicenseData(request->body()); break;
    case dkUpdateXml: notify_->OnUpdateXmlData(request->body()); break;
    case dkUpdate: notify_->OnUpdateData(request->body(), false); break;
    case dkKind6: notify_->OnKind6Complete(); break;
    case dkCud: notify_->OnCudData(request->body()); break;
    case dkSignature: notify_->OnSignatureData(request->body()); break;
    }
}

void CDownloader::FinishProbe(NetEx::IRequestHttx& request) {
    CBuffer& raw = request.rawResponseHeaders();
    CPicoHttpParser parser;
    uint64_t size = 0;
    if (raw.length() && parser.ParseResponse(reinterpret_cast<const char*>(raw.data()), raw.length()) == 0)
        size = parser.ContentLength();
    if (size == 0 || size > INT32_MAX) {
        kbSize_ = -1;
        Log("failed to determine file size");
    } else {
        kbSize_ = int32_t(size);
        Log(std::to_string(kbSize_) + " bytes");
    }
    notify_->OnKbProgress(0, kbSize_);
    received_ = 0;
    DownloadKB(request.url().FullUrl());
}

void CDownloader::Fail(NetEx::IRequestHttx& request) {
    const int id = request.requestId();
    const uint32_t status = request.status();
    if (id == dkKb && kbSize_ == 0) {
        // The size probe is optional: fetch the file with an unknown size,
        // announced like a probe that found no length.
        kbSize_ = -1;
        notify_->OnKbProgress(0, kbSize_);
        received_ = 0;
        DownloadKB(request.url().FullUrl());
        return;
    }
    const uint32_t category = request.errorCategory();
    kind_ = dkNone;
    if (category == NetEx::kCategoryWrongRange)
        Log("CDownloader: the answer (HTTP " + std::to_string(status) + ") does not hold the range asked for: " +
            request.url().PathAndQuery());
    else if (category == NetEx::kCategoryTooLarge)
        Log("CDownloader: the answer is larger than " + std::to_string(request.bodyLimit()) +
            " bytes and is dropped: " + request.url().PathAndQuery());
    else if (id == dkUpdate && (status == 0 || (status >= 200 && status <= 299)))
        notify_->OnUpdateData(request.body(), true);
    const std::string text = status == 502 || status == 503 ? BufferString(request.body()) : std::string();
    notify_->OnNetError(id, request.errorCode(), status, text);
}

void CDownloader::FollowRedirect(NetEx::IRequestHttx& request) {
    const std::string location = BufferString(request.location());
    if (location.empty() || request.redirects() > kMaxRedirects) {
        Fail(request);
        return;
    }
    CUrlComponents target;
    if (!target.Parse(location.c_str()) || target.PathAndQuery().empty()) {
        Fail(request);
        return;
    }
    const std::string base = target.BaseUrl();
    if (!base.empty() && !OpenContext(base)) {
        Fail(request);
        return;
    }
    NetEx::IRequestHttx* next = nullptr;
    if (!NewRequest(next, &request)) {
        Fail(request);
        return;
    }
    next->SetIds(contextId_, request.requestId());
    next->SetUrl(target.PathAndQuery().c_str());
    if (!Send(next)) Fail(request);
}
