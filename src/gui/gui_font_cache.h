#pragma once
// CGuiFontCache: the theme's private fonts (TrueType files in `fonts`
// folders of the package, known by their file name without extension) and
// every font made from a profile's font record at the current UiScale.
// Fonts stay owned by the cache until it goes; a DPI change adds fonts of
// the new size beside the old ones. The window's thread only; GDI+ must be
// running for the cache's whole life.

#include "gui/gdiplus_api.h"
#include "gui/gui_profile.h"

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

class CGuiFontCache {
public:
    CGuiFontCache() = default;
    CGuiFontCache(const CGuiFontCache&) = delete;
    CGuiFontCache& operator=(const CGuiFontCache&) = delete;

    // Registers one font file's bytes as the family `name`; false (with the
    // reason in `error`) when GDI+ refuses it or it holds not exactly one
    // family.
    bool AddPrivateFont(const std::string& name, std::string bytes, std::string& error);
    // The font for the record at the current UiScale, created on first
    // use: from the private family of that name, else "Arial", else the
    // generic sans-serif family. Null for an empty family name.
    const Gdiplus::Font* GetFont(const GuiFontSpec& font);
    bool HasPrivateFamily(const std::string& name) const { return families_.count(name) != 0; }

private:
    struct PrivateFamily {
        std::string bytes;  // GDI+ reads the font from this memory
        std::unique_ptr<Gdiplus::PrivateFontCollection> collection;
        std::unique_ptr<Gdiplus::FontFamily> family;
    };
    using Key = std::tuple<std::string, int32_t, bool, bool>;

    std::unique_ptr<Gdiplus::Font> Create(const std::string& family, int32_t pixels, int style) const;

    std::map<std::string, PrivateFamily> families_;
    std::map<Key, std::unique_ptr<Gdiplus::Font>> fonts_;
};
