#include "startup/resource_slots.h"

#include <gtest/gtest.h>

namespace {

// A fake executable image with all six slots between other bytes.
std::string Image() {
    std::string image(5000, '\0');
    for (size_t i = 0; i < image.size(); ++i) image[i] = char(i * 7 + 3);
    size_t at = 300;
    for (const SlotInfo& s : Slots()) {
        std::string res;
        EXPECT_TRUE(MakeSlotResource(s, "", res));
        image.replace(at, res.size(), res);
        at += res.size() + 200;
    }
    return image;
}

uint32_t Sum(const std::string& image, ChecksumVariant v) {
    return SlotNeutralChecksum(reinterpret_cast<const uint8_t*>(image.data()), image.size(), AllSlotSpans(), v);
}

}  // namespace

TEST(SlotLayout, SizesCapacitiesAndMarkers) {
    ASSERT_EQ(6u, Slots().size());
    EXPECT_EQ("SERVER_URL_HERE:", SlotMarker(Slots()[0]));
    EXPECT_EQ(128u, SlotCapacity(*FindSlotInfo("SERVER_URL")));
    EXPECT_EQ(128u, SlotCapacity(*FindSlotInfo("UPDATE_PATH")));
    EXPECT_EQ(32u, SlotCapacity(*FindSlotInfo("LANGUAGE")));
    EXPECT_EQ(64u, SlotCapacity(*FindSlotInfo("AFFILIATE_ID")));
    EXPECT_EQ(64u, SlotCapacity(*FindSlotInfo("REFERRER_ID")));
    EXPECT_EQ(64u, SlotCapacity(*FindSlotInfo("PROMOCODE")));
    EXPECT_EQ(nullptr, FindSlotInfo("OTHER"));
}

TEST(SlotValues, ServerUrlListKeepsOrderAndOtherSlotsOneText) {
    std::string res;
    ASSERT_TRUE(MakeSlotResource(*FindSlotInfo("SERVER_URL"), JoinSlotList({"https://a/", "https://b/"}), res));
    EXPECT_EQ(146u, res.size());
    const auto* bytes = reinterpret_cast<const uint8_t*>(res.data());
    EXPECT_EQ((std::vector<std::string>{"https://a/", "https://b/"}), SlotList(bytes, res.size()));
    EXPECT_EQ("https://a/", SlotValue(bytes, res.size()));

    const SlotInfo& urls = *FindSlotInfo("SERVER_URL");
    const std::string full(128, 'u');
    ASSERT_TRUE(MakeSlotResource(urls, JoinSlotList({full}), res));
    EXPECT_EQ(std::vector<std::string>{full}, SlotList(reinterpret_cast<const uint8_t*>(res.data()), res.size()));
    const std::string first(63, 'f'), second(64, 's');
    ASSERT_TRUE(MakeSlotResource(urls, JoinSlotList({first, second}), res));
    EXPECT_EQ((std::vector<std::string>{first, second}),
              SlotList(reinterpret_cast<const uint8_t*>(res.data()), res.size()));
    EXPECT_FALSE(MakeSlotResource(urls, JoinSlotList({first, second + "s"}), res));

    ASSERT_TRUE(MakeSlotResource(*FindSlotInfo("LANGUAGE"), "ru", res));
    EXPECT_EQ("ru", SlotValue(reinterpret_cast<const uint8_t*>(res.data()), res.size()));
    ASSERT_TRUE(MakeSlotResource(*FindSlotInfo("PROMOCODE"), "", res));
    EXPECT_EQ("", SlotValue(reinterpret_cast<const uint8_t*>(res.data()), res.size()));
    EXPECT_TRUE(SlotList(reinterpret_cast<const uint8_t*>(res.data()), res.size()).empty());
}

TEST(SlotPatching, ValuesThatDoNotFitLeaveTheImageUntouched) {
    std::string image = Image();
    const std::string before = image;
    std::string error;
    EXPECT_FALSE(PatchSlot(image, *FindSlotInfo("LANGUAGE"), std::string(33, 'x'), error));
    EXPECT_NE(std::string::npos, error.find("capacity"));
    EXPECT_EQ(before, image);
    EXPECT_TRUE(PatchSlot(image, *FindSlotInfo("LANGUAGE"), std::string(32, 'x'), error));
    std::string raw;
    ASSERT_TRUE(ReadSlotFromImage(image, *FindSlotInfo("LANGUAGE"), raw));
    EXPECT_EQ(std::string(32, 'x'), SlotValue(reinterpret_cast<const uint8_t*>(raw.data()), raw.size()));

    std::string noSlots(100, 'z');
    EXPECT_FALSE(PatchSlot(noSlots, *FindSlotInfo("PROMOCODE"), "x", error));
    EXPECT_EQ(std::string(100, 'z'), noSlots);
}

TEST(LauncherChecksum, SlotValuesDoNotCountButOtherBytesDo) {
    std::string image = Image();
    const uint32_t a = Sum(image, ChecksumVariant::A), b = Sum(image, ChecksumVariant::B);
    EXPECT_EQ(a, b);  // distinct boundaries: both variants include the same bytes
    std::string error;
    for (const SlotInfo& s : Slots()) ASSERT_TRUE(PatchSlot(image, s, "value-" + std::string(s.name), error));
    ASSERT_TRUE(PatchSlot(image, *FindSlotInfo("SERVER_URL"), JoinSlotList({"https://x/", "https://y/"}), error));
    EXPECT_EQ(a, Sum(image, ChecksumVariant::A));
    EXPECT_EQ(b, Sum(image, ChecksumVariant::B));
    image[10] ^= 1;
    EXPECT_NE(a, Sum(image, ChecksumVariant::A));
    image[10] ^= 1;
    image[image.size() - 1] ^= 1;
    EXPECT_NE(a, Sum(image, ChecksumVariant::A));
}

TEST(LauncherChecksum, WithoutSlotsItIsTheComplementedCrcOfTheWhole) {
    const std::string data = "123456789";
    EXPECT_EQ(~0xCBF43926u, SlotNeutralChecksum(reinterpret_cast<const uint8_t*>(data.data()), data.size(), {},
                                                ChecksumVariant::A));
}

TEST(LauncherChecksum, VariantsDifferWhenBoundariesCoincide) {
    // Two slots back to back: the end of the first (o + size - 1) equals
    // the start of the second, an empty stretch between them.
    const std::vector<SlotSpan> spans = {{"AA", 3}, {"BB", 3}};
    const std::string data = "xxxxAABBzzyyyy";
    const auto* p = reinterpret_cast<const uint8_t*>(data.data());
    const uint32_t a = SlotNeutralChecksum(p, data.size(), spans, ChecksumVariant::A);
    const uint32_t b = SlotNeutralChecksum(p, data.size(), spans, ChecksumVariant::B);
    // Boundaries 4, 6, 6, 8, 14. A: include 0-4, exclude 4-6, include 6-8,
    // exclude 8-14. B: include 0-4, exclude 4-6, (empty flips), exclude 6-8,
    // include 8-14.
    const std::string includedA = data.substr(0, 4) + data.substr(6, 2);
    const std::string includedB = data.substr(0, 4) + data.substr(8);
    const std::vector<SlotSpan> none;
    EXPECT_EQ(SlotNeutralChecksum(reinterpret_cast<const uint8_t*>(includedA.data()), includedA.size(), none,
                                  ChecksumVariant::A),
              a);
    EXPECT_EQ(SlotNeutralChecksum(reinterpret_cast<const uint8_t*>(includedB.data()), includedB.size(), none,
                                  ChecksumVariant::A),
              b);
}
