#include "block_cache.h"

#include <cstdlib>
#include <mutex>

namespace {

struct CachedBlock {
    void* block = nullptr;
    uint32_t capacity = 0;
};

std::mutex g_lock;
CachedBlock g_blocks[kCachedBlocks];

}  // namespace

void* TakeCachedBlock(uint32_t size, uint32_t& capacity) {
    if (size < kCachedBlockMinimum) return nullptr;
    std::lock_guard<std::mutex> lock(g_lock);
    for (CachedBlock& kept : g_blocks) {
        if (kept.block && kept.capacity >= size && kept.capacity / 2 <= size) {
            void* block = kept.block;
            capacity = kept.capacity;
            kept = CachedBlock();
            return block;
        }
    }
    return nullptr;
}

void ReleaseBlock(void* block, uint32_t capacity) {
    if (!block) return;
    if (capacity >= kCachedBlockMinimum) {
        std::lock_guard<std::mutex> lock(g_lock);
        // The smallest kept block gives way to a larger one: parts are the
        // largest blocks and the ones that come again.
        CachedBlock* slot = &g_blocks[0];
        for (CachedBlock& kept : g_blocks) {
            if (!kept.block) {
                slot = &kept;
                break;
            }
            if (kept.capacity < slot->capacity) slot = &kept;
        }
        if (!slot->block || slot->capacity < capacity) {
            std::free(slot->block);
            *slot = CachedBlock{block, capacity};
            return;
        }
    }
    std::free(block);
}
