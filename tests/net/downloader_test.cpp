// The downloader against the fault-injecting test server, with its
// notifications delivered on this thread through a window of its own.

#include "net_test_support.h"

#include "net/downloader.h"

#include <atomic>
#include <functional>
#include <sstream>
#include <vector>

namespace {

class CRecordingNotify : public IDownloaderNotify {
public:
    void OnCudData(CBuffer& body) override { Finish("cud " + BufferText(body)); }
    void OnKbProgress(uint32_t received, int32_t size) override {
        // The announcement of the size (a running total of 0 that repeats
        // it adds nothing: a read pass may end before any byte came).
        const std::string line = "kbprogress 0 " + std::to_string(size);
        if (received == 0 && (events.empty() || events.back() != line)) Add(line);
        if (received) lastKbProgress = received;
    }
    void OnKbData(CBuffer& body) override { Finish("kb " + std::to_string(body.length())); kbBody = BufferText(body); }
    void OnLicenseData(CBuffer& body) override { Finish("license " + BufferText(body)); }
    void OnUpdateXmlData(CBuffer& body) override {
        Finish("xml " + BufferText(body));
        if (afterXml) afterXml();
    }
    void OnSignatureData(CBuffer& body) override { Finish("signature " + BufferText(body)); }
    void OnUpdatePiece(CBuffer& piece) override {
        Add("piece " + std::to_string(piece.length()));
        pieces += BufferText(piece);
    }
    void OnUpdateData(CBuffer& body, bool partial) override {
        const std::string line = std::string(partial ? "partial " : "update ") + std::to_string(body.length());
        updateBody = pieces + BufferText(body);
        pieces.clear();
        if (partial) Add(line);
        else Finish(line);
    }
    void OnUpdateFileDone() override { Add("filedone"); }
    void OnUpdateProgress(uint32_t bytes, bool) override { progressBytes += bytes; }
    void OnKind6Complete() override { Finish("kind6"); }
    void OnNetError(int kind, uint32_t code, uint32_t status, const std::string& text) override {
        errorCode = code;
        errorText = text;
        Finish("error " + std::to_string(kind) + " " + std::to_string(status));
    }

    void Add(const std::string& e) { events.push_back(e); }
    void Finish(const std::string& e) {
        Add(e);
        finished = true;
    }

    std::vector<std::string> events;
    // Run inside the manifest's notice, as the logic starts its next download.
    std::function<void()> afterXml;
    bool finished = false;
    uint32_t errorCode = 0;
    std::string errorText;
    std::string updateBody;  // the part's pieces and its end
    std::string pieces;
    std::string kbBody;
    uint32_t progressBytes = 0;
    uint32_t lastKbProgress = 0;
};

// Counts the contexts the transport reports (transport thread).
class CCountingDownloader : public CDownloader {
public:
    void OnContextCreated(int32_t) override { ++created; }
    void OnContextDestroyed(int32_t) override { ++destroyed; }
    std::atomic<int> created{0};
    std::atomic<int> destroyed{0};
};

CDownloader* g_downloader = nullptr;

LRESULT CALLBACK LogicWindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (g_downloader && g_downloader->HandleMessage(message, w, l)) return 0;
    return DefWindowProcW(hwnd, message, w, l);
}

class DownloaderTest : public TransportTest {
protected:
    void SetUp() override {
        TransportTest::SetUp();
        WNDCLASSW wc{};
        wc.lpfnWndProc = &LogicWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"DownloaderTestWindow";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                  nullptr);
        ASSERT_NE(nullptr, window_);
        g_downloader = &downloader_;
        downloader_.SetTransport(transport_.get());
        downloader_.SetNotify(&notify_);
        downloader_.SetName("CLogic thread");
        downloader_.SetBaseUrl(ServerBase());
        downloader_.SetLanguage("en");
        downloader_.SetWindow(window_);
    }
    void TearDown() override {
        downloader_.RemoveAllContexts(5000);
        downloader_.SetTransport(nullptr);
        TransportTest::TearDown();
        Pump(100);
        g_downloader = nullptr;
        DestroyWindow(window_);
    }
    // Runs this thread's messages until a download ended or `ms` passed.
    bool Pump(DWORD ms = 30000) {
        const DWORD start = GetTickCount();
        while (!notify_.finished && GetTickCount() - start < ms) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            if (!notify_.finished) MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
        const bool ended = notify_.finished;
        notify_.finished = false;
        return ended;
    }
    std::string Events() const {
        std::ostringstream s;
        for (const auto& e : notify_.events) s << e << ";";
        return s.str();
    }
    std::string Path(const std::string& rest) {
        marker_ = UniqueMarker();
        return "/t/" + marker_ + "/" + rest;
    }

    HWND window_ = nullptr;
    CRecordingNotify notify_;
    CCountingDownloader downloader_;
    std::string marker_;
};

}  // namespace

