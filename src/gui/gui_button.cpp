#include "gui/gui_button.h"

#include "gui/control_states.h"
#include "gui/gui_pictures.h"
#include "gui/look_hash.h"
#include "gui/ui_scale.h"

#include <cmath>

int CGuiButtonCtrl::State() const { return GuiStateIndex(enabled(), pressed_, hover_); }

bool CGuiButtonCtrl::HitTest(int32_t x, int32_t y) const {
    return GuiControl::HitTest(x, y) && images_.AlphaAt(State(), x - left(), y - top()) != 0;
}

bool CGuiButtonCtrl::SetProfile(const CGuiProfile* profile, GuiControl* parent) {
    if (!AttachLabel(profile, parent)) return false;
    images_.Create(width(), height());
    return PrepareImages();
}

void CGuiButtonCtrl::Refresh() {
    CGuiTextLabelCtrl::Refresh();
    images_.Create(width(), height());
    PrepareImages();
}

bool CGuiButtonCtrl::PrepareImages() {
    if (!profile() || !profile()->texture || !images_.Image(0)) return false;
    if (!images_.Render(profile()->texture, profile()->zoom)) return false;
    const float s = UiScale();
    const GuiStateFont normal = ProfileFont(profile(), State());
    const Gdiplus::RectF box = MeasureText(text(), normal.font, Gdiplus::RectF(0, 0, 10000, 10000), nullptr);
    // The text is centred in the image, then moved by the profile's offset.
    const float x = std::fabs(float(width()) - box.Width) / 2 + profile()->textOffsetX * s;
    const float y = std::fabs(float(height()) - box.Height) / 2 + profile()->textOffsetY * s;
    for (int state = 0; state < 4; ++state) {
        const GuiStateFont font = ProfileFont(profile(), state);
        Gdiplus::Graphics graphics(images_.Image(state));
        DrawTextInRect(graphics, text(), font.colour, font.font, Gdiplus::RectF(x, y, 10000, 10000),
                       state == gsDisabled, nullptr);
    }
    return true;
}

void CGuiButtonCtrl::Draw(Gdiplus::Graphics& graphics) {
    if (!visible() || !profile() || !profile()->texture) return;
    if (Gdiplus::Bitmap* image = images_.Image(State()))
        graphics.DrawImage(image, left(), top(), width(), height());
    DrawChildren(*this, graphics);
}

void CGuiButtonCtrl::OnMouseMove(GuiPoint) {
    if (enabled()) hover_ = true;
}

void CGuiButtonCtrl::OnLButtonDown(GuiPoint) {
    if (!enabled()) return;
    pressed_ = true;
    OnPress();
}

void CGuiButtonCtrl::OnLButtonUp(GuiPoint) {
    if (pressed_) NotifyClick();
    pressed_ = false;
}

void CGuiButtonCtrl::OnMouseLeave() { hover_ = pressed_ = false; }

void CGuiButtonCtrl::HashLook(uint64_t& hash) const {
    CGuiTextLabelCtrl::HashLook(hash);
    HashValue(hash, uint64_t(hover_) | uint64_t(pressed_) << 1);
}
