#include "gui/layered_window.h"

#include "gui/gui_factories.h"
#include "gui/gui_text_label.h"
#include "gui/gui_tooltip.h"
#include "gui/look_hash.h"
#include "gui/ui_scale.h"
#include "gui/control_tables.h"
#include "startup/window_messages.h"

#include <cmath>

namespace {

constexpr UINT kPaintIntervalMs = 10;
constexpr wchar_t kWindowTitle[] = L"WTL Layered Window";

void ForEachControl(GuiControl& control, const std::function<void(GuiControl&)>& visit) {
    visit(control);
    for (GuiControl* child : control.children()) ForEachControl(*child, visit);
}

void ShowError(const wchar_t* text) { MessageBoxW(nullptr, text, L"Error", MB_OK | MB_ICONERROR); }

}  // namespace

CLayeredWindow::CLayeredWindow(CGuiTheme& theme, TextSource texts) : theme_(theme), texts_(std::move(texts)) {}

CLayeredWindow::~CLayeredWindow() { Destroy(); }

bool CLayeredWindow::Create(const tinyxml2::XMLDocument& config, HINSTANCE instance, const wchar_t* windowClass,
                            std::string& error, bool visible) {
    pages_ = LoadThemeForms(config, theme_.profiles());
    if (pages_.size() < size_t(kRequiredPages)) {
        error = "the theme has " + std::to_string(pages_.size()) + " pages, " + std::to_string(kRequiredPages) +
                " are needed";
        pages_.clear();
        return false;
    }
    for (auto& page : pages_) ForEachControl(*page, [this](GuiControl& c) { c.SetHost(this); });
    CGuiComboBoxCtrl* language = Find<CGuiComboBoxCtrl>(kLanguageBoxId);
    if (!language) {
        error = "the theme has no language box";
        return false;
    }
    language->SetComboHost(this);
    ReloadTexts();

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(instance, windowClass, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = windowClass;
        RegisterClassExW(&wc);
    }
    CreateWindowExW(WS_EX_LAYERED, windowClass, kWindowTitle, WS_POPUP | (visible ? WS_VISIBLE : 0), CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (!window_) {
        ShowError(L"Failed to create window!");
        error = "cannot create the window";
        return false;
    }
    return true;
}

LRESULT CALLBACK CLayeredWindow::WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<CLayeredWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_.Reset(hwnd);
    }
    auto* self = reinterpret_cast<CLayeredWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, w, l);
    if (message == WM_NCDESTROY) {
        // The system destroyed the window; nothing is left to close.
        self->window_.Release();
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return DefWindowProcW(hwnd, message, w, l);
    }
    bool handled = true;
    const LRESULT result = self->Handle(message, w, l, handled);
    return handled ? result : DefWindowProcW(hwnd, message, w, l);
}

