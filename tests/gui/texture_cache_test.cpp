#include "gui/texture_cache.h"

#include <gtest/gtest.h>

#include <map>

namespace {

constexpr uint32_t kKey = 0xFF00FFFF;

// A PNG header announcing width x height; the body is not real PNG data:
// the fake decoder gives the pixels the test registered for the path.
std::string Header(uint32_t width, uint32_t height) {
    std::string b("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    for (uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) b += char((v >> shift) & 0xFF);
    return b;
}

struct Pictures {
    std::map<std::string, std::string> files;
    std::map<std::string, std::vector<uint32_t>> pixels;  // by the file's bytes
    int decoded = 0;

    CGuiTextureCache Cache() {
        return CGuiTextureCache(
            [this](const std::string& path, std::string& bytes) {
                const auto it = files.find(path);
                if (it == files.end()) return false;
                bytes = it->second;
                return true;
            },
            [this](const std::string& bytes, std::vector<uint32_t>& out, int& width, int& height) {
                ++decoded;
                uint32_t w = 0, h = 0;
                PngDimensions(bytes, w, h);
                const auto it = pixels.find(bytes);
                if (it == pixels.end()) return false;
                out = it->second;
                width = int(w);
                height = int(h);
                return true;
            });
    }
    void Add(const std::string& path, uint32_t w, uint32_t h, std::vector<uint32_t> image) {
        files[path] = Header(w, h) + path;  // distinct bytes per picture
        pixels[files[path]] = std::move(image);
    }
};

}  // namespace

TEST(TextureCache, OneSpriteHasNoMarginSeveralAreExtrudedAndPathsAreKeptAsWritten) {
    Pictures pictures;
    const uint32_t x = 0xFF112233;
    pictures.Add("one.png", 3, 2, {kKey, kKey, kKey, kKey, x, x});
    pictures.Add("two.png", 3, 2, {kKey, kKey, kKey, x, kKey, x});
    CGuiTextureCache cache = pictures.Cache();
    const CGuiTexture* one = cache.GetTexture("one.png");
    ASSERT_NE(nullptr, one);
    ASSERT_EQ(1u, one->sprites.size());
    EXPECT_EQ(2, one->sprites[0].width);
    const CGuiTexture* two = cache.GetTexture("two.png");
    ASSERT_NE(nullptr, two);
    ASSERT_EQ(2u, two->sprites.size());
    EXPECT_EQ(3, two->sprites[0].width);  // 1 pixel and its margin
    EXPECT_EQ(one, cache.GetTexture("one.png"));
    EXPECT_EQ(2, pictures.decoded);
    pictures.files["dir\\\\one.png"] = pictures.files["one.png"];
    EXPECT_NE(one, cache.GetTexture("dir\\\\one.png"));  // another spelling: loaded again
    EXPECT_EQ(3, pictures.decoded);
}

TEST(TextureCache, OversizedMissingAndBrokenPicturesAreNullAndNotTriedAgain) {
    Pictures pictures;
    pictures.files["huge.png"] = Header(8193, 2048);  // 64 MiB + 32 KiB decoded
    pictures.files["broken.png"] = Header(2, 2) + "garbage";
    pictures.files["notpng.png"] = "GIF89a";
    CGuiTextureCache cache = pictures.Cache();
    EXPECT_EQ(nullptr, cache.GetTexture("huge.png"));
    EXPECT_EQ(0, pictures.decoded);  // refused from the header alone
    EXPECT_EQ(nullptr, cache.GetTexture("notpng.png"));
    EXPECT_EQ(nullptr, cache.GetTexture("missing.png"));
    EXPECT_EQ(nullptr, cache.GetTexture("broken.png"));
    EXPECT_EQ(nullptr, cache.GetTexture("broken.png"));
    EXPECT_EQ(1, pictures.decoded);
}
