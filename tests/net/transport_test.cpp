// The transport against the local test server.

#include "net_test_support.h"

#include "common/temp_folder.h"
#include "startup/text.h"

#include <atomic>

using NetEx::IRequestHttx;

TEST_F(TransportTest, GetDeliversTheBodyAndSendsTheHeaders) {
    ASSERT_EQ(NetEvent::Created, CreateContext(0, ServerBase())->kind);
    const std::string marker = UniqueMarker();
    IRequestHttx* r = MakeRequest(0, 4, "/t/" + marker + "/data/70000?b=2&a=1");
    ASSERT_NE(nullptr, r);
    r->AddHeader("Accept: application/xml\r\n");
    auto done = Exchange(r);
    ASSERT_NE(nullptr, done);
    EXPECT_EQ(0u, done->errorCode());
    EXPECT_EQ(0u, done->errorCategory());
    EXPECT_EQ(200u, done->status());
    EXPECT_EQ(Pattern(0, 70000), BufferText(done->body()));
    EXPECT_NE(std::string::npos, BufferText(done->rawResponseHeaders()).find("Content-Length: 70000"));
    const auto heads = LoggedRequests(marker);
    ASSERT_EQ(1u, heads.size());
    EXPECT_EQ(0u, heads[0].find("GET /t/" + marker + "/data/70000?a=1&b=2 HTTP/1.1\r\n"));
    EXPECT_NE(std::string::npos, heads[0].find("\r\nAccept: application/xml\r\n"));
    EXPECT_NE(std::string::npos, heads[0].find("\r\nUser-Agent: Mozilla/5.0 (Trident/7.0; rv:11.0)\r\n"));
}

TEST_F(TransportTest, RangeAskedFromAnOffsetGetsTheRest) {
    ASSERT_EQ(NetEvent::Created, CreateContext(0, ServerBase())->kind);
    const std::string marker = UniqueMarker();
    IRequestHttx* r = MakeRequest(0, 5, "/t/" + marker + "/data/5000", NetEx::verbGet, NetEx::kAdaptiveReadSize);
    r->AddRange(1000, 0);
    auto done = Exchange(r);
    ASSERT_NE(nullptr, done);
    EXPECT_EQ(206u, done->status());
    EXPECT_EQ(Pattern(1000, 5000), BufferText(done->body()));
    const auto heads = LoggedRequests(marker);
    ASSERT_EQ(1u, heads.size());
    EXPECT_NE(std::string::npos, heads[0].find("\r\nRange: bytes=1000-\r\n"));
}

TEST_F(TransportTest, EmptyAnswerCompletesWithAnEmptyBody) {
    ASSERT_EQ(NetEvent::Created, CreateContext(0, ServerBase())->kind);
    auto done = Exchange(MakeRequest(0, 1, "/data/0"));
    ASSERT_NE(nullptr, done);
    EXPECT_EQ(200u, done->status());
    EXPECT_EQ(0u, done->errorCode());
    EXPECT_EQ(0u, done->bodyLength());
}

TEST_F(TransportTest, RedirectIsReportedNotFollowed) {
    ASSERT_EQ(NetEvent::Created, CreateContext(0, ServerBase())->kind);
    const std::string marker = UniqueMarker();
    auto done = Exchange(MakeRequest(0, 1, "/t/" + marker + "/redirect/302/1/data/5"));
    ASSERT_NE(nullptr, done);
    EXPECT_EQ(302u, done->status());
    EXPECT_TRUE(done->isRedirect());
    EXPECT_EQ(1u, done->redirects());
    EXPECT_EQ("/t/" + marker + "/data/5", std::string(reinterpret_cast<const char*>(done->location().data())));
    EXPECT_TRUE(LoggedRequests(marker + "/data/5").empty());
}

TEST_F(TransportTest, GzipBodiesArriveDecoded) {
    ASSERT_EQ(NetEvent::Created, CreateContext(0, ServerBase())->kind);
    IRequestHttx* r = MakeRequest(0, 3, "/gzip/30000");
    r->AddHeader("Accept-Encoding: gzip, deflate\r\n");
    auto done = Exchange(r);
    ASSERT_NE(nullptr, done);
    EXPECT_EQ(200u, done->status());
    EXPECT_EQ(Pattern(0, 30000), BufferText(done->body()));
}

