#include "gui/gui_control.h"

#include "gui/look_hash.h"
#include "gui/ui_scale.h"

#include <algorithm>

GuiControl::~GuiControl() = default;

void GuiTreeDeleter::operator()(GuiControl* root) const {
    if (!root) return;
    for (GuiControl* child : root->children()) (*this)(child);
    delete root;
}

bool GuiControl::HitTest(int32_t x, int32_t y) const {
    return visible_ && x >= left_ && x < left_ + width_ && y >= top_ && y < top_ + height_;
}

void GuiControl::Layout() {
    const float s = UiScale();
    // Sums in integers, products as floats, truncated toward zero.
    left_ = int32_t(float(designX_ + offsetX_) * s) + (parent_ ? parent_->left_ : 0);
    top_ = int32_t(float(designY_ + offsetY_) * s) + (parent_ ? parent_->top_ : 0);
    width_ = int32_t(float(designWidth_) * s);
    height_ = int32_t(float(designHeight_) * s);
    for (GuiControl* child : children_) child->Layout();
}

GuiControl* GuiControl::ControlAt(GuiPoint point) {
    if (!visible_ || !HitTest(point.x, point.y)) return nullptr;
    for (auto it = children_.rbegin(); it != children_.rend(); ++it)
        if (GuiControl* hit = (*it)->ControlAt(point)) return hit;
    return enabled_ ? this : nullptr;
}

GuiControl* GuiControl::WheelTargetAt(GuiPoint point) {
    for (GuiControl* child : children_)
        if (GuiControl* target = child->WheelTargetAt(point)) return target;
    return nullptr;
}

bool GuiControl::SetProfile(const CGuiProfile* profile, GuiControl* parent) {
    if (!profile) return false;
    profile_ = profile;
    parent_ = parent;
    Layout();
    return true;
}

bool GuiControl::OnMouseWheel(int32_t delta) { return parent_ ? parent_->OnMouseWheel(delta) : false; }

void GuiControl::Refresh() {
    Layout();
    for (GuiControl* child : children_) child->Refresh();
    if (toolTip_) toolTip_->Refresh();
}

void GuiControl::SetToolTip(std::unique_ptr<GuiControl> tooltip) { toolTip_ = std::move(tooltip); }

void GuiControl::HashLook(uint64_t& hash) const {
    HashValue(hash, uint64_t(uint32_t(left_)) << 32 | uint32_t(top_));
    HashValue(hash, uint64_t(uint32_t(width_)) << 32 | uint32_t(height_));
    HashValue(hash, uint64_t(visible_) | uint64_t(enabled_) << 1 | uint64_t(captured_) << 2 | uint64_t(focused_) << 3);
    if (!visible_) return;
    for (const GuiControl* child : children_) child->HashLook(hash);
}

void GuiControl::AddChild(GuiControl* child) {
    if (!child || child == this || std::find(children_.begin(), children_.end(), child) != children_.end()) return;
    child->parent_ = this;
    children_.push_back(child);
}

GuiControl* GuiControl::FindById(int32_t id) {
    if (id_ == id) return this;
    for (GuiControl* child : children_)
        if (GuiControl* found = child->FindById(id)) return found;
    return nullptr;
}

void GuiControl::TakeCapture(bool take) {
    if (!host_) return;
    host_->SetCapture(take ? this : nullptr);
    captured_ = take;
}

void GuiControl::TakeFocus(bool take) {
    if (!host_) return;
    host_->SetFocus(take ? this : nullptr);
    focused_ = take;
}

void GuiControl::NotifyClick() {
    if (host_) host_->Notify(id_);
}
