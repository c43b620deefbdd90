#include "gui/clipboard_text.h"
#include "gui/gdiplus_session.h"
#include "gui/gui_combo_box.h"
#include "gui/gui_edit.h"
#include "gui/gui_factories.h"
#include "gui/gui_font_cache.h"
#include "gui/gui_pictures.h"
#include "gui/ui_scale.h"

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int32_t kEditId = 12417;   // mbox_edit
constexpr int32_t kComboId = 12366;  // language

// Sprites as the theme loader leaves them: one-pixel margin around a 4 x 4
// usable area, all of one colour.
CGuiTexture SolidTexture(const std::vector<uint32_t>& colours) {
    CGuiTexture texture;
    for (uint32_t colour : colours) texture.sprites.push_back(SpriteBitmap{6, 6, std::vector<uint32_t>(36, colour)});
    return texture;
}

// The theme's font, installed by scripts/bootstrap.sh; Wine here has
// neither Arial nor a generic sans-serif family to fall back on.
constexpr char kFontFile[] = "Z:/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf";

// Pictures by path, and fonts of the private family "Roboto-Regular".
class TestResources : public IThemeResources {
public:
    bool AddFont(std::string& error) {
        std::ifstream file(kFontFile, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        return fonts_.AddPrivateFont("Roboto-Regular", std::move(bytes), error);
    }
    TestResources() {
        textures_["box.png"] = SolidTexture(std::vector<uint32_t>(12, 0xFFC0C0C0));
        textures_["list.png"] = SolidTexture(std::vector<uint32_t>(9, 0xFFFFFFFF));
        textures_["flags.png"] = SolidTexture({0xFF0000FF, 0xFF00FFFF, 0xFFFF00FF});
    }
    const CGuiTexture* GetTexture(const std::string& path) override {
        const auto it = textures_.find(path);
        return it == textures_.end() ? nullptr : &it->second;
    }
    const Gdiplus::Font* GetFont(const GuiFontSpec& font) override { return fonts_.GetFont(font); }

private:
    std::map<std::string, CGuiTexture> textures_;
    CGuiFontCache fonts_;
};

class RecordingHost : public IGuiControlHost, public IGuiComboHost {
public:
    void SetCapture(GuiControl* control) override { capture = control; }
    void SetFocus(GuiControl* control) override { focus = control; }
    void Notify(int32_t id) override { clicks.push_back(id); }
    void ListWorkArea(RECT& monitorRect, RECT& windowRect, int32_t& taskbarAllowance) override {
        monitorRect = monitor;
        windowRect = window;
        taskbarAllowance = taskbar;
    }
    void ResizeSurfaceForList(bool open) override { resizes.push_back(open); }

    GuiControl* capture = nullptr;
    GuiControl* focus = nullptr;
    std::vector<int32_t> clicks;
    RECT monitor{0, 0, 1280, 1024};
    RECT window{100, 100, 500, 400};
    int32_t taskbar = 40;
    std::vector<bool> resizes;
};

// Holds the given keys down in this thread's keyboard state.
class HeldKeys {
public:
    explicit HeldKeys(std::initializer_list<int> keys) {
        BYTE state[256] = {};
        for (int key : keys) state[key] = 0x80;
        SetKeyboardState(state);
    }
    ~HeldKeys() {
        BYTE state[256] = {};
        SetKeyboardState(state);
    }
};

const char kTheme[] = R"(<config><profiles>
  <list texture="list.png">
    <fontP fontName="Roboto-Regular" fontColor="0 0 0" fontSize="12"/>
    <fontH fontName="Roboto-Regular" fontColor="0 0 0" fontSize="12"/>
    <fontD fontName="Roboto-Regular" fontColor="0 0 0" fontSize="12"/>
  </list>
  <flags texture="flags.png"/>
  <box texture="box.png" profilesForChildren="list flags">
    <fontP fontName="Roboto-Regular" fontColor="0 0 0" fontSize="14"/>
    <fontH fontName="Roboto-Regular" fontColor="0 0 0" fontSize="14"/>
    <fontD fontName="Roboto-Regular" fontColor="0 0 0" fontSize="14"/>
    <fontN fontName="Roboto-Regular" fontColor="128 128 128" fontSize="14"/>
  </box>
  <page/>
</profiles></config>)";

// A page with the language box and an edit box, made by the factories.
const char kPage[] = R"(<step pt="0,0" size="400,300" profile="page">
  <CGuiComboBoxCtrl pt="20,30" size="120,24" func="language" profile="box" flagOffset="2,3"
      listElementsBorder="4 5 4 6" listBorder="2 3 2 3" listElementHeight="20" listElementTextOffset="30,2"
      colorElement="10 20 30" colorElementHL="200 0 0" colorElementSEL="0 200 0"/>
  <CGuiEditCtrl pt="20,200" size="100,24" func="mbox_edit" profile="box" textBorder="4 4 4 4"
      colorSelection="0 0 255"/>
</step>)";