TEST_F(TransportTest, TruncatedBodyIsAnError) {
    ASSERT_EQ(NetEvent::Created, CreateContext(0, ServerBase())->kind);
    auto done = Exchange(MakeRequest(0, 5, "/truncate/100000/40000", NetEx::verbGet, NetEx::kAdaptiveReadSize));
    ASSERT_NE(nullptr, done);
    EXPECT_EQ(12031u, done->errorCode());
    EXPECT_EQ(Pattern(0, 40000), BufferText(done->body()));
}

TEST_F(TransportTest, ResetInTheBodyKeepsWhatArrivedAndReportsTheError) {
    ASSERT_EQ(NetEvent::Created, CreateContext(0, ServerBase())->kind);
    auto done = Exchange(MakeRequest(0, 5, "/reset/100000/40000", NetEx::verbGet, NetEx::kAdaptiveReadSize));
    ASSERT_NE(nullptr, done);
    EXPECT_NE(0u, done->errorCode());
    EXPECT_LE(done->bodyLength(), 40000u);
    EXPECT_EQ(Pattern(0, done->bodyLength()), BufferText(done->body()));
}

TEST_F(TransportTest, StatusLineThatIsNotHttpNeverPassesAsTheBody) {
    ASSERT_EQ(NetEvent::Created, CreateContext(0, ServerBase())->kind);
    auto done = Exchange(MakeRequest(0, 1, "/badstatus"));
    ASSERT_NE(nullptr, done);
    // WinINet takes such an answer as HTTP/0.9 (Windows: the whole stream
    // is the body; Wine: all after the first line): it never passes as the
    // announced 4-byte body.
    if (done->errorCode() == 0) {
        EXPECT_EQ(200u, done->status());
        EXPECT_NE("body", BufferText(done->body()));
    }
}

TEST_F(TransportTest, ProgressOnlyWithAReadSize) {
    ASSERT_EQ(NetEvent::Created, CreateContext(0, ServerBase())->kind);
    auto plain = Exchange(MakeRequest(0, 4, "/data/3000000", NetEx::verbGet, 0));
    ASSERT_NE(nullptr, plain);
    EXPECT_EQ(3000000u, plain->bodyLength());
    EXPECT_EQ(0, client_.progressCount());
    // Progress is reported when a read has to wait for the network.
    auto adaptive = Exchange(MakeRequest(0, 5, "/slow/300000/60000/100", NetEx::verbGet, NetEx::kAdaptiveReadSize));
    ASSERT_NE(nullptr, adaptive);
    EXPECT_EQ(Pattern(0, 300000), BufferText(adaptive->body()));
    EXPECT_GT(client_.progressCount(), 0);
    EXPECT_GE(adaptive->readSize(), 8192u);
    EXPECT_LE(adaptive->readSize(), 0x400000u);
}

TEST_F(TransportTest, DuplicateContextIdFailsAndTheFirstKeepsWorking) {
    ASSERT_EQ(NetEvent::Created, CreateContext(7, ServerBase())->kind);
    auto e = CreateContext(7, ServerBase());
    ASSERT_NE(nullptr, e);
    ASSERT_EQ(NetEvent::Error, e->kind);
    EXPECT_EQ(2u, e->error.kind);
    EXPECT_EQ(12036u, e->error.errorCode);
    EXPECT_EQ(0x80000000u, e->error.requestId);
    auto done = Exchange(MakeRequest(7, 1, "/data/10"));
    ASSERT_NE(nullptr, done);
    EXPECT_EQ(200u, done->status());
}

