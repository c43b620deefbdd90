#include "zip_writer.h"

#include "startup/crc32.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace {

// 1 January 2020, 00:00 in DOS form: time then date.
constexpr uint16_t kDosTime = 0;
constexpr uint16_t kDosDate = uint16_t(((2020 - 1980) << 9) | (1 << 5) | 1);
constexpr uint16_t kVersionNeeded = 20;  // deflate
constexpr uint16_t kUtf8Flag = 1 << 11;
constexpr uint32_t kMax32 = 0xFFFFFFFFu;

void Put16(std::string& out, uint16_t v) {
    out += char(v & 0xFF);
    out += char(v >> 8);
}

void Put32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += char((v >> (8 * i)) & 0xFF);
}

bool IsAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

// Raw deflate of everything a source yields, into memory.
class CDeflater {
public:
    explicit CDeflater(int level) {
        std::memset(&z_, 0, sizeof z_);
        ok_ = deflateInit2(&z_, level, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~CDeflater() {
        if (ok_) deflateEnd(&z_);
    }
    CDeflater(const CDeflater&) = delete;
    CDeflater& operator=(const CDeflater&) = delete;

    bool Ready() const { return ok_; }

    bool Feed(const void* data, size_t length, bool last, std::string& out) {
        z_.next_in = static_cast<Bytef*>(const_cast<void*>(data));
        z_.avail_in = uInt(length);
        unsigned char buffer[65536];
        int rc;
        do {
            z_.next_out = buffer;
            z_.avail_out = sizeof buffer;
            rc = deflate(&z_, last ? Z_FINISH : Z_NO_FLUSH);
            if (rc == Z_STREAM_ERROR) return false;
            out.append(reinterpret_cast<char*>(buffer), sizeof buffer - z_.avail_out);
        } while (z_.avail_out == 0 || (last && rc != Z_STREAM_END));
        return true;
    }

private:
    z_stream z_;
    bool ok_ = false;
};

}  // namespace

CZipWriter::CZipWriter(Sink sink, int level) : sink_(std::move(sink)), level_(level) {}

bool CZipWriter::Fail(const std::string& reason) {
    if (error_.empty()) error_ = reason;
    return false;
}

bool CZipWriter::Put(const std::string& bytes) {
    if (!sink_(bytes.data(), bytes.size())) return Fail("cannot write the archive");
    offset_ += bytes.size();
    return true;
}

bool CZipWriter::AddFile(const std::string& name, const std::string& data) {
    size_t at = 0;
    return AddFile(name, [&](void* buffer, size_t capacity) -> int64_t {
        const size_t n = std::min(capacity, data.size() - at);
        std::memcpy(buffer, data.data() + at, n);
        at += n;
        return int64_t(n);
    });
}

bool CZipWriter::AddFile(const std::string& name, const Source& source) {
    if (!error_.empty() || finished_) return Fail("archive already closed");
    CDeflater deflater(level_);
    if (!deflater.Ready()) return Fail("deflate cannot start");
    std::string packed;
    uint32_t crc = 0;
    uint64_t size = 0;
    std::string& chunk = chunk_;
    chunk.resize(1 << 20);
    for (;;) {
        const int64_t n = source(&chunk[0], chunk.size());
        if (n < 0) return Fail("cannot read " + name);
        size += uint64_t(n);
        if (size > kMax32) return Fail(name + " is 4 GiB or larger and cannot be stored in a ZIP pack");
        crc = Crc32Continue(chunk.data(), size_t(n), crc);
        if (!deflater.Feed(chunk.data(), size_t(n), n == 0, packed)) return Fail("deflate failed on " + name);
        if (n == 0) break;
    }
    if (size == 0) return AddEntry(name, 0, 0, std::string(), 0);
    return AddEntry(name, 8, crc, packed, size);
}

bool CZipWriter::AddFolder(const std::string& name) {
    if (!error_.empty() || finished_) return Fail("archive already closed");
    return AddEntry(name.empty() || name.back() != '/' ? name + "/" : name, 0, 0, std::string(), 0);
}

bool CZipWriter::AddEntry(const std::string& name, uint16_t method, uint32_t crc, const std::string& packed,
                          uint64_t size) {
    if (name.empty() || name.size() > 0xFFFF) return Fail("unusable entry name '" + name + "'");
    if (packed.size() > kMax32 || offset_ > kMax32)
        return Fail("the pack grows past 4 GiB at " + name + "; split it into several packs");
    const uint16_t flags = IsAscii(name) ? 0 : kUtf8Flag;
    Central c{name, method, flags, crc, uint32_t(packed.size()), uint32_t(size), uint32_t(offset_)};
    std::string header;
    Put32(header, 0x04034B50);
    Put16(header, kVersionNeeded);
    Put16(header, flags);
    Put16(header, method);
    Put16(header, kDosTime);
    Put16(header, kDosDate);
    Put32(header, crc);
    Put32(header, c.packed);
    Put32(header, c.size);
    Put16(header, uint16_t(name.size()));
    Put16(header, 0);
    header += name;
    if (!Put(header) || !Put(packed)) return false;
    central_.push_back(c);
    return true;
}

bool CZipWriter::Finish() {
    if (!error_.empty() || finished_) return Fail("archive already closed");
    finished_ = true;
    if (central_.size() > 0xFFFF) return Fail("more than 65535 entries in one ZIP pack; split it");
    const uint64_t start = offset_;
    std::string dir;
    for (const Central& c : central_) {
        Put32(dir, 0x02014B50);
        Put16(dir, kVersionNeeded);  // made by: MS-DOS, 2.0
        Put16(dir, kVersionNeeded);
        Put16(dir, c.flags);
        Put16(dir, c.method);
        Put16(dir, kDosTime);
        Put16(dir, kDosDate);
        Put32(dir, c.crc);
        Put32(dir, c.packed);
        Put32(dir, c.size);
        Put16(dir, uint16_t(c.name.size()));
        Put16(dir, 0);  // extra
        Put16(dir, 0);  // comment
        Put16(dir, 0);  // disk
        Put16(dir, 0);  // internal attributes
        Put32(dir, c.name.back() == '/' ? 0x10 : 0);  // folder attribute
        Put32(dir, c.offset);
        dir += c.name;
    }
    if (start + dir.size() > kMax32) return Fail("the pack's directory lies past 4 GiB; split it into several packs");
    std::string end;
    Put32(end, 0x06054B50);
    Put16(end, 0);
    Put16(end, 0);
    Put16(end, uint16_t(central_.size()));
    Put16(end, uint16_t(central_.size()));
    Put32(end, uint32_t(dir.size()));
    Put32(end, uint32_t(start));
    Put16(end, 0);
    return Put(dir) && Put(end);
}
