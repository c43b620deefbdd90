// The skinned toolkit on real GDI+: a small theme made in memory is loaded
// through the theme loader and the factories, drawn, probed pixel by pixel
// and fed with input.

#include "gui/gdiplus_session.h"
#include "gui/gui_button.h"
#include "gui/gui_check_box.h"
#include "gui/gui_factories.h"
#include "gui/gui_progress.h"
#include "gui/gui_scroll.h"
#include "gui/gui_tooltip.h"
#include "gui/ui_scale.h"
#include "test_theme.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

namespace {

constexpr uint32_t kPage = 0xFFF0F0F0, kTrack = 0xFF404040, kBar = 0xFFE00000;
constexpr uint32_t kButtonStates[4] = {0xFF2060C0, 0xFF40A0FF, 0xFF103060, 0xFF808080};

// A left cap whose top-left corner is transparent, as on a rounded button.
SpriteBitmap RoundedCap(uint32_t colour) {
    SpriteBitmap cap = SolidSprite(6, 20, colour);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3 - y; ++x) cap.pixels[size_t(y) * 6 + size_t(x)] = 0;
    return cap;
}

CMapThemeSource MakeSource() {
    CMapThemeSource source;
    std::vector<SpriteBitmap> page(9, SolidSprite(4, 4, kPage));
    source.files["t\\page.png"] = SheetPng(page);
    std::vector<SpriteBitmap> button;
    for (uint32_t colour : kButtonStates) {
        button.push_back(RoundedCap(colour));
        button.push_back(SolidSprite(4, 20, colour));
        button.push_back(SolidSprite(6, 20, colour));
    }
    source.files["t\\button.png"] = SheetPng(button);
    std::vector<SpriteBitmap> progress(3, SolidSprite(4, 10, kBar));
    for (int i = 0; i < 3; ++i) progress.push_back(SolidSprite(4, 10, kTrack));
    source.files["t\\progress.png"] = SheetPng(progress);
    std::vector<SpriteBitmap> check;
    for (uint32_t i = 0; i < 7; ++i) check.push_back(SolidSprite(12, 12, 0xFF000000 | (i * 0x202020)));
    source.files["t\\check.png"] = SheetPng(check);
    source.files["t\\scroll.png"] = SheetPng(std::vector<SpriteBitmap>(48, SolidSprite(10, 10, 0xFF707070)));
    source.files["t\\broken.png"] = "\x89PNG\r\n\x1a\n not really";
    // The theme's own font, read from the host's font package.
    std::ifstream roboto("Z:\\usr\\share\\fonts\\truetype\\roboto\\unhinted\\RobotoTTF\\Roboto-Regular.ttf",
                         std::ios::binary);
    source.files["t\\fonts\\Roboto-Regular.ttf"] = std::string(std::istreambuf_iterator<char>(roboto), {});
    source.fonts.push_back("t\\fonts\\Roboto-Regular.ttf");
    return source;
}

const char kProfiles[] =
    "<config><profiles>"
    "<page texture='page.png'/>"
    "<button texture='button.png'><fontP fontName='NoSuchFamily' fontColor='255 255 255' fontSize='12'/></button>"
    "<progress texture='progress.png'/>"
    "<check texture='check.png'/>"
    "<scroll texture='scroll.png'/>"
    "<plain><fontP fontName='Roboto-Regular' fontColor='0 0 0' fontSize='12'/></plain>"
    "</profiles>%s</config>";

class Toolkit : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gdiplus_.Start());
        SetUiScale(1.0f);
        std::string error;
        ASSERT_TRUE(theme_.LoadFonts(error)) << error;
    }
    void TearDown() override { SetUiScale(1.0f); }

    // Loads the profiles and the forms of `forms` (the text inside config).
    std::vector<GuiTree<CGuiBitmapBorderStepCtrl>> Load(const std::string& forms) {
        std::vector<char> text(sizeof kProfiles + forms.size());
        snprintf(text.data(), text.size(), kProfiles, forms.c_str());
        doc_.Parse(text.data());
        std::string error;
        EXPECT_TRUE(theme_.LoadProfiles(doc_, error)) << error;
        return LoadThemeForms(doc_, theme_.profiles());
    }

    struct Host : IGuiControlHost {
        void SetCapture(GuiControl* c) override { capture = c; }
        void SetFocus(GuiControl*) override {}
        void Notify(int32_t id) override { clicks.push_back(id); }
        GuiControl* capture = nullptr;
        std::vector<int32_t> clicks;
    };

    CGdiPlusSession gdiplus_;
    CMapThemeSource source_ = MakeSource();
    CGuiTheme theme_{source_, "t"};
    tinyxml2::XMLDocument doc_;
};

uint32_t PixelAt(Gdiplus::Bitmap& bitmap, int x, int y) {
    Gdiplus::Color c;
    bitmap.GetPixel(x, y, &c);
    return c.GetValue();
}

}  // namespace

