#include "checker_thread.h"

#include "startup/find_files.h"
#include "startup/folders.h"
#include "startup/log_files.h"
#include "startup/module_resources.h"
#include "startup/text.h"
#include "update/crc_list.h"
#include "update/file_crc.h"

#include <cstdarg>
#include <cwchar>

namespace {

using Table = std::map<std::wstring, std::pair<uint32_t, uint64_t>>;
using Scope = CCriticalSection::Scope;

// The launcher's own state files and folders in the installation root;
// the cleanup never removes them whatever the manifest lists.
// A launcher larger than this is not read for its checksum.
constexpr uint64_t kLauncherSizeLimit = 1u << 30;

const wchar_t* const kLauncherState[] = {L"update.xml", L"applist.dat", L"addpkg.dat",       L"cud.dat",
                                         L"cif.dat",    L"guest.dat",   L"silent.dat",       L"changes.dat",
                                         L"crc.txt",    L"tmp",         L"launcher.tmp.exe", L"ext",
                                         L"logs"};

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s)
        if (c >= L'A' && c <= L'Z') c = wchar_t(c - L'A' + L'a');
    return s;
}

// The text up to and including its second '.'; empty when it has fewer.
std::string TwoLevels(const std::string& version) {
    const size_t first = version.find('.');
    const size_t second = first == std::string::npos ? first : version.find('.', first + 1);
    return second == std::string::npos ? std::string() : version.substr(0, second + 1);
}

std::wstring Format(const wchar_t* format, ...) {
    wchar_t text[1024];
    va_list args;
    va_start(args, format);
    _vsnwprintf(text, 1023, format, args);
    va_end(args);
    text[1023] = 0;
    return text;
}

}  // namespace

CCheckerThread::CCheckerThread() : CThread(std::string()) {}

CCheckerThread::~CCheckerThread() { Stop(INFINITE); }

void CCheckerThread::Configure(const CheckerSettings& settings) {
    Stop(INFINITE);  // a check still waiting for Continue ends here
    settings_ = settings;
    while (!settings_.installFolder.empty() && settings_.installFolder.back() == L'\\')
        settings_.installFolder.pop_back();
    SetAddPkgFolder(settings_.installFolder);
    manifest_ = CManifest();
    oldFiles_.clear();
    canRun_ = false;
    runBlocker_.clear();
    needed_.clear();
    neededPacks_.clear();
    launcherUpdate_ = false;
    manifestChanged_ = false;
    fastCompare_ = settings_.fastCompare;
}

bool CCheckerThread::Start() {
    Stop(INFINITE);  // a finished check leaves its thread handle behind
    stopped_ = false;
    return CThread::Start();
}

bool CCheckerThread::Stop(DWORD limit) {
    // A thread ended by force may have died holding the lock.
    if (Terminated()) return false;
    stopped_ = true;
    {
        Scope lock(lock_);
        if (continueEvent_.IsValid()) SetEvent(continueEvent_.Get());
    }
    return CThread::Stop(limit);
}

void CCheckerThread::Continue() {
    Scope lock(lock_);
    if (continueEvent_.IsValid()) SetEvent(continueEvent_.Get());
}

void CCheckerThread::SetSelectedAddOns(const std::set<std::wstring>& exec) {
    Scope lock(lock_);
    settings_.selectedAddOns = exec;
}

void CCheckerThread::Post(ECheckResult result, bool withManifest) {
    if (settings_.window)
        PostMessageW(settings_.window, kFinishedMessage,
                     withManifest ? reinterpret_cast<WPARAM>(&manifest_) : 0, result);
}

ManifestOptions CCheckerThread::Options() {
    ManifestOptions o;
    o.platform = settings_.platform;
    o.language = settings_.language;
    o.launcherOnly = settings_.launcherOnly;
    o.stopRequested = [this] { return Stopped(); };
    return o;
}

