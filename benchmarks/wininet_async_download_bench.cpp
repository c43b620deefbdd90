// Where a one-part download's time goes in WinINet's asynchronous mode, the
// mode the downloader runs in: the same loop as wininet_download_bench (one
// request for the whole file, reads into a 1 MiB buffer, WriteFile), but
// with IRF_ASYNC reads that may complete later, and optionally asking
// InternetQueryDataAvailable before each read, as the downloader does. The
// file's first two bytes are fetched before the clock starts.
// scripts/net_bench.sh runs both forms beside the downloader.
//
// usage: wininet_async_download_bench <host> <port> <path> <file size> <ask first: 0|1> <output file>

#include "bench_support.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

HANDLE g_completed = nullptr;

void CALLBACK OnStatus(HINTERNET, DWORD_PTR, DWORD status, LPVOID, DWORD) {
    if (status == INTERNET_STATUS_REQUEST_COMPLETE) SetEvent(g_completed);
}

// True when the call succeeded at once or completed later.
bool Finish(BOOL immediate, int& pending) {
    if (immediate) return true;
    if (GetLastError() != ERROR_IO_PENDING) return false;
    ++pending;
    return WaitForSingleObject(g_completed, 30000) == WAIT_OBJECT_0;
}

// One IRF_ASYNC read into `buffer`, waited for when it completes later; the
// bytes read (0 at the end of the body), or -1 when it failed.
long ReadOnce(HINTERNET request, std::vector<char>& buffer, int& pending) {
    INTERNET_BUFFERSA read{};
    read.dwStructSize = sizeof read;
    read.lpvBuffer = buffer.data();
    read.dwBufferLength = DWORD(buffer.size());
    if (!Finish(InternetReadFileExA(request, &read, IRF_ASYNC, 1), pending)) return -1;
    return long(read.dwBufferLength);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 7) {
        fprintf(stderr, "usage: wininet_async_download_bench <host> <port> <path> <file size> <ask first> <output file>\n");
        return 2;
    }
    const uint64_t size = strtoull(argv[4], nullptr, 10);
    const bool askFirst = atoi(argv[5]) != 0;
    g_completed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HINTERNET internet = InternetOpenA("Mozilla/5.0 (Trident/7.0; rv:11.0)", INTERNET_OPEN_TYPE_DIRECT, nullptr,
                                       nullptr, INTERNET_FLAG_ASYNC);
    if (internet) InternetSetStatusCallbackA(internet, OnStatus);
    HINTERNET connection = internet ? InternetConnectA(internet, argv[1], INTERNET_PORT(atoi(argv[2])), nullptr,
                                                       nullptr, INTERNET_SERVICE_HTTP, 0, 1)
                                    : nullptr;
    HANDLE out = CreateFileA(argv[6], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!g_completed || !connection || out == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "cannot connect or create the output file (%lu)\n", GetLastError());
        return 1;
    }
    std::vector<char> buffer(1u << 20);
    static const char* kAccept[] = {"*/*", nullptr};
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION;

    uint64_t got = 0;
    int reads = 0, pending = 0;
    bool failed = false;
    // As the downloader's benchmark does: the file's first two bytes before
    // the clock starts start WinINet's worker threads and leave a connection
    // to reuse.
    HINTERNET first = HttpOpenRequestA(connection, "GET", argv[3], nullptr, nullptr, kAccept, flags, 1);
    failed = !first || !Finish(HttpSendRequestA(first, "Range: bytes=0-1\r\n", DWORD(-1), nullptr, 0), pending);
    for (long n = 0; !failed && (n = ReadOnce(first, buffer, pending)) != 0;) {
        if (n < 0) failed = true;
        else got += uint64_t(n);
    }
    if (first) InternetCloseHandle(first);
    if (failed || got != 2) {
        fprintf(stderr, "the first two bytes did not arrive (%lu)\n", GetLastError());
        return 1;
    }
    got = 0;
    pending = 0;

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    HINTERNET request = HttpOpenRequestA(connection, "GET", argv[3], nullptr, nullptr, kAccept, flags, 1);
    if (!request || !Finish(HttpSendRequestA(request, nullptr, 0, nullptr, 0), pending)) failed = true;
    while (!failed) {
        if (askFirst) {
            DWORD available = 0;
            const BOOL now = InternetQueryDataAvailable(request, &available, 0, 0);
            if (!Finish(now, pending)) failed = true;
            // A later completion reports its count to the callback only:
            // the read follows, and a read of nothing ends the body.
            if (failed || (now && available == 0)) break;
        }
        ++reads;
        const long n = ReadOnce(request, buffer, pending);
        failed = n < 0;
        if (n <= 0) break;
        DWORD written = 0;
        failed = !WriteFile(out, buffer.data(), DWORD(n), &written, nullptr) || written != DWORD(n);
        got += uint64_t(n);
    }
    QueryPerformanceCounter(&end);
    CloseHandle(out);
    if (request) InternetCloseHandle(request);
    InternetCloseHandle(connection);
    InternetCloseHandle(internet);

    const double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    printf("WinINet async loop%s: %llu bytes, %d reads, %d completed later, %.3f s, %.1f MiB/s\n",
           askFirst ? ", asking first" : "", (unsigned long long)got, reads, pending, seconds,
           double(got) / (1024.0 * 1024.0) / seconds);
    return failed || got != size ? 1 : 0;
}