TEST_F(TransportTest, UnknownContextsAreReportedAndDestroyedOnesGone) {
    ASSERT_EQ(NetEvent::Created, CreateContext(1, ServerBase())->kind);
    Post(NetEx::tmDestroyContext, reinterpret_cast<WPARAM>(&client_), reinterpret_cast<void*>(1));
    auto e = client_.Next();
    ASSERT_NE(nullptr, e);
    EXPECT_EQ(NetEvent::Destroyed, e->kind);
    EXPECT_EQ(0u, transport_->contextCount());

    ASSERT_TRUE(client_.Send(MakeRequest(1, 3, "/data/10")));
    e = client_.Next();
    ASSERT_NE(nullptr, e);
    ASSERT_EQ(NetEvent::Error, e->kind);
    EXPECT_EQ(3u, e->error.kind);
    EXPECT_EQ(3u, e->error.requestId);

    Post(NetEx::tmDestroyContext, reinterpret_cast<WPARAM>(&client_), reinterpret_cast<void*>(1));
    e = client_.Next();
    ASSERT_NE(nullptr, e);
    EXPECT_EQ(NetEvent::Error, e->kind);
    EXPECT_EQ(3u, e->error.kind);
}

TEST_F(TransportTest, ModifyTakesOverArgumentsAndCancelOfAFinishedRequestDoesNothing) {
    ASSERT_EQ(NetEvent::Created, CreateContext(0, ServerBase() + "/?k=1")->kind);
    NetEx::CContextHttx* tmpl = nullptr;
    ASSERT_TRUE(transport_->NewContext(&client_, tmpl));
    tmpl->Init(0, "", ServerBase() + "/?m=2", 0, 0);
    Post(NetEx::tmModifyContext, reinterpret_cast<WPARAM>(&client_), tmpl);
    auto e = client_.Next();
    ASSERT_NE(nullptr, e);
    EXPECT_EQ(NetEvent::Modified, e->kind);
    const std::string marker = UniqueMarker();
    IRequestHttx* r = MakeRequest(0, 1, "/t/" + marker + "/data/1");
    r->AddHeader("Accept: application/xml\r\n");
    auto done = Exchange(r);
    ASSERT_NE(nullptr, done);
    EXPECT_EQ(1u, LoggedRequests("/t/" + marker + "/data/1?m=2 ").size());

    Post(NetEx::tmCancelRequest, reinterpret_cast<WPARAM>(&client_), new NetEx::CancelRecord{0, 1});
    Post(NetEx::tmQueryStatistics, reinterpret_cast<WPARAM>(&client_), nullptr);
    e = client_.Next();
    ASSERT_NE(nullptr, e);
    ASSERT_EQ(NetEvent::Statistics, e->kind);
    EXPECT_GE(e->statistics.bytesReceived, 1u);
    EXPECT_EQ(25u, e->statistics.bytesSent);  // the header buffer
}

TEST_F(TransportTest, ClosingTheSessionDropsRequestsInFlightSilently) {
    ASSERT_EQ(NetEvent::Created, CreateContext(0, ServerBase())->kind);
    ASSERT_TRUE(client_.Send(MakeRequest(0, 5, "/stall/1000/10/3", NetEx::verbGet, 0)));
    Sleep(300);
    EXPECT_TRUE(transport_->CloseInternet());
    EXPECT_FALSE(transport_->IsRootOpen());
    EXPECT_EQ(0u, transport_->contextCount());
    EXPECT_EQ(nullptr, client_.Next(500));
    // A closed session refuses new work.
    NetEx::IRequestHttx* r = nullptr;
    EXPECT_FALSE(client_.NewRequest(r));
}

TEST_F(TransportTest, CancelledRequestIsDroppedWithoutAnswer) {
    ASSERT_EQ(NetEvent::Created, CreateContext(0, ServerBase())->kind);
    ASSERT_TRUE(client_.Send(MakeRequest(0, 5, "/stall/1000/10/3", NetEx::verbGet, 0)));
    Sleep(300);
    Post(NetEx::tmCancelRequest, reinterpret_cast<WPARAM>(&client_), new NetEx::CancelRecord{0, 5});
    EXPECT_EQ(nullptr, client_.Next(4000));
    // The context goes on serving.
    auto done = Exchange(MakeRequest(0, 1, "/data/3"));
    ASSERT_NE(nullptr, done);
    EXPECT_EQ(200u, done->status());
}

