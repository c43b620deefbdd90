#pragma once
// Reflected IEEE 802.3 CRC-32 (polynomial 0xEDB88320), the zlib/ZIP CRC.
// Safe to call from any thread: the table is a compile-time constant.

#include <cstddef>
#include <cstdint>

// One-shot CRC. For zero bytes the result is 0xFFFFFFFF (callers compare
// against values written by earlier launchers that behave this way).
uint32_t Crc32(const void* data, size_t length);

// Continues a CRC over more data. For zero bytes `previous` is returned.
// Crc32Continue(b, Crc32(a)) == Crc32(a + b).
uint32_t Crc32Continue(const void* data, size_t length, uint32_t previous);

// Plain byte-at-a-time reference form, kept for tests and benchmarks that
// check the fast paths against it.
uint32_t Crc32Reference(const void* data, size_t length, uint32_t previous);
