#include "gui/gui_drawing.h"

#include "gui/ui_scale.h"

namespace {

// A GDI+ bitmap over a sprite's own pixels; nothing is copied.
class CSpriteView {
public:
    explicit CSpriteView(const SpriteBitmap& sprite)
        : bitmap_(sprite.width, sprite.height, sprite.width * 4, PixelFormat32bppARGB,
                  reinterpret_cast<BYTE*>(const_cast<uint32_t*>(sprite.pixels.data()))) {}
    Gdiplus::Bitmap& bitmap() { return bitmap_; }

private:
    Gdiplus::Bitmap bitmap_;
};

void HighQualityImages(Gdiplus::Graphics& graphics) {
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeBilinear);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHighQuality);
    graphics.SetCompositingQuality(Gdiplus::CompositingQualityHighQuality);
}

Gdiplus::RectF ToRectF(const GuiRect& r) {
    return Gdiplus::RectF(float(r.x), float(r.y), float(r.width), float(r.height));
}

bool DrawSlices(Gdiplus::Graphics& graphics, const CGuiTexture& texture, const std::vector<SliceDraw>& draws,
                bool smoothingOff) {
    const Gdiplus::GraphicsState state = graphics.Save();
    HighQualityImages(graphics);
    if (smoothingOff) graphics.SetSmoothingMode(Gdiplus::SmoothingModeNone);
    for (const SliceDraw& draw : draws)
        if (draw.destination.width > 0 && draw.destination.height > 0)
            DrawSprite(graphics, texture.sprites[draw.sprite], true, ToRectF(draw.destination));
    graphics.Restore(state);
    return true;
}

}  // namespace

void DrawSprite(Gdiplus::Graphics& graphics, const SpriteBitmap& sprite, bool margin,
                const Gdiplus::RectF& destination) {
    const int inset = margin ? 1 : 0;
    const int w = sprite.width - 2 * inset, h = sprite.height - 2 * inset;
    if (w <= 0 || h <= 0 || destination.Width <= 0 || destination.Height <= 0) return;
    CSpriteView view(sprite);
    // The sprite is stretched as a brush over the destination: a filled
    // rectangle covers exactly its pixels, and the brush mirrors the
    // sprite at its edges, so neighbouring slices meet without a seam or
    // a blend with what lies outside the sprite.
    Gdiplus::TextureBrush brush(&view.bitmap(), Gdiplus::WrapModeTileFlipXY, inset, inset, w, h);
    brush.TranslateTransform(destination.X, destination.Y);
    brush.ScaleTransform(destination.Width / float(w), destination.Height / float(h));
    graphics.FillRectangle(&brush, destination);
}

bool DrawTextureSprite(Gdiplus::Graphics& graphics, const CGuiTexture& texture, size_t index,
                       const Gdiplus::RectF& destination) {
    if (index >= texture.sprites.size()) return false;
    const Gdiplus::GraphicsState state = graphics.Save();
    HighQualityImages(graphics);
    DrawSprite(graphics, texture.sprites[index], texture.sprites.size() > 1, destination);
    graphics.Restore(state);
    return true;
}

bool DrawNineSlice(Gdiplus::Graphics& graphics, const CGuiTexture* texture, const GuiRect& rect, size_t first,
                   float zoom) {
    std::vector<SliceDraw> draws;
    if (!texture || !NineSliceLayout(*texture, first, rect, zoom, UiScale(), draws)) return false;
    return DrawSlices(graphics, *texture, draws, false);
}

bool DrawThreeSlice(Gdiplus::Graphics& graphics, const CGuiTexture* texture, const GuiRect& rect, size_t first,
                    float zoom) {
    std::vector<SliceDraw> draws;
    if (!texture || !ThreeSliceLayout(*texture, first, rect, zoom, draws)) return false;
    return DrawSlices(graphics, *texture, draws, true);
}

bool DrawThreeSliceVertical(Gdiplus::Graphics& graphics, const CGuiTexture* texture, const GuiRect& rect,
                            size_t first, float zoom) {
    std::vector<SliceDraw> draws;
    if (!texture || !ThreeSliceVerticalLayout(*texture, first, rect, zoom, UiScale(), draws)) return false;
    return DrawSlices(graphics, *texture, draws, true);
}

bool DrawTextInRect(Gdiplus::Graphics& graphics, const std::wstring& text, uint32_t colour,
                    const Gdiplus::Font* font, const Gdiplus::RectF& rect, bool antialiasOnly,
                    const Gdiplus::StringFormat* format) {
    if (!font) return false;
    const Gdiplus::GraphicsState state = graphics.Save();
    Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
    graphics.SetTextRenderingHint(antialiasOnly ? Gdiplus::TextRenderingHintAntiAliasGridFit
                                                : Gdiplus::TextRenderingHintClearTypeGridFit);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeNone);
    graphics.DrawString(text.c_str(), -1, font, rect, format, &brush);
    graphics.Restore(state);
    return true;
}

