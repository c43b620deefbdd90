#include "gdiplus_session.h"

#include "gui/ui_scale.h"
#include "startup/handle.h"

#include "gui/gdiplus_api.h"

CGdiPlusSession::~CGdiPlusSession() {
    if (token_) Gdiplus::GdiplusShutdown(token_);
}

bool CGdiPlusSession::Start() {
    if (token_) return true;
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) {
        token_ = 0;
        return false;
    }
    const CWindowDc screen = TakeWindowDc(nullptr);
    Gdiplus::Graphics graphics(screen.Get().dc);
    const float dpi = graphics.GetDpiX();
    if (dpi > 0) SetUiScale(dpi / 96.0f);
    return true;
}
