// The baseline for the downloader: a plain synchronous WinINet loop, one
// request per part ("Range: bytes=first-last", or the whole file without a
// part size), InternetReadFile into a 1 MiB buffer and WriteFile to a file,
// after a request for the file's first two bytes.
// Prints the throughput; scripts/net_bench.sh runs it against the same
// server and file as net_download_bench.
//
// usage: wininet_download_bench <host> <port> <path> <file size> <part size, 0 = whole> <output file>

#include "bench_support.h"

#include <windows.h>
#include <wininet.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 7) {
        fprintf(stderr, "usage: wininet_download_bench <host> <port> <path> <file size> <part size> <output file>\n");
        return 2;
    }
    const uint64_t size = strtoull(argv[4], nullptr, 10);
    const uint64_t part = strtoull(argv[5], nullptr, 10);
    HINTERNET internet = InternetOpenA("Mozilla/5.0 (Trident/7.0; rv:11.0)", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET connection = internet ? InternetConnectA(internet, argv[1], INTERNET_PORT(atoi(argv[2])), nullptr,
                                                       nullptr, INTERNET_SERVICE_HTTP, 0, 0)
                                    : nullptr;
    HANDLE out = CreateFileA(argv[6], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!connection || out == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "cannot connect or create the output file (%lu)\n", GetLastError());
        return 1;
    }
    std::vector<char> buffer(1u << 20);
    static const char* kAccept[] = {"*/*", nullptr};
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION;

    // As the downloader's benchmark does: the file's first two bytes before
    // the clock starts leave a connection to reuse.
    HINTERNET first = HttpOpenRequestA(connection, "GET", argv[3], nullptr, nullptr, kAccept, flags, 0);
    const bool sent = first && HttpSendRequestA(first, "Range: bytes=0-1\r\n", DWORD(-1), nullptr, 0);
    DWORD read = 0, firstBytes = 0;
    while (sent && InternetReadFile(first, buffer.data(), DWORD(buffer.size()), &read) && read) firstBytes += read;
    if (first) InternetCloseHandle(first);
    if (firstBytes != 2) {
        fprintf(stderr, "the first two bytes did not arrive (%lu)\n", GetLastError());
        return 1;
    }

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    uint64_t got = 0;
    int parts = 0;
    bool failed = false;
    while (got < size && !failed) {
        HINTERNET request = HttpOpenRequestA(connection, "GET", argv[3], nullptr, nullptr, kAccept, flags, 0);
        char range[80] = "";
        if (part)
            snprintf(range, sizeof range, "Range: bytes=%" PRIu64 "-%" PRIu64 "\r\n", got,
                     (got + part < size ? got + part : size) - 1);
        if (!request || !HttpSendRequestA(request, range, DWORD(-1), nullptr, 0)) {
            fprintf(stderr, "request failed (%lu)\n", GetLastError());
            failed = true;
        }
        const uint64_t before = got;
        while (!failed && InternetReadFile(request, buffer.data(), DWORD(buffer.size()), &read) && read) {
            DWORD written = 0;
            failed = !WriteFile(out, buffer.data(), read, &written, nullptr) || written != read;
            got += read;
        }
        if (got == before) failed = true;
        ++parts;
        if (request) InternetCloseHandle(request);
    }
    QueryPerformanceCounter(&end);
    CloseHandle(out);
    InternetCloseHandle(connection);
    InternetCloseHandle(internet);

    const double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    printf("WinINet loop: %llu bytes in %d part(s), peak memory %.1f MiB, %.3f s, %.1f MiB/s\n", (unsigned long long)got,
           parts, PeakMemoryMiB(), seconds, double(got) / (1024.0 * 1024.0) / seconds);
    return failed || got != size ? 1 : 0;
}
