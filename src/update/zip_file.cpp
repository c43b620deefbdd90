#include "zip_file.h"

#include "startup/crc32.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr uint32_t kDirectoryEndSignature = 0x06054B50;
constexpr uint32_t kDirectorySignature = 0x02014B50;
constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr size_t kDirectoryEndSize = 22;
constexpr size_t kDirectoryEntrySize = 46;
constexpr size_t kLocalHeaderSize = 30;
// Deflate cannot expand data by more than about 1032:1; a bigger claim is a
// lie that would only make us allocate memory for nothing.
constexpr uint64_t kMaxDeflateRatio = 1040;

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

}  // namespace

bool CZipFile::ReadAt(uint64_t offset, void* buffer, size_t length) {
    if (offset > uint64_t(size_) || length > uint64_t(size_) - offset) return false;
    if (!length) return true;
    int64_t got = 0;
    return stream_->Seek(int64_t(offset), 2) && stream_->Read(buffer, int64_t(length), &got) && got == int64_t(length);
}

uint32_t CZipFile::Open(ISimpleReadStream& stream) {
    stream_ = &stream;
    entries_.clear();
    index_.clear();
    size_ = stream.Seek(0, 1) ? stream.Position() : 0;
    uint8_t end[kDirectoryEndSize];
    if (size_ < int64_t(kDirectoryEndSize) || !ReadAt(uint64_t(size_) - kDirectoryEndSize, end, sizeof end) ||
        U32(end) != kDirectoryEndSignature)
        return kZipErrNoDirectoryEnd;
    const uint32_t count = U16(end + 10);
    const uint64_t directorySize = U32(end + 12);
    const uint64_t directoryEnd = uint64_t(size_) - kDirectoryEndSize;
    if (count == 0) return kZipErrEmpty;
    if (directorySize > directoryEnd || directorySize < uint64_t(count) * kDirectoryEntrySize) return kZipErrBadHeader;
    std::string directory(size_t(directorySize), '\0');
    if (!ReadAt(directoryEnd - directorySize, &directory[0], directory.size())) return kZipErrBadHeader;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(directory.data());
    size_t at = 0;
    entries_.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (directory.size() - at < kDirectoryEntrySize || U32(p + at) != kDirectorySignature) return kZipErrBadHeader;
        const uint8_t* h = p + at;
        ZipEntry e;
        e.method = U16(h + 10);
        e.crc = U32(h + 16);
        e.packedSize = U32(h + 20);
        e.size = U32(h + 24);
        const size_t nameLength = U16(h + 28), extra = U16(h + 30), comment = U16(h + 32);
        e.localHeader = U32(h + 42);
        at += kDirectoryEntrySize;
        if (directory.size() - at < nameLength + extra + comment) return kZipErrBadHeader;
        e.name.assign(directory, at, nameLength);
        at += nameLength + extra + comment;
        for (char& c : e.name)
            if (c == '/') c = '\\';
        index_.emplace(e.name, entries_.size());
        entries_.push_back(std::move(e));
    }
    return kZipOk;
}

int CZipFile::Find(const std::string& name) const {
    const auto it = index_.find(name);
    return it == index_.end() ? -1 : int(it->second);
}

uint32_t CZipFile::Locate(const ZipEntry& e, uint64_t& dataStart) {
    uint8_t local[kLocalHeaderSize];
    if (!ReadAt(e.localHeader, local, sizeof local) || U32(local) != kLocalSignature) return kZipErrBadHeader;
    dataStart = e.localHeader + kLocalHeaderSize + U16(local + 26) + U16(local + 28);
    if (dataStart > uint64_t(size_) || e.packedSize > uint64_t(size_) - dataStart) return kZipErrBadHeader;
    if (e.method != 0 && e.method != 8) return kZipErrBadMethod;
    if ((e.method == 0 && e.size != e.packedSize) || (e.method == 8 && e.size > e.packedSize * kMaxDeflateRatio + 64))
        return kZipErrBadData;
    return kZipOk;
}

