#include "startup/locale_picture.h"

#include <gtest/gtest.h>

TEST(PictureFilterTime, DroppedTokenLosesTheSeparatorBeforeIt) {
    EXPECT_EQ(L"h:mm tt", FilterPicture(L"h:mm:ss tt", false, 0x27E000));
    EXPECT_EQ(L"HH:mm", FilterPicture(L"HH:mm", false, 0x27E000));
    EXPECT_EQ(L"HH:mm", FilterPicture(L"HH:mm:ss", false, 0x27E000));
    // Hours dropped: the first kept run still takes its preceding literal.
    EXPECT_EQ(L":mm", FilterPicture(L"HH:mm", false, 0x60000));
}

TEST(PictureFilterDate, DroppedTokenLosesTheSeparatorAfterIt) {
    EXPECT_EQ(L"d yyyy", FilterPicture(L"d MMMM yyyy", true, 0x70C));
    EXPECT_EQ(L"MMMM yyyy", FilterPicture(L"d MMMM yyyy", true, 0x7F0));
    EXPECT_EQ(L"dd.MM", FilterPicture(L"dd.MM.yyyy", true, 0xFC));
}

TEST(PictureFilterPartial, PartialClassWritesTheMatchingToken) {
    EXPECT_EQ(L"MM/d", FilterPicture(L"M/d/yyyy", true, 0x24));
    EXPECT_EQ(L"ddd", FilterPicture(L"dddd", true, 0x5));
    EXPECT_EQ(L"hh tt", FilterPicture(L"H:mm tt", false, 0x204000));
    // Two bits of one class meet the mask: no token has that value, the run writes nothing.
    EXPECT_EQ(L"", FilterPicture(L"M", true, 0x30));
}

TEST(PictureFilterLiterals, QuotedTextIsLiteralAndUnclassifiedRunsEndTheWalk) {
    EXPECT_EQ(L"d 'de' MMMM", FilterPicture(L"d 'de' MMMM 'de' yyyy", true, 0xFC));
    EXPECT_EQ(L"d", FilterPicture(L"d MMMMM yyyy", true, 0x7FF ^ 0x1));  // MMMMM has no class
    EXPECT_EQ(L"", FilterPicture(L"", true, 0x7FC));
    EXPECT_EQ(L"", FilterPicture(L"'only text'", false, 0x27E000));
}
