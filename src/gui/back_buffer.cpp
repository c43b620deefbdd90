#include "gui/back_buffer.h"

#include <cstring>

bool CBackBuffer::Create(int32_t width, int32_t height) {
    Reset();
    if (width <= 0 || height <= 0) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, as GDI+ reads the bits
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const CWindowDc screen = TakeWindowDc(nullptr);
    void* bits = nullptr;
    CGdiObject bitmap(CreateDIBSection(screen.Get().dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    CMemoryDc dc(CreateCompatibleDC(screen.Get().dc));
    if (!bitmap || !dc || !bits) return false;
    SelectObject(dc.Get(), bitmap.Get());
    bitmap_ = std::move(bitmap);
    dc_ = std::move(dc);
    pixels_ = static_cast<uint32_t*>(bits);
    width_ = width;
    height_ = height;
    view_ = std::make_unique<Gdiplus::Bitmap>(width, height, width * 4, PixelFormat32bppPARGB,
                                              reinterpret_cast<BYTE*>(bits));
    return true;
}

void CBackBuffer::Reset() {
    view_.reset();
    dc_.Reset();
    bitmap_.Reset();
    pixels_ = nullptr;
    width_ = height_ = 0;
}

std::unique_ptr<Gdiplus::Graphics> CBackBuffer::BeginFrame() {
    if (!view_) return nullptr;
    std::memset(pixels_, 0, size_t(width_) * size_t(height_) * 4);
    return std::make_unique<Gdiplus::Graphics>(view_.get());
}

bool CBackBuffer::Present(HWND window, int32_t x, int32_t y) const {
    if (!dc_) return false;
    const CWindowDc screen = TakeWindowDc(nullptr);
    POINT position{x, y};
    SIZE size{width_, height_};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return UpdateLayeredWindow(window, screen.Get().dc, &position, &size, dc_.Get(), &source, 0, &blend,
                               ULW_ALPHA) != FALSE;
}
