#pragma once
// CGuiTextLinesCtrl: wrapped text that grows to the height of its text;
// inside a scroll area, a new text sends the area back to the top. The
// window's thread only.

#include "gui/gui_text_label.h"

class CGuiTextLinesCtrl : public CGuiTextLabelCtrl {
public:
    bool SetProfile(const CGuiProfile* profile, GuiControl* parent) override;
    void OnContentChanged() override;
    void OnTextChanged() override { needsMeasuring_ = true; }
    void Refresh() override;
    void Draw(Gdiplus::Graphics& graphics) override;
    void HashLook(uint64_t& hash) const override;

private:
    bool needsMeasuring_ = true;
};
