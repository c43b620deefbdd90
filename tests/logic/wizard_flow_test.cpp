// The wizard's pages and buttons as the logic object drives them: the
// multi-page sequence, closing and cancelling by page, the message box
// returning to the page it replaced, the single-page settings, and the
// runtime update's page.

#include "logic/logic_fixture.h"
#include "logic/runtime_update.h"
#include "logic/wizard_flow.h"
#include "startup/format_text.h"
#include "startup/text.h"

namespace {

bool Enabled(HWND window, int id) { return IsWindowEnabled(GetDlgItem(window, id)) != FALSE; }

}  // namespace

TEST_F(LogicObject, ThePagesFollowAgreeNextAndBackWithTheStoredChoices) {
    ASSERT_TRUE(logic_.init(rcNone, L""));
    CWizardFlow& flow = logic_.flow();
    flow.ShowPage(kPageAgreement);
    wizard_.SetChecked(Id("checkbox_guest"), true);
    logic_.OnControl(Id("agree"));
    EXPECT_EQ(kPageFolder, wizard_.CurrentPage());
    EXPECT_TRUE(flow.portableChoice()) << "agreeing takes the portable box as it stands";
    logic_.OnControl(Id("back"));
    EXPECT_EQ(kPageFolder, wizard_.CurrentPage()) << "Back on the folder page only logs";

    wizard_.SetChecked(Id("checkbox_icon_desktop"), false);
    logic_.OnControl(Id("checkbox_icon_desktop"));
    wizard_.SetChecked(Id("checkbox_icon_desktop"), true);  // a stale state the next page must replace
    logic_.OnControl(Id("next"));
    EXPECT_EQ(kPageIcons, wizard_.CurrentPage());
    EXPECT_FALSE(wizard_.IsChecked(Id("checkbox_icon_desktop")));
    logic_.OnControl(Id("back_icons"));
    EXPECT_EQ(kPageFolder, wizard_.CurrentPage());

    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("CLogic::OnBtnClicked: ID_BTN_NEXT\r\n"));
    EXPECT_NE(std::string::npos, log.find("CLogic::OnBtnClicked: ID_BTN_BACK\r\n"));
    EXPECT_NE(std::string::npos, log.find("CLogic::OnBtnClicked: ID_BTN_CHECKBOX_ICON_DESKTOP\r\n"));
}

TEST_F(LogicObject, CloseAndCancelAskFirstWhereWorkWouldBeLostAndNoReturnsToThePage) {
    ASSERT_TRUE(logic_.init(rcNone, L""));
    CWizardFlow& flow = logic_.flow();
    const int close = Id("close"), cancel = Id("cancel_download"), no = Id("mbox_no");
    // (page, phase, control, action of the question)
    const struct {
        int page, phase, control, action;
    } kAsks[] = {
        {kPageFolder, 0, close, kActionNone},
        {kPageDownload, 0, close, kActionNone},
        {kPageIcons, 0, cancel, kActionNone},
        {kPageExternalApplications, 0, cancel, kActionNone},
        {kPageAssistantProgress, 0, close, kActionCancelAssistant},
        {kPageAssistantProgress, 0, cancel, kActionCancelAssistant},
        {kPageServerInfo, 4, close, kActionNone},
        {kPageFinal, 6, close, kActionNone},
    };
    for (const auto& a : kAsks) {
        flow.ShowPage(a.page);
        flow.SetPhase(a.phase);
        const size_t shown = wizard_.messages().size();
        logic_.OnControl(a.control);
        ASSERT_EQ(shown + 1, wizard_.messages().size()) << a.page;
        EXPECT_EQ(GetString(3), wizard_.messages().back().text);
        EXPECT_EQ(unsigned(mbbYes | mbbNo), wizard_.messages().back().buttons);
        EXPECT_EQ(a.action, flow.MessageAction()) << a.page;
        EXPECT_EQ(kPageMessage, wizard_.CurrentPage());
        logic_.OnControl(no);
        EXPECT_EQ(a.page, wizard_.CurrentPage()) << "No returns to the page the question replaced";
    }
    // Nothing to lose: the final page's Cancel does nothing, and Close on
    // the first page before the check quits.
    flow.SetPhase(3);
    flow.ShowPage(kPageFinal);
    logic_.OnControl(cancel);
    EXPECT_EQ(kPageFinal, wizard_.CurrentPage());
    EXPECT_FALSE(logic_.closing());
    flow.ShowPage(kPageServerInfo);
    logic_.OnControl(close);
    EXPECT_TRUE(logic_.closing());
}

