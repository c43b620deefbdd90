#include "gdiplus_session.h"

#include "gui/ui_scale.h"
#include "startup/handle.h"

#include <objidl.h>

#include <algorithm>
// GDI+'s headers use unqualified min and max and need objidl.h, which the
// lean Windows headers leave out.
using std::max;
using std::min;
#include <gdiplus.h>

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