TEST_F(DownloaderTest, DownloadsFromOneBaseShareOneContext) {
    ASSERT_TRUE(downloader_.DownloadUpdateXml(Path("data/10")));
    ASSERT_TRUE(Pump());
    ASSERT_TRUE(downloader_.DownloadUpdate(Path("data/20"), 0, 19));
    ASSERT_TRUE(Pump());
    EXPECT_EQ("xml " + Pattern(0, 10) + ";update 20;", Events());
    EXPECT_EQ(1, downloader_.created);
    EXPECT_EQ(0, downloader_.destroyed);

    // Another server: the old context goes, a new one comes.
    downloader_.SetBaseUrl("http://localhost:" + ServerBase().substr(ServerBase().rfind(':') + 1));
    ASSERT_TRUE(downloader_.DownloadUpdateXml(Path("data/5")));
    ASSERT_TRUE(Pump());
    EXPECT_EQ(2, downloader_.created);
    EXPECT_EQ(1, downloader_.destroyed);
    EXPECT_EQ(dynamic_cast<CDownloader&>(downloader_).kind(), 0);
}

TEST_F(DownloaderTest, ADownloadStartedInsideANoticeGetsItsAnswer) {
    const std::string part = Path("data/20");
    notify_.afterXml = [&] { downloader_.DownloadUpdate(part, 0, 9); };
    ASSERT_TRUE(downloader_.DownloadUpdateXml(Path("data/5")));
    ASSERT_TRUE(Pump());
    ASSERT_TRUE(Pump());
    EXPECT_EQ("xml " + Pattern(0, 5) + ";update 10;", Events());
}

TEST_F(DownloaderTest, ThirdRedirectInARowFails) {
    ASSERT_TRUE(downloader_.DownloadUpdateXml(Path("redirect/301/3/data/5")));
    ASSERT_TRUE(Pump());
    EXPECT_EQ("error 4 301;", Events());
    EXPECT_EQ(0u, notify_.errorCode);
    EXPECT_EQ(3u, LoggedRequests(marker_).size());
}

TEST_F(DownloaderTest, EndlessRedirectsEndAfterTheSecond) {
    ASSERT_TRUE(downloader_.DownloadUpdate(Path("loop/302"), 0, 0));
    ASSERT_TRUE(Pump());
    EXPECT_EQ("error 5 302;", Events());
    EXPECT_EQ(3u, LoggedRequests(marker_).size());
}

TEST_F(DownloaderTest, RelativeRedirectIsFollowedOnTheSameContext) {
    ASSERT_TRUE(downloader_.DownloadUpdate(Path("redirect/302/2/data/50"), 10, 9));
    ASSERT_TRUE(Pump());
    EXPECT_EQ("update 10;", Events());
    EXPECT_EQ(Pattern(10, 20), notify_.updateBody);
    EXPECT_EQ(1, downloader_.created);
    const auto heads = LoggedRequests(marker_ + "/data/50");
    ASSERT_EQ(1u, heads.size());
    EXPECT_NE(std::string::npos, heads[0].find("\r\nRange: bytes=10-19\r\n"));
}

