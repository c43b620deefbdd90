#include "gui/gui_theme.h"

#include "update/png_image.h"

std::string FontFamilyName(const std::string& path) {
    const size_t slash = path.rfind('\\');
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = file.rfind('.');
    return dot == std::string::npos ? file : file.substr(0, dot);
}

CGuiTheme::CGuiTheme(const IThemeSource& source, const std::string& folder)
    : source_(source),
      prefix_(folder + "\\"),
      textures_([this](const std::string& path, std::string& bytes) { return source_.Read(prefix_ + path, bytes); },
                DecodePngPixels) {}

bool CGuiTheme::LoadFonts(std::string& error) {
    for (const std::string& path : source_.FontPaths()) {
        std::string bytes;
        if (!source_.Read(path, bytes)) {
            error = "cannot read " + path;
            return false;
        }
        if (!fonts_.AddPrivateFont(FontFamilyName(path), std::move(bytes), error)) return false;
    }
    return true;
}

bool CGuiTheme::LoadProfiles(const tinyxml2::XMLDocument& config, std::string& error) {
    return profiles_.Load(config, *this, error);
}

void CGuiTheme::RecreateFonts() { profiles_.RecreateFonts(*this); }
