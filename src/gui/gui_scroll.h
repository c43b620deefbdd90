#pragma once
// CGuiScrollCtrl: shows its one child (normally a text lines control)
// through its own rectangle, with a vertical bar on its right edge that
// appears when the child is taller. The thumb can be dragged, the wheel
// moves the content 5 pixels a notch. Offsets are kept in window pixels
// and handed to the child in design units, so the limits hold at any
// UiScale. The window's thread only.

#include "gui/gdiplus_api.h"
#include "gui/gui_control.h"
#include "gui/slice_layout.h"

class CGuiScrollCtrl : public GuiControl {
public:
    bool HitTest(int32_t x, int32_t y) const override;
    GuiControl* ControlAt(GuiPoint point) override;
    GuiControl* WheelTargetAt(GuiPoint point) override;
    void Draw(Gdiplus::Graphics& graphics) override;
    void OnMouseMove(GuiPoint point) override;
    void OnLButtonDown(GuiPoint point) override;
    void OnLButtonUp(GuiPoint point) override;
    void OnTick(GuiPoint point) override { OnMouseMove(point); }
    bool OnMouseWheel(int32_t delta) override;
    void OnMouseLeave() override;
    void OnChildContentChanged() override;
    void Refresh() override;
    void HashLook(uint64_t& hash) const override;

    bool scrollable() const { return scrollable_; }
    // How far the content is moved up, in window pixels.
    int32_t contentOffset() const { return -(committedY_ + pendingY_); }
    const GuiRect& thumb() const { return thumb_; }
    int32_t thumbPosition() const { return thumbPosition_ + thumbDelta_; }
    // Bar, thumb and the child's place; done before drawing while dirty.
    void UpdateGeometry();

private:
    GuiControl* Content() const { return children().empty() ? nullptr : children().front(); }
    int StateIndex() const;
    void PlaceContent();
    void RecomputeLimits();
    void EndDrag();

    bool hover_ = false, pressed_ = false, dirty_ = true, scrollable_ = false, dragging_ = false;
    GuiRect bar_, thumb_;
    GuiPoint dragStart_, dragCurrent_;
    int32_t committedY_ = 0, pendingY_ = 0;
    int32_t thumbPosition_ = 0, thumbDelta_ = 0;
    int32_t contentHeight_ = 0;
    int32_t dragMin_ = 0, dragMax_ = 0;
    int32_t contentMin_ = 0, contentMax_ = 0;
};
