#include "gui/gui_profile.h"

#include "gui/theme_values.h"

#include <cstring>

namespace {

const char* const kFontElements[4] = {"fontP", "fontH", "fontD", "fontN"};

// fontName, then colour, size, bold and italic in this order, stopping at
// the first missing or malformed one; what was not read keeps its default.
GuiFontSpec ParseFont(const tinyxml2::XMLElement& element) {
    GuiFontSpec font;
    const char* name = element.Attribute("fontName");
    if (!name) return font;
    font.family = name;
    const char* colour = element.Attribute("fontColor");
    if (!colour || !ParseThemeColour(colour, font.colour)) return font;
    const char* size = element.Attribute("fontSize");
    if (!size || !ParseThemeInteger(size, font.size)) return font;
    const char* bold = element.Attribute("fontBold");
    if (!bold || !ParseThemeBoolean(bold, font.bold)) return font;
    const char* italic = element.Attribute("fontItalic");
    if (italic) ParseThemeBoolean(italic, font.italic);
    return font;
}

}  // namespace

bool CGuiProfiles::Load(const tinyxml2::XMLDocument& theme, IThemeResources& resources, std::string& error) {
    const tinyxml2::XMLElement* config = theme.FirstChildElement("config");
    const tinyxml2::XMLElement* list = config ? config->FirstChildElement("profiles") : nullptr;
    if (!list) {
        error = "no profiles";
        return false;
    }
    for (const tinyxml2::XMLElement* e = list->FirstChildElement(); e; e = e->NextSiblingElement()) {
        std::unique_ptr<CGuiProfile> profile = Parse(*e, resources, error);
        if (!profile) return false;
        std::unique_ptr<CGuiProfile>& slot = profiles_[e->Name()];
        if (slot) replaced_.push_back(std::move(slot));
        slot = std::move(profile);
    }
    return true;
}

std::unique_ptr<CGuiProfile> CGuiProfiles::Parse(const tinyxml2::XMLElement& element, IThemeResources& resources,
                                                 std::string& error) const {
    auto profile = std::make_unique<CGuiProfile>();
    for (const tinyxml2::XMLElement* e = element.FirstChildElement(); e; e = e->NextSiblingElement()) {
        for (int state = 0; state < 4; ++state)
            if (std::strcmp(e->Name(), kFontElements[state]) == 0) profile->fonts[state] = ParseFont(*e);
    }
    if (const char* names = element.Attribute("profilesForChildren")) {
        for (const std::string& name : SplitThemeTokens(names)) {
            const CGuiProfile* child = Find(name);
            if (!child) {
                error = "unknown profile " + name + " in " + element.Name();
                return nullptr;
            }
            profile->children.push_back(child);
        }
    }
    if (const char* offset = element.Attribute("textOffset"))
        ParseThemeFloatPair(offset, profile->textOffsetX, profile->textOffsetY);
    if (const char* zoom = element.Attribute("zoom")) ParseThemeFloat(zoom, profile->zoom);
    if (const char* border = element.Attribute("textBorder")) ParseThemeIntegerQuad(border, profile->textBorder);
    if (const char* texture = element.Attribute("texture")) {
        profile->texture = resources.GetTexture(texture);
        if (!profile->texture) {
            error = "invalid texture";
            return nullptr;
        }
    }
    for (int state = 0; state < 4; ++state) profile->fontHandles[state] = resources.GetFont(profile->fonts[state]);
    return profile;
}

const CGuiProfile* CGuiProfiles::Find(const std::string& name) const {
    const auto it = profiles_.find(name);
    return it == profiles_.end() ? nullptr : it->second.get();
}

void CGuiProfiles::RecreateFonts(IThemeResources& resources) {
    const auto recreate = [&resources](CGuiProfile& profile) {
        for (int state = 0; state < 4; ++state) profile.fontHandles[state] = resources.GetFont(profile.fonts[state]);
    };
    for (auto& entry : profiles_) recreate(*entry.second);
    for (auto& profile : replaced_) recreate(*profile);
}
