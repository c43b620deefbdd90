// The floor for unpacking under Wine: writes a tree of files (the tree the
// benchmark packages were made from) into a new folder with nothing but
// CreateFileW, ReadFile and WriteFile in 1 MiB pieces. Prints the time
// like unpack_bench, so pipeline_bench.sh can set the two side by side.
//
//   tree_write_bench.exe <source folder> <empty target folder>

#include "bench_support.h"
#include "startup/handle.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool CopyTree(const std::wstring& from, const std::wstring& to, std::vector<char>& piece, uint64_t& bytes) {
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW found;
    CFindHandle find(FindFirstFileW((from + L"\\*").c_str(), &found));
    if (!find.IsValid()) return false;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!CopyTree(from + L"\\" + name, to + L"\\" + name, piece, bytes)) return false;
            continue;
        }
        CFile in(CreateFileW((from + L"\\" + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                             nullptr));
        CFile out(CreateFileW((to + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!in.IsValid() || !out.IsValid()) return false;
        DWORD got = 0, written = 0;
        while (ReadFile(in.Get(), piece.data(), DWORD(piece.size()), &got, nullptr) && got) {
            if (!WriteFile(out.Get(), piece.data(), got, &written, nullptr) || written != got) return false;
            bytes += got;
        }
    } while (FindNextFileW(find.Get(), &found));
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::printf("usage: tree_write_bench <source folder> <target folder>\n");
        return 2;
    }
    std::vector<char> piece(1 << 20);
    uint64_t bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    if (!CopyTree(argv[1], argv[2], piece, bytes)) {
        std::printf("copy failed: %lu\n", GetLastError());
        return 1;
    }
    const double seconds = Seconds(start);
    const double mib = double(bytes) / (1 << 20);
    std::printf("plain CreateFileW/WriteFile: %.1f MiB tree in %.2f s, %.1f MiB/s, peak memory %.1f MiB\n", mib, seconds,
                mib / seconds, PeakMemoryMiB());
    return 0;
}
