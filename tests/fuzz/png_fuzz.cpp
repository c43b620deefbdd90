// A theme picture: decoded by itself, and through the texture cache the
// theme loads it with (header size check, decoding, sprite cutting).
#include "fuzz_input.h"
#include "gui/texture_cache.h"
#include "update/png_image.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PngImage image;
    if (image.Load(data, size))
        FUZZ_CHECK(image.pixels().size() == size_t(image.width()) * size_t(image.height()) * 4);
    const std::string bytes = FuzzBytes(data, size);
    CGuiTextureCache cache(
        [&bytes](const std::string&, std::string& out) {
            out = bytes;
            return true;
        },
        DecodePngPixels);
    if (const CGuiTexture* texture = cache.GetTexture("picture.png"))
        for (const SpriteBitmap& sprite : texture->sprites)
            FUZZ_CHECK(sprite.pixels.size() == size_t(sprite.width) * size_t(sprite.height));
    return 0;
}
