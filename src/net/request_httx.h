#pragma once
// One HTTP exchange: URL, verb, headers, optional (multipart) body, the
// WinINet options to apply and how to read the answer; afterwards the
// answer itself (status, headers, body) and the error.
//
// Ownership: the client fills a request on its own thread and hands it to
// the transport with CNetClient::Send; from then on only the transport
// thread touches it (inside its context's request list) until it comes back
// through CNetClient::OnRequestComplete, owned by the client again.

#include "net/internet_handle.h"
#include "net/url_components.h"
#include "startup/buffer.h"

#include <cstdint>
#include <string>

namespace NetEx {

class CContextHttx;

enum EVerb : uint32_t { verbGet = 0, verbPost = 1, verbDelete = 2, verbHead = 3 };
const char* VerbText(uint32_t verb);

// Error category: a WinINet or system call failed (error code holds why).
constexpr uint32_t kCategoryCallFailed = 4;
// A ranged request was answered with another status than 206 or another
// range than the one asked for; nothing of the body was read.
constexpr uint32_t kCategoryWrongRange = 5;
// The answer is longer than the request's limit; reading stopped there.
constexpr uint32_t kCategoryTooLarge = 6;
// The read size that asks for the adaptive rule.
constexpr uint32_t kAdaptiveReadSize = 0xFFFFFFFFu;
constexpr uint32_t kAdaptiveMinimum = 8192;

class IRequestHttx {
public:
    virtual ~IRequestHttx() = default;
    virtual int32_t contextId() const = 0;
    virtual int32_t requestId() const = 0;
    virtual CUrlComponents& url() = 0;
    virtual CUrlComponents& initialUrl() = 0;
    virtual uint32_t verb() const = 0;
    virtual uint32_t timeout() const = 0;
    virtual uint32_t requestFlags() const = 0;
    virtual uint32_t securityFlags() const = 0;
    virtual uint32_t passBytes() const = 0;
    virtual uint32_t bodyLength() const = 0;
    virtual CBuffer& headers() = 0;
    virtual CBuffer& requestBody() = 0;
    virtual CBuffer& location() = 0;
    virtual CBuffer& rawRequestHeaders() = 0;
    virtual CBuffer& rawResponseHeaders() = 0;
    virtual CBuffer& body() = 0;
    virtual const std::string& extraHeaders() const = 0;
    virtual uint32_t errorCategory() const = 0;
    virtual uint32_t status() const = 0;
    virtual uint32_t errorCode() const = 0;
    virtual bool isRedirect() const = 0;
    virtual uint32_t redirects() const = 0;
    virtual uint32_t readSize() const = 0;
    virtual bool adaptiveRead() const = 0;
    virtual uint32_t clientValue() const = 0;
    virtual void SetIds(int32_t contextId, int32_t requestId) = 0;
    virtual bool SetInitialUrl(const char* url) = 0;
    virtual bool SetUrl(const char* url) = 0;
    virtual bool Init(int32_t contextId, int32_t requestId, const char* url, bool mergeArguments, uint32_t verb,
                      uint32_t timeout, uint32_t requestFlags, uint32_t securityFlags, uint32_t readSize,
                      bool traceRequestHeaders, bool traceResponseHeaders, const char* maskPattern,
                      const char* replacement) = 0;
    virtual void AddArguments(const char* query) = 0;
    virtual void SetClientValue(uint32_t value) = 0;
    virtual void SetExtraHeaders(const std::string& text) = 0;
    virtual void AddHeader(const std::string& text) = 0;
    // "Range: bytes=begin-(begin+length)", open-ended for length 0; the
    // answer must then be a 206 holding that range.
    virtual void AddRange(uint64_t begin, uint64_t length) = 0;
    // The most body bytes the answer may have; 0: no limit.
    virtual void SetBodyLimit(uint32_t limit) = 0;
    virtual uint32_t bodyLimit() const = 0;
    // A 2xx answer's body goes to the client in pieces of `size` bytes as
    // it arrives (CNetClient::OnRequestPiece); at completion the body holds
    // only the rest. The limit above then counts every byte received.
    // 0: the whole body at completion.
    virtual void SetPieceSize(uint32_t size) = 0;
    virtual void AddContentLength(uint32_t length) = 0;
    virtual void BeginMultipart(const std::string& boundary) = 0;
    virtual void AppendBody(const void* data, uint32_t length) = 0;
    virtual void TakeBody(CBuffer& buffer) = 0;
    virtual bool AddFormPart(const std::string& name, const std::string& filename, const std::string& type) = 0;
    virtual bool EndMultipart() = 0;
};

class CRequestHttx : public IRequestHttx {
public:
    enum EState : uint32_t { stIdle = 0, stOpened = 1, stSent = 2, stReading = 3, stDone = 4 };

    CRequestHttx();
    // A copy for a re-send (a redirect): the request as it was filled,
    // without answer, handle or error.
    explicit CRequestHttx(const CRequestHttx& from);
    CRequestHttx& operator=(const CRequestHttx&) = delete;
    ~CRequestHttx() override = default;

