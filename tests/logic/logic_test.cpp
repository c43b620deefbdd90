// Drives the logic object in the test process through the wizard boundary,
// with the configuration of the real built Launcher.exe.

#include "logic/error_reports.h"
#include "logic/logic_fixture.h"
#include "startup/format_text.h"
#include "startup/text.h"

TEST_F(LogicObject, InitChoosesTheModeAndCreatesTheWindow) {
    ASSERT_TRUE(logic_.init(rcNone, L""));
    EXPECT_EQ(rmInstall, logic_.runMode());
    EXPECT_EQ(0, logic_.flowKind());
    EXPECT_TRUE(IsWindow(wizard_.Window()));
    EXPECT_NE(std::string::npos, Log().find("Launcher run mode: rmInstall\r\n"));
}

TEST_F(LogicObject, ProgressStagesShowTheirCaptionsOnPageEleven) {
    ASSERT_TRUE(logic_.init(rcNone, L""));
    const struct { int stage; int string; bool cancel; } kStages[] = {
        {1, 84, false}, {2, 85, true}, {3, 82, true}, {4, 73, true}, {5, 77, true}, {6, 88, true}, {7, 87, false},
        {42, 85, true}};
    for (const auto& s : kStages) {
        logic_.SetProgressStage(s.stage);
        EXPECT_EQ(GetString(s.string), wizard_.Text(Id("firstpage_info"))) << s.stage;
        EXPECT_EQ(GetString(s.string), wizard_.Text(Id("headline_firstpage_info"))) << s.stage;
        EXPECT_EQ(s.cancel, wizard_.IsControlVisible(Id("cancel_firstpage"))) << s.stage;
        EXPECT_EQ(11, wizard_.CurrentPage());
        EXPECT_EQ(0, wizard_.pages().back().second);
    }
    // The captions follow the language.
    ASSERT_TRUE(logic_.languages().Select(3));
    logic_.SetProgressStage(4);
    EXPECT_EQ(GetString(73), wizard_.Text(Id("firstpage_info")));
    EXPECT_NE(L"Checking for Updates", wizard_.Text(Id("firstpage_info")));
    ASSERT_TRUE(logic_.languages().Select(1));
    logic_.SetProgressStage(4);
    EXPECT_EQ(L"Checking for Updates", wizard_.Text(Id("firstpage_info")));
}

TEST_F(LogicObject, WorkProgressShowsOnlyOnTheInstallingPage) {
    ASSERT_TRUE(logic_.init(rcNone, L""));
    const HWND window = wizard_.Window();
    SendMessageW(window, eWindowsMessage_LauncherAssistantWorkResult, 6, 40);
    EXPECT_EQ(-1, wizard_.Progress(Id("progress_progress")));  // progress page is 11, not 9
    logic_.flow().ShowPage(9);
    SendMessageW(window, eWindowsMessage_LauncherAssistantWorkResult, 6, 40);
    EXPECT_EQ(40, wizard_.Progress(Id("progress_progress")));
    SendMessageW(window, eWindowsMessage_UninstallProgress, 0, 250);
    EXPECT_EQ(100, wizard_.Progress(Id("progress_progress")));
    ASSERT_TRUE(logic_.languages().Select(1));
    SendMessageW(window, eWindowsMessage_UninstallProgress, 0, -5);
    EXPECT_EQ(0, wizard_.Progress(Id("progress_progress")));
    EXPECT_EQ(L"0% completed...", wizard_.Text(Id("progress_info")));
}

TEST_F(LogicObject, UninstallerFlowKindAndPortableUpdate) {
    ASSERT_TRUE(logic_.init(rcUninstallFrom, dir()));
    EXPECT_EQ(rmUninstaller, logic_.runMode());
    EXPECT_EQ(2, logic_.flowKind());
}

TEST_F(LogicObject, PrivateMessagesAreIgnoredOnceClosing) {
    ASSERT_TRUE(logic_.init(rcNone, L""));
    const HWND window = wizard_.Window();
    SendMessageW(window, eWindowsMessage_CheckFinished, 0, 2);
    logic_.Exit();
    EXPECT_TRUE(logic_.closing());
    SendMessageW(window, eWindowsMessage_CheckFinished, 0, 2);
    SendMessageW(window, eWindowsMessage_Exit, 2, 0);
    logic_.Exit();  // a second exit is harmless
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    const std::string log = Log();
    const std::string handled = "Server info ready\r\n";
    const size_t first = log.find(handled);
    ASSERT_NE(std::string::npos, first);
    EXPECT_EQ(std::string::npos, log.find(handled, first + 1));
    EXPECT_EQ(std::string::npos, log.find("eWindowsMessage_Exit\r\n"));
}

