#pragma once
// Reader of ZIP archives held in a read stream: packages and the manifest
// archive. Stored and deflated entries; no ZIP64, no encryption, no
// trailing archive comment. Every header is checked against the stream's
// bounds, so hostile archives fail with an error value instead of reading
// outside the data. One owner, one thread at a time. Portable.

#include "startup/simple_read_stream.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Error values of Open and Extract.
enum : uint32_t {
    kZipOk = 0,
    kZipErrNoDirectoryEnd = 0x800400C9,  // the last 22 bytes are no end-of-directory record
    kZipErrBadHeader = 0x800400CA,       // a directory or local header is damaged or out of bounds
    kZipErrBadData = 0x800400CB,         // entry data does not inflate to its size and CRC-32
    kZipErrBadMethod = 0x800400CC,       // neither stored nor deflated
    kZipErrEmpty = 0x800400CD,           // the archive has no entries
};

struct ZipEntry {
    std::string name;  // '/' turned into '\'
    uint16_t method = 0;
    uint32_t crc = 0;
    uint64_t packedSize = 0;
    uint64_t size = 0;
    uint64_t localHeader = 0;
};

class CZipFile {
public:
    // Reads the directory; `stream` must outlive this object.
    uint32_t Open(ISimpleReadStream& stream);
    const std::vector<ZipEntry>& Entries() const { return entries_; }
    // Index of the entry with exactly this name ('\' separators), or -1.
    int Find(const std::string& name) const;
    // Replaces `out` with the entry's bytes.
    uint32_t Extract(size_t index, std::string& out);

private:
    bool ReadAt(uint64_t offset, void* buffer, size_t length);

    ISimpleReadStream* stream_ = nullptr;
    int64_t size_ = 0;
    std::vector<ZipEntry> entries_;
    std::map<std::string, size_t> index_;
};