TEST_F(DownloaderTest, AbsoluteRedirectToAnotherServerReturnsForTheNextDownload) {
    downloader_.SetBaseUrl("http://localhost:" + ServerBase().substr(ServerBase().rfind(':') + 1));
    ASSERT_TRUE(downloader_.DownloadUpdateXml(Path("absredirect/302/data/7")));
    ASSERT_TRUE(Pump());
    EXPECT_EQ("xml " + Pattern(0, 7) + ";", Events());
    EXPECT_EQ(2, downloader_.created);
    ASSERT_TRUE(downloader_.DownloadUpdateXml(Path("data/3")));
    ASSERT_TRUE(Pump());
    EXPECT_EQ(3, downloader_.created);
    EXPECT_EQ(2, downloader_.destroyed);
}

TEST_F(DownloaderTest, LongLocationFails) {
    ASSERT_TRUE(downloader_.DownloadUpdateXml(Path("longlocation")));
    ASSERT_TRUE(Pump());
    EXPECT_EQ("error 4 302;", Events());
}

TEST_F(DownloaderTest, KbSizeFromTheProbe) {
    ASSERT_TRUE(downloader_.DownloadKB(ServerBase() + Path("data/300000")));
    ASSERT_TRUE(Pump());
    EXPECT_EQ("kbprogress 0 300000;kb 300000;", Events());
    EXPECT_EQ(Pattern(0, 300000), notify_.kbBody);
    EXPECT_LE(notify_.lastKbProgress, 300000u);
    const auto heads = LoggedRequests(marker_);
    ASSERT_EQ(2u, heads.size());
    EXPECT_EQ(0u, heads[0].find("HEAD "));
    EXPECT_EQ(0u, heads[1].find("GET "));
}

TEST_F(DownloaderTest, KbWithoutContentLengthStillArrivesUpToTheLimit) {
    ASSERT_TRUE(downloader_.DownloadKB(ServerBase() + Path("nolen/5000")));
    ASSERT_TRUE(Pump());
    EXPECT_EQ("kbprogress 0 -1;kb 5000;", Events());
    EXPECT_EQ(-1, downloader_.kbSize());
    // One that never ends is cut off instead of filling memory.
    notify_.events.clear();
    ASSERT_TRUE(downloader_.DownloadKB(ServerBase() + Path("nolen/" + std::to_string((64 << 20) + 1))));
    ASSERT_TRUE(Pump());
    EXPECT_EQ(uint32_t(ERROR_FILE_TOO_LARGE), notify_.errorCode);
    EXPECT_EQ(std::string::npos, Events().find("kb "));
}

TEST_F(DownloaderTest, KbServerRefusingHeadStillDelivers) {
    ASSERT_TRUE(downloader_.DownloadKB(ServerBase() + Path("nohead/5000")));
    ASSERT_TRUE(Pump());
    EXPECT_EQ("kbprogress 0 -1;kb 5000;", Events());
}

TEST_F(DownloaderTest, KbProbeWithTooManyHeadersHasNoSize) {
    ASSERT_TRUE(downloader_.DownloadKB(ServerBase() + Path("manyheaders/40")));
    ASSERT_TRUE(Pump());
    EXPECT_EQ("kbprogress 0 -1;kb 2;", Events());
}

TEST_F(DownloaderTest, PartFromAnOffsetAsksForTheRest) {
    downloader_.SetClientVersion("1.0.7");
    ASSERT_TRUE(downloader_.DownloadUpdate(Path("data/5000?x=1"), 1000, 0));
    ASSERT_TRUE(Pump());
    EXPECT_EQ("update 4000;", Events());
    EXPECT_EQ(Pattern(1000, 5000), notify_.updateBody);
    EXPECT_LE(notify_.progressBytes, 4000u);
    const auto heads = LoggedRequests(marker_);
    ASSERT_EQ(1u, heads.size());
    EXPECT_EQ(0u, heads[0].find("GET /t/" + marker_ + "/data/5000?1.0.7&x=1 HTTP/1.1\r\n"));
    EXPECT_NE(std::string::npos, heads[0].find("\r\nRange: bytes=1000-\r\n"));
    EXPECT_NE(std::string::npos, heads[0].find("\r\nAccept: application/xml\r\n"));
}

