#include "startup/thread.h"
#include "startup/window_thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

// A body that runs until told to finish (or forever).
class CWaitingThread : public CThread {
public:
    CWaitingThread() : CThread("waiting") {}
    ~CWaitingThread() override {
        release = true;
        Stop(INFINITE);
    }
    void Run() override {
        ++runs;
        while (!release) Sleep(5);
    }
    std::atomic<bool> release{false};
    std::atomic<int> runs{0};
};

class CEndlessThread : public CThread {
public:
    void Run() override {
        for (;;) Sleep(10);
    }
};

class CTestWindowThread : public CWindowThread {
public:
    explicit CTestWindowThread(bool failInit = false, DWORD initDelay = 0)
        : CWindowThread("window"), failInit_(failInit), initDelay_(initDelay) {
        AddHandler(WM_APP + 1, [this](WPARAM w, LPARAM l) -> LRESULT {
            onThread = GetCurrentThreadId() == threadId;
            return LRESULT(w + l);
        });
    }
    ~CTestWindowThread() override {
        PostQuit();
        Stop(5000);
    }
    std::atomic<DWORD> threadId{0};
    std::atomic<bool> onThread{false};
    std::atomic<int> exits{0};

protected:
    bool InitInstance() override {
        threadId = GetCurrentThreadId();
        Sleep(initDelay_);
        if (failInit_) return false;
        return CreateHiddenWindow(L"LauncherTestWindowThread") && CWindowThread::InitInstance();
    }
    void ExitInstance(bool onThreadSide) override {
        ++exits;
        CWindowThread::ExitInstance(onThreadSide);
    }

private:
    bool failInit_;
    DWORD initDelay_;
};

}  // namespace

TEST(WorkerThread, SecondStartIsRefusedAndTheFirstBodyRunsOn) {
    CWaitingThread t;
    ASSERT_TRUE(t.Start());
    EXPECT_FALSE(t.Start());
    t.release = true;
    EXPECT_TRUE(t.Stop(5000));
    EXPECT_EQ(1, t.runs.load());
    EXPECT_FALSE(t.HasThread());
}

TEST(WorkerThread, StopWithoutAThreadSucceeds) {
    CWaitingThread t;
    EXPECT_TRUE(t.Stop(0));
}

TEST(WorkerThread, StopPastTheLimitTerminatesTheBody) {
    CEndlessThread t;
    ASSERT_TRUE(t.Start());
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(t.Stop(200));
    EXPECT_LT(GetTickCount64() - start, 5000u);
    EXPECT_FALSE(t.HasThread());
    // The object can start a new thread afterwards.
    ASSERT_TRUE(t.Start());
    EXPECT_FALSE(t.Stop(50));
}

TEST(MessageWindowThread, HandlersRunOnTheThreadAndUnknownMessagesGoToTheDefault) {
    CTestWindowThread t;
    ASSERT_TRUE(t.Start(5000));
    EXPECT_TRUE(t.running());
    ASSERT_NE(nullptr, t.window());
    EXPECT_EQ(LRESULT(42), SendMessageW(t.window(), WM_APP + 1, 40, 2));
    EXPECT_TRUE(t.onThread);
    // No handler: DefWindowProc answers, e.g. an empty window text.
    EXPECT_EQ(LRESULT(0), SendMessageW(t.window(), WM_GETTEXTLENGTH, 0, 0));
    EXPECT_EQ(LRESULT(0), SendMessageW(t.window(), WM_APP + 2, 1, 1));
    EXPECT_FALSE(t.Start(1000));  // already running

    t.PostQuit();
    EXPECT_TRUE(t.Stop(5000));
    EXPECT_FALSE(t.running());
    EXPECT_EQ(1, t.exits.load());
}

TEST(MessageWindowThread, FailedStartUpReturnsWithoutWaitingOutTheLimit) {
    CTestWindowThread t(true);
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(t.Start(30000));
    EXPECT_LT(GetTickCount64() - start, 5000u);
    EXPECT_FALSE(t.running());
    EXPECT_FALSE(t.HasThread());
}

TEST(MessageWindowThread, StartUpPastTheLimitEndsTheThread) {
    CTestWindowThread t(false, 3000);
    EXPECT_FALSE(t.Start(200));
    EXPECT_FALSE(t.running());
    EXPECT_FALSE(t.HasThread());
    EXPECT_EQ(1, t.exits.load());
}