TEST_F(TransportTest, RemoveAllContextsWaitsForTheTransport) {
    ASSERT_EQ(NetEvent::Created, CreateContext(0, ServerBase())->kind);
    ASSERT_EQ(NetEvent::Created, CreateContext(1, ServerBase())->kind);
    EXPECT_TRUE(client_.RemoveAllContexts(5000));
    EXPECT_EQ(0u, transport_->contextCount());
}

// Tells how many closed requests the transport still keeps whenever it
// reports a destroyed context or an error (on the transport thread).
class CClosingProbe : public CRecordingClient {
public:
    void OnContextDestroyed(int32_t id) override {
        kept = int(transport()->closingCount());
        CRecordingClient::OnContextDestroyed(id);
    }
    void OnError(NetEx::ErrorRecord* r) override {
        kept = int(transport()->closingCount());
        CRecordingClient::OnError(r);
    }
    std::atomic<int> kept{-1};
};

TEST_F(TransportTest, RequestsClosedMidReadLiveUntilWinInetReleasesTheirHandles) {
    CClosingProbe probe;
    probe.SetTransport(transport_.get());
    NetEx::CContextHttx* context = nullptr;
    ASSERT_TRUE(transport_->NewContext(&probe, context));
    context->Init(0, "", ServerBase(), 15000, 0x400000);
    Post(NetEx::tmCreateContext, reinterpret_cast<WPARAM>(static_cast<NetEx::CNetClient*>(&probe)), context);
    ASSERT_EQ(NetEvent::Created, probe.Next()->kind);
    for (int32_t id : {1, 2}) {
        NetEx::IRequestHttx* r = nullptr;
        ASSERT_TRUE(probe.NewRequest(r));
        r->Init(0, id, "/stall/200000/1000/4", true, NetEx::verbGet, 0, 0x80283000, 0x180, 512, false, false, "",
                nullptr);
        ASSERT_TRUE(probe.Send(r));
    }
    // Both read their first bytes; their next reads wait for the stalled server.
    for (int i = 0; i < 100 && probe.progressCount() < 2; ++i) Sleep(50);
    ASSERT_GE(probe.progressCount(), 2);

    const WPARAM client = reinterpret_cast<WPARAM>(static_cast<NetEx::CNetClient*>(&probe));
    Post(NetEx::tmCancelRequest, client, new NetEx::CancelRecord{0, 1});
    Post(NetEx::tmDestroyContext, client, nullptr);
    auto e = probe.Next();
    ASSERT_NE(nullptr, e);
    ASSERT_EQ(NetEvent::Destroyed, e->kind);
    EXPECT_EQ(2, probe.kept);

    // WinINet's closing notices end them.
    for (int i = 0; i < 100 && probe.kept != 0; ++i) {
        Sleep(100);
        Post(NetEx::tmDestroyContext, client, nullptr);
        e = probe.Next();
        ASSERT_NE(nullptr, e);
        ASSERT_EQ(NetEvent::Error, e->kind);
    }
    EXPECT_EQ(0, probe.kept);
    probe.SetTransport(nullptr);
}

class TransportTrace : public TempFolderTest {
protected:
    // One exchange over a context traced into `directory`; true when the
    // context was created and the answer came.
    bool TracedExchange(const std::wstring& directory) {
        NetEx::CNetTransport transport;
        NetEx::OpenRecord open;
        open.agent = "test";
        if (!transport.Start(5000) || !transport.OpenInternet(open)) return false;
        auto* config = new NetEx::TraceConfig;
        config->enabled = 1;
        config->directory = directory;
        transport.SetTraceConfig(config);
        CRecordingClient client;
        client.SetTransport(&transport);
        NetEx::CContextHttx* context = nullptr;
        transport.NewContext(&client, context);
        context->Init(0, "traced", ServerBase(), 15000, 0x400000);
        PostMessageW(transport.window(), NetEx::tmCreateContext, reinterpret_cast<WPARAM>(&client),
                     reinterpret_cast<LPARAM>(context));
        auto created = client.Next();
        bool answered = false;
        NetEx::IRequestHttx* r = nullptr;
        if (created && created->kind == NetEvent::Created && client.NewRequest(r)) {
            r->Init(0, 4, "/data/20", true, NetEx::verbGet, 0, 0x80283000, 0x180, 0, false, false, "", nullptr);
            auto done = client.Send(r) ? client.Next() : nullptr;
            answered = done && done->kind == NetEvent::Complete && done->request->status() == 200;
        }
        client.RemoveAllContexts(5000);
        transport.PostQuit();
        transport.Stop(5000);
        client.SetTransport(nullptr);
        return answered;
    }
    std::wstring LogName() const { return std::to_wstring(GetCurrentProcessId()) + L".Httx.traced.log"; }
};

