#pragma once
// Drawing theme sprites and text with GDI+: stretched sprites, the nine-
// and three-slice backgrounds, text in a rectangle, and the four
// pre-rendered state images of buttons, combo and edit boxes. Sprites are
// drawn straight from the texture's pixel buffers. The window's thread.

#include "gui/gdiplus_api.h"
#include "gui/gui_profile.h"
#include "gui/slice_layout.h"

#include <memory>
#include <string>

// The whole usable area of a sprite (inside its margin when `margin`) to
// `destination`, bilinear and high quality.
void DrawSprite(Gdiplus::Graphics& graphics, const SpriteBitmap& sprite, bool margin,
                const Gdiplus::RectF& destination);
// Sprite `index` of a texture: multi-sprite textures have the margin.
bool DrawTextureSprite(Gdiplus::Graphics& graphics, const CGuiTexture& texture, size_t index,
                       const Gdiplus::RectF& destination);

bool DrawNineSlice(Gdiplus::Graphics& graphics, const CGuiTexture* texture, const GuiRect& rect, size_t first,
                   float zoom);
bool DrawThreeSlice(Gdiplus::Graphics& graphics, const CGuiTexture* texture, const GuiRect& rect, size_t first,
                    float zoom);
bool DrawThreeSliceVertical(Gdiplus::Graphics& graphics, const CGuiTexture* texture, const GuiRect& rect,
                            size_t first, float zoom);

// False, with nothing drawn, when the font is null.
bool DrawTextInRect(Gdiplus::Graphics& graphics, const std::wstring& text, uint32_t colour,
                    const Gdiplus::Font* font, const Gdiplus::RectF& rect, bool antialiasOnly,
                    const Gdiplus::StringFormat* format);
// The bounding box of the text laid out in `layout`; empty without a font.
Gdiplus::RectF MeasureText(const std::wstring& text, const Gdiplus::Font* font, const Gdiplus::RectF& layout,
                           const Gdiplus::StringFormat* format);

// The font and colour of one state of a profile.
struct GuiStateFont {
    const Gdiplus::Font* font = nullptr;
    uint32_t colour = 0xFF000000;
};
GuiStateFont ProfileFont(const CGuiProfile* profile, int state);

// Four backgrounds of a control's pixel size, one per state, from a 12-
// (three-slice) or 36-sprite (nine-slice) texture. Owned by the control.
class CStateImages {
public:
    // New transparent images of this size.
    void Create(int32_t width, int32_t height);
    // Renders the backgrounds; false (images left as they are) for another
    // sprite count.
    bool Render(const CGuiTexture* texture, float zoom);
    Gdiplus::Bitmap* Image(int state) const { return images_[state].get(); }
    // The alpha of the state image at a point relative to the image.
    uint8_t AlphaAt(int state, int32_t x, int32_t y) const;

private:
    std::unique_ptr<Gdiplus::Bitmap> images_[4];
};

// A stretched background rendered once at the control's pixel size and
// drawn unscaled afterwards; rendered again when the size changes (a new
// page size or UI scale). Stretching sprites is by far the most expensive
// part of a frame. Owned by the control.
class CCachedBackground {
public:
    using Render = bool (*)(Gdiplus::Graphics& graphics, const CGuiProfile& profile, const GuiRect& rect);
    void Draw(Gdiplus::Graphics& graphics, const CGuiProfile& profile, const GuiRect& rect, Render render);

private:
    std::unique_ptr<Gdiplus::Bitmap> image_;
    bool drawn_ = false;
};
bool RenderNineSlice(Gdiplus::Graphics& graphics, const CGuiProfile& profile, const GuiRect& rect);
bool RenderStretchedSprite(Gdiplus::Graphics& graphics, const CGuiProfile& profile, const GuiRect& rect);

// Copies of the generic formats with the toolkit's flags.
std::unique_ptr<Gdiplus::StringFormat> LabelStringFormat(bool centred);
std::unique_ptr<Gdiplus::StringFormat> WrappingStringFormat(bool centred);