uint32_t CZipFile::CopyStored(const ZipEntry& e, uint64_t dataStart, const ZipSink& sink, uint32_t& crc) {
    out_.resize(kZipPiece);
    const char* piece = reinterpret_cast<const char*>(out_.data());
    for (uint64_t done = 0; done < e.size;) {
        const size_t n = size_t(std::min<uint64_t>(out_.size(), e.size - done));
        if (!ReadAt(dataStart + done, out_.data(), n)) return kZipErrBadHeader;
        crc = Crc32Continue(piece, n, crc);
        if (!sink(piece, n)) return kZipErrAborted;
        done += n;
    }
    return kZipOk;
}

// Raw inflate (window bits -15) with Z_FINISH once all input is in; a stream
// that ends early or runs out of input counts, the size and CRC-32
// comparison decides whether the bytes are right. Output beyond the entry's
// size is never produced.
uint32_t CZipFile::InflateDeflated(const ZipEntry& e, uint64_t dataStart, const ZipSink& sink, uint32_t& crc) {
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) return kZipErrBadData;
    in_.resize(kZipPiece + 1);
    out_.resize(kZipPiece);
    std::vector<uint8_t>& in = in_;
    std::vector<uint8_t>& out = out_;
    uint64_t read = 0, produced = 0;
    uint32_t result = kZipOk;
    while (produced < e.size) {
        if (z.avail_in == 0 && read < e.packedSize) {
            const size_t n = size_t(std::min<uint64_t>(in.size(), e.packedSize - read));
            if (!ReadAt(dataStart + read, in.data(), n)) {
                result = kZipErrBadHeader;
                break;
            }
            read += n;
            z.next_in = in.data();
            z.avail_in = uInt(n);
        }
        const uInt room = uInt(std::min<uint64_t>(out.size(), e.size - produced));
        z.next_out = out.data();
        z.avail_out = room;
        const int rc = inflate(&z, read < e.packedSize ? Z_NO_FLUSH : Z_FINISH);
        const size_t got = room - z.avail_out;
        produced += got;
        crc = Crc32Continue(out.data(), got, crc);
        if (got && !sink(reinterpret_cast<const char*>(out.data()), got)) {
            result = kZipErrAborted;
            break;
        }
        if (rc == Z_STREAM_END) break;
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            result = kZipErrBadData;
            break;
        }
        if (rc == Z_BUF_ERROR && z.avail_in == 0 && read == e.packedSize) break;
    }
    inflateEnd(&z);
    if (result == kZipOk && produced != e.size) result = kZipErrBadData;
    return result;
}

uint32_t CZipFile::Extract(size_t index, const ZipSink& sink) {
    if (!stream_ || index >= entries_.size()) return kZipErrEmpty;
    const ZipEntry& e = entries_[index];
    uint64_t dataStart = 0;
    uint32_t result = Locate(e, dataStart);
    if (result != kZipOk) return result;
    uint32_t crc = 0;
    try {
        result = e.method == 0 ? CopyStored(e, dataStart, sink, crc) : InflateDeflated(e, dataStart, sink, crc);
    } catch (const std::bad_alloc&) {
        return kZipErrBadData;
    }
    if (result != kZipOk) return result;
    // Empty entries carry CRC 0 (the standard value), which the running
    // CRC gives for no bytes too.
    return crc == e.crc ? kZipOk : kZipErrBadData;
}

uint32_t CZipFile::Extract(size_t index, std::string& out) {
    out.clear();
    if (index < entries_.size() && entries_[index].size > SIZE_MAX / 2) return kZipErrBadData;
    const uint32_t result = Extract(index, [&out](const char* data, size_t length) {
        try {
            out.append(data, length);
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    });
    if (result == kZipOk) return kZipOk;
    out.clear();
    // Memory running out counts as bad data.
    return result == kZipErrAborted ? kZipErrBadData : result;
}
