#pragma once
// Small themes built in memory for the toolkit's tests: PNG sprite sheets
// encoded on the fly and a theme source over a map of files.

#include "gui/gui_theme.h"
#include "gui/sprite_sheet.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A PNG of 32-bit ARGB pixels, rows top to bottom.
std::string EncodePng(const std::vector<uint32_t>& argb, int width, int height);
// A sheet of sprites in one row on a cyan key, one key pixel around each.
std::string SheetPng(const std::vector<SpriteBitmap>& sprites);
// A sprite of one colour.
SpriteBitmap SolidSprite(int width, int height, uint32_t argb);

class CMapThemeSource : public IThemeSource {
public:
    bool Read(const std::string& path, std::string& bytes) const override;
    std::vector<std::string> FontPaths() const override { return fonts; }

    std::map<std::string, std::string> files;
    std::vector<std::string> fonts;
};
