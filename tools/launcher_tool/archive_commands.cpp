#include "commands.h"
#include "file_io.h"
#include "startup/archive_entry_name.h"
#include "update/rar29_writer.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

using ArchivePtr = std::unique_ptr<archive, int (*)(archive*)>;

ArchivePtr OpenReader(const std::string& bytes) {
    ArchivePtr a(archive_read_new(), archive_read_free);
    archive_read_support_format_rar(a.get());
    archive_read_support_format_rar5(a.get());
    archive_read_support_format_zip(a.get());
    if (archive_read_open_memory(a.get(), bytes.data(), bytes.size()) != ARCHIVE_OK) a.reset();
    return a;
}

// libarchive leaves the text null for some failures.
std::string ErrorText(archive* a) {
    const char* text = archive_error_string(a);
    return text ? text : "damaged archive";
}

// A name that would land outside the target folder: absolute, with a drive
// or stream colon, or climbing with "..".
bool EscapesFolder(const std::string& name) {
    if (name.empty() || name[0] == '\\' || name.find(':') != std::string::npos) return true;
    size_t at = 0;
    while (at <= name.size()) {
        const size_t end = std::min(name.find('\\', at), name.size());
        if (name.compare(at, end - at, "..") == 0 && end - at == 2) return true;
        at = end + 1;
    }
    return false;
}

// A warning (such as a name the C locale cannot show) still yields a usable entry.
int NextHeader(archive* a, archive_entry** e) {
    const int rc = archive_read_next_header(a, e);
    return rc == ARCHIVE_WARN ? ARCHIVE_OK : rc;
}

}  // namespace

int RarCreate(const Args& a) {
    if (a.size() != 2) return Usage("rar-create");
    const fs::path root = fs::u8path(a[0]);
    std::error_code ec;
    if (!fs::is_directory(root, ec)) return Fail(a[0] + " is not a folder");
    std::vector<RarEntry> entries;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file()) continue;
        std::string name = fs::relative(it->path(), root).generic_u8string();
        std::replace(name.begin(), name.end(), '/', '\\');
        RarEntry e;
        e.name = name;
        std::string error;
        if (!ReadWholeFile(it->path().u8string(), e.data, error)) return Fail(error);
        entries.push_back(std::move(e));
    }
    if (ec) return Fail("cannot list " + a[0] + ": " + ec.message());
    // A stable order keeps archives of the same folder byte-identical.
    std::sort(entries.begin(), entries.end(), [](const RarEntry& x, const RarEntry& y) { return x.name < y.name; });
    std::string error;
    if (!WriteWholeFile(a[1], WriteRar29(entries), error)) return Fail(error);
    return 0;
}

int ArchiveList(const Args& a) {
    if (a.size() != 1) return Usage("archive-list");
    std::string bytes, error;
    if (!ReadWholeFile(a[0], bytes, error)) return Fail(error);
    ArchivePtr ar = OpenReader(bytes);
    if (!ar) return Fail(a[0] + ": not a RAR or ZIP archive");
    archive_entry* e;
    int rc;
    while ((rc = NextHeader(ar.get(), &e)) == ARCHIVE_OK) {
        std::string name = ArchiveEntryName(e);
        if (archive_entry_filetype(e) == AE_IFDIR && (name.empty() || name.back() != '\\')) name += '\\';
        std::printf("%12lld  %s\n", (long long)archive_entry_size(e), name.c_str());
    }
    if (rc != ARCHIVE_EOF) return Fail(a[0] + ": " + ErrorText(ar.get()));
    return 0;
}

int ArchiveExtract(const Args& a) {
    if (a.size() != 2) return Usage("archive-extract");
    std::string bytes, error;
    if (!ReadWholeFile(a[0], bytes, error)) return Fail(error);
    ArchivePtr ar = OpenReader(bytes);
    if (!ar) return Fail(a[0] + ": not a RAR or ZIP archive");
    const fs::path target = fs::u8path(a[1]);
    archive_entry* e;
    int rc;
    while ((rc = NextHeader(ar.get(), &e)) == ARCHIVE_OK) {
        std::string name = ArchiveEntryName(e);
        while (!name.empty() && name.back() == '\\') name.pop_back();
        if (EscapesFolder(name)) return Fail(a[0] + ": entry '" + name + "' would be written outside the folder");
        std::string rel = name;
        std::replace(rel.begin(), rel.end(), '\\', '/');
        const fs::path out = target / fs::u8path(rel);
        std::error_code ec;
        if (archive_entry_filetype(e) == AE_IFDIR) {
            fs::create_directories(out, ec);
            if (ec) return Fail("cannot create " + out.u8string() + ": " + ec.message());
            continue;
        }
        fs::create_directories(out.parent_path(), ec);
        if (ec) return Fail("cannot create " + out.parent_path().u8string() + ": " + ec.message());
        std::string data;
        char buf[65536];
        la_ssize_t n;
        while ((n = archive_read_data(ar.get(), buf, sizeof buf)) > 0) data.append(buf, size_t(n));
        if (n < 0) return Fail(a[0] + ": " + name + ": " + ErrorText(ar.get()));
        if (!WriteWholeFile(out.u8string(), data, error)) return Fail(error);
    }
    if (rc != ARCHIVE_EOF) return Fail(a[0] + ": " + ErrorText(ar.get()));
    return 0;
}
