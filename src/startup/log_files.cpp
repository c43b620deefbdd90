#include "log_files.h"

#include "find_files.h"
#include "folders.h"

#include <cwchar>
#include <vector>

namespace {

// Scans "yyyymmdd_hhmmss." at the start of a logs\ folder name.
bool StampTime(const wchar_t* name, FILETIME& out) {
    int y, mo, d, h, mi, s;
    if (swscanf(name, L"%04d%02d%02d_%02d%02d%02d.", &y, &mo, &d, &h, &mi, &s) != 6) return false;
    const WORD dosDate = WORD(((y - 1980) << 9) | (mo << 5) | d);
    const WORD dosTime = WORD((h << 11) | (mi << 5) | (s / 2));
    return DosDateTimeToFileTime(dosDate, dosTime, &out) != 0;
}

bool EndsWithLog(const std::wstring& name) {
    return name.size() >= 4 && _wcsicmp(name.c_str() + name.size() - 4, L".log") == 0;
}

}  // namespace

void MoveEarlierLogs(const std::wstring& folder) {
    const std::wstring logs = folder + L"logs\\";
    std::wstring newest;
    FILETIME newestTime{};
    for (CFindFiles find(logs + L"*.*"); find.Found(); find.Next()) {
        FILETIME t;
        if (!find.IsFolder() || !StampTime(find.Name(), t)) continue;
        if (newest.empty() || CompareFileTime(&t, &newestTime) > 0) {
            newest = find.Name();
            newestTime = t;
        }
    }
    if (newest.empty()) return;

    const size_t dot = newest.rfind(L'.');
    const std::wstring ext = dot == std::wstring::npos ? std::wstring() : newest.substr(dot + 1);
    const std::wstring prefix = logs + newest + L"\\" + ext + L".";

    std::vector<std::wstring> files;
    for (CFindFiles find(folder + L"*.log"); find.Found(); find.Next())
        if (!find.IsFolder() && EndsWithLog(find.Name())) files.push_back(find.Name());

    for (const std::wstring& name : files) {
        const std::wstring base = name.substr(0, name.rfind(L'.'));
        for (int i = 0; i < 100; ++i) {
            const std::wstring target =
                prefix + base + (i == 0 ? std::wstring(L".log") : L"(" + std::to_wstring(i) + L").log");
            if (FileExists(target)) continue;
            MoveFileW((folder + name).c_str(), target.c_str());
            break;
        }
    }
}

std::wstring ChooseLauncherLogPath(const std::wstring& exePath, const SYSTEMTIME& now) {
    const size_t slash = exePath.rfind(L'\\');
    if (slash == std::wstring::npos) return exePath + L".log";
    const std::wstring folder = exePath.substr(0, slash + 1);
    const std::wstring exeName = exePath.substr(slash + 1);
    MoveEarlierLogs(folder);
    std::wstring path;
    for (int n = 0; n < 100; ++n) {
        wchar_t suffix[16] = L"";
        if (n) swprintf(suffix, 16, L"_%d", n);
        wchar_t stamp[64];
        swprintf(stamp, 64, L"%04d%02d%02d_%02d%02d%02d", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                 now.wSecond);
        path = folder + stamp + suffix + L"." + exeName + L".log";
        // A name is taken even when its file cannot be opened: another
        // launcher started in the same second holds its log open for writing.
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) break;
    }
    return path;
}

std::wstring ReadFileVersion(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (!size) return {};
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return {};
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &len) || !info) return {};
    wchar_t buf[64];
    swprintf(buf, 64, L"%d.%d.%d.%d", int(HIWORD(info->dwFileVersionMS)), int(LOWORD(info->dwFileVersionMS)),
             int(HIWORD(info->dwFileVersionLS)), int(LOWORD(info->dwFileVersionLS)));
    return buf;
}

void WriteStartupBanner(CLogImplW& log, const std::wstring& version, const std::wstring& osName,
                        const std::wstring& commandTail, const wchar_t* runCodeText) {
    auto raw = [&log](const std::wstring& text) {
        log.WriteRaw(text.size() * sizeof(wchar_t), text.c_str());
        log.WriteNewLines(1);
    };
    log.WriteTitle(L"launcher started", true);
    raw(L"v" + version);
    log.WriteTimeTitle();
    raw(L"\nOS: " + osName + L"\n");
    raw(L"Command line:");
    if (!commandTail.empty()) raw(commandTail);
    raw(L"Parse command line");
    log.WriteLine(L"g_rc = ", false);
    log.WriteLine(runCodeText, true);
}