TEST_F(TransportTrace, AFolderOutsideTheAnsiCodePageIsTraced) {
    EXPECT_TRUE(TracedExchange(path(L"\u65e5\u672c\\")));
    EXPECT_NE(std::string::npos, ReadFileBytes(path(L"\u65e5\u672c\\" + LogName())).find("Creating context ="));
}

TEST_F(TransportTrace, ALogThatCannotBeOpenedLeavesTheDownloadsWorking) {
    // Only the last folder level is created: this log cannot be opened.
    EXPECT_TRUE(TracedExchange(path(L"missing\\deeper\\")));
    EXPECT_FALSE(PathExists(path(L"missing")));
}

// No trusted authority issued the server's certificate. A request that does
// not ignore that fails with WinINet's error after one send: sending it
// again would only be refused again, without end. One that ignores it gets
// its answer.
TEST_F(TransportTrace, AnUntrustedCertificateFailsAfterOneSendUnlessIgnored) {
    NetEx::CNetTransport transport;
    ASSERT_TRUE(transport.Start(5000));
    NetEx::OpenRecord open;
    open.agent = "test";
    ASSERT_TRUE(transport.OpenInternet(open));
    auto* config = new NetEx::TraceConfig;
    config->enabled = 1;
    config->directory = dir() + L"\\";
    ASSERT_TRUE(transport.SetTraceConfig(config));
    CRecordingClient client;
    client.SetTransport(&transport);
    NetEx::CContextHttx* context = nullptr;
    ASSERT_TRUE(transport.NewContext(&client, context));
    context->Init(0, "tls", TlsServerBase(), 15000, 0x400000);
    PostMessageW(transport.window(), NetEx::tmCreateContext, reinterpret_cast<WPARAM>(&client),
                 reinterpret_cast<LPARAM>(context));
    auto e = client.Next();
    ASSERT_NE(nullptr, e);
    ASSERT_EQ(NetEvent::Created, e->kind);
    const struct {
        int32_t id;
        uint32_t flags, security;
    } kinds[] = {{4, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_COOKIES, SECURITY_FLAG_IGNORE_REVOCATION},
                 {5, 0x80283000, 0x180}};
    std::unique_ptr<NetEvent> answers[2];
    for (int i = 0; i < 2; ++i) {
        NetEx::IRequestHttx* r = nullptr;
        ASSERT_TRUE(client.NewRequest(r));
        r->Init(0, kinds[i].id, "/data/20", true, NetEx::verbGet, 0, kinds[i].flags, kinds[i].security, 0, false,
                false, "", nullptr);
        ASSERT_TRUE(client.Send(r));
        answers[i] = client.Next();
        ASSERT_NE(nullptr, answers[i]);
        ASSERT_EQ(NetEvent::Complete, answers[i]->kind);
    }
    EXPECT_EQ(uint32_t(ERROR_INTERNET_INVALID_CA), answers[0]->request->errorCode());
    EXPECT_EQ(0u, answers[1]->request->errorCode());
    EXPECT_EQ(200u, answers[1]->request->status());
    EXPECT_EQ(Pattern(0, 20), BufferText(answers[1]->request->body()));
    EXPECT_TRUE(client.RemoveAllContexts(5000));
    transport.PostQuit();
    transport.Stop(5000);
    client.SetTransport(nullptr);

    const std::string log = ReadFileBytes(path(std::to_wstring(GetCurrentProcessId()) + L".Httx.tls.log"));
    size_t sends = 0;
    for (size_t at = 0; (at = log.find("\r\nType: GET\r\nId:   4\r\n", at)) != std::string::npos; ++at) ++sends;
    EXPECT_EQ(1u, sends) << log;
}

