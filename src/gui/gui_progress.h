#pragma once
// Progress bars: CGuiProgressCtrl fills its track from the left up to its
// value (the bar's right cap is cut, not moved); CGuiProgressWaitCtrl
// sweeps a segment to and fro for work of unknown length, animated by the
// window's timer. Neither takes mouse input. The window's thread only.

#include "gui/gdiplus_api.h"
#include "gui/gui_control.h"

class CGuiProgressCtrl : public GuiControl {
public:
    bool SetProfile(const CGuiProfile* profile, GuiControl* parent) override;
    void Draw(Gdiplus::Graphics& graphics) override;
    void HashLook(uint64_t& hash) const override;

    // Percent, 0 ... 100.
    void SetValue(float value) { value_ = value; }
    float value() const { return value_; }

protected:
    void DrawTrack(Gdiplus::Graphics& graphics) const;

private:
    float value_ = 0;
};

class CGuiProgressWaitCtrl : public CGuiProgressCtrl {
public:
    void Draw(Gdiplus::Graphics& graphics) override;
    void HashLook(uint64_t& hash) const override;

private:
    // Where the segment is at this moment, in window pixels.
    int32_t SegmentX(uint64_t now) const;
    int32_t SegmentWidth() const;

    static constexpr uint64_t kUnset = ~uint64_t(0);
    mutable uint64_t start_ = kUnset;
};
