#pragma once
// The files of a client folder as an update set stores them: relative
// paths (UTF-8, '/'-separated) checked against what Windows and the
// launcher's records can hold, and streamed content checksums.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct ClientFile {
    std::string rel;              // "bin/Game.exe"
    std::filesystem::path path;   // on disk
    uint64_t size = 0;
};

// Longest relative path (UTF-16 units) a set may carry: the launcher opens
// files below its installation folder with plain Win32 paths of at most
// 259 characters, and this leaves 59 of them for the folder.
constexpr size_t kMaxRelativePath = 200;

// Every regular file below `root`, sorted by path. Fails, naming the
// entry, on symbolic links, special files, names Windows cannot hold,
// paths that are too long, or two paths that differ only in case.
bool ScanClientFolder(const std::filesystem::path& root, std::vector<ClientFile>& files, std::string& error);

// Why a relative path cannot be stored, or empty when it can.
std::string PathProblem(const std::string& rel);

// The manifest's CRC-32 and size of a file, read in pieces.
bool HashFile(const std::filesystem::path& path, uint32_t& crc, uint64_t& size, std::string& error);

// "bin/a.txt" -> "bin\a.txt" (the manifest's and the launcher's form).
std::string BackslashPath(std::string rel);
// Lowered A-Z and '\' as separator, for comparisons the way Windows does.
std::string FoldPath(std::string rel);

// UTF-8 display/argument form of a path.
std::string U8(const std::filesystem::path& p);
