#pragma once
// CGuiToolTipCtrl: a framed text that appears when the mouse has rested
// on its owner for 500 ms. Until then it follows the mouse; the window
// draws the hot control's tooltip last, on top of the page. Made by code
// and owned by the control it explains. The window's thread only.

#include "gui/gui_text_label.h"

class CGuiToolTipCtrl : public CGuiTextLabelCtrl {
public:
    static constexpr uint64_t kDelayMs = 500;

    bool SetProfile(const CGuiProfile* profile, GuiControl* parent) override;
    void OnTextChanged() override { needsMeasuring_ = true; }
    void Refresh() override;
    void Draw(Gdiplus::Graphics& graphics) override;
    void HashLook(uint64_t& hash) const override;

    // Restarts the rest time (the owner became the hot control).
    void Restart(uint64_t now) { shown_ = now; }
    // The mouse at `now`: while the delay runs, the tooltip follows it.
    void Track(GuiPoint mouse, uint64_t now);
    // Past the delay, so drawn.
    bool Showing(uint64_t now) const { return visible() && now - shown_ >= kDelayMs; }

private:
    void Measure();

    uint64_t shown_ = 0;
    bool needsMeasuring_ = true;
    Gdiplus::PointF textOrigin_;
};
