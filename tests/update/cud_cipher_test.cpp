#include "update/cud_cipher.h"

#include <gtest/gtest.h>

namespace {
std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}
}  // namespace

TEST(CudCipher, AesEcbKnownAnswerAndPadding) {
    // FIPS-197 example: one block, then a whole block of PKCS#7 padding.
    std::string plain;
    for (int i = 0; i < 16; ++i) plain += char(i * 0x11);
    std::string data;
    ASSERT_TRUE(CudEncipher("000102030405060708090A0B0C0D0E0F", plain, data));
    ASSERT_EQ(32u, data.size());
    EXPECT_EQ("69c4e0d86a7b0430d8cdb78070b4c55a", Hex(data.substr(0, 16)));
    // Lower-case digits are the same key.
    std::string again;
    ASSERT_TRUE(CudEncipher("000102030405060708090a0b0c0d0e0f", plain, again));
    EXPECT_EQ(data, again);
}

TEST(CudCipher, DocumentsRoundTripWithTheLauncherKey) {
    for (size_t length : {0u, 1u, 15u, 16u, 17u, 1000u}) {
        const std::string doc = "<ClientUpdateData>" + std::string(length, 'x') + "</ClientUpdateData>";
        std::string data, back;
        ASSERT_TRUE(CudEncipher(kLauncherCudKey, doc, data));
        EXPECT_EQ((doc.size() / 16 + 1) * 16, data.size());  // the next multiple of 16 above
        EXPECT_FALSE(CudIsPlain(data));
        ASSERT_TRUE(CudDecipher(kLauncherCudKey, data, back));
        EXPECT_EQ(doc, back);
    }
}

TEST(CudCipher, UnusableKeysAndDamagedData) {
    std::string out = "stale";
    EXPECT_FALSE(CudEncipher("7D31C0A9E4B2F85617C3D09A2E6B4F8", "<ClientUpdateData/>", out));   // 31 digits
    EXPECT_FALSE(CudEncipher("7D31C0A9E4B2F85617C3D09A2E6B4F811", "<ClientUpdateData/>", out)); // 33
    EXPECT_FALSE(CudEncipher("7D31C0A9E4B2F85617C3D09A2E6B4F8G", "<ClientUpdateData/>", out));  // not hex
    EXPECT_TRUE(out.empty());
    std::string data;
    ASSERT_TRUE(CudEncipher(kLauncherCudKey, "<ClientUpdateData/>", data));
    EXPECT_FALSE(CudDecipher(kLauncherCudKey, data.substr(0, 20), out));  // not whole blocks
    std::string other;
    const bool deciphered = CudDecipher("00000000000000000000000000000000", data, other);
    EXPECT_TRUE(!deciphered || other != "<ClientUpdateData/>");
}

TEST(CudCipher, PlainFilesAsTheLauncherSeesThem) {
    EXPECT_TRUE(CudIsPlain("<ClientUpdateData><Face id=\"x\"/></ClientUpdateData>"));
    EXPECT_TRUE(CudIsPlain("1234567"));     // shorter than 8 bytes
    EXPECT_FALSE(CudIsPlain("12345678"));
    EXPECT_FALSE(CudIsPlain("<?xml version=\"1.0\"?><ClientUpdateData/>"));
}
