#include "gui/gui_check_box.h"

#include "gui/control_states.h"
#include "gui/gui_drawing.h"
#include "gui/look_hash.h"
#include "gui/ui_scale.h"

bool CGuiCheckBoxCtrl::SetProfile(const CGuiProfile* profile, GuiControl* parent) {
    return AttachLabel(profile, parent);
}

void CGuiCheckBoxCtrl::Draw(Gdiplus::Graphics& graphics) {
    if (!visible() || !profile() || !profile()->texture) return;
    const int sprite = CheckBoxSprite(enabled(), checked_, pressed_, hover_);
    DrawTextureSprite(graphics, *profile()->texture, size_t(sprite),
                      Gdiplus::RectF(float(left()), float(top()), float(height()), float(height())));
    int state = gsNormal;
    if (!enabled())
        state = gsDisabled;
    else if (checked_)
        state = gsPressed;
    else if (hover_ || pressed_)
        state = gsHover;
    const GuiStateFont font = ProfileFont(profile(), state);
    const float s = UiScale();
    const Gdiplus::RectF rect(float(left()) + profile()->textOffsetX * s, float(top()) + profile()->textOffsetY * s,
                              float(width() - height()), float(height()));
    DrawTextInRect(graphics, text(), font.colour, font.font, rect, false, stringFormat());
}

void CGuiCheckBoxCtrl::OnMouseMove(GuiPoint) {
    if (enabled()) hover_ = true;
}

void CGuiCheckBoxCtrl::OnLButtonDown(GuiPoint) {
    if (enabled()) pressed_ = true;
}

void CGuiCheckBoxCtrl::OnLButtonUp(GuiPoint) {
    if (!pressed_) return;
    pressed_ = false;
    checked_ = !checked_;
    NotifyClick();
}

void CGuiCheckBoxCtrl::OnMouseLeave() { pressed_ = hover_ = false; }

void CGuiCheckBoxCtrl::HashLook(uint64_t& hash) const {
    CGuiTextLabelCtrl::HashLook(hash);
    HashValue(hash, uint64_t(pressed_) | uint64_t(checked_) << 1 | uint64_t(hover_) << 2);
}
