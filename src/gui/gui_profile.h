#pragma once
// Profiles: the look controls share (texture, zoom, text offset and
// border, the fonts of the four states), parsed from `profiles` of the
// theme's config.xml in document order. Textures and fonts come from the
// theme's resources, so the parsing is portable; the window's thread only.

#include "gui/sprite_sheet.h"

#include <tinyxml2.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Gdiplus {
class Font;
}

// State order of fonts, sprite rows and state images.
enum EGuiState { gsNormal = 0, gsHover = 1, gsPressed = 2, gsDisabled = 3 };

struct GuiFontSpec {
    std::string family;  // empty: no font, no text drawn in that state
    int32_t size = 0;    // pixels at 96 DPI
    bool bold = false;
    bool italic = false;
    uint32_t colour = 0xFF000000;
};

// The sprites of one theme picture (extruded when there are several).
struct CGuiTexture {
    std::vector<SpriteBitmap> sprites;
};

// Where profiles get their pictures and fonts; both stay owned by the source.
class IThemeResources {
public:
    // Null when the picture is missing or cannot be used.
    virtual const CGuiTexture* GetTexture(const std::string& path) = 0;
    // Null for an empty family name.
    virtual const Gdiplus::Font* GetFont(const GuiFontSpec& font) = 0;

protected:
    ~IThemeResources() = default;
};

class CGuiProfile {
public:
    std::vector<const CGuiProfile*> children;
    float textOffsetX = 0, textOffsetY = 0;
    int32_t textBorder[4] = {0, 0, 0, 0};  // left, top, right, bottom
    GuiFontSpec fonts[4];
    const Gdiplus::Font* fontHandles[4] = {nullptr, nullptr, nullptr, nullptr};
    const CGuiTexture* texture = nullptr;
    float zoom = 1.0f;
};

class CGuiProfiles {
public:
    // `profiles` under `config`; false (with the reason in `error`) for a
    // missing element, a child profile not defined before, or a texture
    // that cannot be loaded. Profiles read before a failure stay.
    bool Load(const tinyxml2::XMLDocument& theme, IThemeResources& resources, std::string& error);
    const CGuiProfile* Find(const std::string& name) const;
    // The four fonts of every profile again, at the current UiScale.
    void RecreateFonts(IThemeResources& resources);

private:
    std::unique_ptr<CGuiProfile> Parse(const tinyxml2::XMLElement& element, IThemeResources& resources,
                                       std::string& error) const;

    std::map<std::string, std::unique_ptr<CGuiProfile>> profiles_;
    // A later profile of the same name replaces an earlier one in the map;
    // the earlier one stays alive for the profiles and controls that
    // already refer to it.
    std::vector<std::unique_ptr<CGuiProfile>> replaced_;
};
