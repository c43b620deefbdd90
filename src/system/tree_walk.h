#pragma once
// The walk over an installation folder that counts and deletes what is
// below it. Junctions, symbolic links and other reparse points are removed
// as links and never entered: what they point to is outside the folder.
// No state; runs on the calling thread (the assistant's main thread or the
// uninstaller thread), which also receives the step callbacks.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

// The files and folders below `folder`, recursively; a link counts as one
// entry.
int64_t CountFiles(const std::wstring& folder);

struct TreeWalk {
    // Files of this name (case ignored, at any depth) are kept.
    std::wstring spare;
    // Attempts per file, 100 ms apart.
    int attempts = 1;
    // Set by another thread; the walk stops at the next entry.
    const std::atomic<bool>* cancel = nullptr;
    // Called after every entry the walk counts.
    std::function<void()> step;
};

// Deletes everything below `folder` depth-first except the spared files;
// each sub-folder is removed after its walk. True when nothing was left
// but the spared files and the walk was not cancelled. `folder` itself
// stays, unless it is itself a link, which is removed as one. A folder
// shorter than 4 characters (a drive root or a damaged name) is refused.
bool DeleteTree(const std::wstring& folder, const TreeWalk& walk);
