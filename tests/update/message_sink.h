#pragma once
// A message-only window on the test thread that records the messages
// workers post to it, for tests of the checker and the unpacker.

#include <windows.h>

#include <vector>

struct PostedMessage {
    UINT message;
    WPARAM w;
    LPARAM l;
    DWORD time;  // GetMessageTime of the post
};

class CMessageSink {
public:
    CMessageSink();
    ~CMessageSink();
    CMessageSink(const CMessageSink&) = delete;
    CMessageSink& operator=(const CMessageSink&) = delete;

    HWND window() const { return window_; }
    // Pumps until `message` arrives (true) or `timeout` ms pass.
    bool WaitFor(UINT message, DWORD timeout, PostedMessage* got = nullptr);
    // Pumps for `ms` ms.
    void Pump(DWORD ms);
    // Everything received so far, in order.
    const std::vector<PostedMessage>& received() const { return received_; }
    size_t Count(UINT message) const;

private:
    bool PumpOnce(DWORD wait);

    HWND window_ = nullptr;
    std::vector<PostedMessage> received_;
    size_t seen_ = 0;
};
