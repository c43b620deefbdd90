#pragma once
// CGuiTheme: everything the wizard is drawn with, loaded once before the
// window exists: the private fonts of the package, the theme's profiles
// and the pictures they name, cut into sprites. The source of the files is
// handed in (the launcher's embedded package, or a theme folder or
// launcher file for the preview tool). Owned by the wizard; GDI+ must run
// for its whole life. The window's thread only.

#include "gui/gui_font_cache.h"
#include "gui/gui_profile.h"
#include "gui/texture_cache.h"

#include <tinyxml2.h>

#include <string>
#include <vector>

// Where the theme's files come from.
class IThemeSource {
public:
    virtual ~IThemeSource() = default;
    // The bytes of a file by its package path ("theme_kx\\buttons\\b.png").
    virtual bool Read(const std::string& path, std::string& bytes) const = 0;
    // Every package path whose parent folder is "fonts" and whose
    // extension is ".ttf".
    virtual std::vector<std::string> FontPaths() const = 0;
};

class CGuiTheme : public IThemeResources {
public:
    // `folder`: the theme's folder in the package, without a trailing
    // backslash.
    CGuiTheme(const IThemeSource& source, const std::string& folder);
    CGuiTheme(const CGuiTheme&) = delete;
    CGuiTheme& operator=(const CGuiTheme&) = delete;
    ~CGuiTheme() = default;

    // The private fonts, then the profiles; false with the reason in
    // `error`.
    bool LoadFonts(std::string& error);
    bool LoadProfiles(const tinyxml2::XMLDocument& config, std::string& error);
    // After a DPI change: every profile's fonts at the new UiScale.
    void RecreateFonts();

    const CGuiProfiles& profiles() const { return profiles_; }
    const CGuiTexture* GetTexture(const std::string& path) override { return textures_.GetTexture(path); }
    const Gdiplus::Font* GetFont(const GuiFontSpec& font) override { return fonts_.GetFont(font); }

private:
    const IThemeSource& source_;
    std::string prefix_;
    CGuiFontCache fonts_;
    CGuiTextureCache textures_;
    CGuiProfiles profiles_;
};

// The family name of a font file: its file name without the extension.
std::string FontFamilyName(const std::string& path);
