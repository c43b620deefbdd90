#pragma once
// The CRC-32 and length of a file, read in pieces so that memory stays
// bounded whatever the file's size. The value equals Crc32 over the whole
// content (0xFFFFFFFF for an empty file). Any thread; a worker passes its
// stop test, asked before every piece, so a huge file cannot hold up its exit.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

// False with the system error in `error` when the file cannot be opened or
// read, and with ERROR_OPERATION_ABORTED once `stopped` says so.
bool FileCrc(const std::wstring& path, uint32_t& crc, uint64_t& size, DWORD& error,
             const std::function<bool()>& stopped = nullptr);