void CCheckerThread::Run() {
    ManifestOptions options = Options();
    if (!settings_.launcherOnly && settings_.useAddPackages) {
        Load();
        options.addPackages = AddPackages();
        for (const std::wstring& name : settings_.extraAddPackages) options.addPackages.insert(name);
    }
    if (!ParseOldManifest(settings_.oldManifest, options, oldFiles_)) {
        oldFiles_.clear();
        fastCompare_ = false;
    }
    if (!manifest_.Parse(settings_.newManifest, options)) {
        Post(crFailed, false);
        return;
    }
    {
        Scope lock(lock_);
        if (stopped_) return;
        continueEvent_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    }
    if (!continueEvent_.IsValid()) {
        Post(crFailed, true);
        return;
    }
    Post(crServerInfoReady, true);
    const DWORD waited = WaitForSingleObject(continueEvent_.Get(), INFINITE);
    {
        Scope lock(lock_);
        continueEvent_.Reset();
        if (stopped_) return;
    }
    if (waited != WAIT_OBJECT_0) {
        Post(crFailed, true);
        return;
    }
    {
        Scope lock(lock_);
        CAppList::Read(settings_.installFolder, appList_.records);
    }
    if (!settings_.launcherOnly && NeedLauncherUpdate()) {
        runBlocker_ = L"run blocker: [new launcher available]";
        Post(crLauncherUpdate, true);
        return;
    }
    const std::wstring root = Lower(settings_.installFolder) + L"\\";
    const std::wstring launcher = Lower(settings_.launcherPath);
    manifest_.keptPaths.insert(launcher.compare(0, root.size(), root) == 0 ? launcher.substr(root.size()) : launcher);
    if (!CheckFiles()) return;
    BuildQueue();
    if (!fastCompare_ && settings_.cleanup) {
        Table table;
        if (canRun_) {
            for (const auto& [path, f] : oldFiles_) table[path] = {f.crc, f.size};
            Cleanup(table);
        } else if (!settings_.launcherOnly) {
            for (const auto& [path, f] : manifest_.files) table[path] = {f.crc, f.size};
            Cleanup(table);
        }
    }
    if (Stopped()) return;
    Post(crDone, true);
}

bool CCheckerThread::NeedLauncherUpdate() {
    LauncherInfo info;
    launcherUpdate_ = false;
    if (!ReadLauncherInfo(settings_.newManifest, info)) return false;
    std::string bytes;
    const bool readable = ReadWholeFile(settings_.launcherPath, bytes, kLauncherSizeLimit);
    if (info.version != WideToUtf8(ReadFileVersion(settings_.launcherPath)) || !readable ||
        int64_t(bytes.size()) != info.size) {
        launcherUpdate_ = true;
    } else if (info.crcPresent) {
        uint32_t value = 0;
        launcherUpdate_ = LauncherChecksum(&bytes, ChecksumVariant::A, value) != 0 || value != info.crc;
    }
    return launcherUpdate_;
}

bool CCheckerThread::CanRun() {
    if (Stopped()) return true;
    if (oldFiles_.empty()) return false;
    const std::string oldText = settings_.oldManifest, newText = settings_.newManifest;
    if (ManifestRootAttribute(oldText, "modification") != ManifestRootAttribute(newText, "modification")) {
        manifestChanged_ = true;
        return false;
    }
    const std::string oldVersion = TwoLevels(ManifestRootAttribute(oldText, "clientVersion"));
    if (oldVersion.empty() || oldVersion != TwoLevels(ManifestRootAttribute(newText, "clientVersion"))) return false;
    for (const auto& [path, record] : oldFiles_) {
        const std::wstring full = settings_.installFolder + L"\\" + path;
        uint32_t crc = 0;
        uint64_t size = 0;
        DWORD error = 0;
        if (!FileCrc(full, crc, size, error, [this] { return Stopped(); })) {
            runBlocker_ = Format(L"run blocker: [can't open file (GetLastError() = %d) ], file = %ls", int(error),
                                 full.c_str());
            return false;
        }
        if (crc != record.crc || size != record.size) {
            runBlocker_ = Format(L"run blocker: [crc mismatch], file = %ls", full.c_str());
            return false;
        }
    }
    return true;
}

bool CCheckerThread::CheckFiles() {
    size_t count = 0;
    for (const auto& [path, record] : manifest_.files) {
        if (++count % 10 == 0) Sleep(0);
        if (Stopped()) return false;
        if (record.type == ptExt && !settings_.selectedAddOns.count(record.program)) continue;
        bool need;
        if (fastCompare_) {
            const auto old = oldFiles_.find(path);
            need = old == oldFiles_.end() || old->second.crc != record.crc || old->second.size != record.size;
        } else {
            uint32_t crc = 0;
            uint64_t size = 0;
            DWORD error = 0;
            need = !FileCrc(settings_.installFolder + L"\\" + path, crc, size, error, [this] { return Stopped(); }) ||
                   crc != record.crc || size != record.size;
        }
        if (need) needed_.push_back({path, record.pack});
    }
    NeedLauncherUpdate();
    const bool runnable = CanRun();
    canRun_ = runnable && !launcherUpdate_ && !fastCompare_;
    if (runnable) {
        if (launcherUpdate_)
            runBlocker_ = L"run blocker: [new launcher]";
        else if (fastCompare_)
            runBlocker_ = L"run blocker: [cmd - fast check]";
    }
    return !Stopped();
}

