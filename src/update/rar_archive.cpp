#include "rar_archive.h"

#include "startup/archive_entry_name.h"

#include <archive.h>
#include <archive_entry.h>

#include <new>

CRarArchive::CRarArchive() : reader_(nullptr, archive_read_free) {}
CRarArchive::~CRarArchive() = default;

bool CRarArchive::Rewind() {
    reader_.reset(archive_read_new());
    if (!reader_) return false;
    archive_read_support_format_rar(reader_.get());
    archive_read_support_format_rar5(reader_.get());
    if (archive_read_open_memory(reader_.get(), data_, size_) == ARCHIVE_OK) return true;
    reader_.reset();
    return false;
}

bool CRarArchive::Open(const void* data, size_t size) {
    items_.clear();
    data_ = data;
    size_ = size;
    if (!data || !size || !Rewind()) return false;
    RarItem item;
    int rc;
    while ((rc = Next(item)) == 1) {
        if (archive_read_data_skip(reader_.get()) != ARCHIVE_OK) return items_.clear(), false;
        items_.push_back(item);
    }
    if (rc < 0 || items_.empty()) return items_.clear(), false;
    return Rewind();
}

int CRarArchive::Next(RarItem& item) {
    if (!reader_) return -1;
    archive_entry* e = nullptr;
    const int rc = archive_read_next_header(reader_.get(), &e);
    if (rc == ARCHIVE_EOF) return 0;
    if (rc != ARCHIVE_OK && rc != ARCHIVE_WARN) return -1;
    item.name = ArchiveEntryName(e);
    item.folder = archive_entry_filetype(e) == AE_IFDIR || (!item.name.empty() && item.name.back() == '\\');
    if (item.folder && !item.name.empty() && item.name.back() != '\\') item.name += '\\';
    item.size = archive_entry_size_is_set(e) ? uint64_t(archive_entry_size(e)) : 0;
    return 1;
}

bool CRarArchive::ReadData(std::string& out) {
    out.clear();
    if (!reader_) return false;
    try {
        char buffer[65536];
        la_ssize_t n;
        while ((n = archive_read_data(reader_.get(), buffer, sizeof buffer)) > 0) out.append(buffer, size_t(n));
        return n == 0;
    } catch (const std::bad_alloc&) {
        out.clear();
        return false;
    }
}

bool CRarArchive::FindMember(const void* data, size_t size, const std::string& name, std::string& out) {
    CRarArchive rar;
    if (!rar.Open(data, size)) return false;
    RarItem item;
    while (rar.Next(item) == 1)
        if (!item.folder && item.name == name) return rar.ReadData(out);
    return false;
}
