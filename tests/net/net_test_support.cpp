#include "net_test_support.h"

#include "common/temp_folder.h"
#include "startup/text.h"

#include <atomic>

namespace {
std::string ReadServerFile(const char* name) {
    return ReadFileBytes(AnsiToWide(std::string(NET_SERVER_STATE) + "/" + name));
}
}  // namespace

std::string ServerBase() {
    static const std::string base = "http://127.0.0.1:" + ReadServerFile("port");
    return base;
}

std::string TlsServerBase() {
    static const std::string base = "https://127.0.0.1:" + ReadServerFile("tls_port");
    return base;
}

std::string UniqueMarker() {
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info ? info->name() : "test") + "-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
}

std::vector<std::string> LoggedRequests(const std::string& text) {
    const std::string log = ReadServerFile("requests.log");
    std::vector<std::string> heads;
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find("\r\n\r\n", start);
        if (end == std::string::npos) break;
        const std::string head = log.substr(start, end + 4 - start);
        if (head.substr(0, head.find("\r\n")).find(text) != std::string::npos) heads.push_back(head);
        start = end + 4;
    }
    return heads;
}

std::string Pattern(uint64_t begin, uint64_t end) {
    std::string s;
    for (uint64_t i = begin; i < end; ++i) s += char(i % 251);
    return s;
}

std::string BufferText(CBuffer& b) { return std::string(reinterpret_cast<const char*>(b.data()), b.length()); }

void CRecordingClient::Push(std::unique_ptr<NetEvent> e) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        events_.push_back(std::move(e));
    }
    changed_.notify_all();
}

void CRecordingClient::Push(NetEvent::Kind kind, int32_t id) {
    auto e = std::make_unique<NetEvent>();
    e->kind = kind;
    e->id = id;
    Push(std::move(e));
}

void CRecordingClient::OnStatistics(NetEx::StatisticsRecord* r) {
    auto e = std::make_unique<NetEvent>();
    e->kind = NetEvent::Statistics;
    e->statistics = *r;
    delete r;
    Push(std::move(e));
}

void CRecordingClient::OnRequestProgress(NetEx::IRequestHttx*) {
    std::lock_guard<std::mutex> hold(lock_);
    ++progress_;
}

void CRecordingClient::OnRequestComplete(NetEx::IRequestHttx* r) {
    auto e = std::make_unique<NetEvent>();
    e->kind = NetEvent::Complete;
    e->id = r->requestId();
    e->request.reset(r);
    Push(std::move(e));
}

void CRecordingClient::OnError(NetEx::ErrorRecord* r) {
    auto e = std::make_unique<NetEvent>();
    e->kind = NetEvent::Error;
    e->id = r->contextId;
    e->error = *r;
    delete r;
    Push(std::move(e));
}

std::unique_ptr<NetEvent> CRecordingClient::Next(DWORD ms) {
    std::unique_lock<std::mutex> hold(lock_);
    if (!changed_.wait_for(hold, std::chrono::milliseconds(ms), [this] { return !events_.empty(); })) return nullptr;
    auto e = std::move(events_.front());
    events_.pop_front();
    return e;
}

void TransportTest::SetUp() {
    transport_ = std::make_unique<NetEx::CNetTransport>();
    ASSERT_TRUE(transport_->Start(5000));
    NetEx::OpenRecord open;
    open.agent = "Mozilla/5.0 (Trident/7.0; rv:11.0)";
    ASSERT_TRUE(transport_->OpenInternet(open));
    client_.SetTransport(transport_.get());
}

void TransportTest::TearDown() {
    if (transport_) {
        client_.RemoveAllContexts(5000);
        transport_->PostQuit();
        transport_->Stop(5000);
    }
    client_.SetTransport(nullptr);
}

std::unique_ptr<NetEvent> TransportTest::CreateContext(int32_t id, const std::string& url, const std::string& name,
                                                       uint32_t timeout, uint32_t growth) {
    NetEx::CContextHttx* context = nullptr;
    if (!transport_->NewContext(&client_, context)) return nullptr;
    context->Init(id, name, url, timeout, growth);
    Post(NetEx::tmCreateContext, reinterpret_cast<WPARAM>(&client_), context);
    return client_.Next();
}

NetEx::IRequestHttx* TransportTest::MakeRequest(int32_t contextId, int32_t id, const std::string& url,
                                                uint32_t verb, uint32_t readSize) {
    NetEx::IRequestHttx* r = nullptr;
    if (!client_.NewRequest(r)) return nullptr;
    r->Init(contextId, id, url.c_str(), true, verb, 0, 0x80283000, 0x180, readSize, false, true, "", nullptr);
    return r;
}

std::unique_ptr<NetEx::IRequestHttx> TransportTest::Exchange(NetEx::IRequestHttx* r) {
    if (!r || !client_.Send(r)) return nullptr;
    auto e = client_.Next();
    if (!e || e->kind != NetEvent::Complete) return nullptr;
    return std::move(e->request);
}