TEST_F(LogicObject, UninitWritesItsLinesInOrderAndDestroysTheWindow) {
    ASSERT_TRUE(logic_.init(rcNone, L""));
    const HWND window = wizard_.Window();
    logic_.Exit();
    logic_.uninit();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(L"", GetString(1));  // the language table is gone
    const std::string log = Log();
    const size_t start = log.find("\r\n--- Start Uninit ---\r\n\r\nSaving CUD file... need to merge RTD\r\n");
    ASSERT_NE(std::string::npos, start) << log;
    EXPECT_NE(std::string::npos,
              log.find("\r\nStop checker & unpaker threads\r\n\r\n--- Uninit finished ---\r\n\r\n", start));
}

TEST_F(LogicObject, UninitAfterAFailedInitIsHarmless) {
    EXPECT_FALSE(logic_.init(rcDownload, L"123 x"));
    logic_.uninit();
    EXPECT_NE(std::string::npos, Log().find("--- Uninit finished ---"));
}

TEST_F(LogicObject, TrayClicksToggleTheWindowAndTheBalloonEndsTheRun) {
    ASSERT_TRUE(logic_.init(rcNone, L""));
    const HWND window = wizard_.Window();
    EXPECT_FALSE(IsWindowVisible(window));
    SendMessageW(window, eWindowsMessage_IconTrayCallbackMessage, 0, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(window));
    SendMessageW(window, eWindowsMessage_IconTrayCallbackMessage, 0, WM_LBUTTONDOWN);
    EXPECT_FALSE(IsWindowVisible(window));
    SendMessageW(window, eWindowsMessage_IconTrayCallbackMessage, 0, WM_MOUSEMOVE);  // ignored
    EXPECT_FALSE(IsWindowVisible(window));
    SendMessageW(window, eWindowsMessage_Activate, 0, 0);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(logic_.closing());
    SendMessageW(window, eWindowsMessage_IconTrayCallbackMessage, 0, NIN_BALLOONTIMEOUT);
    EXPECT_TRUE(logic_.closing());
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("eWindowsMessage_IconTrayCallbackMessage: WM_BALLOONCLICK or WM_BALLOONCLOSE - exit\r\n"
                                          "ShowTrayBalloon(false);\r\nPostQuitMessage(0)\r\n"));
    EXPECT_EQ(std::string::npos, log.find("ShowTrayIcon("));  // never shown, so never removed
}

TEST_F(LogicObject, FileErrorReportNamesTheFileAndTheSystemError) {
    ASSERT_TRUE(logic_.languages().Select(1));  // English
    EXPECT_EQ(L"Unable to unpack updates\nCannot create file: x.dll", FileErrorReportText(L"C:\\Games\\TL\\x.dll", 0));
    EXPECT_EQ(L"Unable to unpack updates\nCannot create file: plain", FileErrorReportText(L"plain", 0));
    EXPECT_EQ(L"Unable to unpack updates\nCannot create file: \\lead", FileErrorReportText(L"\\lead", 0));
    const std::wstring report = FileErrorReportText(L"C:\\TL\\x.dll", ERROR_ACCESS_DENIED);
    const std::wstring head = L"Unable to unpack updates\nCannot create file: x.dll\nSystem error code: 5\n\n"
                              L"System error description:\n";
    ASSERT_EQ(head, report.substr(0, head.size()));
    EXPECT_GT(report.size(), head.size());  // the system's own text follows
    EXPECT_NE(L'\n', report.back());
}

TEST(FormatText, WideAndNarrowStringsCountsAndPercent) {
    EXPECT_EQ(L"Cannot create file: x.dll", FormatText(L"Cannot create file: %s", L"x.dll"));
    EXPECT_EQ(L"8bit and wide", FormatText(L"%hs and %s", "8bit", L"wide"));
    EXPECT_EQ(L"45% 3.5", FormatText(L"%d%s %.1f", 45, L"%", 3.5));
    EXPECT_EQ(std::wstring(5000, L'a'), FormatText(L"%s", std::wstring(5000, L'a').c_str()));
}

