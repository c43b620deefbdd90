#pragma once
// A tiny disk (a Linux tmpfs, mounted through Wine's Unix tools; the tests
// run as root) on a new folder for the object's lifetime, so that writes
// fail for want of space the way they do on a full disk.

#include <string>

class CSmallDisk {
public:
    // Creates `folder` and mounts `kilobytes` of space on it.
    CSmallDisk(const std::wstring& folder, unsigned kilobytes);
    ~CSmallDisk();
    CSmallDisk(const CSmallDisk&) = delete;
    CSmallDisk& operator=(const CSmallDisk&) = delete;

    bool Mounted() const { return mounted_; }
    // Fills the remaining space with the file `name`; true when the disk
    // then refuses even one more byte.
    bool Fill(const std::wstring& name) const;

private:
    std::wstring folder_;
    bool mounted_ = false;
};
