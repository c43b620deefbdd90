#pragma once
// GuiControl: what every skinned control shares. A rectangle in a tree,
// placed in design pixels and laid out in window pixels through UiScale,
// hit-tested, and fed with mouse and keyboard input by the window that
// hosts it. Controls do not own their children (the window destroys each
// tree from the leaves up); a control owns its tooltip.
// The window's thread only.

#include <cstdint>
#include <memory>
#include <vector>

namespace Gdiplus {
class Graphics;
}
class CGuiProfile;
class GuiControl;

// Destroys a control tree from the leaves up, each control after its
// children; the owner of a page holds it through GuiTree.
struct GuiTreeDeleter {
    void operator()(GuiControl* root) const;
};
template <class T = GuiControl>
using GuiTree = std::unique_ptr<T, GuiTreeDeleter>;

struct GuiPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// What a control asks of the window that hosts it. Taking the capture or
// the focus with a null control releases it.
class IGuiControlHost {
public:
    virtual void SetCapture(GuiControl* control) = 0;
    virtual void SetFocus(GuiControl* control) = 0;
    // A click on the control with this identifier.
    virtual void Notify(int32_t id) = 0;

protected:
    ~IGuiControlHost() = default;
};

class GuiControl {
public:
    GuiControl() = default;
    GuiControl(const GuiControl&) = delete;
    GuiControl& operator=(const GuiControl&) = delete;
    virtual ~GuiControl();

    virtual bool HitTest(int32_t x, int32_t y) const;
    virtual void OnContentChanged() {}
    virtual bool PrepareImages() { return true; }
    // Window rectangle from the design rectangle, the offset and UiScale;
    // then every child's.
    virtual void Layout();
    // The topmost enabled control under the point, or null.
    virtual GuiControl* ControlAt(GuiPoint point);
    virtual GuiControl* WheelTargetAt(GuiPoint point);
    // Takes the look and the parent; a null profile is refused.
    virtual bool SetProfile(const CGuiProfile* profile, GuiControl* parent);
    virtual void Draw(Gdiplus::Graphics& graphics) = 0;
    virtual void OnChar(uint32_t) {}
    virtual void OnKeyDown(uint32_t) {}
    virtual void OnMouseMove(GuiPoint) {}
    virtual void OnLButtonDown(GuiPoint) {}
    virtual void OnLButtonUp(GuiPoint) {}
    virtual void OnTick(GuiPoint) {}
    // Passed up to the parent; false at the root.
    virtual bool OnMouseWheel(int32_t delta);
    virtual void OnMouseLeave() {}
    virtual void OnPress() {}
    virtual void OnChildContentChanged() {}
    virtual void Refresh();
    // Mixes in everything that decides how the control and its children
    // look, including what changes with time (an animation, a caret).
    virtual void HashLook(uint64_t& hash) const;

    // Ignores null, itself and a child already in the list.
    void AddChild(GuiControl* child);
    // Itself or the first depth-first match among the children.
    GuiControl* FindById(int32_t id);
    void SetHost(IGuiControlHost* host) { host_ = host; }
    // The tooltip shown while the mouse rests on the control; owned, and
    // replacing any earlier one.
    void SetToolTip(std::unique_ptr<GuiControl> tooltip);
    GuiControl* toolTip() const { return toolTip_.get(); }
    // Capture and focus through the host; the flags follow.
    void TakeCapture(bool take);
    void TakeFocus(bool take);

    void SetDesignPosition(int32_t x, int32_t y) { designX_ = x, designY_ = y; }
    void SetDesignSize(int32_t width, int32_t height) { designWidth_ = width, designHeight_ = height; }
    void SetOffset(int32_t x, int32_t y) { offsetX_ = x, offsetY_ = y; }
    void SetId(int32_t id) { id_ = id; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    void SetVisible(bool visible) { visible_ = visible; }

    int32_t id() const { return id_; }
    int32_t left() const { return left_; }
    int32_t top() const { return top_; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    int32_t designWidth() const { return designWidth_; }
    int32_t designHeight() const { return designHeight_; }
    bool enabled() const { return enabled_; }
    bool visible() const { return visible_; }
    bool captured() const { return captured_; }
    bool focused() const { return focused_; }
    GuiControl* parent() const { return parent_; }
    const CGuiProfile* profile() const { return profile_; }
    const std::vector<GuiControl*>& children() const { return children_; }

protected:
    // Reports a click to the host.
    void NotifyClick();
    IGuiControlHost* host() const { return host_; }

private:
    const CGuiProfile* profile_ = nullptr;
    GuiControl* parent_ = nullptr;
    int32_t designX_ = 0, designY_ = 0, designWidth_ = 0, designHeight_ = 0;
    int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    int32_t offsetX_ = 0, offsetY_ = 0;
    bool enabled_ = true;
    bool visible_ = true;
    bool captured_ = false;
    bool focused_ = false;
    int32_t id_ = -1;
    std::vector<GuiControl*> children_;
    IGuiControlHost* host_ = nullptr;
    std::unique_ptr<GuiControl> toolTip_;
};
