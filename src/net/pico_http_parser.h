#pragma once
// Reader of raw HTTP response heads (status line and headers), used to find
// the Content-Length of a HEAD answer. Portable; no allocation: names and
// values point into the caller's data, which must outlive the parser's use.

#include <cstddef>
#include <cstdint>

class CPicoHttpParser {
public:
    struct Header {
        const char* name = nullptr;  // null for a continuation line
        size_t nameLength = 0;
        const char* value = nullptr;
        size_t valueLength = 0;
    };
    static constexpr size_t kMaxHeaders = 32;

    // 0 on success, -1 when the data is not a valid response head, -2 when
    // the head is incomplete, -3 when it has more headers than kMaxHeaders.
    int ParseResponse(const char* data, size_t length);
    // The first header named Content-Length (any case), or null.
    const Header* FindContentLength() const;
    // Leading decimal digits of the Content-Length value; 0 when there is
    // no such header or its value does not start with a digit.
    uint64_t ContentLength() const;

    int status() const { return status_; }
    int minorVersion() const { return minorVersion_; }
    const char* reason() const { return reason_; }
    size_t reasonLength() const { return reasonLength_; }
    size_t headerCount() const { return headerCount_; }
    const Header& header(size_t i) const { return headers_[i]; }

private:
    int status_ = 0;
    int minorVersion_ = 0;
    const char* reason_ = nullptr;
    size_t reasonLength_ = 0;
    Header headers_[kMaxHeaders];
    size_t headerCount_ = 0;
};
