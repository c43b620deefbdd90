#include "message_sink.h"

namespace {

const wchar_t kClass[] = L"LauncherTestMessageSink";

}  // namespace

CMessageSink::CMessageSink() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    window_ = CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

CMessageSink::~CMessageSink() {
    if (window_) DestroyWindow(window_);
}

bool CMessageSink::PumpOnce(DWORD wait) {
    MSG msg;
    if (!PeekMessageW(&msg, window_, 0, 0, PM_REMOVE)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
        if (!PeekMessageW(&msg, window_, 0, 0, PM_REMOVE)) return false;
    }
    if (msg.message >= WM_USER) received_.push_back({msg.message, msg.wParam, msg.lParam, DWORD(msg.time)});
    DispatchMessageW(&msg);
    return true;
}

bool CMessageSink::WaitFor(UINT message, DWORD timeout, PostedMessage* got) {
    const ULONGLONG end = GetTickCount64() + timeout;
    for (;;) {
        for (; seen_ < received_.size(); ++seen_) {
            if (received_[seen_].message == message) {
                if (got) *got = received_[seen_];
                ++seen_;
                return true;
            }
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return false;
        PumpOnce(DWORD(end - now < 50 ? end - now : 50));
    }
}

void CMessageSink::Pump(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (ULONGLONG now; (now = GetTickCount64()) < end;) PumpOnce(DWORD(end - now));
}

size_t CMessageSink::Count(UINT message) const {
    size_t n = 0;
    for (const auto& m : received_) n += m.message == message;
    return n;
}
