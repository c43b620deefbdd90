#include "common/small_disk.h"

#include "common/temp_folder.h"
#include "startup/handle.h"

#include <windows.h>

#include <vector>

CSmallDisk::CSmallDisk(const std::wstring& folder, unsigned kilobytes) : folder_(folder) {
    CreateDirectoryW(folder.c_str(), nullptr);
    // The tool's exit code does not come through Wine: the disk shows by
    // refusing more bytes than it holds.
    RunUnixTool("mount -t tmpfs -o size=" + std::to_string(kilobytes) + "k tmpfs", {folder});
    const std::wstring probe = folder + L"\\probe";
    const std::vector<char> bytes((kilobytes + 4) * 1024, 'p');
    for (int i = 0; i < 50 && !mounted_; ++i) {
        CFile file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        mounted_ = file.IsValid() &&
                   (!WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) || written != bytes.size());
        file.Reset();
        DeleteFileW(probe.c_str());
        if (!mounted_) Sleep(20);
    }
}

CSmallDisk::~CSmallDisk() {
    // Lazily: Wine may keep a closed file open a moment longer.
    RunUnixTool("umount -l", {folder_});
}

bool CSmallDisk::Fill(const std::wstring& name) const {
    CFile file(CreateFileW((folder_ + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    const std::vector<char> block(4096, 'x');
    DWORD written = 0;
    while (WriteFile(file.Get(), block.data(), DWORD(block.size()), &written, nullptr) && written == block.size()) {
    }
    while (WriteFile(file.Get(), block.data(), 1, &written, nullptr) && written == 1) {
    }
    return WriteFile(file.Get(), block.data(), 1, &written, nullptr) == FALSE;
}
