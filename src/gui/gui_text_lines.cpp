#include "gui/gui_text_lines.h"

#include "gui/gui_drawing.h"
#include "gui/look_hash.h"
#include "gui/ui_scale.h"

bool CGuiTextLinesCtrl::SetProfile(const CGuiProfile* profile, GuiControl* parent) {
    if (!AttachLabel(profile, parent)) return false;
    SetStringFormat(WrappingStringFormat(centred()));
    SetEnabled(false);
    return true;
}

void CGuiTextLinesCtrl::OnContentChanged() {
    if (parent()) parent()->OnChildContentChanged();
}

void CGuiTextLinesCtrl::Refresh() {
    needsMeasuring_ = true;
    CGuiTextLabelCtrl::Refresh();
}

void CGuiTextLinesCtrl::Draw(Gdiplus::Graphics& graphics) {
    if (!visible()) return;
    const GuiStateFont font = ProfileFont(profile(), gsNormal);
    if (needsMeasuring_) {
        const Gdiplus::RectF box =
            MeasureText(text(), font.font, Gdiplus::RectF(0, 0, float(width()), 10000.0f), stringFormat());
        SetDesignSize(designWidth(), int32_t(box.Height / UiScale()));
        Layout();
        OnContentChanged();
        needsMeasuring_ = false;
    }
    DrawTextInRect(graphics, text(), font.colour, font.font, textRect(), false, stringFormat());
}

void CGuiTextLinesCtrl::HashLook(uint64_t& hash) const {
    CGuiTextLabelCtrl::HashLook(hash);
    HashValue(hash, needsMeasuring_);
}
