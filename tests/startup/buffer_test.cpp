#include "startup/buffer.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(BufferGrowth, GrowStepRoundsCapacityUpAndExactWithoutStep) {
    CBuffer exact;
    ASSERT_TRUE(exact.reserve(10));
    EXPECT_EQ(10u, exact.capacity());

    CBuffer stepped(64);
    ASSERT_TRUE(stepped.reserve(65));
    EXPECT_EQ(128u, stepped.capacity());
    ASSERT_EQ(3u, stepped.append("abc", 3));
    EXPECT_EQ(128u, stepped.capacity());
}

TEST(BufferGrowth, ShrinkingCutsLengthAndZeroFreesEverything) {
    CBuffer b;
    b.append("abcdef", 6);
    ASSERT_TRUE(b.reserve(4));
    EXPECT_EQ(4u, b.length());
    EXPECT_EQ(0, std::memcmp(b.data(), "abcd", 4));
    ASSERT_TRUE(b.reserve(0));
    EXPECT_EQ(0u, b.length());
    EXPECT_EQ(0u, b.capacity());
    EXPECT_EQ(nullptr, b.data());
}

TEST(BufferGrowth, AppendKeepsEarlierBytesAcrossReallocation) {
    CBuffer b;
    for (int i = 0; i < 1000; ++i) {
        const unsigned char c = static_cast<unsigned char>(i);
        ASSERT_EQ(1u, b.append(&c, 1));
    }
    ASSERT_EQ(1000u, b.length());
    for (uint32_t i = 0; i < 1000; ++i) EXPECT_EQ(static_cast<unsigned char>(i), *b.at(i));
    EXPECT_EQ(nullptr, b.at(1000));
}

TEST(BufferAccess, WritePointerAndCommitRespectFreeSpace) {
    CBuffer b;
    EXPECT_EQ(nullptr, b.write_pointer(1));
    ASSERT_TRUE(b.ensure_free(8));
    uint8_t* w = b.write_pointer(8);
    ASSERT_NE(nullptr, w);
    std::memcpy(w, "12345678", 8);
    EXPECT_FALSE(b.commit(9));
    EXPECT_TRUE(b.commit(8));
    EXPECT_EQ(8u, b.length());
    EXPECT_EQ(nullptr, b.write_pointer(1));
    EXPECT_FALSE(b.commit(1));
}

TEST(BufferAccess, FindCopyAndStrings) {
    CBuffer b;
    b.append("a\0b\nc", 5);
    EXPECT_EQ(1, b.find(0));
    EXPECT_EQ(3, b.find('\n'));
    EXPECT_EQ(-1, b.find('z'));
    std::string s;
    b.to_string(s);
    EXPECT_EQ(std::string("a\0b\nc", 5), s);

    char out[3];
    b.copy_out(out, 3);
    EXPECT_EQ(0, std::memcmp(out, "a\0b", 3));

    CBuffer wide;
    const uint8_t utf16[] = {'h', 0, 0x16, 0x04, 0, 0};  // "h", U+0416, embedded zero
    wide.append(utf16, sizeof utf16);
    std::wstring ws;
    wide.to_wide_string(ws);
    ASSERT_EQ(3u, ws.size());
    EXPECT_EQ(L'h', ws[0]);
    EXPECT_EQ(wchar_t(0x0416), ws[1]);
    EXPECT_EQ(L'\0', ws[2]);
}

TEST(BufferAccess, TerminatorsAreNotCountedAsText) {
    CBuffer b;
    b.append("xy", 2);
    const char* text = reinterpret_cast<const char*>(b.terminate());
    EXPECT_STREQ("xy", text);
    EXPECT_EQ(2u, b.length());
    uint8_t* w = b.terminate_wide();
    EXPECT_EQ(0, w[2]);
    EXPECT_EQ(0, w[3]);
    EXPECT_EQ(2u, b.length());
}

TEST(BufferOwnership, TakeMovesTheBlockAndEmptiesTheSource) {
    CBuffer a, b;
    a.append("old", 3);
    b.append("payload", 7);
    a.take(b);
    EXPECT_EQ(7u, a.length());
    EXPECT_EQ(0, std::memcmp(a.data(), "payload", 7));
    EXPECT_EQ(0u, b.length());
    EXPECT_EQ(nullptr, b.data());
    a.clear();
    EXPECT_EQ(0u, a.length());
    EXPECT_GE(a.capacity(), 7u);
}

TEST(BufferXor, CyclesThroughTheKeyAndReportsTheNextPosition) {
    CBuffer b;
    const uint8_t plain[] = {1, 2, 3, 4, 5};
    b.append(plain, 5);
    const uint8_t key[] = {0xF0, 0x0F};
    EXPECT_EQ(0, b.xor_range(1, 3, key, 2, 1));  // key bytes 0x0F, 0xF0, 0x0F
    EXPECT_EQ(1, *b.at(0));
    EXPECT_EQ(2 ^ 0x0F, *b.at(1));
    EXPECT_EQ(3 ^ 0xF0, *b.at(2));
    EXPECT_EQ(4 ^ 0x0F, *b.at(3));
    EXPECT_EQ(5, *b.at(4));
    // Applying the same key positions again restores the bytes.
    EXPECT_EQ(0, b.xor_range(1, 3, key, 2, 1));
    EXPECT_EQ(0, std::memcmp(b.data(), plain, 5));
}

TEST(BufferXor, RefusesRangesOutsideTheDataAndBadKeyPositions) {
    CBuffer b;
    b.append("abcd", 4);
    const uint8_t key[] = {1, 2, 3};
    EXPECT_EQ(-1, b.xor_range(2, 3, key, 3, 0));
    EXPECT_EQ(-1, b.xor_range(0xFFFFFFFFu, 2, key, 3, 0));
    EXPECT_EQ(-1, b.xor_range(0, 1, key, 3, 3));
    EXPECT_EQ(0, std::memcmp(b.data(), "abcd", 4));
}

TEST(BufferBlocks, ALargeFreedBlockServesTheNextBufferOfAboutItsSizeOnly) {
    const uint32_t part = 16u << 20;
    uint8_t* block = nullptr;
    {
        CBuffer first;
        ASSERT_TRUE(first.reserve(part + 1));
        block = first.data();
        first.append("part", 4);
    }
    // Far smaller buffers get blocks of their own: a kept part must not pin
    // many times the memory they need.
    CBuffer small;
    ASSERT_TRUE(small.reserve(part / 4));
    EXPECT_NE(block, small.data());
    EXPECT_LE(small.capacity(), part / 2);

    CBuffer next;
    ASSERT_TRUE(next.reserve(part - 4096));
    EXPECT_EQ(block, next.data());
    EXPECT_EQ(part + 1, next.capacity());
    EXPECT_EQ(0u, next.length());
    ASSERT_EQ(part - 4096, next.append(std::string(part - 4096, 'x').data(), part - 4096));
}
