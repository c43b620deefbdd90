#pragma once
// Writes ZIP archives the launcher's unpacker reads: one local header plus
// data per entry (raw deflate; empty files stored), the central directory and an end record without comment. Sizes
// are 32-bit (no ZIP64): an entry or archive that would not fit is refused.
// Names are UTF-8 with '/' separators (the UTF-8 flag is set for
// non-ASCII names). Every entry carries the same fixed time stamp and no
// attributes, so the same input gives the same bytes. Portable (zlib).
//
// Use: construct with a sink, AddFile/AddFolder in the wanted order,
// then Finish. The first failure sticks: later calls return false and
// Error() names it.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CZipWriter {
public:
    // Receives the archive's bytes in order; false aborts the archive.
    using Sink = std::function<bool(const void* data, size_t length)>;
    // Fills `buffer` with up to `capacity` bytes of an entry's content and
    // returns how many (0 at the end), or -1 on a read error.
    using Source = std::function<int64_t(void* buffer, size_t capacity)>;

    explicit CZipWriter(Sink sink, int level = 9);

    bool AddFile(const std::string& name, const Source& source);
    bool AddFile(const std::string& name, const std::string& data);
    bool AddFolder(const std::string& name);  // "dir/" is stored with the slash
    bool Finish();

    const std::string& Error() const { return error_; }

private:
    struct Central {
        std::string name;
        uint16_t method, flags;
        uint32_t crc, packed, size, offset;
    };
    bool Put(const std::string& bytes);
    bool Fail(const std::string& reason);
    bool AddEntry(const std::string& name, uint16_t method, uint32_t crc, const std::string& packed, uint64_t size);

    Sink sink_;
    int level_;
    uint64_t offset_ = 0;
    bool finished_ = false;
    std::string error_;
    std::vector<Central> central_;
    std::string chunk_;  // read buffer, reused across entries
};
