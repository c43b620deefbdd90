#pragma once
// CBackBuffer: the layered window's 32-bit surface, a top-down DIB section
// in a memory DC that GDI+ draws into with premultiplied alpha, and the
// hand-over of a finished frame to UpdateLayeredWindow. Owned by the
// window; its thread only.

#include "gui/gdiplus_api.h"
#include "startup/handle.h"

#include <cstdint>
#include <memory>

class CBackBuffer {
public:
    // A new transparent surface; false when the DIB cannot be made.
    bool Create(int32_t width, int32_t height);
    void Reset();
    bool valid() const { return bitmap_.IsValid(); }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }

    // All bytes 0, then a graphics object for drawing the frame.
    std::unique_ptr<Gdiplus::Graphics> BeginFrame();
    // The surface at `x`, `y` on the screen with per-pixel alpha.
    bool Present(HWND window, int32_t x, int32_t y) const;
    // Premultiplied BGRA pixels, rows top to bottom.
    const uint32_t* pixels() const { return pixels_; }

private:
    // The DC is released before the bitmap it holds.
    CGdiObject bitmap_;
    CMemoryDc dc_;
    std::unique_ptr<Gdiplus::Bitmap> view_;
    uint32_t* pixels_ = nullptr;
    int32_t width_ = 0, height_ = 0;
};
