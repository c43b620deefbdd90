#pragma once
// A thread with a hidden window and a message loop: other threads hand it
// work only by posting (or sending) messages to window(). Handlers are
// registered by the derived class before Start and run on this thread.
// running_ and window_ are written by the new thread (start-up and the end
// of its loop) and read by the owner and by posting threads at any time,
// so both are atomic.

#include "startup/thread.h"

#include <atomic>
#include <functional>
#include <map>

class CWindowThread : public CThread {
public:
    using Handler = std::function<LRESULT(WPARAM, LPARAM)>;

    explicit CWindowThread(std::string name = {});
    ~CWindowThread() override;

    // Start-up (InitInstance), then the message loop until WM_QUIT.
    void Run() override;
    // Starts the thread and waits up to `limit` ms for its start-up; a
    // start-up that fails or does not report in time ends the thread.
    virtual bool Start(DWORD limit);
    bool Start() override { return Start(INFINITE); }
    bool Stop(DWORD limit) override;
    // Asks the loop to end (posts WM_QUIT to the window).
    virtual void PostQuit();

    HWND window() const { return window_; }
    bool running() const { return running_; }

protected:
    // A message the loop should not translate and dispatch; base: none.
    virtual bool PreTranslate(MSG& msg);
    // On the new thread. Derived classes create the window first
    // (CreateHiddenWindow), then call this, which links it to the object.
    virtual bool InitInstance();
    // onThread: called by the ending loop; false when the owner gave up.
    virtual void ExitInstance(bool onThread);
    // Finds the handler of `message`; false when there is none.
    virtual bool Dispatch(UINT message, WPARAM w, LPARAM l, LRESULT& result);

    void AddHandler(UINT message, Handler handler) { handlers_[message] = std::move(handler); }
    // Registers `className` with the shared window procedure and creates a
    // hidden top-level window of it on the calling thread.
    bool CreateHiddenWindow(const wchar_t* className);

    // An atomic window handle that reads and assigns like a plain HWND.
    class CSharedWindow {
    public:
        operator HWND() const { return value_.load(); }
        CSharedWindow& operator=(HWND value) {
            value_.store(value);
            return *this;
        }

    private:
        std::atomic<HWND> value_{nullptr};
    };
    CSharedWindow window_;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l);

    CHandle readyEvent_;
    std::atomic<bool> running_{false};
    std::map<UINT, Handler> handlers_;
};
