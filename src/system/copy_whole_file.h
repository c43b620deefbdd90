#pragma once
// Replacing a file by another file's bytes. Any thread; no logging.

#include <string>

// The destination ends up holding exactly the source's bytes. The bytes go
// to a file beside the destination first and then replace it in one step,
// so a failed attempt (for example while the old launcher still runs from
// the destination) leaves the destination as it was.
bool CopyWholeFile(const std::wstring& source, const std::wstring& destination);
