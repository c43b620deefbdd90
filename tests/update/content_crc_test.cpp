#include "startup/crc32.h"
#include "update/content_crc.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

// The checker hashes a whole file with Crc32; manifests must carry the
// same value, also for empty files (0xFFFFFFFF, not the plain CRC's 0).
TEST(ContentCrc, AgreesWithTheCheckersOneShotCrc) {
    CContentCrc empty;
    EXPECT_EQ(Crc32(nullptr, 0), empty.Value());
    EXPECT_EQ(4294967295u, empty.Value());
    empty.Add("", 0);
    EXPECT_EQ(4294967295u, empty.Value());
    EXPECT_EQ(0u, empty.Size());

    std::mt19937 rng(3);
    std::string data(1 << 20, '\0');
    for (char& c : data) c = char(rng());
    for (size_t piece : {1u, 7u, 4096u, 1u << 20}) {
        CContentCrc sum;
        for (size_t at = 0; at < data.size(); at += piece) sum.Add(data.data() + at, std::min(piece, data.size() - at));
        EXPECT_EQ(Crc32(data.data(), data.size()), sum.Value()) << piece;
        EXPECT_EQ(data.size(), sum.Size());
    }
    CContentCrc one;
    one.Add("a", 1);
    EXPECT_EQ(0xE8B7BE43u, one.Value());  // the standard CRC-32 of "a"
}