TEST_F(LogicObject, SystemErrorReportIsOneLineAndTrayTextsAreCut) {
    const std::wstring text = SystemErrorReportText(L"Copy launcher", ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(0u, text.find(L"Copy launcher: "));
    EXPECT_GT(text.size(), 15u);
    EXPECT_EQ(std::wstring::npos, text.find_first_of(L"\r\n"));
    EXPECT_EQ(SystemErrorReportText(L"", ERROR_FILE_NOT_FOUND), text.substr(15));
    const std::wstring longName(200, L'n');
    EXPECT_EQ(127u, CutToField(longName, 127).size());
    EXPECT_EQ(63u, CutToField(longName, 63).size());
    EXPECT_EQ(L"short", CutToField(L"short", 63));
}

TEST_F(LogicObject, TheLanguageBoxSwitchesTheTableAndTheTexts) {
    ASSERT_TRUE(logic_.init(rcNone, L""));
    const HWND window = wizard_.Window();
    const int boxId = Id("language");
    const HWND box = GetDlgItem(window, boxId);
    ASSERT_NE(nullptr, box);
    const std::vector<LanguageRecord>& records = logic_.languages().records();
    int ru = -1;
    std::vector<std::pair<int, std::wstring>> rows;
    for (size_t i = 0; i < records.size(); ++i) {
        rows.emplace_back(12367 + int(i), Utf8ToWide(records[i].displayName));
        if (records[i].code == "ru") ru = int(i);
    }
    ASSERT_GE(ru, 0);
    wizard_.SetComboRows(boxId, rows);
    const std::wstring englishYes = GetString(55);

    // The user picks a row: the box reports the new selection to the window.
    SendMessageW(box, CB_SETCURSEL, WPARAM(ru), 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(boxId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));

    EXPECT_EQ("ru", logic_.languages().chosenCode());
    EXPECT_NE(englishYes, GetString(55));
    EXPECT_EQ(GetString(55), wizard_.Text(Id("mbox_yes")));
    EXPECT_EQ(GetString(48), wizard_.Text(Id("mbox_cancel")));
    // The rows are set up again and the chosen one stays selected.
    EXPECT_EQ(LRESULT(records.size()), SendMessageW(box, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(ru, wizard_.ComboSelection(boxId));
    EXPECT_EQ(rows[size_t(ru)].second, wizard_.Text(boxId));
    EXPECT_EQ(records[size_t(ru)].icon, wizard_.ComboPicture(boxId));

    // A selection outside the records changes nothing.
    SendMessageW(box, CB_SETCURSEL, WPARAM(-1), 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(boxId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    EXPECT_EQ("ru", logic_.languages().chosenCode());

    // Back to the start's choice, which the switch also stores for the
    // user, so later runs of other tests start as before.
    const std::string started = "en";
    for (size_t i = 0; i < records.size(); ++i)
        if (records[i].code == started) SendMessageW(box, CB_SETCURSEL, WPARAM(i), 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(boxId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    EXPECT_EQ(started, logic_.languages().chosenCode());
    EXPECT_EQ(englishYes, wizard_.Text(Id("mbox_yes")));

    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("CLogic::OnCBNSelChange: ID_CMB_LANGUAGE\r\n"));
    EXPECT_NE(std::string::npos, log.find("Init text controls .. OK\r\n"));
}

TEST_F(LogicObject, TextsFromTheStringTableFollowALanguageChangeUnlessReplacedSince) {
    ASSERT_TRUE(logic_.init(rcNone, L""));
    const int info = Id("firstpage_info"), headline = Id("headline_firstpage_info"), box = Id("language");
    logic_.SetProgressStage(4);
    const std::wstring before = wizard_.Text(info);
    ASSERT_EQ(GetString(73), before);
    wizard_.SetText(headline, L"Downloading: 1.0 KB completed...");
    // The user picks another row in the language box.
    const size_t count = logic_.languages().records().size();
    std::vector<std::pair<int, std::wstring>> rows;
    for (size_t i = 0; i < count; ++i) rows.emplace_back(12367 + int(i), L"row");
    wizard_.SetComboRows(box, rows);
    const int other = (logic_.languages().tables()->current() + 1) % int(count);
    wizard_.SelectComboRow(box, other, L"", 0);
    logic_.OnControl(box);
    EXPECT_NE(before, wizard_.Text(info));
    EXPECT_EQ(GetString(73), wizard_.Text(info)) << "the stage caption, in the new language";
    EXPECT_EQ(GetString(82), wizard_.Text(headline)) << "replaced since: the default text of the headline";
}
