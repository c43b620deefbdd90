#pragma once
// The page and the picture-like controls: a wizard page (`step`) and a
// bordered panel draw a nine-slice background under their children, a
// picture stretches one sprite over itself. None of them takes mouse input
// except the page, whose background drags the window. The window's thread.

#include "gui/gdiplus_api.h"
#include "gui/gui_drawing.h"
#include "gui/gui_control.h"
#include "gui/slice_layout.h"

#include <array>

class CGuiBitmapBorderStepCtrl : public GuiControl {
public:
    struct Size {
        int32_t width = 0;
        int32_t height = 0;
    };

    // The page is the hot control wherever no enabled child is hit.
    bool HitTest(int32_t, int32_t) const override { return true; }
    void Draw(Gdiplus::Graphics& graphics) override;
    // Takes the current size variant as its design size.
    void Refresh() override;

    void SetSizeVariants(const std::array<Size, 4>& sizes) { variants_ = sizes; }
    // 0 ... 3 becomes the current variant and the design size; other values
    // keep the current size.
    void ApplyVariant(int variant);
    int variant() const { return variant_; }

private:
    std::array<Size, 4> variants_{};
    int variant_ = 0;
    CCachedBackground background_;
};

class CGuiBitmapCtrl : public GuiControl {
public:
    bool SetProfile(const CGuiProfile* profile, GuiControl* parent) override;
    void Draw(Gdiplus::Graphics& graphics) override;

private:
    CCachedBackground picture_;
};

class CGuiBitmapBorderCtrl : public GuiControl {
public:
    // The rectangle alone, whether shown or not.
    bool HitTest(int32_t x, int32_t y) const override;
    bool SetProfile(const CGuiProfile* profile, GuiControl* parent) override;
    void Draw(Gdiplus::Graphics& graphics) override;

private:
    CCachedBackground background_;
};

// The children of a control drawn in order.
void DrawChildren(const GuiControl& control, Gdiplus::Graphics& graphics);
GuiRect PixelRect(const GuiControl& control);
