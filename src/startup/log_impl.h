#pragma once
// The launcher's own log: one file per run next to the executable, lines
// built in UTF-16 and written as UTF-8 once the file is open.
//
// No lock: written mainly from the UI thread; the unpacker thread also
// writes whole lines. Reached through g_pLog, which the entry point sets
// once and clears before closing the file.

#include "handle.h"

#include <string>

class CLogImplW {
public:
    CLogImplW() = default;
    CLogImplW(const CLogImplW&) = delete;
    CLogImplW& operator=(const CLogImplW&) = delete;
    virtual ~CLogImplW();

    // Opens or creates `path` (only when no file is open) and truncates it.
    virtual bool Open(const std::wstring& path);
    virtual void Close();
    virtual bool IsOpen() const;
    virtual bool Truncate();
    // 80 '=' with " text " centred, or "=== text ===" for long texts.
    virtual bool WriteTitle(const wchar_t* text, bool newLine);
    virtual bool WriteSeparator();
    virtual bool WriteLine(const wchar_t* text, bool newLine);
    virtual bool WriteTimePrefix();
    virtual bool WriteTimeTitle();
    // Writes `count` line ends; refuses counts outside 1..10.
    virtual bool WriteNewLines(int count);
    // Returns whether the value changed.
    virtual bool SetDisabled(bool disabled);
    virtual bool IsDisabled() const;
    virtual void SetFlushEach(bool flush);
    virtual void SetUtf8(bool utf8);
    // Writes the text's bytes; in UTF-8 mode the whole zero-terminated text
    // is converted and byteCount is ignored.
    virtual bool WriteRaw(size_t byteCount, const wchar_t* text);

private:
    bool CanWrite(const void* text) const;
    bool Put(const wchar_t* text, size_t chars);
    bool PutLineEnd();
    void AfterLine();

    CFile file_;
    bool disabled_ = false;
    bool flushEach_ = true;
    bool utf8_ = false;
};

// Builds a title line: 80 '=' with " text " centred, or "=== text ===".
std::wstring MakeTitleLine(const std::wstring& text);

// The process-wide launcher log; null before the entry point opens it.
extern CLogImplW* g_pLog;

// Convenience writers through g_pLog; silent when there is no log.
void LogLine(const std::wstring& text);
void LogPart(const std::wstring& text);  // no line end: a later LogLine completes it
void LogFormat(const wchar_t* format, ...);
