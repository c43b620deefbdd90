#include "gui/gui_scroll.h"

#include "gui/gui_drawing.h"
#include "gui/look_hash.h"
#include "gui/ui_scale.h"

#include <algorithm>

namespace {
constexpr int32_t kWheelStep = 5;
}

int CGuiScrollCtrl::StateIndex() const {
    if (!enabled()) return 3;
    if (pressed_) return 2;
    return hover_ ? 1 : 0;
}

bool CGuiScrollCtrl::HitTest(int32_t x, int32_t y) const {
    return visible() && scrollable_ && x >= bar_.x && x < bar_.x + bar_.width && y >= bar_.y &&
           y < bar_.y + bar_.height;
}

GuiControl* CGuiScrollCtrl::ControlAt(GuiPoint p) {
    if (!visible() || !enabled() || p.x < left() || p.x >= left() + width() || p.y < top() ||
        p.y >= top() + height())
        return nullptr;
    if (HitTest(p.x, p.y)) return this;
    GuiControl* content = Content();
    return content ? content->ControlAt(p) : nullptr;
}

GuiControl* CGuiScrollCtrl::WheelTargetAt(GuiPoint p) {
    if (GuiControl* target = GuiControl::WheelTargetAt(p)) return target;
    const bool inside = p.x >= left() && p.x < left() + width() && p.y >= top() && p.y < top() + height();
    return visible() && inside ? this : nullptr;
}

void CGuiScrollCtrl::PlaceContent() {
    GuiControl* content = Content();
    if (!content) return;
    const float s = UiScale();
    content->SetDesignPosition(0, 0);
    content->SetOffset(0, int32_t(float(committedY_ + pendingY_) / s));
    content->Layout();
}

void CGuiScrollCtrl::UpdateGeometry() {
    PlaceContent();
    const CGuiTexture* texture = profile() ? profile()->texture : nullptr;
    const int32_t barWidth = texture && !texture->sprites.empty()
                                 ? int32_t(float(texture->sprites[0].width - 2) * profile()->zoom * UiScale())
                                 : 0;
    bar_ = GuiRect{left() + width() - barWidth, top(), barWidth, height()};
    contentHeight_ = Content() ? Content()->height() : 0;
    const float ratio = contentHeight_ > 0 ? float(height()) / float(contentHeight_) : 1.0f;
    thumb_ = bar_;
    thumb_.height = std::min(bar_.height, int32_t(float(bar_.height) * ratio));
    scrollable_ = ratio < 1.0f;
    dirty_ = false;
}

void CGuiScrollCtrl::Draw(Gdiplus::Graphics& graphics) {
    if (!visible() || !profile() || !profile()->texture) return;
    if (dirty_) UpdateGeometry();
    const Gdiplus::GraphicsState state = graphics.Save();
    graphics.SetClip(Gdiplus::Rect(left(), top(), width(), height()), Gdiplus::CombineModeIntersect);
    if (GuiControl* content = Content()) content->Draw(graphics);
    if (scrollable_) {
        const size_t s = size_t(StateIndex());
        DrawThreeSliceVertical(graphics, profile()->texture, bar_, 39 + s, profile()->zoom);
        GuiRect thumb = thumb_;
        thumb.y += thumbPosition_ + thumbDelta_;
        DrawThreeSliceVertical(graphics, profile()->texture, thumb, 6 + s, profile()->zoom);
    }
    graphics.Restore(state);
}

void CGuiScrollCtrl::RecomputeLimits() {
    const int32_t position = thumbPosition_ + thumbDelta_;
    dragMin_ = -position;
    dragMax_ = (bar_.height - thumb_.height) - position;
    contentMin_ = (bar_.height - contentHeight_) - committedY_ - pendingY_;
    contentMax_ = -(committedY_ + pendingY_);
}

void CGuiScrollCtrl::OnLButtonDown(GuiPoint p) {
    if (!enabled()) return;
    pressed_ = true;
    OnPress();
    if (dirty_) UpdateGeometry();
    RecomputeLimits();
    TakeCapture(true);
    dragStart_ = dragCurrent_ = p;
    dragging_ = true;
}

void CGuiScrollCtrl::OnMouseMove(GuiPoint p) {
    if (!enabled()) return;
    hover_ = true;
    if (!dragging_) return;
    dragCurrent_ = p;
    if (!scrollable_) return;
    thumbDelta_ = std::clamp(p.y - dragStart_.y, dragMin_, std::max(dragMin_, dragMax_));
    const int32_t travel = dragMax_ - dragMin_;
    const int32_t range = contentHeight_ - height();
    const int32_t moved = travel > 0 ? int32_t(float(thumbPosition_ + thumbDelta_) / float(travel) * float(range)) : 0;
    pendingY_ = -(moved + committedY_);
    dirty_ = true;
}

void CGuiScrollCtrl::EndDrag() {
    thumbPosition_ += thumbDelta_;
    committedY_ += pendingY_;
    thumbDelta_ = pendingY_ = 0;
    dragging_ = false;
    TakeCapture(false);
    RecomputeLimits();
}

void CGuiScrollCtrl::OnLButtonUp(GuiPoint) {
    if (pressed_) NotifyClick();
    pressed_ = false;
    if (dragging_) EndDrag();
}

void CGuiScrollCtrl::OnMouseLeave() {
    hover_ = pressed_ = false;
    if (dragging_) EndDrag();
}

bool CGuiScrollCtrl::OnMouseWheel(int32_t delta) {
    if (dirty_) UpdateGeometry();
    if (!scrollable_ || dragging_) return false;
    RecomputeLimits();
    const int32_t step = std::clamp(delta > 0 ? kWheelStep : -kWheelStep, contentMin_, contentMax_);
    committedY_ += step;
    const int32_t range = contentHeight_ - height();
    thumbPosition_ = range > 0 ? int32_t(float(-committedY_) / float(range) * float(bar_.height - thumb_.height)) : 0;
    dirty_ = true;
    RecomputeLimits();
    return true;
}

void CGuiScrollCtrl::OnChildContentChanged() {
    dirty_ = true;
    committedY_ = pendingY_ = 0;
    thumbPosition_ = thumbDelta_ = 0;
}

void CGuiScrollCtrl::Refresh() {
    GuiControl::Refresh();
    dirty_ = true;
}

void CGuiScrollCtrl::HashLook(uint64_t& hash) const {
    GuiControl::HashLook(hash);
    HashValue(hash, uint64_t(uint32_t(committedY_ + pendingY_)) << 32 | uint32_t(thumbPosition_ + thumbDelta_));
    HashValue(hash, uint64_t(hover_) | uint64_t(pressed_) << 1 | uint64_t(dirty_) << 2);
}
