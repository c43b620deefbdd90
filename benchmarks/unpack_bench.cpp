// Unpacks one package (ZIP or RAR) through the package unpacker the way a
// download arrives: handed over in 1 MiB parts, then queued as a package.
// Prints the time, the throughput and the peak memory of the process.
// benchmarks/pipeline_bench.sh runs it next to unzip and bsdtar.
//
//   unpack_bench.exe <package> <empty target folder>

#include "bench_support.h"
#include "startup/handle.h"
#include "update/unpacker_thread.h"

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::printf("usage: unpack_bench <package> <target folder>\n");
        return 2;
    }
    const std::wstring source = argv[1], target = argv[2];
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring package = std::wstring(temp) + L"launcher-unpack-bench.pkg";
    DeleteFileW(package.c_str());
    CreateDirectoryW(target.c_str(), nullptr);

    CBenchWindow window;
    CUnpackerThread unpacker;
    unpacker.Configure(target, window.window(), true, false);
    unpacker.Start();
    const auto start = std::chrono::steady_clock::now();
    CFile file(CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.IsValid()) {
        std::printf("cannot open %ls\n", source.c_str());
        return 1;
    }
    uint64_t size = 0;
    for (;;) {
        CBuffer part;
        uint8_t* at = part.reserve(1 << 20) ? part.write_pointer(1 << 20) : nullptr;
        DWORD got = 0;
        if (!at || !ReadFile(file.Get(), at, 1 << 20, &got, nullptr) || !got) break;
        part.commit(got);
        unpacker.AddFilePart(package, part, got);
        size += got;
    }
    const double readSeconds = Seconds(start);
    unpacker.AddPackageTask(package);
    unpacker.Finish();
    const LPARAM result = window.Wait(CUnpackerThread::kFinishedMessage);
    const double seconds = Seconds(start);
    const double peak = PeakMemoryMiB();
    unpacker.Stop(INFINITE);
    DeleteFileW(package.c_str());
    if (result != 0) {
        std::printf("unpack failed (%d): %ls\n", int(result), unpacker.ErrorText().c_str());
        return 1;
    }
    const double mib = double(size) / (1 << 20);
    // The handing over stands for the download writing the parts to tmp\;
    // the unpacking alone starts with the package task.
    std::printf("launcher unpacker: %.1f MiB package in %.2f s (parts handed over in %.2f s, unpacking alone %.2f s), "
                "%.1f MiB/s, peak memory %.1f MiB\n",
                mib, seconds, readSeconds, seconds - readSeconds, mib / seconds, peak);
    return 0;
}
