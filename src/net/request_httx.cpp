// The client side of a request: filling, copying, headers and bodies.

#include "request_httx.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace NetEx {

namespace {
constexpr size_t kFormPartArea = 1024;

uint32_t BoundaryNumber(int r) {
    int32_t x = int32_t(uint32_t(r) * 1025u);
    x ^= x >> 6;
    x = int32_t(uint32_t(x) * 9u);
    x ^= x >> 11;
    x = int32_t(uint32_t(x) * 32769u);
    return uint32_t(x);
}
}  // namespace

const char* VerbText(uint32_t verb) {
    static const char* const kVerbs[] = {"GET", "POST", "DELETE", "HEAD"};
    return verb < 4 ? kVerbs[verb] : kVerbs[0];
}

CRequestHttx::CRequestHttx() { readBuffers_.dwStructSize = sizeof(readBuffers_); }

CRequestHttx::CRequestHttx(const CRequestHttx& from)
    : IRequestHttx(),
      contextId_(from.contextId_),
      requestId_(from.requestId_),
      initialUrl_(from.initialUrl_),
      url_(from.url_),
      mergeArguments_(from.mergeArguments_),
      verb_(from.verb_),
      timeout_(from.timeout_),
      requestFlags_(from.requestFlags_),
      securityFlags_(from.securityFlags_),
      extraHeaders_(from.extraHeaders_),
      traceRequestHeaders_(from.traceRequestHeaders_),
      traceResponseHeaders_(from.traceResponseHeaders_),
      redirects_(from.redirects_),
      clientValue_(from.clientValue_),
      boundary_(from.boundary_),
      maskPattern_(from.maskPattern_),
      replacement_(from.replacement_),
      readSize_(from.readSize_),
      adaptive_(from.adaptive_),
      ranged_(from.ranged_),
      rangeFirst_(from.rangeFirst_),
      rangeLast_(from.rangeLast_),
      bodyLimit_(from.bodyLimit_),
      pieceSize_(from.pieceSize_) {
    readBuffers_.dwStructSize = sizeof(readBuffers_);
    headers_.set_grow_step(from.headers_.grow_step());
    requestBody_.set_grow_step(from.requestBody_.grow_step());
    auto copy = [](const CBuffer& src, CBuffer& dst) {
        const uint32_t n = src.length();
        if (n && dst.ensure_free(n)) {
            src.copy_out(dst.write_pointer(n), n);
            dst.commit(n);
        }
    };
    copy(from.headers_, headers_);
    copy(from.requestBody_, requestBody_);
}

void CRequestHttx::SetIds(int32_t contextId, int32_t requestId) {
    contextId_ = contextId;
    requestId_ = requestId;
}

bool CRequestHttx::SetInitialUrl(const char* url) { return initialUrl_.Parse(url); }

bool CRequestHttx::SetUrl(const char* url) {
    const bool ok = url_.Parse(url);
    if (ok && initialUrl_.empty()) initialUrl_.Parse(url);
    return ok;
}

bool CRequestHttx::Init(int32_t contextId, int32_t requestId, const char* url, bool mergeArguments, uint32_t verb,
                        uint32_t timeout, uint32_t requestFlags, uint32_t securityFlags, uint32_t readSize,
                        bool traceRequestHeaders, bool traceResponseHeaders, const char* maskPattern,
                        const char* replacement) {
    SetIds(contextId, requestId);
    const bool ok = SetUrl(url);
    mergeArguments_ = mergeArguments;
    verb_ = verb;
    timeout_ = timeout;
    requestFlags_ = requestFlags;
    securityFlags_ = securityFlags;
    adaptive_ = readSize == kAdaptiveReadSize;
    readSize_ = adaptive_ ? kAdaptiveMinimum : readSize;
    traceRequestHeaders_ = traceRequestHeaders;
    traceResponseHeaders_ = traceResponseHeaders;
    if (maskPattern && *maskPattern) maskPattern_ = maskPattern;
    if (replacement) replacement_ = replacement;
    return ok;
}

void CRequestHttx::SetExtraHeaders(const std::string& text) {
    if (!text.empty()) extraHeaders_ = text;
}

void CRequestHttx::AddHeader(const std::string& text) {
    if (!text.empty()) headers_.append(text.data(), uint32_t(text.size()));
}

void CRequestHttx::AddRange(uint64_t begin, uint64_t length) {
    ranged_ = true;
    rangeFirst_ = begin;
    rangeLast_ = length ? begin + length : 0;
    char line[80];
    if (length)
        snprintf(line, sizeof line, "Range: bytes=%" PRIu64 "-%" PRIu64 "\r\n", begin, rangeLast_);
    else
        snprintf(line, sizeof line, "Range: bytes=%" PRIu64 "-\r\n", begin);
    AddHeader(line);
}

void CRequestHttx::AddContentLength(uint32_t length) {
    char line[48];
    snprintf(line, sizeof line, "Content-Length: %u\r\n", length);
    AddHeader(line);
}

std::string CRequestHttx::MakeBoundary() {
    srand(unsigned(uint64_t(time(nullptr)) & 0xFFFFFFFFu));
    const uint32_t first = BoundaryNumber(rand());
    const uint32_t second = BoundaryNumber(rand());
    char text[40];
    snprintf(text, sizeof text, "block%u%u", first, second);
    return text;
}

void CRequestHttx::BeginMultipart(const std::string& boundary) {
    boundary_ = boundary.empty() ? MakeBoundary() : boundary;
    AddHeader("Content-Type: multipart/form-data; boundary=" + boundary_ + "\r\n");
}

void CRequestHttx::AppendBody(const void* data, uint32_t length) {
    if (data && length) requestBody_.append(data, length);
}

void CRequestHttx::TakeBody(CBuffer& buffer) { requestBody_.take(buffer); }

bool CRequestHttx::AddFormPart(const std::string& name, const std::string& filename, const std::string& type) {
    if (boundary_.empty() || name.empty() || type.empty()) return false;
    std::string part = "--" + boundary_ + "\r\nContent-Disposition: form-data; name=\"" + name + "\"";
    if (!filename.empty()) part += "; filename=\"" + filename + "\"";
    part += "\r\nContent-Type: " + type + "\r\n\r\n";
    if (part.size() > kFormPartArea - 1) part.resize(kFormPartArea - 1);
    requestBody_.append(part.data(), uint32_t(part.size()));
    return true;
}

bool CRequestHttx::EndMultipart() {
    if (boundary_.empty()) return false;
    const std::string end = "--" + boundary_ + "--\r\n\r\n";
    requestBody_.append(end.data(), uint32_t(end.size()));
    return true;
}

}  // namespace NetEx
