#include "window_thread.h"

#include "startup/module.h"

CWindowThread::CWindowThread(std::string name)
    : CThread(std::move(name)), readyEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CWindowThread::~CWindowThread() {
    if (HasThread() && running_) {
        PostQuit();
        Stop(INFINITE);
    }
    handlers_.clear();
}

LRESULT CALLBACK CWindowThread::WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<CWindowThread*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (self && self->window_ == hwnd && self->Dispatch(message, w, l, result)) return result;
    return DefWindowProcW(hwnd, message, w, l);
}

bool CWindowThread::CreateHiddenWindow(const wchar_t* className) {
    HINSTANCE instance = ModuleInstance() ? ModuleInstance() : GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = &CWindowThread::WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    if (!RegisterClassW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    window_ = CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    return HWND(window_) != nullptr;
}

bool CWindowThread::InitInstance() {
    const HWND window = window_;
    if (!window) return false;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
}

void CWindowThread::ExitInstance(bool onThread) {
    const HWND window = window_;
    if (onThread && window) DestroyWindow(window);
    window_ = nullptr;
    running_ = false;
}

bool CWindowThread::PreTranslate(MSG&) { return false; }

bool CWindowThread::Dispatch(UINT message, WPARAM w, LPARAM l, LRESULT& result) {
    const auto it = handlers_.find(message);
    if (it == handlers_.end()) return false;
    result = it->second ? it->second(w, l) : 0;
    return true;
}

void CWindowThread::Run() {
    running_ = InitInstance();
    SetEvent(readyEvent_.Get());
    if (!running_) return;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    ExitInstance(true);
}

bool CWindowThread::Start(DWORD limit) {
    if (running_ || !readyEvent_.IsValid() || HasThread()) return false;
    ResetEvent(readyEvent_.Get());
    if (!CreateThread()) return false;
    if (WaitForSingleObject(readyEvent_.Get(), limit) != WAIT_OBJECT_0) {
        Terminate();
        ExitInstance(false);
    } else if (!running_) {
        CThread::Stop(INFINITE);  // start-up failed: the body returns at once
    }
    ResetEvent(readyEvent_.Get());
    return running_;
}

bool CWindowThread::Stop(DWORD limit) {
    const bool wasRunning = running_;
    const bool ended = CThread::Stop(limit);
    if (!ended && wasRunning) ExitInstance(false);
    return ended;
}

void CWindowThread::PostQuit() {
    if (running_) PostMessageW(window_, WM_QUIT, 0, 0);
}
