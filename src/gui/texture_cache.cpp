#include "gui/texture_cache.h"

namespace {

uint32_t BigEndian32(const std::string& bytes, size_t at) {
    return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
           uint32_t(uint8_t(bytes[at + 2])) << 8 | uint32_t(uint8_t(bytes[at + 3]));
}

}  // namespace

bool PngDimensions(const std::string& bytes, uint32_t& width, uint32_t& height) {
    static const char kSignature[] = "\x89PNG\r\n\x1a\n";
    // Signature, then the IHDR chunk: length, type, width, height.
    if (bytes.size() < 24 || bytes.compare(0, 8, kSignature, 8) != 0 || bytes.compare(12, 4, "IHDR") != 0)
        return false;
    width = BigEndian32(bytes, 16);
    height = BigEndian32(bytes, 20);
    return true;
}

const CGuiTexture* CGuiTextureCache::GetTexture(const std::string& path) {
    const auto it = textures_.find(path);
    if (it != textures_.end()) return it->second.get();
    return (textures_[path] = Load(path)).get();
}

std::unique_ptr<CGuiTexture> CGuiTextureCache::Load(const std::string& path) const {
    std::string bytes;
    uint32_t w = 0, h = 0;
    if (!reader_(path, bytes) || !PngDimensions(bytes, w, h) || w == 0 || h == 0 ||
        uint64_t(w) * uint64_t(h) * 4 > kMaxDecodedPictureBytes)
        return nullptr;
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    if (!decoder_(bytes, pixels, width, height) || width <= 0 || height <= 0 ||
        pixels.size() != size_t(width) * size_t(height))
        return nullptr;
    auto texture = std::make_unique<CGuiTexture>();
    if (!CutSprites(pixels.data(), width, height, texture->sprites)) return nullptr;
    if (texture->sprites.size() > 1) ExtrudeSpriteBorders(texture->sprites);
    return texture;
}