TEST_F(Toolkit, DrawnPixelsFollowStateClipAndRoundedCorners) {
    auto pages = Load(
        "<forms><step pt='0,0' size='400,200' profile='page'>"
        "<CGuiButtonCtrl pt='20,20' size='100,20' profile='button' func='mbox_ok'/>"
        "<CGuiProgressCtrl pt='20,100' size='360,10' profile='progress' func='progress_progress'/>"
        "</step></forms>");
    ASSERT_EQ(1u, pages.size());
    auto* button = dynamic_cast<CGuiButtonCtrl*>(pages[0]->FindById(12414));
    auto* progress = dynamic_cast<CGuiProgressCtrl*>(pages[0]->FindById(12408));
    ASSERT_TRUE(button && progress);
    progress->SetValue(50);
    Gdiplus::Bitmap frame(400, 200, PixelFormat32bppARGB);
    const auto draw = [&] {
        Gdiplus::Graphics graphics(&frame);
        graphics.Clear(Gdiplus::Color(0, 0, 0, 0));
        pages[0]->Draw(graphics);
    };
    draw();
    EXPECT_EQ(kButtonStates[0], PixelAt(frame, 70, 30));
    EXPECT_EQ(kPage, PixelAt(frame, 20, 20)) << "the rounded corner shows the page";
    EXPECT_EQ(kBar, PixelAt(frame, 20 + 179, 105));
    EXPECT_EQ(kTrack, PixelAt(frame, 20 + 181, 105)) << "50 % of 360 pixels clips at 180";

    // The transparent corner is not part of the button: the page is hit.
    EXPECT_EQ(pages[0].get(), pages[0]->ControlAt(GuiPoint{20, 20}));
    EXPECT_EQ(button, pages[0]->ControlAt(GuiPoint{70, 30}));
    button->OnMouseMove(GuiPoint{70, 30});
    draw();
    EXPECT_EQ(kButtonStates[1], PixelAt(frame, 70, 30)) << "hover row";
    button->SetEnabled(false);
    draw();
    EXPECT_EQ(kButtonStates[3], PixelAt(frame, 70, 30)) << "disabled row";
}

TEST_F(Toolkit, OnlyAReleaseAfterTheControlsOwnPressClicks) {
    auto pages = Load(
        "<forms><step pt='0,0' size='400,200' profile='page'>"
        "<CGuiButtonCtrl pt='20,20' size='100,20' profile='button' func='mbox_ok'/>"
        "<CGuiCheckBoxCtrl pt='20,60' size='150,12' profile='check' func='single_install_checkbox_terms'/>"
        "</step></forms>");
    ASSERT_EQ(1u, pages.size());
    Host host;
    auto* button = dynamic_cast<CGuiButtonCtrl*>(pages[0]->FindById(12414));
    auto* check = dynamic_cast<CGuiCheckBoxCtrl*>(pages[0]->FindById(12355));
    ASSERT_TRUE(button && check);
    button->SetHost(&host);
    check->SetHost(&host);
    const GuiPoint on{30, 30};

    button->OnLButtonDown(on);
    button->OnMouseLeave();  // the mouse left the button
    button->OnLButtonUp(GuiPoint{300, 150});
    check->OnLButtonUp(GuiPoint{30, 65});  // released over the box, pressed elsewhere
    EXPECT_TRUE(host.clicks.empty());
    EXPECT_FALSE(check->checked());

    button->OnLButtonDown(on);
    button->OnLButtonUp(on);
    check->OnLButtonDown(GuiPoint{30, 65});
    check->OnLButtonUp(GuiPoint{30, 65});
    EXPECT_EQ((std::vector<int32_t>{12414, 12355}), host.clicks);
    EXPECT_TRUE(check->checked());
}

TEST_F(Toolkit, ScrollAreaMovesFivePixelsANotchWithinItsContent) {
    auto pages = Load(
        "<forms><step pt='0,0' size='400,400' profile='page'>"
        "<CGuiScrollCtrl pt='10,10' size='200,100' profile='scroll' func='mblistbox'>"
        "<CGuiBitmapBorderCtrl pt='0,0' size='180,300' profile='page'/></CGuiScrollCtrl>"
        "<CGuiScrollCtrl pt='10,200' size='200,100' profile='scroll' func='scroll_error_text_area'>"
        "<CGuiBitmapBorderCtrl pt='0,0' size='180,50' profile='page'/></CGuiScrollCtrl>"
        "</step></forms>");
    ASSERT_EQ(1u, pages.size());
    auto* tall = dynamic_cast<CGuiScrollCtrl*>(pages[0]->FindById(12399));
    auto* shorter = dynamic_cast<CGuiScrollCtrl*>(pages[0]->FindById(12428));
    ASSERT_TRUE(tall && shorter);

    EXPECT_FALSE(shorter->OnMouseWheel(-120)) << "content shorter than the view ignores the wheel";
    EXPECT_EQ(0, shorter->contentOffset());

    // A notch over the content (not a wheel target itself) reaches the area.
    GuiControl* target = pages[0]->WheelTargetAt(GuiPoint{50, 50});
    ASSERT_EQ(tall, target);
    EXPECT_TRUE(target->OnMouseWheel(-120));
    EXPECT_EQ(5, tall->contentOffset());
    for (int i = 0; i < 50; ++i) tall->OnMouseWheel(-120);
    EXPECT_EQ(200, tall->contentOffset()) << "never beyond the last line";
    EXPECT_EQ(100 - 33, tall->thumbPosition()) << "the thumb at the bottom of the bar";
    for (int i = 0; i < 50; ++i) tall->OnMouseWheel(120);
    EXPECT_EQ(0, tall->contentOffset());

    // At 144 DPI the last line still stops at the bottom of the view.
    SetUiScale(1.5f);
    pages[0]->Refresh();
    for (int i = 0; i < 100; ++i) tall->OnMouseWheel(-120);
    tall->UpdateGeometry();
    const GuiControl* content = tall->children().front();
    EXPECT_EQ(tall->top() + tall->height(), content->top() + content->height());
}

