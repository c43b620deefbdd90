#include "gui/gui_tooltip.h"

#include "gui/gui_drawing.h"
#include "gui/gui_pictures.h"
#include "gui/look_hash.h"
#include "gui/ui_scale.h"

bool CGuiToolTipCtrl::SetProfile(const CGuiProfile* profile, GuiControl* parent) {
    if (!AttachLabel(profile, parent)) return false;
    SetStringFormat(WrappingStringFormat(false));
    SetEnabled(false);
    return true;
}

void CGuiToolTipCtrl::Refresh() {
    CGuiTextLabelCtrl::Refresh();
    needsMeasuring_ = true;
}

void CGuiToolTipCtrl::Track(GuiPoint mouse, uint64_t now) {
    if (now - shown_ >= kDelayMs) return;
    const float s = UiScale();
    // Window pixels of the mouse back to design units of an unparented
    // control: the tooltip is placed relative to the window.
    SetDesignPosition(int32_t(float(mouse.x) / s), int32_t(float(mouse.y) / s));
    Layout();
    textOrigin_ = Gdiplus::PointF(float(mouse.x) + float(profile()->textBorder[0]) * s,
                                  float(mouse.y) + float(profile()->textBorder[1]) * s);
    needsMeasuring_ = true;
}

void CGuiToolTipCtrl::Measure() {
    const float s = UiScale();
    SetDesignSize(1000, 1000);
    Layout();
    const GuiStateFont font = ProfileFont(profile(), gsNormal);
    const Gdiplus::RectF box =
        MeasureText(text(), font.font, Gdiplus::RectF(textOrigin_.X, textOrigin_.Y, 1000 * s, 1000 * s),
                    stringFormat());
    const int32_t* border = profile()->textBorder;
    SetDesignSize(int32_t((box.Width + float(border[0] + border[2]) * s) / s),
                  int32_t((box.Height + float(border[1] + border[3]) * s) / s));
    Layout();
    needsMeasuring_ = false;
}

void CGuiToolTipCtrl::Draw(Gdiplus::Graphics& graphics) {
    if (!profile() || !Showing(GetTickCount64())) return;
    if (needsMeasuring_) Measure();
    DrawNineSlice(graphics, profile()->texture, PixelRect(*this), 0, profile()->zoom);
    const GuiStateFont font = ProfileFont(profile(), gsNormal);
    const float s = UiScale();
    const Gdiplus::RectF rect(textOrigin_.X, textOrigin_.Y,
                              float(width()) - float(profile()->textBorder[0]) * s,
                              float(height()) - float(profile()->textBorder[1]) * s);
    DrawTextInRect(graphics, text(), font.colour, font.font, rect, false, stringFormat());
}

void CGuiToolTipCtrl::HashLook(uint64_t& hash) const {
    CGuiTextLabelCtrl::HashLook(hash);
    HashValue(hash, Showing(GetTickCount64()));
}
