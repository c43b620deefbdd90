#include "gui/gui_profile.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// Pictures named "good*.png" exist; a font handle is a counter.
class FakeResources : public IThemeResources {
public:
    const CGuiTexture* GetTexture(const std::string& path) override {
        ++textureLoads[path];
        if (path.rfind("good", 0) != 0) return nullptr;
        return &textures[path];
    }
    const Gdiplus::Font* GetFont(const GuiFontSpec& font) override {
        if (font.family.empty()) return nullptr;
        return reinterpret_cast<const Gdiplus::Font*>(uintptr_t(++fonts));
    }
    std::map<std::string, CGuiTexture> textures;
    std::map<std::string, int> textureLoads;
    int fonts = 0;
};

bool Load(const char* xml, CGuiProfiles& profiles, FakeResources& resources, std::string& error) {
    tinyxml2::XMLDocument doc;
    if (doc.Parse(xml) != tinyxml2::XML_SUCCESS) return false;
    return profiles.Load(doc, resources, error);
}

}  // namespace

TEST(ThemeProfiles, FontsStopAtTheFirstBadAttributeAndOtherValuesKeepDefaults) {
    FakeResources resources;
    CGuiProfiles profiles;
    std::string error;
    ASSERT_TRUE(Load(R"(<config><profiles>
        <base texture="good.png" zoom="x" textOffset="1.5, -2" textBorder="1 2 3">
          <fontP fontName="Roboto-Regular" fontColor="64,143,255,160" fontSize="13" fontBold="true" fontItalic="1"/>
          <fontH fontName="Roboto-Bold" fontColor="255 255 255" fontSize="big" fontBold="true"/>
          <fontD fontColor="1 2 3"/>
          <other fontName="ignored"/>
        </base></profiles></config>)",
                     profiles, resources, error))
        << error;
    const CGuiProfile* p = profiles.Find("base");
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(&resources.textures["good.png"], p->texture);
    EXPECT_FLOAT_EQ(1.0f, p->zoom);  // malformed: the default stays
    EXPECT_FLOAT_EQ(1.5f, p->textOffsetX);
    EXPECT_EQ(0, p->textBorder[2]);  // three numbers are no quad
    EXPECT_EQ("Roboto-Regular", p->fonts[gsNormal].family);
    EXPECT_EQ(0xA0408FFFu, p->fonts[gsNormal].colour);
    EXPECT_EQ(13, p->fonts[gsNormal].size);
    EXPECT_TRUE(p->fonts[gsNormal].bold && p->fonts[gsNormal].italic);
    EXPECT_EQ(0xFFFFFFFFu, p->fonts[gsHover].colour);
    EXPECT_EQ(0, p->fonts[gsHover].size);  // stopped at the size: bold not read either
    EXPECT_FALSE(p->fonts[gsHover].bold);
    EXPECT_TRUE(p->fonts[gsPressed].family.empty());  // no name: nothing read
    EXPECT_EQ(0xFF000000u, p->fonts[gsPressed].colour);
    EXPECT_NE(nullptr, p->fontHandles[gsNormal]);
    EXPECT_EQ(nullptr, p->fontHandles[gsPressed]);
}

TEST(ThemeProfiles, ChildrenMustComeFirstAndTexturesMustLoad) {
    FakeResources resources;
    std::string error;
    CGuiProfiles ordered;
    ASSERT_TRUE(Load(R"(<config><profiles><list texture="good.png"/><box profilesForChildren="list, list"/>
        <box2 texture="good.png"/></profiles></config>)",
                     ordered, resources, error));
    ASSERT_EQ(2u, ordered.Find("box")->children.size());
    EXPECT_EQ(ordered.Find("list"), ordered.Find("box")->children[0]);
    EXPECT_EQ(2, resources.textureLoads["good.png"]);  // the source decides about sharing

    CGuiProfiles later;
    EXPECT_FALSE(Load(R"(<config><profiles><box profilesForChildren="list"/><list/></profiles></config>)", later,
                      resources, error));
    EXPECT_EQ(nullptr, later.Find("box"));
    CGuiProfiles broken;
    EXPECT_FALSE(Load(R"(<config><profiles><a/><b texture="missing.png"/></profiles></config>)", broken, resources,
                      error));
    EXPECT_EQ("invalid texture", error);
    CGuiProfiles none;
    EXPECT_FALSE(Load("<config/>", none, resources, error));
}

TEST(ThemeProfiles, AReplacedProfileStaysValidForThoseThatReferToIt) {
    FakeResources resources;
    std::string error;
    CGuiProfiles profiles;
    ASSERT_TRUE(Load(R"(<config><profiles><a zoom="2"/><b profilesForChildren="a"/><a zoom="3"/></profiles></config>)",
                     profiles, resources, error));
    EXPECT_FLOAT_EQ(3.0f, profiles.Find("a")->zoom);
    EXPECT_FLOAT_EQ(2.0f, profiles.Find("b")->children[0]->zoom);  // the earlier "a", still alive
}
