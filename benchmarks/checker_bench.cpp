// The integrity checker over a generated installation of about 1 GiB in
// about 2,000 files of mixed sizes (full check: every file hashed), against
// a plain zlib crc32 pass over the same files in the same process. Prints
// the best of two rounds of each (alternating, so neither profits alone
// from the file cache), the ratio and the checker's peak memory.
//
//   checker_bench.exe [folder]     (default: a folder in %TEMP%, kept for reruns)

#include "bench_support.h"
#include "startup/handle.h"
#include "update/checker_thread.h"
#include "update/file_crc.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct BenchFile {
    std::wstring name;
    uint64_t size;
    uint32_t crc;
};

// Mixed sizes: many small files, some medium, a few large, about 1 GiB total.
std::vector<BenchFile> Plan() {
    std::vector<BenchFile> files;
    uint32_t state = 2463534242u;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    for (int i = 0; i < 2000; ++i) {
        uint64_t size;
        const uint32_t kind = next() % 100;
        if (kind < 70) size = 1024 + next() % (64 * 1024);             // small
        else if (kind < 95) size = 256 * 1024 + next() % (1u << 20);  // medium
        else size = (4u << 20) + next() % (4u << 20);                  // large
        files.push_back({L"data\\d" + std::to_wstring(i % 40) + L"\\f" + std::to_wstring(i) + L".bin", size, 0});
    }
    return files;
}

bool Generate(const std::wstring& root, std::vector<BenchFile>& files) {
    std::vector<unsigned char> block(1 << 20);
    for (size_t i = 0; i < block.size(); ++i) block[i] = (unsigned char)((i * 2654435761u) >> 13);
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW((root + L"\\data").c_str(), nullptr);
    for (int d = 0; d < 40; ++d) CreateDirectoryW((root + L"\\data\\d" + std::to_wstring(d)).c_str(), nullptr);
    for (size_t i = 0; i < files.size(); ++i) {
        BenchFile& f = files[i];
        block[0] = (unsigned char)i;  // every file differs
        block[1] = (unsigned char)(i >> 8);
        const std::wstring path = root + L"\\" + f.name;
        CFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        if (!file.IsValid()) return false;
        uLong crc = crc32(0, Z_NULL, 0);
        for (uint64_t left = f.size; left;) {
            const DWORD n = DWORD(left < block.size() ? left : block.size());
            DWORD written = 0;
            if (!WriteFile(file.Get(), block.data(), n, &written, nullptr) || written != n) return false;
            crc = crc32(crc, block.data(), n);
            left -= n;
        }
        f.crc = uint32_t(crc);
    }
    return true;
}

std::string Manifest(const std::vector<BenchFile>& files) {
    std::string xml = "<update clientVersion=\"1.0.0\"><PACK type=\"full\" file=\"all.pkg\" size=\"1\">";
    for (const BenchFile& f : files)
        xml += "<FILE file=\"" + std::string(f.name.begin(), f.name.end()) + "\" crc=\"" + std::to_string(f.crc) +
               "\" size=\"" + std::to_string(f.size) + "\"/>";
    return xml + "</PACK></update>";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = argc > 1 ? argv[1] : std::wstring(temp) + L"launcher-checker-bench";
    std::vector<BenchFile> files = Plan();
    uint64_t total = 0;
    for (const BenchFile& f : files) total += f.size;
    std::printf("installation: %zu files, %.1f MiB in %ls\n", files.size(), double(total) / (1 << 20), root.c_str());
    auto start = std::chrono::steady_clock::now();
    if (!Generate(root, files)) {
        std::printf("cannot write the installation\n");
        return 1;
    }
    std::printf("generated in %.2f s\n", Seconds(start));

    const double baselinePeak = PeakMemoryMiB();
    CBenchWindow window;
    DownloadQueue queue;
    CheckerSettings settings;
    settings.installFolder = root;
    settings.launcherPath = root + L"\\Launcher.exe";
    settings.newManifest = Manifest(files);
    settings.window = window.window();
    settings.queue = &queue;
    CCheckerThread checker;
    auto runChecker = [&]() -> double {
        checker.Configure(settings);
        const auto begin = std::chrono::steady_clock::now();
        checker.Start();
        if (window.Wait(CCheckerThread::kFinishedMessage) != crServerInfoReady) return -1;
        checker.Continue();
        const LPARAM result = window.Wait(CCheckerThread::kFinishedMessage);
        const double seconds = Seconds(begin);
        checker.Stop(INFINITE);
        return result == crDone && checker.NeededFiles().empty() ? seconds : -1;
    };
    std::vector<unsigned char> buffer(1 << 20);
    auto runZlib = [&]() -> double {
        const auto begin = std::chrono::steady_clock::now();
        size_t mismatches = 0;
        for (const BenchFile& f : files) {
            CFile file(CreateFileW((root + L"\\" + f.name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
            uLong crc = crc32(0, Z_NULL, 0);
            DWORD got = 0;
            while (ReadFile(file.Get(), buffer.data(), DWORD(buffer.size()), &got, nullptr) && got)
                crc = crc32(crc, buffer.data(), got);
            mismatches += crc != f.crc;
        }
        return mismatches ? -1 : Seconds(begin);
    };
    auto runFileCrc = [&]() -> double {
        const auto begin = std::chrono::steady_clock::now();
        for (const BenchFile& f : files) {
            uint32_t crc = 0;
            uint64_t size = 0;
            DWORD error = 0;
            if (!FileCrc(root + L"\\" + f.name, crc, size, error) || crc != f.crc) return -1;
        }
        return Seconds(begin);
    };
    const double fileCrcSeconds = runFileCrc();
    std::printf("FileCrc pass on the main thread: %.2f s\n", fileCrcSeconds);
    double checkerSeconds = 1e9, zlibSeconds = 1e9;
    for (int round = 0; round < 2; ++round) {
        const double z = runZlib(), c = runChecker();
        if (z < 0 || c < 0) {
            std::printf("check failed in round %d\n", round + 1);
            return 1;
        }
        std::printf("round %d: zlib %.2f s, checker %.2f s\n", round + 1, z, c);
        zlibSeconds = std::min(zlibSeconds, z);
        checkerSeconds = std::min(checkerSeconds, c);
    }
    const double checkerPeak = PeakMemoryMiB();
    const double mib = double(total) / (1 << 20);
    std::printf("peak memory before the checks: %.1f MiB, after: %.1f MiB\n", baselinePeak, checkerPeak);
    std::printf("checker (full check): %7.2f s  %8.1f MiB/s\n", checkerSeconds, mib / checkerSeconds);
    std::printf("zlib crc32 pass:      %7.2f s  %8.1f MiB/s  (1 MiB buffer)\n", zlibSeconds, mib / zlibSeconds);
    std::printf("ratio checker/zlib time: %.2f\n", checkerSeconds / zlibSeconds);
    return 0;
}
