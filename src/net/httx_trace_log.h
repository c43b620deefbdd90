#pragma once
// The HTTP trace log of one context: a CCypherLog holding records made of
// a heading line (title, '=' fill, timestamp), labelled field lines and
// blocks, ended by an empty line. Used only on the transport thread.

#include "net/net_records.h"
#include "startup/cypher_log.h"

#include <cstdint>
#include <string>

namespace NetEx {

class CHttxTraceLog {
public:
    static constexpr int kHeadingWidth = 90;

    // Opens "<directory><pid>.<name>.log" (name sanitised). 0 on success,
    // else the system error code.
    uint32_t Open(TraceConfig& config, const std::string& contextName, const ClockReference& clock);
    void SetClock(const ClockReference& clock) {
        clock_ = clock;
        timeTextMs_ = -1;
    }
    bool IsOpen() const { return log_.IsOpen(); }
    void Close() { log_.Close(); }

    void Heading(const std::string& title);
    // label is six characters wide ("Url:  ", "Id:   ", ...).
    void Field(const char* label, const std::string& value);
    void Field(const char* label, uint64_t value);
    void Block(const char* label, const void* data, size_t length);
    void End();
    // "WinInet error 12029:" and the system text; nothing for 0.
    void ErrorLine(uint32_t code);

    // Replaces bytes that cannot stand in a file name by '-'.
    static std::string SanitiseName(const std::string& name);
    // "[05.01.2024 09:30:12.045]" for the given local time and reference.
    static std::string Timestamp(const SYSTEMTIME& local, const ClockReference& clock);

private:
    void Put(const std::string& text);
    const std::string& CurrentTimestamp();

    CCypherLog log_;
    ClockReference clock_;
    std::string timeText_;
    int64_t timeTextMs_ = -1;
};

}  // namespace NetEx
