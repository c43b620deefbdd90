#include "gui/gui_control.h"
#include "gui/ui_scale.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class Box : public GuiControl {
public:
    Box(int32_t x, int32_t y, int32_t w, int32_t h, int32_t id = -1) {
        SetDesignPosition(x, y);
        SetDesignSize(w, h);
        SetId(id);
    }
    void Draw(Gdiplus::Graphics&) override {}
    bool OnMouseWheel(int32_t delta) override {
        if (takesWheel) return wheel += delta, true;
        return GuiControl::OnMouseWheel(delta);
    }
    void OnLButtonUp(GuiPoint) override { NotifyClick(); }
    bool takesWheel = false;
    int32_t wheel = 0;
};

class Host : public IGuiControlHost {
public:
    void SetCapture(GuiControl* c) override { captured.push_back(c); }
    void SetFocus(GuiControl*) override {}
    void Notify(int32_t id) override { clicks.push_back(id); }
    std::vector<GuiControl*> captured;
    std::vector<int32_t> clicks;
};

class ScaleGuard {
public:
    explicit ScaleGuard(float scale) : saved_(UiScale()) { SetUiScale(scale); }
    ~ScaleGuard() { SetUiScale(saved_); }

private:
    float saved_;
};

}  // namespace

TEST(GuiControlModel, LayoutScalesTheDesignRectangleAndTruncates) {
    ScaleGuard scale(1.0f);
    Box page(100, 50, 400, 300), child(10, 20, 33, 7);
    page.AddChild(&child);
    page.Layout();  // the parent at window position (100, 50)
    SetUiScale(1.5f);
    child.Layout();
    EXPECT_EQ(115, child.left());  // trunc(10 * 1.5) + 100
    EXPECT_EQ(80, child.top());    // trunc(20 * 1.5) + 50
    EXPECT_EQ(49, child.width());  // trunc(33 * 1.5)
    EXPECT_EQ(10, child.height());
    child.SetOffset(0, -3);  // a scroll offset moves the content before scaling
    child.Layout();
    EXPECT_EQ(75, child.top());  // trunc(17 * 1.5) + 50
    page.Layout();               // the whole tree follows the scale
    EXPECT_EQ(150 + 15, child.left());
}

TEST(GuiControlModel, HitsFallThroughDisabledControlsToTheNearestEnabledAncestor) {
    Box page(0, 0, 200, 100, 1), panel(10, 10, 100, 50, 2), label(20, 20, 30, 10, 3), button(60, 20, 30, 10, 4);
    page.AddChild(&panel);
    panel.AddChild(&label);
    panel.AddChild(&button);
    panel.AddChild(&button);  // twice: one entry
    page.AddChild(&page);     // itself: ignored
    ASSERT_EQ(2u, panel.children().size());
    page.Layout();
    label.SetEnabled(false);
    EXPECT_EQ(&panel, page.ControlAt({35, 35}));   // over the label
    EXPECT_EQ(&button, page.ControlAt({75, 35}));  // over the button
    panel.SetEnabled(false);
    EXPECT_EQ(&page, page.ControlAt({35, 35}));
    button.SetVisible(false);
    EXPECT_EQ(&page, page.ControlAt({75, 35}));
    EXPECT_EQ(nullptr, page.ControlAt({250, 35}));
    EXPECT_EQ(&button, page.FindById(4));
    EXPECT_EQ(nullptr, page.FindById(9));
}

TEST(GuiControlModel, WheelGoesUpToTheFirstTakerAndSinksReachTheHost) {
    Box page(0, 0, 200, 100, 1), panel(0, 0, 100, 50, 2), button(0, 0, 10, 10, 7);
    page.AddChild(&panel);
    panel.AddChild(&button);
    EXPECT_FALSE(button.OnMouseWheel(120));  // nobody takes it
    panel.takesWheel = true;
    EXPECT_TRUE(button.OnMouseWheel(-120));
    EXPECT_EQ(-120, panel.wheel);

    Host host;
    button.OnLButtonUp({});
    button.TakeCapture(true);  // without a host nothing happens
    EXPECT_FALSE(button.captured());
    button.SetHost(&host);
    button.TakeCapture(true);
    EXPECT_TRUE(button.captured());
    button.TakeCapture(false);
    EXPECT_FALSE(button.captured());
    ASSERT_EQ(2u, host.captured.size());
    EXPECT_EQ(&button, host.captured[0]);
    EXPECT_EQ(nullptr, host.captured[1]);
    button.OnLButtonUp({});
    EXPECT_EQ(std::vector<int32_t>{7}, host.clicks);
}
