#include "update/download_choice.h"

#include <gtest/gtest.h>

namespace {

constexpr uint64_t MB = 1024 * 1024;

struct Fixture {
    std::map<std::wstring, PackInfo> packs;
    std::vector<IncrementPack> increments;
    std::vector<NeededFile> needed;

    void Pack(const std::wstring& name, uint64_t size, EPackType type = ptFull) {
        PackInfo p;
        p.file = name;
        p.size = size;
        p.type = type;
        packs[name] = p;
    }
    void Increment(const std::wstring& name, uint64_t size, std::vector<std::wstring> files) {
        Pack(name, size, ptIncrement);
        IncrementPack inc{name, size, {}};
        for (auto& f : files) inc.files[f] = FileRecord();
        increments.push_back(inc);
    }
};

// Three full packs of 10, 20 and 30 MB each need one file.
Fixture ThreeNeededPacks() {
    Fixture f;
    f.Pack(L"c.pkg", 30 * MB);
    f.Pack(L"a.pkg", 10 * MB);
    f.Pack(L"b.pkg", 20 * MB);
    f.Pack(L"d.pkg", 5 * MB);
    f.needed = {{L"x\\1", L"a.pkg"}, {L"x\\2", L"b.pkg"}, {L"x\\3", L"c.pkg"}, {L"x\\4", L"c.pkg"}};
    return f;
}

}  // namespace

TEST(DownloadChoice, AnIncrementCoveringEverythingReplacesBiggerPacks) {
    Fixture f = ThreeNeededPacks();
    f.Increment(L"delta.pkg", 50 * MB, {L"x\\1", L"x\\2", L"x\\3", L"x\\4", L"y"});
    EXPECT_EQ(std::vector<std::wstring>{L"delta.pkg"}, ChooseDownloads(f.needed, f.packs, f.increments));
    // Exactly the sum still prefers the increment.
    f.increments[0].size = 60 * MB;
    EXPECT_EQ(std::vector<std::wstring>{L"delta.pkg"}, ChooseDownloads(f.needed, f.packs, f.increments));
}

TEST(DownloadChoice, ABiggerIncrementLeavesTheFullPacksInNameOrder) {
    Fixture f = ThreeNeededPacks();
    f.Increment(L"delta.pkg", 70 * MB, {L"x\\1", L"x\\2", L"x\\3", L"x\\4"});
    EXPECT_EQ((std::vector<std::wstring>{L"a.pkg", L"b.pkg", L"c.pkg"}), ChooseDownloads(f.needed, f.packs, f.increments));
}

TEST(DownloadChoice, AnIncrementMissingOneFileIsNeverChosenAndTheSmallestUsableWins) {
    Fixture f = ThreeNeededPacks();
    f.Increment(L"tiny.pkg", 1 * MB, {L"x\\1", L"x\\2", L"x\\3"});
    f.Increment(L"mid.pkg", 40 * MB, {L"x\\1", L"x\\2", L"x\\3", L"x\\4"});
    f.Increment(L"same.pkg", 40 * MB, {L"x\\1", L"x\\2", L"x\\3", L"x\\4"});
    f.Increment(L"big.pkg", 45 * MB, {L"x\\1", L"x\\2", L"x\\3", L"x\\4"});
    EXPECT_EQ(std::vector<std::wstring>{L"mid.pkg"}, ChooseDownloads(f.needed, f.packs, f.increments));
}

TEST(DownloadChoice, NothingNeededDownloadsNothingAndUnknownPacksAreDropped) {
    Fixture f = ThreeNeededPacks();
    f.Increment(L"delta.pkg", 1, {});
    EXPECT_TRUE(ChooseDownloads({}, f.packs, f.increments).empty());
    f.needed = {{L"x\\1", L"a.pkg"}, {L"x\\9", L"gone.pkg"}, {L"x\\8", L""}};
    f.increments.clear();
    EXPECT_EQ(std::vector<std::wstring>{L"a.pkg"}, ChooseDownloads(f.needed, f.packs, f.increments));
}

TEST(DownloadChoice, SizesBeyond4GiBAreSummedWithoutWrapping) {
    Fixture f;
    f.Pack(L"a.pkg", 3ull << 30);
    f.Pack(L"b.pkg", 3ull << 30);
    f.needed = {{L"1", L"a.pkg"}, {L"2", L"b.pkg"}};
    // 6 GiB of packs against a 5 GiB increment: a 32-bit sum (2 GiB) would keep the packs.
    f.Increment(L"delta.pkg", 5ull << 30, {L"1", L"2"});
    EXPECT_EQ(std::vector<std::wstring>{L"delta.pkg"}, ChooseDownloads(f.needed, f.packs, f.increments));
}

TEST(DownloadChoice, AbsurdSizesSaturateInsteadOfWrapping) {
    Fixture f;
    f.Pack(L"a.pkg", UINT64_MAX - 5);
    f.Pack(L"b.pkg", 10);
    f.needed = {{L"1", L"a.pkg"}, {L"2", L"b.pkg"}};
    // A wrapped sum (4) would be smaller than the increment and keep the packs.
    f.Increment(L"delta.pkg", 1000, {L"1", L"2"});
    EXPECT_EQ(std::vector<std::wstring>{L"delta.pkg"}, ChooseDownloads(f.needed, f.packs, f.increments));
    EXPECT_EQ(UINT64_MAX, AddBytes(UINT64_MAX - 5, 10));
    EXPECT_EQ(15u, AddBytes(5, 10));
}
