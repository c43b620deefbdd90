#pragma once
// A FindFirstFile search over one pattern; the search handle closes with
// the object.
//   for (CFindFiles f(folder + L"\\*.*"); f.Found(); f.Next()) use(f.Data());

#include "startup/handle.h"

#include <string>

class CFindFiles {
public:
    explicit CFindFiles(const std::wstring& pattern)
        : handle_(FindFirstFileW(pattern.c_str(), &data_)), found_(handle_.IsValid()) {}

    bool Found() const { return found_; }
    // Moves to the next entry; false (and Found() false) past the last one.
    bool Next() { return found_ = FindNextFileW(handle_.Get(), &data_) != 0; }
    const WIN32_FIND_DATAW& Data() const { return data_; }
    const wchar_t* Name() const { return data_.cFileName; }
    bool IsFolder() const { return (data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

private:
    WIN32_FIND_DATAW data_{};
    CFindHandle handle_;
    bool found_;
};