TEST_F(Toolkit, BrokenThemePartsAreDroppedOrRefused) {
    // An unknown element disappears with its children, an unknown profile
    // or a malformed size drops the control, a step without children and
    // a forms child of another name are skipped; the siblings remain.
    auto pages = Load(
        "<forms><step pt='0,0' size='10,10' profile='page'/>"
        "<page pt='0,0' size='10,10' profile='page'><CGuiButtonCtrl pt='1,1' size='5,5' profile='button'/></page>"
        "<step pt='0,0' size='400,200' profile='page' size3='400,300'>"
        "<CGuiNoSuchCtrl pt='0,0' size='10,10' profile='page'>"
        "<CGuiButtonCtrl pt='1,1' size='50,20' profile='button' func='mbox_yes'/></CGuiNoSuchCtrl>"
        "<CGuiButtonCtrl pt='1,1' size='50,20' profile='nosuchprofile' func='mbox_no'/>"
        "<CGuiButtonCtrl pt='1,1' size='50 ,20' profile='button' func='mbox_retry'/>"
        "<tooltip pt='1,1' size='50,20' profile='plain' func='mbox_cancel'/>"
        "<CGuiButtonCtrl pt='1,1' size='50,20' profile='button' func='mbox_ok'/>"
        "</step></forms>");
    ASSERT_EQ(1u, pages.size());
    EXPECT_EQ(1u, pages[0]->children().size());
    EXPECT_NE(nullptr, pages[0]->FindById(12414));
    pages[0]->ApplyVariant(3);
    EXPECT_EQ(300, pages[0]->height());
    pages[0]->ApplyVariant(0);
    EXPECT_EQ(200, pages[0]->height()) << "a variant left out keeps the page's size";

    // A page that cannot be made empties the whole list.
    tinyxml2::XMLDocument bad;
    bad.Parse("<config><forms><step pt='0,0' size='10,10' profile='page'><CGuiBitmapCtrl pt='0,0' size='1,1' "
              "profile='page'/></step><step pt='0,0' profile='page'><CGuiBitmapCtrl pt='0,0' size='1,1' "
              "profile='page'/></step></forms></config>");
    EXPECT_TRUE(LoadThemeForms(bad, theme_.profiles()).empty());

    // A picture that is no PNG fails its profile, and with it the theme.
    tinyxml2::XMLDocument broken;
    broken.Parse("<config><profiles><p texture='broken.png'/></profiles></config>");
    CGuiTheme other(source_, "t");
    std::string error;
    EXPECT_FALSE(other.LoadProfiles(broken, error));
    EXPECT_EQ("invalid texture", error);

    // A font file that is no font fails the theme's fonts.
    CMapThemeSource badFont = MakeSource();
    badFont.files["t\\fonts\\Broken.ttf"] = "not a font";
    badFont.fonts = {"t\\fonts\\Broken.ttf"};
    CGuiTheme withBadFont(badFont, "t");
    EXPECT_FALSE(withBadFont.LoadFonts(error));

    // The private family is found by its file name; a family nobody
    // registered falls back to what the machine has, or to no text.
    const CGuiProfile* plain = theme_.profiles().Find("plain");
    ASSERT_TRUE(plain && plain->fontHandles[0]);
    Gdiplus::FontFamily family;
    plain->fontHandles[0]->GetFamily(&family);
    WCHAR name[LF_FACESIZE] = {};
    family.GetFamilyName(name);
    EXPECT_STREQ(L"Roboto", name);
    EXPECT_EQ(12.0f, plain->fontHandles[0]->GetSize());
}

TEST_F(Toolkit, TooltipShowsAfterTheMouseRestedHalfASecond) {
    tinyxml2::XMLDocument doc;
    auto pages = Load("<forms/>");
    CGuiToolTipCtrl tip;
    ASSERT_TRUE(tip.SetProfile(theme_.profiles().Find("page"), nullptr));
    tip.SetText(L"For portable installation");
    tip.Restart(10000);
    tip.Track(GuiPoint{40, 50}, 10000);
    EXPECT_FALSE(tip.Showing(10499));
    EXPECT_TRUE(tip.Showing(10500));
    tip.Track(GuiPoint{90, 90}, 10600);
    EXPECT_EQ(40, tip.left()) << "once shown it stays where it appeared";
}