TEST_F(SinglePageLogic, TheSettingsPanelTermsAndInstallWithAnErrorThatReturnsToTheSettings) {
    ASSERT_TRUE(logic_.init(rcNone, L""));
    CWizardFlow& flow = logic_.flow();
    flow.InitChoices();
    flow.AttachPortableTooltip();
    flow.ShowPage(kSinglePageInstall);
    const HWND window = wizard_.Window();
    const int panel = Id("single_install_sprite_hide"), guest = Id("single_install_checkbox_guest"),
              opener = Id("single_install_button_settings"), terms = Id("single_install_checkbox_terms"),
              install = Id("single_install_button_install"), status = Id("single_install_text_progress_info");
    EXPECT_EQ(GetString(69), wizard_.Tooltip(guest));
    EXPECT_FALSE(wizard_.IsControlVisible(panel));
    EXPECT_FALSE(Enabled(window, install)) << "Install waits for the terms";

    logic_.OnControl(opener);
    EXPECT_TRUE(wizard_.IsControlVisible(panel));
    EXPECT_TRUE(wizard_.IsControlVisible(guest));
    EXPECT_EQ(std::make_pair(int(kSinglePageInstall), 3), wizard_.pages().back()) << "the page grows for the panel";
    wizard_.SetChecked(guest, true);
    logic_.OnControl(guest);
    EXPECT_TRUE(flow.portableChoice());
    logic_.OnControl(opener);
    EXPECT_FALSE(wizard_.IsControlVisible(guest));
    EXPECT_EQ(std::make_pair(int(kSinglePageInstall), 0), wizard_.pages().back());

    // The terms box: ticked twice is unticked, Install off, entry 65.
    for (bool ticked : {true, false}) {
        wizard_.SetChecked(terms, ticked);  // a check box changes its own state on the click
        logic_.OnControl(terms);
        EXPECT_EQ(ticked, Enabled(window, install));
        EXPECT_EQ(GetString(ticked ? 66 : 65), wizard_.Text(status));
    }
    wizard_.SetChecked(terms, true);
    logic_.OnControl(terms);

    // Install with the panel open: it closes, the choices lock, and the
    // installation starts. Without a folder it cannot: OK on the error
    // gives the settings back.
    logic_.OnControl(opener);
    logic_.OnControl(install);
    EXPECT_FALSE(wizard_.IsControlVisible(panel));
    ASSERT_FALSE(wizard_.messages().empty());
    EXPECT_EQ(GetString(93), wizard_.messages().back().text);
    EXPECT_FALSE(Enabled(window, terms));
    EXPECT_FALSE(Enabled(window, Id("language")));
    logic_.OnControl(Id("mbox_ok"));
    EXPECT_EQ(kSinglePageInstall, wizard_.CurrentPage());
    EXPECT_TRUE(Enabled(window, terms));
    EXPECT_TRUE(Enabled(window, install));
    EXPECT_FALSE(logic_.closing());
    EXPECT_NE(std::string::npos, Log().find("CLogic::OnBtnClicked: ID_SINGLEPAGEINSTALL_BTN_SETTINGS\r\n"));
}

TEST_F(LogicObject, TheRuntimeUpdateShowsItsProgressAndRefusesACutOffPackage) {
    ASSERT_TRUE(logic_.init(rcNone, L""));
    CRuntimeUpdate& runtime = logic_.runtime();
    // Without a size from the server the bar fills over the first 1000 KB.
    runtime.OnKbProgress(512000, -1);
    EXPECT_EQ(FormatText(GetString(5).c_str(), 500.0), wizard_.Text(Id("download_info")));
    EXPECT_EQ(50, wizard_.Progress(Id("download_progress")));
    runtime.OnKbProgress(1024, 4096);
    EXPECT_EQ(FormatText(GetString(4).c_str(), 1.0, 4.0), wizard_.Text(Id("download_info")));

    // The server announced 4096 bytes: a body of one is cut off.
    CBuffer cut;
    cut.append("x", 1);
    runtime.OnKbData(cut);
    ASSERT_EQ(1u, wizard_.messages().size());
    EXPECT_EQ(GetString(115), wizard_.messages().back().text);
    EXPECT_NE(std::string::npos, Log().find("KB file refused: shorter or longer than announced"));
}

TEST_F(LogicObject, TheRuntimeUpdateRefusesAnEmptyPackage) {
    ASSERT_TRUE(logic_.init(rcNone, L""));
    CBuffer empty;
    logic_.runtime().OnKbData(empty);
    ASSERT_EQ(1u, wizard_.messages().size());
    EXPECT_EQ(GetString(115), wizard_.messages().back().text);
}

TEST_F(LogicObject, TheRuntimeUpdateDoesNotWaitForAPackageFarLargerThanAnyReal) {
    ASSERT_TRUE(logic_.init(rcNone, L""));
    // A server announcing far more than any runtime package is not waited for.
    logic_.runtime().OnKbProgress(0, 70 << 20);
    ASSERT_EQ(1u, wizard_.messages().size());
    EXPECT_EQ(GetString(115), wizard_.messages().back().text);
    CBuffer late;
    late.append("x", 1);
    logic_.runtime().OnKbData(late);
    EXPECT_EQ(1u, wizard_.messages().size()) << "a refused download's end is ignored";
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("KB file refused: larger than any runtime package"));
}
