#pragma once
// A PNG picture decoded through libpng into 32-bit pixels: rows top to
// bottom, each pixel blue, green, red, alpha (not premultiplied). Used by
// the theme loader. One owner at a time.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class PngImage {
public:
    // Decodes the bytes; on failure the image is not loaded and keeps no
    // pixels. Palette and low-depth gray images are expanded, a
    // transparency chunk becomes alpha; 16-bit samples are reduced to 8.
    bool Load(const void* bytes, size_t size);

    bool loaded() const { return loaded_; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    const std::vector<uint8_t>& pixels() const { return pixels_; }

private:
    bool loaded_ = false;
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<uint8_t> pixels_;
};

// The texture cache's decoder: the picture as ARGB words (the blue, green,
// red, alpha bytes read as one little-endian word).
bool DecodePngPixels(const std::string& bytes, std::vector<uint32_t>& pixels, int& width, int& height);
