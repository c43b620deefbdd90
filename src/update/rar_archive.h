#pragma once
// A RAR archive (2.9 or 5) read through libarchive from memory or from a
// read stream (a package file, read in pieces). The bytes or the stream
// must outlive the object. One thread at a time. Portable.

#include "startup/simple_read_stream.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct archive;

struct RarItem {
    std::string name;  // '\' separators; folders end in '\'
    bool folder = false;
    uint64_t size = 0;
};

class CRarArchive {
public:
    CRarArchive();
    ~CRarArchive();
    // Reads every header once (the list is what progress counts against).
    // False for data that is no readable RAR archive or holds no entry.
    bool Open(const void* data, size_t size);
    bool Open(ISimpleReadStream& stream);
    const std::vector<RarItem>& Items() const { return items_; }
    // Starts reading entries from the first one again.
    bool Rewind();
    // The next entry's header: 1 = got one, 0 = end, -1 = damaged.
    int Next(RarItem& item);
    // The bytes of the entry Next returned last.
    bool ReadData(std::string& out);
    // The same bytes handed to `sink` piece by piece (at most kRarPiece at a
    // time) as they are decoded; false when the data is damaged or the
    // sink asked to stop.
    static constexpr size_t kRarPiece = size_t(1) << 20;
    bool ReadData(const std::function<bool(const char* data, size_t length)>& sink);
    // Opens the archive and copies the entry named `name` ('\' separators).
    static bool FindMember(const void* data, size_t size, const std::string& name, std::string& out);

    // The stream and libarchive's read buffer (named here for the read
    // callbacks).
    struct StreamSource;

private:
    using Reader = std::unique_ptr<archive, int (*)(archive*)>;

    bool ListItems();

    std::unique_ptr<StreamSource> source_;
    const void* data_ = nullptr;
    size_t size_ = 0;
    Reader reader_;
    std::vector<RarItem> items_;
};
