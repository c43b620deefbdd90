#include "logic/control_ids.h"
#include "common/stand_in_wizard.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct RecordingOwner : IWizardOwner {
    LRESULT OnUserMessage(UINT message, WPARAM w, LPARAM l) override {
        messages.push_back({message, w, l});
        return 77;
    }
    void OnTimer(UINT_PTR id) override { timers.push_back(id); }
    void OnControl(int id) override { controls.push_back(id); }
    struct Msg {
        UINT message;
        WPARAM w;
        LPARAM l;
    };
    std::vector<Msg> messages;
    std::vector<UINT_PTR> timers;
    std::vector<int> controls;
};

void Pump(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    MSG msg;
    while (GetTickCount64() < end) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

class StandInWizard : public ::testing::Test {
protected:
    void SetUp() override {
        theme.Parse("<theme><common/><page id=\"1\"><CGuiButtonCtrl func=\"mbox_retry\"/>"
                    "<CGuiButtonCtrl func=\"mbox_ok\"/><CGuiLabel func=\"firstpage_info\"/>"
                    "<group><CGuiLabel func=\"mblistbox\"/><CGuiLabel func=\"mblistbox_error\"/><CGuiProgress func=\"progress_progress\"/></group>"
                    "<CGuiLabel func=\"no_such_control\"/></page></theme>");
        ASSERT_TRUE(wizard.Create(theme, "", &owner, GetModuleHandleW(nullptr)));
    }
    tinyxml2::XMLDocument theme;
    RecordingOwner owner;
    CStandInWizard wizard;
};

}  // namespace

TEST_F(StandInWizard, ControlsComeFromTheThemeFuncNames) {
    EXPECT_EQ(12415, wizard.FindControl("mbox_retry"));
    EXPECT_EQ(12399, wizard.FindControl("mblistbox"));  // nested in a group
    EXPECT_EQ(0, wizard.FindControl("terms"));
    EXPECT_EQ(0, wizard.FindControl("no_such_control"));
    EXPECT_TRUE(wizard.HasControl(12411));
    EXPECT_FALSE(wizard.HasControl(12402));
}

TEST_F(StandInWizard, RecordsTextsPagesProgressTitleAndMessages) {
    wizard.SetText(12411, L"Initializing");
    EXPECT_EQ(L"Initializing", wizard.Text(12411));
    wizard.SetText(12402, L"absent control");
    EXPECT_EQ(L"", wizard.Text(12402));
    wizard.ShowPage(11, 1);
    wizard.ShowPage(4, 0);
    EXPECT_EQ(4, wizard.CurrentPage());
    EXPECT_EQ((std::vector<std::pair<int, int>>{{11, 1}, {4, 0}}), wizard.pages());
    wizard.SetProgress(12408, 42);
    EXPECT_EQ(42, wizard.Progress(12408));
    EXPECT_EQ(-1, wizard.Progress(12360));
    wizard.SetTitle(L"Launcher");
    EXPECT_EQ(L"Launcher", wizard.Title());

    wizard.ShowControl(12415, true);
    wizard.ShowControl(12414, false);
    wizard.SetRichText(12400, L"Network error");
    ASSERT_EQ(1u, wizard.messages().size());
    EXPECT_EQ(unsigned(mbbRetry), wizard.messages()[0].buttons);
    EXPECT_EQ(L"Network error", wizard.Text(12400));
}

TEST_F(StandInWizard, ForwardsPrivateMessagesTimersAndButtons) {
    EXPECT_EQ(LRESULT(77), SendMessageW(wizard.Window(), 0x914, 1, 2));
    PostMessageW(wizard.Window(), 0xB08, 3, 4);
    PostMessageW(wizard.Window(), 0xB09, 5, 6);  // outside the private range
    PostMessageW(wizard.Window(), 0x913, 5, 6);
    SetTimer(wizard.Window(), 2222, 10, nullptr);
    Pump(300);
    KillTimer(wizard.Window(), 2222);
    ASSERT_EQ(2u, owner.messages.size());
    EXPECT_EQ(0x914u, owner.messages[0].message);
    EXPECT_EQ(0xB08u, owner.messages[1].message);
    EXPECT_EQ(WPARAM(3), owner.messages[1].w);
    ASSERT_FALSE(owner.timers.empty());
    EXPECT_EQ(UINT_PTR(2222), owner.timers[0]);

    HWND retry = GetDlgItem(wizard.Window(), 12415);
    ASSERT_NE(nullptr, retry);
    SendMessageW(retry, BM_CLICK, 0, 0);
    Pump(100);
    EXPECT_EQ(std::vector<int>{12415}, owner.controls);
}

TEST_F(StandInWizard, DestroyingTwiceIsHarmless) {
    HWND hwnd = wizard.Window();
    wizard.Destroy();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(nullptr, wizard.Window());
    wizard.Destroy();
}
