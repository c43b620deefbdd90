#include "gui/sprite_sheet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr uint32_t kKey = 0xFF00FFFF;  // opaque cyan

// A sheet drawn as text: '.' is the key colour, any other letter a pixel
// of the colour 0xFF000000 + the letter.
std::vector<uint32_t> Sheet(const std::vector<std::string>& rows) {
    std::vector<uint32_t> pixels;
    for (const std::string& row : rows)
        for (char c : row) pixels.push_back(c == '.' ? kKey : 0xFF000000u + uint32_t(c));
    return pixels;
}

std::vector<SpriteBitmap> Cut(const std::vector<std::string>& rows, bool* ok = nullptr) {
    const std::vector<uint32_t> pixels = Sheet(rows);
    std::vector<SpriteBitmap> sprites;
    const bool cut = CutSprites(pixels.data(), int(rows[0].size()), int(rows.size()), sprites);
    if (ok) *ok = cut;
    return sprites;
}

}  // namespace

TEST(SpriteSheet, RegionsAreFourConnectedAndNumberedByTheirFirstPixel) {
    // Diagonal neighbours stay apart: the first "a" touches the second only
    // at a corner. The second "a" and the "c" column join through the
    // bottom row into one sprite, numbered by its first pixel.
    const std::vector<SpriteBitmap> sprites = Cut({
        "......",
        ".a.b..",
        "..a.c.",
        "..aac.",
    });
    ASSERT_EQ(3u, sprites.size());
    EXPECT_EQ(1, sprites[0].width);  // the lone "a" at (1,1)
    EXPECT_EQ(1, sprites[1].width);  // "b"
    EXPECT_EQ(3, sprites[2].width);  // the joined a-c shape, 3 x 2
    EXPECT_EQ(2, sprites[2].height);
    EXPECT_EQ(0u, sprites[2].At(1, 0));  // a key pixel inside the box is transparent
    EXPECT_EQ(0xFF000000u + 'c', sprites[2].At(2, 0));
}

TEST(SpriteSheet, MergedLabelsKeepTheSmallestAndOtherRegionsOutOfTheBox) {
    // Two arms meet at the bottom: one sprite, numbered before the "b" that
    // was labelled between them; the "b" inside its box is a sprite of its
    // own and transparent in the first.
    const std::vector<SpriteBitmap> sprites = Cut({
        ".......",
        ".a.b.a.",
        ".a...a.",
        ".aaaaa.",
    });
    ASSERT_EQ(2u, sprites.size());
    EXPECT_EQ(5, sprites[0].width);
    EXPECT_EQ(3, sprites[0].height);
    EXPECT_EQ(0u, sprites[0].At(2, 0));  // the "b" is not part of the U
    EXPECT_EQ(0xFF000000u + 'a', sprites[0].At(4, 0));  // the right arm, labelled after "b"
    EXPECT_EQ(1, sprites[1].width);
    EXPECT_EQ(0xFF000000u + 'b', sprites[1].At(0, 0));
}

TEST(SpriteSheet, AllKeyGivesNoSpritesAndTooManyLabelsAreRefused) {
    bool ok = false;
    EXPECT_TRUE(Cut({"...", "..."}, &ok).empty());
    EXPECT_TRUE(ok);
    // 254 separate dots are the most a sheet may need; one more is refused.
    auto dots = [](int count) {
        std::vector<std::string> rows(2, std::string(size_t(count) * 2 + 1, '.'));
        for (int i = 0; i < count; ++i) rows[1][size_t(i) * 2 + 1] = 'x';
        return rows;
    };
    EXPECT_EQ(254u, Cut(dots(254), &ok).size());
    EXPECT_TRUE(ok);
    EXPECT_TRUE(Cut(dots(255), &ok).empty());
    EXPECT_FALSE(ok);
}

TEST(SpriteSheet, ExtrudedMarginsRepeatTheEdgePixels) {
    std::vector<SpriteBitmap> sprites = Cut({
        "....",
        ".ab.",
        ".cd.",
    });
    ASSERT_EQ(1u, sprites.size());
    ExtrudeSpriteBorders(sprites);
    const SpriteBitmap& s = sprites[0];
    ASSERT_EQ(4, s.width);
    ASSERT_EQ(4, s.height);
    const uint32_t a = 0xFF000000u + 'a', b = 0xFF000000u + 'b', c = 0xFF000000u + 'c', d = 0xFF000000u + 'd';
    const uint32_t expected[4][4] = {{a, a, b, b}, {a, a, b, b}, {c, c, d, d}, {c, c, d, d}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(expected[y][x], s.At(x, y)) << x << "," << y;
}
