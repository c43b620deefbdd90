#include "set_files.h"

#include "client_tree.h"
#include "file_io.h"
#include "startup/archive_entry_name.h"
#include "update/rar29_writer.h"
#include "update/zip_writer.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>

namespace fs = std::filesystem;

bool WriteManifestFiles(const fs::path& folder, const ManifestDocument& doc, bool asRar, std::string& error) {
    const std::string xml = WriteManifest(doc);
    std::string archive;
    if (asRar) {
        RarEntry e;
        e.name = "update.xml";
        e.data = xml;
        archive = WriteRar29({e});
    } else {
        CZipWriter zip([&archive](const void* data, size_t length) {
            archive.append(static_cast<const char*>(data), length);
            return true;
        });
        if (!zip.AddFile("update.xml", xml) || !zip.Finish()) return error = "update.rxml: " + zip.Error(), false;
    }
    return WriteWholeFile(U8(folder / "update.xml"), xml, error) &&
           WriteWholeFile(U8(folder / "update.rxml"), archive, error);
}

bool ManifestArchiveIsRar(const fs::path& folder) {
    std::string bytes, error;
    return ReadWholeFile(U8(folder / "update.rxml"), bytes, error) && bytes.compare(0, 4, "Rar!") == 0;
}

bool LoadManifestText(const fs::path& from, std::string& text, std::string& error) {
    std::error_code ec;
    fs::path file = from;
    if (fs::is_directory(from, ec)) {
        file = from / "update.xml";
        if (!fs::exists(file, ec)) file = from / "update.rxml";
    }
    std::string bytes;
    if (!ReadWholeFile(U8(file), bytes, error)) return false;
    if (file.extension() != ".rxml") return text = bytes, true;
    std::unique_ptr<archive, int (*)(archive*)> a(archive_read_new(), archive_read_free);
    archive_read_support_format_rar(a.get());
    archive_read_support_format_rar5(a.get());
    archive_read_support_format_zip(a.get());
    if (archive_read_open_memory(a.get(), bytes.data(), bytes.size()) != ARCHIVE_OK)
        return error = U8(file) + ": not a RAR or ZIP archive", false;
    archive_entry* e;
    int rc;
    while ((rc = archive_read_next_header(a.get(), &e)) == ARCHIVE_OK || rc == ARCHIVE_WARN) {
        if (ArchiveEntryName(e) != "update.xml") continue;
        text.clear();
        char buf[65536];
        la_ssize_t n;
        while ((n = archive_read_data(a.get(), buf, sizeof buf)) > 0) text.append(buf, size_t(n));
        if (n < 0) return error = U8(file) + ": update.xml cannot be extracted", false;
        return true;
    }
    return error = U8(file) + ": no member update.xml", false;
}