class EditAndCombo : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gdiplus.Start());
        surface = std::make_unique<Gdiplus::Bitmap>(400, 300, PixelFormat32bppARGB);
        savedScale = UiScale();
        SetUiScale(1.0f);
        ASSERT_EQ(tinyxml2::XML_SUCCESS, theme.Parse(kTheme));
        std::string error;
        ASSERT_TRUE(resources.AddFont(error)) << error << " " << kFontFile;
        ASSERT_TRUE(profiles.Load(theme, resources, error)) << error;
        ASSERT_EQ(tinyxml2::XML_SUCCESS, pageXml.Parse(kPage));
        page.reset(CreateControl(*pageXml.RootElement(), nullptr, profiles));
        ASSERT_TRUE(page);
        combo = dynamic_cast<CGuiComboBoxCtrl*>(page->FindById(kComboId));
        edit = dynamic_cast<CGuiEditCtrl*>(page->FindById(kEditId));
        ASSERT_TRUE(combo && edit);
        for (GuiControl* control : {page.get(), static_cast<GuiControl*>(combo), static_cast<GuiControl*>(edit)})
            control->SetHost(&host);
        combo->SetComboHost(&host);
        combo->AddItem(12369, L"Three");
        combo->AddItem(12367, L"One");
        combo->AddItem(12368, L"Two");
    }
    void TearDown() override { SetUiScale(savedScale); }

    // The edit box shown and focused by a click on it.
    void FocusEdit() {
        edit->SetVisible(true);
        edit->OnLButtonDown({edit->left() + 2, edit->top() + 12});
        edit->OnLButtonUp({edit->left() + 2, edit->top() + 12});
    }
    void DrawPage() {
        Gdiplus::Graphics graphics(surface.get());
        page->Draw(graphics);
    }
    uint32_t Pixel(int32_t x, int32_t y) {
        Gdiplus::Color colour;
        surface->GetPixel(x, y, &colour);
        return colour.GetValue();
    }

    CGdiPlusSession gdiplus;
    float savedScale = 1.0f;
    TestResources resources;
    tinyxml2::XMLDocument theme, pageXml;
    CGuiProfiles profiles;
    GuiTree<GuiControl> page;
    CGuiComboBoxCtrl* combo = nullptr;
    CGuiEditCtrl* edit = nullptr;
    RecordingHost host;
    std::unique_ptr<Gdiplus::Bitmap> surface;
};

}  // namespace

TEST_F(EditAndCombo, EditBoxIsHiddenUntilShownAndTypingSkipsBlanksAndControlKeys) {
    EXPECT_FALSE(edit->visible());
    FocusEdit();
    EXPECT_EQ(edit, host.focus);
    for (wchar_t c : std::wstring(L"a b\t\r\x08")) edit->OnChar(c);
    {
        HeldKeys ctrl{VK_CONTROL};
        edit->OnChar(L'z');
    }
    {
        HeldKeys altGr{VK_CONTROL, VK_MENU};
        edit->OnChar(L'@');
    }
    EXPECT_EQ(L"ab@", edit->text());
    edit->SetText(std::wstring(2100, L'x'));
    EXPECT_EQ(2048u, edit->text().size());
    edit->OnChar(L'y');
    EXPECT_EQ(2048u, edit->text().size());
}

TEST_F(EditAndCombo, EditBoxCutsAndPastesShiftSelectedTextThroughTheClipboard) {
    FocusEdit();
    edit->SetText(L"abcdef");
    {
        HeldKeys shift{VK_SHIFT};
        for (int i = 0; i < 3; ++i) edit->OnKeyDown(VK_LEFT);
    }
    EXPECT_EQ(3, edit->edit().selectionStart());
    EXPECT_EQ(6, edit->edit().selectionEnd());
    {
        HeldKeys ctrl{VK_CONTROL};
        edit->OnKeyDown('X');
    }
    EXPECT_EQ(L"abc", edit->text());
    std::wstring clipboard;
    ASSERT_TRUE(ReadClipboardText(clipboard));
    EXPECT_EQ(L"def", clipboard);

    for (int i = 0; i < 3; ++i) edit->OnKeyDown(VK_LEFT);
    ASSERT_TRUE(WriteClipboardText(L"x y\r\n"));
    {
        HeldKeys ctrl{VK_CONTROL};
        edit->OnKeyDown('V');
    }
    EXPECT_EQ(L"xyabc", edit->text());
    EXPECT_EQ(2, edit->edit().caret());

    // A whole megabyte on the clipboard: what fits goes in.
    ASSERT_TRUE(WriteClipboardText(std::wstring(1 << 20, L'm')));
    {
        HeldKeys ctrl{VK_CONTROL};
        edit->OnKeyDown('V');
    }
    EXPECT_EQ(2048u, edit->text().size());
    EXPECT_EQ(L"xy", edit->text().substr(0, 2));
    EXPECT_EQ(L"abc", edit->text().substr(2045));
}

TEST_F(EditAndCombo, EditBoxReportsEnterLikeAClick) {
    FocusEdit();
    edit->OnKeyDown(VK_RETURN);
    EXPECT_EQ(std::vector<int32_t>{kEditId}, host.clicks);
}

