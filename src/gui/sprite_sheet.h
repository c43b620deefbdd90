#pragma once
// Cutting a theme picture into sprites. A sheet holds sprites separated by
// a key colour (the colour of its top-left pixel); every 4-connected region
// of other pixels is one sprite, numbered in the order its first pixel is
// met scanning rows top to bottom, left to right. Portable; no state.

#include <cstddef>
#include <cstdint>
#include <vector>

// 32-bit ARGB pixels, rows top to bottom, not premultiplied.
struct SpriteBitmap {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// The sprites of a `width` × `height` sheet, each the size of its bounding
// box with the pixels of other regions transparent (0). False, with `out`
// empty, for an empty sheet or one that needs more than 254 provisional
// labels. An all-key sheet gives no sprites.
bool CutSprites(const uint32_t* pixels, int width, int height, std::vector<SpriteBitmap>& out);

// Gives every sprite a one-pixel margin that repeats its edge pixels, so
// that stretched drawing never samples outside the sprite.
void ExtrudeSpriteBorders(std::vector<SpriteBitmap>& sprites);
