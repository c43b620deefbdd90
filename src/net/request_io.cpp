// Sending and reading requests on the transport thread: the state machine
// driven by WinINet's completion notifications, and the trace records.

#include "context_httx.h"

#include "net/net_client.h"
#include "net/net_transport.h"
#include "startup/date_time.h"

#include <cstdlib>
#include <cstring>
#include <regex>

namespace NetEx {

namespace {

// Queries a header into `out` (size first, then the text); false when absent.
bool QueryInto(HINTERNET h, DWORD query, CBuffer& out) {
    DWORD size = 0;
    if (HttpQueryInfoA(h, query, nullptr, &size, nullptr) || GetLastError() != ERROR_INSUFFICIENT_BUFFER || !size)
        return false;
    out.clear();
    if (!out.ensure_free(size + 2)) return false;
    DWORD got = size;
    if (!HttpQueryInfoA(h, query, out.write_pointer(size), &got, nullptr)) return false;
    out.commit(got);
    return true;
}

// The number at `text`, and where it ends; false when there is none.
bool ReadNumber(const char*& text, uint64_t& value) {
    char* end = nullptr;
    if (*text < '0' || *text > '9') return false;
    value = strtoull(text, &end, 10);
    text = end;
    return true;
}

// "bytes <first>-<last>/<total or *>"; total is 0 when unknown.
bool ParseContentRange(const char* text, uint64_t& first, uint64_t& last, uint64_t& total) {
    if (strncmp(text, "bytes ", 6) != 0) return false;
    text += 6;
    if (!ReadNumber(text, first) || *text++ != '-' || !ReadNumber(text, last) || *text++ != '/') return false;
    total = 0;
    if (*text == '*') return text[1] == '\0';
    return ReadNumber(text, total) && *text == '\0' && last < total;
}

}  // namespace

// ---- request side -------------------------------------------------------

void CRequestHttx::Fail(uint32_t code) {
    errorCode_ = code;
    category_ = kCategoryCallFailed;
}

void CRequestHttx::CloseRequestHandle() {
    if (handle_.IsValid()) closedHandle_ = handle_.Get();
    handle_.Reset();
    state_ = stIdle;
}

bool CRequestHttx::OpenHandle(CContextHttx& context) {
    if (state_ != stIdle) return false;
    if (context.baseUrl().scheme() == CUrlComponents::kSchemeHttps)
        requestFlags_ |= INTERNET_FLAG_SECURE;
    else
        requestFlags_ &= ~DWORD(INTERNET_FLAG_SECURE);
    static const char* kAccept[] = {"*/*", nullptr};
    const std::string object = url_.PathAndQuery();
    handle_.Reset(HttpOpenRequestA(context.connection_.Get(), VerbText(verb_), object.c_str(), nullptr, nullptr,
                                   kAccept, requestFlags_, reinterpret_cast<DWORD_PTR>(&context)));
    errorCode_ = GetLastError();
    if (!handle_.IsValid()) {
        category_ = kCategoryCallFailed;
        if (!errorCode_) errorCode_ = ERROR_INTERNET_INTERNAL_ERROR;
        return false;
    }
    errorCode_ = 0;
    state_ = stOpened;
    return true;
}

bool CRequestHttx::SendHandle(CContextHttx& context) {
    if (state_ != stOpened && state_ != stSent) return false;
    DWORD t = timeout_ ? timeout_ : context.timeout();
    const DWORD kOptions[] = {INTERNET_OPTION_CONNECT_TIMEOUT,
                              INTERNET_OPTION_RECEIVE_TIMEOUT,
                              INTERNET_OPTION_SEND_TIMEOUT,
                              INTERNET_OPTION_DATA_RECEIVE_TIMEOUT,
                              INTERNET_OPTION_DATA_SEND_TIMEOUT,
                              INTERNET_OPTION_RECEIVE_TIMEOUT,
                              INTERNET_OPTION_SEND_TIMEOUT,
                              INTERNET_OPTION_DISCONNECTED_TIMEOUT,
                              INTERNET_OPTION_LISTEN_TIMEOUT};
    for (DWORD option : kOptions) InternetSetOptionA(handle_.Get(), option, &t, sizeof(t));
    if (securityFlags_) {
        DWORD flags = 0;
        DWORD size = sizeof(flags);
        InternetQueryOptionW(handle_.Get(), INTERNET_OPTION_SECURITY_FLAGS, &flags, &size);
        flags |= securityFlags_;
        InternetSetOptionW(handle_.Get(), INTERNET_OPTION_SECURITY_FLAGS, &flags, sizeof(flags));
    }
    if (!extraHeaders_.empty() && state_ == stOpened) AddHeader(extraHeaders_);
    const BOOL ok = HttpSendRequestA(handle_.Get(), headers_.length() ? reinterpret_cast<char*>(headers_.data()) : nullptr,
                                     headers_.length(), requestBody_.length() ? requestBody_.data() : nullptr,
                                     requestBody_.length());
    errorCode_ = ok ? 0 : GetLastError();
    if (ok || errorCode_ == ERROR_IO_PENDING) {
        state_ = stSent;
        return true;
    }
    category_ = kCategoryCallFailed;
    return false;
}

void CRequestHttx::QueryHeaders() {
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (HttpQueryInfoA(handle_.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        status_ = status;
    if (isRedirect()) QueryInto(handle_.Get(), HTTP_QUERY_LOCATION, location_);
    if (traceRequestHeaders_) {
        QueryInto(handle_.Get(), HTTP_QUERY_RAW_HEADERS_CRLF | HTTP_QUERY_FLAG_REQUEST_HEADERS, rawRequestHeaders_);
        rawRequestHeaders_.terminate_wide();
    }
    if (traceResponseHeaders_) {
        QueryInto(handle_.Get(), HTTP_QUERY_RAW_HEADERS_CRLF, rawResponseHeaders_);
        rawResponseHeaders_.terminate_wide();
    }
}

bool CRequestHttx::AnswerAcceptable() {
    DWORD status = 0;
    DWORD size = sizeof(status);
    HttpQueryInfoA(handle_.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
    if (status < 200 || status > 299) return true;
    streaming_ = pieceSize_ != 0;
    CBuffer text;
    if (ranged_) {
        // A server or proxy that ignores Range sends the whole file: its
        // bytes would land at the wrong place, so none is read.
        uint64_t first = 0, last = 0, total = 0;
        bool right = status == 206 && QueryInto(handle_.Get(), HTTP_QUERY_CONTENT_RANGE, text);
        if (right) {
            text.terminate();
            right = ParseContentRange(reinterpret_cast<const char*>(text.data()), first, last, total);
        }
        // The server shortens a range that reaches past the end of the file.
        bool endRight = true;
        if (rangeLast_)
            endRight = last == (total && rangeLast_ >= total ? total - 1 : rangeLast_);
        else if (total)
            endRight = last == total - 1;
        if (!right || first != rangeFirst_ || !endRight) {
            category_ = kCategoryWrongRange;
            errorCode_ = ERROR_INVALID_DATA;
            return false;
        }
    }
    if (bodyLimit_ && QueryInto(handle_.Get(), HTTP_QUERY_CONTENT_LENGTH, text)) {
        text.terminate();
        const uint64_t announced = strtoull(reinterpret_cast<const char*>(text.data()), nullptr, 10);
        if (announced > bodyLimit_) {
            category_ = kCategoryTooLarge;
            errorCode_ = ERROR_FILE_TOO_LARGE;
            return false;
        }
        // A body of known length gets one block for all of it (and the byte
        // beyond that tells an overlong answer), not one grown and copied
        // step by step: fresh memory costs more than the bytes it receives.
        // Pieces need a block of one piece.
        const uint64_t block = pieceSize_ && announced >= pieceSize_ ? pieceSize_ : announced + 1;
        if (announced && !body_.reserve(uint32_t(block))) {
            Fail(ERROR_INSUFFICIENT_BUFFER);
            return false;
        }
    }
    return true;
}

bool CRequestHttx::BodyCutShort() {
    // WinINet ends a body at any close of the connection, also a reset in
    // the middle: an answer shorter than its announced length is an error,
    // or a broken file part would pass as complete. Decoded (compressed)
    // bodies cannot be compared with the length on the wire.
    if (verb_ == verbHead) return false;
    CBuffer text;
    if (QueryInto(handle_.Get(), HTTP_QUERY_CONTENT_ENCODING, text)) return false;
    if (!QueryInto(handle_.Get(), HTTP_QUERY_CONTENT_LENGTH, text)) return false;
    text.terminate();
    char* end = nullptr;
    const unsigned long long announced = strtoull(reinterpret_cast<const char*>(text.data()), &end, 10);
    return end != reinterpret_cast<const char*>(text.data()) && received() < announced;
}

bool CRequestHttx::GrowBody(uint32_t want) {
    if (body_.free_space() >= want) return true;
    // Each growth copies the body: growing by a quarter of what is held
    // (in whole grow steps) keeps large answers from being copied over
    // and over, at most a quarter of memory beyond the body.
    const uint64_t quarter = body_.length() / 4;
    if (quarter > want && body_.ensure_free(uint32_t(quarter))) return true;
    return body_.ensure_free(want);
}

void CRequestHttx::AdaptReadSize(uint32_t growth) {
    if (!adaptive_ || !passBytes_ || !readStart_) return;
    const int64_t elapsed = CurrentTimeMs() - readStart_;
    const int64_t span = elapsed < 0 ? -elapsed : elapsed;
    double factor = span ? 1000.0 / double(span) : 2.0;
    if (factor > 2.0) factor = 2.0;
    double size = double(passBytes_) * factor;
    if (growth && size > double(growth)) size = double(growth);
    readSize_ = size < double(kAdaptiveMinimum) ? kAdaptiveMinimum : uint32_t(size);
}

void CRequestHttx::ReadPass(CContextHttx& context) {
    if (state_ == stSent) {
        if (!AnswerAcceptable()) {
            QueryHeaders();
            state_ = stDone;
            return;
        }
        state_ = stReading;
        // Pieces take blocks of their own size, which the next piece reuses.
        body_.set_grow_step(streaming_ && pieceSize_ < context.growth() ? pieceSize_ : context.growth());
    } else if (state_ != stReading) {
        Fail(ERROR_INVALID_HANDLE);
        return;
    }
    errorCode_ = 0;
    passBytes_ = 0;
    for (;;) {
        if (readIssued_) {
            readIssued_ = false;
            body_.commit(readBuffers_.dwBufferLength);
            passBytes_ += readBuffers_.dwBufferLength;
            AdaptReadSize(context.growth());
        }
        if (bodyLimit_ && received() > bodyLimit_) {
            QueryHeaders();
            state_ = stDone;
            category_ = kCategoryTooLarge;
            errorCode_ = ERROR_FILE_TOO_LARGE;
            break;
        }
        // Checked first: a byte beyond the limit never leaves in a piece.
        if (streaming_ && body_.length() >= pieceSize_) context.HandPiece(*this);
        available_ = 0;
        if (!InternetQueryDataAvailable(handle_.Get(), &available_, 0, 0)) {
            const DWORD e = GetLastError();
            errorCode_ = e;
            if (e != ERROR_IO_PENDING) category_ = kCategoryCallFailed;
            break;
        }
        if (available_ == 0) {
            QueryHeaders();
            state_ = stDone;
            if (isRedirect()) ++redirects_;
            if (BodyCutShort()) Fail(ERROR_INTERNET_CONNECTION_RESET);
            break;
        }
        uint32_t want = available_ > readSize_ ? available_ : readSize_;
        // One byte beyond the limit is enough to know the answer is too long.
        uint64_t left = bodyLimit_ ? uint64_t(bodyLimit_) + 1 - received() : UINT32_MAX;
        // A piece is read up to its end and no further.
        if (streaming_ && left > pieceSize_ - body_.length()) left = pieceSize_ - body_.length();
        if (want > left) want = uint32_t(left);
        if (!GrowBody(want)) {
            QueryHeaders();
            state_ = stDone;
            Fail(ERROR_INSUFFICIENT_BUFFER);
            break;
        }
        if (adaptive_) readStart_ = CurrentTimeMs();
        const uint32_t room = body_.free_space();
        readBuffers_.lpvBuffer = body_.write_pointer(room);
        readBuffers_.dwBufferLength = readSize_ ? (readSize_ < room ? readSize_ : room) : room;
        if (readBuffers_.dwBufferLength > left) readBuffers_.dwBufferLength = DWORD(left);
        readIssued_ = true;
        if (InternetReadFileExA(handle_.Get(), &readBuffers_, IRF_ASYNC, reinterpret_cast<DWORD_PTR>(&context))) {
            if (readBuffers_.dwBufferLength) continue;
            readIssued_ = false;
            Fail(GetLastError() ? GetLastError() : ERROR_HANDLE_EOF);
            break;
        }
        const DWORD e = GetLastError();
        errorCode_ = e;
        if (e != ERROR_IO_PENDING) {
            readIssued_ = false;
            category_ = kCategoryCallFailed;
        }
        break;
    }
    if (connectionClosed_ && state_ == stReading && errorCode_ == ERROR_IO_PENDING) {
        Fail(ERROR_INTERNET_CONNECTION_RESET);
        readIssued_ = false;
        state_ = stDone;
    }
}

// ---- context side -------------------------------------------------------

std::unique_ptr<CRequestHttx> CContextHttx::Unlink(CRequestHttx* r) {
    for (auto it = requests_.begin(); it != requests_.end(); ++it) {
        if (it->get() == r) {
            std::unique_ptr<CRequestHttx> owned = std::move(*it);
            requests_.erase(it);
            return owned;
        }
    }
    return std::unique_ptr<CRequestHttx>(r);
}

void CContextHttx::Complete(CRequestHttx* r) {
    std::unique_ptr<CRequestHttx> owned = Unlink(r);
    owned->CloseRequestHandle();
    owned->context_ = nullptr;
    if (client_)
        client_->OnRequestComplete(owned.release());
}

void CContextHttx::HandPiece(CRequestHttx& r) {
    TraceRequest("Request piece", r);
    trace_.Field("Size: ", r.body_.length());
    trace_.End();
    r.handed_ += r.body_.length();
    if (client_) client_->OnRequestPiece(&r, r.body_);
    r.body_.clear();
}

void CContextHttx::TraceRequest(const char* title, CRequestHttx& r) {
    if (!trace_.IsOpen()) return;
    trace_.Heading(title);
    trace_.Field("Path: ", r.url_.PathAndQuery());
    trace_.Field("Id:   ", std::to_string(r.requestId_));
}

void CContextHttx::TraceSending(CRequestHttx& r) {
    if (!trace_.IsOpen()) return;
    trace_.Heading("Sending request >>>");
    trace_.Field("Path: ", r.url_.PathAndQuery());
    trace_.Field("Type: ", VerbText(r.verb_));
    trace_.Field("Id:   ", std::to_string(r.requestId_));
    if (r.requestFlags_ & INTERNET_FLAG_NO_COOKIES) {
        if (!r.extraHeaders_.empty()) trace_.Field("", r.extraHeaders_);
    } else {
        char cookies[4096] = {};
        DWORD size = sizeof(cookies);
        const std::string full = r.url_.FullUrl();
        if (!InternetGetCookieExA(full.c_str(), nullptr, cookies, &size, INTERNET_COOKIE_HTTPONLY, nullptr))
            size = 0;
        trace_.Block("IE Cookie:", cookies, size && !cookies[size - 1] ? size - 1 : size);
    }
    if (r.headers_.length()) trace_.Block("Header:", r.headers_.data(), r.headers_.length());
    if (r.requestBody_.length()) {
        trace_.Field("Size: ", r.requestBody_.length());
        std::string body(reinterpret_cast<const char*>(r.requestBody_.data()), r.requestBody_.length());
        if (!r.maskPattern_.empty()) {
            try {
                body = std::regex_replace(body, std::regex(r.maskPattern_, std::regex::ECMAScript), r.replacement_);
            } catch (const std::regex_error&) {
                // An unusable pattern leaves the body as it is.
            }
        }
        trace_.Block("Data:", body.data(), body.size());
    }
    trace_.End();
}

void CContextHttx::TraceReceived(CRequestHttx& r) {
    if (!trace_.IsOpen()) return;
    TraceRequest("Request data received <<<", r);
    trace_.Field("Httx: ", r.status_);
    if (r.rawResponseHeaders_.length())
        trace_.Block("Header:", r.rawResponseHeaders_.data(), r.rawResponseHeaders_.length());
    if (r.body_.length()) {
        trace_.Field("Size: ", r.body_.length());
        trace_.Block("Data:", r.body_.data(), r.body_.length());
    }
    trace_.End();
}

void CContextHttx::TraceRedirect(const void* location, size_t length, CRequestHttx& r) {
    if (!trace_.IsOpen()) return;
    const char* text = static_cast<const char*>(location);
    while (length && !text[length - 1]) --length;
    trace_.Heading("Request redirected");
    trace_.Field("Url:  ", std::string(text, length));
    trace_.Field("Id:   ", std::to_string(r.requestId_));
    trace_.End();
}

void CContextHttx::SendRequest(CRequestHttx* request) {
    std::unique_ptr<CRequestHttx> owned(request);
    request->context_ = this;
    if (request->readSize_ && request->readSize_ > growth_ && growth_) request->readSize_ = growth_;
    request->url_.Merge(url_, request->mergeArguments_);
    TraceSending(*request);
    if (!request->OpenHandle(*this) || !request->SendHandle(*this)) {
        trace_.ErrorLine(request->errorCode_);
        request->CloseRequestHandle();
        request->context_ = nullptr;
        if (client_) client_->OnRequestComplete(owned.release());
        return;
    }
    requests_.push_back(std::move(owned));
}

void CContextHttx::Drop(std::unique_ptr<CRequestHttx> r) {
    r->CloseRequestHandle();
    r->context_ = nullptr;
    // WinINet may still complete a read into the body or send from the
    // request's buffers after the handle is closed: the request lives on
    // until WinINet reports the handle closing.
    if (transport_) transport_->KeepUntilClosed(std::move(r));
}

bool CContextHttx::CancelRequest(int32_t requestId) {
    for (auto& r : requests_) {
        if (r->requestId_ == requestId) {
            TraceRequest("Canceling request", *r);
            trace_.End();
            Drop(Unlink(r.get()));
            return true;
        }
    }
    return false;
}

void CContextHttx::AfterPass(CRequestHttx* r) {
    if (r->state_ == CRequestHttx::stReading && r->errorCode_ == ERROR_IO_PENDING) {
        if (r->readSize_) {
            TraceRequest("Request progress", *r);
            trace_.Field("Size: ", r->passBytes_);
            trace_.End();
            if (client_) client_->OnRequestProgress(r);
        }
        return;
    }
    if (r->isRedirect()) TraceRedirect(r->location_.data(), r->location_.length(), *r);
    TraceReceived(*r);
    trace_.ErrorLine(r->errorCode_);
    CountReceived(r->received());
    Complete(r);
}

void CContextHttx::OnStatus(StatusRecord* record) {
    std::unique_ptr<StatusRecord> owned(record);
    CRequestHttx* r = nullptr;
    for (auto& candidate : requests_)
        if (candidate->handle_.Get() == record->handle) r = candidate.get();
    if (!r) return;

    if (record->status == INTERNET_STATUS_REDIRECT) {
        TraceRedirect(record->info.data(), record->info.length(), *r);
        return;
    }
    if (record->status == INTERNET_STATUS_CONNECTION_CLOSED) {
        r->connectionClosed_ = true;
        return;
    }
    if (record->info.length() != sizeof(INTERNET_ASYNC_RESULT)) return;
    INTERNET_ASYNC_RESULT result;
    record->info.copy_out(&result, sizeof(result));

    if (r->state_ == CRequestHttx::stSent) {
        TraceRequest("Request completed", *r);
        trace_.End();
        CountSent(uint64_t(r->headers_.length()) + r->requestBody_.length());
        if (result.dwError) {
            trace_.ErrorLine(result.dwError);
            // Sending once more applies the flags that ignore an unknown
            // authority, for a WinINet that takes them only after the
            // first refusal. A request that does not carry them would only
            // be refused again, without end: its error is the answer.
            if (result.dwError == ERROR_INTERNET_INVALID_CA && (r->securityFlags_ & SECURITY_FLAG_IGNORE_UNKNOWN_CA) &&
                !r->resentForAuthority_) {
                r->resentForAuthority_ = true;
                TraceSending(*r);
                if (!r->SendHandle(*this)) {
                    trace_.ErrorLine(r->errorCode_);
                    Complete(r);
                }
                return;
            }
            if (result.dwError == ERROR_INTERNET_OPERATION_CANCELLED) {
                Drop(Unlink(r));
                return;
            }
            r->errorCode_ = result.dwError;
            Complete(r);
            return;
        }
    } else if (r->state_ != CRequestHttx::stReading) {
        return;
    }
    r->ReadPass(*this);
    AfterPass(r);
}

}  // namespace NetEx
