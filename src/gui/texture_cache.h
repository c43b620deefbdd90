#pragma once
// The theme's pictures, cut into sprites once and kept by the exact path
// text of the theme. A picture that cannot be used is kept as null and not
// tried again. Reading the package and decoding PNG are handed in, so the
// cache itself is portable. The window's thread only.

#include "gui/gui_profile.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Decoded pictures are at most this large (4 bytes a pixel); a larger one
// is refused from its header, before any decoding.
constexpr uint64_t kMaxDecodedPictureBytes = 64u << 20;

// Width and height from a PNG's header; false when the bytes are no PNG.
bool PngDimensions(const std::string& bytes, uint32_t& width, uint32_t& height);

class CGuiTextureCache {
public:
    // The bytes of a theme file by its path relative to the theme folder.
    using Reader = std::function<bool(const std::string& path, std::string& bytes)>;
    // PNG bytes to ARGB pixels, rows top to bottom.
    using Decoder = std::function<bool(const std::string& bytes, std::vector<uint32_t>& pixels, int& width,
                                       int& height)>;

    CGuiTextureCache(Reader reader, Decoder decoder) : reader_(std::move(reader)), decoder_(std::move(decoder)) {}

    const CGuiTexture* GetTexture(const std::string& path);

private:
    std::unique_ptr<CGuiTexture> Load(const std::string& path) const;

    Reader reader_;
    Decoder decoder_;
    std::map<std::string, std::unique_ptr<CGuiTexture>> textures_;
};
