#include "httx_trace_log.h"

#include "startup/date_time.h"
#include "startup/handle.h"
#include "startup/text.h"

#include <cstdio>
#include <cstdlib>

namespace NetEx {

namespace {
constexpr size_t kMaxDirectory = 2048;
constexpr size_t kMaxName = 512;
constexpr DWORD kMaxMessage = 2048;
// A space followed by '=' characters, long enough for any heading.
const std::string kFill = " " + std::string(CHttxTraceLog::kHeadingWidth, '=');
}  // namespace

std::string CHttxTraceLog::SanitiseName(const std::string& name) {
    std::string out = name;
    for (char& c : out) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b <= 30 || b >= 0x80 || c == '"' || c == '/' || c == ':' || c == '<' || c == '>' || c == '\\' ||
            c == '|')
            c = '-';
    }
    return out;
}

uint32_t CHttxTraceLog::Open(TraceConfig& config, const std::string& contextName,
                             const ClockReference& clock) {
    if (log_.IsOpen()) return ERROR_ALREADY_EXISTS;
    char name[kMaxName + 1];
    snprintf(name, sizeof(name), "%lu.%s.log", static_cast<unsigned long>(GetCurrentProcessId()),
             contextName.c_str());
    // The sanitised name is plain ASCII; the folder may be any name.
    const std::wstring path = config.directory.substr(0, kMaxDirectory) + Utf8ToWide(SanitiseName(name));
    CCypherLog& log = log_;
    log.SetMaxBlock(config.maxBlock);
    log.SetFlushEachRecord(config.flushEachRecord != 0);
    CBuffer& key = config.key;
    if (!log.OpenCiphered(path, key.length() ? key.data() : nullptr, key.length(), config.bufferSize)) {
        const DWORD error = GetLastError();
        log.Close();
        return error ? error : ERROR_OPEN_FAILED;
    }
    clock_ = clock;
    // A new file (or one holding only a block header) starts with the BOM.
    LARGE_INTEGER size{};
    const CFile existing(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
    if (existing.IsValid()) GetFileSizeEx(existing.Get(), &size);
    if (size.QuadPart == 0 || size.QuadPart == 8) log.Write("\xEF\xBB\xBF", 3);
    return 0;
}

std::string CHttxTraceLog::Timestamp(const SYSTEMTIME& local, const ClockReference& clock) {
    std::string zone;
    if (clock.biasSeconds != 0) {
        const int bias = abs(clock.biasSeconds);
        char text[32];
        int n = snprintf(text, sizeof(text), "GMT%c%d", clock.biasSeconds <= 0 ? '+' : '-', bias / 3600);
        if (bias % 3600 / 60) n += snprintf(text + n, sizeof(text) - size_t(n), ":%d", bias % 3600 / 60);
        zone.assign(text, size_t(n));
        zone += ' ';
    }
    char text[64];
    snprintf(text, sizeof(text), "[%s%02u.%02u.%04u %02u:%02u:%02u.%03u]", zone.c_str(), local.wDay, local.wMonth,
             local.wYear, local.wHour, local.wMinute, local.wSecond, local.wMilliseconds);
    return text;
}

const std::string& CHttxTraceLog::CurrentTimestamp() {
    const int64_t now = CurrentTimeMs();
    if (now == timeTextMs_) return timeText_;
    timeTextMs_ = now;
    SYSTEMTIME local;
    GetLocalTime(&local);
    if (clock_.correctionMs) {
        FILETIME ft;
        SystemTimeToFileTime(&local, &ft);
        const int64_t t = ((int64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) + clock_.correctionMs * 10000;
        ft.dwLowDateTime = DWORD(t & 0xFFFFFFFF);
        ft.dwHighDateTime = DWORD(uint64_t(t) >> 32);
        FileTimeToSystemTime(&ft, &local);
    }
    timeText_ = Timestamp(local, clock_);
    return timeText_;
}

void CHttxTraceLog::Put(const std::string& text) {
    if (log_.IsOpen()) log_.Write(text.data(), uint32_t(text.size()));
}

void CHttxTraceLog::Heading(const std::string& title) {
    if (!log_.IsOpen()) return;
    const std::string& time = CurrentTimestamp();
    int n = kHeadingWidth - int(title.size()) - int(time.size());
    if (n < 3) n = 3;
    const size_t first = title.empty() ? 1 : 0;
    Put(title + kFill.substr(first, size_t(n)) + time + "\r\n");
}

void CHttxTraceLog::Field(const char* label, const std::string& value) { Put(label + value + "\r\n"); }

void CHttxTraceLog::Field(const char* label, uint64_t value) { Field(label, std::to_string(value)); }

void CHttxTraceLog::Block(const char* label, const void* data, size_t length) {
    if (!log_.IsOpen()) return;
    Put(std::string(label) + "\r\n");
    Put(std::string(static_cast<const char*>(data), length) + "\r\n");
}

void CHttxTraceLog::End() {
    if (!log_.IsOpen()) return;
    Put("\r\n");
}

void CHttxTraceLog::ErrorLine(uint32_t code) {
    if (!code || !log_.IsOpen()) return;
    if (code == 0xFFFFFFFFu) {
        Put("Failed\r\n");
    } else {
        const char* kind = code >= 10000 && code <= 11999   ? "Winsock error"
                           : code >= 12000 && code <= 12174 ? "WinInet error"
                                                            : "Error";
        Put(std::string(kind) + " " + std::to_string(code) + ":\r\n");
        char text[kMaxMessage] = {};
        const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_FROM_HMODULE |
                                           FORMAT_MESSAGE_IGNORE_INSERTS,
                                       GetModuleHandleA("wininet.dll"), code, 0, text, kMaxMessage, nullptr);
        if (n) Put(std::string(text, n));
    }
    End();
}

}  // namespace NetEx