TEST_F(DownloaderTest, ManifestRequestCarriesTheTimeArgument) {
    ASSERT_TRUE(downloader_.DownloadUpdateXml(Path("data/4?b=2&a=1")));
    ASSERT_TRUE(Pump());
    const auto heads = LoggedRequests(marker_);
    ASSERT_EQ(1u, heads.size());
    const std::string line = heads[0].substr(0, heads[0].find("\r\n"));
    const size_t q = line.find('?');
    ASSERT_NE(std::string::npos, q);
    // "?<ms since 1970>&a=1&b=2": digits sort before letters.
    const size_t amp = line.find('&', q);
    const std::string time = line.substr(q + 1, amp - q - 1);
    EXPECT_EQ(13u, time.size()) << line;
    EXPECT_EQ(std::string::npos, time.find_first_not_of("0123456789"));
    EXPECT_EQ("&a=1&b=2 HTTP/1.1", line.substr(amp));
}

TEST_F(DownloaderTest, LicenseRequestCarriesLanguageAndEncoding) {
    ASSERT_TRUE(downloader_.DownloadLicense(Path("gzip/100?z=1")));
    ASSERT_TRUE(Pump());
    EXPECT_EQ("license " + Pattern(0, 100) + ";", Events());
    const auto heads = LoggedRequests(marker_);
    ASSERT_EQ(1u, heads.size());
    EXPECT_EQ(0u, heads[0].find("GET /t/" + marker_ + "/gzip/100?LANG=en&z=1 HTTP/1.1\r\n"));
    EXPECT_NE(std::string::npos, heads[0].find("\r\nAccept: application/xml\r\nAccept-Encoding: gzip, deflate\r\n"));
}

TEST_F(DownloaderTest, CudRequestTakesItsServerAndHeader) {
    downloader_.SetBaseUrl("http://elsewhere.invalid");
    ASSERT_TRUE(downloader_.DownloadCUDFile(ServerBase() + Path("data/6"), "User-Agent: face 1.0.0.1\r\n"));
    ASSERT_TRUE(Pump());
    EXPECT_EQ("cud " + Pattern(0, 6) + ";", Events());
    EXPECT_EQ(ServerBase(), downloader_.baseUrl());
    const auto heads = LoggedRequests(marker_);
    ASSERT_EQ(1u, heads.size());
    EXPECT_NE(std::string::npos, heads[0].find("\r\nUser-Agent: face 1.0.0.1\r\n"));
}

TEST_F(DownloaderTest, MaintenanceAnswerReportsItsBody) {
    ASSERT_TRUE(downloader_.DownloadUpdateXml(Path("503/page")));
    ASSERT_TRUE(Pump());
    EXPECT_EQ("error 4 503;", Events());
    EXPECT_NE(std::string::npos, notify_.errorText.find("<div id=\"en\">"));
}

TEST_F(DownloaderTest, NotFoundReportsNoText) {
    ASSERT_TRUE(downloader_.DownloadUpdateXml(Path("status/404")));
    ASSERT_TRUE(Pump());
    EXPECT_EQ("error 4 404;", Events());
    EXPECT_EQ("", notify_.errorText);
}

// A part arrives in pieces of 1 MiB as it is received, and its end with
// the rest; one broken off has delivered what arrived, then the error.
TEST_F(DownloaderTest, APartArrivesInPiecesAndOneBrokenOffDeliversWhatArrivedThenTheError) {
    const uint64_t size = 10000000;
    ASSERT_TRUE(downloader_.DownloadUpdate(Path("data/" + std::to_string(size)), 0, size - 1));
    ASSERT_TRUE(Pump());
    std::string expected;
    for (int i = 0; i < 9; ++i) expected += "piece 1048576;";
    EXPECT_EQ(expected + "update 562816;", Events());
    EXPECT_TRUE(notify_.updateBody == Pattern(0, size));

    notify_.events.clear();
    ASSERT_TRUE(downloader_.DownloadUpdate(Path("reset/10000000/9000000"), 0, size - 1));
    ASSERT_TRUE(Pump());
    // What the reset finds still in the socket's buffers is lost.
    ASSERT_LE(3u, notify_.events.size()) << Events();
    EXPECT_EQ("piece 1048576", notify_.events[0]);
    EXPECT_EQ(0u, notify_.events.rbegin()[1].find("partial ")) << Events();
    EXPECT_EQ(0u, notify_.events.back().find("error 5 "));
    EXPECT_NE(0u, notify_.errorCode);
    EXPECT_GE(notify_.updateBody.size(), 1048576u);
    EXPECT_TRUE(notify_.updateBody == Pattern(0, notify_.updateBody.size()));
}