TEST_F(TransportTrace, OneLogPerContextWithSanitisedName) {
    NetEx::CNetTransport transport;
    ASSERT_TRUE(transport.Start(5000));
    NetEx::OpenRecord open;
    open.agent = "test";
    ASSERT_TRUE(transport.OpenInternet(open));
    auto* config = new NetEx::TraceConfig;
    config->enabled = 1;
    config->directory = dir() + L"\\";
    ASSERT_TRUE(transport.SetTraceConfig(config));
    // Contexts opened later take the clock reference (bias of UTC+3).
    PostMessageW(transport.window(), NetEx::tmSetClockReference, 0, LPARAM(-10800));
    CRecordingClient client;
    client.SetTransport(&transport);
    NetEx::CContextHttx* context = nullptr;
    ASSERT_TRUE(transport.NewContext(&client, context));
    context->Init(0, "CLogic thread:a/b", ServerBase(), 15000, 0x400000);
    PostMessageW(transport.window(), NetEx::tmCreateContext, reinterpret_cast<WPARAM>(&client),
                 reinterpret_cast<LPARAM>(context));
    auto e = client.Next();
    ASSERT_NE(nullptr, e);
    ASSERT_EQ(NetEvent::Created, e->kind);
    NetEx::IRequestHttx* r = nullptr;
    ASSERT_TRUE(client.NewRequest(r));
    r->Init(0, 4, "/data/20", true, NetEx::verbGet, 0, 0x80283000, 0x180, 0, false, true, "", nullptr);
    r->AddHeader("Accept: application/xml\r\n");
    ASSERT_TRUE(client.Send(r));
    e = client.Next();
    ASSERT_NE(nullptr, e);
    ASSERT_EQ(NetEvent::Complete, e->kind);
    EXPECT_TRUE(client.RemoveAllContexts(5000));
    transport.PostQuit();
    transport.Stop(5000);
    client.SetTransport(nullptr);

    const std::wstring file = path(std::to_wstring(GetCurrentProcessId()) + L".Httx.CLogic thread-a-b.log");
    ASSERT_TRUE(PathExists(file));
    const std::string log = ReadFileBytes(file);
    EXPECT_EQ(0u, log.find("\xEF\xBB\xBF" "Creating context ="));
    EXPECT_NE(std::string::npos, log.find("\r\nUrl:  " + ServerBase() + "\r\nId:   0\r\nArgs: \r\nT/o:  15000\r\nBGS:  4194304\r\n\r\n"));
    EXPECT_NE(std::string::npos, log.find("Sending request >>> ="));
    EXPECT_NE(std::string::npos, log.find("\r\nPath: /data/20\r\nType: GET\r\nId:   4\r\nHeader:\r\nAccept: application/xml\r\n"));
    EXPECT_NE(std::string::npos, log.find("Request completed ="));
    EXPECT_NE(std::string::npos, log.find("Request data received <<< ="));
    EXPECT_NE(std::string::npos, log.find("\r\nHttx: 200\r\nHeader:\r\nHTTP/1.1 200"));
    EXPECT_NE(std::string::npos, log.find("\r\nSize: 20\r\nData:\r\n" + Pattern(0, 20) + "\r\n"));
    EXPECT_NE(std::string::npos, log.find("Destroying context ="));
    EXPECT_NE(std::string::npos, log.find("=[GMT+3 "));
    // Every heading is 90 columns wide before its line end (titles are short).
    size_t at = log.find("Request completed =");
    const size_t end = log.find("\r\n", at);
    EXPECT_EQ(size_t(90), end - at);
}
