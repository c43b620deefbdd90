#include "gui/gui_text_label.h"

#include "gui/control_text_table.h"
#include "gui/gui_drawing.h"
#include "gui/look_hash.h"

bool CGuiTextLabelCtrl::SetProfile(const CGuiProfile* profile, GuiControl* parent) {
    if (!AttachLabel(profile, parent)) return false;
    SetEnabled(false);
    return true;
}

bool CGuiTextLabelCtrl::AttachLabel(const CGuiProfile* profile, GuiControl* parent) {
    if (!GuiControl::SetProfile(profile, parent)) return false;
    format_ = LabelStringFormat(centred_);
    return true;
}

void CGuiTextLabelCtrl::Layout() {
    GuiControl::Layout();
    textRect_ = Gdiplus::RectF(float(left()), float(top()), float(width()), float(height()));
}

void CGuiTextLabelCtrl::Draw(Gdiplus::Graphics& graphics) {
    if (!profile() || !visible()) return;
    const GuiStateFont font = ProfileFont(profile(), gsNormal);
    DrawTextInRect(graphics, text_, font.colour, font.font, textRect_, false, format_.get());
}

void CGuiTextLabelCtrl::HashLook(uint64_t& hash) const {
    GuiControl::HashLook(hash);
    HashText(hash, text_);
}

void CGuiTextLabelCtrl::SetText(const std::wstring& text) {
    text_ = text;
    OnTextChanged();
}

void ApplyDefaultTexts(GuiControl& root, const std::function<std::wstring(int32_t entry)>& text) {
    const int32_t entry = ControlTextEntry(root.id());
    if (auto* label = entry >= 0 ? dynamic_cast<CGuiTextLabelCtrl*>(&root) : nullptr) {
        const std::wstring value = text(entry);
        if (!value.empty()) label->SetText(value);
    }
    for (GuiControl* child : root.children()) ApplyDefaultTexts(*child, text);
}
