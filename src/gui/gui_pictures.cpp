#include "gui/gui_pictures.h"

#include "gui/gui_drawing.h"

void DrawChildren(const GuiControl& control, Gdiplus::Graphics& graphics) {
    for (GuiControl* child : control.children()) child->Draw(graphics);
}

GuiRect PixelRect(const GuiControl& control) {
    return GuiRect{control.left(), control.top(), control.width(), control.height()};
}

void CGuiBitmapBorderStepCtrl::Draw(Gdiplus::Graphics& graphics) {
    if (!visible()) return;
    if (profile() && profile()->texture) background_.Draw(graphics, *profile(), PixelRect(*this), RenderNineSlice);
    DrawChildren(*this, graphics);
}

void CGuiBitmapBorderStepCtrl::Refresh() {
    SetDesignSize(variants_[size_t(variant_)].width, variants_[size_t(variant_)].height);
    GuiControl::Refresh();
}

void CGuiBitmapBorderStepCtrl::ApplyVariant(int variant) {
    if (variant < 0 || variant > 3) return;
    variant_ = variant;
    SetDesignSize(variants_[size_t(variant)].width, variants_[size_t(variant)].height);
    Layout();
}

bool CGuiBitmapCtrl::SetProfile(const CGuiProfile* profile, GuiControl* parent) {
    if (!GuiControl::SetProfile(profile, parent)) return false;
    SetEnabled(false);
    return true;
}

void CGuiBitmapCtrl::Draw(Gdiplus::Graphics& graphics) {
    if (!visible()) return;
    if (profile() && profile()->texture) picture_.Draw(graphics, *profile(), PixelRect(*this), RenderStretchedSprite);
    DrawChildren(*this, graphics);
}

bool CGuiBitmapBorderCtrl::HitTest(int32_t x, int32_t y) const {
    return x >= left() && x < left() + width() && y >= top() && y < top() + height();
}

bool CGuiBitmapBorderCtrl::SetProfile(const CGuiProfile* profile, GuiControl* parent) {
    if (!GuiControl::SetProfile(profile, parent)) return false;
    SetEnabled(false);
    return true;
}

void CGuiBitmapBorderCtrl::Draw(Gdiplus::Graphics& graphics) {
    if (!visible()) return;
    if (profile() && profile()->texture) background_.Draw(graphics, *profile(), PixelRect(*this), RenderNineSlice);
    DrawChildren(*this, graphics);
}
