#pragma once
// The CRC-32 and length of a file, read in pieces so that memory stays
// bounded whatever the file's size. The value equals Crc32 over the whole
// content (0xFFFFFFFF for an empty file). Any thread.

#include <windows.h>

#include <cstdint>
#include <string>

// False with the system error in `error` when the file cannot be opened or read.
bool FileCrc(const std::wstring& path, uint32_t& crc, uint64_t& size, DWORD& error);
