#include "gui/sprite_sheet.h"

#include <algorithm>
#include <array>
#include <climits>

namespace {

constexpr uint8_t kNoLabel = 255;

uint8_t Root(const std::array<uint8_t, 255>& parent, uint8_t label) {
    while (parent[label] != label) label = parent[label];
    return label;
}

}  // namespace

bool CutSprites(const uint32_t* pixels, int width, int height, std::vector<SpriteBitmap>& out) {
    out.clear();
    if (!pixels || width <= 0 || height <= 0) return false;
    const uint32_t key = pixels[0];
    const size_t count = size_t(width) * size_t(height);
    std::vector<uint8_t> grid(count, kNoLabel);
    std::array<uint8_t, 255> parent;
    for (int i = 0; i < 255; ++i) parent[size_t(i)] = uint8_t(i);
    int next = 0;

    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const size_t at = size_t(y) * size_t(width) + size_t(x);
            if (pixels[at] == key) continue;
            const uint8_t left = x > 0 ? grid[at - 1] : kNoLabel;
            const uint8_t up = y > 0 ? grid[at - size_t(width)] : kNoLabel;
            uint8_t label;
            if (left == kNoLabel && up == kNoLabel) {
                if (next == 254) return false;
                label = uint8_t(next++);
            } else if (left == kNoLabel || up == kNoLabel || left == up) {
                label = left == kNoLabel ? up : left;
            } else {
                const uint8_t a = Root(parent, left), b = Root(parent, up);
                label = std::min(a, b);
                parent[a] = parent[b] = label;
            }
            grid[at] = label;
        }
    }

    // Roots in increasing order are the sprite indices.
    std::array<uint8_t, 255> index;
    index.fill(kNoLabel);
    int sprites = 0;
    for (int label = 0; label < next; ++label) {
        const uint8_t root = Root(parent, uint8_t(label));
        if (index[root] == kNoLabel) index[root] = uint8_t(sprites++);
        index[size_t(label)] = index[root];
    }
    struct Box {
        int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    };
    std::vector<Box> boxes(static_cast<size_t>(sprites));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t& cell = grid[size_t(y) * size_t(width) + size_t(x)];
            if (cell == kNoLabel) continue;
            cell = index[cell];
            Box& b = boxes[cell];
            b.left = std::min(b.left, x);
            b.top = std::min(b.top, y);
            b.right = std::max(b.right, x);
            b.bottom = std::max(b.bottom, y);
        }
    }
    out.resize(size_t(sprites));
    for (int s = 0; s < sprites; ++s) {
        const Box& b = boxes[size_t(s)];
        SpriteBitmap& sprite = out[size_t(s)];
        sprite.width = b.right - b.left + 1;
        sprite.height = b.bottom - b.top + 1;
        sprite.pixels.assign(size_t(sprite.width) * size_t(sprite.height), 0);
        for (int y = b.top; y <= b.bottom; ++y)
            for (int x = b.left; x <= b.right; ++x) {
                const size_t at = size_t(y) * size_t(width) + size_t(x);
                if (grid[at] == s)
                    sprite.pixels[size_t(y - b.top) * size_t(sprite.width) + size_t(x - b.left)] = pixels[at];
            }
    }
    return true;
}

void ExtrudeSpriteBorders(std::vector<SpriteBitmap>& sprites) {
    for (SpriteBitmap& sprite : sprites) {
        const int w = sprite.width, h = sprite.height;
        SpriteBitmap framed;
        framed.width = w + 2;
        framed.height = h + 2;
        framed.pixels.resize(size_t(framed.width) * size_t(framed.height));
        for (int y = 0; y < framed.height; ++y) {
            const int sy = std::clamp(y - 1, 0, h - 1);
            for (int x = 0; x < framed.width; ++x) {
                const int sx = std::clamp(x - 1, 0, w - 1);
                framed.pixels[size_t(y) * size_t(framed.width) + size_t(x)] = sprite.At(sx, sy);
            }
        }
        sprite = std::move(framed);
    }
}
