#include "app_list.h"

#include "startup/safe_write.h"

#include <windows.h>

namespace {

void DeleteFileAnyway(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    DeleteFileW(path.c_str());
}

}  // namespace

bool CAppList::Read(const std::wstring& folder, std::vector<AppListRecord>& list) {
    if (ReadAppListFile(folder, list)) return true;
    DeleteFileAnyway(AppListPath(folder));
    return false;
}

void CAppList::Delete(const std::wstring& folder) { DeleteFileAnyway(AppListPath(folder)); }

bool CAppList::FindOrAdd(const std::wstring& name, const std::wstring& exec, bool queryOnly) {
    if (exec.size() > kMaxExec) return false;
    for (const AppListRecord& r : records)
        if (RecordText(r.exec, 261) == exec) return false;
    if (!queryOnly) {
        AppListRecord r;
        SetRecordText(r.name, 65, name.substr(0, kMaxName));
        SetRecordText(r.exec, 261, exec);
        records.push_back(r);
    }
    return true;
}

bool CAppList::Write(const std::wstring& folder, bool internalOnly, const std::vector<ExtAddOn>& ext,
                     const std::vector<IntAddOn>& internal) {
    if (folder.size() < 4) return false;
    size_t keep = 0;
    while (keep < records.size() && !records[keep].name[0]) ++keep;
    records.resize(keep);
    if (!internalOnly)
        for (const ExtAddOn& e : ext) FindOrAdd(L"", e.exec, false);
    for (const IntAddOn& i : internal) FindOrAdd(i.name, i.exec, false);
    const std::wstring path = AppListPath(folder);
    if (records.empty()) {
        DeleteFileAnyway(path);
        return true;
    }
    const std::string bytes = AppListBytes(records);
    return WriteFileSafely(path, bytes.data(), bytes.size());
}

bool CAppList::ShortcutChanges(const std::wstring& folder, const std::vector<IntAddOn>& internal,
                               std::vector<ProgramChange>& out) {
    out.clear();
    Read(folder, records);
    auto icon = [](const std::wstring& name, const std::wstring& exec, bool add) {
        return ProgramChange{name.substr(0, kMaxName), exec.substr(0, kMaxExec), add};
    };
    for (const AppListRecord& r : records) {
        if (!r.name[0]) continue;
        const std::wstring exec = RecordText(r.exec, 261);
        bool described = false;
        for (const IntAddOn& i : internal) described = described || i.exec == exec;
        if (!described) out.push_back(icon(RecordText(r.name, 65), exec, false));
    }
    for (const IntAddOn& i : internal)
        if (FindOrAdd(i.name, i.exec, true)) out.push_back(icon(i.name, i.exec, true));
    return true;
}

void CAppList::NewAddOns(const std::vector<ExtAddOn>& ext, std::vector<ExtAddOn>& out) {
    out.clear();
    for (const ExtAddOn& e : ext)
        if (FindOrAdd(e.name, e.exec, true)) out.push_back(e);
}
