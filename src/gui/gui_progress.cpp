#include "gui/gui_progress.h"

#include "gui/control_states.h"
#include "gui/gui_drawing.h"
#include "gui/gui_pictures.h"
#include "gui/look_hash.h"
#include "gui/ui_scale.h"

bool CGuiProgressCtrl::SetProfile(const CGuiProfile* profile, GuiControl* parent) {
    if (!GuiControl::SetProfile(profile, parent)) return false;
    SetEnabled(false);
    return true;
}

void CGuiProgressCtrl::DrawTrack(Gdiplus::Graphics& graphics) const {
    DrawThreeSlice(graphics, profile()->texture, PixelRect(*this), 3, 1.0f);
}

void CGuiProgressCtrl::Draw(Gdiplus::Graphics& graphics) {
    if (!visible() || !profile() || !profile()->texture) return;
    DrawTrack(graphics);
    if (value_ != 0) {
        const Gdiplus::GraphicsState state = graphics.Save();
        graphics.SetClip(Gdiplus::Rect(left(), top(), ProgressClipWidth(width(), value_), height()),
                         Gdiplus::CombineModeIntersect);
        DrawThreeSlice(graphics, profile()->texture, PixelRect(*this), 0, 1.0f);
        graphics.Restore(state);
    }
    DrawChildren(*this, graphics);
}

void CGuiProgressCtrl::HashLook(uint64_t& hash) const {
    GuiControl::HashLook(hash);
    HashFloat(hash, value_);
}

int32_t CGuiProgressWaitCtrl::SegmentWidth() const { return int32_t(100 * UiScale()); }

int32_t CGuiProgressWaitCtrl::SegmentX(uint64_t now) const {
    if (start_ == kUnset) start_ = now;
    return WaitingBarSegmentX(left(), width(), SegmentWidth(), WaitingBarValue(now - start_));
}

void CGuiProgressWaitCtrl::Draw(Gdiplus::Graphics& graphics) {
    if (!visible() || !profile() || !profile()->texture) return;
    DrawTrack(graphics);
    const GuiRect segment{SegmentX(GetTickCount64()), top(), SegmentWidth(), height()};
    DrawThreeSlice(graphics, profile()->texture, segment, 0, 1.0f);
    DrawChildren(*this, graphics);
}

void CGuiProgressWaitCtrl::HashLook(uint64_t& hash) const {
    CGuiProgressCtrl::HashLook(hash);
    // The segment moves while the bar is shown.
    if (visible() && profile() && profile()->texture) HashValue(hash, uint32_t(SegmentX(GetTickCount64())));
}