// A server sending more than the range, without a length: the byte beyond
// is never handed on, also when it would complete a piece.
TEST_F(DownloaderTest, BytesBeyondTheRangeAreNeverHandedOn) {
    ASSERT_TRUE(downloader_.DownloadUpdate(Path("overlong/3000000/10"), 0, 1048574));
    ASSERT_TRUE(Pump());
    EXPECT_EQ("error 5 206;", Events());
    EXPECT_EQ(uint32_t(ERROR_FILE_TOO_LARGE), notify_.errorCode);
}

TEST_F(DownloaderTest, StallPastTheTimeOutEndsInAnError) {
    ASSERT_TRUE(downloader_.DownloadUpdate(Path("stall/200000/1000/20"), 0, 0));
    ASSERT_TRUE(Pump(60000));
    ASSERT_FALSE(notify_.events.empty());
    EXPECT_EQ(0u, notify_.events.back().find("error 5 ")) << Events();
    EXPECT_NE(0u, notify_.errorCode);
}

TEST_F(DownloaderTest, WithoutNotifyNothingIsSent) {
    downloader_.SetNotify(nullptr);
    const std::string path = Path("data/1");
    EXPECT_FALSE(downloader_.DownloadUpdateXml(path));
    EXPECT_FALSE(downloader_.DownloadUpdate(path, 0, 0));
    EXPECT_FALSE(downloader_.DownloadLicense(path));
    EXPECT_FALSE(downloader_.DownloadKB(ServerBase() + path));
    EXPECT_FALSE(downloader_.DownloadCUDFile(ServerBase() + path, ""));
    EXPECT_EQ(0, downloader_.kind());
    Sleep(300);
    EXPECT_TRUE(LoggedRequests(marker_).empty());
    EXPECT_EQ(0, downloader_.created);
}

TEST_F(DownloaderTest, RefusedBaseUrlsStartNothing) {
    for (const char* base : {"", "http://", "ftp://127.0.0.1", "127.0.0.1"}) {
        downloader_.SetBaseUrl(base);
        EXPECT_FALSE(downloader_.DownloadUpdateXml(Path("data/1"))) << base;
        EXPECT_EQ(0, downloader_.kind());
    }
}

TEST_F(DownloaderTest, ContextThatCouldNotBeCreatedIsCreatedAgainByTheNextDownload) {
    // Another context, on a closed port, already holds the downloader's id.
    NetEx::CContextHttx* taken = nullptr;
    ASSERT_TRUE(transport_->NewContext(&downloader_, taken));
    taken->Init(0, "", "http://127.0.0.1:1", 15000, 0x400000);
    Post(NetEx::tmCreateContext, reinterpret_cast<WPARAM>(static_cast<NetEx::CNetClient*>(&downloader_)), taken);
    ASSERT_TRUE(downloader_.DownloadUpdateXml(Path("data/1")));
    ASSERT_TRUE(Pump());
    EXPECT_EQ(0u, notify_.errorCode);
    ASSERT_TRUE(downloader_.DownloadUpdateXml(Path("data/2")));
    ASSERT_TRUE(Pump());
    EXPECT_FALSE(Pump(1000));
    EXPECT_EQ("error 4 404;xml " + Pattern(0, 2) + ";", Events());
}

TEST_F(DownloaderTest, AfterAContextFailedADownloadFromAnotherServerHasOneOutcome) {
    NetEx::CContextHttx* taken = nullptr;
    ASSERT_TRUE(transport_->NewContext(&downloader_, taken));
    taken->Init(0, "", ServerBase(), 15000, 0x400000);
    Post(NetEx::tmCreateContext, reinterpret_cast<WPARAM>(static_cast<NetEx::CNetClient*>(&downloader_)), taken);
    ASSERT_TRUE(downloader_.DownloadUpdateXml(Path("data/1")));
    ASSERT_TRUE(Pump());
    // The context that held the id goes; the failed one never existed.
    Post(NetEx::tmDestroyContext, reinterpret_cast<WPARAM>(static_cast<NetEx::CNetClient*>(&downloader_)), nullptr);
    for (int i = 0; i < 100 && downloader_.destroyed == 0; ++i) Sleep(50);
    ASSERT_EQ(1, downloader_.destroyed);

    downloader_.SetBaseUrl("http://localhost:" + ServerBase().substr(ServerBase().rfind(':') + 1));
    ASSERT_TRUE(downloader_.DownloadUpdateXml(Path("data/3")));
    ASSERT_TRUE(Pump());
    EXPECT_FALSE(Pump(1500));
    EXPECT_EQ("error 4 404;xml " + Pattern(0, 3) + ";", Events());
}