Gdiplus::RectF MeasureText(const std::wstring& text, const Gdiplus::Font* font, const Gdiplus::RectF& layout,
                           const Gdiplus::StringFormat* format) {
    Gdiplus::RectF box(layout.X, layout.Y, 0, 0);
    if (!font || text.empty()) return box;
    // Measuring needs a device; a one-pixel bitmap stands in for the screen.
    Gdiplus::Bitmap probe(1, 1, PixelFormat32bppPARGB);
    Gdiplus::Graphics graphics(&probe);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
    graphics.MeasureString(text.c_str(), -1, font, layout, format, &box);
    return box;
}

GuiStateFont ProfileFont(const CGuiProfile* profile, int state) {
    GuiStateFont out;
    if (!profile || state < 0 || state > 3) return out;
    out.font = profile->fontHandles[state];
    out.colour = profile->fonts[state].colour;
    return out;
}

void CStateImages::Create(int32_t width, int32_t height) {
    for (auto& image : images_)
        image = std::make_unique<Gdiplus::Bitmap>(width > 0 ? width : 1, height > 0 ? height : 1,
                                                  PixelFormat32bppPARGB);
}

bool CStateImages::Render(const CGuiTexture* texture, float zoom) {
    if (!texture || !images_[0]) return false;
    const size_t count = texture->sprites.size();
    if (count != 12 && count != 36) return false;
    for (int i = 0; i < 4; ++i) {
        Gdiplus::Graphics graphics(images_[i].get());
        graphics.Clear(Gdiplus::Color(0, 0, 0, 0));
        const GuiRect whole{0, 0, int32_t(images_[i]->GetWidth()), int32_t(images_[i]->GetHeight())};
        if (count == 12)
            DrawThreeSlice(graphics, texture, whole, size_t(i) * 3, zoom);
        else
            DrawNineSlice(graphics, texture, whole, size_t(i) * 9, zoom);
    }
    return true;
}

uint8_t CStateImages::AlphaAt(int state, int32_t x, int32_t y) const {
    Gdiplus::Bitmap* image = state >= 0 && state < 4 ? images_[state].get() : nullptr;
    if (!image || x < 0 || y < 0 || UINT(x) >= image->GetWidth() || UINT(y) >= image->GetHeight()) return 0;
    Gdiplus::Color colour;
    image->GetPixel(x, y, &colour);
    return colour.GetA();
}

void CCachedBackground::Draw(Gdiplus::Graphics& graphics, const CGuiProfile& profile, const GuiRect& rect,
                             Render render) {
    if (rect.width <= 0 || rect.height <= 0) return;
    if (!image_ || int32_t(image_->GetWidth()) != rect.width || int32_t(image_->GetHeight()) != rect.height) {
        image_ = std::make_unique<Gdiplus::Bitmap>(rect.width, rect.height, PixelFormat32bppPARGB);
        Gdiplus::Graphics canvas(image_.get());
        canvas.Clear(Gdiplus::Color(0, 0, 0, 0));
        drawn_ = render(canvas, profile, GuiRect{0, 0, rect.width, rect.height});
    }
    if (drawn_)
        graphics.DrawImage(image_.get(), Gdiplus::Rect(rect.x, rect.y, rect.width, rect.height), 0, 0, rect.width,
                           rect.height, Gdiplus::UnitPixel);
}

bool RenderNineSlice(Gdiplus::Graphics& graphics, const CGuiProfile& profile, const GuiRect& rect) {
    return DrawNineSlice(graphics, profile.texture, rect, 0, profile.zoom);
}

bool RenderStretchedSprite(Gdiplus::Graphics& graphics, const CGuiProfile& profile, const GuiRect& rect) {
    return profile.texture && DrawTextureSprite(graphics, *profile.texture, 0,
                                                Gdiplus::RectF(float(rect.x), float(rect.y), float(rect.width),
                                                               float(rect.height)));
}

std::unique_ptr<Gdiplus::StringFormat> LabelStringFormat(bool centred) {
    auto format = std::make_unique<Gdiplus::StringFormat>(Gdiplus::StringFormat::GenericTypographic());
    format->SetFormatFlags(format->GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap);
    format->SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
    if (centred) format->SetAlignment(Gdiplus::StringAlignmentCenter);
    return format;
}

std::unique_ptr<Gdiplus::StringFormat> WrappingStringFormat(bool centred) {
    auto format = std::make_unique<Gdiplus::StringFormat>(Gdiplus::StringFormat::GenericDefault());
    if (centred) format->SetAlignment(Gdiplus::StringAlignmentCenter);
    return format;
}
