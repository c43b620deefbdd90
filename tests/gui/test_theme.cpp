#include "test_theme.h"

#include <zlib.h>

namespace {

constexpr uint32_t kKey = 0xFF00FFFF;

void PutBigEndian(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(char((value >> shift) & 0xFF));
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutBigEndian(out, uint32_t(data.size()));
    const std::string body = std::string(type, 4) + data;
    out += body;
    PutBigEndian(out, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
}

}  // namespace

std::string EncodePng(const std::vector<uint32_t>& argb, int width, int height) {
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < width; ++x) {
            const uint32_t p = argb[size_t(y) * size_t(width) + size_t(x)];
            raw.push_back(char(p >> 16));
            raw.push_back(char(p >> 8));
            raw.push_back(char(p));
            raw.push_back(char(p >> 24));
        }
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::string packed(packedSize, '\0');
    compress(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
             uLong(raw.size()));
    packed.resize(packedSize);
    std::string header;
    PutBigEndian(header, uint32_t(width));
    PutBigEndian(header, uint32_t(height));
    header += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA
    std::string png("\x89PNG\r\n\x1a\n", 8);
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", "");
    return png;
}

std::string SheetPng(const std::vector<SpriteBitmap>& sprites) {
    int width = 1, height = 0;
    for (const SpriteBitmap& s : sprites) {
        width += s.width + 1;
        height = std::max(height, s.height);
    }
    height += 2;
    std::vector<uint32_t> pixels(size_t(width) * size_t(height), kKey);
    int x0 = 1;
    for (const SpriteBitmap& s : sprites) {
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x) pixels[size_t(y + 1) * size_t(width) + size_t(x0 + x)] = s.At(x, y);
        x0 += s.width + 1;
    }
    return EncodePng(pixels, width, height);
}

SpriteBitmap SolidSprite(int width, int height, uint32_t argb) {
    SpriteBitmap s;
    s.width = width;
    s.height = height;
    s.pixels.assign(size_t(width) * size_t(height), argb);
    return s;
}

bool CMapThemeSource::Read(const std::string& path, std::string& bytes) const {
    const auto it = files.find(path);
    if (it == files.end()) return false;
    bytes = it->second;
    return true;
}
