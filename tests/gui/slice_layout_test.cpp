#include "gui/slice_layout.h"

#include <gtest/gtest.h>

namespace {

// Sprites of the given usable sizes, with their one-pixel margin.
CGuiTexture Texture(const std::vector<std::pair<int, int>>& usable) {
    CGuiTexture t;
    for (const auto& size : usable) {
        SpriteBitmap s;
        s.width = size.first + 2;
        s.height = size.second + 2;
        s.pixels.assign(size_t(s.width) * size_t(s.height), 0);
        t.sprites.push_back(s);
    }
    return t;
}

void ExpectRect(const SliceDraw& d, size_t sprite, int32_t x, int32_t y, int32_t w, int32_t h) {
    EXPECT_EQ(sprite, d.sprite);
    EXPECT_EQ(x, d.destination.x) << "sprite " << sprite;
    EXPECT_EQ(y, d.destination.y) << "sprite " << sprite;
    EXPECT_EQ(w, d.destination.width) << "sprite " << sprite;
    EXPECT_EQ(h, d.destination.height) << "sprite " << sprite;
}

}  // namespace

TEST(SliceLayout, NineSliceCornersScaleTwiceTruncatedAndSpansFollowThreeCorners) {
    // Corners 7x5 (bottom ones 9x3), edges 7 and 5 wide; zoom 1, scale 1.5.
    const CGuiTexture t = Texture({{7, 5}, {1, 5}, {7, 5}, {7, 1}, {1, 1}, {5, 1}, {9, 3}, {1, 3}, {9, 3}});
    std::vector<SliceDraw> d;
    ASSERT_TRUE(NineSliceLayout(t, 0, {10, 20, 100, 60}, 1.0f, 1.5f, d));
    ASSERT_EQ(9u, d.size());
    ExpectRect(d[0], 0, 10, 20, 10, 7);         // trunc(7 * 1.5), trunc(5 * 1.5)
    ExpectRect(d[1], 1, 20, 20, 80, 7);         // 100 - 10 - 10
    ExpectRect(d[2], 2, 100, 20, 10, 7);
    ExpectRect(d[3], 5, 100, 27, 7, 49);        // the right edge: trunc(5 * 1.5) wide; 60 - 7 - 4
    ExpectRect(d[4], 4, 20, 27, 80, 49);
    ExpectRect(d[5], 3, 10, 27, 10, 49);
    ExpectRect(d[6], 6, 10, 76, 13, 4);         // trunc(9 * 1.5), trunc(3 * 1.5); y = 20 + 60 - 4
    ExpectRect(d[7], 7, 20, 76, 80, 4);
    ExpectRect(d[8], 8, 100, 76, 13, 4);        // placed by the top-right corner's width
    EXPECT_FALSE(NineSliceLayout(t, 1, {0, 0, 10, 10}, 1.0f, 1.0f, d));
}

TEST(SliceLayout, ThreeSliceCapsFollowTheHeightAndTheVerticalColumnTheScale) {
    const CGuiTexture t = Texture({{6, 10}, {1, 10}, {4, 10}, {5, 4}, {1, 1}, {1, 1}, {5, 2}, {1, 1}, {1, 1}, {5, 6}});
    std::vector<SliceDraw> d;
    ASSERT_TRUE(ThreeSliceLayout(t, 0, {0, 0, 100, 25}, 1.0f, d));  // k = 2.5
    ExpectRect(d[0], 0, 0, 0, 15, 25);
    ExpectRect(d[1], 1, 15, 0, 75, 25);
    ExpectRect(d[2], 2, 90, 0, 10, 25);
    ASSERT_TRUE(ThreeSliceVerticalLayout(t, 3, {5, 5, 12, 100}, 1.0f, 2.0f, d));
    ExpectRect(d[0], 3, 5, 5, 12, 8);      // usable height 4 at scale 2
    ExpectRect(d[1], 6, 5, 13, 12, 80);    // sprite first + 3
    ExpectRect(d[2], 9, 5, 93, 12, 12);    // sprite first + 6, height 6 at scale 2
    EXPECT_FALSE(ThreeSliceVerticalLayout(t, 4, {0, 0, 1, 1}, 1.0f, 1.0f, d));
}
