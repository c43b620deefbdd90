#include "startup/crc32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

TEST(Crc32Vectors, KnownValues) {
    EXPECT_EQ(0x352441C2u, Crc32("abc", 3));
    EXPECT_EQ(0xCBF43926u, Crc32("123456789", 9));
    EXPECT_EQ(0x414FA339u, Crc32("The quick brown fox jumps over the lazy dog", 43));
    const std::vector<uint8_t> zeros(32, 0);
    EXPECT_EQ(0x190A55ADu, Crc32(zeros.data(), zeros.size()));
}

TEST(Crc32Vectors, ZeroLengthRules) {
    EXPECT_EQ(0xFFFFFFFFu, Crc32("", 0));
    EXPECT_EQ(0x12345678u, Crc32Continue("", 0, 0x12345678u));
    EXPECT_EQ(0u, Crc32Continue(nullptr, 0, 0u));
}

TEST(Crc32Vectors, ContinuingEqualsOneShot) {
    EXPECT_EQ(Crc32("abc", 3), Crc32Continue("bc", 2, Crc32("a", 1)));
}

// The fast paths (slicing and carry-less folding) must agree with the
// byte-at-a-time form for every length, split point and alignment.
TEST(Crc32FastPaths, AgreeWithReferenceForAllSmallLengthsAndOffsets) {
    std::mt19937 rng(7);
    std::vector<uint8_t> data(600);
    for (auto& b : data) b = uint8_t(rng());
    for (size_t offset = 0; offset < 16; ++offset)
        for (size_t len = 1; len + offset <= data.size(); len += (len < 200 ? 1 : 37)) {
            const uint8_t* p = data.data() + offset;
            ASSERT_EQ(Crc32Reference(p, len, 0), Crc32(p, len)) << "offset " << offset << " len " << len;
        }
}

TEST(Crc32FastPaths, AgreeWithReferenceOnLargeBuffersInPieces) {
    std::mt19937 rng(11);
    std::vector<uint8_t> data((1 << 20) + 77);
    for (auto& b : data) b = uint8_t(rng());
    const uint32_t expected = Crc32Reference(data.data(), data.size(), 0);
    EXPECT_EQ(expected, Crc32(data.data(), data.size()));
    uint32_t running = 0;
    size_t off = 0;
    for (size_t piece = 1; off < data.size(); piece = piece * 3 + 5) {
        const size_t n = std::min(piece, data.size() - off);
        running = Crc32Continue(data.data() + off, n, running);
        off += n;
    }
    EXPECT_EQ(expected, running);
}
