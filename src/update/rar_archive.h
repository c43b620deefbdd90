#pragma once
// A RAR archive (2.9 or 5) read from memory for one package, through
// libarchive. The bytes must outlive the object. One thread at a time.
// Portable.

#include <cstdint>
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
    const std::vector<RarItem>& Items() const { return items_; }
    // Starts reading entries from the first one again.
    bool Rewind();
    // The next entry's header: 1 = got one, 0 = end, -1 = damaged.
    int Next(RarItem& item);
    // The bytes of the entry Next returned last.
    bool ReadData(std::string& out);
    // Opens the archive and copies the entry named `name` ('\' separators).
    static bool FindMember(const void* data, size_t size, const std::string& name, std::string& out);

private:
    using Reader = std::unique_ptr<archive, int (*)(archive*)>;

    const void* data_ = nullptr;
    size_t size_ = 0;
    Reader reader_;
    std::vector<RarItem> items_;
};
