#include "system/tree_walk.h"

#include "startup/find_files.h"
#include "startup/folders.h"

#include <windows.h>

namespace {

bool IsDots(const wchar_t* name) {
    return (name[0] == L'.' && name[1] == 0) || (name[0] == L'.' && name[1] == L'.' && name[2] == 0);
}

bool Cancelled(const TreeWalk& walk) { return walk.cancel && walk.cancel->load(); }

void CountStep(const TreeWalk& walk) {
    if (walk.step) walk.step();
}

bool DeleteFileWithRetries(const std::wstring& path, int attempts) {
    for (int i = 0; i < attempts; ++i) {
        if (i > 0) Sleep(100);
        if (DeleteFileW(path.c_str())) return true;
    }
    return false;
}

// The walk below one folder; false when something other than a spared
// file stayed or the walk was cancelled.
bool DeleteBelow(const std::wstring& folder, const TreeWalk& walk) {
    bool complete = true;
    for (CFindFiles find(folder + L"\\*.*"); find.Found(); find.Next()) {
        if (Cancelled(walk)) return false;
        if (IsDots(find.Name())) continue;
        const std::wstring child = folder + L"\\" + find.Name();
        const DWORD attributes = find.Data().dwFileAttributes;
        if (IsLink(attributes)) {
            complete = RemoveLink(child, attributes) && complete;
        } else if (find.IsFolder()) {
            complete = DeleteBelow(child, walk) && complete;
            if (Cancelled(walk)) return false;
            complete = RemoveDirectoryW(child.c_str()) && complete;
        } else if (_wcsicmp(find.Name(), walk.spare.c_str()) != 0) {
            complete = DeleteFileWithRetries(child, walk.attempts) && complete;
        }
        CountStep(walk);
    }
    return complete && !Cancelled(walk);
}

}  // namespace

int64_t CountFiles(const std::wstring& folder) {
    int64_t count = 0;
    for (CFindFiles find(folder + L"\\*.*"); find.Found(); find.Next()) {
        if (IsDots(find.Name())) continue;
        ++count;
        if (find.IsFolder() && !IsLink(find.Data().dwFileAttributes)) count += CountFiles(folder + L"\\" + find.Name());
    }
    return count;
}

bool DeleteTree(const std::wstring& folder, const TreeWalk& walk) {
    if (folder.size() < 4) return false;
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (IsLink(attributes)) return RemoveLink(folder, attributes);
    return DeleteBelow(folder, walk);
}
