#include "zip_file.h"

#include "startup/crc32.h"

#include <zlib.h>

#include <climits>
#include <cstring>
#include <new>

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

// Raw inflate in pieces that fit zlib's 32-bit counters.
bool Inflate(const uint8_t* in, uint64_t inLength, uint8_t* out, uint64_t outLength, uint64_t& produced) {
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) return false;
    int rc = Z_OK;
    uint64_t inLeft = inLength, outLeft = outLength;
    z.next_in = const_cast<uint8_t*>(in);
    z.next_out = out;
    do {
        const uInt inChunk = uInt(inLeft < UINT_MAX ? inLeft : UINT_MAX);
        const uInt outChunk = uInt(outLeft < UINT_MAX ? outLeft : UINT_MAX);
        z.avail_in = inChunk;
        z.avail_out = outChunk;
        rc = inflate(&z, Z_FINISH);
        inLeft -= inChunk - z.avail_in;
        outLeft -= outChunk - z.avail_out;
    } while (rc == Z_BUF_ERROR && inLeft && outLeft && (z.avail_in == 0 || z.avail_out == 0));
    inflateEnd(&z);
    produced = outLength - outLeft;
    // A stream that ends early or runs out of input counts; the size and
    // CRC-32 comparison decides whether the bytes are right.
    return rc == Z_STREAM_END || rc == Z_BUF_ERROR;
}

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

uint32_t CZipFile::Extract(size_t index, std::string& out) {
    out.clear();
    if (!stream_ || index >= entries_.size()) return kZipErrEmpty;
    const ZipEntry& e = entries_[index];
    uint8_t local[kLocalHeaderSize];
    if (!ReadAt(e.localHeader, local, sizeof local) || U32(local) != kLocalSignature) return kZipErrBadHeader;
    const uint64_t dataStart = e.localHeader + kLocalHeaderSize + U16(local + 26) + U16(local + 28);
    if (dataStart > uint64_t(size_) || e.packedSize > uint64_t(size_) - dataStart) return kZipErrBadHeader;
    if (e.method != 0 && e.method != 8) return kZipErrBadMethod;
    if ((e.method == 0 && e.size != e.packedSize) ||
        (e.method == 8 && e.size > e.packedSize * kMaxDeflateRatio + 64) || e.size > SIZE_MAX / 2)
        return kZipErrBadData;
    try {
        std::string packed(size_t(e.packedSize), '\0');
        if (!ReadAt(dataStart, packed.empty() ? nullptr : &packed[0], packed.size())) return kZipErrBadHeader;
        if (e.method == 0) {
            out.swap(packed);
        } else {
            out.resize(size_t(e.size));
            uint64_t produced = 0;
            if (!Inflate(reinterpret_cast<const uint8_t*>(packed.data()), packed.size(),
                         reinterpret_cast<uint8_t*>(&out[0]), out.size(), produced) ||
                produced != e.size)
                return out.clear(), kZipErrBadData;
        }
    } catch (const std::bad_alloc&) {
        out.clear();
        return kZipErrBadData;
    }
    // Empty entries carry CRC 0 (the standard value), not our one-shot 0xFFFFFFFF.
    const uint32_t crc = out.empty() ? 0 : Crc32(out.data(), out.size());
    if (crc != e.crc) {
        out.clear();
        return kZipErrBadData;
    }
    return kZipOk;
}
