#pragma once
// The logic's list of packs to download. The checker fills it on its own
// thread under its lock; the logic reads and changes it on the UI thread
// under the same lock. Sizes and counts are 64-bit: installations and
// packs may exceed 4 GiB.

#include <cstdint>
#include <list>
#include <string>

struct DownloadQueueItem {
    std::string file;  // pack file name
    std::string url;   // empty: relative to the update path
    uint32_t crc = 0;
    uint64_t size = 0;
    std::string sha256;  // the manifest's, when the set is signed
    uint64_t received = 0;
    uint64_t outstanding = 0;
    std::string text1, text2;
};

struct DownloadQueue {
    std::list<DownloadQueueItem> items;
    uint64_t bytesToDownload = 0;  // sum of the queued sizes
};
