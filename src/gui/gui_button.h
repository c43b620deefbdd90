#pragma once
// CGuiButtonCtrl: a label on four pre-rendered backgrounds, one per state,
// hit only where its current background is not transparent. A press and a
// release on the button report one click; a press that leaves it reports
// none. The window's thread only.

#include "gui/gui_drawing.h"
#include "gui/gui_text_label.h"

class CGuiButtonCtrl : public CGuiTextLabelCtrl {
public:
    bool HitTest(int32_t x, int32_t y) const override;
    bool PrepareImages() override;
    bool SetProfile(const CGuiProfile* profile, GuiControl* parent) override;
    void Draw(Gdiplus::Graphics& graphics) override;
    void OnMouseMove(GuiPoint point) override;
    void OnLButtonDown(GuiPoint point) override;
    void OnLButtonUp(GuiPoint point) override;
    void OnMouseLeave() override;
    void OnTextChanged() override { PrepareImages(); }
    void Refresh() override;
    void HashLook(uint64_t& hash) const override;

    bool hover() const { return hover_; }
    bool pressed() const { return pressed_; }

private:
    int State() const;

    CStateImages images_;
    bool hover_ = false;
    bool pressed_ = false;
};
