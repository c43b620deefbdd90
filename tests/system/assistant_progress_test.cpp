// The assistant's progress rules: the 55 ms spacing and the step counter.

#include "system/assistant_progress.h"

#include <gtest/gtest.h>

TEST(AssistantProgress, ReportsCloserThan56MsAreDroppedExceptTheEnds) {
    CAssistantProgress p;
    EXPECT_TRUE(p.Admit(10, 1000));  // the first one always goes
    EXPECT_FALSE(p.Admit(20, 1055));
    EXPECT_TRUE(p.Admit(0, 1010));
    EXPECT_TRUE(p.Admit(100, 1011));
    EXPECT_FALSE(p.Admit(30, 1066));  // 55 ms after the 100
    EXPECT_TRUE(p.Admit(30, 1067));
    EXPECT_FALSE(p.Admit(31, 1100));
    EXPECT_TRUE(p.Admit(31, 1123));
}

TEST(AssistantProgress, SpacingHoldsAcrossTheTickCounterWrap) {
    CAssistantProgress p;
    EXPECT_TRUE(p.Admit(5, 0xFFFFFFF0u));
    EXPECT_FALSE(p.Admit(6, 0x00000010u));  // 32 ms later
    EXPECT_TRUE(p.Admit(6, 0x00000100u));
}

TEST(AssistantProgress, StepCounterRunsFromOneTo99) {
    CAssistantProgress p;
    p.SetStepTotal(200);
    EXPECT_EQ(1, p.Step());   // the first step already shows 1
    EXPECT_EQ(-1, p.Step());  // the second does not change it
    int last = 1, reports = 1;
    for (int i = 3; i <= 200; ++i) {
        const int r = p.Step();
        if (r < 0) continue;
        EXPECT_GT(r, last);
        EXPECT_LE(r, 99);
        last = r;
        ++reports;
    }
    EXPECT_EQ(99, last);
    EXPECT_GT(reports, 90);
    // Steps beyond the total never report more than 99.
    for (int i = 0; i < 500; ++i) {
        const int r = p.Step();
        if (r >= 0) {
            EXPECT_LE(r, 99);
        }
    }
}

TEST(AssistantProgress, StepCounterFormula) {
    CAssistantProgress p;
    p.SetStepTotal(3);
    EXPECT_EQ(33, p.Step());  // (100 / 3) * 98 / 100 + 1
    EXPECT_EQ(65, p.Step());  // 66 * 98 / 100 + 1
    EXPECT_EQ(99, p.Step());
    // A new operation starts from the beginning.
    p.SetStepTotal(2);
    EXPECT_EQ(50, p.Step());
    // Nothing to count: no reports.
    p.SetStepTotal(0);
    EXPECT_EQ(-1, p.Step());
}

TEST(AssistantProgress, HugeWalksDoNotOverflow) {
    CAssistantProgress p;
    p.SetStepTotal(25000000);
    int last = 0;
    for (int i = 0; i < 22000000; ++i) {
        const int r = p.Step();
        if (r < 0) continue;
        ASSERT_GE(r, last) << i;
        ASSERT_LE(r, 99);
        last = r;
    }
    EXPECT_EQ(87, last);  // 88 * 98 / 100 + 1
}

TEST(AssistantProgress, UninstallerThreadScalesTo99) {
    CAssistantProgress p(CAssistantProgress::kUninstallerScale);
    p.SetStepTotal(3);
    EXPECT_EQ(33, p.Step());  // 33 * 99 / 100 + 1
    EXPECT_EQ(66, p.Step());  // 66 * 99 / 100 + 1, where the assistant shows 65
    EXPECT_EQ(99, p.Step());  // 100 clamped
}
