#include "log_impl.h"

#include "text.h"

#include <cstdarg>
#include <cwchar>

CLogImplW* g_pLog = nullptr;

namespace {
constexpr size_t kTitleWidth = 80;
const wchar_t kLineEnd[] = L"\r\n";
}  // namespace

std::wstring MakeTitleLine(const std::wstring& text) {
    if (text.size() + 4 < kTitleWidth) {
        std::wstring line(kTitleWidth, L'=');
        const size_t p = (kTitleWidth - 2 - text.size()) / 2;
        line[p] = L' ';
        line.replace(p + 1, text.size(), text);
        line[p + 1 + text.size()] = L' ';
        return line;
    }
    return L"=== " + text + L" ===";
}

CLogImplW::~CLogImplW() { Close(); }

bool CLogImplW::Open(const std::wstring& path) {
    if (file_.IsValid() || path.empty()) return file_.IsValid();
    file_.Reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_.IsValid()) return false;
    Truncate();
    return true;
}

void CLogImplW::Close() {
    if (IsOpen()) file_.Reset();
}

bool CLogImplW::IsOpen() const { return file_.IsValid(); }

bool CLogImplW::Truncate() {
    if (!IsOpen()) return false;
    return SetFilePointer(file_.Get(), 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
           SetEndOfFile(file_.Get());
}

bool CLogImplW::CanWrite(const void* text) const { return IsOpen() && text; }

bool CLogImplW::Put(const wchar_t* text, size_t chars) {
    DWORD written = 0;
    if (utf8_) {
        const std::string bytes = WideToUtf8(std::wstring(text, chars));
        if (bytes.empty()) return chars == 0;
        return WriteFile(file_.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
               written == bytes.size();
    }
    const DWORD n = DWORD(chars * sizeof(wchar_t));
    return WriteFile(file_.Get(), text, n, &written, nullptr) && written == n;
}

bool CLogImplW::PutLineEnd() { return Put(kLineEnd, 2); }

void CLogImplW::AfterLine() {
    if (flushEach_) FlushFileBuffers(file_.Get());
}

bool CLogImplW::WriteTitle(const wchar_t* text, bool newLine) {
    if (!CanWrite(text)) return false;
    if (disabled_) return true;
    const std::wstring line = MakeTitleLine(text);
    bool ok = Put(line.c_str(), line.size());
    if (ok && newLine) ok = PutLineEnd();
    if (ok) AfterLine();
    return ok;
}

bool CLogImplW::WriteSeparator() {
    if (!IsOpen()) return false;
    if (disabled_) return true;
    const std::wstring line = std::wstring(kTitleWidth, L'=') + kLineEnd;
    const bool ok = Put(line.c_str(), line.size());
    if (ok) AfterLine();
    return ok;
}

bool CLogImplW::WriteLine(const wchar_t* text, bool newLine) {
    if (!CanWrite(text)) return false;
    if (disabled_) return true;
    bool ok = Put(text, wcslen(text));
    if (ok && newLine) ok = PutLineEnd();
    if (ok) AfterLine();
    return ok;
}

namespace {
std::wstring LocalTimeText() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    wchar_t buf[64];
    swprintf(buf, 64, L"%d/%d/%d -- %02d:%02d:%02d", t.wDay, t.wMonth, t.wYear, t.wHour, t.wMinute, t.wSecond);
    return buf;
}
}  // namespace

bool CLogImplW::WriteTimePrefix() {
    if (!IsOpen()) return false;
    if (disabled_) return true;
    const std::wstring text = LocalTimeText() + L"  :";
    const bool ok = Put(text.c_str(), text.size());
    if (ok) AfterLine();
    return ok;
}

bool CLogImplW::WriteTimeTitle() { return WriteTitle(LocalTimeText().c_str(), true); }

bool CLogImplW::WriteNewLines(int count) {
    if (!IsOpen() || count < 1 || count > 10) return false;
    if (disabled_) return true;
    std::wstring text;
    for (int i = 0; i < count; ++i) text += kLineEnd;
    const bool ok = Put(text.c_str(), text.size());
    if (ok) AfterLine();
    return ok;
}

bool CLogImplW::SetDisabled(bool disabled) {
    const bool changed = disabled_ != disabled;
    disabled_ = disabled;
    return changed;
}

bool CLogImplW::IsDisabled() const { return disabled_; }

void CLogImplW::SetFlushEach(bool flush) { flushEach_ = flush; }

void CLogImplW::SetUtf8(bool utf8) { utf8_ = utf8; }

bool CLogImplW::WriteRaw(size_t byteCount, const wchar_t* text) {
    if (!CanWrite(text)) return false;
    if (disabled_) return true;
    const size_t chars = utf8_ ? wcslen(text) : byteCount / sizeof(wchar_t);
    const bool ok = Put(text, chars);
    if (ok) AfterLine();
    return ok;
}

void LogLine(const std::wstring& text) {
    if (g_pLog) g_pLog->WriteLine(text.c_str(), true);
}

void LogPart(const std::wstring& text) {
    if (g_pLog) g_pLog->WriteLine(text.c_str(), false);
}

void LogFormat(const wchar_t* format, ...) {
    if (!g_pLog) return;
    wchar_t buf[2048];
    va_list args;
    va_start(args, format);
    const int n = vswprintf(buf, sizeof(buf) / sizeof(buf[0]), format, args);
    va_end(args);
    if (n >= 0) g_pLog->WriteLine(buf, true);
}
