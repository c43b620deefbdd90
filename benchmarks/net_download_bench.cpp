// Downloads one file through the transport and CDownloader the way the
// update cycle does: each part asks for the bytes from the current size
// on ("Range: bytes=N-", or N..N+part-1 with a part size), and the next
// part is asked for from the notification of the previous one, and each
// part is written to a file on arrival; the file's first two bytes are
// fetched before the clock starts (see WarmUp). Prints the throughput. Run by
// scripts/net_bench.sh next to the plain WinINet loop on the same file.
//
// usage: net_download_bench <base url> <path> <file size> [part size] [output file]

#include "bench_support.h"
#include "net/downloader.h"
#include "net/net_transport.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class CBenchNotify : public IDownloaderNotify {
public:
    CDownloader* downloader = nullptr;
    std::string path;
    uint64_t size = 0;
    uint64_t got = 0;
    uint64_t pieceBytes = 0;  // of the part being received
    uint32_t part = 0;
    int parts = 0;
    int progress = 0;  // read passes that waited for the network
    bool done = false;
    bool failed = false;
    HANDLE out = INVALID_HANDLE_VALUE;

    bool Next() {
        const uint32_t length = part ? uint32_t(std::min<uint64_t>(part, size - got)) - 1 : 0;
        return downloader->DownloadUpdate(path, got, length);
    }
    void OnUpdatePiece(CBuffer& piece) override {
        got += piece.length();
        pieceBytes += piece.length();
        Write(piece);
    }
    void OnUpdateData(CBuffer& body, bool partial) override {
        got += body.length();
        ++parts;
        const bool empty = body.length() == 0 && pieceBytes == 0;
        pieceBytes = 0;
        if (!partial) {
            if (got >= size || empty)
                done = true;
            else if (!Next())
                failed = done = true;
        }
        // The launcher asks for the next part before the unpacker's thread
        // writes this one; here the write follows the request the same way.
        Write(body);
    }
    void Write(CBuffer& body) {
        DWORD written = 0;
        if (out != INVALID_HANDLE_VALUE &&
            (!WriteFile(out, body.data(), body.length(), &written, nullptr) || written != body.length()))
            failed = done = true;
    }
    void OnNetError(int kind, uint32_t code, uint32_t status, const std::string&) override {
        fprintf(stderr, "download failed: kind %d, error %u, status %u\n", kind, code, status);
        failed = done = true;
    }
    void OnCudData(CBuffer&) override {}
    void OnKbProgress(uint32_t, int32_t) override {}
    void OnKbData(CBuffer&) override {}
    void OnLicenseData(CBuffer&) override {}
    void OnUpdateXmlData(CBuffer&) override {}
    void OnSignatureData(CBuffer&) override {}
    void OnUpdateFileDone() override {}
    void OnUpdateProgress(uint32_t, bool) override { ++progress; }
    void OnKind6Complete() override {}
};

CDownloader* g_downloader = nullptr;

void Download(CBenchNotify& notify) {
    if (!notify.Next()) notify.failed = notify.done = true;
    MSG msg;
    while (!notify.done && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
}

// Before the clock starts, as in the launcher, where the manifest comes
// before any pack: the file's first two bytes start WinINet's worker
// threads and leave a connection to reuse. The WinINet loops do the same,
// so what is timed is the download, not WinINet's start.
bool WarmUp(CBenchNotify& notify) {
    const HANDLE out = notify.out;
    const uint64_t size = notify.size;
    const uint32_t part = notify.part;
    notify.out = INVALID_HANDLE_VALUE;
    notify.size = notify.part = 2;
    Download(notify);
    const bool ok = !notify.failed && notify.got == 2;
    notify.out = out;
    notify.size = size;
    notify.part = part;
    notify.got = notify.pieceBytes = 0;
    notify.parts = notify.progress = 0;
    notify.done = false;
    return ok;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (g_downloader && g_downloader->HandleMessage(message, w, l)) return 0;
    return DefWindowProcW(hwnd, message, w, l);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: net_download_bench <base url> <path> <file size> [part size] [output file]\n");
        return 2;
    }
    NetEx::CNetTransport transport;
    NetEx::OpenRecord open;
    open.agent = "Mozilla/5.0 (Trident/7.0; rv:11.0)";
    if (!transport.Start(5000) || !transport.OpenInternet(open)) {
        fprintf(stderr, "transport did not start\n");
        return 1;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"NetBenchWindow";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);

    CBenchNotify notify;
    CDownloader downloader;
    g_downloader = &downloader;
    downloader.SetTransport(&transport);
    downloader.SetNotify(&notify);
    downloader.SetName("CLogic thread");
    downloader.SetBaseUrl(argv[1]);
    downloader.SetWindow(window);
    notify.downloader = &downloader;
    notify.path = argv[2];
    notify.size = strtoull(argv[3], nullptr, 10);
    notify.part = argc > 4 ? uint32_t(strtoul(argv[4], nullptr, 10)) : 0;
    if (argc > 5)
        notify.out = CreateFileA(argv[5], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);

    if (!WarmUp(notify)) {
        fprintf(stderr, "the first two bytes did not arrive\n");
        return 1;
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    Download(notify);
    QueryPerformanceCounter(&end);

    downloader.RemoveAllContexts(5000);
    downloader.SetTransport(nullptr);
    transport.PostQuit();
    transport.Stop(5000);
    g_downloader = nullptr;
    DestroyWindow(window);
    if (notify.out != INVALID_HANDLE_VALUE) CloseHandle(notify.out);

    const double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    printf("CDownloader: %llu bytes in %d part(s), %d waiting read passes, peak memory %.1f MiB, %.3f s, %.1f MiB/s\n",
           (unsigned long long)notify.got, notify.parts, notify.progress, PeakMemoryMiB(), seconds,
           double(notify.got) / (1024.0 * 1024.0) / seconds);
    return notify.failed || notify.got != notify.size ? 1 : 0;
}