void CCheckerThread::BuildQueue() {
    neededPacks_ = ChooseDownloads(needed_, manifest_.packs, manifest_.increments);
    Scope lock(lock_);
    if (!settings_.queue) return;
    settings_.queue->items.clear();
    settings_.queue->bytesToDownload = 0;
    for (const std::wstring& name : neededPacks_) {
        const PackInfo& pack = manifest_.packs.at(name);
        DownloadQueueItem item;
        item.file = WideToUtf8(name);
        item.crc = pack.crc;
        item.sha256 = pack.sha256;
        item.size = pack.size;
        item.outstanding = pack.size;
        settings_.queue->items.push_back(item);
        settings_.queue->bytesToDownload = AddBytes(settings_.queue->bytesToDownload, pack.size);
    }
}

bool CCheckerThread::Kept(const std::wstring& relative, const std::wstring& name) const {
    const std::wstring path = Lower(relative), lowerName = Lower(name);
    if (manifest_.keptPaths.count(path) || manifest_.keptNames.count(lowerName)) return true;
    const size_t dot = lowerName.rfind(L'.');
    return dot != std::wstring::npos && dot != 0 && manifest_.keptNames.count(L"*" + lowerName.substr(dot));
}

void CCheckerThread::Cleanup(const Table& table) { CleanFolder(settings_.installFolder, L"", table); }

void CCheckerThread::CleanFolder(const std::wstring& folder, const std::wstring& relative, const Table& table) {
    std::vector<WIN32_FIND_DATAW> entries;
    for (CFindFiles find(folder + L"\\*"); find.Found(); find.Next())
        if (wcscmp(find.Name(), L".") && wcscmp(find.Name(), L"..")) entries.push_back(find.Data());
    for (const WIN32_FIND_DATAW& e : entries) {
        if (Stopped()) return;
        const std::wstring name = e.cFileName, rel = relative + name, full = folder + L"\\" + name;
        if (relative.empty()) {
            bool state = false;
            for (const wchar_t* kept : kLauncherState) state = state || Lower(name) == kept;
            if (state) continue;
        }
        if (e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A junction or link may lead out of the installation: never followed.
            if ((e.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || Kept(rel, name)) continue;
            CleanFolder(full, rel + L"\\", table);
            RemoveDirectoryW(full.c_str());
            continue;
        }
        const size_t dot = name.rfind(L'.');
        if (dot != std::wstring::npos && Lower(name.substr(dot + 1)) == L"log") continue;
        const auto listed = table.find(Lower(rel));
        if (listed != table.end()) {
            uint32_t crc = 0;
            uint64_t size = 0;
            DWORD error = 0;
            if (FileCrc(full, crc, size, error, [this] { return Stopped(); }) &&
                (crc != listed->second.first || size != listed->second.second))
                DeleteFileW(full.c_str());
        } else if (!Kept(rel, name)) {
            DeleteFileW(full.c_str());
        }
    }
}

bool CCheckerThread::WriteCrcFile() { return WriteCrcList(); }

bool CCheckerThread::ReadAppList(const std::wstring& folder, std::vector<AppListRecord>& list) {
    Scope lock(lock_);
    return CAppList::Read(folder, list);
}

bool CCheckerThread::FindOrAddApp(const std::wstring& name, const std::wstring& exec, bool queryOnly) {
    Scope lock(lock_);
    return appList_.FindOrAdd(name, exec, queryOnly);
}

bool CCheckerThread::WriteAppList(bool internalOnly) {
    Scope lock(lock_);
    return appList_.Write(settings_.installFolder, internalOnly, manifest_.extAddOns, manifest_.intAddOns);
}

void CCheckerThread::DeleteAppList() { CAppList::Delete(settings_.installFolder); }

bool CCheckerThread::GetShortcutChanges(std::vector<ProgramChange>& out) {
    Scope lock(lock_);
    return appList_.ShortcutChanges(settings_.installFolder, manifest_.intAddOns, out);
}

bool CCheckerThread::GetNewAddOns(std::vector<ExtAddOn>& out) {
    Scope lock(lock_);
    appList_.NewAddOns(manifest_.extAddOns, out);
    return true;
}
