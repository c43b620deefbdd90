// The layered window with a small theme made in memory, driven with real
// mouse input under the test's desktop.

#include "gui/folder_theme_source.h"
#include "gui/gdiplus_session.h"
#include "gui/gui_button.h"
#include "gui/layered_window.h"
#include "gui/ui_scale.h"
#include "logic/control_ids.h"
#include "startup/text.h"
#include "startup/window_messages.h"
#include "test_theme.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kClass[] = L"LayeredWindowTest";

CMapThemeSource MakeSource() {
    CMapThemeSource source;
    source.files["t\\page.png"] = SheetPng(std::vector<SpriteBitmap>(9, SolidSprite(4, 4, 0xFFF0F0F0)));
    std::vector<SpriteBitmap> button;
    for (uint32_t colour : {0xFF2060C0u, 0xFF40A0FFu, 0xFF103060u, 0xFF808080u})
        for (int i = 0; i < 3; ++i) button.push_back(SolidSprite(6, 20, colour));
    source.files["t\\button.png"] = SheetPng(button);
    return source;
}

std::string Theme(int pages) {
    std::string forms;
    for (int i = 0; i < pages; ++i)
        forms += "<step pt='0,0' size='300,200' profile='page' size0='300,200' size3='300,260'>"
                 "<CGuiButtonCtrl pt='200,150' size='80,20' profile='button' func='mbox_ok'/>"
                 "<CGuiComboBoxCtrl pt='20,20' size='120,20' profile='combo' func='language' "
                 "listElementHeight='20'/></step>";
    return "<config><profiles><page texture='page.png'/><list texture='page.png'/>"
           "<button texture='button.png'/><combo texture='button.png' profilesForChildren='list'/>"
           "</profiles><forms>" +
           forms + "</forms></config>";
}

void Pump(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    MSG msg;
    while (GetTickCount64() < end) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(5);
    }
}

void MouseTo(POINT p) {
    SetCursorPos(p.x, p.y);
    mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
    Pump(60);
}

void Button(bool down) {
    mouse_event(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    Pump(60);
}

class LayeredWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gdiplus_.Start());
        SetUiScale(1.0f);
        std::string error;
        ASSERT_TRUE(theme_.LoadProfiles(Parse(4), error)) << error;
    }
    void TearDown() override {
        window_.Destroy();
        SetUiScale(1.0f);
    }
    const tinyxml2::XMLDocument& Parse(int pages) {
        doc_.Parse(Theme(pages).c_str());
        return doc_;
    }
    bool Create() {
        std::string error;
        window_.SetHooks(CLayeredWindow::Hooks{[this](int32_t id) { clicks_.push_back(id); }, nullptr,
                                               [this](UINT m, WPARAM, LPARAM) {
                                                   messages_.push_back(m);
                                                   return LRESULT(0);
                                               },
                                               nullptr});
        const bool created = window_.Create(doc_, GetModuleHandleW(nullptr), kClass, error);
        if (created) Pump(100);
        return created;
    }
    RECT Rect() const {
        RECT r{};
        GetWindowRect(window_.hwnd(), &r);
        return r;
    }
    // The window's left edge once it settles at `left` (a busy machine
    // may take a few ticks), or where it is after two seconds.
    LONG LeftWhenAt(LONG left) const {
        for (int i = 0; i < 40 && Rect().left != left; ++i) Pump(50);
        return Rect().left;
    }

    CGdiPlusSession gdiplus_;
    CMapThemeSource source_ = MakeSource();
    CGuiTheme theme_{source_, "t"};
    tinyxml2::XMLDocument doc_;
    CLayeredWindow window_{theme_, [](int32_t entry) { return entry == 57 ? std::wstring(L"Ok") : L""; }};
    std::vector<int32_t> clicks_;
    std::vector<UINT> messages_;
};

}  // namespace

TEST_F(LayeredWindow, AThemeWithThreePagesIsRefused) {
    Parse(3);
    EXPECT_FALSE(Create());
    EXPECT_EQ(nullptr, window_.hwnd());
}

TEST_F(LayeredWindow, DraggingThePageMovesTheWindowAndLosingTheCaptureUndoesIt) {
    Parse(4);
    ASSERT_TRUE(Create());
    const RECT start = Rect();
    EXPECT_EQ(300, start.right - start.left);
    MouseTo(POINT{start.left + 10, start.top + 100});  // the page background
    Button(true);
    MouseTo(POINT{start.left + 40, start.top + 120});
    Button(false);
    EXPECT_EQ(start.left + 30, LeftWhenAt(start.left + 30));
    RECT moved = Rect();
    EXPECT_EQ(start.top + 20, moved.top);

    MouseTo(POINT{moved.left + 10, moved.top + 100});
    Button(true);
    MouseTo(POINT{moved.left + 60, moved.top + 150});
    EXPECT_EQ(moved.left + 50, LeftWhenAt(moved.left + 50)) << "the window follows the drag";
    ReleaseCapture();
    EXPECT_EQ(moved.left, LeftWhenAt(moved.left)) << "the capture was lost: back to the committed place";
    Button(false);
}

