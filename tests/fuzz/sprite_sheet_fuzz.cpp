// Sprite cutting of any sheet: the first byte gives the width (1-64), the
// rest are the pixels, one byte each widened to a few distinct colours.
#include "fuzz_input.h"
#include "gui/sprite_sheet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int width = 1 + data[0] % 64;
    const int height = int((size - 1) / size_t(width));
    std::vector<uint32_t> pixels;
    for (size_t i = 1; i < 1 + size_t(width) * size_t(height); ++i) pixels.push_back(0xFF000000u | (data[i] % 4) * 0x404040u);
    std::vector<SpriteBitmap> sprites;
    if (!CutSprites(pixels.data(), width, height, sprites)) return 0;
    for (const SpriteBitmap& sprite : sprites) {
        FUZZ_CHECK(sprite.width > 0 && sprite.height > 0 && sprite.width <= width && sprite.height <= height);
        FUZZ_CHECK(sprite.pixels.size() == size_t(sprite.width) * size_t(sprite.height));
    }
    ExtrudeSpriteBorders(sprites);
    for (const SpriteBitmap& sprite : sprites)
        FUZZ_CHECK(sprite.pixels.size() == size_t(sprite.width) * size_t(sprite.height));
    return 0;
}
