#include "gui/control_tables.h"
#include "gui/theme_values.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(ThemeValues, ColoursKeepTheLowBitsAndDefaultToOpaque) {
    uint32_t argb = 0;
    ASSERT_TRUE(ParseThemeColour("64,143,255,160", argb));
    EXPECT_EQ(0xA0408FFFu, argb);
    ASSERT_TRUE(ParseThemeColour("255 255 255", argb));
    EXPECT_EQ(0xFFFFFFFFu, argb);
    ASSERT_TRUE(ParseThemeColour(" 256, 1 ,, 2 ", argb));  // 256 keeps its low 8 bits
    EXPECT_EQ(0xFF000102u, argb);
    argb = 7;
    for (const char* bad : {"1 2", "1 2 3 4 5", "1 x 3", "+1 2 3", "1 2 99999999999", ""})
        EXPECT_FALSE(ParseThemeColour(bad, argb)) << bad;
    EXPECT_EQ(7u, argb);
}

TEST(ThemeValues, IntegerPairsTakeABlankOnlyBeforeANumber) {
    int32_t x = 0, y = 0;
    ASSERT_TRUE(ParseThemeIntegerPair("10,20", x, y));
    EXPECT_EQ(10, x);
    EXPECT_EQ(20, y);
    ASSERT_TRUE(ParseThemeIntegerPair(" -3, 4", x, y));
    EXPECT_EQ(-3, x);
    EXPECT_EQ(4, y);
    for (const char* bad : {"10 ,20", "10,20 ", "10", "10,", ",20", "10,20,30", "a,1", "10;20"})
        EXPECT_FALSE(ParseThemeIntegerPair(bad, x, y)) << bad;
    EXPECT_EQ(-3, x);
}

TEST(ThemeValues, IntegersQuadsFloatsAndBooleans) {
    int32_t i = 0;
    ASSERT_TRUE(ParseThemeInteger("  42", i));
    EXPECT_EQ(42, i);
    ASSERT_TRUE(ParseThemeInteger("0x1F", i));
    EXPECT_EQ(31, i);
    for (const char* bad : {"42 ", "4x", "", "0x", "99999999999"}) EXPECT_FALSE(ParseThemeInteger(bad, i)) << bad;

    int32_t quad[4] = {9, 9, 9, 9};
    ASSERT_TRUE(ParseThemeIntegerQuad("1, -2 3,4", quad));
    EXPECT_EQ(1, quad[0]);
    EXPECT_EQ(-2, quad[1]);
    EXPECT_EQ(4, quad[3]);
    EXPECT_FALSE(ParseThemeIntegerQuad("1 2 3", quad));
    EXPECT_FALSE(ParseThemeIntegerQuad("1 2 3 2147483648", quad));
    EXPECT_TRUE(ParseThemeIntegerQuad("1 2 3 -2147483648", quad));
    EXPECT_EQ(1, quad[0]);

    float a = 0, b = 0;
    ASSERT_TRUE(ParseThemeFloatPair("1.5, -2", a, b));
    EXPECT_FLOAT_EQ(1.5f, a);
    EXPECT_FLOAT_EQ(-2.0f, b);
    ASSERT_TRUE(ParseThemeFloatPair("inf nan", a, b));
    EXPECT_TRUE(std::isinf(a));
    EXPECT_TRUE(std::isnan(b));
    EXPECT_FALSE(ParseThemeFloatPair("1.5x 2", a, b));
    EXPECT_FALSE(ParseThemeFloat("1.5 ", a));
    ASSERT_TRUE(ParseThemeFloat("0.75", a));
    EXPECT_FLOAT_EQ(0.75f, a);

    bool flag = false;
    EXPECT_TRUE(ParseThemeBoolean("1", flag) && flag);
    EXPECT_TRUE(ParseThemeBoolean("false", flag) && !flag);
    EXPECT_FALSE(ParseThemeBoolean("True", flag));
}

TEST(ThemeTables, ClassesAndFunctionsAreMatchedExactly) {
    EXPECT_EQ(gcStep, ControlClassForElement("step"));
    EXPECT_EQ(gcTextLines, ControlClassForElement("CGuiTextLinesCtrl"));
    EXPECT_EQ(gcToolTip, ControlClassForElement("tooltip"));
    EXPECT_EQ(gcUnknown, ControlClassForElement("Step"));
    EXPECT_EQ(gcUnknown, ControlClassForElement(""));
    EXPECT_EQ(12345, FindControlFunc("close"));
    EXPECT_EQ(12438, FindControlFunc("text_wantuninstall_path"));
    EXPECT_EQ(-1, FindControlFunc("Close"));
    EXPECT_EQ(-1, FindControlFunc(""));
}
