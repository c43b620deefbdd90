#pragma once
// CLayeredWindow: the wizard's only top-level window, a borderless popup
// whose every pixel, alpha included, comes from the back buffer. It owns
// the page trees of the theme, shows one page at a time, routes mouse and
// keyboard input to the controls, lets the user drag it by the page
// background, follows DPI changes, and hands clicks, ticks and the
// launcher's private messages to its owner through four hooks.
// A 10 ms timer drives it; a frame is composed and handed to the system
// only when the page's look changed, so an idle wizard costs almost
// nothing. Made, used and destroyed on one thread.

#include "gui/back_buffer.h"
#include "gui/gui_combo_box.h"
#include "gui/gui_control.h"
#include "gui/gui_pictures.h"
#include "gui/gui_theme.h"

#include <tinyxml2.h>

#include <functional>
#include <string>
#include <vector>

struct WindowTraits {
    using Type = HWND;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { DestroyWindow(h); }
};
using CWindowHandle = CHandleT<WindowTraits>;

class CLayeredWindow : private IGuiControlHost, private IGuiComboHost {
public:
    static constexpr int kRequiredPages = 4;

    struct Hooks {
        std::function<void(int32_t id)> click;
        std::function<void()> destroyed;
        std::function<LRESULT(UINT message, WPARAM w, LPARAM l)> message;
        // True consumes the tick.
        std::function<bool(UINT_PTR id)> timer;
    };
    // A string-table entry's text; empty keeps a control's text.
    using TextSource = std::function<std::wstring(int32_t entry)>;

    CLayeredWindow(CGuiTheme& theme, TextSource texts);
    CLayeredWindow(const CLayeredWindow&) = delete;
    CLayeredWindow& operator=(const CLayeredWindow&) = delete;
    ~CLayeredWindow();

    // Loads the pages and makes the window; false (with the reason in
    // `error`) for fewer than four pages, a theme without the language box,
    // or a window that cannot be made or shown.
    // `visible` false keeps the window hidden until it is shown.
    bool Create(const tinyxml2::XMLDocument& config, HINSTANCE instance, const wchar_t* windowClass,
                std::string& error, bool visible = true);
    void SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }
    void Destroy();
    HWND hwnd() const { return window_.Get(); }

    // 1-based; a variant 0 ... 3 becomes the page's size, others keep it.
    void ShowPage(int number, int variant);
    int currentPage() const { return currentIndex_ + 1; }
    size_t pageCount() const { return pages_.size(); }
    CGuiBitmapBorderStepCtrl* page(size_t index) const { return pages_[index].get(); }
    void RecomputeSurface();
    void ReloadTexts();

    // A control of the wanted class by identifier over all pages, or null.
    template <class T>
    T* Find(int32_t id) const {
        for (const auto& page : pages_)
            if (GuiControl* found = page->FindById(id)) return dynamic_cast<T*>(found);
        return nullptr;
    }

    // Composes the current page into the back buffer now (also used by the
    // preview tool and the benchmark).
    bool ComposeFrame();
    const CBackBuffer& surface() const { return buffer_; }
    // Frames composed and handed over since the window was made.
    uint64_t framesPresented() const { return framesPresented_; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l);
    LRESULT Handle(UINT message, WPARAM w, LPARAM l, bool& handled);
    bool OnCreate();
    void OnTimer(UINT_PTR id);
    void OnMouseMove(GuiPoint client);
    void OnLButtonDown();
    void OnLButtonUp();
    void OnDpiChanged(UINT dpi);
    void PresentIfChanged();
    uint64_t LookHash() const;
    void LayOutPages();
    CGuiComboBoxCtrl* LanguageBox() const;
    CGuiBitmapBorderStepCtrl* CurrentPage() const;

    void SetCapture(GuiControl* control) override;
    void SetFocus(GuiControl* control) override;
    void Notify(int32_t id) override;
    void ListWorkArea(RECT& monitor, RECT& window, int32_t& taskbarAllowance) override;
    void ResizeSurfaceForList(bool open) override;

    CGuiTheme& theme_;
    TextSource texts_;
    Hooks hooks_;
    GuiControl* hot_ = nullptr;
    GuiControl* wheelTarget_ = nullptr;
    GuiControl* focus_ = nullptr;
    GuiControl* capture_ = nullptr;
    CBackBuffer buffer_;
    int currentIndex_ = 0;
    std::vector<GuiTree<CGuiBitmapBorderStepCtrl>> pages_;
    bool tracking_ = false, dragging_ = false;
    POINT dragDelta_{}, position_{}, listShift_{}, mouse_{}, dragStart_{};
    CWindowHandle window_;
    bool timerRunning_ = false;
    bool frameStale_ = true;
    uint64_t lastHash_ = 0;
    uint64_t framesPresented_ = 0;
};
