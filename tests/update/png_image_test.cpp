#include "update/png_image.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace {

struct PngPlan {
    int width = 2, height = 2, colorType = PNG_COLOR_TYPE_RGB, depth = 8;
    std::vector<std::vector<uint8_t>> rows;  // packed as PNG stores them
    std::vector<png_color> palette;
    std::vector<uint8_t> transparency;
};

void WriteCallback(png_structp png, png_bytep data, png_size_t n) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), n);
}

// Encodes with libpng's writer, so fixtures come from the real tool.
std::string Encode(PngPlan picture) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, WriteCallback, nullptr);
    png_set_IHDR(png, info, png_uint_32(picture.width), png_uint_32(picture.height), picture.depth, picture.colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!picture.palette.empty()) png_set_PLTE(png, info, picture.palette.data(), int(picture.palette.size()));
    if (!picture.transparency.empty())
        png_set_tRNS(png, info, picture.transparency.data(), int(picture.transparency.size()), nullptr);
    std::vector<png_bytep> rows;
    for (auto& r : picture.rows) rows.push_back(r.data());
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<uint8_t> Decode(const std::string& bytes, PngImage& image) {
    EXPECT_TRUE(image.Load(bytes.data(), bytes.size()));
    return image.pixels();
}

}  // namespace

TEST(PngImage, PaletteWithTransparencyGivesAlphaFromTheChunk) {
    PngPlan s;
    s.width = 4;
    s.height = 1;
    s.colorType = PNG_COLOR_TYPE_PALETTE;
    s.depth = 2;
    s.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {10, 20, 30}};
    s.transparency = {0, 128};  // entries 2 and 3 stay opaque
    s.rows = {{0x1B}};          // indices 0, 1, 2, 3
    PngImage image;
    const auto px = Decode(Encode(s), image);
    ASSERT_EQ(4, image.width());
    ASSERT_EQ(1, image.height());
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 255, 0, 0, 255, 0, 128, 255, 0, 0, 255, 30, 20, 10, 255}), px);
}

TEST(PngImage, EveryColourTypeBecomesBgra) {
    PngImage image;
    PngPlan gray;
    gray.width = 8;
    gray.height = 1;
    gray.colorType = PNG_COLOR_TYPE_GRAY;
    gray.depth = 1;
    gray.rows = {{0x80}};
    auto px = Decode(Encode(gray), image);
    ASSERT_EQ(32u, px.size());
    EXPECT_EQ((std::vector<uint8_t>{255, 255, 255, 255, 0, 0, 0, 255}), std::vector<uint8_t>(px.begin(), px.begin() + 8));

    PngPlan rgb;
    rgb.width = 1;
    rgb.height = 2;
    rgb.rows = {{1, 2, 3}, {4, 5, 6}};
    EXPECT_EQ((std::vector<uint8_t>{3, 2, 1, 255, 6, 5, 4, 255}), Decode(Encode(rgb), image));

    PngPlan ga;
    ga.width = 1;
    ga.height = 1;
    ga.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
    ga.rows = {{77, 9}};
    EXPECT_EQ((std::vector<uint8_t>{77, 77, 77, 9}), Decode(Encode(ga), image));

    PngPlan rgba;
    rgba.width = 2;
    rgba.height = 1;
    rgba.colorType = PNG_COLOR_TYPE_RGBA;
    rgba.rows = {{1, 2, 3, 4, 5, 6, 7, 8}};
    EXPECT_EQ((std::vector<uint8_t>{3, 2, 1, 4, 7, 6, 5, 8}), Decode(Encode(rgba), image));

    PngPlan deep;  // 16-bit samples keep their high bytes
    deep.width = 1;
    deep.height = 1;
    deep.depth = 16;
    deep.rows = {{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}};
    EXPECT_EQ((std::vector<uint8_t>{0x9A, 0x56, 0x12, 255}), Decode(Encode(deep), image));
}

TEST(PngImage, BadDataFailsAndLeavesNoPicture) {
    PngPlan rgb;
    rgb.width = 2;
    rgb.height = 2;
    rgb.rows = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}};
    const std::string good = Encode(rgb);
    PngImage image;
    ASSERT_TRUE(image.Load(good.data(), good.size()));

    EXPECT_FALSE(image.Load("GIF89a..", 8));
    EXPECT_FALSE(image.loaded());
    EXPECT_TRUE(image.pixels().empty());
    EXPECT_FALSE(image.Load(good.data(), 7));
    EXPECT_FALSE(image.Load(nullptr, 100));
    for (size_t n = 8; n < good.size(); n += 3) EXPECT_FALSE(image.Load(good.data(), n)) << n;

    // A header claiming 100000 x 100000 pixels (CRC fixed up so only the size lies).
    std::string lying = good;
    const uint32_t side = 100000;
    for (int at : {16, 20})
        for (int i = 0; i < 4; ++i) lying[size_t(at + i)] = char((side >> (24 - 8 * i)) & 0xFF);
    const uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(lying.data() + 12), 17));
    for (int i = 0; i < 4; ++i) lying[size_t(29 + i)] = char((crc >> (24 - 8 * i)) & 0xFF);
    EXPECT_FALSE(image.Load(lying.data(), lying.size()));
    EXPECT_FALSE(image.loaded());

    std::string flipped = good;
    flipped[flipped.size() - 20] ^= 0x40;  // inside the image data
    EXPECT_FALSE(image.Load(flipped.data(), flipped.size()));
}