TEST_F(DownloaderTest, PartAnsweredWithoutTheAskedRangeFailsWithoutData) {
    ASSERT_TRUE(downloader_.DownloadUpdate(Path("ignorerange/3000000"), 100, 99));
    ASSERT_TRUE(Pump());
    EXPECT_EQ(uint32_t(ERROR_INVALID_DATA), notify_.errorCode);
    ASSERT_TRUE(downloader_.DownloadUpdate(Path("shiftrange/5000"), 100, 99));
    ASSERT_TRUE(Pump());
    EXPECT_EQ(uint32_t(ERROR_INVALID_DATA), notify_.errorCode);
    EXPECT_EQ("error 5 200;error 5 206;", Events());
}

TEST_F(DownloaderTest, TextAnswersAboveOneMebibyteFail) {
    ASSERT_TRUE(downloader_.DownloadCUDFile(ServerBase() + Path("data/1048576"), ""));
    ASSERT_TRUE(Pump());
    EXPECT_EQ("cud " + Pattern(0, 1048576) + ";", Events());
    notify_.events.clear();
    // Announced too long, and too long without announcing a length.
    ASSERT_TRUE(downloader_.DownloadLicense(Path("data/1048577")));
    ASSERT_TRUE(Pump());
    EXPECT_EQ(uint32_t(ERROR_FILE_TOO_LARGE), notify_.errorCode);
    ASSERT_TRUE(downloader_.DownloadCUDFile(ServerBase() + Path("nolen/1048577"), ""));
    ASSERT_TRUE(Pump());
    EXPECT_EQ(uint32_t(ERROR_FILE_TOO_LARGE), notify_.errorCode);
    EXPECT_EQ("error 3 200;error 1 200;", Events());
}

// A signature file is 64 bytes: a server that answers with megabytes is
// cut off at the small limit instead of filling memory.
TEST_F(DownloaderTest, SignatureAnswersAreCappedSmall) {
    ASSERT_TRUE(downloader_.DownloadSignature(Path("data/64")));
    ASSERT_TRUE(Pump());
    EXPECT_EQ("signature " + Pattern(0, 64) + ";", Events());
    notify_.events.clear();
    ASSERT_TRUE(downloader_.DownloadSignature(Path("data/" + std::to_string(10 << 20))));
    ASSERT_TRUE(Pump());
    EXPECT_EQ(uint32_t(ERROR_FILE_TOO_LARGE), notify_.errorCode);
    ASSERT_TRUE(downloader_.DownloadSignature(Path("nolen/" + std::to_string(CDownloader::kSignatureAnswerLimit + 1))));
    ASSERT_TRUE(Pump());
    EXPECT_EQ(uint32_t(ERROR_FILE_TOO_LARGE), notify_.errorCode);
    EXPECT_EQ("error 7 200;error 7 200;", Events());
}

TEST_F(DownloaderTest, PartBeyondFourGibibytesAsksForItsOwnRange) {
    const uint64_t begin = (uint64_t(1) << 32) + 10;
    ASSERT_TRUE(downloader_.DownloadUpdate(Path("data/4831838208"), begin, 9));
    ASSERT_TRUE(Pump());
    EXPECT_EQ("update 10;", Events());
    EXPECT_EQ(Pattern(begin, begin + 10), notify_.updateBody);
    const auto heads = LoggedRequests(marker_);
    ASSERT_EQ(1u, heads.size());
    EXPECT_NE(std::string::npos, heads[0].find("\r\nRange: bytes=4294967306-4294967315\r\n"));
}