    int32_t contextId() const override { return contextId_; }
    int32_t requestId() const override { return requestId_; }
    CUrlComponents& url() override { return url_; }
    CUrlComponents& initialUrl() override { return initialUrl_; }
    uint32_t verb() const override { return verb_; }
    uint32_t timeout() const override { return timeout_; }
    uint32_t requestFlags() const override { return requestFlags_; }
    uint32_t securityFlags() const override { return securityFlags_; }
    uint32_t passBytes() const override { return passBytes_; }
    uint32_t bodyLength() const override { return body_.length(); }
    CBuffer& headers() override { return headers_; }
    CBuffer& requestBody() override { return requestBody_; }
    CBuffer& location() override { return location_; }
    CBuffer& rawRequestHeaders() override { return rawRequestHeaders_; }
    CBuffer& rawResponseHeaders() override { return rawResponseHeaders_; }
    CBuffer& body() override { return body_; }
    const std::string& extraHeaders() const override { return extraHeaders_; }
    uint32_t errorCategory() const override { return category_; }
    uint32_t status() const override { return status_; }
    uint32_t errorCode() const override { return errorCode_; }
    bool isRedirect() const override { return status_ >= 300 && status_ <= 399; }
    uint32_t redirects() const override { return redirects_; }
    uint32_t readSize() const override { return readSize_; }
    bool adaptiveRead() const override { return adaptive_; }
    uint32_t clientValue() const override { return clientValue_; }
    void SetIds(int32_t contextId, int32_t requestId) override;
    bool SetInitialUrl(const char* url) override;
    bool SetUrl(const char* url) override;
    bool Init(int32_t contextId, int32_t requestId, const char* url, bool mergeArguments, uint32_t verb,
              uint32_t timeout, uint32_t requestFlags, uint32_t securityFlags, uint32_t readSize,
              bool traceRequestHeaders, bool traceResponseHeaders, const char* maskPattern,
              const char* replacement) override;
    void AddArguments(const char* query) override { url_.AddArguments(query); }
    void SetClientValue(uint32_t value) override { clientValue_ = value; }
    void SetExtraHeaders(const std::string& text) override;
    void AddHeader(const std::string& text) override;
    void AddRange(uint64_t begin, uint64_t length) override;
    void SetBodyLimit(uint32_t limit) override { bodyLimit_ = limit; }
    uint32_t bodyLimit() const override { return bodyLimit_; }
    void SetPieceSize(uint32_t size) override { pieceSize_ = size; }
    void AddContentLength(uint32_t length) override;
    void BeginMultipart(const std::string& boundary) override;
    void AppendBody(const void* data, uint32_t length) override;
    void TakeBody(CBuffer& buffer) override;
    bool AddFormPart(const std::string& name, const std::string& filename, const std::string& type) override;
    bool EndMultipart() override;

    // "block%u%u" from two values of rand() seeded with the time.
    static std::string MakeBoundary();

    // Transport thread: the handle this request had until it was closed,
    // to match WinINet's closing notice (only compared, never used).
    HINTERNET closedHandle() const { return closedHandle_; }

private:
    friend class CContextHttx;

    // Transport thread only (request_io.cpp).
    bool OpenHandle(CContextHttx& context);
    bool SendHandle(CContextHttx& context);
    void ReadPass(CContextHttx& context);
    void QueryHeaders();
    // On the first read pass: refuses an answer that does not hold the
    // asked range or announces more than the limit.
    bool AnswerAcceptable();
    bool BodyCutShort();
    void AdaptReadSize(uint32_t growth);
    bool GrowBody(uint32_t want);
    // Body bytes received so far, handed over or held.
    uint64_t received() const { return handed_ + body_.length(); }
    void Fail(uint32_t code);
    void CloseRequestHandle();

    CContextHttx* context_ = nullptr;
    CInternetHandle handle_;
    HINTERNET closedHandle_ = nullptr;
    uint32_t state_ = stIdle;
    DWORD available_ = 0;
    INTERNET_BUFFERSA readBuffers_{};
    bool readIssued_ = false;  // readBuffers_ holds a read not yet committed
    int32_t contextId_ = -1;
    int32_t requestId_ = -1;
    CUrlComponents initialUrl_;
    CUrlComponents url_;
    bool mergeArguments_ = true;
    uint32_t verb_ = verbGet;
    uint32_t timeout_ = 0;
    uint32_t requestFlags_ = 0;
    uint32_t securityFlags_ = 0;
    bool resentForAuthority_ = false;
    uint32_t passBytes_ = 0;
    CBuffer headers_;
    CBuffer requestBody_;
    CBuffer location_;
    std::string extraHeaders_;
    bool traceRequestHeaders_ = false;
    bool traceResponseHeaders_ = false;
    CBuffer rawRequestHeaders_;
    CBuffer rawResponseHeaders_;
    CBuffer body_;
    uint32_t redirects_ = 0;
    bool connectionClosed_ = false;
    uint32_t clientValue_ = 0;
    std::string boundary_;
    std::string maskPattern_;
    std::string replacement_;
    uint32_t readSize_ = 0;
    bool adaptive_ = false;
    bool ranged_ = false;
    uint64_t rangeFirst_ = 0;
    uint64_t rangeLast_ = 0;  // 0 for an open-ended range
    uint32_t bodyLimit_ = 0;
    uint32_t pieceSize_ = 0;
    bool streaming_ = false;  // the answer is a 2xx one and pieces are asked for
    uint64_t handed_ = 0;     // body bytes handed over in pieces
    int64_t readStart_ = 0;
    uint32_t category_ = 0;
    uint32_t status_ = 0;
    uint32_t errorCode_ = 0;
};

}  // namespace NetEx
