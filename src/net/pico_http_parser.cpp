#include "pico_http_parser.h"

#include <cctype>
#include <cstring>

namespace {

bool IsToken(unsigned char c) {
    if (c <= 0x20 || c >= 0x7F) return false;
    return !strchr("()<>@,;:\\\"/[]?={}", c);
}

// Printable bytes, tab and bytes of 0x80 and above may stand in values.
bool IsValueByte(unsigned char c) { return c == '\t' || (c >= 0x20 && c != 0x7F); }

class Cursor {
public:
    Cursor(const char* data, size_t length) : p_(data), end_(data + length) {}
    bool AtEnd() const { return p_ >= end_; }
    const char* pos() const { return p_; }
    unsigned char Peek() const { return static_cast<unsigned char>(*p_); }
    void Skip(size_t n = 1) { p_ += n; }
    // Reads up to the line end; -1 invalid byte, -2 out of data, else 0
    // with [start, start+length) the text and the cursor after the line end.
    int Line(const char*& start, size_t& length) {
        start = p_;
        while (p_ < end_) {
            const unsigned char c = static_cast<unsigned char>(*p_);
            if (c == '\r') {
                if (p_ + 1 >= end_) return -2;
                if (p_[1] != '\n') return -1;
                length = size_t(p_ - start);
                p_ += 2;
                return 0;
            }
            if (c == '\n') {
                length = size_t(p_ - start);
                ++p_;
                return 0;
            }
            if (!IsValueByte(c)) return -1;
            ++p_;
        }
        return -2;
    }
    // An empty line: consumes it and returns true.
    bool EmptyLine(int& result) {
        result = 0;
        if (p_ >= end_) {
            result = -2;
            return false;
        }
        if (*p_ == '\n') {
            ++p_;
            return true;
        }
        if (*p_ == '\r') {
            if (p_ + 1 >= end_) {
                result = -2;
                return false;
            }
            if (p_[1] != '\n') {
                result = -1;
                return false;
            }
            p_ += 2;
            return true;
        }
        return false;
    }

private:
    const char* p_;
    const char* end_;
};

}  // namespace

int CPicoHttpParser::ParseResponse(const char* data, size_t length) {
    status_ = 0;
    minorVersion_ = 0;
    reason_ = nullptr;
    reasonLength_ = 0;
    headerCount_ = 0;
    if (!data) return -2;
    Cursor c(data, length);

    // "HTTP/1.x SSS reason"
    static const char kPrefix[] = "HTTP/1.";
    for (size_t i = 0; i < 7; ++i) {
        if (c.AtEnd()) return -2;
        if (c.Peek() != static_cast<unsigned char>(kPrefix[i])) return -1;
        c.Skip();
    }
    if (c.AtEnd()) return -2;
    if (!isdigit(c.Peek())) return -1;
    minorVersion_ = c.Peek() - '0';
    c.Skip();
    if (c.AtEnd()) return -2;
    if (c.Peek() != ' ') return -1;
    c.Skip();
    for (int i = 0; i < 3; ++i) {
        if (c.AtEnd()) return -2;
        if (!isdigit(c.Peek())) return -1;
        status_ = status_ * 10 + (c.Peek() - '0');
        c.Skip();
    }
    if (c.AtEnd()) return -2;
    if (c.Peek() != ' ') return -1;
    c.Skip();
    if (int r = c.Line(reason_, reasonLength_)) return r;

    for (;;) {
        int r = 0;
        if (c.EmptyLine(r)) return 0;
        if (r) return r;
        Header h;
        const unsigned char first = c.Peek();
        if (first != ' ' && first != '\t') {
            const char* name = c.pos();
            while (!c.AtEnd() && IsToken(c.Peek())) c.Skip();
            if (c.AtEnd()) return -2;
            if (c.pos() == name || c.Peek() != ':') return -1;
            h.name = name;
            h.nameLength = size_t(c.pos() - name);
            c.Skip();
        }
        while (!c.AtEnd() && (c.Peek() == ' ' || c.Peek() == '\t')) c.Skip();
        if (int lr = c.Line(h.value, h.valueLength)) return lr;
        while (h.valueLength && (h.value[h.valueLength - 1] == ' ' || h.value[h.valueLength - 1] == '\t'))
            --h.valueLength;
        if (headerCount_ == kMaxHeaders) return -3;
        headers_[headerCount_++] = h;
    }
}

const CPicoHttpParser::Header* CPicoHttpParser::FindContentLength() const {
    static const char kName[] = "content-length";
    for (size_t i = 0; i < headerCount_; ++i) {
        const Header& h = headers_[i];
        if (!h.name || h.nameLength != sizeof(kName) - 1) continue;
        size_t k = 0;
        while (k < h.nameLength && tolower(static_cast<unsigned char>(h.name[k])) == kName[k]) ++k;
        if (k == h.nameLength) return &h;
    }
    return nullptr;
}

uint64_t CPicoHttpParser::ContentLength() const {
    const Header* h = FindContentLength();
    if (!h) return 0;
    uint64_t n = 0;
    for (size_t i = 0; i < h->valueLength && isdigit(static_cast<unsigned char>(h->value[i])); ++i)
        n = n * 10 + uint64_t(h->value[i] - '0');
    return n;
}
