#include "package_store.h"

#include "startup/text.h"
#include "startup/archive_entry_name.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <memory>

CArchiveHelperRar& PackageStore() {
    static CArchiveHelperRar store;
    return store;
}

bool CArchiveHelperRar::OpenPackage(const void* bytes, size_t size) {
    entries_.clear();
    if (!bytes || !size) return false;
    std::unique_ptr<archive, int (*)(archive*)> a(archive_read_new(), archive_read_free);
    archive_read_support_format_rar(a.get());
    archive_read_support_format_rar5(a.get());
    if (archive_read_open_memory(a.get(), bytes, size) != ARCHIVE_OK) return false;
    archive_entry* e = nullptr;
    for (;;) {
        const int rc = archive_read_next_header(a.get(), &e);
        if (rc == ARCHIVE_EOF) break;
        if (rc != ARCHIVE_OK && rc != ARCHIVE_WARN) {
            entries_.clear();
            return false;
        }
        const std::string name = ArchiveEntryName(e);
        if (name.empty() || name.back() == '\\' || archive_entry_filetype(e) == AE_IFDIR) continue;
        std::string data;
        char buf[65536];
        la_ssize_t n;
        while ((n = archive_read_data(a.get(), buf, sizeof buf)) > 0) data.append(buf, size_t(n));
        if (n < 0) {
            entries_.clear();
            return false;
        }
        entries_[name] = std::move(data);
    }
    return true;
}

std::string CArchiveHelperRar::NormaliseName(const std::string& name) {
    std::vector<std::string> parts;
    size_t at = (!name.empty() && name[0] == '\\') ? 1 : 0;
    while (at <= name.size()) {
        const size_t end = std::min(name.find('\\', at), name.size());
        const std::string part = name.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) out += (i ? "\\" : "") + parts[i];
    return out;
}

bool CArchiveHelperRar::ExtractFile(const std::string& name, std::string& bytes) const {
    const auto it = entries_.find(NormaliseName(name));
    if (it == entries_.end()) return false;
    bytes = it->second;
    return true;
}

std::vector<std::wstring> CArchiveHelperRar::ListFontEntries() const {
    std::vector<std::wstring> fonts;
    for (const auto& [name, data] : entries_) {
        const size_t slash = name.rfind('\\');
        if (slash == std::string::npos || slash == 0 || name.size() < 4 ||
            name.compare(name.size() - 4, 4, ".ttf") != 0)
            continue;
        const size_t parentStart = name.rfind('\\', slash - 1);
        const std::string parent =
            name.substr(parentStart == std::string::npos ? 0 : parentStart + 1,
                        slash - (parentStart == std::string::npos ? 0 : parentStart + 1));
        if (parent == "fonts") fonts.push_back(Utf8ToWide(name));
    }
    return fonts;
}
