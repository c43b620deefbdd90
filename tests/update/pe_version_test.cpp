#include "update/pe_version.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

void Put(std::string& b, size_t at, uint32_t v, int bytes) {
    if (b.size() < at + size_t(bytes)) b.resize(at + size_t(bytes), '\0');
    for (int i = 0; i < bytes; ++i) b[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

// A minimal image: DOS header, PE header, one ".rsrc" section at RVA
// 0x1000 (file offset 0x200) holding a version resource 16/1/0x409.
std::string Image(bool pe32plus, uint16_t a, uint16_t b, uint16_t c, uint16_t d, uint32_t resourceType = 16) {
    std::string img(0x200, '\0');
    img[0] = 'M';
    img[1] = 'Z';
    Put(img, 60, 0x40, 4);
    Put(img, 0x40, 0x00004550, 4);
    Put(img, 0x44, pe32plus ? 0x8664 : 0x14C, 2);
    Put(img, 0x46, 1, 2);  // sections
    const uint32_t optSize = pe32plus ? 240 : 224;
    Put(img, 0x54, optSize, 2);
    const size_t opt = 0x58;
    Put(img, opt, pe32plus ? 0x20B : 0x10B, 2);
    const size_t dirs = opt + (pe32plus ? 112 : 96);
    Put(img, dirs + 16, 0x1000, 4);  // resource directory RVA
    Put(img, dirs + 20, 0x100, 4);
    const size_t sec = opt + optSize;
    std::memcpy(&img[sec], ".rsrc", 5);
    Put(img, sec + 8, 0x100, 4);    // virtual size
    Put(img, sec + 12, 0x1000, 4);  // virtual address
    Put(img, sec + 16, 0x100, 4);   // raw size
    Put(img, sec + 20, 0x200, 4);   // raw pointer
    const size_t r = 0x200;
    img.resize(r + 0x100, '\0');
    Put(img, r + 14, 1, 2);  // one id entry
    Put(img, r + 16, resourceType, 4);
    Put(img, r + 20, 0x80000000u | 0x18, 4);
    Put(img, r + 0x18 + 14, 1, 2);
    Put(img, r + 0x18 + 16, 1, 4);
    Put(img, r + 0x18 + 20, 0x80000000u | 0x30, 4);
    Put(img, r + 0x30 + 14, 1, 2);
    Put(img, r + 0x30 + 16, 0x409, 4);
    Put(img, r + 0x30 + 20, 0x48, 4);
    Put(img, r + 0x48, 0x1000 + 0x58, 4);  // data RVA
    Put(img, r + 0x48 + 4, 0x5C, 4);       // data size
    const size_t v = r + 0x58;
    Put(img, v, 0x5C, 2);
    Put(img, v + 2, 52, 2);
    const char* key = "VS_VERSION_INFO";
    for (int i = 0; key[i]; ++i) Put(img, v + 6 + size_t(i) * 2, uint8_t(key[i]), 2);
    Put(img, v + 40, 0xFEEF04BD, 4);
    Put(img, v + 48, uint32_t(a) << 16 | b, 4);
    Put(img, v + 52, uint32_t(c) << 16 | d, 4);
    return img;
}

}  // namespace

TEST(PeVersion, ReadsTheFixedFileVersionOfBothImageKinds) {
    std::string version, error;
    ASSERT_TRUE(ReadPeFileVersion(Image(false, 1, 0, 0, 1), version, error)) << error;
    EXPECT_EQ("1.0.0.1", version);
    ASSERT_TRUE(ReadPeFileVersion(Image(true, 65535, 12, 300, 7), version, error)) << error;
    EXPECT_EQ("65535.12.300.7", version);
}

TEST(PeVersion, RefusesImagesWithoutVersionAndNeverReadsPastTheEnd) {
    std::string version, error;
    EXPECT_FALSE(ReadPeFileVersion("MZ but nothing else", version, error));
    EXPECT_FALSE(ReadPeFileVersion(Image(false, 1, 2, 3, 4, 3 /* RT_ICON */), version, error));
    EXPECT_EQ("no version resource", error);
    std::string noSignature = Image(false, 1, 2, 3, 4);
    Put(noSignature, 0x200 + 0x58 + 40, 0, 4);
    EXPECT_FALSE(ReadPeFileVersion(noSignature, version, error));
    const std::string good = Image(true, 1, 2, 3, 4);
    for (size_t n = 0; n < 0x2B4; n += 7)  // the version data ends at 0x2B4
        EXPECT_FALSE(ReadPeFileVersion(good.substr(0, n), version, error)) << n;
    std::string loop = good;  // a directory pointing at itself
    Put(loop, 0x200 + 0x18 + 20, 0x80000000u | 0x0, 4);
    EXPECT_FALSE(ReadPeFileVersion(loop, version, error));
}
