#pragma once
// Where the sprites of a stretched background go: the nine-slice frame,
// the horizontal three-slice bar and the vertical three-slice column, in
// window pixels and in the order they are drawn. The sprites of a
// multi-sprite texture carry a one-pixel margin (their usable size is the
// bitmap size minus 2). Portable; the GDI+ drawing uses these rectangles.

#include "gui/gui_profile.h"

#include <cstdint>
#include <vector>

struct GuiRect {
    int32_t x = 0, y = 0, width = 0, height = 0;
};

struct SliceDraw {
    size_t sprite = 0;  // index into the texture's sprites
    GuiRect destination;
};

// Sprites first ... first + 8: corners follow zoom and UiScale, the spans
// between them stretch. False when the texture has too few sprites.
bool NineSliceLayout(const CGuiTexture& texture, size_t first, const GuiRect& rect, float zoom, float scale,
                     std::vector<SliceDraw>& out);
// Sprites first ... first + 2: the caps keep their aspect ratio and follow
// the rectangle's height, the middle stretches between them.
bool ThreeSliceLayout(const CGuiTexture& texture, size_t first, const GuiRect& rect, float zoom,
                      std::vector<SliceDraw>& out);
// Sprites first, first + 3, first + 6 (one column of a three-column sheet):
// top cap, middle, bottom cap over the rectangle's full width.
bool ThreeSliceVerticalLayout(const CGuiTexture& texture, size_t first, const GuiRect& rect, float zoom, float scale,
                              std::vector<SliceDraw>& out);
