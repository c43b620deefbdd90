#pragma once
// Reader of ZIP archives held in a read stream (a package file or a block
// in memory): packages and the manifest archive. Stored and deflated
// entries; no ZIP64, no encryption, no trailing archive comment. Every header is checked against the stream's
// bounds, so hostile archives fail with an error value instead of reading
// outside the data. One owner, one thread at a time. Portable.

#include "startup/simple_read_stream.h"

#include <cstddef>
#include <cstdint>
#include <functional>
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
    kZipErrAborted = 0x800400CE,         // the receiver of the bytes asked to stop
};

// Receives an entry's bytes in order, at most kZipPiece at a time; false
// ends the extraction.
using ZipSink = std::function<bool(const char* data, size_t length)>;
constexpr size_t kZipPiece = size_t(1) << 20;

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
    // Hands the entry's bytes to `sink` as they are read, so memory stays
    // bounded whatever the entry's size. The size and CRC-32 are checked
    // at the end: the sink may have received damaged bytes before an error.
    uint32_t Extract(size_t index, const ZipSink& sink);

private:
    // Checks the entry's local header and bounds; `dataStart` receives
    // where its data begins.
    uint32_t Locate(const ZipEntry& e, uint64_t& dataStart);
    uint32_t CopyStored(const ZipEntry& e, uint64_t dataStart, const ZipSink& sink, uint32_t& crc);
    uint32_t InflateDeflated(const ZipEntry& e, uint64_t dataStart, const ZipSink& sink, uint32_t& crc);
    bool ReadAt(uint64_t offset, void* buffer, size_t length);

    ISimpleReadStream* stream_ = nullptr;
    int64_t size_ = 0;
    std::vector<ZipEntry> entries_;
    std::map<std::string, size_t> index_;
    // The read and inflate buffers, kept from entry to entry: fresh memory
    // for each file costs a page fault per page.
    std::vector<uint8_t> in_;
    std::vector<uint8_t> out_;
};
