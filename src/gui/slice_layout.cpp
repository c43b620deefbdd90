#include "gui/slice_layout.h"

namespace {

int32_t UsableWidth(const CGuiTexture& t, size_t i) { return t.sprites[i].width - 2; }
int32_t UsableHeight(const CGuiTexture& t, size_t i) { return t.sprites[i].height - 2; }

// trunc(trunc(size × zoom) × scale): a corner's scaled size.
int32_t Corner(int32_t size, float zoom, float scale) { return int32_t(float(int32_t(float(size) * zoom)) * scale); }

}  // namespace

bool NineSliceLayout(const CGuiTexture& t, size_t first, const GuiRect& r, float zoom, float scale,
                     std::vector<SliceDraw>& out) {
    out.clear();
    if (t.sprites.size() < first + 9) return false;
    const size_t tl = first, top = first + 1, tr = first + 2, left = first + 3, centre = first + 4, right = first + 5,
                 bl = first + 6, bottom = first + 7, br = first + 8;
    const int32_t tlw = Corner(UsableWidth(t, tl), zoom, scale), tlh = Corner(UsableHeight(t, tl), zoom, scale);
    const int32_t trw = Corner(UsableWidth(t, tr), zoom, scale), trh = Corner(UsableHeight(t, tr), zoom, scale);
    const int32_t blw = Corner(UsableWidth(t, bl), zoom, scale), blh = Corner(UsableHeight(t, bl), zoom, scale);
    const int32_t brw = Corner(UsableWidth(t, br), zoom, scale), brh = Corner(UsableHeight(t, br), zoom, scale);
    const int32_t lw = int32_t(float(UsableWidth(t, left)) * zoom * scale);
    const int32_t rw = int32_t(float(UsableWidth(t, right)) * zoom * scale);
    const int32_t spanW = r.width - tlw - trw, spanH = r.height - tlh - blh;
    out = {
        {tl, {r.x, r.y, tlw, tlh}},
        {top, {r.x + tlw, r.y, spanW, tlh}},
        {tr, {r.x + r.width - trw, r.y, trw, trh}},
        {right, {r.x + r.width - trw, r.y + tlh, rw, spanH}},
        {centre, {r.x + tlw, r.y + tlh, spanW, spanH}},
        {left, {r.x, r.y + tlh, lw, spanH}},
        {bl, {r.x, r.y + r.height - blh, blw, blh}},
        {bottom, {r.x + tlw, r.y + r.height - blh, spanW, blh}},
        {br, {r.x + r.width - trw, r.y + r.height - blh, brw, brh}},
    };
    return true;
}

bool ThreeSliceLayout(const CGuiTexture& t, size_t first, const GuiRect& r, float zoom, std::vector<SliceDraw>& out) {
    out.clear();
    if (t.sprites.size() < first + 3 || UsableHeight(t, first) <= 0) return false;
    const size_t left = first, middle = first + 1, right = first + 2;
    const float k = float(r.height) / float(UsableHeight(t, left));
    const int32_t lw = int32_t(float(UsableWidth(t, left)) * k * zoom);
    const int32_t lh = int32_t(float(UsableHeight(t, left)) * k * zoom);
    const int32_t rw = int32_t(float(UsableWidth(t, right)) * k * zoom);
    const int32_t rh = int32_t(float(UsableHeight(t, right)) * k * zoom);
    out = {
        {left, {r.x, r.y, lw, lh}},
        {middle, {r.x + lw, r.y, r.width - lw - rw, lh}},
        {right, {r.x + r.width - rw, r.y, rw, rh}},
    };
    return true;
}

bool ThreeSliceVerticalLayout(const CGuiTexture& t, size_t first, const GuiRect& r, float zoom, float scale,
                              std::vector<SliceDraw>& out) {
    out.clear();
    if (t.sprites.size() < first + 7) return false;
    const size_t top = first, middle = first + 3, bottom = first + 6;
    const int32_t th = int32_t(float(UsableHeight(t, top)) * zoom * scale);
    const int32_t bh = int32_t(float(UsableHeight(t, bottom)) * zoom * scale);
    out = {
        {top, {r.x, r.y, r.width, th}},
        {middle, {r.x, r.y + th, r.width, r.height - th - bh}},
        {bottom, {r.x, r.y + r.height - bh, r.width, bh}},
    };
    return true;
}
