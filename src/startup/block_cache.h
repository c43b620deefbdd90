#pragma once
// Large memory blocks kept for reuse by buffers. Download parts are
// megabytes each and follow one another: a fresh block for every part
// costs a page fault and the zeroing of every page again, which weighs
// more than receiving the bytes. A freed block of at least
// kCachedBlockMinimum waits here (at most kCachedBlocks of them) for the
// next buffer of about its size. Thread-safe: parts are received on one
// thread and freed on another.

#include <cstdint>

constexpr uint32_t kCachedBlockMinimum = 1u << 20;
constexpr int kCachedBlocks = 2;

// A kept block of at least `size` bytes and at most twice that, with its
// capacity; nullptr when none fits.
void* TakeCachedBlock(uint32_t size, uint32_t& capacity);
// Keeps the block or frees it.
void ReleaseBlock(void* block, uint32_t capacity);
