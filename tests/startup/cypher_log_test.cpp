#include "common/temp_folder.h"
#include "startup/cypher_log.h"
#include "startup/text.h"

#include <openssl/evp.h>
#include <openssl/provider.h>
#include <zlib.h>

#include <cstring>
#include <vector>

namespace {

const uint8_t kKey[] = {'l', 'a', 'u', 'n', 'c', 'h', 'e', 'r', '-', 'k', 'e', 'y'};

struct Block {
    uint32_t length;      // as stored in the header
    std::string payload;  // bytes after the header up to the next block
};

std::vector<Block> SplitBlocks(const std::string& file) {
    std::vector<Block> blocks;
    size_t at = 0;
    while (at + 8 <= file.size()) {
        EXPECT_EQ(0, std::memcmp(file.data() + at, "ZCL1", 4));
        uint32_t len;
        std::memcpy(&len, file.data() + at + 4, 4);
        const size_t end = len ? at + len : file.size();
        blocks.push_back({len, file.substr(at + 8, end - at - 8)});
        if (end <= at) break;
        at = end;
    }
    return blocks;
}

// Deciphers one block (its CBC chain starts with a zero IV) and inflates
// the result. `finished` says whether the writer closed the block.
std::string Decode(const std::string& payload, bool finished) {
    OSSL_PROVIDER_load(nullptr, "legacy");
    OSSL_PROVIDER_load(nullptr, "default");
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    const uint8_t iv[8] = {};
    EVP_DecryptInit_ex(ctx, EVP_bf_cbc(), nullptr, nullptr, nullptr);
    EVP_CIPHER_CTX_set_key_length(ctx, sizeof kKey);
    EVP_DecryptInit_ex(ctx, nullptr, nullptr, kKey, iv);
    EVP_CIPHER_CTX_set_padding(ctx, finished ? 1 : 0);
    std::vector<uint8_t> plain(payload.size() + 16);
    int n = 0, tail = 0;
    EXPECT_EQ(1, EVP_DecryptUpdate(ctx, plain.data(), &n, reinterpret_cast<const uint8_t*>(payload.data()),
                                   int(payload.size())));
    EXPECT_EQ(1, EVP_DecryptFinal_ex(ctx, plain.data() + n, &tail));
    EVP_CIPHER_CTX_free(ctx);
    plain.resize(size_t(n + tail));

    z_stream z{};
    inflateInit2(&z, -15);
    z.next_in = plain.data();
    z.avail_in = uInt(plain.size());
    std::string out;
    char buf[4096];
    int rc;
    do {
        z.next_out = reinterpret_cast<Bytef*>(buf);
        z.avail_out = sizeof buf;
        rc = inflate(&z, Z_SYNC_FLUSH);
        out.append(buf, sizeof buf - z.avail_out);
    } while (rc == Z_OK && z.avail_in > 0);
    inflateEnd(&z);
    return out;
}

std::string Records(int first, int count) {
    std::string s;
    for (int i = first; i < first + count; ++i) s += "record " + std::to_string(i) + " of the trace\r\n";
    return s;
}

}  // namespace

class CipheredLog : public TempFolderTest {
protected:
    std::wstring file() const { return path(L"trace.log"); }
    void WriteRecords(CCypherLog& log, int first, int count) {
        for (int i = first; i < first + count; ++i) {
            const std::string r = Records(i, 1);
            ASSERT_TRUE(log.Write(r.data(), uint32_t(r.size())));
        }
    }
};

TEST_F(CipheredLog, ClosedBlockDeciphersAndInflatesToTheRecords) {
    {
        CCypherLog log;
        ASSERT_TRUE(log.OpenCiphered(file(), kKey, sizeof kKey, 4096));
        EXPECT_TRUE(log.IsCiphered());
        WriteRecords(log, 0, 50);
    }
    const std::vector<Block> blocks = SplitBlocks(ReadFileBytes(path(L"trace.log")));
    ASSERT_EQ(1u, blocks.size());
    EXPECT_EQ(0u, blocks[0].length);
    EXPECT_EQ(0u, blocks[0].payload.size() % 8);
    EXPECT_EQ(Records(0, 50), Decode(blocks[0].payload, true));
}

