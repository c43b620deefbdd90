#pragma once
// Helpers of the network tests: the fault-injecting server CTest started
// (its address and request log), a transport running on its own thread,
// and a client that records the transport's callbacks.

#include "net/net_transport.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

// "http://127.0.0.1:<port>" of the test server.
std::string ServerBase();
// "https://127.0.0.1:<port>": the same routes behind a self-signed certificate.
std::string TlsServerBase();
// A marker unique to this test and call, for paths ("/t/<marker>/...").
std::string UniqueMarker();
// The request heads the server logged whose request line contains `text`.
std::vector<std::string> LoggedRequests(const std::string& text);
// Bytes [begin, end) of the server's data pattern.
std::string Pattern(uint64_t begin, uint64_t end);
std::string BufferText(CBuffer& b);

// What a client was told, in order.
struct NetEvent {
    enum Kind { Created, Modified, Destroyed, Progress, Complete, Error, Statistics } kind;
    int32_t id = 0;
    std::unique_ptr<NetEx::IRequestHttx> request;  // Complete
    NetEx::ErrorRecord error;
    NetEx::StatisticsRecord statistics;
    uint32_t passBytes = 0;  // Progress
};

class CRecordingClient : public NetEx::CNetClient {
public:
    void OnStatistics(NetEx::StatisticsRecord* r) override;
    void OnContextCreated(int32_t id) override { Push(NetEvent::Created, id); }
    void OnContextModified(int32_t id) override { Push(NetEvent::Modified, id); }
    void OnContextDestroyed(int32_t id) override { Push(NetEvent::Destroyed, id); }
    void OnRequestProgress(NetEx::IRequestHttx* r) override;
    void OnRequestComplete(NetEx::IRequestHttx* r) override;
    void OnError(NetEx::ErrorRecord* r) override;

    // The next event other than progress (progress events are counted);
    // null after `ms` without one.
    std::unique_ptr<NetEvent> Next(DWORD ms = 20000);
    int progressCount() const { return progress_; }

private:
    void Push(NetEvent::Kind kind, int32_t id);
    void Push(std::unique_ptr<NetEvent> e);

    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<NetEvent>> events_;
    int progress_ = 0;
};

// A running transport with an open WinINet session.
class TransportTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Posts a new context for client_ with this id and base URL; waits for its answer.
    std::unique_ptr<NetEvent> CreateContext(int32_t id, const std::string& url, const std::string& name = "",
                                            uint32_t timeout = 15000, uint32_t growth = 0x400000);
    // A GET (or other verb) request for `url` in context `contextId`.
    NetEx::IRequestHttx* MakeRequest(int32_t contextId, int32_t id, const std::string& url,
                                     uint32_t verb = NetEx::verbGet, uint32_t readSize = 0);
    // Sends and waits for the completion; null when something else came.
    std::unique_ptr<NetEx::IRequestHttx> Exchange(NetEx::IRequestHttx* r);
    void Post(UINT message, WPARAM w, void* l) {
        PostMessageW(transport_->window(), message, w, reinterpret_cast<LPARAM>(l));
    }

    std::unique_ptr<NetEx::CNetTransport> transport_;
    CRecordingClient client_;
};
