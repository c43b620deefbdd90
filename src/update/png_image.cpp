#include "png_image.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <new>

namespace {

struct Source {
    const uint8_t* data;
    size_t size;
    size_t offset;
};

void ReadCallback(png_structp png, png_bytep out, png_size_t length) {
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (length > source->size - source->offset) png_error(png, "read past the end");
    std::memcpy(out, source->data + source->offset, length);
    source->offset += length;
}

// Pictures bigger than this are refused from the header, before any row
// is allocated: a header can claim up to 2^16 pixels a side.
constexpr uint64_t kMaxPixels = uint64_t(1) << 26;

// The decoded rows; kept by the caller so that no C++ object with a
// destructor lives in the frame libpng jumps back to.
struct Rows {
    std::vector<uint8_t> bytes;
    std::vector<png_bytep> starts;
};

// Everything inside libpng's error jump.
bool Decode(png_structp png, png_infop info, Source* source, Rows& decoded, std::vector<uint8_t>& pixels,
            int32_t& width, int32_t& height) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, source, ReadCallback);
    png_set_user_limits(png, 1u << 16, 1u << 16);
    png_read_info(png, info);
    const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    if (!w || !h || uint64_t(w) * h > kMaxPixels) return false;
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const int type = png_get_color_type(png, info);
    if (type != PNG_COLOR_TYPE_GRAY && type != PNG_COLOR_TYPE_RGB && type != PNG_COLOR_TYPE_GRAY_ALPHA &&
        type != PNG_COLOR_TYPE_RGBA)
        return false;
    const size_t rowBytes = png_get_rowbytes(png, info);
    decoded.bytes.resize(rowBytes * h);
    decoded.starts.resize(h);
    for (png_uint_32 y = 0; y < h; ++y) decoded.starts[y] = decoded.bytes.data() + y * rowBytes;
    png_read_image(png, decoded.starts.data());
    png_read_end(png, info);
    png_bytepp rows = decoded.starts.data();
    pixels.resize(size_t(w) * h * 4);
    uint8_t* out = pixels.data();
    for (png_uint_32 y = 0; y < h; ++y) {
        const png_bytep in = rows[y];
        for (png_uint_32 x = 0; x < w; ++x, out += 4) {
            switch (type) {
            case PNG_COLOR_TYPE_GRAY:
                out[0] = out[1] = out[2] = in[x];
                out[3] = 255;
                break;
            case PNG_COLOR_TYPE_RGB:
                out[0] = in[x * 3 + 2], out[1] = in[x * 3 + 1], out[2] = in[x * 3];
                out[3] = 255;
                break;
            case PNG_COLOR_TYPE_GRAY_ALPHA:
                out[0] = out[1] = out[2] = in[x * 2];
                out[3] = in[x * 2 + 1];
                break;
            default:
                out[0] = in[x * 4 + 2], out[1] = in[x * 4 + 1], out[2] = in[x * 4];
                out[3] = in[x * 4 + 3];
                break;
            }
        }
    }
    width = int32_t(w);
    height = int32_t(h);
    return true;
}

}  // namespace

bool PngImage::Load(const void* bytes, size_t size) {
    loaded_ = false;
    pixels_.clear();
    pixels_.shrink_to_fit();
    width_ = height_ = 0;
    if (!bytes || size < 8 || png_sig_cmp(static_cast<png_const_bytep>(bytes), 0, 8) != 0) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    Source source{static_cast<const uint8_t*>(bytes), size, 0};
    Rows decoded;
    std::vector<uint8_t> pixels;
    int32_t width = 0, height = 0;
    bool ok = false;
    try {
        ok = Decode(png, info, &source, decoded, pixels, width, height);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok) return false;
    pixels_.swap(pixels);
    width_ = width;
    height_ = height;
    loaded_ = true;
    return true;
}

bool DecodePngPixels(const std::string& bytes, std::vector<uint32_t>& pixels, int& width, int& height) {
    PngImage image;
    if (!image.Load(bytes.data(), bytes.size())) return false;
    width = image.width();
    height = image.height();
    pixels.resize(image.pixels().size() / 4);
    std::memcpy(pixels.data(), image.pixels().data(), pixels.size() * 4);
    return true;
}