TEST_F(CipheredLog, ReopeningRepairsAnUnfinishedBlockAndAppendsANewOne) {
    // A copy taken while the writer is open is what a crashed run leaves.
    const std::wstring crashed = path(L"crashed.log");
    {
        CCypherLog log;
        ASSERT_TRUE(log.OpenCiphered(file(), kKey, sizeof kKey, 4096));
        WriteRecords(log, 0, 20);
        ASSERT_TRUE(CopyFileW(path(L"trace.log").c_str(), crashed.c_str(), FALSE));
    }
    const std::string before = ReadFileBytes(crashed);
    {
        CCypherLog log;
        ASSERT_TRUE(log.OpenCiphered(crashed, kKey, sizeof kKey, 4096));
        WriteRecords(log, 100, 3);
    }
    const std::vector<Block> blocks = SplitBlocks(ReadFileBytes(crashed));
    ASSERT_EQ(2u, blocks.size());
    EXPECT_EQ(before.size(), blocks[0].length);
    EXPECT_EQ(0u, blocks[1].length);

    // Up to one cipher block of the unfinished opening is lost; the rest reads back.
    const std::string first = Decode(blocks[0].payload, false);
    const std::string all = Records(0, 20);
    EXPECT_GT(first.size(), Records(0, 10).size());
    EXPECT_EQ(all.substr(0, first.size()), first);
    EXPECT_EQ(Records(100, 3), Decode(blocks[1].payload, true));
}

TEST_F(CipheredLog, ForeignFileIsMovedAsideAndAFreshChainStarts) {
    WriteFileBytes(path(L"trace.log"), "plain text from somewhere else");
    {
        CCypherLog log;
        ASSERT_TRUE(log.OpenCiphered(file(), kKey, sizeof kKey, 4096));
        WriteRecords(log, 0, 2);
    }
    EXPECT_EQ("plain text from somewhere else", ReadFileBytes(path(L"trace.log.000")));
    const std::vector<Block> blocks = SplitBlocks(ReadFileBytes(path(L"trace.log")));
    ASSERT_EQ(1u, blocks.size());
    EXPECT_EQ(Records(0, 2), Decode(blocks[0].payload, true));
}

TEST_F(CipheredLog, OverlongChainLengthCountsAsForeign) {
    WriteFileBytes(path(L"trace.log"), std::string("ZCL1\xFF\x00\x00\x00rest", 12));
    CCypherLog log;
    ASSERT_TRUE(log.OpenCiphered(file(), kKey, sizeof kKey, 4096));
    log.Close();
    EXPECT_TRUE(PathExists(path(L"trace.log.000")));
}

TEST_F(CipheredLog, LargeBlocksAreCutInsideTheCipherStream) {
    {
        CCypherLog log;
        ASSERT_TRUE(log.OpenCiphered(file(), kKey, sizeof kKey, 64));  // small buffers: many portions
        log.SetMaxBlock(4096);
        std::string big;
        for (int i = 0; i < 5000; ++i) big += char('a' + (i * 7919) % 26);
        ASSERT_TRUE(log.Write(big.data(), uint32_t(big.size())));
    }
    const std::vector<Block> blocks = SplitBlocks(ReadFileBytes(path(L"trace.log")));
    ASSERT_EQ(1u, blocks.size());
    const std::string text = Decode(blocks[0].payload, true);
    ASSERT_EQ(4096u + 25u, text.size());
    EXPECT_EQ(" ...block is too large...", text.substr(4096));
}

TEST_F(CipheredLog, WithoutAKeyTheWriterStaysPlain) {
    {
        CCypherLog log;
        ASSERT_TRUE(log.OpenCiphered(file(), nullptr, 0, 4096));
        EXPECT_FALSE(log.IsCiphered());
        log.Write("plain", 5);
    }
    EXPECT_EQ("plain", ReadFileBytes(path(L"trace.log")));
}