bool CLayeredWindow::OnCreate() {
    RecomputeSurface();
    ComposeFrame();
    if (!buffer_.Present(hwnd(), 0, 0)) return false;
    SetTimer(hwnd(), eWindowTimer_Paint, kPaintIntervalMs, nullptr);
    timerRunning_ = true;
    RECT work{}, window{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(hwnd(), &window);
    position_.x = ((work.right - work.left) - (window.right - window.left)) / 2;
    position_.y = ((work.bottom - work.top) - (window.bottom - window.top)) / 2;
    SetWindowPos(hwnd(), nullptr, position_.x, position_.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    LayOutPages();
    frameStale_ = true;
    return true;
}

void CLayeredWindow::LayOutPages() {
    for (auto& page : pages_) {
        page->SetDesignPosition(0, 0);
        page->Layout();
    }
}

CGuiBitmapBorderStepCtrl* CLayeredWindow::CurrentPage() const {
    return currentIndex_ < int(pages_.size()) ? pages_[size_t(currentIndex_)].get() : nullptr;
}

CGuiComboBoxCtrl* CLayeredWindow::LanguageBox() const {
    CGuiBitmapBorderStepCtrl* page = CurrentPage();
    return page ? dynamic_cast<CGuiComboBoxCtrl*>(page->FindById(kLanguageBoxId)) : nullptr;
}

void CLayeredWindow::ShowPage(int number, int variant) {
    if (number < 1 || number > int(pages_.size())) return;
    if (CGuiComboBoxCtrl* language = LanguageBox(); language && language->dropped()) language->CloseList();
    // The control under the mouse is left: shown again later, it must not
    // keep its lit look.
    if (hot_) hot_->OnMouseLeave();
    currentIndex_ = number - 1;
    hot_ = wheelTarget_ = nullptr;
    CurrentPage()->ApplyVariant(variant);
    RecomputeSurface();
}

void CLayeredWindow::RecomputeSurface() {
    CGuiBitmapBorderStepCtrl* page = CurrentPage();
    if (!page) return;
    // Measured from the page's own place: an earlier shift is undone first.
    if (listShift_.y != 0) {
        position_.y += listShift_.y;
        listShift_.y = 0;
        page->SetOffset(0, 0);
        page->Layout();
    }
    int32_t height = page->height();
    CGuiComboBoxCtrl* language = LanguageBox();
    if (language && language->dropped()) {
        GuiRect list = language->ListFrame();
        if (list.y < page->top()) {
            // The list reaches above the page: the window moves up and the
            // page down by the same amount, so it stays still on the screen.
            const int32_t before = page->top();
            page->SetOffset(0, int32_t(std::ceil(float(page->top() - list.y) / UiScale())));
            page->Layout();
            listShift_.y = page->top() - before;
            position_.y -= listShift_.y;
            list = language->ListFrame();
            height = std::max(page->top() + page->height(), list.y + list.height);
        } else {
            height = std::max(height, list.y + list.height);
        }
    }
    if (!buffer_.Create(page->width(), height)) ShowError(L"Failed to create DIB buffer!");
    frameStale_ = true;
}

void CLayeredWindow::ReloadTexts() {
    if (!texts_) return;
    for (auto& page : pages_) ApplyDefaultTexts(*page, texts_);
}

bool CLayeredWindow::ComposeFrame() {
    CGuiBitmapBorderStepCtrl* page = CurrentPage();
    std::unique_ptr<Gdiplus::Graphics> graphics = buffer_.BeginFrame();
    if (!page || !graphics) return false;
    page->Draw(*graphics);
    if (auto* tip = hot_ ? dynamic_cast<CGuiToolTipCtrl*>(hot_->toolTip()) : nullptr) tip->Draw(*graphics);
    return true;
}

uint64_t CLayeredWindow::LookHash() const {
    uint64_t hash = kLookHashSeed;
    HashValue(hash, uint64_t(currentIndex_));
    HashValue(hash, uint64_t(uint32_t(buffer_.width())) << 32 | uint32_t(buffer_.height()));
    HashValue(hash, uint64_t(uint32_t(position_.x + dragDelta_.x)) << 32 | uint32_t(position_.y + dragDelta_.y));
    if (const CGuiBitmapBorderStepCtrl* page = CurrentPage()) page->HashLook(hash);
    if (const GuiControl* tip = hot_ ? hot_->toolTip() : nullptr) tip->HashLook(hash);
    return hash;
}

void CLayeredWindow::PresentIfChanged() {
    if (auto* tip = hot_ ? dynamic_cast<CGuiToolTipCtrl*>(hot_->toolTip()) : nullptr)
        tip->Track(GuiPoint{mouse_.x, mouse_.y}, GetTickCount64());
    const uint64_t hash = LookHash();
    if (!frameStale_ && hash == lastHash_) return;
    ComposeFrame();
    // A failed hand-over is tried again on the next tick.
    if (!buffer_.Present(hwnd(), position_.x + dragDelta_.x, position_.y + dragDelta_.y)) return;
    // Drawing may have settled sizes (text lines measure while drawing).
    lastHash_ = LookHash();
    frameStale_ = false;
    ++framesPresented_;
}

void CLayeredWindow::OnTimer(UINT_PTR id) {
    if (hooks_.timer && hooks_.timer(id)) return;
    PresentIfChanged();
    if (capture_) {
        POINT cursor{};
        GetCursorPos(&cursor);
        ScreenToClient(hwnd(), &cursor);
        capture_->OnTick(GuiPoint{cursor.x, cursor.y});
    }
}

void CLayeredWindow::OnDpiChanged(UINT dpi) {
    SetUiScale(float(dpi) / 96.0f);
    theme_.RecreateFonts();
    for (auto& page : pages_) page->Refresh();
    RecomputeSurface();
    LayOutPages();
    ComposeFrame();
}

void CLayeredWindow::Destroy() {
    if (window_) {
        if (timerRunning_) KillTimer(hwnd(), eWindowTimer_Paint);
        timerRunning_ = false;
        buffer_.Reset();
        window_.Reset();
        if (hooks_.destroyed) hooks_.destroyed();
    }
    hot_ = wheelTarget_ = focus_ = capture_ = nullptr;
    pages_.clear();
}

void CLayeredWindow::ListWorkArea(RECT& monitor, RECT& window, int32_t& taskbarAllowance) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromWindow(hwnd(), MONITOR_DEFAULTTONEAREST), &info);
    GetWindowRect(hwnd(), &window);
    monitor = info.rcMonitor;
    taskbarAllowance = (info.rcMonitor.bottom - info.rcMonitor.top) - (info.rcWork.bottom - info.rcWork.top);
}

void CLayeredWindow::ResizeSurfaceForList(bool) { RecomputeSurface(); }