TEST_F(EditAndCombo, EditBoxScrollsToKeepTheCaretInViewWhileTyping) {
    FocusEdit();
    for (int i = 0; i < 3; ++i) edit->OnChar(L'W');
    DrawPage();
    EXPECT_EQ(0, edit->scrollOffset());
    for (int i = 0; i < 27; ++i) edit->OnChar(L'W');
    DrawPage();
    // The text's right end, where the caret is, meets the text area's right
    // edge (the area is 92 pixels wide).
    const Gdiplus::Font* font = profiles.Find("box")->fontHandles[gsPressed];
    const Gdiplus::RectF box = MeasureText(edit->text(), font, Gdiplus::RectF(0, 0, 1e6f, 1e6f), nullptr);
    EXPECT_NEAR(box.Width - 92, edit->scrollOffset(), 4);
    for (int i = 0; i < 30; ++i) edit->OnKeyDown(VK_LEFT);
    EXPECT_EQ(0, edit->scrollOffset());
}

TEST_F(EditAndCombo, EditBoxSelectsAndScrollsWhileTheMouseIsHeldPastItsRightEdge) {
    edit->SetVisible(true);
    edit->SetText(std::wstring(30, L'W'));
    ASSERT_EQ(0, edit->scrollOffset());
    const GuiPoint start{edit->left() + 4, edit->top() + 12};
    edit->OnLButtonDown(start);
    EXPECT_EQ(edit, host.capture);
    const GuiPoint outside{edit->left() + edit->width() + 30, edit->top() + 12};
    edit->OnMouseMove(outside);
    const int32_t firstEnd = edit->edit().selectionEnd();
    for (int i = 0; i < 5; ++i) edit->OnTick(outside);
    EXPECT_EQ(0, edit->edit().selectionStart());
    EXPECT_GT(edit->edit().selectionEnd(), firstEnd);
    EXPECT_EQ(edit->edit().selectionEnd(), edit->edit().caret());
    EXPECT_GT(edit->scrollOffset(), 0);
    edit->OnLButtonUp(outside);
    EXPECT_EQ(nullptr, host.capture);
    EXPECT_TRUE(edit->edit().HasSelection());
}

TEST_F(EditAndCombo, ComboListOpensBelowWithRoomAndAboveNearTheMonitorBottom) {
    const GuiPoint onBox{combo->left() + 60, combo->top() + 12};
    EXPECT_EQ(combo, page->ControlAt(onBox));
    combo->OnLButtonDown(onBox);
    ASSERT_TRUE(combo->dropped());
    // Frame: list borders 3 + 3 rows of 20 + 3; below the box by the top
    // elements border 5.
    GuiRect frame = combo->ListFrame();
    EXPECT_EQ(combo->top() + 24 + 5, frame.y);
    EXPECT_EQ(66, frame.height);
    EXPECT_EQ(combo->left() + 4, frame.x);
    EXPECT_EQ(frame.y + 3 + 20, combo->RowRect(1).y);
    EXPECT_EQ(combo, page->ControlAt({frame.x + 10, frame.y + 40}));

    combo->CloseList();
    combo->CloseList();
    EXPECT_FALSE(combo->dropped());
    EXPECT_NE(combo, page->ControlAt({frame.x + 10, frame.y + 40}));
    EXPECT_EQ((std::vector<bool>{true, false}), host.resizes);

    host.window.top = 1024 - 100;  // the box 30 + 24 pixels further: no room below
    combo->OnLButtonDown(onBox);
    ASSERT_TRUE(combo->dropped());
    frame = combo->ListFrame();
    EXPECT_EQ(combo->top() - 6 - 66, frame.y);  // above, by the bottom elements border
    EXPECT_TRUE(host.clicks.empty());
}

TEST_F(EditAndCombo, ComboRowClickSelectsNotifiesAndCloses) {
    combo->OnLButtonDown({combo->left() + 60, combo->top() + 12});
    const GuiRect row = combo->RowRect(1);
    const GuiPoint onRow{row.x + row.width - 5, row.y + 10};
    ASSERT_EQ(combo, page->ControlAt(onRow));
    combo->OnMouseMove(onRow);
    EXPECT_EQ(1, combo->hoveredRow());
    combo->SelectRow(0);
    DrawPage();
    EXPECT_EQ(0xFFC80000u, Pixel(onRow.x, onRow.y));  // hovered
    const GuiRect first = combo->RowRect(0);
    EXPECT_EQ(0xFF00C800u, Pixel(first.x + first.width - 5, first.y + 10));  // selected
    EXPECT_EQ(0xFF0A141Eu, Pixel(onRow.x, combo->RowRect(2).y + 10));        // ordinary

    combo->OnLButtonDown(onRow);
    EXPECT_EQ(1, combo->selection());
    EXPECT_EQ(L"Two", combo->text());  // rows in identifier order
    EXPECT_EQ(std::vector<int32_t>{kComboId}, host.clicks);
    EXPECT_FALSE(combo->dropped());
    EXPECT_EQ((std::vector<bool>{true, false}), host.resizes);
    DrawPage();
    EXPECT_EQ(0xFF00FFFFu, Pixel(combo->left() + 2 + 3, combo->top() + 3 + 3));  // picture of row 1
}
