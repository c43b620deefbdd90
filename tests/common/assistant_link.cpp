#include "common/assistant_link.h"

namespace {
const wchar_t kClass[] = L"AssistantTestWindow";
}

CAssistantWindow::CAssistantWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);  // already registered by an earlier window: fine
    hwnd_ = CreateWindowW(kClass, L"assistant test", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

CAssistantWindow::~CAssistantWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK CAssistantWindow::Proc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<CAssistantWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message >= 0x914 && message <= 0x916) {
        self->reports_.push_back({message, w, l});
        return 0;
    }
    return DefWindowProcW(hwnd, message, w, l);
}

bool CAssistantWindow::WaitFor(UINT message, Report& out, DWORD ms) {
    size_t seen = 0;
    auto found = [&] {
        for (; seen < reports_.size(); ++seen) {
            const Report& r = reports_[seen];
            if (r.message == message && !(message == 0x915 && r.w == 6)) {
                out = r;
                ++seen;
                return true;
            }
        }
        return false;
    };
    return PumpUntil(found, ms);
}

std::wstring HandleText(HWND hwnd) {
    return std::to_wstring(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hwnd)));
}
