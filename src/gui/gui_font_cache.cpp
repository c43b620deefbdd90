#include "gui/gui_font_cache.h"

#include "gui/ui_scale.h"

namespace {

bool Usable(const Gdiplus::Font& font) { return font.GetLastStatus() == Gdiplus::Ok && font.IsAvailable(); }

}  // namespace

bool CGuiFontCache::AddPrivateFont(const std::string& name, std::string bytes, std::string& error) {
    PrivateFamily entry;
    entry.bytes = std::move(bytes);
    entry.collection = std::make_unique<Gdiplus::PrivateFontCollection>();
    if (entry.collection->AddMemoryFont(entry.bytes.data(), INT(entry.bytes.size())) != Gdiplus::Ok) {
        error = "cannot add font " + name;
        return false;
    }
    if (entry.collection->GetFamilyCount() != 1) {
        error = "font " + name + " does not hold exactly one family";
        return false;
    }
    Gdiplus::FontFamily family;
    INT found = 0;
    if (entry.collection->GetFamilies(1, &family, &found) != Gdiplus::Ok || found != 1) {
        error = "cannot read the family of font " + name;
        return false;
    }
    entry.family.reset(family.Clone());
    families_[name] = std::move(entry);
    return true;
}

std::unique_ptr<Gdiplus::Font> CGuiFontCache::Create(const std::string& family, int32_t pixels, int style) const {
    const auto own = families_.find(family);
    if (own != families_.end()) {
        auto font = std::make_unique<Gdiplus::Font>(own->second.family.get(), float(pixels), style,
                                                    Gdiplus::UnitPixel);
        if (Usable(*font)) return font;
    }
    const Gdiplus::FontFamily arial(L"Arial");
    if (arial.IsAvailable()) {
        auto font = std::make_unique<Gdiplus::Font>(&arial, float(pixels), style, Gdiplus::UnitPixel);
        if (Usable(*font)) return font;
    }
    // A machine may have no sans-serif family at all; the control then
    // draws no text.
    const Gdiplus::FontFamily* sans = Gdiplus::FontFamily::GenericSansSerif();
    if (!sans) return nullptr;
    auto font = std::make_unique<Gdiplus::Font>(sans, float(pixels), style, Gdiplus::UnitPixel);
    return Usable(*font) ? std::move(font) : nullptr;
}

const Gdiplus::Font* CGuiFontCache::GetFont(const GuiFontSpec& font) {
    if (font.family.empty()) return nullptr;
    const int32_t pixels = int32_t(float(font.size) * UiScale());
    const Key key{font.family, pixels, font.bold, font.italic};
    const auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.get();
    const int style = (font.bold ? Gdiplus::FontStyleBold : 0) | (font.italic ? Gdiplus::FontStyleItalic : 0);
    return (fonts_[key] = Create(font.family, pixels, style)).get();
}