TEST_F(LayeredWindow, ClicksAndPrivateMessagesReachTheOwnerAndAnIdleWindowDrawsNothing) {
    Parse(4);
    ASSERT_TRUE(Create());
    window_.ShowPage(2, 0);
    Pump(100);
    const RECT r = Rect();
    MouseTo(POINT{r.left + 240, r.top + 160});
    const uint64_t lit = window_.framesPresented();
    Pump(300);
    EXPECT_EQ(lit, window_.framesPresented()) << "nothing changed, nothing was drawn";
    Button(true);
    Button(false);
    EXPECT_GT(window_.framesPresented(), lit) << "the pressed look was drawn";
    EXPECT_EQ(std::vector<int32_t>{12414}, clicks_);
    window_.ShowPage(2, 0);
    EXPECT_FALSE(window_.Find<CGuiButtonCtrl>(12414)->hover()) << "a page shown again leaves no button lit";
    MouseTo(POINT{r.right + 50, r.bottom + 50});
    EXPECT_FALSE(window_.Find<CGuiButtonCtrl>(12414)->hover()) << "a button is not left lit outside the window";
    EXPECT_EQ(L"Ok", window_.Find<CGuiButtonCtrl>(12414)->text()) << "default text from the text table";

    PostMessageW(window_.hwnd(), eWindowsMessage_Exit, 0, 0);
    Pump(50);
    EXPECT_EQ(std::vector<UINT>{eWindowsMessage_Exit}, messages_);
}

TEST_F(LayeredWindow, ADpiChangeFrom96To144ScalesEverythingWithoutRestarting) {
    Parse(4);
    ASSERT_TRUE(Create());
    auto* ok = window_.Find<CGuiButtonCtrl>(12414);
    ASSERT_TRUE(ok);
    EXPECT_EQ(80, ok->width());
    window_.ShowPage(1, 3);
    EXPECT_EQ(260, window_.surface().height()) << "size variant 3";
    SendMessageW(window_.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), 0);
    EXPECT_EQ(1.5f, UiScale());
    EXPECT_EQ(120, ok->width());
    EXPECT_EQ(300, ok->left());
    EXPECT_EQ(450, window_.surface().width());
    EXPECT_EQ(390, window_.surface().height());
    Pump(60);
    EXPECT_EQ(450, Rect().right - Rect().left) << "the window took the new size with the next frame";
}

namespace {

// A theme's config.xml with the shipped theme's pictures and fonts.
struct ThemeInWindow {
    explicit ThemeInWindow(const char* configPath) {
        EXPECT_TRUE(gdiplus.Start());
        SetUiScale(1.0f);
        std::string config;
        EXPECT_TRUE(ReadWholeFile(Utf8ToWide(configPath), config, kMaxThemeFileBytes));
        EXPECT_EQ(tinyxml2::XML_SUCCESS, doc.Parse(config.c_str()));
        EXPECT_TRUE(theme.LoadFonts(error)) << error;
        EXPECT_TRUE(theme.LoadProfiles(doc, error)) << error;
        EXPECT_TRUE(window.Create(doc, GetModuleHandleW(nullptr), kClass, error)) << error;
    }
    ~ThemeInWindow() { window.Destroy(); }

    CGdiPlusSession gdiplus;
    CFolderThemeSource source{Utf8ToWide(LAUNCHER_SOURCE_DIR "/assets/package"), "theme_kx"};
    CGuiTheme theme{source, "theme_kx"};
    tinyxml2::XMLDocument doc;
    std::string error;
    CLayeredWindow window{theme, [](int32_t) { return std::wstring(L"text"); }};
};

}  // namespace

TEST(ShippedTheme, LoadsIntoTheWindowWithEveryPageAndControl) {
    ThemeInWindow shipped(LAUNCHER_SOURCE_DIR "/assets/package/theme_kx/config.xml");
    CLayeredWindow& window = shipped.window;
    ASSERT_EQ(4u, window.pageCount());
    // The installation page carries every single-page control.
    for (int32_t id = 12351; id <= 12365; ++id)
        EXPECT_NE(nullptr, window.page(3)->FindById(id)) << id;
    EXPECT_NE(nullptr, window.page(3)->FindById(12439)) << "the settings opener";
    for (int32_t id : {12399, 12400, 12401, 12412, 12413, 12414, 12415, 12416, 12417, 12418, 12419})
        EXPECT_NE(nullptr, window.page(0)->FindById(id)) << id;
    for (size_t page = 1; page <= 4; ++page) {
        window.ShowPage(int(page), 0);
        EXPECT_TRUE(window.ComposeFrame());
    }
}

// The tests' multi-page theme has a page for every step the logic shows.
TEST(ShippedTheme, TheMultiPageTestThemeLoadsElevenPagesWithTheirControls) {
    ThemeInWindow multi(LAUNCHER_SOURCE_DIR "/tests/logic/multi_page_theme.xml");
    CLayeredWindow& window = multi.window;
    ASSERT_EQ(11u, window.pageCount());
    const struct {
        int page;
        const char* func;
    } kOnPage[] = {{1, "agree"}, {2, "checkbox_guest"}, {3, "download_progress"}, {4, "launch"},
                   {5, "mblistbox_error"}, {6, "uninstall"}, {7, "close_uninstall"}, {8, "next_icons"},
                   {9, "progress_progress"}, {10, "checkbox_extapp_3"}, {11, "firstpage_info"}};
    for (const auto& c : kOnPage) {
        EXPECT_NE(nullptr, window.page(size_t(c.page - 1))->FindById(ControlIdForFunc(c.func))) << c.func;
        window.ShowPage(c.page, 0);
        EXPECT_TRUE(window.ComposeFrame());
    }
}
