#include "rar_archive.h"

#include "startup/archive_entry_name.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

CRarArchive::CRarArchive() : reader_(nullptr, archive_read_free) {}
CRarArchive::~CRarArchive() = default;

struct CRarArchive::StreamSource {
    ISimpleReadStream* stream = nullptr;
    std::vector<char> piece;
};

namespace {

using Source = CRarArchive::StreamSource;

la_ssize_t ReadStream(archive*, void* source, const void** buffer) {
    Source& s = *static_cast<Source*>(source);
    *buffer = s.piece.data();
    int64_t got = 0;
    // The stream fails a read at its end: that is the end of the data.
    if (!s.stream->Read(s.piece.data(), int64_t(s.piece.size()), &got)) return 0;
    return la_ssize_t(got);
}

la_int64_t SeekStream(archive*, void* source, la_int64_t offset, int whence) {
    ISimpleReadStream& stream = *static_cast<Source*>(source)->stream;
    const int origin = whence == SEEK_SET ? 2 : whence == SEEK_END ? 1 : 0;
    if (!stream.Seek(offset, origin)) return ARCHIVE_FATAL;
    return stream.Position();
}

la_int64_t SkipStream(archive*, void* source, la_int64_t request) {
    ISimpleReadStream& stream = *static_cast<Source*>(source)->stream;
    const int64_t from = stream.Position();
    if (stream.Seek(request, 0)) return request;
    // Not that far: up to the end.
    if (!stream.Seek(0, 1)) return 0;
    return stream.Position() - from;
}

}  // namespace

bool CRarArchive::Rewind() {
    reader_.reset(archive_read_new());
    if (!reader_) return false;
    archive_read_support_format_rar(reader_.get());
    archive_read_support_format_rar5(reader_.get());
    int rc;
    if (source_) {
        if (!source_->stream->Seek(0, 2)) return reader_.reset(), false;
        archive_read_set_read_callback(reader_.get(), ReadStream);
        archive_read_set_seek_callback(reader_.get(), SeekStream);
        archive_read_set_skip_callback(reader_.get(), SkipStream);
        archive_read_set_callback_data(reader_.get(), source_.get());
        rc = archive_read_open1(reader_.get());
    } else {
        rc = archive_read_open_memory(reader_.get(), data_, size_);
    }
    if (rc == ARCHIVE_OK) return true;
    reader_.reset();
    return false;
}

bool CRarArchive::Open(const void* data, size_t size) {
    items_.clear();
    source_.reset();
    data_ = data;
    size_ = size;
    if (!data || !size) return false;
    return ListItems();
}

bool CRarArchive::Open(ISimpleReadStream& stream) {
    items_.clear();
    data_ = nullptr;
    size_ = 0;
    try {
        source_ = std::make_unique<StreamSource>();
        source_->stream = &stream;
        source_->piece.resize(kRarPiece);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return ListItems();
}

bool CRarArchive::ListItems() {
    if (!Rewind()) return false;
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
    const bool read = ReadData([&out](const char* data, size_t length) {
        out.append(data, length);
        return true;
    });
    if (!read) out.clear();
    return read;
}

bool CRarArchive::ReadData(const std::function<bool(const char* data, size_t length)>& sink) {
    if (!reader_) return false;
    // libarchive's own blocks are handed on in place: no buffer per entry
    // and no copy. RAR data has no holes, so a block that does not follow
    // the one before is damage.
    int64_t at = 0;
    const void* block = nullptr;
    size_t length = 0;
    la_int64_t offset = 0;
    int rc;
    while ((rc = archive_read_data_block(reader_.get(), &block, &length, &offset)) == ARCHIVE_OK) {
        if (offset != at) return false;
        for (size_t done = 0; done < length; done += std::min(length - done, kRarPiece))
            if (!sink(static_cast<const char*>(block) + done, std::min(length - done, kRarPiece))) return false;
        at += int64_t(length);
    }
    return rc == ARCHIVE_EOF;
}

bool CRarArchive::FindMember(const void* data, size_t size, const std::string& name, std::string& out) {
    CRarArchive rar;
    if (!rar.Open(data, size)) return false;
    RarItem item;
    while (rar.Next(item) == 1)
        if (!item.folder && item.name == name) return rar.ReadData(out);
    return false;
}
