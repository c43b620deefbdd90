#pragma once
// CGuiCheckBoxCtrl: a square sprite that shows the checked state, with
// its label beside it. A click toggles the box and is reported; like a
// button, only a release that follows the box's own press is a click, so a
// drag that ends over the box changes nothing. The window's thread only.

#include "gui/gui_text_label.h"

class CGuiCheckBoxCtrl : public CGuiTextLabelCtrl {
public:
    bool SetProfile(const CGuiProfile* profile, GuiControl* parent) override;
    void Draw(Gdiplus::Graphics& graphics) override;
    void OnMouseMove(GuiPoint point) override;
    void OnLButtonDown(GuiPoint point) override;
    void OnLButtonUp(GuiPoint point) override;
    void OnMouseLeave() override;
    void HashLook(uint64_t& hash) const override;

    bool checked() const { return checked_; }
    void SetChecked(bool checked) { checked_ = checked; }

private:
    bool pressed_ = false;
    bool checked_ = false;
    bool hover_ = false;
};
