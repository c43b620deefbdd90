#pragma once
// Texts and figures of the update cycle that depend on nothing but their
// inputs: download file names, the licence text, network error texts and
// the progress display. Any thread; the texts use the current string table.

#include <cstdint>
#include <string>

// "<folder>\tmp\<CRC-32 as 8 upper-case hex digits>.<size>".
std::wstring DownloadFilePath(const std::wstring& folder, uint32_t crc, uint64_t size);
// "<folder>\tmp\Launcher.exe.<version>.<size>".
std::wstring LauncherDownloadPath(const std::wstring& folder, const std::string& version, uint64_t size);

// LICENSE/text() of the answer's root element with "<br/>" as line feeds
// and "&nbsp;" as spaces; false when the body is not XML or has no text.
bool ExtractLicenceText(const std::string& body, std::wstring& text);

// The description WinINet (or the system) gives for `code`, without its
// line end; empty for 0 or an unknown code.
std::wstring NetSystemText(unsigned long code);

// The error text of a failed request before any maintenance notice:
// the answer body or "Network error" (or the runtime-update text for
// kind 2), the HTTP status and the system error code, and the system's
// description when there is one.
std::wstring NetErrorText(int kind, unsigned long code, int status, const std::string& body,
                          const std::wstring& systemText);

// The two phases of the progress display.
struct ProgressFigures {
    bool downloading = true;  // else unpacking
    double doneKb = 0;
    double totalKb = 0;
    double percent = 0;       // downloading phase
    int wholePercent = 0;     // unpacking phase
};
ProgressFigures ComputeProgress(uint64_t bytesDone, uint64_t bytesToDownload, bool newLauncherKnown,
                                uint64_t unpackedKb, uint64_t totalSize);
